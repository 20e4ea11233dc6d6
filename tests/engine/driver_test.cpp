// The download driver end to end: a test site table over the fake web.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/main_state.h"
#include "net/http.h"
#include "support/fake_web.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;
using test::FakeReply;
using test::FakeWeb;
using test::ReadFile;
using test::RecordingUi;
using test::TempDir;

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(100, 'p');

std::string Picture(char fill, size_t size = 2048) { return "\xFF\xD8" + std::string(size - 2, fill); }

using Progress = std::vector<std::pair<int, int>>;

// The picture progress of a download, one list per album: each album starts with (0, 0)
// while its pictures are read; the ones it downloads follow with their queued count as total.
std::vector<Progress> PerAlbum(const Progress& pictures) {
  std::vector<Progress> albums;
  for (const auto& step : pictures) {
    if (step == std::pair(0, 0)) albums.emplace_back();
    else if (!albums.empty()) albums.back().push_back(step);
  }
  return albums;
}

// Starts at 0 of `queued`, never goes back, ends with every picture of the album.
void ExpectCountsUpTo(const Progress& album, int queued) {
  ASSERT_FALSE(album.empty());
  EXPECT_EQ(album.front(), std::pair(0, queued));
  EXPECT_EQ(album.back(), std::pair(queued, queued));
  for (size_t i = 1; i < album.size(); ++i) {
    EXPECT_EQ(album[i].second, queued);
    EXPECT_LE(album[i - 1].first, album[i].first);
  }
}

// Albums are "name|address1|address2..."; the photo reader queues every address with
// the picture's number as description.
struct Driver : ::testing::Test {
  FakeWeb web;
  TempDir work;
  TempDir save;
  RecordingUi ui;
  SiteTable sites{};
  std::vector<Text> albumSpecs;
  std::unique_ptr<MainState> state;

  void SetUp() override {
    net::SetProxy(web.ProxyAddress());
    sites[SITE_QQ].listing = [this](MainState& s, Text, ListingOutcome&) {
      s.ownerFolder = u"owner";
      for (const Text& spec : albumSpecs) {
        TextList parts;
        SplitN(spec, u"|", CountOf(spec, u"|"), parts);
        ST_PERLISTRECORD r;
        r.name = parts[0];
        r.listAddress = spec;
        AddAlbumRow(r, s);
      }
    };
    sites[SITE_QQ].photos = [](MainState& s, int albumIndex) {
      ST_PERLISTRECORD album;
      s.albums.Get(albumIndex, album);
      TextList parts;
      SplitN(album.listAddress, u"|", CountOf(album.listAddress, u"|"), parts);
      for (size_t i = 1; i < parts.size(); ++i) {
        AddPictureItem(s, parts[i], u"p" + NumberText(static_cast<long long>(i)), Text(), albumIndex);
        if (s.downloadState == DOWNLOAD_READER_STOP || s.downloadState == DOWNLOAD_USER_STOP) return;
      }
    };
    state = std::make_unique<MainState>(ui, sites, work.text());
    state->SetReady();
    state->SetCategory(SITE_QQ);
    state->SetSavePathText(save.text());
    DownloadParams& params = state->Settings().Params(SITE_QQ);
    params.threadCount = 4;
    params.timeoutSeconds = 10;
    NamingRecord& naming = state->Settings().Naming(SITE_QQ);
    naming.optionFlags = 0;
  }
  void TearDown() override { net::SetProxy(""); }

  void ListAndDownload(std::vector<int> ticked) {
    state->SetAddressText(u"12345");
    state->GetAlbums();
    state->WaitListing();
    state->SetTicked(std::move(ticked));
    state->Download();
    state->WaitDownload();
  }
  fs::path AlbumFolder(const char* name) const { return save.path() / "owner" / name; }
};

