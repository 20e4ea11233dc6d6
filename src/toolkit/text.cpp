#include "toolkit/text.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

#include "toolkit/codepage.h"

namespace zentrow {
namespace {

constexpr size_t npos = TextView::npos;

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

// Applies an operation written for a view to a string: the view can only have lost a
// prefix (advance) or a suffix (truncate), never both in one call.
template <typename Operation>
auto OnString(Text& text, bool keepsSuffix, Operation op) {
  TextView view(text);
  auto result = op(view);
  if (view.size() != text.size()) {
    if (keepsSuffix) text.erase(0, text.size() - view.size());
    else text.resize(view.size());
  }
  return result;
}

}  // namespace

Text CutBetween(TextView& text, TextView start, TextView end, unsigned mode) {
  size_t p = text.find(start);
  if (p == npos) return {};
  TextView work = text.substr(p + start.size());
  TextView result;
  if (mode & CUT_REST) result = work;
  size_t q = work.find(end);
  if (q != npos) result = work.substr(0, q);
  if (mode & CUT_ADVANCE) text = work;
  return Text(result);
}

Text CutBetween(Text& text, TextView start, TextView end, unsigned mode) {
  return OnString(text, true, [&](TextView& v) { return CutBetween(v, start, end, mode); });
}

long DeleteThrough(TextView& text, TextView marker, bool include) {
  size_t p = text.find(marker);
  if (p == npos) return -1;
  text.remove_prefix(include ? p + marker.size() : p);
  return static_cast<long>(p);
}

long DeleteThrough(Text& text, TextView marker, bool include) {
  return OnString(text, true, [&](TextView& v) { return DeleteThrough(v, marker, include); });
}

long TruncateAt(TextView& text, TextView marker) {
  size_t p = text.find(marker);
  if (p == npos) return -1;
  text = text.substr(0, p);
  return static_cast<long>(p);
}

long TruncateAt(Text& text, TextView marker) {
  return OnString(text, false, [&](TextView& v) { return TruncateAt(v, marker); });
}

Text TextBefore(TextView text, TextView marker) {
  size_t p = text.find(marker);
  return p == npos ? Text() : Text(text.substr(0, p));
}

int CountOf(TextView text, TextView marker) {
  if (marker.empty()) return 0;
  int count = 0;
  for (size_t p = text.find(marker); p != npos; p = text.find(marker, p + marker.size()))
    ++count;
  return count;
}

void SplitN(TextView text, TextView separator, int n, TextList& list) {
  list.clear();
  if (n < 0) return;
  size_t pieces = static_cast<size_t>(n) + 1;
  if (!separator.empty()) list.reserve(std::min(pieces, text.size() / separator.size() + 2));
  size_t pos = 0;
  for (size_t i = 0; i < pieces; ++i) {
    size_t p = separator.empty() ? npos : text.find(separator, pos);
    if (p == npos) {
      list.emplace_back(text.substr(pos));
      continue;
    }
    list.emplace_back(text.substr(pos, p - pos));
    pos = p + separator.size();
  }
}

int SplitText(TextView text, TextView separator, TextList& list) {
  int n = CountOf(text, separator);
  if (n < 1) {
    list.clear();
    return 0;
  }
  SplitN(text, separator, n, list);
  return n;
}

Text UnescapeUnicode(TextView text) {
  constexpr TextView escape = u"\\u";
  Text out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t p = text.find(escape); p != npos; p = text.find(escape, pos)) {
    out.append(text.substr(pos, p - pos));
    pos = p + escape.size();
    if (text.size() - pos < 4) continue;
    unsigned unit = 0;
    bool hex = true;
    for (size_t i = 0; i < 4 && hex; ++i) {
      int digit = HexValue(text[pos + i]);
      hex = digit >= 0;
      unit = unit * 16 + static_cast<unsigned>(digit);
    }
    // Not an escape after all: keep its characters rather than inventing a code unit.
    if (!hex) continue;
    out.push_back(static_cast<char16_t>(unit));
    pos += 4;
  }
  out.append(text.substr(pos));
  return out;
}

