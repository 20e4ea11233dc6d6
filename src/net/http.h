// The HTTP client: every page, JSON document and picture is fetched through Fetch.
//
// A caller builds a UrlRequest (address, save path, time-out), adjusts its fields, calls
// Fetch with a UrlResponse and on success reads GetText (or the raw body or header
// block). A request may be reused for many fetches by changing its address.
//
// Cookies are not the caller's business: every request carries the cookies of the
// process-wide cookie store (net/cookies.h) and every reply's Set-Cookie lines go into it.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/text.h"

namespace zentrow::net {

struct UrlRequest {
  UrlRequest(Text address, Text savePath, uint32_t timeoutMs);

  Text address;                 // "http://..." or "https://..."
  Text verb = u"GET";
  Text headers;                 // extra request header lines separated by CR LF
  Bytes startMarker;            // body begins after the (last received) start marker
  Bytes endMarker;              // reading stops once it arrives; body cut before it
  Bytes retryMarker;            // a body containing it counts as a failed attempt
  Text savePath;                // when not empty: the body is stored in this file
  Bytes body;                   // request body (POST); empty = none
  uint32_t readTimeoutMs;       // longest wait between two received pieces of the reply
  uint32_t connectTimeoutMs;    // longest wait for the connect phase
  int32_t minSizeKb = 0;        // replies shorter than this fail
  int32_t maxSizeKb = 0;        // when above 0: replies longer than this fail
  uint32_t minTextLength = 0;   // acceptance check of Fetch
  uint8_t attempts = 1;
  uint8_t pauseSeconds = 1;     // wait after every failed attempt
  // The status code is not examined unless this is set: pages judge the text themselves,
  // but an error page is no picture, so picture downloads refuse status 400 and above.
  bool refuseErrorStatus = false;

  // Copies the bytes up to the first zero byte (an empty text leaves the body absent).
  void SetBody(std::string_view bytes);
};

struct UrlResponse {
  Text headers;                 // raw header block of the final reply: status line first, CR LF between lines
  Bytes body;                   // as received (still compressed if the server compressed it)
  bool compressed = false;      // the header block contains "gzip"
  Bytes startMarker;            // copies of the request's markers, for GetText
  Bytes endMarker;
};

// Fetch options.
inline constexpr unsigned FETCH_INFLATED_CHECKS = 1;  // acceptance checks look at the inflated body
inline constexpr unsigned FETCH_ALLOW_CACHE = 2;      // historical cache flag; no effect on transfers

// DecodeMode bits of GetText.
inline constexpr unsigned DM_INFLATE = 1;   // inflate a compressed body
inline constexpr unsigned DM_UTF8 = 2;      // UTF-8
inline constexpr unsigned DM_EUCKR = 4;     // code page 51949
inline constexpr unsigned DM_BIG5 = 8;      // code page 950
inline constexpr unsigned DM_AUTO = 16;     // UTF-8 when IsUtf8, else ANSI (GBK)
inline constexpr unsigned DM_KEEPZERO = 32; // GBK-declared replies: decode past zero bytes

// Up to `attempts` tries of FetchOnce with the acceptance checks; true on success.
bool Fetch(const UrlRequest& request, UrlResponse& response, unsigned options = 0);
// One transfer, without retries or acceptance checks.
bool FetchOnce(const UrlRequest& request, UrlResponse& response, unsigned options = 0);

// The response body as text in the given DecodeMode, entities decoded. May be called
// several times on one response.
void GetText(const UrlResponse& response, Text& text, unsigned mode);

// Appends the inflated data (gzip or zlib, detected) to `out`. False on a broken stream
// (what was inflated before the error stays appended) or past the output limit.
bool InflateGzip(const char* data, size_t length, Bytes& out);
inline constexpr size_t kMaxInflatedBytes = 256u << 20;
inline constexpr size_t kMaxHeldBodyBytes = 64u << 20;  // replies held in memory (no save path)

// The cookie string a browser would send to the address: "name=value; name2=value2".
Text GetCookieText(TextView address);

// Process-wide proxy for every fetch, e.g. "http://127.0.0.1:8080"; empty = the standard
// proxy environment (http_proxy, https_proxy, all_proxy, no_proxy).
void SetProxy(const std::string& proxy);
// Process-wide extra CA bundle for TLS verification (tests use it with their own server).
void SetCaBundle(const std::string& path);

// The user agent every request sends.
extern const char* const kUserAgent;

}  // namespace zentrow::net
