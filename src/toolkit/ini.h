// The INI reader and the extension settings file "下载器扩展设置.ini".
//
// The file is written by hand and only ever read. CIni reads it once, in UTF-16LE (with
// byte-order mark), UTF-8 (with or without one) or GBK, and answers lookups the way the
// platform's profile-string functions do: section and key names compared without regard
// to ASCII case, blanks around names and values trimmed, the first section of a name and
// the first key in it win, one pair of matching quotes around a value removed, lines
// starting with ";" ignored.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/text.h"

namespace zentrow {

class CIni {
 public:
  // A missing or unreadable file behaves as an empty one.
  explicit CIni(TextView path);

  Text GetProfileText(TextView section, TextView key, TextView fallback = {}) const;
  // The value's first 64 characters read as an unsigned decimal; `fallback` when empty.
  uint32_t GetProfileNumber(TextView section, TextView key, uint32_t fallback) const;

 private:
  struct Section {
    Text name;
    std::vector<std::pair<Text, Text>> keys;  // in file order
  };
  std::vector<Section> sections_;
};

// Decode-mode words of the QQ Zone encoding keys.
inline constexpr uint8_t ENCODING_ANSI = 0;
inline constexpr uint8_t ENCODING_UTF8 = 2;
inline constexpr uint8_t ENCODING_BIG5 = 8;
inline constexpr uint8_t ENCODING_AUTO = 16;

// The settings an experienced user sets by hand; the initial values apply when the file
// or a key is missing.
struct ExtensionSettings {
  uint8_t qzoneEncodingV2 = ENCODING_ANSI;
  uint8_t qzoneEncodingV3 = ENCODING_ANSI;
  uint8_t siteNameWay = 1;        // how QQ Zone and QQ group readers obtain the site's picture names
  bool taobaoPriceInName = false;
  int32_t taobaoPriceIncrement = 0;
  uint8_t instagramWay = 1;
  uint8_t jdWay = 1;
};

inline constexpr char16_t kExtensionSettingsFile[] = u"下载器扩展设置.ini";

// Reads kExtensionSettingsFile in the working folder (read afresh before every listing).
ExtensionSettings ReadExtensionSettings(const Text& workingFolder);

}  // namespace zentrow
