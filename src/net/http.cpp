// The transfer side of the HTTP client: Fetch and FetchOnce on libcurl.
//
// Each thread keeps one multi handle and one easy handle, so connections, DNS answers and
// TLS sessions are reused between the many small fetches of a site reader. Cookies, DNS
// and TLS sessions are shared by every thread through the cookie store's share handle.
// libcurl's own content decoding stays off: the body is kept as the server sent it.
#include "net/http.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "net/address.h"
#include "net/cookies.h"
#include "net/marked_body.h"
#include "toolkit/codepage.h"

namespace zentrow::net {

const char* const kUserAgent =
    "User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/38.0.2125.104 Safari/537.36";

UrlRequest::UrlRequest(Text address, Text savePath, uint32_t timeoutMs)
    : address(std::move(address)),
      savePath(std::move(savePath)),
      readTimeoutMs(timeoutMs),
      connectTimeoutMs(timeoutMs) {}

void UrlRequest::SetBody(std::string_view bytes) { body.assign(bytes.substr(0, bytes.find('\0'))); }

namespace {

using Clock = std::chrono::steady_clock;
constexpr long kMaxRedirects = 20;

struct ProcessOptions {
  std::mutex mutex;
  std::string proxy;
  std::string caBundle;
};

ProcessOptions& Options() {
  static ProcessOptions* options = new ProcessOptions;  // fetching threads may outlive exit
  return *options;
}

// `prefix` in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
           return std::tolower(static_cast<unsigned char>(t)) == p;
         });
}

// The handles one thread reuses for all its fetches.
class ThreadHandles {
 public:
  ThreadHandles() : share_(CookieStore::Instance().ShareHandle()), multi_(curl_multi_init()), easy_(curl_easy_init()) {}
  ~ThreadHandles() {
    curl_easy_cleanup(easy_);
    curl_multi_cleanup(multi_);
  }
  ThreadHandles(const ThreadHandles&) = delete;
  ThreadHandles& operator=(const ThreadHandles&) = delete;

  bool ok() const { return share_ && multi_ && easy_; }
  void* share() const { return share_; }
  CURLM* multi() const { return multi_; }
  CURL* easy() const { return easy_; }

 private:
  void* share_;
  CURLM* multi_;
  CURL* easy_;
};

ThreadHandles& Handles() {
  thread_local ThreadHandles handles;
  return handles;
}

// A body saved to disk goes to a temporary file beside the target and replaces the target
// only when the whole fetch succeeded; otherwise the temporary file is removed.
class PendingFile {
 public:
  explicit PendingFile(std::string target) : target_(std::move(target)) {}
  ~PendingFile() { Discard(); }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool Create() {
    static std::atomic<unsigned> serial{0};
    for (int tries = 0; tries < 100; ++tries) {
      temp_ = target_ + ".part." + std::to_string(getpid()) + "." + std::to_string(serial++);
      fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) return true;
      if (errno != EEXIST) break;
    }
    temp_.clear();
    return false;
  }

  bool IsOpen() const { return fd_ >= 0; }

  bool Write(const char* data, size_t length) {
    while (length > 0) {
      const ssize_t n = ::write(fd_, data, length);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }

  // What was written, when it is at most `limit` bytes.
  bool ReadBack(Bytes& out, size_t limit) const {
    if (!IsOpen()) return false;
    const int fd = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && out.size() + static_cast<size_t>(n) <= limit) {
      out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return n == 0;
  }

  void Commit() {
    if (!IsOpen()) return;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (closed && ::rename(temp_.c_str(), target_.c_str()) == 0) temp_.clear();
    Discard();
  }

  void Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
  }

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
};

// The state of one transfer, shared with libcurl's callbacks.
struct Transfer {
  Transfer(const UrlRequest& request, PendingFile* file) : request(request), file(file) {}