void DecodeEntities(Text& text) {
  static constexpr std::pair<TextView, TextView> kEntities[] = {
      {u"&quot;", u"\""}, {u"&amp;", u"&"},     {u"&lt;", u"<"},   {u"&gt;", u">"},
      {u"&nbsp;", u" "},  {u"&hellip;", u"\u2026"}, {u"&#39;", u"'"},
  };
  if (text.find(u'&') == Text::npos) return;
  for (const auto& [entity, replacement] : kEntities) ReplaceAll(text, entity, replacement);
}

Text StripTags(TextView text) {
  Text out(text);
  TextView work = text;
  for (;;) {
    Text tag = CutBetween(work, u"<", u">", CUT_ADVANCE);
    if (tag.empty()) break;
    ReplaceAll(out, u"<" + tag + u">", u"");
  }
  return out;
}

int ReplaceAll(Text& text, TextView from, TextView to) {
  if (from.empty()) return 0;
  size_t p = text.find(from);
  if (p == Text::npos) return 0;
  Text out;
  out.reserve(text.size());
  size_t pos = 0;
  int count = 0;
  for (; p != Text::npos; p = text.find(from, pos)) {
    out.append(text, pos, p - pos);
    out.append(to);
    pos = p + from.size();
    ++count;
  }
  out.append(text, pos);
  text = std::move(out);
  return count;
}

void ReplaceList(Text& text, TextView finds, TextView replacements) {
  int bars = CountOf(finds, u"|");
  if (bars != CountOf(replacements, u"|")) {
    ReplaceAll(text, finds, replacements);
    return;
  }
  TextList from, to;
  SplitN(finds, u"|", bars, from);
  SplitN(replacements, u"|", bars, to);
  for (size_t i = 0; i < from.size(); ++i) ReplaceAll(text, from[i], to[i]);
}

Text UrlDecode(TextView text) {
  constexpr size_t kMaxBytes = 1023;
  Bytes in = ToGbk(text);
  Bytes out;
  out.reserve(std::min(in.size(), kMaxBytes));
  for (size_t i = 0; i < in.size() && out.size() < kMaxBytes; ++i) {
    if (in[i] != '%') {
      out.push_back(in[i]);
      continue;
    }
    int high = i + 2 < in.size() ? HexValue(static_cast<unsigned char>(in[i + 1])) : -1;
    int low = high >= 0 ? HexValue(static_cast<unsigned char>(in[i + 2])) : -1;
    if (low < 0) break;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return FromCodePage(out, CP_UTF8);
}

Text Trim(TextView text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return Text(text);
}

void TrimInPlace(Text& text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && IsBlank(text[begin])) ++begin;
  text.resize(end);
  text.erase(0, begin);
}

bool IsUtf8(const char* bytes, size_t length) {
  int expected = 0;
  bool nonAscii = false;
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80) nonAscii = true;
    if (expected > 0) {
      if ((c & 0xC0) != 0x80) return false;
      --expected;
    } else if (c >= 0x80) {
      if (c >= 0xFC && c <= 0xFD) expected = 5;
      else if (c >= 0xF8) expected = 4;  // 0xF8-0xFB and 0xFE-0xFF
      else if (c >= 0xF0) expected = 3;
      else if (c >= 0xE0) expected = 2;
      else if (c >= 0xC0) expected = 1;
      else return false;
    }
  }
  return expected == 0 && nonAscii;
}

Text RandomFraction() {
  // One draw of the classic C run-time generator seeded with the time; a local state keeps
  // it thread-safe and gives the same draw for every call within one second.
  uint32_t seed = static_cast<uint32_t>(std::time(nullptr));
  seed = seed * 214013u + 2531011u;
  unsigned r = (seed >> 16) & 0x7FFF;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0.16f\n", r / 32767.0);
  return FromAscii(buffer);
}

uint32_t TokenHash(TextView text) {
  uint32_t h = 5381;
  for (char16_t c : text) h = h * 33 + c;
  return h & 0x7FFFFFFF;
}

uint32_t ParseUnsigned(TextView text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > kMax) return static_cast<uint32_t>(kMax);  // overflow clamps, sign or not
  }
  uint32_t result = static_cast<uint32_t>(value);
  return negative ? 0u - result : result;
}

Text FromAscii(std::string_view ascii) {
  Text out;
  out.reserve(ascii.size());
  for (char c : ascii) out.push_back(static_cast<unsigned char>(c));
  return out;
}

Text NumberText(long long value) { return FromAscii(std::to_string(value)); }

}  // namespace zentrow
