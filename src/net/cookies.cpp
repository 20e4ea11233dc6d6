// The cookie store: libcurl's cookie jar in a share handle that every transfer attaches,
// so cookies are sent and stored by libcurl itself, on every thread. The store reads the
// jar through its own control handle (as Netscape cookie-file lines), matches cookies for
// CookieText itself and writes the persistent ones to "cookies.txt".
//
// Locking: the jar's lock is one recursive mutex, so the store can hold it across several
// jar operations (clearing and refilling) while libcurl takes it again inside them.
#include "net/cookies.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <ctime>
#include <fstream>
#include <mutex>
#include <optional>
#include <vector>

#include "net/address.h"
#include "toolkit/codepage.h"

namespace zentrow::net {
namespace {

constexpr std::string_view kHttpOnly = "#HttpOnly_";
constexpr std::string_view kFileHeader = "# Netscape HTTP Cookie File\n";

// One cookie as the jar lists it: a Netscape cookie-file line and its fields.
struct Cookie {
  std::string line;
  std::string domain;       // without a leading dot
  bool subdomains = false;  // a domain cookie; otherwise only for exactly this host
  std::string path;
  bool secure = false;
  int64_t expires = 0;  // seconds since 1970; 0: a session cookie
  std::string name;
  std::string value;
};

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view Trim(std::string_view s) {
  const size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

bool ParseInt(std::string_view text, int64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool HasControlCharacter(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// "domain  subdomains  path  secure  expires  name  value", tab-separated, optionally
// prefixed by "#HttpOnly_"; the value may be missing.
bool ParseNetscapeLine(std::string_view line, Cookie& cookie) {
  if (line.ends_with('\r')) line.remove_suffix(1);
  cookie.line = line;
  if (line.starts_with(kHttpOnly)) line.remove_prefix(kHttpOnly.size());
  std::vector<std::string_view> fields;
  for (size_t begin = 0;;) {
    const size_t tab = line.find('\t', begin);
    fields.push_back(line.substr(begin, tab == std::string_view::npos ? tab : tab - begin));
    if (tab == std::string_view::npos) break;
    begin = tab + 1;
  }
  if (fields.size() == 6) fields.emplace_back();
  if (fields.size() != 7 || fields[0].empty() || !ParseInt(fields[4], cookie.expires)) return false;
  cookie.domain = Lower(fields[0].starts_with('.') ? fields[0].substr(1) : fields[0]);
  cookie.subdomains = fields[1] == "TRUE";
  cookie.path = fields[2];
  cookie.secure = fields[3] == "TRUE";
  cookie.name = fields[5];
  cookie.value = fields[6];
  // A ";" would smuggle a second cookie into the Cookie header ("x; skey=forged"), and
  // control characters have no place in it either: browsers refuse such cookies.
  for (std::string_view field : fields)
    if (HasControlCharacter(field)) return false;
  if (cookie.name.find_first_of(";=") != std::string::npos || cookie.value.find(';') != std::string::npos)
    return false;
  return true;
}

std::string NetscapeLine(const Cookie& c, bool httpOnly) {
  return std::string(httpOnly ? kHttpOnly : "") + (c.subdomains ? "." : "") + c.domain + "\t" +
         (c.subdomains ? "TRUE" : "FALSE") + "\t" + c.path + "\t" + (c.secure ? "TRUE" : "FALSE") + "\t" +
         std::to_string(c.expires) + "\t" + c.name + "\t" + c.value;
}

bool IsIpAddress(std::string_view host) {
  return host.find(':') != std::string_view::npos ||
         std::all_of(host.begin(), host.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

bool DomainMatches(std::string_view host, std::string_view domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.' &&
         !IsIpAddress(host);
}

bool PathMatches(std::string_view requestPath, std::string_view cookiePath) {
  if (!requestPath.starts_with(cookiePath)) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/') || requestPath[cookiePath.size()] == '/';
}

// The folder of the request path, as a cookie without a Path attribute gets it.
std::string DefaultPath(std::string_view requestPath) {
  const size_t slash = requestPath.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return std::string(requestPath.substr(0, slash));
}

bool Expired(const Cookie& c, int64_t now) { return c.expires != 0 && c.expires <= now; }

bool SentTo(const Cookie& c, const AddressParts& to, int64_t now) {
  if (Expired(c, now) || (c.secure && !to.secure) || !PathMatches(to.path, c.path)) return false;
  return c.subdomains ? DomainMatches(to.host, c.domain) : to.host == c.domain;
}

bool SameCookie(const Cookie& a, const Cookie& b) {
  return a.name == b.name && a.domain == b.domain && a.path == b.path;
}

// A Set-Cookie line as a browser takes it from `from`. `expired` is set for a line that
// deletes the cookie (Max-Age 0 or less, an Expires date in the past).
bool ParseSetCookie(std::string_view line, const AddressParts& from, int64_t now, Cookie& c, bool& expired) {
  size_t semicolon = line.find(';');
  const std::string_view pair = line.substr(0, semicolon);
  const size_t equals = pair.find('=');
  if (equals == std::string_view::npos) return false;
  c.name = Trim(pair.substr(0, equals));
  c.value = Trim(pair.substr(equals + 1));
  if (c.name.empty() || HasControlCharacter(c.name) || HasControlCharacter(c.value)) return false;

  std::string domain, path;
  bool httpOnly = false;
  std::optional<int64_t> maxAge, expires;
  while (semicolon != std::string_view::npos) {
    const size_t begin = semicolon + 1;
    semicolon = line.find(';', begin);
    const std::string_view attribute =
        line.substr(begin, semicolon == std::string_view::npos ? semicolon : semicolon - begin);
    const size_t eq = attribute.find('=');
    const std::string key = Lower(Trim(attribute.substr(0, eq)));
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : Trim(attribute.substr(eq + 1));
    int64_t seconds = 0;
    if (key == "domain" && !value.empty()) {
      domain = Lower(value.starts_with('.') ? value.substr(1) : value);
    } else if (key == "path" && value.starts_with('/')) {
      path = value;
    } else if (key == "max-age" && ParseInt(value, seconds)) {
      maxAge = seconds;
    } else if (key == "expires") {
      const time_t date = curl_getdate(std::string(value).c_str(), nullptr);
      if (date != -1) expires = date;
    } else if (key == "secure") {
      c.secure = true;
    } else if (key == "httponly") {
      httpOnly = true;
    }
  }
  if (c.secure && !from.secure) return false;  // only a secure origin sets a secure cookie
  if (!domain.empty() && !DomainMatches(from.host, domain)) return false;
  c.subdomains = !domain.empty();
  c.domain = domain.empty() ? from.host : domain;
  c.path = path.empty() ? DefaultPath(from.path) : path;
  c.expires = 0;
  expired = false;
  if (maxAge) {
    expired = *maxAge <= 0;
    c.expires = now + *maxAge;
  } else if (expires) {
    expired = *expires <= now;
    c.expires = *expires;
  }
  c.line = NetscapeLine(c, httpOnly);
  // A domain or path attribute holding a tab or another control character would make a
  // different line of the cookie file than the one meant.
  Cookie stored;
  return ParseNetscapeLine(c.line, stored) && stored.domain == c.domain && stored.path == c.path;
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return true;
}

// Written beside the target and renamed over it, so the file is never half-written.
bool WriteAtomically(const std::string& path, const std::string& content) {
  const std::string temp = path + ".tmp." + std::to_string(getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0;
  for (size_t done = 0; ok && done < content.size();) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return true;
  ::unlink(temp.c_str());
  return false;
}

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace

struct CookieStore::Impl {
  std::recursive_mutex jar;  // libcurl's cookie lock, and the control handle
  std::array<std::mutex, CURL_LOCK_DATA_LAST> otherData;
  CURLSH* share = nullptr;
  CURL* control = nullptr;  // reads and changes the shared jar

  std::mutex file;  // the fields below
  std::string filePath;
  std::string written;  // the file's content as last written or read

  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    auto* impl = static_cast<Impl*>(user);
    if (data == CURL_LOCK_DATA_COOKIE) {
      impl->jar.lock();
    } else {
      impl->otherData[data].lock();
    }
  }

  static void Unlock(CURL*, curl_lock_data data, void* user) {
    auto* impl = static_cast<Impl*>(user);
    if (data == CURL_LOCK_DATA_COOKIE) {
      impl->jar.unlock();
    } else {
      impl->otherData[data].unlock();
    }
  }

  // The jar's cookies; the caller holds `jar`.
  std::vector<Cookie> List() {
    std::vector<Cookie> cookies;
    curl_slist* lines = nullptr;
    if (curl_easy_getinfo(control, CURLINFO_COOKIELIST, &lines) != CURLE_OK) return cookies;
    for (curl_slist* l = lines; l; l = l->next) {
      Cookie c;
      if (ParseNetscapeLine(l->data, c)) cookies.push_back(std::move(c));
    }
    curl_slist_free_all(lines);
    return cookies;
  }

  // Takes a Netscape cookie-file line; the caller holds `jar`.
  void Add(const std::string& line) { curl_easy_setopt(control, CURLOPT_COOKIELIST, line.c_str()); }

  // Keeps only the cookies the predicate does not pick (libcurl cannot delete one cookie).
  template <typename Pick>
  void RemoveIf(Pick pick) {
    std::lock_guard lock(jar);
    const auto cookies = List();
    const int64_t now = Now();
    curl_easy_setopt(control, CURLOPT_COOKIELIST, "ALL");
    for (const auto& c : cookies) {
      if (!pick(c) && !Expired(c, now)) Add(c.line);
    }
  }

  // The file's content: the persistent cookies that have not expired, in a stable order.
  std::string Render() {
    std::vector<std::string> lines;
    {
      std::lock_guard lock(jar);
      const int64_t now = Now();
      for (const auto& c : List()) {
        if (c.expires != 0 && !Expired(c, now)) lines.push_back(c.line);
      }
    }
    std::sort(lines.begin(), lines.end());
    std::string content(kFileHeader);
    for (const auto& line : lines) content += line + "\n";
    return content;
  }

  void Persist() {
    std::lock_guard lock(file);
    if (filePath.empty()) return;
    std::string content = Render();
    if (content != written && WriteAtomically(filePath, content)) written = std::move(content);
  }

  // Feeds the cookie lines of a Netscape file; comments other than "#HttpOnly_" are skipped.
  bool Load(const std::string& path) {
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) return false;
    std::lock_guard lock(jar);
    for (const auto& line : lines) {
      Cookie c;
      if ((!line.starts_with('#') || line.starts_with(kHttpOnly)) && ParseNetscapeLine(line, c)) Add(c.line);
    }
    return true;
  }
};

// The store lives until the process ends: fetching threads may still use it while static
// objects are destroyed, so it is never torn down.
CookieStore& CookieStore::Instance() {
  static CookieStore* store = new CookieStore;
  return *store;
}

CookieStore::CookieStore() : impl_(new Impl) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  impl_->share = curl_share_init();
  curl_share_setopt(impl_->share, CURLSHOPT_LOCKFUNC, &Impl::Lock);
  curl_share_setopt(impl_->share, CURLSHOPT_UNLOCKFUNC, &Impl::Unlock);
  curl_share_setopt(impl_->share, CURLSHOPT_USERDATA, impl_);
  for (const auto data : {CURL_LOCK_DATA_COOKIE, CURL_LOCK_DATA_DNS, CURL_LOCK_DATA_SSL_SESSION}) {
    curl_share_setopt(impl_->share, CURLSHOPT_SHARE, data);
  }
  impl_->control = curl_easy_init();
  curl_easy_setopt(impl_->control, CURLOPT_SHARE, impl_->share);
}

void CookieStore::Open(const std::string& folder) {
  const std::string path = folder.empty() ? "cookies.txt" : folder + "/cookies.txt";
  impl_->Load(path);
  std::lock_guard lock(impl_->file);
  impl_->filePath = path;
  impl_->written = impl_->Render();
}

Text CookieStore::CookieText(TextView address) {
  AddressParts to;
  if (!SplitAddress(EncodeAddress(address), to)) return {};
  std::vector<Cookie> sent;
  {
    std::lock_guard lock(impl_->jar);
    const int64_t now = Now();
    for (auto& c : impl_->List()) {
      if (SentTo(c, to, now)) sent.push_back(std::move(c));
    }
  }
  // Longer paths first, as a browser sends them; then by name, so the text is repeatable.
  std::sort(sent.begin(), sent.end(), [](const Cookie& a, const Cookie& b) {
    return a.path.size() != b.path.size() ? a.path.size() > b.path.size() : a.name < b.name;
  });
  std::string text;
  for (const auto& c : sent) text += (text.empty() ? "" : "; ") + c.name + "=" + c.value;
  return FromUtf8(text);
}

bool CookieStore::SetCookie(TextView address, const std::string& setCookieLine) {
  AddressParts from;
  Cookie cookie;
  bool expired = false;
  if (!SplitAddress(EncodeAddress(address), from) || !ParseSetCookie(setCookieLine, from, Now(), cookie, expired)) {
    return false;
  }
  if (expired) {
    impl_->RemoveIf([&](const Cookie& c) { return SameCookie(c, cookie); });
  } else {
    std::lock_guard lock(impl_->jar);
    impl_->Add(cookie.line);
  }
  impl_->Persist();
  return true;
}

void CookieStore::ClearCookies(TextView address) {
  AddressParts to;
  if (!SplitAddress(EncodeAddress(address), to)) return;
  const int64_t now = Now();
  impl_->RemoveIf([&](const Cookie& c) { return SentTo(c, to, now); });
  impl_->Persist();
}

void CookieStore::ClearAll() {
  {
    std::lock_guard lock(impl_->jar);
    curl_easy_setopt(impl_->control, CURLOPT_COOKIELIST, "ALL");
  }
  impl_->Persist();
}

bool CookieStore::ImportNetscapeFile(const std::string& path) {
  if (!impl_->Load(path)) return false;
  impl_->Persist();
  return true;
}

void* CookieStore::ShareHandle() { return impl_->share; }

void CookieStore::Changed() { impl_->Persist(); }

}  // namespace zentrow::net
