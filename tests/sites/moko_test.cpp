// Moko end to end: a user's post list over its categories and pages, the address forms,
// the pictures of a post, and the command-line program over the production table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('m');
const std::string kLanlan = "http://www.moko.cc/post/lanlan/";

struct Moko : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "moko"));
    ServePicture({"http://img.moko.cc/pic/"}, kPicture);
    BuildState(SITE_MOKO, {0, 0, 4, 10}).baseName = BASE_ADDRESS;
  }
};

struct Row {
  Text name;
  Text listAddress;
  Text cover;
  int32_t count;
};

TEST_F(Moko, ListsThePostsOfEveryCategoryPageByPage) {
  List(u"http://www.moko.cc/lanlan/");
  EXPECT_EQ(state->Category(), SITE_MOKO);
  EXPECT_EQ(state->ownerFolder, u"蓝蓝/");  // the title up to "'s", its "&#39;" decoded
  EXPECT_TRUE(ui.messages.empty());

  // "人像" over two pages in the "show" layout, then "风光" in the "twShow" layout, whose
  // second post was listed under "人像" already.
  const std::vector<Row> rows = {
      {u"夏日", u"/post/1001.html", u"http://img.moko.cc/cover/1001.jpg", 12},
      {u"雨巷", u"/post/1002.html", u"http://img.moko.cc/cover/1002.jpg", 6},
      {u"秋叶", u"/post/1003.html", u"http://img.moko.cc/cover/1003.jpg", 9},
      {u"山川", u"/post/2001.html", u"http://img.moko.cc/cover/2001.jpg", 4},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
  // The category linked twice is read once; the links before the category box and in the
  // side box after it are not categories.
  EXPECT_EQ(Urls("http://www.moko.cc/"),
            (std::vector<std::string>{kLanlan + "list.html", kLanlan + "category/101/1.html",
                                      kLanlan + "category/101/2.html", kLanlan + "category/102/1.html"}));
  for (const auto& request : web.Requests()) EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
}

TEST_F(Moko, TheAddressNamesAUserOrOneCategory) {
  struct Case {
    Text address;
    std::vector<std::string> requests;
    int albums;
  };
  const std::vector<std::string> everything = {kLanlan + "list.html", kLanlan + "category/101/1.html",
                                               kLanlan + "category/101/2.html", kLanlan + "category/102/1.html"};
  const std::vector<Case> cases = {
      {u"http://www.moko.cc/lanlan", everything, 4},
      {u"http://moko.cc/lanlan?from=search#top", everything, 4},
      {u"http://www.moko.cc/post/lanlan/list.html", everything, 4},
      // A category's own page: that category alone, from its first page; the owner from
      // its title.
      {u"http://www.moko.cc/post/lanlan/category/102/3.html", {kLanlan + "category/102/1.html"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    List(c.address);
    EXPECT_EQ(Urls(""), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    EXPECT_EQ(state->ownerFolder, u"蓝蓝/");
  }
}

TEST_F(Moko, DownloadsThePicturesOfEachPostOnce) {
  List(u"http://www.moko.cc/lanlan/");
  ASSERT_EQ(state->albums.Count(), 4);
  DownloadAlbums({0, 3});
  // The lazy-load addresses, not the placeholders; the picture shown twice on a post is
  // taken once.
  ExpectSaved({{"蓝蓝/夏日/1001_1.jpg", "http://img.moko.cc/pic/1001_1.jpg"},
               {"蓝蓝/夏日/1001_2.jpg", "http://img.moko.cc/pic/1001_2.jpg"},
               {"蓝蓝/山川/2001_1.jpg", "http://img.moko.cc/pic/2001_1.jpg"}},
              kPicture);
  EXPECT_TRUE(web.RequestsTo("http://img.moko.cc/pic/placeholder").empty());
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 2);
  EXPECT_EQ(ui.summaries[1].queued, 1);
}

TEST(MokoCommandLine, ListsAndDownloadsAUsersPost) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "moko"));
  web.Get("http://img.moko.cc/pic/*", kPicture);
  const test::TempDir work, save;
  const test::CliRun run = test::RunCliBinary(
      web.ProxyAddress(), work.path(),
      "download http://www.moko.cc/lanlan/ --albums 4 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("SiteIndex 12:"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("0004\t山川\tqueued=1\tsaved=1"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(save.path() / "蓝蓝" / "山川" / "山川.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
