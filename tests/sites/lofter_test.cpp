// Lofter: the blog key, then the archive read by the remote call and the posts' pictures
// end to end through the engine with the production site table, and one run of
// zentrow-cli, over the fake web fixtures in tests/sites/lofter.
#include "sites/lofter/lofter.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

const std::string kPicture = test::JpegBody('l');
const fs::path kFixtures = test::SiteData("lofter");
constexpr char kCallPath[] = "/dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr";

// The body the service expects, written out: GBK, CR LF between the lines, none at the end.
std::string CallBody(const std::string& blogId, const std::string& time) {
  return "callCount=1\r\nscriptSessionId=${scriptSessionId}187\r\nhttpSessionId=\r\nc0-scriptName=ArchiveBean\r\n"
         "c0-methodName=getArchivePostByTime\r\nc0-id=0\r\nc0-param0=number:" +
         blogId + "\r\nc0-param1=number:" + time + "\r\nc0-param2=number:50\r\nc0-param3=boolean:false\r\nbatchId=1";
}

// The answers to the calls after the first, by the time their body carries.
struct Continuation {
  const char* blog;
  const char* time;
  const char* file;
};
const std::vector<Continuation> kContinuations = {
    {"lanshan", "1400000100000", "archive-2.js"}, {"lanshan", "1400000010000", "archive-3.js"},
    {"again", "1400000100000", "again-2.js"},     {"ahead", "1400000100000", "ahead-2.js"},
    {"ahead", "1400000900000", "ahead-3.js"},
};

std::string CallAddress(const std::string& blog) { return "http://" + blog + ".lofter.com" + kCallPath; }

// ---- the key -------------------------------------------------------------------------

TEST(LofterText, TheKeyIsTheBlogAddressWithOneSlash) {
  struct Case {
    const char16_t* typed;
    const char16_t* key;
  };
  const std::vector<Case> cases = {
      {u"http://lanshan.lofter.com", u"http://lanshan.lofter.com/"},
      {u"http://lanshan.lofter.com/", u"http://lanshan.lofter.com/"},
      {u"http://lanshan.lofter.com//", u"http://lanshan.lofter.com/"},
      {u"http://lanshan.lofter.com/post/1e2f_3a4b", u"http://lanshan.lofter.com/"},
      {u"https://lanshan.lofter.com/post/1e2f_3a4b/", u"https://lanshan.lofter.com/"},
  };
  for (const Case& c : cases) EXPECT_EQ(LofterBlogKey(c.typed), c.key) << ToUtf8(c.typed);
}

// ---- end to end ----------------------------------------------------------------------

class LofterSite : public test::SiteTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "lofter"));
    for (const Continuation& c : kContinuations) {
      test::FakeReply reply;
      reply.headers = {{"Content-Type", "text/javascript; charset=utf-8"}};
      reply.body = ReadFile(kFixtures / c.file);
      web.AddForBody("POST", CallAddress(c.blog), std::string("\r\nc0-param1=number:") + c.time + "\r\n", reply);
    }
    ServePicture({"http://imglf1.nosdn.127.net/", "http://imglf2.nosdn.127.net/"}, kPicture);
    BuildState(SITE_LOFTER, {0, 0, 4, 10});
  }

  // The times the calls to `blog` carried.
  std::vector<std::string> CallTimes(const std::string& blog) const {
    const std::string marker = "\r\nc0-param1=number:";
    std::vector<std::string> times;
    for (const auto& request : web.RequestsTo(CallAddress(blog))) {
      const size_t at = request.body.find(marker);
      if (at == std::string::npos) {
        times.push_back("(none)");
        continue;
      }
      const size_t begin = at + marker.size();
      times.push_back(request.body.substr(begin, request.body.find("\r\n", begin) - begin));
    }
    return times;
  }
};

constexpr char16_t kListed5[] = u"LOFTER文章列表读取完毕，共5篇文章，每篇文章是一个相册";

