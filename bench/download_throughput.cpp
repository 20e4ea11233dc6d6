// Throughput run: the engine's picture download against curl's parallel mode, both over
// the same 2,000 pictures of 32 KB served by a real nginx on loopback, 15 at a time.
//
//   zentrow_throughput [pictures] [kilobytes]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/download.h"
#include "net/http.h"
#include "support/loopback_nginx.h"
#include "toolkit/codepage.h"

namespace fs = std::filesystem;
using namespace zentrow;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kThreads = 15;

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int CountFiles(const fs::path& folder, uintmax_t size) {
  int n = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file() && entry.file_size() == size) ++n;
  return n;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

}  // namespace

int main(int argc, char** argv) {
  const int pictures = argc > 1 ? std::atoi(argv[1]) : 2000;
  const size_t bytes = (argc > 2 ? std::atoi(argv[2]) : 32) * size_t{1024};
  if (!test::LoopbackNginx::Available()) {
    std::puts("nginx is not installed; nothing measured");
    return 0;
  }
  for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
    unsetenv(name);

  test::LoopbackNginx nginx;
  fs::create_directories(nginx.Www() / "p");
  std::mt19937 random(7);
  std::string picture(bytes, '\0');
  for (int i = 0; i < pictures; ++i) {
    for (auto& c : picture) c = static_cast<char>(random());
    picture[0] = '\xFF';
    picture[1] = '\xD8';
    std::ofstream(nginx.Www() / "p" / (std::to_string(i) + ".jpg"), std::ios::binary) << picture;
  }
  const int port = test::LoopbackNginx::FreePort();
  const std::string config =
      "master_process off; worker_processes 1; error_log @PREFIX@/error.log warn; pid @PREFIX@/nginx.pid;\n"
      "events { worker_connections 256; }\n"
      "http { access_log off; keepalive_requests 100000; client_body_temp_path @PREFIX@/tmp/body;\n"
      "  proxy_temp_path @PREFIX@/tmp/proxy; fastcgi_temp_path @PREFIX@/tmp/fastcgi;\n"
      "  uwsgi_temp_path @PREFIX@/tmp/uwsgi; scgi_temp_path @PREFIX@/tmp/scgi;\n"
      "  server { listen 127.0.0.1:" + std::to_string(port) + "; root @PREFIX@/www; } }\n";
  if (!nginx.Start(config, {port})) {
    std::fprintf(stderr, "nginx did not start:\n%s\n", nginx.Logs().c_str());
    return 1;
  }
  const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/p/";

  // The engine: a queue as a photo-list reader leaves it, then the workers.
  const fs::path engineFolder = nginx.Prefix() / "engine";
  fs::create_directories(engineFolder);
  DownloadQueue queue;
  queue.Reset(FromUtf8(engineFolder.string() + "/"));
  for (int i = 0; i < pictures; ++i)
    queue.Append({FromUtf8(base + std::to_string(i) + ".jpg"), FromUtf8(std::to_string(i) + ".jpg"), u""});
  DownloadValues values;
  values.threadCount = kThreads;
  values.timeoutSeconds = 30;
  std::atomic<bool> stop{false};
  const long rssBefore = PeakRssKb();
  auto started = Clock::now();
  DownloadResult result = DownPicFunc(queue, values, stop, [](int, int) {});
  const double engineSeconds = Seconds(started);
  const long rssAfter = PeakRssKb();

  // curl's parallel mode over the same list.
  const fs::path curlFolder = nginx.Prefix() / "curl";
  fs::create_directories(curlFolder);
  const fs::path list = nginx.Prefix() / "curl-list.txt";
  {
    std::ofstream out(list);
    for (int i = 0; i < pictures; ++i)
      out << "url = \"" << base << i << ".jpg\"\noutput = \"" << (curlFolder / (std::to_string(i) + ".jpg")).string()
          << "\"\n";
  }
  const std::string command = "curl --silent --parallel --parallel-max " + std::to_string(kThreads) + " --config '" +
                              list.string() + "' >/dev/null 2>&1";
  started = Clock::now();
  const int curlStatus = std::system(command.c_str());
  const double curlSeconds = Seconds(started);

  const int engineFiles = CountFiles(engineFolder, bytes);
  const int curlFiles = CountFiles(curlFolder, bytes);
  std::printf("pictures: %d of %zu KB, %d at a time\n", pictures, bytes / 1024, kThreads);
  std::printf("engine:   %.3f s, %d saved, %d failed, %d files complete\n", engineSeconds, result.saved,
              result.failed, engineFiles);
  std::printf("curl:     %.3f s, status %d, %d files complete\n", curlSeconds, curlStatus, curlFiles);
  std::printf("ratio:    %.2f (engine / curl)\n", engineSeconds / curlSeconds);
  std::printf("memory:   peak resident %ld KB before the download, %ld KB after\n", rssBefore, rssAfter);
  return engineFiles == pictures && curlFiles == pictures ? 0 : 1;
}
