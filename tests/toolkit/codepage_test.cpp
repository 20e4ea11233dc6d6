#include "toolkit/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace zentrow {
namespace {

struct RoundTrip {
  int codePage;
  const char16_t* text;
  std::string bytes;
};

TEST(CodePage, RealTextRoundTrips) {
  const RoundTrip cases[] = {
      {CP_GBK, u"你好，世界", "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7"},
      {CP_GBK, u"中文 abc 123", "\xD6\xD0\xCE\xC4 abc 123"},
      {CP_GBK, u"€", "\x80"},  // the one single-byte extra of code page 936
      {CP_BIG5, u"你好，世界", "\xA7\x41\xA6\x6E\xA1\x41\xA5\x40\xAC\xC9"},
      {CP_BIG5, u"繁體中文", "\xC1\x63\xC5\xE9\xA4\xA4\xA4\xE5"},
      {CP_EUCKR, u"한국어", "\xC7\xD1\xB1\xB9\xBE\xEE"},
      {CP_UTF8, u"你好 \U0001F600", "\xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x98\x80"},
      {CP_UTF8, u"é", "\xC3\xA9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "code page " << c.codePage << " row " << (&c - cases));
    EXPECT_EQ(ToCodePage(c.text, c.codePage), c.bytes);
    EXPECT_EQ(FromCodePage(c.bytes, c.codePage), c.text);
  }
}

TEST(CodePage, GbkHelpersMatchCodePage936) {
  EXPECT_EQ(ToGbk(u"你好"), "\xC4\xE3\xBA\xC3");
  EXPECT_EQ(ToUtf8(u"你好"), "\xE4\xBD\xA0\xE5\xA5\xBD");
  EXPECT_EQ(FromUtf8("\xE4\xBD\xA0"), u"你");
  EXPECT_EQ(FromAnsi("\xC4\xE3"), u"你");
}

struct DecodeCase {
  int codePage;
  std::string bytes;
  const char16_t* text;
};

TEST(CodePage, InvalidBytesBecomeReplacementAndDecodingGoesOn) {
  const DecodeCase cases[] = {
      {CP_GBK, "\xC4\xE3\xFF\xBA\xC3", u"你\uFFFD好"},
      {CP_GBK, "\xC4\xE3\xC4", u"你\uFFFD"},  // lead byte cut off at the end
      {CP_GBK, "\xC4 x", u"\uFFFD x"},  // a lead byte without its trail byte
      {CP_BIG5, "\xA7\x41\xFF\xA6\x6E", u"你\uFFFD好"},
      {CP_EUCKR, "\xC7\xD1\xFF\xB1\xB9", u"한\uFFFD국"},
      {CP_UTF8, "\xE4\xBD\xA0\xFF\xE5\xA5\xBD", u"你\uFFFD好"},
      {CP_UTF8, "a\xE4\xBD", u"a\uFFFD\uFFFD"},
      {CP_UTF8, "\xC0\xAF", u"\uFFFD\uFFFD"},          // overlong
      {CP_UTF8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
      {CP_UTF8, "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
  };
  for (const auto& c : cases)
    EXPECT_EQ(FromCodePage(c.bytes, c.codePage), c.text) << "row " << (&c - cases);
}

TEST(CodePage, UnencodableCharactersBecomeQuestionMarks) {
  struct Case {
    int codePage;
    const char16_t* text;
    std::string bytes;
  };
  const Case cases[] = {
      {CP_GBK, u"a\U0001F600b", "a?b"},  // one mark for a surrogate pair
      {CP_GBK, u"你한好", "\xC4\xE3?\xBA\xC3"},
      {CP_BIG5, u"\U0001F600", "?"},
      {CP_EUCKR, u"\U0001F600x", "?x"},
      {CP_GBK, u"\xD800" u"A", "?A"},  // a lone high surrogate keeps what follows
      {CP_GBK, u"A\xDC00", "A?"},
      {CP_GBK, u"A\xD800", "A?"},
      {CP_UTF8, u"\xD800" u"A", "?A"},
      {CP_UTF8, u"\xDC00\xD800", "??"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToCodePage(c.text, c.codePage), c.bytes) << "row " << (&c - cases);
}

TEST(CodePage, ZeroBytesAreKeptByFromCodePage) {
  for (int codePage : {CP_GBK, CP_BIG5, CP_EUCKR, CP_UTF8}) {
    EXPECT_EQ(FromCodePage(std::string("a\0b", 3), codePage), Text(u"a\0b", 3)) << codePage;
    EXPECT_EQ(ToCodePage(Text(u"a\0b", 3), codePage), std::string("a\0b", 3)) << codePage;
  }
  EXPECT_EQ(FromCodePage(std::string("\xC4\xE3\0\xBA\xC3", 5), CP_GBK), Text(u"你\0好", 3));
}

TEST(CodePage, FromAnsiStopsAtTheFirstZero) {
  EXPECT_EQ(FromAnsi("\xC4\xE3\0\xBA\xC3"), u"你");
  EXPECT_EQ(FromAnsi(""), u"");
  EXPECT_EQ(FromAnsi(nullptr), u"");
}

TEST(CodePage, UnknownCodePageGivesEmpty) {
  EXPECT_EQ(FromCodePage("abc", 1252), u"");
  EXPECT_EQ(ToCodePage(u"abc", 1252), "");
  EXPECT_EQ(FromCodePage("abc", 0), u"");
  EXPECT_EQ(FromCodePage("", CP_GBK), u"");
  EXPECT_EQ(ToCodePage(u"", CP_GBK), "");
}

TEST(CodePage, LargeTextsConvertCompletely) {
  Text text;
  for (int i = 0; i < 50000; ++i) text += u"中a";
  Bytes gbk = ToGbk(text);
  EXPECT_EQ(gbk.size(), 150000u);
  EXPECT_EQ(FromCodePage(gbk, CP_GBK), text);
  // Many invalid bytes, each its own replacement character.
  EXPECT_EQ(FromCodePage(std::string(70000, '\xFF'), CP_GBK), Text(70000, u'\uFFFD'));
  EXPECT_EQ(ToGbk(Text(70000, u'\uAC00')), std::string(70000, '?'));
}

TEST(CodePage, ThreadsConvertIndependently) {
  auto work = [](int codePage, const char16_t* text, bool* ok) {
    *ok = true;
    for (int i = 0; i < 2000; ++i)
      *ok = *ok && FromCodePage(ToCodePage(text, codePage), codePage) == text;
  };
  bool ok1 = false, ok2 = false;
  std::thread a(work, CP_GBK, u"你好世界", &ok1);
  std::thread b(work, CP_BIG5, u"繁體中文", &ok2);
  a.join();
  b.join();
  EXPECT_TRUE(ok1);
  EXPECT_TRUE(ok2);
}

}  // namespace
}  // namespace zentrow