  const UrlRequest& request;
  PendingFile* file;  // the save path's temporary file, or null: the body is held
  MarkedBody body;
  Bytes headers;  // raw header lines of the latest reply
  bool headersChecked = false;
  bool refused = false;  // a size limit failed the reply
  bool endMarkerArrived = false;
  bool cookiesSet = false;
  uint64_t received = 0;
  bool connected = false;  // the read time-out runs from here on
  Clock::time_point lastActivity = Clock::now();
  curl_off_t seenDown = 0;
  curl_off_t seenUp = 0;

  uint64_t Length() const { return file ? received : body.size(); }
  static int64_t Limit(int32_t kb) { return static_cast<int64_t>(kb) * 1024; }
  bool AboveMaximum(uint64_t length) const {
    return request.maxSizeKb > 0 && static_cast<int64_t>(length) > Limit(request.maxSizeKb);
  }
  bool BelowMinimum(uint64_t length) const { return static_cast<int64_t>(length) < Limit(request.minSizeKb); }

  // The headers of the reply whose body is read: the compressed flag, the trimming and
  // the announced length.
  bool CheckHeaders() {
    headersChecked = true;
    const bool compressed = headers.find("gzip") != Bytes::npos;
    if (!compressed && request.savePath.empty()) body = MarkedBody(request.startMarker, request.endMarker);
    const size_t at = headers.find("Content-Length:");
    if (at == Bytes::npos) return true;
    size_t i = at + 15;
    while (i < headers.size() && (headers[i] == ' ' || headers[i] == '\t')) ++i;
    uint64_t announced = 0;
    for (; i < headers.size() && headers[i] >= '0' && headers[i] <= '9' && announced < (1ull << 60); ++i) {
      announced = announced * 10 + static_cast<unsigned>(headers[i] - '0');
    }
    refused = BelowMinimum(announced) || AboveMaximum(announced);
    return !refused;
  }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::string_view line(data, size * count);
  t.lastActivity = Clock::now();
  if (line.starts_with("HTTP/")) {  // a new reply: after an interim reply or a redirect
    t.headers.clear();
    t.headersChecked = false;
  }
  t.headers.append(line);
  if (StartsWithNoCase(line, "set-cookie:")) t.cookiesSet = true;
  return line.size();
}

// Returning less than the piece's length stops the transfer.
size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t length = size * count;
  t.lastActivity = Clock::now();
  if (!t.headersChecked && !t.CheckHeaders()) return 0;
  t.received += length;
  if (t.file) {
    // A file that cannot be written does not fail the fetch; it is only not kept.
    if (t.file->IsOpen() && !t.file->Write(data, length)) t.file->Discard();
  } else if (t.body.Add({data, length})) {
    t.endMarkerArrived = true;
    return 0;
  }
  if (t.AboveMaximum(t.Length()) || (!t.file && t.body.size() > kMaxHeldBodyBytes)) {
    t.refused = true;
    return 0;
  }
  return length;
}

int OnProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
  auto& t = *static_cast<Transfer*>(user);
  if (down != t.seenDown || up != t.seenUp) {
    t.seenDown = down;
    t.seenUp = up;
    t.lastActivity = Clock::now();
  }
  return 0;
}

