#include "net/address.h"

#include <algorithm>
#include <cctype>

#include "toolkit/codepage.h"

namespace zentrow::net {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Where the path begins: just after "scheme://authority", or 0 when there is no "://".
size_t PathStart(std::string_view address) {
  const size_t scheme = address.find("://");
  if (scheme == std::string_view::npos) return 0;
  return std::min(address.size(), address.find_first_of("/?#", scheme + 3));
}

}  // namespace

std::string EncodeAddress(TextView address) {
  const std::string utf8 = ToUtf8(address);
  const size_t pathStart = PathStart(utf8);
  // The host keeps its UTF-8 form: libcurl turns an international name into its ASCII form.
  std::string out = utf8.substr(0, pathStart);
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (size_t i = pathStart; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool SplitAddress(std::string_view address, AddressParts& parts) {
  const size_t schemeEnd = address.find("://");
  if (schemeEnd == std::string_view::npos) return false;
  const std::string scheme = Lower(address.substr(0, schemeEnd));
  if (scheme != "http" && scheme != "https") return false;
  const size_t pathStart = PathStart(address);
  std::string_view authority = address.substr(schemeEnd + 3, pathStart - schemeEnd - 3);
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  const size_t hostEnd = authority.starts_with('[') ? authority.find(']') + 1 : authority.find(':');
  const std::string_view host = authority.substr(0, hostEnd);
  if (host.empty()) return false;

  std::string_view path = address.substr(pathStart);
  path = path.substr(0, path.find_first_of("?#"));
  parts.secure = scheme == "https";
  parts.host = Lower(host);
  parts.path = path.empty() ? "/" : std::string(path);
  return true;
}

}  // namespace zentrow::net
