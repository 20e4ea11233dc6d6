// ZOL photo albums end to end: the production entry, the engine and the fake web; the
// full-size rule of picture addresses; and the command-line program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "sites/zol/zol.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('z');
const std::string kAlbumPage = "http://photo.zol.com.cn/lanlan/album/1001_";
constexpr char16_t kAlbumsAddress[] = u"http://photo.zol.com.cn/lanlan/album_1.html";

struct Zol : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "zol"));
    ServePicture({"http://img.zol.com.cn/g5/"}, kPicture);
    BuildState(SITE_ZOL, {0, 0, 4, 10});
  }
};

TEST(ZolFullSize, DropsTheSizeFolderOrTheSizeSuffixOnly) {
  struct Case {
    const char16_t* thumbnail;
    const char16_t* full;
  };
  const std::vector<Case> cases = {
      // A size folder right under the host.
      {u"http://img.zol.com.cn/t_s160x120/g5/M00/01/abc.jpg", u"http://img.zol.com.cn/g5/M00/01/abc.jpg"},
      // "_" and a size before the file's extension; a "_" in a folder stays.
      {u"http://img.zol.com.cn/g5/M00/01/def_160x120.jpg", u"http://img.zol.com.cn/g5/M00/01/def.jpg"},
      {u"http://img.zol.com.cn/g5/M00/my_pics/jkl_160.png", u"http://img.zol.com.cn/g5/M00/my_pics/jkl.png"},
      {u"http://img.zol.com.cn/g5/M00/01/a_b_120X90.jpg", u"http://img.zol.com.cn/g5/M00/01/a_b.jpg"},
      // Nothing to drop: the address as it is.
      {u"http://img.zol.com.cn/g5/M00/01/ghi.jpg", u"http://img.zol.com.cn/g5/M00/01/ghi.jpg"},
      {u"http://img.zol.com.cn/g5/M00/01/name_part.jpg", u"http://img.zol.com.cn/g5/M00/01/name_part.jpg"},
      {u"http://img.zol.com.cn/g5/M00/01/x_120x.jpg", u"http://img.zol.com.cn/g5/M00/01/x_120x.jpg"},
      {u"http://img.zol.com.cn/g5/M00/my_120/noext", u"http://img.zol.com.cn/g5/M00/my_120/noext"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ZolFullSize(c.thumbnail), c.full) << ToUtf8(c.thumbnail);
}

TEST_F(Zol, ListsTheAlbumsOfAUserOverItsPages) {
  List(kAlbumsAddress);
  EXPECT_EQ(state->Category(), SITE_ZOL);
  EXPECT_EQ(state->listType, -1);
  EXPECT_EQ(state->userIdText, u"lanlan");
  EXPECT_EQ(state->ownerFolder, u"蓝蓝/");  // the title up to "的全部相册"
  // "装机记" shown again on page 2 is listed once.
  test::ExpectAlbumRows(state->albums.Snapshot(),
                        {
                            {u"装机记", u"/lanlan/album/1001_", u"http://img.zol.com.cn/album/c1001.jpg", 5},
                            {u"数码", u"/lanlan/album/1002_", u"http://img.zol.com.cn/album/c1002.jpg", 1},
                            {u"风景", u"/lanlan/album/1003_", u"http://img.zol.com.cn/album/c1003.jpg", 0},
                        });
  EXPECT_EQ(Urls("http://photo.zol.com.cn/lanlan/album_"),
            (std::vector<std::string>{"http://photo.zol.com.cn/lanlan/album_1.html",
                                      "http://photo.zol.com.cn/lanlan/album_2.html"}));
}

TEST_F(Zol, DownloadsAnAlbumOfThreePagesAtFullSize) {
  List(kAlbumsAddress);
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0});
  ExpectSaved(
      {
          {"蓝蓝/装机记/机箱.jpg", "http://img.zol.com.cn/g5/M00/01/abc.jpg"},
          {"蓝蓝/装机记/主板.jpg", "http://img.zol.com.cn/g5/M00/01/def.jpg"},
          {"蓝蓝/装机记/显卡.jpg", "http://img.zol.com.cn/g5/M00/01/ghi.jpg"},
          {"蓝蓝/装机记/内存.jpg", "http://img.zol.com.cn/g5/M00/my_pics/jkl.jpg"},
          {"蓝蓝/装机记/电源.jpg", "http://img.zol.com.cn/g5/M00/01/mno.jpg"},
      },
      kPicture);
  EXPECT_EQ(Urls(kAlbumPage), (std::vector<std::string>{kAlbumPage + "1.html", kAlbumPage + "2.html",
                                                        kAlbumPage + "3.html"}));
  EXPECT_EQ(Urls("http://img.zol.com.cn/").size(), 5u);
}

TEST_F(Zol, TheUserNameIsThePathPartAfterTheHost) {
  for (const Text& address : {Text(kAlbumsAddress), Text(u"http://photo.zol.com.cn/lanlan/"),
                              Text(u"https://photo.zol.com.cn/lanlan/album_2.html")}) {
    SCOPED_TRACE(ToUtf8(address));
    web.ClearRequests();
    List(address);
    EXPECT_EQ(state->userIdText, u"lanlan");
    const auto requests = Urls("");
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0], "http://photo.zol.com.cn/lanlan/album_1.html");
    EXPECT_EQ(state->albums.Count(), 3);
  }
}

TEST(ZolCommandLine, ListsAndDownloadsThroughTheProductionReaders) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "zol"));
  web.Get("http://img.zol.com.cn/g5/*", kPicture);
  const test::TempDir work, save;
  const std::string address = test::Quoted(ToUtf8(kAlbumsAddress));
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), work.path(), "list " + address);
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t装机记\t", "0002\t数码\t", "0003\t风景\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

  const test::CliRun download = test::RunCliBinary(
      web.ProxyAddress(), work.path(), "download " + address + " --albums 1 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("装机记\tqueued=5\tsaved=5"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(save.path() / "蓝蓝" / "装机记" / "电源.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
