#include "toolkit/ini.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

Bytes Utf16LeWithBom(TextView text) {
  Bytes bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

struct Encoding {
  const char* name;
  Bytes (*encode)(TextView);
};

const Encoding kEncodings[] = {
    {"UTF-16LE with BOM", Utf16LeWithBom},
    {"UTF-8 with BOM", [](TextView t) { return "\xEF\xBB\xBF" + ToUtf8(t); }},
    {"UTF-8", [](TextView t) { return ToUtf8(t); }},
    {"GBK", [](TextView t) { return ToGbk(t); }},
};

class IniFile : public ::testing::Test {
 protected:
  // Writes test.ini and gives its path.
  Text Ini(std::string_view bytes) const {
    dir_.Write("test.ini", bytes);
    return dir_.FileText("test.ini");
  }

  test::TempDir dir_;
};

// Written by hand on Windows: CR LF, blanks around everything, mixed letter case.
constexpr TextView kSample =
    u"; 下载器扩展设置\r\n"
    u"[QQ空间]\r\n"
    u"  V2编码 = UTF8  \r\n"
    u"; V3编码 = BIG5\r\n"
    u"KEY=first\r\n"
    u"key=second\r\n"
    u"quoted = \"  spaced  \"\r\n"
    u"single = 'x'\r\n"
    u"lonequote = \"\r\n"
    u"inner = a \"b\" c\r\n"
    u"empty =\r\n"
    u"noequals\r\n"
    u"[ Other ]\r\n"
    u"number = 42\r\n"
    u"neg = -5\r\n"
    u"junk = 12abc\r\n"
    u"[qq空间]\r\n"
    u"V2编码 = BIG5\r\n"
    u"onlysecond = 1\r\n";

TEST_F(IniFile, LooksUpLikeTheProfileFunctionsInEveryEncoding) {
  struct Row { Text section; Text key; Text expected; };
  const std::vector<Row> rows = {
      {u"QQ空间", u"V2编码", u"UTF8"},
      {u"qq空间", u"v2编码", u"UTF8"},          // case ignored; the first section wins
      {u"QQ空间", u"key", u"first"},             // the first key wins
      {u"QQ空间", u"quoted", u"  spaced  "},
      {u"QQ空间", u"single", u"x"},
      {u"QQ空间", u"lonequote", u"\""},
      {u"QQ空间", u"inner", u"a \"b\" c"},
      {u"QQ空间", u"empty", u""},                // present but empty: not the default
      {u"QQ空间", u"V3编码", u"(default)"},      // commented out
      {u"QQ空间", u"noequals", u"(default)"},
      {u"QQ空间", u"onlysecond", u"(default)"},  // a repeated section is not searched
      {u"OTHER", u"NUMBER", u"42"},
      {u"Missing", u"number", u"(default)"},
  };
  for (const Encoding& encoding : kEncodings) {
    const CIni ini(Ini(encoding.encode(kSample)));
    for (const Row& row : rows) {
      EXPECT_EQ(ini.GetProfileText(row.section, row.key, u"(default)"), row.expected)
          << encoding.name << ": " << ToUtf8(row.section) << "/" << ToUtf8(row.key);
    }
  }
}

TEST_F(IniFile, ReadsNumbersAsUnsigned) {
  struct Row { Text section; Text key; uint32_t expected; };
  const std::vector<Row> rows = {
      {u"Other", u"number", 42},       {u"Other", u"neg", 4294967291u},
      {u"Other", u"junk", 12},         {u"Other", u"missing", 7},
      {u"QQ空间", u"empty", 7},        {u"QQ空间", u"KEY", 0},  // not a number: 0, not the default
  };
  const CIni ini(Ini(ToUtf8(kSample)));
  for (const Row& row : rows) {
    EXPECT_EQ(ini.GetProfileNumber(row.section, row.key, 7), row.expected) << ToUtf8(row.key);
  }
}

TEST_F(IniFile, MissingFileGivesDefaults) {
  const CIni ini(dir_.text() + u"absent.ini");
  EXPECT_EQ(ini.GetProfileText(u"QQ空间", u"V2编码", u"ANSI"), u"ANSI");
  EXPECT_EQ(ini.GetProfileNumber(u"QQ空间", u"取原始名方式", 1), 1u);
}

TEST_F(IniFile, ReadsNoMoreThanOneMebibyte) {
  const Bytes text = "[S]\nearly = 1\n;" + Bytes(1 << 20, 'x') + "\nlate = 2\n";
  const CIni ini(Ini(text));
  EXPECT_EQ(ini.GetProfileText(u"S", u"early"), u"1");
  EXPECT_EQ(ini.GetProfileText(u"S", u"late", u"none"), u"none");
}

using ExtensionSettingsTest = IniFile;

TEST_F(ExtensionSettingsTest, MapsEveryKeyToItsSetting) {
  struct Row {
    const char* what;
    Text ini;
    ExtensionSettings expected;
  };
  const ExtensionSettings defaults;
  auto with = [&](auto change) { ExtensionSettings s = defaults; change(s); return s; };
  const std::vector<Row> rows = {
      {"empty file", u"", defaults},
      {"lower-case utf8 matches no row", u"[QQ空间]\nV2编码=utf8\n", defaults},
      {"only the start compared", u"[QQ空间]\nV2编码=UTF8xyz\nV3编码=AUTO\n",
       with([](auto& s) { s.qzoneEncodingV2 = 2; s.qzoneEncodingV3 = 16; })},
      {"Big5 and ANSI", u"[qq空间]\nV2编码=BIG5\nV3编码=ANSI\n",
       with([](auto& s) { s.qzoneEncodingV2 = 8; })},
      {"unknown word", u"[QQ空间]\nV3编码=GBK\n", defaults},
      {"site-name way", u"[QQ空间]\n取原始名方式=0\n", with([](auto& s) { s.siteNameWay = 0; })},
      {"8-bit truncation", u"[QQ空间]\n取原始名方式=258\n",
       with([](auto& s) { s.siteNameWay = 2; })},
      {"empty number keeps the default", u"[QQ空间]\n取原始名方式=\n", defaults},
      {"price with negative increment", u"[淘宝]\n图片名中是否有价格=有价格\n价格增减=-5\n",
       with([](auto& s) { s.taobaoPriceInName = true; s.taobaoPriceIncrement = -5; })},
      {"no price", u"[淘宝]\n图片名中是否有价格=无\n价格增减=10\n",
       with([](auto& s) { s.taobaoPriceIncrement = 10; })},
      {"number cut to 64 characters",
       u"[淘宝]\n价格增减=" + Text(63, u'0') + u"12345\n",
       with([](auto& s) { s.taobaoPriceIncrement = 1; })},
      {"retrieval ways", u"[Instagram]\n图片获取方式=2\n[京东]\n图片获取方式=3\n",
       with([](auto& s) { s.instagramWay = 2; s.jdWay = 3; })},
  };
  for (const Row& row : rows) {
    dir_.Write("下载器扩展设置.ini", ToGbk(row.ini));
    const ExtensionSettings got = ReadExtensionSettings(dir_.text());
    SCOPED_TRACE(row.what);
    EXPECT_EQ(got.qzoneEncodingV2, row.expected.qzoneEncodingV2);
    EXPECT_EQ(got.qzoneEncodingV3, row.expected.qzoneEncodingV3);
    EXPECT_EQ(got.siteNameWay, row.expected.siteNameWay);
    EXPECT_EQ(got.taobaoPriceInName, row.expected.taobaoPriceInName);
    EXPECT_EQ(got.taobaoPriceIncrement, row.expected.taobaoPriceIncrement);
    EXPECT_EQ(got.instagramWay, row.expected.instagramWay);
    EXPECT_EQ(got.jdWay, row.expected.jdWay);
  }
}

TEST_F(ExtensionSettingsTest, MissingFileLeavesTheInitialValues) {
  dir_.Write("other.ini", "[QQ空间]\nV2编码=UTF8\n");
  for (const Text& folder : {dir_.text(), dir_.text().substr(0, dir_.text().size() - 1)}) {
    const ExtensionSettings got = ReadExtensionSettings(folder);
    EXPECT_EQ(got.qzoneEncodingV2, 0);
    EXPECT_EQ(got.qzoneEncodingV3, 0);
    EXPECT_EQ(got.siteNameWay, 1);
    EXPECT_FALSE(got.taobaoPriceInName);
    EXPECT_EQ(got.taobaoPriceIncrement, 0);
    EXPECT_EQ(got.instagramWay, 1);
    EXPECT_EQ(got.jdWay, 1);
  }
}

TEST_F(ExtensionSettingsTest, FolderWithoutTrailingSlashFindsTheFile) {
  dir_.Write("下载器扩展设置.ini", ToUtf8(u"[京东]\n图片获取方式=0\n"));
  const Text folder = dir_.text();
  EXPECT_EQ(ReadExtensionSettings(folder.substr(0, folder.size() - 1)).jdWay, 0);
}

}  // namespace
}  // namespace zentrow
