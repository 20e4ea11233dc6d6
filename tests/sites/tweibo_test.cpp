// Tencent Weibo topic albums end to end: the production QQ entry, the engine and the fake web.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sites/site_test.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kTopicQuery = "http://api.t.qq.com/asyn/gettopicalbum.php?";
const std::string kPicture = test::JpegBody('w');

struct TencentWeibo : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "tweibo"));
    ServePicture({"http://t1.qpic.cn/mblogpic/"}, kPicture);
    BuildState(SITE_QQ, {0, 0, 4, 10});
  }
};

TEST_F(TencentWeibo, ListsTheAccountsTopicAlbumsPageByPage) {
  List(u"http://t.qq.com/lanlan?preview");

  EXPECT_EQ(state->listType, SUBKIND_TENCENT_WEIBO);
  EXPECT_EQ(state->scratchText, u"lanlan");
  EXPECT_EQ(state->userIdText, u"987654321");  // the guest's id, not the visitor's
  EXPECT_TRUE(ui.messages.empty());
  struct Row {
    Text name;
    Text listAddress;
    int32_t count;
    Text shownCount;
    Text cover;
  };
  const std::vector<Row> rows = {
      {u"全部图片", u"all", -1, u"未知", u"http://t1.qpic.cn/mblogpic/cover0/240"},
      {u"旅行", u"5001", 5, u"   5", u"http://t1.qpic.cn/mblogpic/cover1/240"},
      {u"美食", u"5002", 3, u"   3", u"http://t1.qpic.cn/mblogpic/cover2/240"},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(RowTexts(albums[i], static_cast<int>(i) + 1).count, rows[i].shownCount) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }

  // Pages 1, 2 and the empty page 3, each with the processor time as g_tk.
  const auto pages = Urls(kTopicQuery + "op=1&");
  ASSERT_EQ(pages.size(), 3u);
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_NE(pages[i].find("&page=" + std::to_string(i + 1) + "&n=12&"), std::string::npos) << pages[i];
    const std::string token = pages[i].substr(pages[i].rfind("&g_tk=") + 6);
    EXPECT_FALSE(token.empty());
    EXPECT_EQ(token.find_first_not_of("0123456789"), std::string::npos) << pages[i];
  }
  for (const auto& request : web.Requests())
    EXPECT_EQ(request.Header("Referer"), "http://api.t.qq.com/proxy.html") << request.url;
}

TEST_F(TencentWeibo, DownloadsThePostsPicturesFollowingTheContinuation) {
  List(u"http://t.qq.com/lanlan");
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({1, 2});

  // Every picture of a post shares the post's text, tags removed, as its name.
  const std::vector<test::SavedPicture> pictures = {
      {"旅行/海边日落.jpg", "http://t1.qpic.cn/mblogpic/a1/2000"},
      {"旅行/海边日落(1).jpg", "http://t1.qpic.cn/mblogpic/a2/2000"},
      {"旅行/海边日落(2).jpg", "http://t1.qpic.cn/mblogpic/a3/2000"},
      {"旅行/山顶夜景.jpg", "http://t1.qpic.cn/mblogpic/b1/2000"},
      {"旅行/返程.jpg", "http://t1.qpic.cn/mblogpic/c1/2000"},
      {"美食/早餐.jpg", "http://t1.qpic.cn/mblogpic/f1/2000"},
      {"美食/午餐.jpg", "http://t1.qpic.cn/mblogpic/f2/2000"},
  };
  ExpectSaved(pictures, kPicture);
  for (const test::SavedPicture& p : pictures)
    for (const auto& request : web.RequestsTo(p.address))
      EXPECT_EQ(request.Header("Referer"), "http://api.t.qq.com/proxy.html") << p.address;
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 5);
  EXPECT_EQ(ui.summaries[1].queued, 2);

  // From the second page on, the address continues at the last post of the page before.
  std::vector<std::string> travelPages, foodPages;
  for (const auto& url : Urls(kTopicQuery + "op=2&uin=987654321&page="))
    (url.find("&topicid=5001&") != std::string::npos ? travelPages : foodPages).push_back(url);
  ASSERT_EQ(travelPages.size(), 3u);
  EXPECT_EQ(travelPages[0].find("&time="), std::string::npos);
  EXPECT_NE(travelPages[1].find("&g_tk=5453453&time=1382000050&r="), std::string::npos);
  EXPECT_NE(travelPages[2].find("&g_tk=5453453&time=1382000010&r="), std::string::npos);
  EXPECT_TRUE(travelPages[1].ends_with("&u=lanlan"));
  EXPECT_TRUE(travelPages[2].ends_with("&u=lanlan"));
  // "美食" ends its second page where its first ended: the third is never asked for.
  EXPECT_EQ(foodPages.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(save.path() / "美食" / "晚餐.jpg"));
}

TEST_F(TencentWeibo, ARepeatedAlbumPageEndsTheListing) {
  auto page = [](int n) {
    return kTopicQuery + "op=1&uin=987654321&page=" + std::to_string(n) +
           "&n=12&apiType=14&apiHost=http%3A%2F%2Fapi.t.qq.com&_r=1382084292800&g_tk=*";
  };
  web.Get(page(3), ReadFile(test::SiteData("tweibo") / "albums-2.json"));
  web.Get(page(4), ReadFile(test::SiteData("tweibo") / "albums-1.json"));
  List(u"http://t.qq.com/lanlan");
  // Page 3 repeats page 2: it adds nothing and ends the walk before page 4.
  EXPECT_EQ(state->albums.Count(), 3);
  EXPECT_EQ(Urls(kTopicQuery + "op=1&").size(), 3u);
}

}  // namespace
}  // namespace zentrow
