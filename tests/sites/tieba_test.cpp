// Baidu Tieba end to end: forums and threads through the Baidu entry of the production
// table, the engine and the fake web fixtures in tests/sites/tieba, and one run of
// zentrow-cli.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/baidu/baidu.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::QueryValue;
using test::Quoted;
using test::ReadFile;

const std::string kPicture = test::JpegBody('t');
const std::string kPictureItem = "http://imgsrc.baidu.com/forum/pic/item/";
const std::string kForumAlbums = "http://tieba.baidu.com/photo/g?kw=%E9%A3%8E%E6%99%AF&";
const std::string kForumPhotos = "http://tieba.baidu.com/photo/g/bw/picture/list?kw=%E9%A3%8E%E6%99%AF&";
const std::string kThreadGuide = "http://tieba.baidu.com/photo/bw/picture/guide?kw=%B7%E7%BE%B0&fp=1&tid=7001&";
constexpr char16_t kThreadAlbum[] = u"http://tieba.baidu.com/photo/p?kw=%B7%E7%BE%B0&fp=1&tid=7001";

TEST(TiebaText, ForumNamesComeFromAddressesInEveryEncodingAndGoBackEscaped) {
  struct Case {
    const char16_t* kw;  // as the address has it
    const char16_t* forum;
    const char16_t* query;  // as the reader sends it
  };
  const std::vector<Case> cases = {
      {u"%E9%A3%8E%E6%99%AF", u"风景", u"%E9%A3%8E%E6%99%AF"},  // UTF-8 escapes
      {u"%B7%E7%BE%B0", u"风景", u"%E9%A3%8E%E6%99%AF"},        // GBK escapes of older links
      {u"风景", u"风景", u"%E9%A3%8E%E6%99%AF"},                // typed as it shows
      {u"C%2B%2B", u"C++", u"C%2B%2B"},                         // a "+" is no blank
      {u"a%26b%20%231", u"a&b #1", u"a%26b%20%231"},
      {u"x-y_z.~9", u"x-y_z.~9", u"x-y_z.~9"},
      {u"100%", u"100%", u"100%25"},  // a lone "%" stays
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TiebaForumName(c.kw), c.forum) << ToUtf8(c.kw);
    EXPECT_EQ(TiebaQueryValue(c.forum), c.query) << ToUtf8(c.kw);
  }
}

struct TiebaSite : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "tieba"));
    ServePicture({kPictureItem}, kPicture);
    BuildState(SITE_BAIDU, {.threadCount = 3, .timeoutSeconds = 10});
  }
  std::vector<std::string> PagesAsked(const std::string& prefix) const {
    std::vector<std::string> pages;
    for (const std::string& url : Urls(prefix)) pages.push_back(QueryValue(url, "pn"));
    return pages;
  }
};

TEST_F(TiebaSite, AForumAddressListsTheAlbumsOfEveryPageOnce) {
  for (const Text address : {u"http://tieba.baidu.com/f?kw=%E9%A3%8E%E6%99%AF&ie=utf-8",
                             u"http://tieba.baidu.com/f?kw=风景", u"http://tieba.baidu.com/f?kw=%B7%E7%BE%B0#top",
                             u"http://tieba.baidu.com/photo/g?kw=%E9%A3%8E%E6%99%AF"}) {
    web.ClearRequests();
    List(address);
    EXPECT_EQ(state->Category(), SITE_BAIDU);
    EXPECT_EQ(state->listType, 1);
    EXPECT_EQ(state->userIdText, u"风景");
    struct Row {
      Text name;
      Text thread;
      int32_t count;
      Text cover;
    };
    const std::vector<Row> rows = {
        {u"春天", u"3001", 3, u"http://imgsrc.baidu.com/forum/abpic/item/c3001.jpg"},
        {u"秋天", u"3002", 5, u"http://imgsrc.baidu.com/forum/abpic/item/c3002.jpg"},
        {u"冬天", u"3003", 0, u""},
    };
    const auto albums = state->albums.Snapshot();
    ASSERT_EQ(albums.size(), rows.size()) << ToUtf8(address);
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(albums[i].name, rows[i].name) << i;
      EXPECT_EQ(albums[i].listAddress, rows[i].thread) << i;
      EXPECT_EQ(albums[i].count, rows[i].count) << i;
      EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    }
    // Page 3 brings no album not seen before: no page 4.
    EXPECT_EQ(PagesAsked(kForumAlbums), (std::vector<std::string>{"1", "2", "3"})) << ToUtf8(address);
  }
}

