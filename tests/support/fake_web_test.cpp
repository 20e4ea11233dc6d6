#include "support/fake_web.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace zentrow::test {
namespace {

// Sends `request` as is on a new connection and returns everything the server sends
// until it closes the connection.
std::string RawExchange(int port, const std::string& request) {
  const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::send(sock, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buf[4096];
    for (ssize_t n; (n = ::recv(sock, buf, sizeof buf, 0)) > 0;) reply.append(buf, static_cast<size_t>(n));
  }
  ::close(sock);
  return reply;
}

// A proxy-style GET ("GET http://host/path HTTP/1.1"), as the program's client sends it.
std::string ProxyGet(const FakeWeb& web, const std::string& url, const std::string& extraHeaders = "") {
  return RawExchange(web.Port(), "GET " + url + " HTTP/1.1\r\nHost: ignored.example\r\n" + extraHeaders +
                                     "Connection: close\r\n\r\n");
}

std::string BodyOf(const std::string& reply) {
  const auto end = reply.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

std::string StatusLineOf(const std::string& reply) { return reply.substr(0, reply.find("\r\n")); }

std::string Inflate(const std::string& data) {
  z_stream zs{};
  EXPECT_EQ(inflateInit2(&zs, 47), Z_OK);
  std::string out(64 * 1024, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  return out;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FakeWeb, RoutesByExactAddressAsSent) {
  FakeWeb web;
  web.Get("http://a.example/p?x=1", "a p x1");
  web.Get("http://b.example/p?x=1", "b p x1");
  web.Get("http://a.example/p", "a p");
  web.Get("http://a.example/go?u=http://c.example/d?e=1", "nested query");
  web.Get("http://a.example/s?q=%E4%B8%AD", "encoded");
  web.Get("http://a.example/pics/*", "pics");
  web.Get("http://a.example/pics/big/*", "big pics");
  struct Case {
    std::string url;
    std::string body;
  };
  const std::vector<Case> cases = {
      {"http://a.example/p?x=1", "a p x1"},
      {"http://b.example/p?x=1", "b p x1"},
      {"http://a.example/p", "a p"},
      {"http://a.example/go?u=http://c.example/d?e=1", "nested query"},
      {"http://a.example/s?q=%E4%B8%AD", "encoded"},
      {"http://a.example/s?q=%e4%b8%ad", "fake web: no reply for http://a.example/s?q=%e4%b8%ad"},
      {"http://a.example/p?x=2", "fake web: no reply for http://a.example/p?x=2"},
      {"http://a.example/p?x=1&y=2", "fake web: no reply for http://a.example/p?x=1&y=2"},
      {"http://a.example/pics/1.jpg", "pics"},
      {"http://a.example/pics/big/1.jpg?w=1", "big pics"},
      {"http://a.example/pics", "fake web: no reply for http://a.example/pics"},
  };
  for (const auto& c : cases) {
    const auto reply = ProxyGet(web, c.url);
    EXPECT_EQ(BodyOf(reply), c.body) << c.url;
    const bool matched = !c.body.starts_with("fake web:");
    EXPECT_EQ(StatusLineOf(reply), matched ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") << c.url;
  }
  ASSERT_EQ(web.Requests().size(), cases.size());
  EXPECT_EQ(web.Requests()[3].url, "http://a.example/go?u=http://c.example/d?e=1");
}

TEST(FakeWeb, OriginFormUsesHostHeader) {
  FakeWeb web;
  web.Get("http://a.example/p?x=1", "via host");
  EXPECT_EQ(BodyOf(RawExchange(web.Port(), "GET /p?x=1 HTTP/1.1\r\nHost: a.example\r\nConnection: close\r\n\r\n")),
            "via host");

  web.Get(web.DirectAddress("/direct?y=2"), "direct");
  httplib::Client client("127.0.0.1", web.Port());
  auto res = client.Get("/direct?y=2");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "direct");
  EXPECT_EQ(web.DirectAddress("direct"), web.ProxyAddress() + "/direct");
}

TEST(FakeWeb, ServesHttplibClientThroughProxy) {
  FakeWeb web;
  // httplib's client names the port in its absolute-form target; the program's client does not.
  web.Get("http://a.example:80/p?x=1", "proxied");
  httplib::Client client("http://a.example");
  client.set_proxy("127.0.0.1", web.Port());
  client.set_keep_alive(true);
  for (int i = 0; i < 2; ++i) {  // the second request reuses the connection
    auto res = client.Get("/p?x=1");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "proxied");
  }
  EXPECT_EQ(web.RequestsTo("http://a.example:80/p").size(), 2u);
}

TEST(FakeWeb, SendsStatusAndRepeatedHeaders) {
  FakeWeb web;
  FakeReply reply;
  reply.status = 302;
  reply.headers = {{"Location", "http://a.example/next"},
                   {"Set-Cookie", "skey=@abc; path=/; domain=qq.com"},
                   {"Set-Cookie", "uin=o123; path=/"}};
  web.Get("http://a.example/login", reply);

  const auto raw = ProxyGet(web, "http://a.example/login");
  EXPECT_EQ(StatusLineOf(raw), "HTTP/1.1 302 Found");
  const auto first = raw.find("Set-Cookie: skey=@abc; path=/; domain=qq.com\r\n");
  const auto second = raw.find("Set-Cookie: uin=o123; path=/\r\n");
  ASSERT_NE(first, std::string::npos) << raw;
  ASSERT_NE(second, std::string::npos) << raw;
  EXPECT_LT(first, second);
  EXPECT_NE(raw.find("Location: http://a.example/next\r\n"), std::string::npos);
}

TEST(FakeWeb, HeadUsesTheGetReplyWithoutBody) {
  FakeWeb web;
  web.Get("http://a.example/pic.jpg", "12345");
  const auto raw = RawExchange(web.Port(), "HEAD http://a.example/pic.jpg HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(StatusLineOf(raw), "HTTP/1.1 200 OK");
  EXPECT_NE(raw.find("Content-Length: 5\r\n"), std::string::npos) << raw;
  EXPECT_EQ(BodyOf(raw), "");
}

TEST(FakeWeb, BodyBytesAreExactlyTheReply) {
  FakeWeb web;
  const std::string page = "<html>" + std::string(500, 'x') + "</html>";
  struct Case {
    FakeReply::Encoding encoding;
    std::string header;  // expected Content-Encoding line, empty for none
  };
  const std::vector<Case> cases = {{FakeReply::Encoding::None, ""},
                                   {FakeReply::Encoding::Gzip, "Content-Encoding: gzip\r\n"},
                                   {FakeReply::Encoding::Deflate, "Content-Encoding: deflate\r\n"}};
  for (const auto& c : cases) {
    FakeReply reply;
    reply.headers = {{"Content-Type", "text/html; charset=utf-8"}};
    reply.body = page;
    reply.encoding = c.encoding;
    web.Get("http://a.example/page", reply);
    // The client accepts gzip and asks for a range: the body still goes out as stored.
    const auto raw = ProxyGet(web, "http://a.example/page", "Accept-Encoding: gzip, deflate, br\r\nRange: bytes=0-3\r\n");
    const auto head = raw.substr(0, raw.find("\r\n\r\n") + 2);
    const auto body = BodyOf(raw);
    if (c.header.empty()) {
      EXPECT_EQ(head.find("Content-Encoding"), std::string::npos) << head;
      EXPECT_EQ(body, page);
    } else {
      EXPECT_NE(head.find(c.header), std::string::npos) << head;
      EXPECT_EQ(Inflate(body), page);
    }
    EXPECT_NE(head.find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos) << head;
  }
  EXPECT_EQ(Inflate(GzipCompress("")), "");
  EXPECT_EQ(GzipCompress("abc").substr(0, 2), "\x1f\x8b");
  EXPECT_EQ(DeflateCompress("abc")[0], '\x78');  // a zlib header, not raw deflate
}

TEST(FakeWeb, DelaysTheReply) {
  FakeWeb web;
  FakeReply reply;
  reply.body = "late";
  reply.delay = std::chrono::milliseconds(200);
  web.Get("http://a.example/slow", reply);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(BodyOf(ProxyGet(web, "http://a.example/slow")), "late");
  EXPECT_GE(std::chrono::steady_clock::now() - start, reply.delay);
}

TEST(FakeWeb, ChunkedReplyHasNoContentLength) {
  FakeWeb web;
  FakeReply reply;
  reply.body = std::string(3000, 'c') + "end";
  reply.chunked = true;
  web.Get(web.DirectAddress("/chunked"), reply);

  const auto raw = RawExchange(web.Port(), "GET /chunked HTTP/1.1\r\nHost: 127.0.0.1:" +
                                               std::to_string(web.Port()) + "\r\nConnection: close\r\n\r\n");
  EXPECT_NE(raw.find("Transfer-Encoding: chunked\r\n"), std::string::npos) << raw.substr(0, 300);
  EXPECT_EQ(raw.find("Content-Length"), std::string::npos);
  EXPECT_TRUE(raw.ends_with("\r\n0\r\n\r\n"));

  httplib::Client client("127.0.0.1", web.Port());
  auto res = client.Get("/chunked");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, reply.body);
}

TEST(FakeWeb, DropAfterTruncatesTheBody) {
  FakeWeb web;
  for (bool chunked : {false, true}) {
    SCOPED_TRACE(chunked ? "chunked" : "with length");
    FakeReply reply;
    reply.body = std::string(5000, 'd');
    reply.dropAfter = 1500;
    reply.chunked = chunked;
    web.Get(web.DirectAddress("/drop"), reply);

    const auto raw = ProxyGet(web, web.DirectAddress("/drop"));
    if (chunked) {
      EXPECT_FALSE(raw.ends_with("\r\n0\r\n\r\n"));
    } else {
      EXPECT_NE(raw.find("Content-Length: 5000\r\n"), std::string::npos);
      EXPECT_EQ(BodyOf(raw), std::string(1500, 'd'));
    }
    httplib::Client client("127.0.0.1", web.Port());
    EXPECT_FALSE(client.Get("/drop"));
  }
}

TEST(FakeWeb, RecordsRequests) {
  FakeWeb web;
  FakeReply saved;
  saved.body = "saved";
  web.Add("POST", web.DirectAddress("/api?op=save"), saved);
  httplib::Client client("127.0.0.1", web.Port());
  httplib::Headers headers = {{"Referer", "http://a.example/"}, {"X-Token", "t1"}};
  auto res = client.Post("/api?op=save", headers, "a=1&b=%E4", "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "saved");
  EXPECT_EQ(client.Get("/other")->status, 404);

  const auto all = web.Requests();
  ASSERT_EQ(all.size(), 2u);
  const auto& post = all[0];
  EXPECT_EQ(post.method, "POST");
  EXPECT_EQ(post.url, web.DirectAddress("/api?op=save"));
  EXPECT_EQ(post.body, "a=1&b=%E4");
  EXPECT_EQ(post.Header("referer"), "http://a.example/");
  EXPECT_EQ(post.Header("X-TOKEN"), "t1");
  EXPECT_EQ(post.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(post.headers.count("x-token"), 1u);  // stored in lower case
  EXPECT_EQ(post.Header("missing"), "");
  EXPECT_EQ(post.headers.count("remote_addr"), 0u);  // only what the client sent
  EXPECT_EQ(all[1].method, "GET");

  EXPECT_EQ(web.RequestsTo(web.DirectAddress("/api")).size(), 1u);
  EXPECT_EQ(web.RequestsTo("http://elsewhere/").size(), 0u);
  web.ClearRequests();
  EXPECT_TRUE(web.Requests().empty());
}

TEST(FakeWeb, ServesAndRecordsParallelClients) {
  FakeWeb web;
  web.Get(web.DirectAddress("/pic/*"), "picture");
  constexpr int kClients = 16, kEach = 5;  // more than the 5 connections httplib's backlog holds
  std::atomic<int> served{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&web, &served, i] {
      httplib::Client client("127.0.0.1", web.Port());
      client.set_keep_alive(true);
      for (int j = 0; j < kEach; ++j) {
        auto res = client.Get("/pic/" + std::to_string(i) + "-" + std::to_string(j) + ".jpg");
        if (res && res->body == "picture") ++served;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(served, kClients * kEach);
  EXPECT_EQ(web.Requests().size(), static_cast<size_t>(kClients * kEach));
  EXPECT_EQ(web.RequestsTo(web.DirectAddress("/pic/3-")).size(), static_cast<size_t>(kEach));
}

TEST(FakeWeb, LaterAddReplacesEarlier) {
  FakeWeb web;
  web.Get("http://a.example/x", "old");
  web.Get("http://a.example/x", "new");
  FakeReply posted;
  posted.body = "posted";
  web.Add("POST", "http://a.example/x", posted);
  EXPECT_EQ(BodyOf(ProxyGet(web, "http://a.example/x")), "new");
}

TEST(FakeWeb, APostIsAnsweredByWhatItsBodyHolds) {
  FakeWeb web;
  const std::string call = "http://a.example/dwr/call.dwr";
  FakeReply first, later, other, any;
  first.body = "first";
  later.body = "later";
  other.body = "other host";
  any.body = "any body";
  web.Add("POST", call, any);
  web.AddForBody("POST", call, "time=1\r\n", first);
  web.AddForBody("POST", call, "time=", later);  // tried after the one added before it
  web.AddForBody("POST", "http://b.example/*", "time=1\r\n", other);
  const auto post = [&](const std::string& url, const std::string& body) {
    return BodyOf(RawExchange(web.Port(), "POST " + url + " HTTP/1.1\r\nHost: ignored.example\r\nContent-Length: " +
                                              std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body));
  };
  struct Case {
    std::string url, body, reply;
  };
  const std::vector<Case> cases = {
      {call, "id=7\r\ntime=1\r\nn=50", "first"},
      {call, "id=7\r\ntime=12\r\nn=50", "later"},
      {call, "id=7\r\nn=50", "any body"},
      {"http://b.example/x", "time=1\r\n", "other host"},
      {"http://b.example/x", "time=2\r\n", "fake web: no reply for http://b.example/x"},
  };
  for (const Case& c : cases) EXPECT_EQ(post(c.url, c.body), c.reply) << c.url << " " << c.body;
  // A GET is never answered by a POST's reply.
  EXPECT_EQ(BodyOf(ProxyGet(web, call)), "fake web: no reply for " + call);
}

TEST(FakeWeb, RepliesInTurnThenRepeatsTheLast) {
  FakeWeb web;
  FakeReply busy, answer;
  busy.body = "busy";
  busy.encoding = FakeReply::Encoding::Gzip;
  answer.body = "answer";
  web.AddInTurn("GET", "http://a.example/data?id=*", {busy, busy, answer});
  web.Get("http://a.example/other", "other");
  std::vector<std::string> bodies;
  for (int i = 0; i < 4; ++i) bodies.push_back(BodyOf(ProxyGet(web, "http://a.example/data?id=" + std::to_string(i))));
  // The second busy reply is compressed like the first.
  EXPECT_EQ(Inflate(bodies[1]), "busy");
  EXPECT_EQ(bodies[2], "answer");
  EXPECT_EQ(bodies[3], "answer");
  EXPECT_EQ(BodyOf(ProxyGet(web, "http://a.example/other")), "other");

  web.Get("http://a.example/data?id=*", "replaced");  // a later Add starts afresh
  EXPECT_EQ(BodyOf(ProxyGet(web, "http://a.example/data?id=9")), "replaced");
}

TEST(FakeWeb, LoadsManifest) {
  const std::filesystem::path folder = ZENTROW_TEST_DATA "/support/testdata/manifest-example";
  FakeWeb web;
  std::string error;
  ASSERT_TRUE(web.LoadManifest((folder / "manifest.txt").string(), &error)) << error;

  const auto page = ProxyGet(web, "http://photo.example.com/user/7/albums");
  EXPECT_EQ(BodyOf(page), ReadFile(folder / "albums-gbk.html"));  // GBK bytes untouched
  EXPECT_NE(page.find("Content-Type: text/html; charset=GBK\r\n"), std::string::npos);

  const auto list = ProxyGet(web, "http://photo.example.com/api/list?uid=7&callback=cb");
  EXPECT_NE(list.find("Content-Encoding: gzip\r\n"), std::string::npos);
  EXPECT_EQ(Inflate(BodyOf(list)), ReadFile(folder / "list.json"));
  EXPECT_NE(list.find("Set-Cookie: a=1; path=/\r\n"), std::string::npos);
  EXPECT_NE(list.find("Set-Cookie: b=2; path=/\r\n"), std::string::npos);

  const auto moved = ProxyGet(web, "http://photo.example.com/old");
  EXPECT_EQ(StatusLineOf(moved), "HTTP/1.1 302 Found");
  EXPECT_NE(moved.find("Location: http://photo.example.com/user/7/albums\r\n"), std::string::npos);
  EXPECT_EQ(BodyOf(moved), "");

  EXPECT_EQ(StatusLineOf(ProxyGet(web, "http://img.example.com/a/b.jpg")), "HTTP/1.1 404 Not Found");
  const auto login = RawExchange(web.Port(), "POST http://photo.example.com/login HTTP/1.1\r\n"
                                             "Content-Length: 3\r\nConnection: close\r\n\r\nu=1");
  EXPECT_EQ(StatusLineOf(login), "HTTP/1.1 403 Forbidden");
}

TEST(FakeWeb, ManifestErrorsNameTheLine) {
  const auto folder = std::filesystem::path(testing::TempDir()) / "fake-web-manifest-errors";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "page.html") << "page";
  struct Case {
    std::string line3;  // lines 1-2 are a comment and a good reply
    std::string error;  // expected ending of the error text
  };
  const std::vector<Case> cases = {
      {"GET http://a.example/x", "manifest.txt:3: expected METHOD URL FILE"},
      {"GET http://a.example/x page.html 2OO", "manifest.txt:3: bad status \"2OO\""},
      {"GET http://a.example/x page.html 99", "manifest.txt:3: bad status \"99\""},
      {"GET http://a.example/x page.html 200 Content-Type: text/html",
       "manifest.txt:3: unexpected \"Content-Type:\" (headers go after \" | \")"},
      {"GET http://a.example/x page.html | Content-Type text/html", "manifest.txt:3: bad header \"Content-Type text/html\""},
      {"GET http://a.example/x missing.html", "manifest.txt:3: cannot read file \"missing.html\""},
  };
  for (const auto& c : cases) {
    std::ofstream(folder / "manifest.txt") << "# replies\r\nGET http://a.example/ok page.html\r\n" << c.line3 << "\r\n";
    FakeWeb web;
    std::string error;
    EXPECT_FALSE(web.LoadManifest((folder / "manifest.txt").string(), &error)) << c.line3;
    EXPECT_TRUE(error.ends_with(c.error)) << error;
  }
  FakeWeb web;
  std::string error;
  EXPECT_FALSE(web.LoadManifest((folder / "none.txt").string(), &error));
  EXPECT_TRUE(error.ends_with("none.txt: cannot open")) << error;
  EXPECT_FALSE(web.LoadManifest((folder / "none.txt").string()));  // no error text wanted
}

}  // namespace
}  // namespace zentrow::test
