#include "toolkit/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ctime>
#include <string>

#include "toolkit/codepage.h"

namespace zentrow {
namespace {

// ---- Marker cuts --------------------------------------------------------------------

struct CutCase {
  const char16_t* text;
  const char16_t* start;
  const char16_t* end;
  unsigned mode;
  const char16_t* result;
  const char16_t* left;  // the text after the call
};

TEST(CutBetween, CasesOnViewAndString) {
  const CutCase cases[] = {
      {u"a[1]b[2]", u"[", u"]", CUT_ADVANCE, u"1", u"1]b[2]"},
      {u"a[1]b[2]", u"[", u"]", 0, u"1", u"a[1]b[2]"},
      {u"x=1", u"y=", u";", 0, u"", u"x=1"},
      {u"x=1", u"y=", u";", CUT_ADVANCE, u"", u"x=1"},
      {u"x=1", u"y=", u";", CUT_ADVANCE | CUT_REST, u"", u"x=1"},
      {u"k=v", u"k=", u";", CUT_REST, u"v", u"k=v"},
      {u"k=v", u"k=", u";", 0, u"", u"k=v"},
      {u"k=v", u"k=", u";", CUT_ADVANCE, u"", u"v"},
      {u"k=v", u"k=", u";", CUT_ADVANCE | CUT_REST, u"v", u"v"},
      {u"k=v;w", u"k=", u";", CUT_REST, u"v", u"k=v;w"},  // the end marker still wins
      {u"abc", u"", u"b", CUT_ADVANCE, u"a", u"abc"},     // empty start matches at 0
      {u"abc", u"a", u"", CUT_ADVANCE, u"", u"bc"},       // empty end gives nothing
      {u"abc", u"a", u"", CUT_REST, u"", u"abc"},
      {u"<<a>>", u"<", u">", CUT_ADVANCE, u"<a", u"<a>>"},
      {u"k=\"\"", u"k=\"", u"\"", CUT_ADVANCE, u"", u"\""},
      {u"", u"a", u"b", CUT_ADVANCE | CUT_REST, u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << (&c - cases));
    TextView view = c.text;
    EXPECT_EQ(CutBetween(view, c.start, c.end, c.mode), c.result);
    EXPECT_EQ(view, c.left);
    Text text = c.text;
    EXPECT_EQ(CutBetween(text, c.start, c.end, c.mode), c.result);
    EXPECT_EQ(text, c.left);
  }
}

TEST(CutBetween, AdvanceWalksThroughFieldsInPageOrder) {
  TextView page = u"a[1]b[2]";
  EXPECT_EQ(CutBetween(page, u"[", u"]", CUT_ADVANCE), u"1");
  EXPECT_EQ(CutBetween(page, u"[", u"]", CUT_ADVANCE), u"2");
  EXPECT_EQ(page, u"2]");
  EXPECT_EQ(CutBetween(page, u"[", u"]", CUT_ADVANCE), u"");
  EXPECT_EQ(page, u"2]");

  // A field earlier than the current position is no longer found.
  Text record = u"\"id\":\"7\",\"name\":\"n\",\"url\":\"u\"";
  EXPECT_EQ(CutBetween(record, u"name\":\"", u"\"", CUT_ADVANCE), u"n");
  EXPECT_EQ(CutBetween(record, u"id\":\"", u"\"", CUT_ADVANCE), u"");
  EXPECT_EQ(CutBetween(record, u"url\":\"", u"\"", CUT_ADVANCE), u"u");
}

TEST(CutBetween, MarkersMayPointIntoTheTextItself) {
  Text text = u"=ab=cd";
  TextView marker = TextView(text).substr(0, 1);
  EXPECT_EQ(CutBetween(text, marker, marker, CUT_ADVANCE), u"ab");
  EXPECT_EQ(text, u"ab=cd");
}

struct DeleteCase {
  const char16_t* text;
  const char16_t* marker;
  bool include;
  long position;
  const char16_t* left;
};

TEST(DeleteThrough, Cases) {
  const DeleteCase cases[] = {
      {u"ab=cd", u"=", true, 2, u"cd"},
      {u"ab=cd", u"=", false, 2, u"=cd"},
      {u"a=b=c", u"=", true, 1, u"b=c"},
      {u"abc", u"x", true, -1, u"abc"},
      {u"abc", u"", true, 0, u"abc"},
      {u"com/p/123?x", u"com/p/", true, 0, u"123?x"},
      {u"abc", u"abc", true, 0, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << (&c - cases));
    TextView view = c.text;
    EXPECT_EQ(DeleteThrough(view, c.marker, c.include), c.position);
    EXPECT_EQ(view, c.left);
    Text text = c.text;
    EXPECT_EQ(DeleteThrough(text, c.marker, c.include), c.position);
    EXPECT_EQ(text, c.left);
  }
}

struct TruncateCase {
  const char16_t* text;
  const char16_t* marker;
  long position;
  const char16_t* left;
  const char16_t* before;  // TextBefore of the same text and marker
};

TEST(TruncateAtAndTextBefore, Cases) {
  const TruncateCase cases[] = {
      {u"a?b?c", u"?", 1, u"a", u"a"},
      {u"abc", u"?", -1, u"abc", u""},
      {u"?x", u"?", 0, u"", u""},
      {u"名字_新浪博客", u"_新浪", 2, u"名字", u"名字"},
      {u"123\\\"x", u"\\\"", 3, u"123", u"123"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << (&c - cases));
    TextView view = c.text;
    EXPECT_EQ(TruncateAt(view, c.marker), c.position);
    EXPECT_EQ(view, c.left);
    Text text = c.text;
    EXPECT_EQ(TruncateAt(text, c.marker), c.position);
    EXPECT_EQ(text, c.left);
    EXPECT_EQ(TextBefore(c.text, c.marker), c.before);
  }
}

// ---- Counting and splitting ---------------------------------------------------------

TEST(CountOf, Cases) {
  struct Case {
    const char16_t* text;
    const char16_t* marker;
    int count;
  };
  const Case cases[] = {
      {u"aaaa", u"aa", 2}, {u"aaa", u"aa", 1}, {u"a,b,", u",", 2},
      {u"abc", u"x", 0},   {u"abc", u"", 0},   {u"", u",", 0},
      {u"\\u4f60\\u597d", u"\\u", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(CountOf(c.text, c.marker), c.count) << c.count;
}

struct SplitCase {
  const char16_t* text;
  const char16_t* separator;
  int n;
  TextList pieces;
};

TEST(SplitN, Cases) {
  const SplitCase cases[] = {
      {u"a,b,c", u",", 2, {u"a", u"b", u"c"}},
      {u"a,b,c", u",", 1, {u"a", u"b"}},  // the piece after the second separator is dropped
      {u"a,b,c", u",", 0, {u"a"}},
      {u"a,b", u",", 3, {u"a", u"b", u"b", u"b"}},  // beyond the last separator: the rest
      {u"a<>b", u"<>", 1, {u"a", u"b"}},
      {u"abc", u"", 1, {u"abc", u"abc"}},  // an empty separator never matches
      {u"abc", u",", -1, {}},
      {u"", u",", 0, {u""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << (&c - cases));
    TextList list = {u"left over"};
    SplitN(c.text, c.separator, c.n, list);
    EXPECT_EQ(list, c.pieces);
  }
}

TEST(SplitText, Cases) {
  const SplitCase cases[] = {
      {u"abc", u",", 0, {}},
      {u"a,b,", u",", 2, {u"a", u"b", u""}},
      {u",", u",", 1, {u"", u""}},
      {u"head{\"id\":1}{\"id\":2}", u"{\"id\"", 2, {u"head", u":1}", u":2}"}},
      {u"a,,b", u",", 2, {u"a", u"", u"b"}},
      {u"aaaa", u"aa", 2, {u"", u"", u""}},
      {u"abc", u"", 0, {}},
      {u"", u",", 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << (&c - cases));
    TextList list = {u"left over"};
    EXPECT_EQ(SplitText(c.text, c.separator, list), c.n);
    EXPECT_EQ(list, c.pieces);
  }
}

// ---- Decoders -----------------------------------------------------------------------

struct MapCase {
  const char16_t* in;
  const char16_t* out;
};

TEST(UnescapeUnicode, Cases) {
  const MapCase cases[] = {
      {u"\\u4f60\\u597dX", u"你好X"},
      {u"a\\u12", u"a12"},
      {u"\\u4F60", u"你"},
      {u"\\u0041BC", u"ABC"},
      {u"\\ud83d\\ude00!", u"\U0001F600!"},  // a surrogate pair written as two escapes
      {u"\\u12\\u4f60", u"12你"},
      {u"C:\\users", u"C:sers"},  // not four hex digits: only the "\u" goes
      {u"\\u", u""},
      {u"\\\\u0041", u"\\A"},
      {u"\\n\\/\\\"", u"\\n\\/\\\""},  // other escapes are left alone
      {u"plain", u"plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnescapeUnicode(c.in), c.out) << "input #" << (&c - cases);
}

TEST(DecodeEntities, Cases) {
  const MapCase cases[] = {
      {u"&quot;a&quot; &amp; &lt;b&gt;&nbsp;&hellip;&#39;", u"\"a\" & <b> \u2026'"},
      {u"&amp;amp;", u"&amp;"},   // one pass per entity: its own output is not rescanned
      {u"&amp;lt;", u"<"},        // "&amp;" comes before "&lt;"
      {u"&amp;quot;", u"&quot;"}, // ... but after "&quot;"
      {u"&amp;#39;", u"'"},
      {u"&#34;&copy;&lt", u"&#34;&copy;&lt"},
      {u"AT&T", u"AT&T"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    Text text = c.in;
    DecodeEntities(text);
    EXPECT_EQ(text, c.out) << "input #" << (&c - cases);
  }
}

TEST(StripTags, Cases) {
  const MapCase cases[] = {
      {u"<b>bold</b> and <i>x", u"bold and x"},
      {u"a<>b<i>c", u"a<>b<i>c"},  // an empty tag ends the removal
      {u"<p>1</p><p>2</p><br/>", u"12"},
      {u"<a href=\"x\">链接</a>", u"链接"},
      {u"1 < 2 > 0", u"1  0"},  // prose between "<" and ">" goes like a tag
      {u"a<b", u"a<b"},
      {u"a>b<", u"a>b<"},
      {u"<i>x<>y<i>", u"x<>y"},  // tags after "<>" are still removed when seen before it
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(StripTags(c.in), c.out) << "input #" << (&c - cases);
}

TEST(ReplaceAll, Cases) {
  struct Case {
    const char16_t* text;
    const char16_t* from;
    const char16_t* to;
    int count;
    const char16_t* out;
  };
  const Case cases[] = {
      {u"http:\\/\\/a\\/b", u"\\/", u"/", 3, u"http://a/b"},
      {u"aaa", u"aa", u"b", 1, u"ba"},
      {u"a", u"a", u"aa", 1, u"aa"},  // no rescan of the replacement
      {u"abc", u"", u"x", 0, u"abc"},
      {u"abc", u"d", u"x", 0, u"abc"},
      {u"feed12feed", u"feed", u"", 2, u"12"},
  };
  for (const auto& c : cases) {
    Text text = c.text;
    EXPECT_EQ(ReplaceAll(text, c.from, c.to), c.count);
    EXPECT_EQ(text, c.out);
  }
}

TEST(ReplaceList, PairwiseOrWhole) {
  struct Case {
    const char16_t* text;
    const char16_t* finds;
    const char16_t* replacements;
    const char16_t* out;
  };
  const Case cases[] = {
      {u"a-b_c", u"-|_", u" |.", u"a b.c"},
      {u"abc", u"a|b", u"b|c", u"ccc"},          // pairs apply in order
      {u"abc", u"|b", u"X|Y", u"aYc"},           // an empty find does nothing
      {u"abc", u"b", u"Q", u"aQc"},              // no "|" at all: one pair
      {u"x|y and x", u"x|y", u"z", u"z and x"},  // counts differ: the whole texts
      {u"x|y and x", u"x|y", u"", u" and x"},
      {u"abc", u"", u"", u"abc"},
  };
  for (const auto& c : cases) {
    Text text = c.text;
    ReplaceList(text, c.finds, c.replacements);
    EXPECT_EQ(text, c.out) << "row " << (&c - cases);
  }
}

TEST(UrlDecode, Cases) {
  const MapCase cases[] = {
      {u"%E4%BD%A0%E5%A5%BD", u"你好"},
      {u"%e4%bd%a0x", u"你x"},
      {u"kw=%E5%90%A7&fp=1", u"kw=吧&fp=1"},
      {u"a+b%2Fc", u"a+b/c"},
      {u"abc%G1def", u"abc"},  // a bad "%" stops decoding
      {u"abc%4", u"abc"},
      {u"%", u""},
      {u"你", u"\uFFFD\uFFFD"},  // the GBK bytes of plain Chinese are not UTF-8
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << "input #" << (&c - cases);
}

TEST(UrlDecode, ProducesAtMost1023Bytes) {
  EXPECT_EQ(UrlDecode(Text(2000, u'a')), Text(1023, u'a'));
  Text escaped;
  for (int i = 0; i < 1100; ++i) escaped += u"%41";
  EXPECT_EQ(UrlDecode(escaped), Text(1023, u'A'));
}

TEST(IsUtf8, Cases) {
  struct Case {
    std::string bytes;
    bool utf8;
  };
  const Case cases[] = {
      {"abc", false},
      {"\xE4\xBD\xA0", true},
      {"a\xE4\xBD\xA0" "b", true},
      {"\xC4", false},
      {"", false},
      {"\x80", false},
      {"\xC4\xE3", false},  // GBK
      {"\xE4\xBD", false},  // cut short
      {"\xE4\xBD\xA0\xE5", false},
      {"\xF0\x9F\x98\x80", true},
      {"\xF8\x80\x80\x80\x80", true},      // long old-style forms pass
      {"\xFE\x80\x80\x80\x80", true},
      {"\xFC\x80\x80\x80\x80\x80", true},
      {"\xFC\x80\x80\x80\x80", false},
      {std::string("\xC3\xA9\0", 3), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsUtf8(c.bytes), c.utf8) << "row " << (&c - cases);
}

// ---- Numbers ------------------------------------------------------------------------

TEST(RandomFraction, SixteenDecimalsAndLineFeedFromTheTime) {
  Text first, second;
  for (int attempt = 0; attempt < 5; ++attempt) {  // retry if a second boundary is crossed
    std::time_t before = std::time(nullptr);
    first = RandomFraction();
    second = RandomFraction();
    if (std::time(nullptr) == before) break;
  }
  EXPECT_EQ(first, second);
  ASSERT_EQ(first.size(), 19u);  // "0." + sixteen digits + line feed
  EXPECT_EQ(first[1], u'.');
  EXPECT_EQ(first.back(), u'\n');
  std::string ascii(first.begin(), first.end());
  for (size_t i : {0, 2, 3, 16}) EXPECT_TRUE(ascii[i] >= '0' && ascii[i] <= '9') << ascii;
  double value = std::stod(ascii);
  EXPECT_GE(value, 0.0);
  EXPECT_LE(value, 1.0);
  double draw = value * 32767.0;  // one draw of 0..32767 scaled
  EXPECT_NEAR(draw, std::round(draw), 1e-6);
}

TEST(TokenHash, Cases) {
  EXPECT_EQ(TokenHash(u""), 5381u);
  EXPECT_EQ(TokenHash(u"a"), 177670u);
  EXPECT_EQ(TokenHash(u"abc"), 193485963u);
  EXPECT_EQ(TokenHash(u"@MsKey_1234567890abcdef"), 2046394671u);  // wraps and masks
  EXPECT_EQ(TokenHash(u"你好"), 6553378u);  // code units, not bytes
}

TEST(ParseUnsigned, LikeStrtoul) {
  struct Case {
    const char16_t* text;
    uint32_t value;
  };
  const Case cases[] = {
      {u"123", 123},
      {u"  42abc", 42},
      {u"\t\r\n 9", 9},
      {u"+7", 7},
      {u"-5", 4294967291u},
      {u"-0", 0},
      {u"007", 7},
      {u"abc", 0},
      {u"", 0},
      {u"- 5", 0},
      {u"--5", 0},
      {u"0x1A", 0},
      {u"\uFF11\uFF12", 0},  // full-width digits are not digits
      {u"4294967295", 4294967295u},
      {u"4294967296", 4294967295u},
      {u"99999999999999999999", 4294967295u},
      {u"-4294967296", 4294967295u},
      {u"12,345", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseUnsigned(c.text), c.value) << "row " << (&c - cases);
}

// ---- Small helpers ------------------------------------------------------------------

TEST(Trim, BothFormsAgree) {
  const MapCase cases[] = {
      {u"  a b \r\n", u"a b"},
      {u"\v\fx\t", u"x"},
      {u"   ", u""},
      {u"", u""},
      {u"\u3000x\u3000", u"\u3000x\u3000"},  // only ASCII blanks
      {u"x", u"x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Trim(c.in), c.out) << "input #" << (&c - cases);
    Text text = c.in;
    TrimInPlace(text);
    EXPECT_EQ(text, c.out) << "input #" << (&c - cases);
  }
}

TEST(FromAsciiAndNumberText, Cases) {
  EXPECT_EQ(FromAscii("http://a/b?c=1"), u"http://a/b?c=1");
  EXPECT_EQ(FromAscii(std::string_view("a\0b", 3)), Text(u"a\0b", 3));
  EXPECT_EQ(NumberText(0), u"0");
  EXPECT_EQ(NumberText(-12), u"-12");
  EXPECT_EQ(NumberText(LLONG_MIN), u"-9223372036854775808");
}

}  // namespace
}  // namespace zentrow
