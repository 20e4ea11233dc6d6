// Renren zhan end to end: a site's posts month by month or by one tag, and the first
// picture of each post, over the fake web fixtures in tests/sites/renrenzhan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/renren/renren.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('z');
const std::string kZhan = "http://zhan.renren.com/";
const std::string kByTime = kZhan + "archive/archiveByTime?site_id=880001&month=";
constexpr char16_t kZhanEmpty[] =
    u"1、没有获取到相册，需要你在登录菜单里登录一个人人帐号(登录时勾上下次自动登录)后重新获取";

struct RenrenZhan : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "renrenzhan"));
    ServePicture({"http://fmn.rrimg.com/"}, kPicture);
    BuildState(SITE_RENREN, {0, 0, 4, 10});
  }

  void ExpectPosts(const std::vector<std::pair<Text, Text>>& posts) const {
    const auto albums = state->albums.Snapshot();
    ASSERT_EQ(albums.size(), posts.size());
    for (size_t i = 0; i < posts.size(); ++i) {
      EXPECT_EQ(albums[i].name, posts[i].first) << i;
      EXPECT_EQ(albums[i].listAddress, u"http://zhan.renren.com/meishi?gid=" + posts[i].second + u"&ajax=true") << i;
      EXPECT_EQ(albums[i].count, -1) << i;
      EXPECT_EQ(albums[i].coverAddress, u"") << i;
      EXPECT_EQ(albums[i].remarks, 0) << i;
    }
  }
};

TEST_F(RenrenZhan, ListsThePostsOfASiteMonthByMonth) {
  List(u"http://zhan.renren.com/meishi");
  EXPECT_EQ(state->Category(), SITE_RENREN);
  EXPECT_EQ(state->listType, 10);
  EXPECT_EQ(state->ownerFolder, u"美食小站/");
  EXPECT_EQ(state->extraFolder, u"");
  EXPECT_EQ(state->userIdText, u"880001");
  EXPECT_TRUE(ui.messages.empty());
  // The post without a title gives no row.
  ExpectPosts({{u"火锅", u"1001"}, {u"饺子", u"1003"}, {u"汤圆", u"1004"}});
  // Months as the archive's time control lists them, each once; a month ends at a page
  // without posts, or at one that brings no post not listed before.
  EXPECT_EQ(Urls(kZhan + "archive"),
            (std::vector<std::string>{kZhan + "archive?site_id=880001", kByTime + "201203&page=0",
                                      kByTime + "201203&page=1", kByTime + "201203&page=2", kByTime + "201202&page=0",
                                      kByTime + "201202&page=1"}));
  for (const auto& request : web.Requests()) EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");

  // A site the service does not know: no posts, and the zhan message.
  ui.messages.clear();
  List(u"http://zhan.renren.com/nosuch");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_EQ(ui.messages, std::vector<Text>{kZhanEmpty});
}

TEST_F(RenrenZhan, AnAddressNamingATagListsThatTagsPosts) {
  List(u"http://zhan.renren.com/meishi?tagId=55&from=tag");
  EXPECT_EQ(state->listType, 10);
  EXPECT_EQ(state->ownerFolder, u"美食小站/");
  EXPECT_EQ(state->extraFolder, u"甜点/");
  EXPECT_EQ(state->scratchText, u"&tag_id=55");
  ExpectPosts({{u"蛋糕", u"2001"}, {u"布丁", u"2002"}});
  EXPECT_EQ(Urls(kZhan + "archive"),
            (std::vector<std::string>{kZhan + "archive/archiveByTag?site_id=880001&tag_id=55&page=0",
                                      kZhan + "archive/archiveByTag?site_id=880001&tag_id=55&page=1"}));
}

TEST_F(RenrenZhan, DownloadsTheFirstPictureOfEachPost) {
  List(u"http://zhan.renren.com/meishi");
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0, 1, 2});
  // Of the post only (not of what stands around it): its first picture block, preferring
  // the picture to load over the one shown; else its first picture.
  ExpectSaved({{"美食小站/火锅/火锅.jpg", "http://fmn.rrimg.com/zhan/1001a.jpg"},
               {"美食小站/饺子/饺子.jpg", "http://fmn.rrimg.com/zhan/1003.jpg"},
               {"美食小站/汤圆/汤圆.jpg", "http://fmn.rrimg.com/zhan/1004.jpg"}},
              kPicture);
  EXPECT_EQ(web.RequestsTo("http://fmn.rrimg.com/zhan/1001a.jpg")[0].Header("Referer"),
            kZhan + "meishi?gid=1001&ajax=true");
  size_t pictures = 0;
  for (const auto& request : web.Requests()) pictures += request.url.starts_with("http://fmn.rrimg.com/");
  EXPECT_EQ(pictures, 3u);
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");
}

}  // namespace
}  // namespace zentrow
