#include "support/loopback_nginx.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

extern char** environ;

namespace zentrow::test {
namespace {

namespace fs = std::filesystem;
constexpr const char* kNginx = "/usr/sbin/nginx";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

}  // namespace

LoopbackNginx::LoopbackNginx() {
  std::string pattern = (fs::temp_directory_path() / "zentrow-nginx-XXXXXX").string();
  if (mkdtemp(pattern.data())) prefix_ = pattern;
  fs::create_directories(prefix_ / "www");
  fs::create_directories(prefix_ / "tmp");
}

LoopbackNginx::~LoopbackNginx() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ec;
  if (!prefix_.empty()) fs::remove_all(prefix_, ec);
}

bool LoopbackNginx::Available() { return fs::exists(kNginx); }

bool LoopbackNginx::HasModule(const std::string& name) {
  std::string out;
  if (FILE* pipe = popen((std::string(kNginx) + " -V 2>&1").c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out.find("--with-" + name) != std::string::npos;
}

int LoopbackNginx::FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool LoopbackNginx::Listening(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(port);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

bool LoopbackNginx::Start(std::string config, const std::vector<int>& ports) {
  if (!Available() || prefix_.empty()) return false;
  const std::string placeholder = "@PREFIX@";
  for (size_t at = 0; (at = config.find(placeholder, at)) != std::string::npos; at += prefix_.string().size())
    config.replace(at, placeholder.size(), prefix_.string());
  std::ofstream(prefix_ / "nginx.conf", std::ios::binary) << config;

  const std::string p = prefix_.string(), c = (prefix_ / "nginx.conf").string(), log = (prefix_ / "stderr.log").string();
  const char* argv[] = {"nginx", "-p", p.c_str(), "-c", c.c_str(), "-g", "daemon off;", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (posix_spawn(&pid_, kNginx, &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = 0;
  posix_spawn_file_actions_destroy(&actions);
  if (pid_ <= 0) return false;

  auto allListening = [&] {
    for (int port : ports)
      if (!Listening(port)) return false;
    return true;
  };
  for (int i = 0; i < 500; ++i) {
    if (allListening()) return true;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {  // nginx gave up (a bad configuration)
      pid_ = 0;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string LoopbackNginx::Logs() const {
  return ReadAll(prefix_ / "stderr.log") + ReadAll(prefix_ / "error.log");
}

}  // namespace zentrow::test
