// The listing: GetAlbums and the listing thread, driven with a test site table.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/main_state.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace zentrow {
namespace {

using test::RecordingUi;
using test::TempDir;

ST_PERLISTRECORD Album(Text name, int32_t count = -1) {
  ST_PERLISTRECORD r;
  r.name = std::move(name);
  r.count = count;
  return r;
}

struct Listing : ::testing::Test {
  TempDir work;
  RecordingUi ui;
  SiteTable sites{};
  Text seenKey;
  std::unique_ptr<MainState> state;

  void Make() {
    state = std::make_unique<MainState>(ui, sites, work.text());
    state->SetReady();
  }
  void List(int category, Text address) {
    state->SetCategory(category);
    state->SetAddressText(std::move(address));
    state->GetAlbums();
    state->WaitListing();
  }
};

TEST_F(Listing, ReportsTheAlbumsAndRemembersTheAddress) {
  sites[SITE_SINA].listing = [this](MainState& s, Text key, ListingOutcome&) {
    seenKey = key;
    s.listType = 2;
    s.ownerFolder = u"张/三";
    AddAlbumRow(Album(u"一"), s);
    AddAlbumRow(Album(u"二", 5), s);
  };
  Make();
  List(SITE_SINA, u"  http://weibo.com/u/1  ");
  EXPECT_EQ(seenKey, u"http://weibo.com/u/1");  // trimmed
  EXPECT_EQ(state->albums.Count(), 2);
  EXPECT_EQ(ui.added.size(), 2u);
  EXPECT_EQ(state->listType, 2);
  EXPECT_EQ(state->ownerFolder, u"张三/");
  EXPECT_EQ(state->listState, LIST_IDLE);
  EXPECT_EQ(ui.status1.front(), u"正在获取相册列表，请稍等...");
  EXPECT_EQ(ui.LastStatus1(), u"获取相册列表完成，共2个");
  EXPECT_EQ(ui.groupTexts, (std::vector<Text>{u"相册列表", u"相册列表(共2个)"}));
  EXPECT_EQ(ui.listingLooks, (std::vector<int>{-1, 2}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->Settings().History(HistoryList::Address), (TextList{u"http://weibo.com/u/1"}));
  EXPECT_EQ(ui.historyChanges, 1);

  // The same address in another letter case is not remembered twice; a new listing
  // clears the old albums first.
  List(SITE_SINA, u"http://WEIBO.COM/U/1");
  EXPECT_EQ(state->albums.Count(), 2);
  EXPECT_EQ(ui.clears, 2);
  EXPECT_EQ(state->Settings().History(HistoryList::Address).size(), 1u);
  EXPECT_EQ(ui.historyChanges, 1);

  // The history was saved with the settings.
  RecordingUi other;
  MainState reloaded(other, sites, work.text());
  EXPECT_EQ(reloaded.Settings().History(HistoryList::Address).size(), 1u);
}

TEST_F(Listing, MessagesForWhatCannotBeListed) {
  int calls = 0;
  sites[SITE_QQ].listing = [&](MainState& s, Text key, ListingOutcome& outcome) {
    ++calls;
    seenKey = key;
    outcome.emptyMessage = u"没有获取到相册";
    EXPECT_EQ(s.listType, 1);  // the sub-kind box's choice
  };
  Make();

  List(SITE_QQ, u"   ");
  EXPECT_EQ(ui.messages.size(), 1u);   // the address is needed
  EXPECT_TRUE(ui.listingLooks.empty());  // the window never switched to the running look
  EXPECT_EQ(state->listState, LIST_IDLE);

  List(SITE_BAIDU, u"tieba.baidu.com/f?kw=x");  // not a web address, not QQ
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.LastStatus1(), u"获取相册列表完成，共0个");

  List(SITE_MOKO, u"http://www.moko.cc/x");  // a category this table has no branch for
  EXPECT_EQ(ui.messages.back(), u"该站点暂未支持");

  state->SetSubKind(1);
  List(SITE_QQ, u"123456");  // a bare number is fine for QQ
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seenKey, u"123456");
  EXPECT_EQ(ui.messages.back(), u"没有获取到相册");
  EXPECT_TRUE(state->Settings().History(HistoryList::Address).empty());
}

TEST_F(Listing, NothingHappensBeforeTheConfigurationIsLoaded) {
  sites[SITE_QQ].listing = [](MainState& s, Text, ListingOutcome&) { AddAlbumRow(Album(u"x"), s); };
  state = std::make_unique<MainState>(ui, sites, work.text());
  List(SITE_QQ, u"1");
  EXPECT_EQ(ui.clears, 0);
  EXPECT_TRUE(ui.status1.empty());
  // Rows are ignored too until the ready flag is set.
  AddAlbumRow(Album(u"y"), *state);
  EXPECT_EQ(state->albums.Count(), 0);
}

TEST_F(Listing, PressingAgainStopsAfterTheCurrentAlbum) {
  std::atomic<bool> release{false};
  sites[SITE_QQ].listing = [&](MainState& s, Text, ListingOutcome&) {
    for (int i = 0; i < 1000; ++i) {
      AddAlbumRow(Album(u"a"), s);
      if (i == 2) {
        while (!release) std::this_thread::yield();
      }
      if (s.listState == LIST_STOP) return;
    }
  };
  Make();
  state->SetCategory(SITE_QQ);
  state->SetAddressText(u"1");
  state->GetAlbums();
  while (state->albums.Count() < 3) std::this_thread::yield();
  state->GetAlbums();  // "终止获取"
  EXPECT_EQ(state->listState, LIST_STOP);
  release = true;
  state->WaitListing();
  EXPECT_EQ(state->albums.Count(), 3);
  EXPECT_EQ(state->listState, LIST_IDLE);
  EXPECT_EQ(ui.LastStatus1(), u"获取相册列表完成，共3个");
}

TEST_F(Listing, AutoDownloadStartsTheDownloadOfEveryAlbum) {
  std::vector<int> downloaded;
  sites[SITE_JD].listing = [](MainState& s, Text, ListingOutcome& outcome) {
    AddAlbumRow(Album(u"item"), s);
    outcome.autoDownload = s.albums.Count() == 1;
  };
  sites[SITE_JD].photos = [&](MainState&, int albumIndex) { downloaded.push_back(albumIndex); };
  Make();
  state->SetSavePathText(work.text() + u"save");
  List(SITE_JD, u"http://item.jd.com/1.html");
  state->WaitDownload();
  EXPECT_EQ(downloaded, (std::vector<int>{0}));
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");
}

}  // namespace
}  // namespace zentrow
