#include "engine/download.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "net/http.h"
#include "support/fake_web.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int64_t WriteTime(const Text& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 ? st.st_mtime : -1;
}

// A fresh folder per test, removed afterwards.
class FolderTest : public ::testing::Test {
 protected:
  // One picture per address entry, named 1.jpg, 2.jpg, ...
  DownloadQueue Queue(const std::vector<std::string>& entries) const {
    DownloadQueue queue;
    queue.Reset(dir_.text());
    for (const auto& entry : entries) {
      queue.Append({FromUtf8(entry), NumberText(static_cast<long long>(queue.items.size()) + 1) + u".jpg", {}});
    }
    return queue;
  }
  // One picture under its own name.
  DownloadQueue Single(const std::string& entry, const std::string& name) const {
    DownloadQueue queue;
    queue.Reset(dir_.text());
    queue.Append({FromUtf8(entry), FromUtf8(name), {}});
    return queue;
  }

  test::TempDir dir_;
};

struct Outcome {
  DownloadResult result;
  std::vector<std::pair<int, int>> progress;
  bool progressOnCallingThread = true;
};

// `onProgress` runs after each progress report is noted.
Outcome Download(const DownloadQueue& queue, const DownloadValues& values, const std::atomic<bool>& stop,
                 const std::function<void(int done)>& onProgress = {}) {
  Outcome out;
  const auto caller = std::this_thread::get_id();
  out.result = DownPicFunc(queue, values, stop, [&](int done, int total) {
    out.progress.emplace_back(done, total);
    if (onProgress) onProgress(done);
    out.progressOnCallingThread = out.progressOnCallingThread && std::this_thread::get_id() == caller;
  });
  return out;
}

Outcome Download(const DownloadQueue& queue, const DownloadValues& values) {
  const std::atomic<bool> stop{false};
  return Download(queue, values, stop);
}

// Pictures served by the fake web; a failed attempt is retried at once.
class DownloadTest : public FolderTest {
 protected:
  void SetUp() override {
    net::SetProxy(web_.ProxyAddress());
    values_.retryPauseSeconds = 0;
  }

  test::FakeWeb web_;
  DownloadValues values_;
};

TEST(DownloadQueueTest, NamesCompareWithoutCaseAndSavePathsJoinTheFolder) {
  DownloadQueue queue;
  queue.Reset(u"/data/album/");
  queue.Append({u"http://a.example/1.jpg", u"Photo.JPG", {}});
  queue.Append({u"http://a.example/2.jpg", u"图片Ä.jpg", {}});
  queue.Append({u"http://a.example/3.jpg", u"/data/album/sub/x.jpg", {}});

  const struct {
    const char16_t* name;
    bool queued;
  } cases[] = {
      {u"Photo.JPG", true},  {u"photo.jpg", true},   {u"PHOTO.jpg", true},
      {u"photo.jpeg", false}, {u"图片Ä.JPG", true}, {u"图片ä.jpg", false},  // non-ASCII letters stay as they are
  };
  for (const auto& c : cases) EXPECT_EQ(queue.HasName(c.name), c.queued) << ToUtf8(c.name);

  EXPECT_EQ(queue.SavePath(0), u"/data/album/Photo.JPG");
  EXPECT_EQ(queue.SavePath(2), u"/data/album/sub/x.jpg");

  queue.Reset(u"/other/");
  EXPECT_TRUE(queue.items.empty());
  EXPECT_FALSE(queue.HasName(u"photo.jpg"));
  EXPECT_EQ(queue.folder, u"/other/");
}

TEST(DownloadValuesTest, Defaults) {
  const DownloadValues values;
  EXPECT_EQ(values.threadCount, 5);
  EXPECT_EQ(values.singleThreadPause, 2000ms);
  EXPECT_EQ(values.retryPauseSeconds, 1);
}

