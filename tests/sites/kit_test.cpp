// The reader kit: cuts, numbers, templates, segments, paged walks, deliveries, login
// questions and cookies, the network moves over the fake web.
#include "sites/kit.h"

#include <gtest/gtest.h>

#include "net/cookies.h"
#include "sites/site_test.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::RecordingUi;
using test::TempDir;

TEST(KitCutter, TakeWalksForwardAndPeekStays) {
  const Text page = u"{\"id\":\"7\",\"n\":\"a\"},{\"id\":\"8\",\"n\":\"b\"}";
  Cutter cut(page);
  EXPECT_EQ(cut.Peek(u"\"n\":\"", u"\""), u"a");
  EXPECT_EQ(cut.Peek(u"\"n\":\"", u"\""), u"a");  // no advance: the same field again
  EXPECT_EQ(cut.TakeInt(u"\"id\":\"", u"\""), 7);
  EXPECT_EQ(cut.Take(u"\"n\":\"", u"\""), u"a");
  EXPECT_EQ(cut.Rest().substr(0, 2), u"a\"");     // just after the start marker
  EXPECT_EQ(cut.Take(u"\"id\":\"", u"\""), u"8");
  EXPECT_EQ(cut.Take(u"\"id\":\"", u"\""), u"");  // no third one: the rest stays
  EXPECT_EQ(cut.Take(u"\"n\":\"", u"\""), u"b");
  EXPECT_FALSE(cut.Skip(u"\"id\""));
  EXPECT_TRUE(cut.Skip(u"}"));
  EXPECT_EQ(cut.Rest(), u"");
}

