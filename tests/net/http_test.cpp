// The client against the fake web, which stands in for the real hosts as a proxy.
#include "net/http.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

#include "net/address.h"
#include "net/cookies.h"
#include "support/fake_web.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"

namespace zentrow::net {
namespace {

using test::FakeReply;

FakeReply Reply(std::string body, int status = 200) {
  FakeReply r;
  r.status = status;
  r.body = std::move(body);
  return r;
}

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProxy(web.ProxyAddress());
    CookieStore::Instance().ClearAll();
  }
  void TearDown() override { SetProxy(""); }

  // Short time-outs and no pause, so failing attempts cost nothing.
  static UrlRequest Request(std::u16string_view address, std::u16string_view savePath = u"") {
    UrlRequest r{Text(address), Text(savePath), 3000};
    r.pauseSeconds = 0;
    return r;
  }

  size_t RequestCount(const std::string& url) const { return web.RequestsTo(url).size(); }

  test::FakeWeb web;
};

TEST(UrlRequest, Defaults) {
  UrlRequest r(u"http://user.qzone.qq.com/1", u"", 20000);
  EXPECT_EQ(r.verb, u"GET");
  EXPECT_EQ(r.readTimeoutMs, 20000u);
  EXPECT_EQ(r.connectTimeoutMs, 20000u);
  EXPECT_EQ(r.attempts, 1);
  EXPECT_EQ(r.pauseSeconds, 1);
  EXPECT_EQ(r.minSizeKb, 0);
  EXPECT_EQ(r.maxSizeKb, 0);
  EXPECT_EQ(r.minTextLength, 0u);
  r.SetBody(std::string_view("ab\0cd", 5));
  EXPECT_EQ(r.body, "ab");
}

TEST_F(HttpTest, MarkersTrimUncompressedRepliesWhileReading) {
  const std::string page = "<html>one<S>two<S>three<S>body<E>footer</html>";
  const struct {
    const char* name;
    std::string body;
    bool chunked;
    std::string start, end;
    std::string expected;
  } cases[] = {
      {"start three times", page, false, "<S>", "", "body<E>footer</html>"},
      {"start missing", page, false, "<X>", "", page},
      {"end present", page, false, "", "<E>", "<html>one<S>two<S>three<S>body"},
      {"end missing", page, false, "", "<X>", page},
      {"both", page, false, "<S>", "<E>", "body"},
      {"markers across pieces", std::string(1022, 'x') + "<S>" + std::string(1022, 'y') + "<E>z", true, "<S>", "<E>",
       std::string(1022, 'y')},
  };
  for (const auto& c : cases) {
    FakeReply reply = Reply(c.body);
    reply.chunked = c.chunked;
    web.Get("http://user.qzone.qq.com/page", reply);
    UrlRequest r = Request(u"http://user.qzone.qq.com/page");
    r.startMarker = c.start;
    r.endMarker = c.end;
    UrlResponse response;
    ASSERT_TRUE(Fetch(r, response)) << c.name;
    EXPECT_FALSE(response.compressed) << c.name;
    EXPECT_EQ(response.body, c.expected) << c.name;
    Text text;
    GetText(response, text, DM_INFLATE | DM_UTF8);
    EXPECT_EQ(text, FromUtf8(c.expected)) << c.name;
  }
}

TEST_F(HttpTest, CompressedRepliesAreTrimmedOnlyByGetText) {
  FakeReply reply = Reply("<p>skip<S>keep this<E>drop");
  reply.encoding = FakeReply::Encoding::Gzip;
  web.Get("http://photo.163.com/a", reply);
  UrlRequest r = Request(u"http://photo.163.com/a");
  r.headers = u"Accept-Encoding: gzip, deflate";
  r.startMarker = "<S>";
  r.endMarker = "<E>";
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_TRUE(response.compressed);
  Bytes inflated;
  EXPECT_TRUE(InflateGzip(response.body.data(), response.body.size(), inflated));
  EXPECT_EQ(inflated, "<p>skip<S>keep this<E>drop");
  Text text;
  GetText(response, text, 3);
  EXPECT_EQ(text, u"keep this");
}