TEST_F(Driver, DownloadsTheTickedAlbumsIntoTheirFolders) {
  web.Get("http://photo.example.com/a1.jpg", Picture('a'));
  web.Get("http://photo.example.com/a2.jpg", Picture('b'));
  web.Get("http://photo.example.com/b1.jpg", Picture('c'));
  albumSpecs = {u"春天|http://photo.example.com/a1.jpg|http://photo.example.com/a2.jpg",
                u"skipped|http://photo.example.com/x.jpg",
                u"夏天|http://photo.example.com/b1.jpg"};
  state->Settings().Naming(SITE_QQ).optionFlags = OPT_OPEN_FOLDER;
  ListAndDownload({0, 2});

  EXPECT_EQ(ReadFile(AlbumFolder("春天") / "p1.jpg"), Picture('a'));
  EXPECT_EQ(ReadFile(AlbumFolder("春天") / "p2.jpg"), Picture('b'));
  EXPECT_EQ(ReadFile(AlbumFolder("夏天") / "p1.jpg"), Picture('c'));
  EXPECT_FALSE(fs::exists(AlbumFolder("skipped")));
  // The marker holds the first queued address, UTF-16LE without byte-order mark.
  const Text first = u"http://photo.example.com/a1.jpg";
  EXPECT_EQ(ReadFile(AlbumFolder("春天") / "pic.vrk"),
            std::string(reinterpret_cast<const char*>(first.data()), first.size() * 2));

  const auto& s1 = ui.status1;
  EXPECT_NE(std::find(s1.begin(), s1.end(), u"正在下载第1/2个图集"), s1.end());
  EXPECT_NE(std::find(s1.begin(), s1.end(), u"正在下载第2/2个图集"), s1.end());
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");
  EXPECT_EQ(ui.LastStatus2(), u"");
  EXPECT_EQ(ui.downloadLooks, (std::vector<bool>{true, false}));
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 2);
  EXPECT_EQ(ui.summaries[0].saved, 2);
  EXPECT_EQ(ui.summaries[1].failed, 0);
  EXPECT_EQ(ui.openedFolders, (std::vector<Text>{FromUtf8(AlbumFolder("夏天").string() + "/")}));
  EXPECT_EQ(state->selectedAlbumCount, 2);
  EXPECT_EQ(state->downloadState, DOWNLOAD_IDLE);

  // Progress in numbers beside the texts: albums finished, pictures of the current album.
  EXPECT_EQ(ui.albumProgress, (Progress{{0, 2}, {1, 2}, {2, 2}}));
  const std::vector<Progress> pictures = PerAlbum(ui.pictureProgress);
  ASSERT_EQ(pictures.size(), 2u);
  ExpectCountsUpTo(pictures[0], 2);
  ExpectCountsUpTo(pictures[1], 1);
  ASSERT_EQ(ui.ended.size(), 1u);
  const DownloadTotals& totals = ui.ended[0];
  EXPECT_EQ(totals.folder, FromUtf8((save.path() / "owner").string() + "/"));
  EXPECT_EQ(totals.albums, 2);
  EXPECT_EQ(totals.albumsDone, 2);
  EXPECT_EQ(totals.saved, 3);
  EXPECT_EQ(totals.failed, 0);
  EXPECT_EQ(totals.listFiles, 0);
}

// Names and descriptions as hostile pages send them: dots and blanks that would name the
// folder itself or its parent, U+0000 that would end a name early, an absolute path that
// climbs out past a U+0000. Every file lands inside the save path, none overwrites another.
TEST_F(Driver, HostileNamesFromPagesStayInsideTheSavePath) {
  const fs::path inside = save.path() / "inside";
  state->SetSavePathText(FromUtf8(inside.string()));
  const Text nul(1, u'\0');
  sites[SITE_QQ].listing = [&](MainState& s, Text, ListingOutcome&) {
    s.ownerFolder = u". .. .";
    s.extraFolder = u"| .. |";
    for (const Text& name : {Text(u".."), u"abc" + nul + u"x", Text(u" . ")}) {
      ST_PERLISTRECORD r;
      r.name = name;
      AddAlbumRow(r, s);
    }
  };
  std::vector<Text> descriptions;
  sites[SITE_QQ].photos = [&](MainState& s, int albumIndex) {
    descriptions = {nul, u"abc" + nul + u"x", u"abc" + nul + u"y", s.runFolder + u"../evil" + nul + u"/../inside/y",
                    u". .x"};
    for (size_t i = 0; i < descriptions.size(); ++i)
      AddPictureItem(s, u"http://photo.example.com/" + NumberText(static_cast<long long>(i)) + u".jpg",
                     descriptions[i], Text(), albumIndex);
  };
  for (int i = 0; i < 5; ++i) web.Get("http://photo.example.com/" + std::to_string(i) + ".jpg", Picture('a' + i));
  ListAndDownload({0, 1, 2});

  ASSERT_EQ(ui.summaries.size(), 3u);
  for (const auto& summary : ui.summaries) {
    EXPECT_EQ(summary.queued, 5);
    EXPECT_EQ(summary.saved, 5);
  }
  std::vector<std::string> names;
  int pictures = 0;
  for (const auto& entry : fs::recursive_directory_iterator(save.path())) {
    const std::string relative = fs::relative(entry.path(), save.path()).string();
    EXPECT_EQ(relative.rfind("inside", 0), 0u) << relative;  // nothing beside the save path
    EXPECT_EQ(relative.find('\0'), std::string::npos) << relative;
    if (entry.is_regular_file() && entry.path().extension() == ".jpg") ++pictures;
    names.push_back(relative);
  }
  EXPECT_EQ(pictures, 15) << ::testing::PrintToString(names);  // no picture overwrote another
  // The owner and extra folders had nothing left of their names; the albums' names were
  // cleaned ("abcx"), or fell back to a name of their own.
  EXPECT_TRUE(fs::exists(inside / "abcx" / "abcx.jpg"));
  EXPECT_TRUE(fs::exists(inside / "abcx" / "abcy.jpg"));
  EXPECT_TRUE(fs::exists(inside / "abcx" / "x.jpg"));
}

