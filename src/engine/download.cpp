// The picture download of one album. A small pool of worker threads takes the queued
// pictures in order, each fetching one picture straight into its file; the calling thread
// sleeps until a worker ends and reports the progress.
#include "engine/download.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "engine/catalogue.h"
#include "net/http.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kRequestTimeoutMs = 20000;
constexpr uint8_t kAttempts = 2;
constexpr int kMaxThreads = 15;
constexpr unsigned kFetchOptions = net::FETCH_INFLATED_CHECKS | net::FETCH_ALLOW_CACHE;
// A reply shorter than this is no real picture when a Topit alternative exists.
constexpr uint64_t kTopitPlaceholderBytes = 600;
constexpr int64_t kOrderStepSeconds = 60;
constexpr size_t kMaxMarkerBytes = 64 * 1024;
// Nobody notifies the stop flag, so a pause looks at it this often.
constexpr std::chrono::milliseconds kStopCheck{50};

// File names are folded in ASCII only; other letters compare exactly.
Text LowerName(TextView name) {
  Text lower(name);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
  }
  return lower;
}

bool IsAbsolute(TextView name) { return !name.empty() && name.front() == u'/'; }

// A file that cannot be examined counts as holding nothing.
uint64_t FileSize(const Text& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(NativePath(path), error);
  return error ? 0 : size;
}

// What a successful fetch received: the body went to the file, unless that could not be
// created and the body was held in memory.
uint64_t Received(const Text& path, const net::UrlResponse& response) {
  return response.body.empty() ? FileSize(path) : response.body.size();
}

void RemoveIfEmpty(const Text& path) {
  const std::string native = NativePath(path);
  std::error_code error;
  if (std::filesystem::file_size(native, error) == 0 && !error) std::filesystem::remove(native, error);
}

bool IsTopitAddress(TextView address) {
  const TextView fragment = Site(SITE_TOPIT).fragments[0];
  return address.size() > 1 && address.find(fragment, 1) != TextView::npos;
}

// Returns early once the stop flag is set.
void PauseUnlessStopped(std::chrono::milliseconds pause, const std::atomic<bool>& stop) {
  const auto until = Clock::now() + pause;
  for (auto now = Clock::now(); !stop && now < until; now = Clock::now()) {
    std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kStopCheck));
  }
}

// The shared state of one DownPicFunc run.
class PictureRun {
 public:
  PictureRun(const DownloadQueue& queue, const DownloadValues& values, const std::atomic<bool>& stop,
             bool pauseBetween)
      : queue_(queue), values_(values), stop_(stop), pauseBetween_(pauseBetween) {}

  // One worker: takes the next picture until the queue is through or the stop flag is set.
  void Work() {
    for (std::optional<size_t> i; (i = Take());) {
      if (pauseBetween_ && *i > 0) {
        PauseUnlessStopped(values_.singleThreadPause, stop_);
        if (stop_) break;
      }
      const bool saved = PictureWorker(queue_, *i, values_);
      {
        std::lock_guard lock(mutex_);
        ++done_;
        saved_ += saved;
      }
      changed_.notify_all();
    }
    {
      std::lock_guard lock(mutex_);
      ++ended_;
    }
    changed_.notify_all();
  }

  // Sleeps until a picture was done or every one of `workers` ended; reports each change.
  DownloadResult Follow(int workers, const std::function<void(int, int)>& progress) {
    const int total = static_cast<int>(queue_.items.size());
    std::unique_lock lock(mutex_);
    for (int shown = -1;;) {
      changed_.wait(lock, [&] { return (done_ != shown && done_ > 0) || ended_ == workers; });
      if (done_ == shown) break;
      shown = done_;
      lock.unlock();
      if (progress) progress(shown, total);
      lock.lock();
    }
    return {saved_, done_ - saved_};
  }

 private:
  std::optional<size_t> Take() {
    std::lock_guard lock(mutex_);
    if (stop_ || next_ >= queue_.items.size()) return std::nullopt;
    return next_++;
  }

  const DownloadQueue& queue_;
  const DownloadValues& values_;
  const std::atomic<bool>& stop_;
  const bool pauseBetween_;

  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;
  int done_ = 0;
  int saved_ = 0;
  int ended_ = 0;
};

void WriteBytes(const Text& path, std::string_view bytes) {
  std::FILE* file = std::fopen(NativePath(path).c_str(), "wb");
  if (!file) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

}  // namespace

void DownloadQueue::Reset(const Text& newFolder) {
  items.clear();
  lowerNames.clear();
  folder = newFolder;
}

bool DownloadQueue::HasName(TextView name) const { return lowerNames.contains(LowerName(name)); }