TEST_F(HttpTest, EndMarkerStopsReadingTheRest) {
  // The connection breaks long after the end marker: the reply is not read that far.
  FakeReply reply = Reply("head<E>" + std::string(200000, 'x'));
  reply.dropAfter = 100000;
  web.Get("http://t.qq.com/big", reply);
  UrlRequest r = Request(u"http://t.qq.com/big");
  UrlResponse response;
  EXPECT_FALSE(Fetch(r, response));  // without the marker the break is a failure
  r.endMarker = "<E>";
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_EQ(response.body, "head");
}

TEST_F(HttpTest, AcceptanceChecksAndAttempts) {
  const std::string plain = "0123456789";
  const std::string repeated(1000, 'a');
  const struct {
    const char* name;
    std::string body;
    bool gzip;
    std::string retryMarker;
    uint32_t minTextLength;
    unsigned options;
    uint8_t attempts;
    bool ok;
    size_t requests;
  } cases[] = {
      {"retry marker keeps failing", "busy, RETRY later", false, "RETRY", 0, 0, 3, false, 3},
      {"retry marker absent", plain, false, "RETRY", 0, 0, 3, true, 1},
      {"text length equal to the minimum fails", plain, false, "", 10, 0, 2, false, 2},
      {"text length above the minimum", plain, false, "", 9, 0, 2, true, 1},
      {"empty body with only a retry marker fails", "", false, "RETRY", 0, 0, 1, false, 1},
      {"compressed length checked as received", repeated, true, "", 500, 0, 1, false, 1},
      {"inflated length checked with option 1", repeated, true, "", 500, FETCH_INFLATED_CHECKS, 1, true, 1},
      {"retry marker hidden in compressed bytes", "xRETRYx" + repeated, true, "RETRY", 0, 0, 2, true, 1},
      {"retry marker found after inflation", "xRETRYx" + repeated, true, "RETRY", 0, FETCH_INFLATED_CHECKS, 2, false,
       2},
      {"no attempts", plain, false, "", 0, 0, 0, false, 0},
  };
  for (const auto& c : cases) {
    FakeReply reply = Reply(c.body);
    if (c.gzip) reply.encoding = FakeReply::Encoding::Gzip;
    web.Get("http://www.douban.com/check", reply);
    web.ClearRequests();
    UrlRequest r = Request(u"http://www.douban.com/check");
    r.retryMarker = c.retryMarker;
    r.minTextLength = c.minTextLength;
    r.attempts = c.attempts;
    UrlResponse response;
    EXPECT_EQ(Fetch(r, response, c.options), c.ok) << c.name;
    EXPECT_EQ(RequestCount("http://www.douban.com/check"), c.requests) << c.name;
  }
}

TEST_F(HttpTest, FetchOnceMakesOneAttemptWithoutChecks) {
  web.Get("http://www.douban.com/once", Reply("busy, RETRY later"));
  UrlRequest r = Request(u"http://www.douban.com/once");
  r.retryMarker = "RETRY";
  r.minTextLength = 1000;
  r.attempts = 3;
  UrlResponse response;
  EXPECT_TRUE(FetchOnce(r, response));
  EXPECT_EQ(response.body, "busy, RETRY later");
  EXPECT_EQ(RequestCount("http://www.douban.com/once"), 1u);
}

TEST_F(HttpTest, SizeLimits) {
  const struct {
    const char* name;
    size_t length;
    bool chunked;  // no Content-Length: only the received length can be checked
    int32_t minKb, maxKb;
    bool ok;
  } cases[] = {
      {"no limits, empty body", 0, false, 0, 0, true},
      {"no limits, large body", 300000, false, 0, 0, true},
      {"announced below the minimum", 1023, false, 1, 0, false},
      {"announced at the minimum", 1024, false, 1, 0, true},
      {"announced at the maximum", 1024, false, 0, 1, true},
      {"announced above the maximum", 1025, false, 0, 1, false},
      {"received below the minimum", 1023, true, 1, 0, false},
      {"received at the minimum", 1024, true, 1, 0, true},
      {"received above the maximum", 1025, true, 0, 1, false},
      {"received far above the maximum", 300000, true, 0, 1, false},
  };
  for (const auto& c : cases) {
    FakeReply reply = Reply(std::string(c.length, 'p'));
    reply.chunked = c.chunked;
    web.Get("http://img.poco.cn/pic.jpg", reply);
    UrlRequest r = Request(u"http://img.poco.cn/pic.jpg");
    r.minSizeKb = c.minKb;
    r.maxSizeKb = c.maxKb;
    UrlResponse response;
    EXPECT_EQ(Fetch(r, response), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(response.body.size(), c.length) << c.name;
    }
  }
}