TEST_F(Driver, FailedPicturesAreCountedAndReported) {
  web.Get("http://photo.example.com/ok.jpg", Picture('o'));
  FakeReply broken;
  broken.body = Picture('x', 8192);
  broken.dropAfter = 100;
  web.Get("http://photo.example.com/broken.jpg", broken);
  web.Get("http://photo.example.com/small.jpg", Picture('s', 512));
  state->Settings().Params(SITE_QQ).minSizeKb = 1;
  albumSpecs = {u"a|http://photo.example.com/ok.jpg|http://photo.example.com/broken.jpg|"
                u"http://photo.example.com/small.jpg|http://photo.example.com/missing.jpg"};
  ListAndDownload({0});

  EXPECT_TRUE(fs::exists(AlbumFolder("a") / "p1.jpg"));
  EXPECT_FALSE(fs::exists(AlbumFolder("a") / "p2.jpg"));
  EXPECT_FALSE(fs::exists(AlbumFolder("a") / "p3.jpg"));  // below the minimum size
  EXPECT_FALSE(fs::exists(AlbumFolder("a") / "p4.jpg"));  // an error page is no picture
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].saved, 1);
  EXPECT_EQ(ui.summaries[0].failed, 3);
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");
  EXPECT_EQ(ui.LastStatus2(), u"有3张图片下载失败");
  EXPECT_EQ(ui.status2[ui.status2.size() - 2], u"已下载4/4......");
  EXPECT_EQ(ui.pictureProgress.back(), std::pair(4, 4));  // a failed picture is finished too
  ASSERT_EQ(ui.ended.size(), 1u);
  EXPECT_EQ(ui.ended[0].saved, 1);
  EXPECT_EQ(ui.ended[0].failed, 3);
}

TEST_F(Driver, AnEmptyReplyFallsBackToTheSecondAddress) {
  web.Get("http://photo.example.com/empty.jpg", std::string());
  web.Get("http://backup.example.com/full.jpg", Picture('f'));
  albumSpecs = {u"a|http://photo.example.com/empty.jpg\r\nhttp://backup.example.com/full.jpg"};
  ListAndDownload({0});
  EXPECT_EQ(ReadFile(AlbumFolder("a") / "p1.jpg"), Picture('f'));
}

TEST_F(Driver, ListOnlyWritesTheListFileAndFetchesNothing) {
  albumSpecs = {u"清单|http://photo.example.com/1.jpg|http://photo.example.com/图2.jpg"};
  state->Settings().Naming(SITE_QQ).optionFlags = OPT_LIST_ONLY | OPT_OPEN_FOLDER;
  ListAndDownload({0});
  EXPECT_EQ(ReadFile(AlbumFolder("清单") / "清单.lst"),
            "http://photo.example.com/1.jpg\r\nhttp://photo.example.com/" + ToGbk(u"图") + "2.jpg\r\n");
  EXPECT_TRUE(web.RequestsTo("http://photo.example.com/").empty());
  EXPECT_FALSE(fs::exists(AlbumFolder("清单") / "pic.vrk"));
  EXPECT_EQ(ui.openedFolders.size(), 1u);  // the queued pictures count
  EXPECT_EQ(ui.albumProgress, (Progress{{0, 1}, {1, 1}}));
  EXPECT_EQ(ui.pictureProgress, (Progress{{0, 0}}));  // read, but nothing downloaded
  ASSERT_EQ(ui.ended.size(), 1u);
  EXPECT_EQ(ui.ended[0].listFiles, 1);
  EXPECT_EQ(ui.ended[0].saved, 0);
}

