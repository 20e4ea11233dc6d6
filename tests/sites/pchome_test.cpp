// PChome photo albums end to end: Big5 pages through the production entry, the engine and
// the fake web; and the command-line program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/pchome/pchome.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('c');
const std::string kPictures = "http://photo.pchome.com.tw/s13/";
constexpr char16_t kAlbumsAddress[] = u"http://photo.pchome.com.tw/lanlan";

struct Pchome : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "pchome"));
    ServePicture({kPictures}, kPicture);
    BuildState(SITE_PCHOME, {0, 0, 4, 10});
  }
};

// The names hold Big5 characters whose second byte is "\" (許 功 蓋) or "]" (也 設 包).
TEST_F(Pchome, ListsTheAlbumsOfAUserOverItsPages) {
  List(kAlbumsAddress);
  EXPECT_EQ(state->Category(), SITE_PCHOME);
  EXPECT_EQ(state->listType, -1);
  EXPECT_EQ(state->ownerFolder, u"lanlan/");
  EXPECT_EQ(state->userIdText, u"lanlan");
  // The recommended albums below the user's own are not listed; an album without a cover
  // picture has no cover; "也許成功" shown again on page 2 is listed once.
  test::ExpectAlbumRows(state->albums.Snapshot(),
                        {
                            {u"也許成功", u"/lanlan/001", u"http://photo.pchome.com.tw/s13/lanlan/001/cover.jpg", 3},
                            {u"設計包", u"/lanlan/002", u"", 1},
                            {u"功課", u"/lanlan/003", u"http://photo.pchome.com.tw/s13/lanlan/003/cover.jpg", 0},
                        });
  EXPECT_EQ(Urls("http://photo.pchome.com.tw/lanlan*"),
            (std::vector<std::string>{"http://photo.pchome.com.tw/lanlan*1", "http://photo.pchome.com.tw/lanlan*2"}));
}

TEST_F(Pchome, DownloadsAnAlbumAsFullSizePicturesFromTheirPages) {
  List(kAlbumsAddress);
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0});

  struct Picture {
    test::SavedPicture saved;
    std::string referer;  // the picture's own page
  };
  // The thumbnail "s" before the extension goes; a folder with "s." keeps its name.
  const std::vector<Picture> pictures = {
      {{"lanlan/也許成功/許功蓋的夜.jpg", kPictures + "lanlan/001/0001.jpg"}, "http://photo.pchome.com.tw/lanlan/1001"},
      {{"lanlan/也許成功/也包.jpg", kPictures + "lanlan/albums.2013/0002.jpg"}, "http://photo.pchome.com.tw/lanlan/1002"},
      {{"lanlan/也許成功/夜色.jpg", kPictures + "lanlan/001/0003.jpg"}, "http://photo.pchome.com.tw/lanlan/1003"},
  };
  for (const Picture& p : pictures) {
    ExpectSaved({p.saved}, kPicture);
    const auto requests = web.RequestsTo(p.saved.address);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Referer"), p.referer) << p.saved.address;
  }
  EXPECT_EQ(Urls(kPictures).size(), pictures.size());  // the pictures after the list are not taken
  EXPECT_EQ(Urls("http://photo.pchome.com.tw/lanlan/001*"),
            (std::vector<std::string>{"http://photo.pchome.com.tw/lanlan/001*1",
                                      "http://photo.pchome.com.tw/lanlan/001*2"}));
}

TEST_F(Pchome, TheUserNameIsThePathPartAfterTheHost) {
  for (const Text& address : {Text(kAlbumsAddress), Text(u"http://photo.pchome.com.tw/lanlan*2"),
                              Text(u"http://photo.pchome.com.tw/lanlan/001*1"),
                              Text(u"https://photo.pchome.com.tw/lanlan?ref=home")}) {
    SCOPED_TRACE(ToUtf8(address));
    web.ClearRequests();
    List(address);
    EXPECT_EQ(state->ownerFolder, u"lanlan/");
    const auto requests = Urls("");
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0], "http://photo.pchome.com.tw/lanlan*1");
  }
}

TEST(PchomeCommandLine, ListsAndDownloadsThroughTheProductionReaders) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "pchome"));
  web.Get(kPictures + "*", kPicture);
  const test::TempDir work, save;
  const std::string address = test::Quoted(ToUtf8(kAlbumsAddress));
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), work.path(), "list " + address);
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t也許成功\t", "0002\t設計包\t", "0003\t功課\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

  const test::CliRun download = test::RunCliBinary(
      web.ProxyAddress(), work.path(), "download " + address + " --albums 1 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("也許成功\tqueued=3\tsaved=3"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(save.path() / "lanlan" / "也許成功" / "許功蓋的夜.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