TEST_F(HttpTest, PostBodyArrivesAsGiven) {
  const auto bytes = [](size_t length) {
    std::string body;
    for (size_t i = 0; i < length; ++i) body += static_cast<char>('a' + i % 26);
    return body;
  };
  const struct {
    const char* name;
    std::u16string headers;
    std::string body;
    std::string contentType;
  } cases[] = {
      {"caller's Content-Type", u"Accept-Encoding: gzip, deflate\r\nContent-Type: text/plain", bytes(2500),
       "text/plain"},
      {"no Content-Type added", u"Referer: http://www.lofter.com", bytes(2500), ""},
      {"large body without Expect", u"content-type: text/plain", bytes(1536 << 10), "text/plain"},
  };
  for (const auto& c : cases) {
    web.Add("POST", "http://blog.lofter.com/dwr/call", Reply("ok"));
    web.ClearRequests();
    UrlRequest r = Request(u"http://blog.lofter.com/dwr/call");
    r.verb = u"POST";
    r.headers = c.headers;
    r.SetBody(c.body);
    UrlResponse response;
    ASSERT_TRUE(Fetch(r, response)) << c.name;
    EXPECT_EQ(response.body, "ok") << c.name;
    const auto requests = web.Requests();
    ASSERT_EQ(requests.size(), 1u) << c.name;
    EXPECT_EQ(requests[0].method, "POST") << c.name;
    EXPECT_TRUE(requests[0].body == c.body) << c.name;
    EXPECT_EQ(requests[0].Header("Content-Type"), c.contentType) << c.name;
    EXPECT_EQ(requests[0].Header("Content-Length"), std::to_string(c.body.size())) << c.name;
    EXPECT_EQ(requests[0].Header("Expect"), "") << c.name;
  }
}

TEST_F(HttpTest, HeadersSent) {
  web.Get("http://user.qzone.qq.com/123", Reply("page"));
  CookieStore::Instance().SetCookie(u"http://user.qzone.qq.com/", "uin=o0123; path=/; domain=qq.com");
  UrlRequest r = Request(u"http://user.qzone.qq.com/123");
  r.headers = u"Accept-Encoding: gzip, deflate\r\nReferer: http://qzs.qq.com/proxy.html\r\n";
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  const auto requests = web.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Header("Referer"), "http://qzs.qq.com/proxy.html");
  EXPECT_EQ(requests[0].Header("Accept-Encoding"), "gzip, deflate");
  EXPECT_EQ(requests[0].Header("User-Agent"), kUserAgent);
  EXPECT_EQ(requests[0].Header("Cookie"), "uin=o0123");
  EXPECT_EQ(std::string(kUserAgent).substr(0, 11), "User-Agent:");
}

TEST_F(HttpTest, AddressIsPercentEncodedAsUtf8) {
  web.Get("http://tieba.baidu.com/*", Reply("ok"));
  const Text random = RandomFraction();
  ASSERT_TRUE(random.ends_with(u"\n"));
  UrlRequest r = Request(u"http://tieba.baidu.com/photo/g?kw=中 文&tab=%2F|&_=" + random);
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  const auto requests = web.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].url, "http://tieba.baidu.com/photo/g?kw=%E4%B8%AD%20%E6%96%87&tab=%2F|&_=" +
                                 ToUtf8(random.substr(0, random.size() - 1)) + "%0A");
}

