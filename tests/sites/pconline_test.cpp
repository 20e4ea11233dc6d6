// PConline end to end: a user's album list page by page, the address forms that lead to
// it, an album's single page of pictures, and the command-line program over the
// production table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('p');
const std::string kZhangsan = "http://dp.pconline.com.cn/zhangsan/myphoto_p";
const std::vector<std::string> kZhangsanPages = {kZhangsan + "1_n15.html", kZhangsan + "2_n15.html",
                                                 kZhangsan + "3_n15.html"};

struct Pconline : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "pconline"));
    ServePicture({"http://img.pconline.com.cn/images/upload/"}, kPicture);
    BuildState(SITE_PCONLINE, {0, 0, 4, 10});
  }
};

TEST_F(Pconline, ListsTheAlbumsPageByPage) {
  List(u"http://dp.pconline.com.cn/zhangsan/");
  EXPECT_EQ(state->Category(), SITE_PCONLINE);
  EXPECT_EQ(state->ownerFolder, u"张三/");  // the title between "】" and "_太平洋"
  EXPECT_EQ(state->userIdText, u"zhangsan");
  struct Row {
    Text name, listAddress, cover;
  };
  const std::vector<Row> rows = {
      {u"西湖", u"http://dp.pconline.com.cn/photo/list_3456701.html",
       u"http://img.pconline.com.cn/images/photo/cover3456701_mthumb.jpg"},
      {u"灵隐寺", u"http://dp.pconline.com.cn/photo/list_3456702.html",
       u"http://img.pconline.com.cn/images/photo/cover3456702_mthumb.jpg"},
      {u"雷峰塔", u"http://dp.pconline.com.cn/photo/list_3456703.html",
       u"http://img.pconline.com.cn/images/photo/cover3456703_mthumb.jpg"},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, -1) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
  // Page 3 brings only page 2's album again: the walk ends there, next-page link or not.
  EXPECT_EQ(Urls(""), kZhangsanPages);
}

TEST_F(Pconline, EveryAddressOfAUserLeadsToItsAlbumList) {
  struct Case {
    Text address;
    std::vector<std::string> requests;
    int albums;
    Text owner;
  };
  const std::vector<Case> cases = {
      {u"http://dp.pconline.com.cn/zhangsan/", kZhangsanPages, 3, u"张三/"},
      {u"http://my.pconline.com.cn/zhangsan", kZhangsanPages, 3, u"张三/"},
      // A later page of the list: read from its first page.
      {u"http://dp.pconline.com.cn/zhangsan/myphoto_p2_n15.html", kZhangsanPages, 3, u"张三/"},
      {u"http://dp.pconline.com.cn/zhangsan/myphoto.html", kZhangsanPages, 3, u"张三/"},
      // A list address without a place for the page number is one page, though it links
      // to a next one; its title names no owner, so the user part of the address does.
      {u"http://dp.pconline.com.cn/lisi/myphoto.htm", {"http://dp.pconline.com.cn/lisi/myphoto.htm"}, 1, u"lisi/"},
      // "_p" inside a user name is no page part.
      {u"http://dp.pconline.com.cn/zhang_pei/", {"http://dp.pconline.com.cn/zhang_pei/myphoto_p1_n15.html"}, 0,
       u"zhang_pei/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    List(c.address);
    EXPECT_EQ(Urls(""), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    EXPECT_EQ(state->ownerFolder, c.owner);
  }
}

TEST_F(Pconline, DownloadsTheFullSizePicturesOfAnAlbumPage) {
  List(u"http://dp.pconline.com.cn/zhangsan/");
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0, 2});
  // "_mthumb" removed, the picture shown twice taken once, the related works after the
  // album not read; each picture named by the album and its number.
  ExpectSaved({{"张三/西湖/西湖 (1).jpg", "http://img.pconline.com.cn/images/upload/a1.jpg"},
               {"张三/西湖/西湖 (2).jpg", "http://img.pconline.com.cn/images/upload/a2.jpg"},
               {"张三/西湖/西湖 (3).jpg", "http://img.pconline.com.cn/images/upload/a3.jpg"},
               {"张三/雷峰塔/雷峰塔 (1).jpg", "http://img.pconline.com.cn/images/upload/c1.jpg"}},
              kPicture);
  EXPECT_EQ(web.RequestsTo("http://img.pconline.com.cn/").size(), 4u);
}

TEST(PconlineCommandLine, ListsAndDownloadsAnAlbum) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "pconline"));
  web.Get("http://img.pconline.com.cn/images/upload/*", kPicture);
  const test::TempDir work, save;
  const test::CliRun run = test::RunCliBinary(
      web.ProxyAddress(), work.path(),
      "download http://dp.pconline.com.cn/zhangsan/ --albums 3 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("SiteIndex 14:"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("0003\t雷峰塔\tqueued=1\tsaved=1"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(save.path() / "张三" / "雷峰塔" / "雷峰塔 (1).jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
