// 51 photo albums end to end: the production entry (with a busy server's pause of 0), the
// engine and the fake web; and the command-line program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/51/site51.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('1');
const std::string kDataView = "http://home.51.com/lanlan/photo/getdataview/?id=";
constexpr char16_t kPhotoAddress[] = u"http://home.51.com/lanlan/photo";

struct Site51 : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "51"));
    ServePicture({"http://img.51img.com/big/"}, kPicture);
    sites[SITE_51] = Site51Readers({.busyPauseSeconds = 0});
    BuildState(SITE_51, {0, 0, 4, 10}, sites);
  }

  // A reply of the fixture folder, compressed.
  static test::FakeReply Compressed(const char* file) {
    test::FakeReply reply;
    reply.body = ReadFile(test::SiteData("51") / file);
    reply.encoding = test::FakeReply::Encoding::Gzip;
    return reply;
  }

  // Each picture is saved and was asked for with `referer`.
  void ExpectPictures(const std::vector<test::SavedPicture>& pictures, const std::string& referer) const {
    ExpectSaved(pictures, kPicture);
    for (const test::SavedPicture& p : pictures)
      for (const auto& request : web.RequestsTo(p.address)) EXPECT_EQ(request.Header("Referer"), referer) << p.address;
  }
};

TEST_F(Site51, ListsTheAlbumsOfThePhotoPage) {
  List(kPhotoAddress);
  EXPECT_EQ(state->Category(), SITE_51);
  EXPECT_EQ(state->listType, -1);
  EXPECT_EQ(state->ownerFolder, u"lanlan/");
  EXPECT_EQ(state->userIdText, u"lanlan");
  // The nameless album gives no row; one without a count shows 0.
  test::ExpectAlbumRows(state->albums.Snapshot(),
                        {
                            {u"春天", u"lanlan/photo/album/1001", u"http://img.51img.com/cover/1001.jpg", 3},
                            {u"夏天", u"/lanlan/photo/album/1002", u"http://img.51img.com/cover/1002.jpg", 2},
                            {u"秋天", u"lanlan/photo/album/1004", u"http://img.51img.com/cover/1004.jpg", 0},
                        });
  EXPECT_EQ(Urls(""), (std::vector<std::string>{"http://home.51.com/lanlan/photo"}));
}

TEST_F(Site51, DownloadsAnAlbumFromThePhotoDataOfItsFirstPicture) {
  List(kPhotoAddress);
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0, 2});

  // Escaped names unescaped, a row without a name named after the album; "秋天" has no
  // picture list, so its photo data is never asked for.
  ExpectPictures(
      {
          {"lanlan/春天/春花.jpg", "http://img.51img.com/big/5551.jpg"},
          {"lanlan/春天/春天.jpg", "http://img.51img.com/big/5552.jpg"},
          {"lanlan/春天/柳树 2.jpg", "http://img.51img.com/big/5553.jpg"},
      },
      "http://home.51.com/lanlan/photo/album/1001");
  EXPECT_EQ(Urls(kDataView), (std::vector<std::string>{kDataView + "5551"}));
  EXPECT_EQ(Urls("http://home.51.com/lanlan/photo/album/1004").size(), 1u);
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[1].queued, 0);
}

// The busy page comes compressed: it is a failed answer all the same, asked again up to
// three times in all.
TEST_F(Site51, ABusyAnswerIsAskedAgainUpToThreeTimes) {
  struct Case {
    std::vector<const char*> replies;  // of the photo data, in turn
    int queued;
  };
  const std::vector<Case> cases = {
      {{"busy.gbk.html", "busy.gbk.html", "data-6661.json"}, 2},
      {{"busy.gbk.html"}, 0},
  };
  List(kPhotoAddress);
  ASSERT_EQ(state->albums.Count(), 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies.size());
    std::vector<test::FakeReply> replies;
    for (const char* file : c.replies) replies.push_back(Compressed(file));
    web.AddInTurn("GET", kDataView + "6661", replies);
    web.ClearRequests();
    ui.summaries.clear();
    DownloadAlbums({1});

    EXPECT_EQ(Urls(kDataView), std::vector<std::string>(3, kDataView + "6661"));
    // The album link began with "/": its page is asked as linked, the Referer without "//".
    EXPECT_EQ(Urls("http://home.51.com//lanlan/photo/album/1002").size(), 1u);
    ASSERT_EQ(ui.summaries.size(), 1u);
    EXPECT_EQ(ui.summaries[0].queued, c.queued);
    if (c.queued > 0)
      ExpectPictures({{"lanlan/夏天/海边.jpg", "http://img.51img.com/big/6661.jpg"},
                      {"lanlan/夏天/沙滩.jpg", "http://img.51img.com/big/6662.jpg"}},
                     "http://home.51.com/lanlan/photo/album/1002");
  }
}

TEST_F(Site51, TheUserNameIsThePathPartAfterTheHost) {
  for (const Text& address : {Text(kPhotoAddress), Text(u"http://home.51.com/lanlan"),
                             Text(u"https://home.51.com/lanlan/photo?from=home")}) {
    SCOPED_TRACE(ToUtf8(address));
    web.ClearRequests();
    List(address);
    EXPECT_EQ(state->ownerFolder, u"lanlan/");
    EXPECT_EQ(state->userIdText, u"lanlan");
    EXPECT_EQ(Urls(""), (std::vector<std::string>{"http://home.51.com/lanlan/photo"}));
    EXPECT_EQ(state->albums.Count(), 3);
  }
}

TEST(Site51CommandLine, ListsAndDownloadsThroughTheProductionReaders) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "51"));
  web.Get("http://img.51img.com/big/*", kPicture);
  const test::TempDir work, save;
  const std::string address = test::Quoted(ToUtf8(kPhotoAddress));
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), work.path(), "list " + address);
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t春天\t", "0002\t夏天\t", "0003\t秋天\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

  const test::CliRun download = test::RunCliBinary(
      web.ProxyAddress(), work.path(), "download " + address + " --albums 1 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("春天\tqueued=3\tsaved=3"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(save.path() / "lanlan" / "春天" / "1.jpg"), kPicture);  // numbered, as 51 names by default
}

}  // namespace
}  // namespace zentrow