void DownloadQueue::Append(PictureItem item) {
  lowerNames.insert(LowerName(item.fileName));
  items.push_back(std::move(item));
}

Text DownloadQueue::SavePath(size_t i) const {
  const Text& name = items[i].fileName;
  return IsAbsolute(name) ? name : folder + name;
}

DownloadResult DownPicFunc(const DownloadQueue& queue, const DownloadValues& values,
                           const std::atomic<bool>& stop,
                           const std::function<void(int done, int total)>& progress) {
  const int threadCount = std::clamp<int>(values.threadCount, 1, kMaxThreads);
  const int workers = std::min(threadCount, static_cast<int>(queue.items.size()));
  if (workers == 0) return {};
  PictureRun run(queue, values, stop, threadCount == 1);
  std::vector<std::jthread> threads;
  try {
    while (static_cast<int>(threads.size()) < workers) threads.emplace_back([&run] { run.Work(); });
  } catch (const std::system_error&) {
    // Fewer workers than asked for still get through the queue.
  }
  if (threads.empty()) {
    run.Work();
    return run.Follow(1, progress);
  }
  return run.Follow(static_cast<int>(threads.size()), progress);
}

bool PictureWorker(const DownloadQueue& queue, size_t i, const DownloadValues& values) {
  const PictureItem& item = queue.items[i];
  const Text path = queue.SavePath(i);
  net::UrlRequest request({}, path, kRequestTimeoutMs);
  const size_t split = item.address.find(u"\r\n");
  request.address = item.address.substr(0, split);
  const Text alternative = split == Text::npos ? Text() : item.address.substr(split + 2);
  request.readTimeoutMs = static_cast<uint32_t>(values.timeoutSeconds) * 1000;
  if (!item.header.empty()) request.headers = item.header;
  request.minSizeKb = values.minSizeKb;
  request.maxSizeKb = values.maxSizeKb;
  request.attempts = kAttempts;
  request.pauseSeconds = values.retryPauseSeconds;
  request.refuseErrorStatus = true;  // an error page is no picture

  // A failed fetch received nothing usable, which is what the alternative is there for.
  net::UrlResponse response;
  bool fetched = net::Fetch(request, response, kFetchOptions);
  uint64_t received = fetched ? Received(path, response) : 0;
  if (!alternative.empty() &&
      (received == 0 || (IsTopitAddress(alternative) && received < kTopitPlaceholderBytes))) {
    request.address = alternative;
    if (net::Fetch(request, response, kFetchOptions)) {
      fetched = true;
      received = Received(path, response);
    }
  }
  if (!fetched) return false;
  // An empty reply is no picture: it counts as failed and leaves no empty file behind.
  if (received == 0) {
    RemoveIfEmpty(path);
    return false;
  }
  return FileSize(path) > 0;
}

void FixFormat(DownloadQueue& queue) {
  for (size_t i = 0; i < queue.items.size(); ++i) {
    Text path = queue.SavePath(i);
    Text& name = queue.items[i].fileName;
    if (!FixPictureExtension(path)) continue;
    Text renamed = IsAbsolute(name) ? path : path.substr(queue.folder.size());
    if (renamed == name) continue;
    queue.lowerNames.erase(LowerName(name));
    queue.lowerNames.insert(LowerName(renamed));
    name = std::move(renamed);
  }
}

void FixOrder(const DownloadQueue& queue, int64_t now) {
  // Times follow the queue position, so a missing file leaves its minute unused.
  int64_t t = now;
  for (size_t i = 0; i < queue.items.size(); ++i, t -= kOrderStepSeconds) {
    SetFileTimes(queue.SavePath(i), t);
  }
}

void WriteListFile(const DownloadQueue& queue, const Text& path) {
  std::FILE* file = std::fopen(NativePath(path).c_str(), "wb");
  if (!file) return;
  for (const PictureItem& item : queue.items) {
    const Bytes line = ToGbk(item.address) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), file);
  }
  std::fclose(file);
}

void WriteMarker(const Text& folder, const Text& address) {
  Bytes bytes;
  bytes.reserve(address.size() * 2);
  for (char16_t c : address) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  WriteBytes(folder + u"pic.vrk", bytes);
}

Text ReadMarker(const Text& folder) {
  std::FILE* file = std::fopen(NativePath(folder + u"pic.vrk").c_str(), "rb");
  if (!file) return {};
  Bytes bytes(kMaxMarkerBytes, '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  Text address;
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                         static_cast<unsigned char>(bytes[at + 1]) << 8);
    if (c == u'\n') break;
    address += c;
  }
  return address;
}

}  // namespace zentrow
