// Huaban end to end: a board listed and downloaded at once, its pins from the board page
// and then in batches of 20 after the last pin id, the failures that end a board, and one
// run of zentrow-cli, over the fake web fixtures in tests/sites/huaban.
#include "sites/huaban/huaban.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using namespace std::chrono_literals;
using test::Quoted;
using test::ReadFile;
using test::RunCliBinary;
using test::SavedPicture;
using test::TempDir;

const std::string kPicture = test::JpegBody('h');
constexpr char kBatches12345[] = "http://huaban.com/boards/12345/?";

struct Huaban : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "huaban"));
    ServePicture({"http://hbimg.b0.upaiyun.com/", "http://img.hb.aicdn.com/"}, kPicture);
    sites[SITE_HUABAN] = HuabanReaders({.boardRetrySeconds = 0, .betweenBatches = 0ms, .afterFailure = 0ms});
    BuildState(SITE_HUABAN, {0, 0, 4, 10}, sites).filePrefix.Set(u"?8-");  // the board owner
  }
  // Lists a board and waits for the download the listing starts.
  void ListBoard(const Text& address) {
    List(address);
    state->WaitDownload();
  }
  int Queued() const {
    EXPECT_EQ(ui.summaries.size(), 1u);
    return ui.summaries.empty() ? -1 : ui.summaries[0].queued;
  }
};

TEST_F(Huaban, ABoardIsListedAndDownloadedAtOnceUpToItsPinCount) {
  ListBoard(u"http://huaban.com/boards/12345/?md=newbn&beauty=");

  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].name, u"旅行的意义");
  EXPECT_EQ(albums[0].listAddress, u"http://huaban.com/boards/12345/");
  EXPECT_EQ(albums[0].count, 45);
  EXPECT_EQ(state->ownerFolder, u"小鹿Deer/");
  EXPECT_EQ(web.RequestsTo("http://huaban.com/boards/12345/").front().url, "http://huaban.com/boards/12345/");

  // The board page's 20 pins on the host it names, then two batches on the built-in host;
  // the second batch is left after its fifth pin, the 45th of the board.
  std::vector<SavedPicture> pictures;
  for (int pin = 5060; pin > 5015; --pin) {
    const std::string host = pin > 5040 ? "http://hbimg.b0.upaiyun.com/" : "http://img.hb.aicdn.com/";
    pictures.push_back({"小鹿Deer/旅行的意义/小鹿Deer-pin " + std::to_string(pin) + ".jpg",
                        host + "k" + std::to_string(pin) + "-abc"});
  }
  pictures[2].file = "小鹿Deer/旅行的意义/小鹿Deer-山顶.jpg";        // texts as the pins give them
  pictures[30].file = "小鹿Deer/旅行的意义/小鹿Deer-sea & sky.jpg";
  ExpectSaved(pictures, kPicture);
  EXPECT_EQ(Queued(), 45);
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");
  EXPECT_TRUE(web.RequestsTo("http://img.hb.aicdn.com/k5015-abc").empty());

  // Each batch after the last pin id so far, numbered so no two addresses are alike, with
  // the board as its referer.
  EXPECT_EQ(Urls(kBatches12345), (std::vector<std::string>{
                                     "http://huaban.com/boards/12345/?hxzmqq1s&max=5041&limit=20&wfl=1",
                                     "http://huaban.com/boards/12345/?hxzmqq2s&max=5021&limit=20&wfl=1"}));
  for (const auto& request : web.RequestsTo(kBatches12345))
    EXPECT_EQ(request.Header("Referer"), "http://huaban.com/boards/12345/");
  EXPECT_EQ(state->scratchText, u"5016");
}

TEST_F(Huaban, ThreeGatewayTimeOutsInARowEndTheBoardAndKeepTheLogin) {
  ASSERT_TRUE(net::CookieStore::Instance().SetCookie(u"http://huaban.com/", "sid=login42; path=/; domain=huaban.com"));
  ListBoard(u"http://huaban.com/boards/777/");

  EXPECT_EQ(Queued(), 20);  // the board page's pins are kept
  const auto batches = web.RequestsTo("http://huaban.com/boards/777/?");
  ASSERT_EQ(batches.size(), 3u);
  for (const auto& request : batches) {
    EXPECT_EQ(request.url, "http://huaban.com/boards/777/?hxzmqq1s&max=7701&limit=20&wfl=1");
    EXPECT_NE(request.Header("Cookie").find("sid=login42"), std::string::npos);
  }
  EXPECT_EQ(net::CookieStore::Instance().CookieText(u"http://huaban.com/"), u"sid=login42");
}

TEST_F(Huaban, ABatchOfPinsMetBeforeEndsTheBoard) {
  ListBoard(u"http://huaban.com/boards/888/");
  // The pin without a picture key is not queued, and no pin twice.
  EXPECT_EQ(Queued(), 19);
  EXPECT_EQ(web.RequestsTo("http://huaban.com/boards/888/?").size(), 1u);
  EXPECT_TRUE(web.RequestsTo("http://hbimg.b0.upaiyun.com/k8810").empty());
}

TEST_F(Huaban, AddressesThatGiveNoBoard) {
  struct Case {
    const char16_t* typed;
    std::vector<Text> messages;
    size_t requests;
  };
  const std::vector<Case> cases = {
      // Not a board: the message, its "^" as line breaks; nothing is asked.
      {u"http://huaban.com/deer/",
       {u"请输入花瓣网画板(board)的网址\n例如: http://huaban.com/boards/12345678/\n\n打开画板页面后，复制浏览器地址栏里的网址"},
       0},
      // A reply of 100 characters or fewer is no board page, however often it is asked.
      {u"http://huaban.com/boards/999/", {}, 4},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    web.ClearRequests();
    ListBoard(c.typed);
    EXPECT_EQ(state->albums.Count(), 0) << ToUtf8(c.typed);
    EXPECT_EQ(ui.messages, c.messages) << ToUtf8(c.typed);
    EXPECT_EQ(web.Requests().size(), c.requests) << ToUtf8(c.typed);
    EXPECT_TRUE(ui.summaries.empty());
  }
}

// The board's pins all come with its page: the reader asks for no batch and waits for none.
TEST_F(Huaban, TheCommandLineListsAndDownloadsABoard) {
  const TempDir cliWork, cliSave;
  const test::CliRun list = RunCliBinary(web.ProxyAddress(), cliWork.path(), "list http://huaban.com/boards/555/");
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("0001\t三张\t   3"), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("SiteIndex 18:"), std::string::npos) << list.err;

  const test::CliRun run = RunCliBinary(web.ProxyAddress(), cliWork.path(),
                                        "download http://huaban.com/boards/555/ --save-path " + Quoted(cliSave.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("三张\tqueued=3\tsaved=3"), std::string::npos) << run.out;
  for (const char* name : {"一", "二", "三"})
    EXPECT_EQ(ReadFile(cliSave.path() / "fox" / "三张" / (std::string(name) + ".jpg")), kPicture) << name;
  EXPECT_TRUE(web.RequestsTo("http://huaban.com/boards/555/?").empty());
}

}  // namespace
}  // namespace zentrow
