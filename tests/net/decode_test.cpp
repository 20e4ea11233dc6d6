// GetText, InflateGzip and the marker trimming, on responses built by hand.
#include <gtest/gtest.h>
#include <zlib.h>

#include "net/http.h"
#include "net/inflate.h"
#include "net/marked_body.h"
#include "support/fake_web.h"
#include "toolkit/codepage.h"

namespace zentrow::net {
namespace {

using test::DeflateCompress;
using test::GzipCompress;

constexpr char16_t kOk[] = u"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
constexpr char16_t kGbk[] = u"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=GBK\r\n\r\n";
constexpr char16_t kGzip[] = u"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n";

UrlResponse Response(std::u16string_view headers, Bytes body) {
  UrlResponse r;
  r.headers = headers;
  r.body = std::move(body);
  r.compressed = r.headers.find(u"gzip") != Text::npos;
  return r;
}

Text Decode(const UrlResponse& response, unsigned mode) {
  Text text = u"left over";
  GetText(response, text, mode);
  return text;
}

TEST(GetText, ChoosesTheCodePage) {
  const Bytes gbk = ToGbk(u"中文");
  const Bytes utf8 = ToUtf8(u"中文");
  const struct {
    const char* name;
    std::u16string_view headers;
    Bytes body;
    unsigned mode;
    Text expected;
  } cases[] = {
      {"charset=GBK overrides UTF-8", kGbk, gbk, 3, u"中文"},
      {"charset=GBK overrides Big5", kGbk, gbk, 9, u"中文"},
      {"lower-case gbk does not override", u"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gbk\r\n\r\n", utf8, 3,
       u"中文"},
      {"GBK-declared zero ends the text", kGbk, Bytes("AB\0CD", 5), 3, u"AB"},
      {"GBK-declared zero skipped with bit 32", kGbk, Bytes("AB\0CD", 5), 35, u"ABCD"},
      {"bit 32 also drops the page's own 0x7F", kGbk,
       Bytes("A\x7F"
             "B\0C",
             5),
       33, u"ABC"},
      {"zero ends a UTF-8 text", kOk, Bytes("AB\0CD", 5), 2, u"AB"},
      {"bit 32 without GBK declaration changes nothing", kOk, Bytes("AB\0CD", 5), 34, u"AB"},
      {"mode 17 on ASCII", kOk, "plain ascii", 17, u"plain ascii"},
      {"mode 17 on UTF-8 Chinese", kOk, utf8, 17, u"中文"},
      {"mode 17 on GBK Chinese", kOk, gbk, 17, u"中文"},
      {"no code page bit is ANSI (GBK)", kOk, gbk, 0, u"中文"},
      {"UTF-8 wins over the later bits", kOk, utf8, 2 | 4 | 8 | 16, u"中文"},
      {"EUC-KR", kOk, ToCodePage(u"한국", CP_EUCKR), 4, u"한국"},
      {"Big5", kOk, ToCodePage(u"中文", CP_BIG5), 8, u"中文"},
      {"entities decoded", kOk, "a &amp; b &lt;c&gt;", 2, u"a & b <c>"},
      {"empty body", kOk, "", 3, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Decode(Response(c.headers, c.body), c.mode), c.expected) << c.name;
  }
}

TEST(GetText, CompressedReplies) {
  const Bytes page = "<html>before<b>inside &amp; more</b>after</html>";
  const struct {
    const char* name;
    Bytes body;
    std::string start, end;
    unsigned mode;
    Text expected;
  } cases[] = {
      {"gzip inflated", GzipCompress(page), "", "", 3, u"<html>before<b>inside & more</b>after</html>"},
      {"zlib inflated", DeflateCompress(page), "", "", 3, u"<html>before<b>inside & more</b>after</html>"},
      {"markers after inflation", GzipCompress(page), "<b>", "</b>", 3, u"inside & more"},
      {"start marker only", GzipCompress(page), "<b>", "", 1, u"inside & more</b>after</html>"},
      {"missing markers keep all", GzipCompress(page), "<i>", "</i>", 3,
       u"<html>before<b>inside & more</b>after</html>"},
  };
  for (const auto& c : cases) {
    UrlResponse r = Response(kGzip, c.body);
    r.startMarker = c.start;
    r.endMarker = c.end;
    EXPECT_EQ(Decode(r, c.mode), c.expected) << c.name;
    EXPECT_EQ(Decode(r, c.mode), c.expected) << c.name << ": decoding again";
  }
}

TEST(GetText, TruncatedStreamGivesItsPart) {
  Text whole;
  for (int i = 0; i < 3000; ++i) whole += u"line " + NumberText(i) + u"\n";
  const Bytes compressed = GzipCompress(ToUtf8(whole));
  const Text text = Decode(Response(kGzip, compressed.substr(0, compressed.size() / 2)), 3);
  EXPECT_FALSE(text.empty());
  EXPECT_LT(text.size(), whole.size());
  EXPECT_TRUE(whole.starts_with(text));
}

TEST(GetText, CompressedReadWithoutInflateIsUnusable) {
  const UrlResponse r = Response(kGzip, GzipCompress("hello hello hello world"));
  const Text text = Decode(r, 2);
  EXPECT_EQ(text.find(u"hello"), Text::npos);
  EXPECT_EQ(Decode(r, 3), u"hello hello hello world");
}

TEST(GetText, UncompressedBodyIsNotTrimmedAgain) {
  // The reader already trimmed an uncompressed reply; GetText leaves it alone.
  UrlResponse r = Response(kOk, "a<b>c");
  r.startMarker = "<b>";
  EXPECT_EQ(Decode(r, 2), u"a<b>c");
}

TEST(InflateGzip, AppendsWholeStreams) {
  const Bytes data(100000, 'x');
  for (const Bytes& compressed : {GzipCompress(data), DeflateCompress(data)}) {
    Bytes out = "kept:";
    EXPECT_TRUE(InflateGzip(compressed.data(), compressed.size(), out));
    EXPECT_EQ(out, "kept:" + data);
  }
}

TEST(InflateGzip, BrokenStreamKeepsWhatWasInflated) {
  Bytes data;
  for (int i = 0; i < 20000; ++i) data += std::to_string(i * 7919 % 10007) + ",";
  const Bytes compressed = GzipCompress(data);
  Bytes out;
  EXPECT_FALSE(InflateGzip(compressed.data(), compressed.size() / 2, out));
  EXPECT_GT(out.size(), 0u);
  EXPECT_LT(out.size(), data.size());
  EXPECT_EQ(out, data.substr(0, out.size()));

  Bytes garbage;
  EXPECT_FALSE(InflateGzip("not compressed at all", 21, garbage));
  EXPECT_TRUE(garbage.empty());
  EXPECT_FALSE(InflateGzip(nullptr, 0, garbage));
}

// `mib` MiB of zeros, compressed as one gzip stream without holding the zeros.
Bytes ZeroBomb(int mib) {
  z_stream zs{};
  deflateInit2(&zs, 1, Z_DEFLATED, 15 + 16, 9, Z_RLE);
  const Bytes zeros(1 << 20, '\0');
  Bytes out;
  char chunk[65536];
  for (int i = 0; i < mib; ++i) {
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    zs.avail_in = static_cast<uInt>(zeros.size());
    const int flush = i == mib - 1 ? Z_FINISH : Z_NO_FLUSH;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(chunk);
      zs.avail_out = sizeof chunk;
      deflate(&zs, flush);
      out.append(chunk, sizeof chunk - zs.avail_out);
    } while (zs.avail_out == 0);
  }
  deflateEnd(&zs);
  return out;
}

TEST(InflateGzip, StopsAtTheOutputLimit) {
  const Bytes bomb = ZeroBomb(4);
  ASSERT_LT(bomb.size(), 20u << 10);
  const struct {
    size_t limit;
    bool whole;
  } cases[] = {{2u << 20, false}, {(4u << 20) - 1, false}, {4u << 20, true}, {(2u << 20) + 1000, false}};
  for (const auto& c : cases) {
    Bytes out = "kept";
    EXPECT_EQ(InflateUpTo(bomb.data(), bomb.size(), out, c.limit), c.whole) << c.limit;
    EXPECT_EQ(out.size(), 4 + std::min<size_t>(c.limit, 4u << 20)) << c.limit;
    EXPECT_EQ(out.find_first_not_of('\0', 4), Bytes::npos) << c.limit;
  }
}

TEST(MarkedBody, TrimsWhileGrowing) {
  const struct {
    const char* name;
    std::vector<std::string> pieces;
    std::string start, end;
    std::string expected;
    bool ended;
  } cases[] = {
      {"start three times", {"a<S>b<S>c<S>rest"}, "<S>", "", "rest", false},
      {"start missing", {"whole body"}, "<S>", "", "whole body", false},
      {"end present", {"head<E>tail"}, "", "<E>", "head", true},
      {"end missing", {"head tail"}, "", "<E>", "head tail", false},
      {"both", {"x<S>y<S>keep<E>drop"}, "<S>", "<E>", "keep", true},
      {"start across pieces", {"aa<", "S", ">bb<S", ">cc"}, "<S>", "", "cc", false},
      {"end across pieces", {"keep<", "E", ">drop"}, "", "<E>", "keep", true},
      {"pieces after the end are ignored", {"keep<E>", "more<E>"}, "", "<E>", "keep", true},
      {"non-overlapping scan", {"aaa"}, "aa", "", "a", false},
      {"end marker before a later start marker", {"1<E>2<S>3"}, "<S>", "<E>", "3", false},
      {"start marker after the end is not searched", {"1<E>2", "<S>3"}, "<S>", "<E>", "1", true},
  };
  for (const auto& c : cases) {
    MarkedBody body(c.start, c.end);
    bool ended = false;
    for (const auto& piece : c.pieces) ended = body.Add(piece);
    EXPECT_EQ(ended, c.ended) << c.name;
    EXPECT_EQ(body.size(), c.expected.size()) << c.name;
    EXPECT_EQ(body.Take(), c.expected) << c.name;
  }
}

TEST(MarkedBody, ManyMarkersOverManyPieces) {
  // Enough trimmed front to be dropped several times on the way.
  MarkedBody body("<S>", "<E>");
  std::string last;
  for (int i = 0; i < 5000; ++i) {
    last = "record " + std::to_string(i);
    ASSERT_FALSE(body.Add("<S>" + last));
  }
  EXPECT_TRUE(body.Add(" tail<E>ignored"));
  EXPECT_EQ(body.Take(), last + " tail");
}

}  // namespace
}  // namespace zentrow::net
