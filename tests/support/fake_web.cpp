#include "support/fake_web.h"

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zentrow::test {
namespace {

constexpr int kPollSliceMs = 10;         // how often an idle connection looks at the stop flag
constexpr int kKeepAliveIdleMs = 5000;   // an idle keep-alive connection is closed after this
constexpr int kIoTimeoutMs = 5000;       // longest wait for one read or write
constexpr size_t kMaxRequestLine = 64 * 1024;
constexpr size_t kChunkSize = 1024;      // piece size of chunked replies

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

std::string Compress(const std::string& data, int windowBits) {
  z_stream zs{};
  if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  std::string out(deflateBound(&zs, static_cast<uLong>(data.size())), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

// One client connection. httplib's own request-line parser rejects a target with a second
// "?" (legal in a query: "?u=http://x/y?z=1") and percent-decodes the path. So the
// connection reads each request line itself, hands httplib "METHOD / VERSION" in its place
// and keeps the target exactly as sent for the handler.
class Connection : public httplib::Stream {
 public:
  Connection(int sock, const std::atomic<socket_t>& listener) : sock_(sock), listener_(listener) {}

  // Waits for the next request on a keep-alive connection; false when the client went
  // away, stayed idle too long or the server stops.
  bool WaitForRequest() {
    for (int waited = 0; waited < kKeepAliveIdleMs; waited += kPollSliceMs) {
      if (listener_ == INVALID_SOCKET) return false;  // the server stops
      if (pos_ < buf_.size()) return true;
      if (Poll(POLLIN, kPollSliceMs)) return Fill();
    }
    return false;
  }

  // Reads the request line and queues its stand-in for httplib.
  void StartRequest() {
    std::string line;
    while (line.size() < kMaxRequestLine) {
      if (pos_ == buf_.size() && !Fill()) break;
      const char c = buf_[pos_++];
      line += c;
      if (c == '\n') break;
    }
    target_.clear();
    const auto first = line.find(' ');
    const auto last = line.rfind(' ');
    if (first == std::string::npos || first == last || !line.ends_with("\r\n")) {
      pending_ = line;  // let httplib answer 400
      return;
    }
    target_ = Trim(line.substr(first + 1, last - first - 1));
    pending_ = line.substr(0, first) + " /" + line.substr(last);
  }

  const std::string& Target() const { return target_; }

  bool is_readable() const override { return !pending_.empty() || pos_ < buf_.size() || Poll(POLLIN, kIoTimeoutMs); }
  bool is_writable() const override { return Poll(POLLOUT, kIoTimeoutMs); }

  ssize_t read(char* ptr, size_t size) override {
    if (!pending_.empty()) {
      const size_t n = std::min(size, pending_.size());
      std::copy_n(pending_.data(), n, ptr);
      pending_.erase(0, n);
      return static_cast<ssize_t>(n);
    }
    if (pos_ == buf_.size() && !(Poll(POLLIN, kIoTimeoutMs) && Fill())) return -1;
    const size_t n = std::min(size, buf_.size() - pos_);
    std::copy_n(buf_.data() + pos_, n, ptr);
    pos_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    size_t done = 0;
    while (done < size) {
      if (!is_writable()) return -1;
      const ssize_t n = ::send(sock_, ptr + done, size - done, MSG_NOSIGNAL);
      if (n <= 0) return -1;
      done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(size);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { Loopback(ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { Loopback(ip, port); }
  socket_t socket() const override { return sock_; }

 private:
  static void Loopback(std::string& ip, int& port) {
    ip = "127.0.0.1";
    port = 0;
  }

  bool Poll(short events, int timeoutMs) const {
    pollfd p{sock_, events, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
  }

  // Replaces the consumed buffer with what the socket has; false at end of stream.
  bool Fill() {
    buf_.resize(16 * 1024);
    const ssize_t n = ::recv(sock_, buf_.data(), buf_.size(), 0);
    buf_.resize(n > 0 ? static_cast<size_t>(n) : 0);
    pos_ = 0;
    return n > 0;
  }

  int sock_;
  const std::atomic<socket_t>& listener_;  // INVALID_SOCKET once the server stops
  std::string buf_;
  size_t pos_ = 0;
  std::string pending_;  // the stand-in request line, not yet read by httplib
  std::string target_;
};

// Runs every connection through Connection, so targets reach the handler untouched.
class Server : public httplib::Server {
 public:
  // httplib listens with a backlog of 5; a burst of download workers connecting at once
  // would overflow it and wait a second for the SYN to be resent. Linux lets listen()
  // be called again to widen it.
  void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

 private:
  bool process_and_close_socket(socket_t sock) override {
    // Headers and body go out in separate writes; without this, Nagle's algorithm and the
    // client's delayed ACK stall every keep-alive reply by some 40 ms.
    const int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Connection conn(sock, svr_sock_);
    bool closed = false;
    while (!closed && conn.WaitForRequest()) {
      conn.StartRequest();
      const auto restore = [&conn](httplib::Request& req) {
        req.target = conn.Target();
        // httplib reports the peer as made-up request headers; the client never sent them.
        for (const char* name : {"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"}) {
          req.headers.erase(name);
        }
        req.ranges.clear();  // a Range header is recorded, not served: the body goes out whole
      };
      if (!process_request(conn, false, closed, restore)) break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return true;
  }
};

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && Lower(s.substr(0, prefix.size())) == prefix;
}

std::string FullAddress(const httplib::Request& req) {
  if (StartsWithNoCase(req.target, "http://") || StartsWithNoCase(req.target, "https://")) {
    return req.target;
  }
  return "http://" + req.get_header_value("Host") + req.target;
}

// The first Content-Type of a reply: httplib's content providers take it as an argument
// and add the header themselves.
std::string ContentType(const FakeReply& reply) {
  for (const auto& [name, value] : reply.headers) {
    if (Lower(name) == "content-type") return value;
  }
  return "text/plain";  // what httplib sends when a reply names none
}

// Content provider that sends body[0, limit) and then fails, which makes httplib close
// the connection in mid-body.
bool SendUpTo(const std::string& body, size_t limit, size_t offset, httplib::DataSink& sink) {
  const size_t end = std::min({body.size(), limit, offset + kChunkSize});
  if (offset < end && !sink.write(body.data() + offset, end - offset)) return false;
  return end < limit || end == body.size();
}

void Respond(const FakeReply& reply, httplib::Response& res) {
  if (reply.delay.count() > 0) std::this_thread::sleep_for(reply.delay);
  res.status = reply.status;
  const bool provided = reply.chunked || reply.dropAfter;
  for (const auto& [name, value] : reply.headers) {
    if (!provided || Lower(name) != "content-type") res.headers.emplace(name, value);
  }
  if (!provided) {
    res.body = reply.body;
    return;
  }
  const size_t limit = reply.dropAfter.value_or(reply.body.size());
  auto body = std::make_shared<std::string>(reply.body);
  if (reply.chunked) {
    res.set_chunked_content_provider(ContentType(reply), [body, limit](size_t offset, httplib::DataSink& sink) {
      if (!SendUpTo(*body, limit, offset, sink)) return false;
      if (std::min(offset + kChunkSize, body->size()) == body->size()) sink.done();
      return true;
    });
  } else {
    res.set_content_provider(body->size(), ContentType(reply), [body, limit](size_t offset, size_t, httplib::DataSink& sink) {
      return SendUpTo(*body, limit, offset, sink);
    });
  }
}

// Compresses the body once, when the reply is stored.
FakeReply Prepare(FakeReply reply) {
  switch (reply.encoding) {
    case FakeReply::Encoding::None:
      break;
    case FakeReply::Encoding::Gzip:
      reply.body = GzipCompress(reply.body);
      reply.headers.emplace_back("Content-Encoding", "gzip");
      break;
    case FakeReply::Encoding::Deflate:
      reply.body = DeflateCompress(reply.body);
      reply.headers.emplace_back("Content-Encoding", "deflate");
      break;
  }
  reply.encoding = FakeReply::Encoding::None;
  return reply;
}

}  // namespace

std::string GzipCompress(const std::string& data) { return Compress(data, 15 + 16); }
std::string DeflateCompress(const std::string& data) { return Compress(data, 15); }

std::string RecordedRequest::Header(const std::string& name) const {
  auto it = headers.find(Lower(name));
  return it == headers.end() ? std::string() : it->second;
}

struct FakeWeb::Impl {
  Server server;
  std::thread thread;
  int port = 0;

  // The replies of one (method, url): served in turn, the last one for every later request.
  struct Turns {
    std::vector<FakeReply> replies;
    size_t next = 0;
    FakeReply Take() {
      const size_t at = next < replies.size() ? next++ : replies.size() - 1;
      return replies[at];
    }
  };

  mutable std::mutex mutex;
  std::map<std::pair<std::string, std::string>, Turns> replies;  // (method, url), prepared
  struct BodyReply {
    std::string method, url, bodyPart;
    FakeReply reply;  // prepared
  };
  std::vector<BodyReply> bodyReplies;  // in the order added
  std::vector<RecordedRequest> requests;

  // The first reply of AddForBody whose address and body part match the request.
  std::optional<FakeReply> FindForBody(const std::string& method, const std::string& url,
                                       const std::string& body) const {
    std::lock_guard lock(mutex);
    for (const BodyReply& r : bodyReplies) {
      if (r.method != method || body.find(r.bodyPart) == std::string::npos) continue;
      const bool prefix = r.url.ends_with('*');
      if (prefix ? url.starts_with(std::string_view(r.url).substr(0, r.url.size() - 1)) : url == r.url) return r.reply;
    }
    return std::nullopt;
  }

  // The reply for an address: exact match first, then the longest "*" prefix.
  std::optional<FakeReply> Find(const std::string& method, const std::string& url) {
    std::lock_guard lock(mutex);
    if (auto it = replies.find({method, url}); it != replies.end()) return it->second.Take();
    Turns* best = nullptr;
    size_t bestLength = 0;
    for (auto& [key, turns] : replies) {
      const auto& [m, pattern] = key;
      if (m != method || !pattern.ends_with('*')) continue;
      const auto prefix = std::string_view(pattern).substr(0, pattern.size() - 1);
      if (url.starts_with(prefix) && (!best || prefix.size() > bestLength)) {
        best = &turns;
        bestLength = prefix.size();
      }
    }
    return best ? std::optional(best->Take()) : std::nullopt;
  }

  void Handle(const httplib::Request& req, httplib::Response& res) {
    RecordedRequest rec{req.method, FullAddress(req), {}, req.body};
    for (const auto& [name, value] : req.headers) rec.headers.emplace(Lower(name), value);
    {
      std::lock_guard lock(mutex);
      requests.push_back(rec);
    }
    // httplib would compress replies on its own when the client accepts gzip; the bytes on
    // the wire must be the reply's. The Request is a non-const local of httplib's loop.
    const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");

    auto reply = FindForBody(req.method, rec.url, rec.body);
    if (!reply) reply = Find(req.method, rec.url);
    if (!reply && req.method == "HEAD") reply = Find("GET", rec.url);
    if (reply) return Respond(*reply, res);
    res.status = 404;
    res.set_content("fake web: no reply for " + rec.url, "text/plain");
  }
};

FakeWeb::FakeWeb() : impl_(std::make_unique<Impl>()) {
  auto& server = impl_->server;
  // Download tests run up to 15 workers at once, each holding a keep-alive connection.
  server.new_task_queue = [] { return new httplib::ThreadPool(32); };
  const auto handler = [impl = impl_.get()](const httplib::Request& req, httplib::Response& res) {
    impl->Handle(req, res);
  };
  server.Get(".*", handler);  // also serves HEAD
  server.Post(".*", handler);
  server.Put(".*", handler);
  server.Patch(".*", handler);
  server.Delete(".*", handler);
  server.Options(".*", handler);
  impl_->port = server.bind_to_any_port("127.0.0.1");
  if (impl_->port <= 0) throw std::runtime_error("fake web: cannot bind a port");
  server.WidenBacklog();
  impl_->thread = std::thread([&server] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FakeWeb::~FakeWeb() {
  impl_->server.stop();
  impl_->thread.join();
}

void FakeWeb::Add(const std::string& method, const std::string& url, FakeReply reply) {
  AddInTurn(method, url, {std::move(reply)});
}

void FakeWeb::AddInTurn(const std::string& method, const std::string& url, std::vector<FakeReply> replies) {
  if (replies.empty()) return;
  Impl::Turns turns;
  for (FakeReply& reply : replies) turns.replies.push_back(Prepare(std::move(reply)));
  std::lock_guard lock(impl_->mutex);
  impl_->replies[{method, url}] = std::move(turns);
}

void FakeWeb::AddForBody(const std::string& method, const std::string& url, const std::string& bodyPart,
                         FakeReply reply) {
  auto prepared = Prepare(std::move(reply));
  std::lock_guard lock(impl_->mutex);
  impl_->bodyReplies.push_back({method, url, bodyPart, std::move(prepared)});
}

namespace {

// One manifest line: "METHOD URL FILE [STATUS]" and, after the first " | ", the headers
// "Name: value | Name: value". Returns the reason when the line cannot be read.
std::string ParseManifestLine(const std::string& line, const std::filesystem::path& folder,
                              std::string& method, std::string& url, FakeReply& reply) {
  const auto bar = line.find(" | ");
  std::istringstream head(line.substr(0, bar));
  std::string file, status, extra;
  if (!(head >> method >> url >> file)) return "expected METHOD URL FILE";
  if (head >> status) {
    const auto [end, ec] = std::from_chars(status.data(), status.data() + status.size(), reply.status);
    if (ec != std::errc() || end != status.data() + status.size() || reply.status < 100 || reply.status > 599) {
      return "bad status \"" + status + "\"";
    }
  }
  if (head >> extra) return "unexpected \"" + extra + "\" (headers go after \" | \")";

  for (size_t pos = bar; pos != std::string::npos;) {
    const auto next = line.find(" | ", pos + 3);
    const auto item = line.substr(pos + 3, next == std::string::npos ? std::string::npos : next - pos - 3);
    pos = next;
    const auto colon = item.find(':');
    const auto name = Trim(item.substr(0, colon));
    if (colon == std::string::npos || name.empty()) return "bad header \"" + item + "\"";
    const auto value = Trim(item.substr(colon + 1));
    if (Lower(name) == "content-encoding" && Lower(value) == "gzip") {
      reply.encoding = FakeReply::Encoding::Gzip;
    } else if (Lower(name) == "content-encoding" && Lower(value) == "deflate") {
      reply.encoding = FakeReply::Encoding::Deflate;
    } else {
      reply.headers.emplace_back(name, value);
    }
  }

  if (file != "-") {
    std::ifstream in(folder / file, std::ios::binary);
    if (!in) return "cannot read file \"" + file + "\"";
    reply.body.assign(std::istreambuf_iterator<char>(in), {});
  }
  return {};
}

}  // namespace

bool FakeWeb::LoadManifest(const std::string& manifestPath, std::string* error) {
  const auto fail = [&](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  std::ifstream in(manifestPath, std::ios::binary);
  if (!in) return fail(manifestPath + ": cannot open");
  const auto folder = std::filesystem::path(manifestPath).parent_path();
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.ends_with('\r')) line.pop_back();
    const auto text = Trim(line);
    if (text.empty() || text.starts_with('#')) continue;
    std::string method, url;
    FakeReply reply;
    const auto reason = ParseManifestLine(text, folder, method, url, reply);
    if (!reason.empty()) return fail(manifestPath + ":" + std::to_string(number) + ": " + reason);
    Add(method, url, std::move(reply));
  }
  return true;
}

int FakeWeb::Port() const { return impl_->port; }
std::string FakeWeb::ProxyAddress() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }
std::string FakeWeb::DirectAddress(const std::string& pathAndQuery) const {
  return ProxyAddress() + (pathAndQuery.starts_with('/') ? "" : "/") + pathAndQuery;
}

std::vector<RecordedRequest> FakeWeb::Requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

std::vector<RecordedRequest> FakeWeb::RequestsTo(const std::string& urlPrefix) const {
  std::lock_guard lock(impl_->mutex);
  std::vector<RecordedRequest> out;
  for (const auto& r : impl_->requests) {
    if (r.url.starts_with(urlPrefix)) out.push_back(r);
  }
  return out;
}

void FakeWeb::ClearRequests() {
  std::lock_guard lock(impl_->mutex);
  impl_->requests.clear();
}

}  // namespace zentrow::test
