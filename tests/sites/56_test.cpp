// 56 photo albums end to end: the production entry, the engine and the fake web; and the
// command-line program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/56/site56.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('5');
const std::string kIndex = "http://photo.56.com/photo/album/index.php?user=lanlan&perPage=20&page=";
const std::string kAlbumPage = "http://photo.56.com/photo/album/?do=Plist&did=1001&page=";
constexpr char16_t kIndexAddress[] = u"http://photo.56.com/photo/album/index.php?user=lanlan&perPage=20";

struct Site56 : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "56"));
    ServePicture({"http://p1.56img.com/"}, kPicture);
    BuildState(SITE_56, {0, 0, 4, 10}).filePrefix.Set(u"?8-");  // the user name
  }
};

TEST_F(Site56, ListsTheAlbumsOfTheIndexOverItsPages) {
  List(kIndexAddress);
  EXPECT_EQ(state->Category(), SITE_56);
  EXPECT_EQ(state->listType, -1);
  EXPECT_EQ(state->ownerFolder, u"lanlan/");
  // Only the album list is read (not the menus around it); an album without a count shows
  // 0; "旅行" shown again on page 2 is listed once.
  test::ExpectAlbumRows(state->albums.Snapshot(),
                        {
                            {u"旅行", u"1001", u"http://img.56img.com/album/1001.jpg", 3},
                            {u"美食", u"1002", u"http://img.56img.com/album/1002.jpg", 0},
                            {u"宠物", u"1003", u"http://img.56img.com/album/1003.jpg", 1},
                        });
  EXPECT_EQ(Urls(kIndex), (std::vector<std::string>{kIndex + "1", kIndex + "2"}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Site56, DownloadsAnAlbumWithTheReferersOfItsPages) {
  List(kIndexAddress);
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0});

  struct Picture {
    test::SavedPicture saved;
    std::string referer;  // the page the picture was found on
  };
  const std::vector<Picture> pictures = {
      {{"lanlan/旅行/lanlan-西湖 日落.jpg", "http://p1.56img.com/photo/1001/a.jpg"}, kAlbumPage + "1"},
      {{"lanlan/旅行/lanlan-旅行.jpg", "http://p1.56img.com/photo/1001/b.jpg"}, kAlbumPage + "1"},
      {{"lanlan/旅行/lanlan-断桥.jpg", "http://p1.56img.com/photo/1001/c.jpg"}, kAlbumPage + "2"},
  };
  for (const Picture& p : pictures) {
    ExpectSaved({p.saved}, kPicture);
    const auto requests = web.RequestsTo(p.saved.address);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Referer"), p.referer) << p.saved.address;
  }
  EXPECT_EQ(Urls(kAlbumPage), (std::vector<std::string>{kAlbumPage + "1", kAlbumPage + "2"}));
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 3);
}

TEST_F(Site56, TheUserNameIsTakenFromEitherAddressForm) {
  struct Case {
    Text address;
    Text ownerFolder;
  };
  const std::vector<Case> cases = {
      {kIndexAddress, u"lanlan/"},
      {u"http://photo.56.com/photo/album/index.php?user=lanlan", u"lanlan/"},
      {u"http://i.56.com/album/lanlan/?from=home", u"lanlan/"},
      {u"http://i.56.com/album/lanlan?from=home", u"lanlan/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    List(c.address);
    EXPECT_EQ(state->ownerFolder, c.ownerFolder);
    EXPECT_EQ(Urls(kIndex), (std::vector<std::string>{kIndex + "1", kIndex + "2"}));
    EXPECT_EQ(state->albums.Count(), 3);
  }
}

TEST(Site56CommandLine, ListsAndDownloadsThroughTheProductionReaders) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "56"));
  web.Get("http://p1.56img.com/*", kPicture);
  const test::TempDir work, save;
  const std::string address = test::Quoted(ToUtf8(kIndexAddress));
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), work.path(), "list " + address);
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t旅行\t", "0002\t美食\t", "0003\t宠物\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

  const test::CliRun download = test::RunCliBinary(
      web.ProxyAddress(), work.path(), "download " + address + " --albums 1 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("旅行\tqueued=3\tsaved=3"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(save.path() / "lanlan" / "旅行" / "断桥.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
