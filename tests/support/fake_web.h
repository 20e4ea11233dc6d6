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
  // Reply headers, e.g. {"Content-Type", "text/html; charset=GBK"},
  // {"Set-Cookie", "skey=@abc; path=/; domain=qq.com"}. Repeated names are sent repeatedly,
  // in their order here; different names go out sorted by name (the server library keeps
  // them so). The server adds Content-Length (or Transfer-Encoding), Keep-Alive or
  // Connection, and "Content-Type: text/plain" when a reply with a body names none.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;                          // sent as is, or compressed (below)
  enum class Encoding { None, Gzip, Deflate } encoding = Encoding::None;  // adds Content-Encoding
  std::chrono::milliseconds delay{0};        // wait before the reply starts
  // Close the connection after this many body bytes on the wire (after compression; with
  // `chunked`, the terminating chunk never comes). Content-Length still announces them all.
  std::optional<size_t> dropAfter;
  bool chunked = false;                      // send without Content-Length, in 1 KB chunks
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
  // exactly, byte for byte as the client sent it: no percent-decoding, no case folding).
  // A url ending in "*" matches every address that begins with the rest; an exact match
  // wins, then the longest prefix. A HEAD request without a HEAD reply gets the GET reply.
  // A later Add for the same method and url replaces the earlier one. Served methods:
  // GET, HEAD, POST, PUT, PATCH, DELETE, OPTIONS.
  // A request in absolute form ("GET http://host/path HTTP/1.1", through the proxy) is
  // matched by its target; one in origin form ("GET /path", direct) by "http://" + Host + path.
  void Add(const std::string& method, const std::string& url, FakeReply reply);
  void Get(const std::string& url, FakeReply reply) { Add("GET", url, std::move(reply)); }
  void Get(const std::string& url, std::string body) {
    FakeReply r;
    r.body = std::move(body);
    Add("GET", url, std::move(r));
  }

  // Answers `method` requests for `url` (exact, or a prefix ending in "*") whose body
  // contains `bodyPart` (bytes, compared exactly) with `reply`, ahead of every reply of Add:
  // for a site that answers one address by what is posted to it (a remote call continued
  // by a value in its body). Such replies are tried in the order they were added.
  void AddForBody(const std::string& method, const std::string& url, const std::string& bodyPart, FakeReply reply);

  // The replies of one `method` and `url` (matched as by Add) in turn: the first request
  // gets the first reply, the next one the second, and every request after the last reply
  // gets the last again (a site busy twice, then answering). Replaces an earlier Add;
  // an empty list adds nothing.
  void AddInTurn(const std::string& method, const std::string& url, std::vector<FakeReply> replies);

  // Loads a manifest: one reply per line, blank lines and lines starting with "#" ignored:
  //   METHOD URL FILE [STATUS] [ | Name: value [ | Name: value]...]
  // e.g.
  //   GET http://a.example/list?uid=7 list.html | Content-Type: text/html; charset=GBK
  //   GET http://a.example/old - 302 | Location: http://a.example/new
  // The part before the first " | " holds three or four words separated by blanks (URLs have
  // no blanks); FILE is relative to the manifest's folder ("-" for an empty body), STATUS
  // (100-599) defaults to 200. Every " | "-separated item after it is one header, split at
  // its first ":" with blanks trimmed (so a value cannot contain " | "); a name may repeat.
  // "Content-Encoding: gzip" or "Content-Encoding: deflate" compresses the file's bytes
  // (Encoding above); any other Content-Encoding is sent as a plain header over the bytes
  // as they are. A trailing CR is ignored. Replies are added in file order (Add rules).
  // Returns false with "<manifest path>:<line number>: <reason>" in *error on the first
  // line it cannot read or whose file is missing (lines before it stay added), or
  // "<manifest path>: cannot open".
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