TEST_F(LofterSite, ThePostsComeOverTheRemoteCallsContinuedByTime) {
  const long long before = std::time(nullptr);
  List(u"http://lanshan.lofter.com/post/1e2f_3a4b");
  const long long after = std::time(nullptr);
  EXPECT_EQ(state->Category(), SITE_LOFTER);
  EXPECT_EQ(state->ownerFolder, u"蓝山Lan/");  // the title after "归档 - ", made safe

  struct Row {
    const char16_t* name;
    const char16_t* permalink;
  };
  // A post without a title takes its notice title; the third post, brought again by the
  // second call, is listed once.
  const std::vector<Row> rows = {{u"春天", u"1e2f_3a4b"}, {u"夏日游", u"1e2f_3a4c"}, {u"秋叶", u"1e2f_3a4d"},
                                 {u"冬雪", u"1e2f_3a4e"}, {u"新年", u"1e2f_3a4f"}};
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, Text(u"http://lanshan.lofter.com/post/") + rows[i].permalink) << i;
    EXPECT_EQ(albums[i].count, -1) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
  EXPECT_EQ(ui.messages, (std::vector<Text>{kListed5}));

  // Three calls: before now, before the last post of each answer; the third brings no post.
  const auto calls = web.RequestsTo(CallAddress("lanshan"));
  ASSERT_EQ(calls.size(), 3u);
  const std::vector<std::string> times = CallTimes("lanshan");
  const std::string now = times[0];
  ASSERT_GE(now.size(), 4u);
  EXPECT_EQ(now.substr(now.size() - 3), "000");
  EXPECT_GE(std::stoll(now), before * 1000);
  EXPECT_LE(std::stoll(now), after * 1000);
  const std::vector<std::string> bodies = {CallBody("123456", now), CallBody("123456", "1400000100000"),
                                           CallBody("123456", "1400000010000")};
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].method, "POST");
    EXPECT_EQ(calls[i].body, bodies[i]) << i;
    EXPECT_EQ(calls[i].Header("Content-Type"), "text/plain");
    EXPECT_EQ(calls[i].Header("Referer"), "http://www.lofter.com");
    EXPECT_EQ(calls[i].Header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(calls[i].Header("Content-Length"), std::to_string(bodies[i].size()));
  }
  EXPECT_EQ(Urls("http://lanshan.lofter.com/view"), (std::vector<std::string>{"http://lanshan.lofter.com/view"}));
}

TEST_F(LofterSite, ThePicturesOfAPostAreTheImagesOfItsText) {
  List(u"http://lanshan.lofter.com/");
  ASSERT_EQ(state->albums.Count(), 5);
  web.ClearRequests();
  DownloadAlbums({0, 3});

  // Numbered in the order of the text; the image shown twice is fetched once; the avatar
  // before the text and the images after it are not read.
  ExpectSaved({{"蓝山Lan/春天/图片1.jpg", "http://imglf1.nosdn.127.net/img/a1.jpg?imageView&thumbnail=500x0"},
               {"蓝山Lan/春天/图片2.jpg", "http://imglf1.nosdn.127.net/img/a2.jpg"},
               {"蓝山Lan/冬雪/图片1.jpg", "http://imglf2.nosdn.127.net/img/d1.png"}},
              kPicture);
  EXPECT_TRUE(web.RequestsTo("http://imglf.nosdn.127.net/").empty());
  std::vector<int> queued;
  for (const auto& summary : ui.summaries) queued.push_back(summary.queued);
  EXPECT_EQ(queued, (std::vector<int>{2, 1}));
}

