#include "toolkit/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

namespace zentrow {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

const char* IconvName(int codePage) {
  switch (codePage) {
    case CP_GBK: return "GBK";
    case CP_BIG5: return "BIG5";
    case CP_EUCKR: return "EUC-KR";
    default: return nullptr;
  }
}

// iconv descriptors are not safe to share between threads; each thread keeps its own,
// opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

Converter* CachedConverter(int codePage, bool toUtf16) {
  struct Entry {
    int codePage;
    bool toUtf16;
    std::unique_ptr<Converter> converter;
  };
  thread_local std::vector<Entry> cache;
  for (auto& e : cache)
    if (e.codePage == codePage && e.toUtf16 == toUtf16) return e.converter.get();
  const char* name = IconvName(codePage);
  if (!name) return nullptr;
  auto conv = toUtf16 ? std::make_unique<Converter>("UTF-16LE", name)
                      : std::make_unique<Converter>(name, "UTF-16LE");
  if (!conv->ok()) return nullptr;
  cache.push_back({codePage, toUtf16, std::move(conv)});
  return cache.back().converter.get();
}

// Hand-written UTF-8 decoding: one U+FFFD per byte that does not start a well-formed
// sequence, as a browser does.
Text DecodeUtf8(const unsigned char* p, size_t n) {
  Text out;
  out.reserve(n);
  size_t i = 0;
  while (i < n) {
    unsigned char c = p[i];
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; min = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; min = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; min = 0x10000; }
    else { out.push_back(kReplacement); ++i; continue; }
    bool good = true;
    for (size_t j = 1; j <= static_cast<size_t>(extra); ++j) {
      if (i + j >= n || (p[i + j] & 0xC0) != 0x80) { good = false; break; }
      cp = (cp << 6) | (p[i + j] & 0x3F);
    }
    if (!good || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += extra + 1;
  }
  return out;
}

Bytes EncodeUtf8(TextView text) {
  Bytes out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out.push_back('?');  // a lone surrogate cannot be encoded
      continue;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace

Text FromCodePage(const char* bytes, size_t length, int codePage) {
  if (length == 0) return {};
  if (codePage == CP_UTF8) return DecodeUtf8(reinterpret_cast<const unsigned char*>(bytes), length);
  Converter* conv = CachedConverter(codePage, true);
  if (!conv) return {};
  conv->Reset();
  Text out;
  out.resize(length + 16);  // a multi-byte code page never yields more units than bytes
  char* in = const_cast<char*>(bytes);
  size_t inLeft = length;
  char* outPtr = reinterpret_cast<char*>(out.data());
  size_t outLeft = out.size() * sizeof(char16_t);
  while (inLeft > 0) {
    size_t r = iconv(conv->get(), &in, &inLeft, &outPtr, &outLeft);
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      size_t used = out.size() * sizeof(char16_t) - outLeft;
      out.resize(out.size() * 2);
      outPtr = reinterpret_cast<char*>(out.data()) + used;
      outLeft = out.size() * sizeof(char16_t) - used;
      continue;
    }
    // EILSEQ (a byte that starts no character) or EINVAL (a sequence cut off at the end):
    // emit the replacement character and go on after the offending byte.
    if (outLeft < sizeof(char16_t)) {
      size_t used = out.size() * sizeof(char16_t) - outLeft;
      out.resize(out.size() * 2);
      outPtr = reinterpret_cast<char*>(out.data()) + used;
      outLeft = out.size() * sizeof(char16_t) - used;
    }
    std::memcpy(outPtr, &kReplacement, sizeof(char16_t));
    outPtr += sizeof(char16_t);
    outLeft -= sizeof(char16_t);
    ++in;
    --inLeft;
    conv->Reset();
  }
  out.resize(out.size() - outLeft / sizeof(char16_t));
  return out;
}

Bytes ToCodePage(TextView text, int codePage) {
  if (text.empty()) return {};
  if (codePage == CP_UTF8) return EncodeUtf8(text);
  Converter* conv = CachedConverter(codePage, false);
  if (!conv) return {};
  conv->Reset();
  Bytes out;
  out.resize(text.size() * 2 + 16);
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
  size_t inLeft = text.size() * sizeof(char16_t);
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    size_t r = iconv(conv->get(), &in, &inLeft, &outPtr, &outLeft);
    if (r != static_cast<size_t>(-1)) break;
    int error = errno;  // before the resize, which may change errno
    if (error == E2BIG || outLeft == 0) {
      size_t used = out.size() - outLeft;
      out.resize(out.size() * 2);
      outPtr = out.data() + used;
      outLeft = out.size() - used;
      if (error == E2BIG) continue;
    }
    // A character the code page cannot represent becomes "?". A surrogate pair is one
    // character, so both of its units are skipped; a lone surrogate is one unit.
    size_t skip = sizeof(char16_t);
    char16_t unit[2] = {};
    std::memcpy(unit, in, std::min(inLeft, sizeof unit));
    if (unit[0] >= 0xD800 && unit[0] <= 0xDBFF && inLeft >= sizeof unit && unit[1] >= 0xDC00 &&
        unit[1] <= 0xDFFF)
      skip *= 2;
    *outPtr++ = '?';
    --outLeft;
    in += skip;
    inLeft -= skip < inLeft ? skip : inLeft;
    conv->Reset();
  }
  out.resize(out.size() - outLeft);
  return out;
}

Text FromAnsi(const char* zeroTerminated) {
  if (!zeroTerminated) return {};
  return FromCodePage(zeroTerminated, std::strlen(zeroTerminated), CP_ANSI);
}

}  // namespace zentrow
