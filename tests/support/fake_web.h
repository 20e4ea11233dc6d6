// The fake web: an in-process loopback HTTP server that stands in for every site.
//
// The client is pointed at it as an HTTP proxy (net::SetProxy(web.ProxyAddress())), so
// site code keeps using the real host names: a request arrives in absolute form
// ("GET http://user.qzone.qq.com/123?x=1 HTTP/1.1") and is answered by host + path + query
// from a table of canned replies. Every request is recorded for assertions.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zentrow::test {

struct FakeReply {
  int status = 200;
  // Reply headers in order, e.g. {"Content-Type", "text/html; charset=GBK"},
  // {"Set-Cookie", "skey=@abc; path=/; domain=qq.com"}. Repeated names are sent repeatedly.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;                          // sent as is, or compressed (below)
  enum class Encoding { None, Gzip, Deflate } encoding = Encoding::None;  // adds Content-Encoding
  std::chrono::milliseconds delay{0};        // wait before the reply starts
  std::optional<size_t> dropAfter;          // close the connection after this many body bytes
  bool chunked = false;                      // send without Content-Length
};

struct RecordedRequest {
  std::string method;
  std::string url;                            // full address: "http://host/path?query"
  std::multimap<std::string, std::string> headers;  // names in lower case
  std::string body;

  // The first value of a header (name compared without regard to case), or empty.
  std::string Header(const std::string& name) const;
};

class FakeWeb {
 public:
  FakeWeb();   // listens on 127.0.0.1, a free port
  ~FakeWeb();  // stops the server
  FakeWeb(const FakeWeb&) = delete;
  FakeWeb& operator=(const FakeWeb&) = delete;

  // Answers `method` requests for `url` ("http://host/path?query"; the query must match
  // exactly). A url ending in "*" matches every address that begins with the rest.
  // A later Add for the same method and url replaces the earlier one.
  void Add(const std::string& method, const std::string& url, FakeReply reply);
  void Get(const std::string& url, FakeReply reply) { Add("GET", url, std::move(reply)); }
  void Get(const std::string& url, std::string body) {
    FakeReply r;
    r.body = std::move(body);
    Add("GET", url, std::move(r));
  }

  // Loads a manifest: one reply per line, blank lines and lines starting with "#" ignored:
  //   METHOD URL FILE [STATUS] [Header-Name: value]...
  // FILE is relative to the manifest's folder ("-" for an empty body); STATUS defaults to
  // 200; extra headers are separated by " | ", and "Content-Encoding: gzip" or
  // "Content-Encoding: deflate" compresses the file's bytes. Returns false (and the reason
  // in *error) on a line it cannot read or a missing file.
  bool LoadManifest(const std::string& manifestPath, std::string* error = nullptr);

  // Unmatched requests get 404 with body "fake web: no reply for <url>".
  int Port() const;
  std::string ProxyAddress() const;  // "http://127.0.0.1:<port>"
  // The address of a reply when fetched directly, without the proxy.
  std::string DirectAddress(const std::string& pathAndQuery) const;

  std::vector<RecordedRequest> Requests() const;
  std::vector<RecordedRequest> RequestsTo(const std::string& urlPrefix) const;
  void ClearRequests();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// gzip / zlib compression helpers for building replies by hand.
std::string GzipCompress(const std::string& data);
std::string DeflateCompress(const std::string& data);

}  // namespace zentrow::test
