// The picture download of one album: the queue a photo-list reader fills, the workers that
// fetch it, and the files written beside the pictures.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include "toolkit/text.h"

namespace zentrow {

struct PictureItem {
  Text address;   // may carry an alternative address after "\r\n"
  Text fileName;  // relative to the queue folder, or an absolute path inside the run's folder
  Text header;    // extra request header lines for this picture; may be empty
};

// The pictures of the album being downloaded.
struct DownloadQueue {
  std::vector<PictureItem> items;
  Text folder;  // ends with "/"
  // Lower-case file names already queued, for the uniqueness rule.
  std::unordered_set<Text> lowerNames;

  void Reset(const Text& newFolder);
  // Whether `name` (compared without regard to case) is already queued.
  bool HasName(TextView name) const;
  void Append(PictureItem item);
  // The save path of item i: the folder followed by the name, or the name when absolute.
  Text SavePath(size_t i) const;
};

// The current category's download parameters, copied at the start of every download.
struct DownloadValues {
  uint16_t minSizeKb = 0;
  uint16_t maxSizeKb = 0;
  uint16_t threadCount = 5;     // 1..15 simultaneous fetches
  uint16_t timeoutSeconds = 30; // read time-out of each picture
  // With one thread, the pause before each further picture.
  std::chrono::milliseconds singleThreadPause{2000};
  uint8_t retryPauseSeconds = 1;  // wait after a failed attempt of a picture
};

struct DownloadResult {
  int saved = 0;
  int failed = 0;
};

// Fetches every queued picture with up to threadCount fetches at once, starting them in
// queue order. Once `stop` is set, no further picture starts; those in flight finish.
// `progress(done, total)` is called on the calling thread whenever the done count changed.
DownloadResult DownPicFunc(const DownloadQueue& queue, const DownloadValues& values,
                           const std::atomic<bool>& stop,
                           const std::function<void(int done, int total)>& progress);

// Fetches picture i into its save path; true when the file is there under its final name.
bool PictureWorker(const DownloadQueue& queue, size_t i, const DownloadValues& values);

// Renames every queued file to the extension its content calls for and stores the new
// names in the queue.
void FixFormat(DownloadQueue& queue);
// Sets the files' times to now, now - 60 s, now - 120 s ... in queue order.
void FixOrder(const DownloadQueue& queue, int64_t now);

// The download list file: every address entry in GBK, each followed by CR LF.
void WriteListFile(const DownloadQueue& queue, const Text& path);
// The marker file "pic.vrk" of a folder: one address in UTF-16LE, no byte-order mark.
void WriteMarker(const Text& folder, const Text& address);
Text ReadMarker(const Text& folder);

}  // namespace zentrow