TEST_F(LofterSite, TheWalkEndsWhenAnAnswerBringsNothingNewOrTheTimeDoesNotGoBack) {
  struct Case {
    const char* blog;
    std::vector<Text> names;
    std::vector<std::string> laterTimes;  // of the calls after the first
  };
  const std::vector<Case> cases = {
      {"again", {u"甲", u"乙"}, {"1400000100000"}},  // the same posts in new wrapping
      {"same", {u"甲", u"乙"}, {"1400000100000"}},   // the same answer to every call
      {"ahead", {u"甲", u"乙"}, {"1400000100000"}},  // the next time lies after the one asked for
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blog);
    web.ClearRequests();
    ui.messages.clear();
    List(FromUtf8(std::string("http://") + c.blog + ".lofter.com/"));
    std::vector<Text> names;
    for (const auto& album : state->albums.Snapshot()) names.push_back(album.name);
    EXPECT_EQ(names, c.names);
    const std::vector<std::string> times = CallTimes(c.blog);
    ASSERT_EQ(times.size(), c.laterTimes.size() + 1);
    EXPECT_EQ(std::vector<std::string>(times.begin() + 1, times.end()), c.laterTimes);
    EXPECT_EQ(ui.messages, (std::vector<Text>{u"LOFTER文章列表读取完毕，共2篇文章，每篇文章是一个相册"}));
  }
}

TEST_F(LofterSite, AnArchivePageWithoutTitleOrBlogIdIsReported) {
  struct Case {
    const char16_t* address;
    const char16_t* message;
  };
  const std::vector<Case> cases = {
      {u"http://untitled.lofter.com/",
       u"没有读到LOFTER博客的归档页，请输入LOFTER博客的首页网址，例如 http://名字.lofter.com/"},
      {u"http://noid.lofter.com/", u"LOFTER博客的归档页里没有找到博客编号，读不到文章列表"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    ui.messages.clear();
    List(c.address);
    EXPECT_EQ(state->albums.Count(), 0);
    EXPECT_EQ(ui.messages, (std::vector<Text>{c.message}));
    EXPECT_EQ(web.Requests().size(), 1u);  // the archive page only: no call
  }
}

TEST_F(LofterSite, TheCallBodyCarriesTheBlogIdAsGbkBytesAtItsFullLength) {
  // A blog id far longer than any fixed buffer, with characters outside ASCII.
  const Text blogId = u"蓝山" + Text(3000, u'7');
  test::FakeReply view;
  view.body = ToUtf8(u"<title>归档 - 长</title><a href=\"/control?blogId=" + blogId + u"\">");
  web.Get("http://long.lofter.com/view", view);
  List(u"http://long.lofter.com/");
  const auto calls = web.RequestsTo(CallAddress("long"));
  ASSERT_EQ(calls.size(), 1u);  // nothing answers the call
  const std::string time = CallTimes("long")[0];
  EXPECT_EQ(calls[0].body, CallBody(ToGbk(blogId), time));
  EXPECT_EQ(calls[0].body.find("\xC0\xB6\xC9\xBD"), calls[0].body.find("c0-param0=number:") + 17);  // 蓝山 in GBK
}

// ---- the command line ----------------------------------------------------------------

TEST_F(LofterSite, TheCommandLineListsAndDownloadsThroughTheProductionReaders) {
  const test::TempDir cliWork, cliSave;
  auto run = [&](const std::string& args) { return test::RunCliBinary(web.ProxyAddress(), cliWork.path(), args); };
  const test::CliRun settings = run("settings --category 19 min-size=0");
  ASSERT_EQ(settings.status, 0) << settings.err;

  const test::CliRun list = run("list http://lanshan.lofter.com/");
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t春天\t未知\t\n", "0005\t新年\t未知\t\n"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;
  EXPECT_NE(list.err.find("LOFTER文章列表读取完毕，共5篇文章"), std::string::npos) << list.err;

  const test::CliRun download =
      run("download http://lanshan.lofter.com/ --albums 1 --save-path " + test::Quoted(cliSave.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_EQ(ReadFile(cliSave.path() / "蓝山Lan" / "春天" / "图片2.jpg"), kPicture);
  EXPECT_NE(download.out.find("春天\tqueued=2\tsaved=2"), std::string::npos) << download.out;
}

}  // namespace
}  // namespace zentrow