// Called once the connection is ready and the request is about to be sent.
int OnConnected(void* user, char*, char*, int, int) {
  auto& t = *static_cast<Transfer*>(user);
  t.connected = true;
  t.lastActivity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

class HeaderList {
 public:
  ~HeaderList() { curl_slist_free_all(list_); }
  bool Add(const std::string& line) {
    curl_slist* grown = curl_slist_append(list_, line.c_str());
    if (grown) list_ = grown;
    return grown != nullptr;
  }
  curl_slist* get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

bool SendsBody(const UrlRequest& request) { return !request.body.empty() || request.verb == u"POST"; }

// The caller's header block, one line per CR LF, plus what keeps libcurl from adding
// headers the caller did not ask for (a form Content-Type, "Expect: 100-continue").
bool BuildHeaders(const UrlRequest& request, HeaderList& list) {
  const std::string block = ToUtf8(request.headers);
  bool contentType = false;
  for (size_t begin = 0; begin < block.size();) {
    const size_t end = std::min(block.find('\n', begin), block.size());
    std::string line = block.substr(begin, end - begin);
    begin = end + 1;
    if (line.ends_with('\r')) line.pop_back();
    if (line.find(':') == std::string::npos) continue;
    contentType = contentType || StartsWithNoCase(line, "content-type:");
    if (!list.Add(line)) return false;
  }
  if (SendsBody(request) && !contentType && !list.Add("Content-Type:")) return false;
  return list.Add("Expect:");
}

bool Configure(CURL* easy, void* share, const UrlRequest& request, const std::string& url, const HeaderList& headers,
               Transfer& transfer) {
  std::string proxy, caBundle;
  {
    auto& options = Options();
    std::lock_guard lock(options.mutex);
    proxy = options.proxy;
    caBundle = options.caBundle;
  }
  bool ok = true;
  const auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK; };
  // libcurl 7.88 forgets the cookie-file list of the previous fetch on reset instead of
  // freeing it; clearing it first keeps the shared jar and frees the list.
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, static_cast<char*>(nullptr));
  curl_easy_reset(easy);
  set(CURLOPT_URL, url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 1L);
  set(CURLOPT_MAXREDIRS, kMaxRedirects);
  // The header block is searched as raw HTTP/1.1 text ("Content-Length:", "charset=GBK").
  set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  set(CURLOPT_USERAGENT, kUserAgent);
  set(CURLOPT_SHARE, share);
  set(CURLOPT_COOKIEFILE, "");  // the cookie engine, on the shared jar
  set(CURLOPT_HTTPHEADER, headers.get());
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  if (!proxy.empty()) {
    set(CURLOPT_PROXY, proxy.c_str());
    set(CURLOPT_NOPROXY, "");  // the explicit proxy also wins over no_proxy
  }
  if (!caBundle.empty()) set(CURLOPT_CAINFO, caBundle.c_str());

  const std::string verb = ToUtf8(request.verb);
  if (SendsBody(request)) {
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    set(CURLOPT_POSTFIELDS, request.body.data());
    if (verb != "POST") set(CURLOPT_CUSTOMREQUEST, verb.c_str());
  } else if (verb == "HEAD") {
    set(CURLOPT_NOBODY, 1L);
  } else if (verb != "GET") {
    set(CURLOPT_CUSTOMREQUEST, verb.c_str());
  }

  set(CURLOPT_HEADERFUNCTION, OnHeader);
  set(CURLOPT_HEADERDATA, &transfer);
  set(CURLOPT_WRITEFUNCTION, OnBody);
  set(CURLOPT_WRITEDATA, &transfer);
  set(CURLOPT_XFERINFOFUNCTION, OnProgress);
  set(CURLOPT_XFERINFODATA, &transfer);
  set(CURLOPT_NOPROGRESS, 0L);
  set(CURLOPT_PREREQFUNCTION, OnConnected);
  set(CURLOPT_PREREQDATA, &transfer);
  return ok;
}

// Drives the transfer, ending it when no piece of the reply arrived for the read time-out.
CURLcode Run(CURLM* multi, CURL* easy, Transfer& transfer, uint32_t readTimeoutMs) {
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
  bool timedOut = false;
  for (int running = 1;;) {
    if (curl_multi_perform(multi, &running) != CURLM_OK || !running) break;
    long waitMs = 1000;
    if (transfer.connected && readTimeoutMs > 0) {
      const auto idle =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - transfer.lastActivity).count();
      if (idle >= readTimeoutMs) {
        timedOut = true;
        break;
      }
      waitMs = std::min<long>(waitMs, static_cast<long>(readTimeoutMs - idle));
    }
    curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitMs), nullptr);
  }
  CURLcode result = CURLE_RECV_ERROR;  // stays when the transfer did not finish
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
    if (message->msg == CURLMSG_DONE) result = message->data.result;
  }
  curl_multi_remove_handle(multi, easy);
  return timedOut ? CURLE_OPERATION_TIMEDOUT : result;
}

