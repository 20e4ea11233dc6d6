// Turning a fetched reply into text: gzip inflation and the charset choice of GetText.
#include <zlib.h>

#include <algorithm>
#include <climits>

#include "net/http.h"
#include "net/inflate.h"
#include "net/marked_body.h"
#include "toolkit/codepage.h"

namespace zentrow::net {

bool InflateGzip(const char* data, size_t length, Bytes& out) {
  return InflateUpTo(data, length, out, kMaxInflatedBytes);
}

bool InflateUpTo(const char* data, size_t length, Bytes& out, size_t limit) {
  z_stream stream{};
  if (inflateInit2(&stream, 47) != Z_OK) return false;  // 32 + 15: gzip or zlib header, 32 KB window
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
  size_t unread = length;
  size_t room = limit;  // a decompression bomb stops here
  bool ended = false;
  char chunk[8192];
  for (;;) {
    if (stream.avail_in == 0 && unread > 0) {
      stream.avail_in = static_cast<uInt>(std::min<size_t>(unread, UINT_MAX));
      unread -= stream.avail_in;
    }
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    const int result = inflate(&stream, Z_NO_FLUSH);
    const size_t produced = sizeof chunk - stream.avail_out;
    out.append(chunk, std::min(produced, room));
    if (produced > room) break;
    room -= produced;
    if (result == Z_STREAM_END) {
      ended = true;
      break;
    }
    if (result != Z_OK) break;
  }
  inflateEnd(&stream);
  return ended;
}

namespace {

int CodePageOf(unsigned mode, std::string_view bytes) {
  if (mode & DM_UTF8) return CP_UTF8;
  if (mode & DM_EUCKR) return CP_EUCKR;
  if (mode & DM_BIG5) return CP_BIG5;
  if (mode & DM_AUTO) return IsUtf8(bytes) ? CP_UTF8 : CP_ANSI;
  return CP_ANSI;
}

// A reply declared GBK is decoded as GBK whatever the mode says; without DM_KEEPZERO the
// text ends at the first zero byte, with it zero bytes (and the page's own 0x7F bytes)
// are dropped.
Text DecodeDeclaredGbk(Bytes& bytes, unsigned mode) {
  if (!(mode & DM_KEEPZERO)) return FromCodePage(std::string_view(bytes).substr(0, bytes.find('\0')), CP_ANSI);
  std::replace(bytes.begin(), bytes.end(), '\0', '\x7F');
  Text text = FromCodePage(bytes, CP_ANSI);
  std::erase(text, u'\x7F');
  return text;
}

}  // namespace

void GetText(const UrlResponse& response, Text& text, unsigned mode) {
  Bytes bytes;
  if ((mode & DM_INFLATE) && response.compressed) {
    InflateGzip(response.body.data(), response.body.size(), bytes);  // a broken stream gives its part
  } else {
    bytes = response.body;
  }
  if (response.compressed) {  // the reader could not trim a compressed reply
    MarkedBody trimmed(response.startMarker, response.endMarker);
    trimmed.Add(bytes);
    bytes = trimmed.Take();
  }

  if (response.headers.find(u"charset=GBK") != Text::npos) {
    text = DecodeDeclaredGbk(bytes, mode);
  } else {
    text = FromCodePage(bytes, CodePageOf(mode, bytes));
    text.resize(std::min(text.size(), text.find(u'\0')));
  }
  DecodeEntities(text);
}

}  // namespace zentrow::net