TEST_F(DownloadTest, MoreThreadsThanPicturesSavesEveryPicture) {
  const std::string bodies[] = {"\xFF\xD8 first", "\xFF\xD8 second picture", "\xFF\xD8 third"};
  for (int i = 0; i < 3; ++i) web_.Get("http://img.example/" + std::to_string(i + 1) + ".jpg", bodies[i]);
  DownloadQueue queue = Queue({"http://img.example/1.jpg", "http://img.example/2.jpg", "http://img.example/3.jpg"});
  queue.items[1].header = u"Referer: http://album.example/page";

  const Outcome out = Download(queue, values_);

  EXPECT_EQ(out.result.saved, 3);
  EXPECT_EQ(out.result.failed, 0);
  ASSERT_FALSE(out.progress.empty());
  EXPECT_EQ(out.progress.back(), std::make_pair(3, 3));
  for (size_t k = 1; k < out.progress.size(); ++k) EXPECT_GT(out.progress[k].first, out.progress[k - 1].first);
  EXPECT_TRUE(out.progressOnCallingThread);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(test::ReadFile(NativePath(queue.SavePath(i))), bodies[i]);
  EXPECT_EQ(web_.RequestsTo("http://img.example/2.jpg").at(0).Header("Referer"), "http://album.example/page");
  EXPECT_EQ(web_.RequestsTo("http://img.example/1.jpg").at(0).Header("Referer"), "");
}

TEST_F(DownloadTest, SizeLimitsRefuseAPictureThatTheProgressStillCounts) {
  const struct {
    uint16_t minKb, maxKb;
    size_t bytes;
    bool saved;
  } cases[] = {
      {50, 0, 20 * 1024, false}, {50, 0, 60 * 1024, true}, {0, 10, 20 * 1024, false},
      {0, 30, 20 * 1024, true},  {0, 0, 20 * 1024, true},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(testing::Message() << "min " << c.minKb << " KB, max " << c.maxKb << " KB, " << c.bytes << " bytes");
    const std::string address = "http://img.example/size" + std::to_string(k) + ".jpg";
    web_.Get(address, std::string(c.bytes, 'x'));
    values_.minSizeKb = c.minKb;
    values_.maxSizeKb = c.maxKb;
    const DownloadQueue queue = Single(address, "size" + std::to_string(k) + ".jpg");

    const Outcome out = Download(queue, values_);

    EXPECT_EQ(out.result.saved, c.saved ? 1 : 0);
    EXPECT_EQ(out.result.failed, c.saved ? 0 : 1);
    EXPECT_EQ(out.progress.back(), std::make_pair(1, 1));
    EXPECT_EQ(FileExists(queue.SavePath(0)), c.saved);
    EXPECT_EQ(web_.RequestsTo(address).size(), c.saved ? 1u : 2u);  // a refused picture is tried twice
  }
}

TEST_F(DownloadTest, AlternativeAddressStandsInForAnEmptyOrPlaceholderReply) {
  const std::string picture(2000, 'p');
  const struct {
    const char* name;
    size_t primaryBytes;
    const char* alternativeHost;  // empty: the entry has no alternative
    std::string alternativeBody;
    bool alternativeFetched;
    std::string kept;  // empty: no file
  } cases[] = {
      {"empty reply", 0, "mirror.example", picture, true, picture},
      {"empty reply, no alternative", 0, "", "", false, ""},
      {"empty reply, empty alternative", 0, "mirror.example", "", true, ""},
      {"short reply, Topit alternative", 599, "img.topit.me", picture, true, picture},
      {"600-byte reply, Topit alternative", 600, "img.topit.me", picture, false, std::string(600, 's')},
      {"short reply, other alternative", 100, "mirror.example", picture, false, std::string(100, 's')},
      {"fragment only at the start", 100, ".topit.example", picture, false, std::string(100, 's')},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(c.name);
    const std::string name = "alt" + std::to_string(k) + ".jpg";
    const std::string primary = "http://img.example/" + name;
    web_.Get(primary, std::string(c.primaryBytes, 's'));
    std::string entry = primary;
    std::string alternative;
    if (*c.alternativeHost) {
      alternative = std::string(c.alternativeHost[0] == '.' ? "" : "http://") + c.alternativeHost + "/" + name;
      web_.Get(alternative, c.alternativeBody);
      entry += "\r\n" + alternative;
    }
    const DownloadQueue queue = Single(entry, name);

    const Outcome out = Download(queue, values_);

    EXPECT_EQ(out.result.saved, c.kept.empty() ? 0 : 1);
    EXPECT_EQ(out.result.failed, c.kept.empty() ? 1 : 0);
    EXPECT_EQ(web_.RequestsTo(primary).size(), 1u);
    if (!alternative.empty()) {
      EXPECT_EQ(web_.RequestsTo(alternative).size(), c.alternativeFetched ? 1u : 0u);
    }
    EXPECT_EQ(FileExists(queue.SavePath(0)), !c.kept.empty());
    if (!c.kept.empty()) {
      EXPECT_EQ(test::ReadFile(NativePath(queue.SavePath(0))), c.kept);
    }
  }
}