TEST(KitCutter, ReadIntSkipsBlanksAndStopsAtTheFirstNonDigit) {
  struct Case {
    const char16_t* text;
    int32_t value;
  };
  const std::vector<Case> cases = {
      {u"12\"", 12},        {u"  5,", 5},    {u"\t\r\n 3", 3},
      {u"", 0},             {u"x1", 0},      {u"-42", -42},
      {u"+7 8", 7},         {u"0012", 12},   {u"2147483647", 2147483647},
      {u"99999999999", 2147483647},          {u"-99999999999", -2147483647 - 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadInt(c.text), c.value) << ToUtf8(c.text);
}

TEST(KitText, DigitsOnlyUnslashOnHostAndFill) {
  EXPECT_TRUE(IsDigitsOnly(u"0123456789"));
  EXPECT_TRUE(IsDigitsOnly(u""));
  EXPECT_FALSE(IsDigitsOnly(u"12a45"));
  EXPECT_FALSE(IsDigitsOnly(u" 12"));
  EXPECT_FALSE(IsDigitsOnly(u"１２"));  // full-width digits are no digits here

  EXPECT_EQ(Unslash(u"http:\\/\\/a.b\\/c\\\\/d"), u"http://a.b/c\\/d");

  for (const auto& [link, address] : std::vector<std::pair<TextView, TextView>>{
           {u"/post/1.html", u"http://www.a.com/post/1.html"},
           {u"post/1.html", u"http://www.a.com/post/1.html"},
           {u"http://img.b.com/1.jpg", u"http://img.b.com/1.jpg"},
           {u"https://img.b.com/1.jpg", u"https://img.b.com/1.jpg"},
           {u"//img.b.com/1.jpg", u"http://img.b.com/1.jpg"},
           {u"", u""},
       })
    EXPECT_EQ(OnHost(u"http://www.a.com", link), address) << ToUtf8(link);

  struct Case {
    Text filled;
    const char16_t* expected;
  };
  const std::vector<Case> cases = {
      {Fill(u"/a?x=%s&n=%d&t=%u", {u"q", u"5", u"9"}), u"/a?x=q&n=5&t=9"},
      {Fill(u"100%%%s", {u"!"}), u"100%!"},
      {Fill(u"%s-%s", {u"only"}), u"only-"},  // a missing value leaves the place empty
      {Fill(u"%s", {u"a", u"spare"}), u"a"},
      {Fill(u"%x%", {u"v"}), u"%x%"},         // not a placeholder: kept as it is
      {Fill(u"apiHost=http%%3A%%2F%%2Fx", {}), u"apiHost=http%3A%2F%2Fx"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.filled, c.expected);
}

TEST(KitText, TruncateAtEachCutsAtEveryMarkerInTurn) {
  struct Case {
    const char16_t* text;
    const char16_t* expected;
  };
  // Markers "/", "&", "?": each later one cuts what the earlier ones left.
  const std::vector<Case> cases = {
      {u"lanlan/photo?x=1", u"lanlan"},
      {u"lanlan&a=1/b", u"lanlan"},
      {u"lanlan?a=1&b=2", u"lanlan"},
      {u"lanlan", u"lanlan"},
      {u"/lanlan", u""},
      {u"", u""},
  };
  for (const Case& c : cases) {
    Text text = c.text;
    TruncateAtEach(text, {u"/", u"&", u"?"});
    EXPECT_EQ(text, c.expected) << ToUtf8(c.text);
  }
}

TEST(KitSegments, VisitsTheTextAfterEveryMarker) {
  std::vector<Text> seen;
  auto record = [&](TextView segment) {
    seen.emplace_back(segment);
    return true;
  };
  SegmentVisit visit = VisitSegments(u"head|a|bb||c", u"|", record);
  EXPECT_EQ(visit.markers, 4);
  EXPECT_FALSE(visit.stopped);
  EXPECT_EQ(seen, (std::vector<Text>{u"a", u"bb", u"", u"c"}));

  seen.clear();
  visit = VisitSegments(u"no marker here", u"|", record);
  EXPECT_EQ(visit.markers, 0);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(VisitSegments(u"a|b", u"", record).markers, 0);

  // A visitor that stops: later segments are not visited, but still counted.
  int visited = 0;
  visit = VisitSegments(u"<x>1<x>2<x>3", u"<x>", [&](TextView segment) {
    ++visited;
    return segment != u"2";
  });
  EXPECT_EQ(visited, 2);
  EXPECT_EQ(visit.markers, 3);
  EXPECT_TRUE(visit.stopped);
}

TEST(KitPagedWalk, EndsOnARepeatedPageARepeatedKeyOrTheCap) {
  PagedWalk walk;
  EXPECT_EQ(walk.Page(), 0);
  EXPECT_TRUE(walk.Admit(u"page one"));
  walk.NextPage();
  EXPECT_EQ(walk.Page(), 1);
  EXPECT_TRUE(walk.Admit(u"page two"));
  EXPECT_FALSE(walk.Admit(u"page two"));  // the site repeats its last page

  PagedWalk keyed;
  EXPECT_TRUE(keyed.NewKey(u"1382"));
  EXPECT_TRUE(keyed.NewKey(u"1390"));
  EXPECT_FALSE(keyed.NewKey(u"1390"));
  PagedWalk emptyKeys;
  EXPECT_TRUE(emptyKeys.NewKey(u""));
  EXPECT_FALSE(emptyKeys.NewKey(u""));

  PagedWalk capped(3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(capped.Admit(NumberText(i))) << i;
  EXPECT_FALSE(capped.Admit(u"fourth, new but over the cap"));
}

TEST(KitPagedWalk, EndsWhenAPageBringsNothingNotSeenBefore) {
  // Pages of picture ids as a site sends them: the third page answers past the end with
  // page two's ids again (in a different wrapping, so its text differs).
  const std::vector<std::vector<Text>> pages = {{u"1", u"2", u"2", u"3"}, {u"3", u"4"}, {u"4", u"3"}, {u"5"}};
  PagedWalk walk;
  std::vector<Text> delivered;
  for (const auto& page : pages) {
    ASSERT_TRUE(walk.Admit(u"<page " + NumberText(walk.Page()) + u">"));
    for (const Text& id : page)
      if (walk.Fresh(id)) delivered.push_back(id);
    if (!walk.BroughtNew()) break;
    walk.NextPage();
  }
  EXPECT_EQ(delivered, (std::vector<Text>{u"1", u"2", u"3", u"4"}));  // nothing twice
  EXPECT_EQ(walk.Page(), 2);  // the fourth page was never read
  EXPECT_FALSE(walk.BroughtNew());

  SeenKeys seen;  // two sources of one listing
  EXPECT_TRUE(seen.Add(u"album-a"));
  EXPECT_TRUE(seen.Add(u"album-b"));
  EXPECT_FALSE(seen.Add(u"album-a"));
  EXPECT_EQ(seen.Size(), 2u);
}

// The network moves over the fake web, which the site tests' fixture makes the proxy; no
// state is built.
using KitWeb = test::SiteTest;

TEST_F(KitWeb, PageSessionFetchesDecodesAndReusesItsHeaders) {
  test::FakeReply gbk;
  gbk.body = ToGbk(u"相册列表");
  gbk.encoding = test::FakeReply::Encoding::Gzip;
  web.Get("http://pages.example.com/gbk", gbk);
  web.Get("http://pages.example.com/utf8", ToUtf8(u"第二页"));
  web.Get("http://pages.example.com/empty", std::string());

  PageSession session(u"Accept-Encoding: gzip, deflate\r\nReferer: http://pages.example.com/");
  Text text;
  ASSERT_TRUE(session.Get(u"http://pages.example.com/gbk", text, net::DM_INFLATE));
  EXPECT_EQ(text, u"相册列表");
  ASSERT_TRUE(session.Get(u"http://pages.example.com/utf8", text, net::DM_UTF8));
  EXPECT_EQ(text, u"第二页");
  EXPECT_FALSE(session.Get(u"http://pages.example.com/empty", text, net::DM_UTF8));
  EXPECT_EQ(text, u"");
  // Load tells the empty answer from a failed fetch.
  text = u"old";
  EXPECT_TRUE(session.Load(u"http://pages.example.com/empty", text, net::DM_UTF8));
  EXPECT_EQ(text, u"");
  ASSERT_TRUE(session.Load(u"http://pages.example.com/utf8", text, net::DM_UTF8));
  EXPECT_EQ(text, u"第二页");
  EXPECT_EQ(session.Request().readTimeoutMs, kPageTimeoutMs);

  const auto requests = web.Requests();
  ASSERT_EQ(requests.size(), 5u);
  for (const auto& request : requests) EXPECT_EQ(request.Header("Referer"), "http://pages.example.com/");
}

TEST_F(KitWeb, PageSessionFailsWhenNothingAnswers) {
  PageSession session({}, 2000);
  session.Request().pauseSeconds = 0;
  Text text = u"old";
  net::SetProxy("http://127.0.0.1:1");  // nobody listens there
  EXPECT_FALSE(session.Get(u"http://pages.example.com/x", text, net::DM_UTF8));
  EXPECT_EQ(text, u"");
  text = u"old";
  EXPECT_FALSE(session.Load(u"http://pages.example.com/x", text, net::DM_UTF8));
  EXPECT_EQ(text, u"");
}

// A busy page in the site's own encoding, sent compressed: found only in the inflated
// reply, which the session looks into once it is told to.
TEST_F(KitWeb, ARetryMarkerIsFoundInACompressedReplyWithInflatedChecks) {
  test::FakeReply busy, answer;
  const Text busyPage = u"<html><head><title>提示</title></head><body><div class=\"tip\"><div class=\"tip\">"
                        u"<p>服务器忙，请稍候再试</p></div></div></body></html>";
  busy.body = ToGbk(busyPage);
  busy.encoding = test::FakeReply::Encoding::Gzip;
  // Compressed, the marker's bytes are not to be seen (a tiny body may be sent as stored).
  ASSERT_EQ(test::GzipCompress(busy.body).find(ToGbk(u"请稍候再试")), std::string::npos);
  answer.body = "{\"rows\":[]}";
  answer.encoding = test::FakeReply::Encoding::Gzip;
  struct Case {
    unsigned options;
    Text text;       // what the session hands on
    size_t requests;
  };
  for (const Case& c : {Case{0, busyPage, 1}, Case{net::FETCH_INFLATED_CHECKS, u"{\"rows\":[]}", 2}}) {
    web.ClearRequests();
    web.AddInTurn("GET", "http://pages.example.com/data", {busy, answer});
    PageSession session(u"Accept-Encoding: gzip, deflate");
    session.Request().retryMarker = ToGbk(u"请稍候再试");
    session.Request().attempts = 3;
    session.Request().pauseSeconds = 0;
    session.SetFetchOptions(c.options);
    Text text;
    EXPECT_TRUE(session.Get(u"http://pages.example.com/data", text, net::DM_INFLATE)) << c.options;
    EXPECT_EQ(text, c.text) << c.options;
    EXPECT_EQ(web.Requests().size(), c.requests) << c.options;
  }
}

// A site that answers every page number with the same page: the walk ends on the second.
TEST_F(KitWeb, AWalkOverARepeatingSiteEnds) {
  web.Get("http://pages.example.com/list?page=*", "<li>same</li>");
  PageSession session;
  PagedWalk walk;
  Text text;
  int read = 0;
  while (walk.Fetch(session, u"http://pages.example.com/list?page=" + NumberText(walk.Page() + 1), text,
                    net::DM_UTF8)) {
    ++read;
    walk.NextPage();
  }
  EXPECT_EQ(read, 1);
  EXPECT_EQ(web.Requests().size(), 2u);
}

// A reader with a minimum text length judges a compressed reply by the text it inflates
// to when it sets FETCH_INFLATED_CHECKS; without it, by the compressed bytes.
TEST_F(KitWeb, TheMinimumLengthOfACompressedReplyIsJudgedAsSet) {
  test::FakeReply longPage;  // 400 characters that compress to a few dozen bytes
  longPage.body = "<html>" + std::string(394, ' ');
  longPage.encoding = test::FakeReply::Encoding::Gzip;
  test::FakeReply shortNoise;  // 96 bytes that do not compress: the gzip form is longer
  for (int i = 0; i < 96; ++i) shortNoise.body += static_cast<char>((i * 151 + 17) & 0xFF);
  shortNoise.encoding = test::FakeReply::Encoding::Gzip;
  ASSERT_LT(test::GzipCompress(longPage.body).size(), 100u);
  ASSERT_GT(test::GzipCompress(shortNoise.body).size(), 100u);
  web.Get("http://pages.example.com/long", longPage);
  web.Get("http://pages.example.com/noise", shortNoise);

  struct Case {
    const char16_t* address;
    unsigned options;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {u"http://pages.example.com/long", net::FETCH_INFLATED_CHECKS, true},
      {u"http://pages.example.com/noise", net::FETCH_INFLATED_CHECKS, false},
      {u"http://pages.example.com/long", 0, false},
      {u"http://pages.example.com/noise", 0, true},
  };
  for (const Case& c : cases) {
    PageSession session(u"Accept-Encoding: gzip, deflate");
    session.Request().minTextLength = 100;
    session.Request().pauseSeconds = 0;
    session.SetFetchOptions(c.options);
    Text text;
    EXPECT_EQ(session.Get(c.address, text, net::DM_INFLATE | net::DM_UTF8), c.accepted)
        << ToUtf8(c.address) << " " << c.options;
  }
}

TEST_F(KitWeb, CookiesAreFoundByNameWhereverTheyStand) {
  struct Case {
    const char16_t* cookies;
    const char16_t* name;
    const char16_t* value;
  };
  const std::vector<Case> cases = {
      {u"skey=@abc; uin=o123", u"skey", u"@abc"},  // the first cookie of the string
      {u"uin=o123; skey=@abc", u"skey", u"@abc"},
      {u"p_skey=zz; skey=@abc", u"skey", u"@abc"},  // a longer name ending alike is another cookie
      {u"uin=o123;skey=x", u"skey", u"x"},
      {u"a=b=c; d=e", u"a", u"b=c"},
      {u"uin=o123", u"skey", u""},
      {u"", u"skey", u""},
      {u"skey; skey=2", u"skey", u"2"},
  };
  for (const Case& c : cases) EXPECT_EQ(CookieValue(c.cookies, c.name), c.value) << ToUtf8(c.cookies);

  auto& store = net::CookieStore::Instance();
  store.SetCookie(u"http://user.qzone.qq.com/", "skey=@Zx9; path=/; domain=qq.com");
  store.SetCookie(u"http://user.qzone.qq.com/", "uin=o0042; path=/; domain=qq.com");
  EXPECT_EQ(CookieFor(u"http://user.qzone.qq.com/", u"uin"), u"o0042");
  EXPECT_EQ(CookieToken(u"http://user.qzone.qq.com/", u"skey"), TokenHash(u"@Zx9"));
  EXPECT_EQ(CookieToken(u"http://user.qzone.qq.com/", u"missing"), 5381u);
}

// Deliveries and questions over a MainState with an empty site table.
class KitState : public ::testing::Test {
 protected:
  void SetUp() override {
    state.SetReady();
    state.runFolder = save.text();
    state.queue.Reset(save.text());
  }
  RecordingUi ui;
  SiteTable sites{};
  TempDir work, save;
  MainState state{ui, sites, work.text()};
};

TEST_F(KitState, AddRowAndQueuePictureTellWhetherToGoOn) {
  ST_PERLISTRECORD album;
  album.name = u"春天";
  state.listState = LIST_RUNNING;
  EXPECT_TRUE(AddRow(state, album));
  state.listState = LIST_STOP;
  EXPECT_FALSE(AddRow(state, album));
  EXPECT_EQ(state.albums.Count(), 2);  // the row is delivered before the answer

  struct Case {
    int downloadState;
    bool goOn;
  };
  for (const Case& c : std::vector<Case>{{DOWNLOAD_RUNNING, true}, {DOWNLOAD_READER_STOP, false},
                                          {DOWNLOAD_USER_STOP, false}}) {
    state.downloadState = c.downloadState;
    EXPECT_EQ(QueuePicture(state, u"http://p.example.com/1.jpg", u"d", Text(), 0), c.goOn) << c.downloadState;
  }
  EXPECT_EQ(state.queue.items.size(), 3u);
}

TEST_F(KitState, TheLoginQuestionIsAskedOncePerPrompt) {
  ui.answers = {false, true, true};
  EXPECT_FALSE(AskLogin(state, u"登录吗?", u"http://login.example.com/a"));
  EXPECT_TRUE(AskLogin(state, u"登录吗?", u"http://login.example.com/b"));
  EXPECT_EQ(ui.questions, (std::vector<Text>{u"提示|登录吗?", u"提示|登录吗?"}));
  EXPECT_EQ(ui.logins, (std::vector<Text>{u"http://login.example.com/b"}));

  LoginPrompt prompt;
  EXPECT_FALSE(prompt.Asked());
  EXPECT_TRUE(prompt.AskOnce(state, u"输入密码?", u"http://login.example.com/c"));
  EXPECT_TRUE(prompt.Asked());
  EXPECT_FALSE(prompt.AskOnce(state, u"输入密码?", u"http://login.example.com/c"));
  EXPECT_EQ(ui.questions.size(), 3u);
  EXPECT_EQ(ui.logins.size(), 2u);

  LoginPrompt declined;  // a No also counts as asked
  ui.answers = {false};
  EXPECT_FALSE(declined.AskOnce(state, u"输入密码?", u"http://login.example.com/d"));
  EXPECT_FALSE(declined.AskOnce(state, u"输入密码?", u"http://login.example.com/d"));
  EXPECT_EQ(ui.questions.size(), 4u);
  EXPECT_EQ(ui.logins.size(), 2u);
}

TEST_F(KitState, ADumpKeepsTheStartOfThePageUnderItsFixedName) {
  // UTF-16LE with a byte-order mark, as the maintainers' tools read it.
  WriteDump(state, u"site.tmp", u"页面");
  EXPECT_EQ(work.Read("site.tmp"), std::string("\xFF\xFE\x75\x98\x62\x97", 6));

  // A page of any size leaves at most 1 MiB, and the next dump replaces the last.
  const Text huge = Text(kDumpUnits, u'a') + Text(1000, u'b');
  WriteDump(state, u"site.tmp", huge);
  const std::string dump = work.Read("site.tmp");
  ASSERT_EQ(dump.size(), 2 + 2 * kDumpUnits);
  EXPECT_EQ(dump.find('b'), std::string::npos);
}

}  // namespace
}  // namespace zentrow
