// The client against a real nginx on loopback, started with its own configuration in a
// temporary folder: compression, redirects, cookies, a large download, error pages, TLS.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "net/cookies.h"
#include "net/http.h"
#include "toolkit/codepage.h"

extern char** environ;

namespace zentrow::net {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNginx = "/usr/sbin/nginx";
const fs::path kTestData = fs::path(ZENTROW_TEST_DATA) / "net" / "testdata" / "nginx";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool Listening(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

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
    if (!fs::exists(kNginx)) return;
    std::string pattern = (fs::temp_directory_path() / "zentrow-nginx-XXXXXX").string();
    prefix = mkdtemp(pattern.data());
    fs::create_directories(prefix / "www");
    fs::create_directories(prefix / "tmp");
    fs::copy_file(kTestData / "page.html", prefix / "www" / "page.html");
    WriteFile(prefix / "www" / "big.bin", BigFile());
    WriteFile(prefix / "www" / "huge.bin", "");
    fs::resize_file(prefix / "www" / "huge.bin", kMaxHeldBodyBytes + 1);  // sparse: costs no disk

    tls = CommandOutput(std::string(kNginx) + " -V 2>&1").find("--with-http_ssl_module") != std::string::npos &&
          MakeCertificate(prefix / "cert.pem", prefix / "key.pem") &&
          MakeCertificate(prefix / "other-ca.pem", prefix / "other-key.pem");
    httpPort = FreePort();
    httpsPort = FreePort();
    std::string config = ReadFile(kTestData / "nginx.conf.in");
    if (!tls) config.erase(config.find("    # TLS begin"), config.find("# TLS end") - config.find("    # TLS begin"));
    ReplaceAll(config, "@PREFIX@", prefix.string());
    ReplaceAll(config, "@HTTP_PORT@", std::to_string(httpPort));
    ReplaceAll(config, "@HTTPS_PORT@", std::to_string(httpsPort));
    WriteFile(prefix / "nginx.conf", config);

    const std::string p = prefix.string(), c = (prefix / "nginx.conf").string(), log = (prefix / "stderr.log").string();
    const char* argv[] = {"nginx", "-p", p.c_str(), "-c", c.c_str(), "-g", "daemon off;", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid, kNginx, &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 500 && pid > 0 && !(Listening(httpPort) && (!tls || Listening(httpsPort))); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  static void TearDownTestSuite() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    if (!prefix.empty()) fs::remove_all(prefix);
  }

  void SetUp() override {
    if (!fs::exists(kNginx)) GTEST_SKIP() << "nginx is not installed";
    ASSERT_TRUE(pid > 0 && Listening(httpPort)) << ReadFile(prefix / "stderr.log") << ReadFile(prefix / "error.log");
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

  static inline fs::path prefix;
  static inline pid_t pid = 0;
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
