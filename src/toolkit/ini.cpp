#include "toolkit/ini.h"

#include <algorithm>
#include <fstream>

#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

// A hand-written settings file is a few kilobytes; anything past this is not read.
constexpr size_t kMaxIniBytes = 1 << 20;
constexpr size_t kNumberDigits = 64;

Bytes ReadCapped(TextView path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  Bytes bytes(kMaxIniBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(in ? bytes.size() : static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

Text FromUtf16Le(std::string_view bytes) {
  Text text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return text;
}

Text DecodeIniFile(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return FromUtf16Le(bytes.substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) return FromUtf8(bytes.substr(3));
  return FromCodePage(bytes, IsUtf8(bytes) ? CP_UTF8 : CP_GBK);
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

bool SameName(TextView a, TextView b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

// One pair of matching single or double quotes around a value is removed.
Text Unquote(Text value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

uint8_t EncodingWord(TextView value) {
  if (value.starts_with(u"UTF8")) return ENCODING_UTF8;
  if (value.starts_with(u"ANSI")) return ENCODING_ANSI;
  if (value.starts_with(u"AUTO")) return ENCODING_AUTO;
  if (value.starts_with(u"BIG5")) return ENCODING_BIG5;
  return ENCODING_ANSI;
}

}  // namespace

CIni::CIni(TextView path) {
  const Text text = DecodeIniFile(ReadCapped(path));
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find_first_of(u"\r\n", begin);
    if (end == Text::npos) end = text.size();
    const Text line = Trim(TextView(text).substr(begin, end - begin));
    begin = end + 1;

    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      size_t close = line.rfind(u']');
      if (close != Text::npos) sections_.push_back({Trim(TextView(line).substr(1, close - 1)), {}});
      continue;
    }
    size_t equals = line.find(u'=');
    if (equals == Text::npos || sections_.empty()) continue;
    sections_.back().keys.emplace_back(Trim(TextView(line).substr(0, equals)),
                                       Unquote(Trim(TextView(line).substr(equals + 1))));
  }
}

Text CIni::GetProfileText(TextView section, TextView key, TextView fallback) const {
  auto found = std::find_if(sections_.begin(), sections_.end(),
                            [&](const Section& s) { return SameName(s.name, section); });
  if (found == sections_.end()) return Text(fallback);
  for (const auto& [name, value] : found->keys) {
    if (SameName(name, key)) return value;
  }
  return Text(fallback);
}

uint32_t CIni::GetProfileNumber(TextView section, TextView key, uint32_t fallback) const {
  Text value = GetProfileText(section, key);
  if (value.size() > kNumberDigits) value.resize(kNumberDigits);
  return value.empty() ? fallback : ParseUnsigned(value);
}

ExtensionSettings ReadExtensionSettings(const Text& workingFolder) {
  ExtensionSettings settings;
  Text path = workingFolder;
  if (!path.empty() && path.back() != u'/') path += u'/';
  path += kExtensionSettingsFile;
  if (!FileExists(path)) return settings;

  const CIni ini(path);
  constexpr TextView kQzone = u"QQ空间", kTaobao = u"淘宝", kWay = u"图片获取方式";
  auto byte = [](uint32_t number) { return static_cast<uint8_t>(number); };
  settings.qzoneEncodingV2 = EncodingWord(ini.GetProfileText(kQzone, u"V2编码", u"ANSI"));
  settings.qzoneEncodingV3 = EncodingWord(ini.GetProfileText(kQzone, u"V3编码", u"ANSI"));
  settings.siteNameWay = byte(ini.GetProfileNumber(kQzone, u"取原始名方式", 1));
  settings.taobaoPriceInName =
      ini.GetProfileText(kTaobao, u"图片名中是否有价格", u"无").starts_with(u"有");
  // A negative increment is written as such and read back through the unsigned reader.
  settings.taobaoPriceIncrement = static_cast<int32_t>(ini.GetProfileNumber(kTaobao, u"价格增减", 0));
  settings.instagramWay = byte(ini.GetProfileNumber(u"Instagram", kWay, 1));
  settings.jdWay = byte(ini.GetProfileNumber(u"京东", kWay, 1));
  return settings;
}

}  // namespace zentrow
