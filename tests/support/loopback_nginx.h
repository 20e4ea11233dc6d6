// A real nginx on loopback for integration tests and throughput runs: its own prefix
// folder (configuration, logs, temporary paths, a "www" root), started as a child
// process and stopped with the object.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zentrow::test {

class LoopbackNginx {
 public:
  LoopbackNginx();   // makes the prefix folder with "www" and "tmp" in it
  ~LoopbackNginx();  // stops nginx and removes the folder
  LoopbackNginx(const LoopbackNginx&) = delete;
  LoopbackNginx& operator=(const LoopbackNginx&) = delete;

  static bool Available();           // the nginx binary is installed
  static bool HasModule(const std::string& name);  // e.g. "http_ssl_module"
  static int FreePort();
  static bool Listening(int port);

  const std::filesystem::path& Prefix() const { return prefix_; }
  std::filesystem::path Www() const { return prefix_ / "www"; }

  // Writes the configuration (every "@PREFIX@" replaced by the prefix folder) and starts
  // nginx on it; true once every port of `ports` accepts connections.
  bool Start(std::string config, const std::vector<int>& ports);
  // What nginx wrote to its standard error and error log, for failure messages.
  std::string Logs() const;

 private:
  std::filesystem::path prefix_;
  pid_t pid_ = 0;
};

}  // namespace zentrow::test