// One transfer. With a save path the body is left in `file`, still to be committed.
bool TransferOnce(const UrlRequest& request, UrlResponse& response, std::optional<PendingFile>& file) {
  response.body.clear();
  response.compressed = false;
  response.startMarker = request.startMarker;
  response.endMarker = request.endMarker;
  ThreadHandles& handles = Handles();
  if (!handles.ok()) return false;

  if (!request.savePath.empty()) {
    file.emplace(ToUtf8(request.savePath));
    // A file that cannot be created does not fail the fetch: the body is then held.
    if (!file->Create()) file.reset();
  }
  Transfer transfer(request, file ? &*file : nullptr);
  HeaderList headers;
  const std::string url = EncodeAddress(request.address);
  if (!BuildHeaders(request, headers) || !Configure(handles.easy(), handles.share(), request, url, headers, transfer)) {
    return false;
  }
  const CURLcode result = Run(handles.multi(), handles.easy(), transfer, request.readTimeoutMs);
  if (result == CURLE_OK && !transfer.headersChecked) transfer.CheckHeaders();  // a reply without body

  const uint64_t length = transfer.Length();
  if (!transfer.headers.empty()) response.headers = FromCodePage(transfer.headers, CP_ANSI);
  response.compressed = transfer.headers.find("gzip") != Bytes::npos;
  response.body = transfer.body.Take();
  if (transfer.cookiesSet) CookieStore::Instance().Changed();

  const bool complete = result == CURLE_OK || (result == CURLE_WRITE_ERROR && transfer.endMarkerArrived);
  if (request.refuseErrorStatus) {
    long status = 0;
    curl_easy_getinfo(handles.easy(), CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) return false;
  }
  return complete && !transfer.refused && !transfer.BelowMinimum(length) && !transfer.AboveMaximum(length);
}

// The acceptance checks of Fetch: minimum text length and retry marker.
bool Accepted(const UrlRequest& request, const UrlResponse& response, const std::optional<PendingFile>& file,
              unsigned options) {
  if (request.minTextLength == 0 && request.retryMarker.empty()) return true;
  const Bytes* body = &response.body;
  Bytes saved;
  if (file && file->IsOpen()) {
    if (!file->ReadBack(saved, kMaxHeldBodyBytes)) return false;
    body = &saved;
  }
  Bytes inflated;
  if ((options & FETCH_INFLATED_CHECKS) && response.compressed) {
    InflateGzip(body->data(), body->size(), inflated);  // a broken stream is judged by its part
    body = &inflated;
  }
  return body->size() > request.minTextLength &&
         (request.retryMarker.empty() || body->find(request.retryMarker) == Bytes::npos);
}

}  // namespace

bool FetchOnce(const UrlRequest& request, UrlResponse& response, unsigned) {
  std::optional<PendingFile> file;
  if (!TransferOnce(request, response, file)) return false;
  if (file) file->Commit();
  return true;
}

bool Fetch(const UrlRequest& request, UrlResponse& response, unsigned options) {
  for (unsigned attempt = 0; attempt < request.attempts; ++attempt) {
    std::optional<PendingFile> file;
    if (TransferOnce(request, response, file) && Accepted(request, response, file, options)) {
      if (file) file->Commit();
      return true;
    }
    file.reset();
    std::this_thread::sleep_for(std::chrono::seconds(request.pauseSeconds));
  }
  return false;
}

Text GetCookieText(TextView address) { return CookieStore::Instance().CookieText(address); }

void SetProxy(const std::string& proxy) {
  auto& options = Options();
  std::lock_guard lock(options.mutex);
  options.proxy = proxy;
}

void SetCaBundle(const std::string& path) {
  auto& options = Options();
  std::lock_guard lock(options.mutex);
  options.caBundle = path;
}

}  // namespace zentrow::net