TEST_F(TiebaSite, AForumAlbumDownloadsPageByPage) {
  List(u"http://tieba.baidu.com/f?kw=%E9%A3%8E%E6%99%AF");
  DownloadAlbums({0});
  ExpectSaved({{"春天/花开.jpg", kPictureItem + "a001.jpg"},
               {"春天/春天.jpg", kPictureItem + "a002.jpg"},  // no description: the album's name
               {"春天/柳绿.jpg", kPictureItem + "a003.jpg"}},
              kPicture);
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 3);
  EXPECT_EQ(PagesAsked(kForumPhotos + "alt=jview&rn=200&tid=3001&"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_TRUE(ui.questions.empty());
}

TEST_F(TiebaSite, AClosedForumAlbumAsksOnceAndReadsItsFirstPageAgain) {
  const std::string albumPhotos = kForumPhotos + "alt=jview&rn=200&tid=3002&";
  struct Case {
    bool answer;
    std::vector<std::string> pages;
    int queued;
  };
  for (const Case& c : std::vector<Case>{{true, {"1", "1", "2"}, 2}, {false, {"1"}, 0}}) {
    ASSERT_TRUE(test::LoadSiteManifest(web, "tieba"));  // closed again
    ui.onLogin = [&] {
      web.Get(albumPhotos + "pn=1&ps=0&pe=200&wall_type=v&_=*",
              ReadFile(test::SiteData("tieba") / "photos-3002-1.json"));
    };
    List(u"http://tieba.baidu.com/f?kw=%E9%A3%8E%E6%99%AF");
    web.ClearRequests();
    ui.questions.clear();
    ui.logins.clear();
    ui.summaries.clear();
    ui.answers = {c.answer, c.answer};
    DownloadAlbums({1});
    EXPECT_EQ(ui.questions, std::vector<Text>{Text(u"提示|") + kBaiduVerifyQuestion}) << c.answer;
    const std::vector<Text> logins = {u"http://xiangce.baidu.com/picture/album/list/3002"};
    EXPECT_EQ(ui.logins, c.answer ? logins : std::vector<Text>{}) << c.answer;
    EXPECT_EQ(PagesAsked(albumPhotos), c.pages) << c.answer;
    ASSERT_EQ(ui.summaries.size(), 1u);
    EXPECT_EQ(ui.summaries[0].queued, c.queued) << c.answer;
  }
  // An album that claims no pictures and shows none is not asked about.
  ui.questions.clear();
  DownloadAlbums({2});
  EXPECT_TRUE(ui.questions.empty());
}

const std::vector<test::SavedPicture> kThreadPictures = {
    {"春天的花/花瓣.jpg", kPictureItem + "p701.jpg"}, {"春天的花/春天的花.jpg", kPictureItem + "p702.jpg"},
    {"春天的花/叶子.jpg", kPictureItem + "p703.jpg"}, {"春天的花/枝头.jpg", kPictureItem + "p704.jpg"},
    {"春天的花/落花.jpg", kPictureItem + "p705.jpg"},
};

TEST_F(TiebaSite, AThreadAddressDownloadsItsOneAlbumByItself) {
  for (const Text& address : {Text(u"http://tieba.baidu.com/p/7001?pn=2#post"), Text(kThreadAlbum)}) {
    web.ClearRequests();
    ui.summaries.clear();
    List(address);
    state->WaitDownload();  // the one the listing started
    EXPECT_EQ(state->listType, 2);
    EXPECT_EQ(state->userIdText, u"风景");
    ST_PERLISTRECORD album;
    ASSERT_TRUE(state->albums.Get(0, album));
    EXPECT_EQ(state->albums.Count(), 1);
    EXPECT_EQ(album.name, u"春天的花");
    EXPECT_EQ(album.listAddress, kThreadAlbum);
    EXPECT_EQ(album.count, -1);

    ExpectSaved(kThreadPictures, kPicture);
    ASSERT_EQ(ui.summaries.size(), 1u);
    EXPECT_EQ(ui.summaries[0].queued, 5);  // p703 came twice, queued once
    // Each request goes on after the last picture of the answer before; past the end the
    // service starts over, which brings nothing new and ends the thread.
    std::vector<std::string> after;
    for (const std::string& url : Urls(kThreadGuide)) after.push_back(QueryValue(url, "pic_id"));
    EXPECT_EQ(after, (std::vector<std::string>{"", "p703", "p705"})) << ToUtf8(address);
  }
}

TEST_F(TiebaSite, AThreadWhosePageCannotBeReadListsNothing) {
  List(u"http://tieba.baidu.com/p/7999");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_TRUE(ui.summaries.empty());
  EXPECT_TRUE(web.RequestsTo("http://tieba.baidu.com/photo/").empty());
}

TEST_F(TiebaSite, TheCommandLineDownloadsAThread) {
  const test::TempDir cliWork, cliSave;
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), cliWork.path(), "list http://tieba.baidu.com/p/7001");
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("0001\t春天的花\t"), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("SiteIndex 1:"), std::string::npos) << list.err;

  const test::CliRun run = test::RunCliBinary(web.ProxyAddress(), cliWork.path(),
                                              "download http://tieba.baidu.com/p/7001 --save-path " +
                                                  Quoted(cliSave.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("春天的花\tqueued=5\tsaved=5\tfailed=0"), std::string::npos) << run.out;
  for (const test::SavedPicture& p : kThreadPictures) EXPECT_EQ(ReadFile(cliSave.path() / p.file), kPicture) << p.file;
}

}  // namespace
}  // namespace zentrow