TEST_F(DownloadTest, ReadTimeOutComesFromTheValues) {
  test::FakeReply quick, slow;
  quick.body = slow.body = "\xFF\xD8 picture";
  quick.delay = 200ms;
  slow.delay = 1300ms;
  web_.Get("http://img.example/quick.jpg", quick);
  web_.Get("http://img.example/slow.jpg", slow);
  values_.timeoutSeconds = 1;
  values_.threadCount = 2;
  const DownloadQueue queue = Queue({"http://img.example/quick.jpg", "http://img.example/slow.jpg"});

  const Outcome out = Download(queue, values_);

  EXPECT_EQ(out.result.saved, 1);
  EXPECT_EQ(out.result.failed, 1);
  EXPECT_TRUE(FileExists(queue.SavePath(0)));
  EXPECT_FALSE(FileExists(queue.SavePath(1)));
}

// A server that notes when each request arrives and leaves and how many were in flight at
// once; used as the client's proxy. A picture is named by the last segment of its address.
class ProbeWeb {
 public:
  struct Visit {
    std::string name;
    Clock::time_point arrived, left;
  };

  ProbeWeb() {
    server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) { Serve(req, res); });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(1ms);
  }
  ~ProbeWeb() {
    server_.stop();
    thread_.join();
  }

  std::string ProxyAddress() const { return "http://127.0.0.1:" + std::to_string(port_); }
  void Add(const std::string& name, std::chrono::milliseconds delay) { delays_[name] = delay; }
  // Runs on the server's thread as request number `arrival` (0-based) comes in.
  void OnArrival(std::function<void(int arrival)> action) { onArrival_ = std::move(action); }

  std::vector<Visit> Visits() const {
    std::lock_guard lock(mutex_);
    return visits_;
  }
  int MostInFlight() const {
    std::lock_guard lock(mutex_);
    return mostInFlight_;
  }

 private:
  void Serve(const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.path.substr(req.path.rfind('/') + 1);
    size_t at;
    {
      std::lock_guard lock(mutex_);
      at = visits_.size();
      visits_.push_back({name, Clock::now(), {}});
      mostInFlight_ = std::max(mostInFlight_, ++inFlight_);
    }
    if (onArrival_) onArrival_(static_cast<int>(at));
    const auto delay = delays_.find(name);
    if (delay != delays_.end()) std::this_thread::sleep_for(delay->second);
    res.set_content("\xFF\xD8 picture " + name, "image/jpeg");
    std::lock_guard lock(mutex_);
    --inFlight_;
    visits_[at].left = Clock::now();
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::map<std::string, std::chrono::milliseconds> delays_;  // set before the download
  std::function<void(int)> onArrival_;

  mutable std::mutex mutex_;
  std::vector<Visit> visits_;
  int inFlight_ = 0;
  int mostInFlight_ = 0;
};

class ProbedDownloadTest : public FolderTest {
 protected:
  void SetUp() override { net::SetProxy(web_.ProxyAddress()); }

  // Pictures p0.jpg, p1.jpg, ... with the given reply delays.
  DownloadQueue Pictures(const std::vector<std::chrono::milliseconds>& delays) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < delays.size(); ++i) {
      const std::string name = "p" + std::to_string(i) + ".jpg";
      web_.Add(name, delays[i]);
      entries.push_back("http://img.example/" + name);
    }
    return Queue(entries);
  }

  std::vector<std::string> Arrivals() const {
    std::vector<std::string> names;
    for (const auto& visit : web_.Visits()) names.push_back(visit.name);
    return names;
  }

  ProbeWeb web_;
  DownloadValues values_;
};

