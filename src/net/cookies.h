// The process-wide cookie store shared by every fetch, every thread and the login browser.
//
// Persistent cookies are kept in the working folder as "cookies.txt" (Netscape cookie-file
// format, mode 0600), rewritten after every change; session cookies live in memory for
// the run only, as a browser keeps them.
#pragma once

#include <string>

#include "toolkit/text.h"

namespace zentrow::net {

class CookieStore {
 public:
  static CookieStore& Instance();

  // Loads `folder`/cookies.txt (when present) and persists there from now on.
  // Without a call, cookies live in memory only.
  void Open(const std::string& folder);

  // What a browser would send to the address (domain, path, secure flag, expiry matched):
  // "name=value; name2=value2", empty when none.
  Text CookieText(TextView address);
  // Stores a cookie as if `address` had answered with "Set-Cookie: <setCookieLine>".
  bool SetCookie(TextView address, const std::string& setCookieLine);
  // Removes every cookie that would be sent to the address.
  void ClearCookies(TextView address);
  // Removes every cookie.
  void ClearAll();
  // Merges the cookies of a Netscape cookie file; false when it cannot be read.
  bool ImportNetscapeFile(const std::string& path);

  // The libcurl share handle every transfer attaches (CURLSH*), for the client.
  void* ShareHandle();
  // Called by the client after a transfer that may have changed cookies.
  void Changed();

 private:
  CookieStore();
  ~CookieStore();
  struct Impl;
  Impl* impl_;
};

}  // namespace zentrow::net
