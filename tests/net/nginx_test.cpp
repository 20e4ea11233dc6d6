// The client against a real nginx on loopback, started with its own configuration in a
// temporary folder: compression, redirects, cookies, a large download, error pages, TLS.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "net/cookies.h"
#include "net/http.h"
#include "support/loopback_nginx.h"
#include "toolkit/codepage.h"

namespace zentrow::net {
namespace {

using test::LoopbackNginx;

namespace fs = std::filesystem;

const fs::path kTestData = fs::path(ZENTROW_TEST_DATA) / "net" / "testdata" / "nginx";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
}

// A self-signed certificate for 127.0.0.1; false when openssl is missing.
bool MakeCertificate(const fs::path& cert, const fs::path& key) {
  const std::string command =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
      " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout '" +
      key.string() + "' -out '" + cert.string() + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 && fs::exists(cert);
}

class NginxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!LoopbackNginx::Available()) return;
    nginx = new LoopbackNginx;
    prefix = nginx->Prefix();
    fs::copy_file(kTestData / "page.html", nginx->Www() / "page.html");
    WriteFile(nginx->Www() / "big.bin", BigFile());
    WriteFile(nginx->Www() / "huge.bin", "");
    fs::resize_file(nginx->Www() / "huge.bin", kMaxHeldBodyBytes + 1);  // sparse: costs no disk

    tls = LoopbackNginx::HasModule("http_ssl_module") && MakeCertificate(prefix / "cert.pem", prefix / "key.pem") &&
          MakeCertificate(prefix / "other-ca.pem", prefix / "other-key.pem");
    httpPort = LoopbackNginx::FreePort();
    httpsPort = LoopbackNginx::FreePort();
    std::string config = ReadFile(kTestData / "nginx.conf.in");
    if (!tls) config.erase(config.find("    # TLS begin"), config.find("# TLS end") - config.find("    # TLS begin"));
    ReplaceAll(config, "@HTTP_PORT@", std::to_string(httpPort));
    ReplaceAll(config, "@HTTPS_PORT@", std::to_string(httpsPort));
    std::vector<int> ports{httpPort};
    if (tls) ports.push_back(httpsPort);
    started = nginx->Start(config, ports);
  }

  static void TearDownTestSuite() {
    delete nginx;
    nginx = nullptr;
  }

  void SetUp() override {
    if (!LoopbackNginx::Available()) GTEST_SKIP() << "nginx is not installed";
    ASSERT_TRUE(started) << nginx->Logs();
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTPS_PROXY", "ALL_PROXY", "no_proxy"}) {
      unsetenv(name);
    }
    SetProxy("");
    SetCaBundle("");
    CookieStore::Instance().ClearAll();
  }

  void TearDown() override { SetCaBundle(""); }

  // 20 MB that compress badly, the same on every run.
  static std::string BigFile() {
    std::mt19937_64 random(42);
    std::string data(20u << 20, '\0');
    for (size_t i = 0; i < data.size(); i += 8) {
      const uint64_t word = random();
      std::memcpy(&data[i], &word, 8);
    }
    return data;
  }

  // No pause after a failed attempt: several cases here fail on purpose.
  static UrlRequest Request(Text address, Text savePath = u"") {
    UrlRequest r(std::move(address), std::move(savePath), 5000);
    r.pauseSeconds = 0;
    return r;
  }

  static Text Address(const std::string& path, bool secure = false) {
    return FromUtf8(
        (secure ? "https://127.0.0.1:" + std::to_string(httpsPort) : "http://127.0.0.1:" + std::to_string(httpPort)) +
        path);
  }

  static inline LoopbackNginx* nginx = nullptr;
  static inline fs::path prefix;
  static inline bool started = false;
  static inline int httpPort = 0;
  static inline int httpsPort = 0;
  static inline bool tls = false;
};

TEST_F(NginxTest, GzipPageInflatedByGetText) {
  UrlRequest r = Request(Address("/page.html"));
  r.headers = u"Accept-Encoding: gzip, deflate";
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  const std::string page = ReadFile(kTestData / "page.html");
  EXPECT_TRUE(response.compressed);
  EXPECT_NE(response.headers.find(u"Content-Encoding: gzip"), Text::npos);
  EXPECT_LT(response.body.size(), page.size() / 4);
  Text text;
  GetText(response, text, DM_INFLATE | DM_UTF8);
  Text expected = FromUtf8(page);
  DecodeEntities(expected);
  EXPECT_EQ(text, expected);
  EXPECT_NE(text.find(u"<span>共 1197 张</span>"), Text::npos);
}

TEST_F(NginxTest, RedirectFollowed) {
  UrlRequest r = Request(Address("/old"));
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_TRUE(response.headers.starts_with(u"HTTP/1.1 200 OK\r\n"));
  EXPECT_FALSE(response.compressed);
  EXPECT_EQ(response.body, ReadFile(kTestData / "page.html"));
}

TEST_F(NginxTest, CookieStoredAndSent) {
  UrlRequest r = Request(Address("/cookie"));
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_EQ(GetCookieText(Address("/")), u"nx=1");
  r.address = Address("/echo-cookie");
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_EQ(response.body, "nx=1");
}

TEST_F(NginxTest, LargeFileStreamedToDisk) {
  const fs::path target = prefix / "download.bin";
  UrlRequest r = Request(Address("/big.bin"), FromUtf8(target.string()));
  r.maxSizeKb = 19 * 1024;  // announced 20 MB: refused before the body is read
  UrlResponse response;
  EXPECT_FALSE(Fetch(r, response, 3));
  EXPECT_FALSE(fs::exists(target));
  r.maxSizeKb = 0;
  ASSERT_TRUE(Fetch(r, response, 3));
  EXPECT_TRUE(response.body.empty());
  EXPECT_TRUE(ReadFile(target) == ReadFile(prefix / "www" / "big.bin"));
  for (const auto& entry : fs::directory_iterator(prefix)) {
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
  }
}

TEST_F(NginxTest, HeldBodiesAreBounded) {
  UrlRequest r = Request(Address("/huge.bin"));
  UrlResponse response;
  EXPECT_FALSE(Fetch(r, response));
  EXPECT_LE(response.body.size(), kMaxHeldBodyBytes + (16 << 10));  // at most one piece beyond
  const fs::path target = prefix / "huge-download.bin";
  r.savePath = FromUtf8(target.string());
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_EQ(fs::file_size(target), kMaxHeldBodyBytes + 1);
  fs::remove(target);
}

TEST_F(NginxTest, NotFoundPageIsAReply) {
  UrlRequest r = Request(Address("/missing.html"));
  UrlResponse response;
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_TRUE(response.headers.starts_with(u"HTTP/1.1 404 Not Found\r\n"));
  EXPECT_NE(response.body.find("<title>404 Not Found</title>"), std::string::npos);
}

TEST_F(NginxTest, HttpsVerifiedAgainstTheCaBundle) {
  if (!tls) GTEST_SKIP() << "nginx has no TLS here";
  UrlRequest r = Request(Address("/page.html", true));
  UrlResponse response;
  EXPECT_FALSE(Fetch(r, response));  // the system's authorities do not know it
  SetCaBundle((prefix / "other-ca.pem").string());
  EXPECT_FALSE(Fetch(r, response));
  SetCaBundle((prefix / "cert.pem").string());
  ASSERT_TRUE(Fetch(r, response));
  EXPECT_EQ(response.body, ReadFile(kTestData / "page.html"));
}

}  // namespace
}  // namespace zentrow::net