TEST_F(Driver, FixPassesRenameAndOrderTheFiles) {
  web.Get("http://photo.example.com/1.jpg", kPng);
  web.Get("http://photo.example.com/2.jpg", Picture('j'));
  albumSpecs = {u"a|http://photo.example.com/1.jpg|http://photo.example.com/2.jpg"};
  state->Settings().Naming(SITE_QQ).optionFlags = OPT_FIX_FORMAT | OPT_FIX_ORDER;
  ListAndDownload({0});
  EXPECT_TRUE(fs::exists(AlbumFolder("a") / "p1.png"));
  EXPECT_FALSE(fs::exists(AlbumFolder("a") / "p1.jpg"));
  auto t1 = fs::last_write_time(AlbumFolder("a") / "p1.png");
  auto t2 = fs::last_write_time(AlbumFolder("a") / "p2.jpg");
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(t1 - t2).count(), 60);
}

TEST_F(Driver, SkipOldQueuesOnlyThePicturesNewerThanTheMarker) {
  for (int i = 1; i <= 4; ++i)
    web.Get("http://photo.example.com/" + std::to_string(i) + ".jpg", Picture('0' + i));
  albumSpecs = {u"a|http://photo.example.com/3.jpg|http://photo.example.com/4.jpg"};
  ListAndDownload({0});
  ASSERT_TRUE(fs::exists(AlbumFolder("a") / "pic.vrk"));

  // The album has grown at the front; the second run stops at the old newest picture.
  albumSpecs = {u"a|http://photo.example.com/1.jpg|http://photo.example.com/2.jpg|"
                u"http://photo.example.com/3.jpg|http://photo.example.com/4.jpg"};
  state->Settings().Naming(SITE_QQ).optionFlags = OPT_SKIP_DOWNLOADED;
  web.ClearRequests();
  ListAndDownload({0});
  EXPECT_EQ(web.RequestsTo("http://photo.example.com/").size(), 2u);
  EXPECT_EQ(ui.summaries.back().queued, 2);
}

TEST_F(Driver, StoppingEndsTheRunBeforeTheNextAlbum) {
  FakeReply slow;
  slow.body = Picture('s');
  slow.delay = std::chrono::milliseconds(400);
  web.Get("http://photo.example.com/slow.jpg", slow);
  web.Get("http://photo.example.com/next.jpg", Picture('n'));
  albumSpecs = {u"a|http://photo.example.com/slow.jpg", u"b|http://photo.example.com/next.jpg"};
  state->SetAddressText(u"1");
  state->GetAlbums();
  state->WaitListing();
  state->SetTicked({0, 1});
  state->Download();
  while (web.RequestsTo("http://photo.example.com/slow.jpg").empty()) std::this_thread::yield();
  EXPECT_EQ(state->CurrentAlbumFolder(), FromUtf8(AlbumFolder("a").string() + "/"));  // what "打开" opens
  state->Download();  // "终止下载"
  state->WaitDownload();
  EXPECT_EQ(state->CurrentAlbumFolder(), u"");
  EXPECT_TRUE(fs::exists(AlbumFolder("a") / "p1.jpg"));  // the picture in flight completes
  EXPECT_FALSE(fs::exists(AlbumFolder("a") / "pic.vrk"));  // no marker after a stop
  EXPECT_FALSE(fs::exists(AlbumFolder("b")));
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");
  EXPECT_EQ(state->downloadState, DOWNLOAD_IDLE);
  EXPECT_EQ(ui.albumProgress, (Progress{{0, 2}, {1, 2}}));
  ASSERT_EQ(ui.ended.size(), 1u);
  EXPECT_EQ(ui.ended[0].albums, 2);
  EXPECT_EQ(ui.ended[0].albumsDone, 1);
  EXPECT_EQ(ui.ended[0].saved, 1);
}

TEST_F(Driver, SavePathProblemsAreReported) {
  albumSpecs = {u"a|http://photo.example.com/1.jpg"};
  state->SetSavePathText(u"  ");
  ListAndDownload({0});
  EXPECT_EQ(ui.messages.back(), u"请先设置保存路径");
  std::ofstream(save.path() / "file") << "x";
  state->SetSavePathText(FromUtf8((save.path() / "file").string()));
  state->Download();
  state->WaitDownload();
  EXPECT_EQ(ui.messages.back(), u"请检测设置的保存路径是否有误");
  EXPECT_TRUE(ui.downloadLooks.empty());
  EXPECT_TRUE(ui.ended.empty());  // no download ran
  EXPECT_EQ(state->downloadState, DOWNLOAD_IDLE);
}

}  // namespace
}  // namespace zentrow