TEST_F(ProbedDownloadTest, TwoThreadsFetchAtMostTwoAtOnceInQueueOrder) {
  // p0 ends first, so p2 takes its place while p1 still runs; p3 follows p2.
  const DownloadQueue queue = Pictures({100ms, 500ms, 100ms, 100ms});
  values_.threadCount = 2;

  const Outcome out = Download(queue, values_);

  EXPECT_EQ(out.result.saved, 4);
  EXPECT_EQ(web_.MostInFlight(), 2);
  // Arrivals show the order the pictures were taken in, up to the scheduling of the two
  // workers: the one that took p0 goes on with p2 and then p3, while p1 still runs.
  const auto arrivals = Arrivals();
  ASSERT_EQ(arrivals.size(), 4u);
  const auto at = [&](const char* name) { return std::find(arrivals.begin(), arrivals.end(), name) - arrivals.begin(); };
  EXPECT_LT(at("p0.jpg"), at("p2.jpg"));
  EXPECT_LT(at("p2.jpg"), at("p3.jpg"));
  EXPECT_LT(at("p1.jpg"), at("p3.jpg"));
  EXPECT_EQ(out.progress.back(), std::make_pair(4, 4));
}

TEST_F(ProbedDownloadTest, OneThreadPausesBeforeEachFurtherPicture) {
  const DownloadQueue queue = Pictures({0ms, 0ms, 0ms});
  values_.threadCount = 1;
  values_.singleThreadPause = 300ms;

  const Outcome out = Download(queue, values_);

  EXPECT_EQ(out.result.saved, 3);
  EXPECT_EQ(web_.MostInFlight(), 1);
  const auto visits = web_.Visits();
  ASSERT_EQ(visits.size(), 3u);
  for (size_t k = 1; k < visits.size(); ++k) {
    EXPECT_EQ(visits[k].name, "p" + std::to_string(k) + ".jpg");
    EXPECT_GE(visits[k].arrived - visits[k - 1].left, 300ms) << "before picture " << k + 1;
  }
  EXPECT_EQ(out.progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(ProbedDownloadTest, StopLetsPicturesInFlightFinishAndStartsNoMore) {
  const DownloadQueue queue = Pictures({300ms, 300ms, 0ms, 0ms, 0ms});
  values_.threadCount = 2;
  std::atomic<bool> stop{false};
  web_.OnArrival([&stop](int arrival) {
    if (arrival == 1) stop = true;  // both workers hold a picture now
  });

  const Outcome out = Download(queue, values_, stop);

  EXPECT_EQ(Arrivals().size(), 2u);
  EXPECT_EQ(out.result.saved, 2);
  EXPECT_EQ(out.result.failed, 0);
  EXPECT_EQ(out.progress.back(), std::make_pair(2, 5));
  EXPECT_TRUE(FileExists(queue.SavePath(0)));
  EXPECT_TRUE(FileExists(queue.SavePath(1)));
  EXPECT_FALSE(FileExists(queue.SavePath(2)));
}

TEST_F(ProbedDownloadTest, StopCutsTheSingleThreadPauseShort) {
  const DownloadQueue queue = Pictures({0ms, 0ms});
  values_.threadCount = 1;
  values_.singleThreadPause = 30s;
  std::atomic<bool> stop{false};
  const auto started = Clock::now();
  const Outcome out = Download(queue, values_, stop, [&stop](int done) {
    if (done != 1) return;
    std::this_thread::sleep_for(100ms);  // the worker has gone into the pause before picture 2
    stop = true;
  });
  EXPECT_LT(Clock::now() - started, 10s);  // far below the pause it was spared

  EXPECT_EQ(Arrivals(), std::vector<std::string>{"p0.jpg"});
  EXPECT_EQ(out.result.saved, 1);
  EXPECT_EQ(out.result.failed, 0);
  EXPECT_EQ(out.progress.back(), std::make_pair(1, 2));
}

TEST_F(ProbedDownloadTest, NothingQueuedStartsNothing) {
  const Outcome out = Download(Queue({}), values_);
  EXPECT_EQ(out.result.saved + out.result.failed, 0);
  EXPECT_TRUE(out.progress.empty());
  EXPECT_TRUE(Arrivals().empty());
}

using FinishingTest = FolderTest;

TEST_F(FinishingTest, FixFormatRenamesToTheContentsExtension) {
  std::filesystem::create_directory(dir_.File("sub"));
  DownloadQueue queue;
  queue.Reset(dir_.text());
  for (const Text& name : {Text(u"a.jpg"), Text(u"b.jpg"), dir_.FileText("sub/c.jpg"), Text(u"missing.jpg")}) {
    queue.Append({u"http://a.example/" + name, name, {}});
  }
  dir_.Write("a.jpg", "\x89PNG\r\n\x1a\n");
  dir_.Write("b.jpg", "\xFF\xD8\xFF\xE0");
  dir_.Write("sub/c.jpg", "GIF89a");

  FixFormat(queue);

  EXPECT_EQ(queue.items[0].fileName, u"a.png");
  EXPECT_EQ(queue.items[1].fileName, u"b.jpg");
  EXPECT_EQ(queue.items[2].fileName, dir_.FileText("sub/c.gif"));
  EXPECT_EQ(queue.items[3].fileName, u"missing.jpg");
  EXPECT_TRUE(FileExists(dir_.FileText("a.png")));
  EXPECT_FALSE(FileExists(dir_.FileText("a.jpg")));
  EXPECT_TRUE(FileExists(dir_.FileText("sub/c.gif")));
  EXPECT_TRUE(queue.HasName(u"A.PNG"));
  EXPECT_FALSE(queue.HasName(u"a.jpg"));
}

TEST_F(FinishingTest, FixOrderDatesTheFilesAMinuteApartInQueueOrder) {
  DownloadQueue queue = Queue({"http://a/1", "http://a/2", "http://a/3", "http://a/4"});
  for (int i = 0; i < 3; ++i) dir_.Write(ToUtf8(queue.items[i].fileName), "x");
  const int64_t now = 1700000000;

  FixOrder(queue, now);

  EXPECT_EQ(WriteTime(queue.SavePath(0)), now);
  EXPECT_EQ(WriteTime(queue.SavePath(1)), now - 60);
  EXPECT_EQ(WriteTime(queue.SavePath(2)), now - 120);
  EXPECT_FALSE(FileExists(queue.SavePath(3)));
}

TEST_F(FinishingTest, ListFileHoldsEveryEntryInGbkWithCrLf) {
  DownloadQueue queue;
  queue.Reset(dir_.text());
  queue.Append({u"http://a.example/1.jpg", u"1.jpg", {}});
  queue.Append({u"http://a.example/图片.jpg", u"2.jpg", {}});
  queue.Append({u"http://a.example/3.jpg\r\nhttp://b.example/3.jpg", u"3.jpg", {}});
  dir_.Write("album.lst", std::string(500, 'o'));  // an older, longer list

  WriteListFile(queue, dir_.FileText("album.lst"));

  EXPECT_EQ(dir_.Read("album.lst"),
            "http://a.example/1.jpg\r\n"
            "http://a.example/\xCD\xBC\xC6\xAC.jpg\r\n"
            "http://a.example/3.jpg\r\nhttp://b.example/3.jpg\r\n");
}

TEST_F(FinishingTest, MarkerIsUtf16WithoutByteOrderMark) {
  WriteMarker(dir_.text(), u"http://x/图");
  EXPECT_EQ(dir_.Read("pic.vrk"), std::string("h\0t\0t\0p\0:\0/\0/\0x\0/\0\xFE\x56", 20));
  EXPECT_EQ(ReadMarker(dir_.text()), u"http://x/图");

  WriteMarker(dir_.text(), u"http://y");  // a shorter address replaces the whole file
  EXPECT_EQ(dir_.Read("pic.vrk").size(), 16u);
  EXPECT_EQ(ReadMarker(dir_.text()), u"http://y");
}

TEST_F(FinishingTest, ReadMarkerStopsAtALineFeedAndMissingMeansEmpty) {
  EXPECT_EQ(ReadMarker(dir_.text()), u"");
  EXPECT_EQ(ReadMarker(dir_.FileText("absent/")), u"");
  dir_.Write("pic.vrk", std::string("a\0b\0\n\0c\0", 8));
  EXPECT_EQ(ReadMarker(dir_.text()), u"ab");
}

}  // namespace
}  // namespace zentrow