TEST(Address, Encoding) {
  const struct {
    std::u16string address;
    std::string encoded;
  } cases[] = {
      {u"http://a.qq.com/x y?z=\t1", "http://a.qq.com/x%20y?z=%091"},
      {u"http://a.qq.com/%E4?a=b&c=d+e#frag", "http://a.qq.com/%E4?a=b&c=d+e#frag"},
      {u"http://a.qq.com/图", "http://a.qq.com/%E5%9B%BE"},
      {u"http://a.qq.com?q=\x7F", "http://a.qq.com?q=%7F"},
      {u"http://中文.com/a", "http://\xE4\xB8\xAD\xE6\x96\x87.com/a"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeAddress(c.address), c.encoded);
}

TEST(Address, Split) {
  const struct {
    std::string address;
    bool ok;
    bool secure;
    std::string host, path;
  } cases[] = {
      {"http://User.QZone.qq.com/a/b?c=/d", true, false, "user.qzone.qq.com", "/a/b"},
      {"HTTPS://u:p@qq.com:8443", true, true, "qq.com", "/"},
      {"http://qq.com?x=1", true, false, "qq.com", "/"},
      {"http://[::1]:80/x", true, false, "[::1]", "/x"},
      {"ftp://qq.com/", false, false, "", ""},
      {"qq.com/a", false, false, "", ""},
      {"http:///a", false, false, "", ""},
  };
  for (const auto& c : cases) {
    AddressParts parts;
    ASSERT_EQ(SplitAddress(c.address, parts), c.ok) << c.address;
    if (!c.ok) continue;
    EXPECT_EQ(parts.secure, c.secure) << c.address;
    EXPECT_EQ(parts.host, c.host) << c.address;
    EXPECT_EQ(parts.path, c.path) << c.address;
  }
}

TEST_F(HttpTest, RedirectGivesTheFinalHeaderBlock) {
  FakeReply moved = Reply("moved away", 302);
  moved.headers = {{"Location", "http://b.qq.com/new"}, {"X-Hop", "first"}};
  web.Get("http://a.qq.com/old", moved);
  FakeReply final = Reply("final page");
  final.headers = {{"Content-Type", "text/html; charset=GBK"}, {"X-Final", "yes"}};
  web.Get("http://b.qq.com/new", final);
  UrlResponse response;
  ASSERT_TRUE(Fetch(Request(u"http://a.qq.com/old"), response));
  EXPECT_EQ(response.body, "final page");
  EXPECT_TRUE(response.headers.starts_with(u"HTTP/1.1 200 OK\r\n")) << ToUtf8(response.headers);
  EXPECT_NE(response.headers.find(u"\r\nX-Final: yes\r\n"), Text::npos);
  EXPECT_NE(response.headers.find(u"charset=GBK"), Text::npos);
  EXPECT_EQ(response.headers.find(u"X-Hop"), Text::npos);
  EXPECT_TRUE(response.headers.ends_with(u"\r\n\r\n"));
}

TEST_F(HttpTest, ErrorPagesAreReplies) {
  UrlResponse response;
  ASSERT_TRUE(Fetch(Request(u"http://photo.baidu.com/missing"), response));
  EXPECT_TRUE(response.headers.starts_with(u"HTTP/1.1 404"));
  EXPECT_EQ(response.body, "fake web: no reply for http://photo.baidu.com/missing");

  // A picture download refuses them, and leaves no file.
  test::TempDir dir;
  UrlRequest picture = Request(u"http://photo.baidu.com/missing");
  picture.refuseErrorStatus = true;
  picture.savePath = dir.FileText("x.jpg");
  EXPECT_FALSE(Fetch(picture, response));
  EXPECT_TRUE(dir.Names().empty());
}

TEST_F(HttpTest, ReadTimeOut) {
  FakeReply slow = Reply("late");
  slow.delay = std::chrono::milliseconds(300);
  web.Get("http://slow.sina.com.cn/", slow);
  UrlRequest r = Request(u"http://slow.sina.com.cn/");
  r.readTimeoutMs = 100;
  UrlResponse response;
  EXPECT_FALSE(Fetch(r, response));
  r.readTimeoutMs = 2000;
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_EQ(response.body, "late");
}

TEST_F(HttpTest, HeaderBlockKeptWhenNoNewHeadersArrive) {
  web.Get("http://a.qq.com/", Reply("x"));
  UrlRequest r = Request(u"http://a.qq.com/");
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  const Text headers = response.headers;
  SetProxy("http://127.0.0.1:1");  // nothing listens there
  EXPECT_FALSE(Fetch(r, response));
  EXPECT_EQ(response.headers, headers);
  EXPECT_TRUE(response.body.empty());
}

TEST_F(HttpTest, ExplicitProxyWinsOverNoProxy) {
  web.Get("http://www.yupoo.com/", Reply("through the proxy"));
  setenv("no_proxy", "*", 1);
  UrlResponse response;
  const bool ok = Fetch(Request(u"http://www.yupoo.com/"), response);
  unsetenv("no_proxy");
  ASSERT_TRUE(ok);
  EXPECT_EQ(response.body, "through the proxy");
}

TEST_F(HttpTest, SavePathStreamsAndReplacesOnlyOnSuccess) {
  test::TempDir folder;
  folder.Write("图片.jpg", "old picture");
  const std::string picture(300000, 'J');
  const struct {
    const char* name;
    std::optional<size_t> dropAfter;
    int32_t maxKb;
    std::string startMarker;
    bool ok;
    std::string content;
  } cases[] = {
      {"dropped connection", 1000, 0, "", false, "old picture"},
      {"received above the maximum", std::nullopt, 200, "", false, "old picture"},
      {"whole picture, markers not applied", std::nullopt, 0, "J", true, picture},
  };
  for (const auto& c : cases) {
    FakeReply reply = Reply(picture);
    reply.dropAfter = c.dropAfter;
    reply.chunked = c.maxKb > 0;  // no Content-Length: the limit hits while streaming
    web.Get("http://img.lofter.com/p.jpg", reply);
    UrlRequest r = Request(u"http://img.lofter.com/p.jpg", folder.FileText("图片.jpg"));
    r.maxSizeKb = c.maxKb;
    r.startMarker = c.startMarker;
    UrlResponse response;
    EXPECT_EQ(Fetch(r, response, 3), c.ok) << c.name;
    EXPECT_TRUE(response.body.empty()) << c.name;
    EXPECT_EQ(folder.Read("图片.jpg"), c.content) << c.name;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"图片.jpg"}) << c.name;
  }
}

TEST_F(HttpTest, FailedAcceptanceCheckLeavesNoFile) {
  test::TempDir folder;
  web.Get("http://img.qq.com/a.jpg", Reply("error: RETRY"));
  UrlRequest r = Request(u"http://img.qq.com/a.jpg", folder.FileText("a.jpg"));
  r.retryMarker = "RETRY";
  r.attempts = 2;
  UrlResponse response;
  EXPECT_FALSE(Fetch(r, response));
  EXPECT_TRUE(folder.Names().empty());
  r.retryMarker = "NOT THERE";
  EXPECT_TRUE(Fetch(r, response));
  EXPECT_EQ(folder.Read("a.jpg"), "error: RETRY");
}

TEST_F(HttpTest, UncreatableSavePathStillSucceeds) {
  test::TempDir folder;
  web.Get("http://img.qq.com/b.jpg", Reply("picture bytes"));
  UrlRequest r = Request(u"http://img.qq.com/b.jpg", folder.FileText("missing/b.jpg"));
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response, 3));
  EXPECT_EQ(response.body, "picture bytes");  // held instead
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(HttpTest, ThreadsFetchAtOnceAndShareCookies) {
  for (int i = 0; i < 8; ++i)
    web.Get("http://photo.renren.com/" + std::to_string(i), Reply("page " + std::to_string(i)));
  CookieStore::Instance().SetCookie(u"http://photo.renren.com/", "t=shared; path=/");
  std::vector<std::thread> threads;
  std::vector<std::string> bodies(8);
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 5; ++round) {
        UrlResponse response;
        if (Fetch(Request(u"http://photo.renren.com/" + NumberText(i)), response)) bodies[i] += response.body + ";";
      }
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 8; ++i) {
    std::string expected;
    for (int round = 0; round < 5; ++round) expected += "page " + std::to_string(i) + ";";
    EXPECT_EQ(bodies[i], expected);
  }
  const auto requests = web.Requests();
  ASSERT_EQ(requests.size(), 40u);
  for (const auto& request : requests) EXPECT_EQ(request.Header("Cookie"), "t=shared") << request.url;
}

}  // namespace
}  // namespace zentrow::net
