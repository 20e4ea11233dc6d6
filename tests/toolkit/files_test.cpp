#include "toolkit/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "support/temp_dir.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;

std::string Show(TextView text) { return ToUtf8(text); }

// A fresh folder under the system temp folder, removed afterwards.
class TempFolder : public ::testing::Test {
 protected:
  test::TempDir dir_;
};

// Runs a test body under a fixed time zone and restores the previous one.
class FixedZone {
 public:
  explicit FixedZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~FixedZone() {
    if (old_) ::setenv("TZ", old_->c_str(), 1); else ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(SafeFileName, CleansNamesTakenFromPages) {
  struct Row { Text input; unsigned number; bool fallback; Text expected; };
  const Text long1200(1200, u'x');
  const Text long999(999, u'y');
  const std::vector<Row> rows = {
      {u"  My  Album?  ", SAFE_NAME_TIMESTAMP, true, u"My Album"},
      {u"...", SAFE_NAME_TIMESTAMP, true, u"。。。"},
      {u"a/b:c", SAFE_NAME_TIMESTAMP, true, u"abc"},
      {u".hidden.", SAFE_NAME_TIMESTAMP, true, u"hidden"},
      {u"a\\b*c?d\"e<f>g|h", SAFE_NAME_TIMESTAMP, true, u"abcdefgh"},
      {u"x\ty", SAFE_NAME_TIMESTAMP, true, u"x_y"},
      {u"a\r\nb\ac", SAFE_NAME_TIMESTAMP, true, u"abc"},
      {u"a     b", SAFE_NAME_TIMESTAMP, true, u"a b"},
      {u"&lt;tag&gt; &amp; &quot;q&quot;", SAFE_NAME_TIMESTAMP, true, u"tag & q"},
      {u". a .", SAFE_NAME_TIMESTAMP, true, u"a"},      // dots off, then the blanks
      {u"..a..b..", SAFE_NAME_TIMESTAMP, true, u"a..b"},
      {u"相册 2013", SAFE_NAME_TIMESTAMP, true, u"相册 2013"},
      {u"???", 7, true, u"pic7"},
      {u"", 12, true, u"pic12"},
      {long1200, 3, true, u"pic3"},
      {long999, 3, true, long999},                        // 999 is still short enough
      {u"", 0, false, u""},
      {u" ?? ", 0, false, u""},
      {long1200, 0, false, long1200},
      // Never "." or "..", whatever blanks and refused characters stand around the dots;
      // dots and blanks go off both ends after every other step.
      {u". . .", 0, false, u""},
      {u". .. .", 0, false, u""},
      {u"| .. |", 0, false, u""},
      {u"..?", 0, false, u""},
      {u"a\t..", 0, false, u"a_"},
      {u". .x", 0, false, u"x"},
      {u"x. .", 0, false, u"x"},
      {u". .. .", 4, true, u"pic4"},
      // No control character survives: U+0000 would end the name early.
      {Text(u"abc\0x", 5), 0, false, u"abcx"},
      {Text(u"\0", 1), 0, false, u""},
      {Text(u"\0", 1), 9, true, u"pic9"},
      {u"a\x01" u"b\x1f\x7f" u"c\x1b" u"d", 0, false, u"abcd"},
  };
  for (const Row& row : rows) {
    Text text = row.input;
    SafeFileName(text, row.number, row.fallback);
    EXPECT_EQ(text, row.expected) << Show(row.input.substr(0, 40));
  }
}

TEST(SafeFileName, EmptyOrOverLongFallsBackToTimestampOfNow) {
  for (Text text : {Text(), Text(1000, u'z'), Text(u" ?. ")}) {
    const Text before = TimestampName(std::time(nullptr));
    SafeFileName(text, SAFE_NAME_TIMESTAMP, true);
    const Text after = TimestampName(std::time(nullptr));
    EXPECT_EQ(text.size(), 14u);
    EXPECT_GE(text, before);
    EXPECT_LE(text, after);
  }
}

TEST(TimestampName, FormatsLocalTime) {
  struct Row { const char* zone; std::time_t time; Text expected; };
  const std::vector<Row> rows = {
      {"UTC0", 0, u"19700101000000"},
      {"UTC0", 1700000000, u"20231114221320"},
      {"CST-8", 1700000000, u"20231115061320"},
  };
  for (const Row& row : rows) {
    FixedZone zone(row.zone);
    EXPECT_EQ(TimestampName(row.time), row.expected) << row.zone << " " << row.time;
  }
}

TEST(IsPictureName, TestsTheExtensionInLowerCase) {
  struct Row { Text name; bool expected; };
  const std::vector<Row> rows = {
      {u"photo.JPEG", true}, {u"photo.webp", false}, {u"a.jpg", true},   {u"x.Gif", true},
      {u"b.bmp", true},      {u"c.png", true},       {u"d.tif", true},   {u"d.tiff", false},
      {u"noext", false},     {u"a.png.txt", false},  {u".jpg", true},    {u"jpg", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsPictureName(row.name), row.expected) << Show(row.name);
}

TEST(NativePath, RoundTripsUtf8) {
  const Text path = u"/tmp/相册 1/ä.jpg";
  EXPECT_EQ(NativePath(path), "/tmp/\xE7\x9B\xB8\xE5\x86\x8C 1/\xC3\xA4.jpg");
  EXPECT_EQ(FromNativePath(NativePath(path)), path);
  // The system would stop at a U+0000 and see a shorter path than the one checked.
  const Text withNul = u"/run/../evil" + Text(1, u'\0') + u"/../save/y";
  const std::string native = NativePath(withNul);
  EXPECT_EQ(native.find('\0'), std::string::npos);
  EXPECT_EQ(native, "/run/../evil\xEF\xBF\xBD/../save/y");
}

using FixPictureExtensionTest = TempFolder;

TEST_F(FixPictureExtensionTest, RenamesToTheExtensionTheContentCallsFor) {
  struct Row { std::string content; std::string name; std::string expected; };
  using namespace std::string_literals;
  const std::vector<Row> rows = {
      {"\x89PNG\r\n\x1A\n"s, "a.jpg", "a.png"},
      {"GIF89a"s, "b.jpg", "b.gif"},
      {"\xFF\xD8\xFF\xE0"s, "c.png", "c.jpg"},
      {"BM6\0\0\0"s, "d.jpg", "d.bmp"},
      {"\0\0\x02\0\0\0\0"s, "e.jpg", "e.tga"},
      {"\0\0\x10\0\0"s, "f.jpg", "f.tga"},
      {"\0\0\x02"s, "g.jpg", "g.tga"},            // missing bytes count as 0
      {"\0\0\x01\0\x01\0"s, "h.jpg", "h.ico"},
      {"\0\0\x02\0\x01\0"s, "i.jpg", "i.cur"},    // not .tga: byte 4 is 01
      {"MM\0*"s, "j.jpg", "j.tiff"},
      {"II*\0"s, "k.jpg", "k.tiff"},
      {"hello world"s, "l.jpg", "l.jpg"},          // no row matches
      {""s, "m.gif", "m.gif"},                      // all zeros matches no row
      {"\xFF\xD8"s, "n.JPG", "n.jpg"},
      {"\x89PNG"s, "noext", "noext.png"},
      {"\x89PNG"s, "dotted.dir/pic", "dotted.dir/pic.png"},  // a dot in a folder is no extension
      {"GIF8"s, "dotted.dir/p.x.jpg", "dotted.dir/p.x.gif"},
  };
  fs::create_directory(dir_.File("dotted.dir"));
  for (const Row& row : rows) {
    dir_.Write(row.name, row.content);
    Text path = dir_.FileText(row.name);
    EXPECT_TRUE(FixPictureExtension(path)) << row.name;
    EXPECT_EQ(path, dir_.FileText(row.expected)) << row.name;
    EXPECT_EQ(dir_.Read(row.expected), row.content) << row.name;
    if (row.expected != row.name) {
      EXPECT_FALSE(fs::exists(dir_.File(row.name))) << row.name;
    }
  }
}

TEST_F(FixPictureExtensionTest, FailsWithoutAFile) {
  for (Text path : {dir_.FileText("missing.jpg"), dir_.FileText("")}) {
    const Text before = path;
    EXPECT_FALSE(FixPictureExtension(path));
    EXPECT_EQ(path, before);
  }
}

TEST_F(FixPictureExtensionTest, NeverReplacesAnotherFileOfTheNewName) {
  dir_.Write("x.jpg", "\x89PNG new");
  dir_.Write("x.png", "older picture");
  Text path = dir_.FileText("x.jpg");
  EXPECT_FALSE(FixPictureExtension(path));
  EXPECT_EQ(path, dir_.FileText("x.jpg"));  // still names the file as it is on disk
  EXPECT_EQ(dir_.Read("x.jpg"), "\x89PNG new");
  EXPECT_EQ(dir_.Read("x.png"), "older picture");
}

using MakeFolderPathTest = TempFolder;

TEST_F(MakeFolderPathTest, CreatesEveryMissingFolder) {
  struct Row { std::string input; std::string expected; };
  const std::vector<Row> rows = {
      {"a/b", "a/b/"},
      {"a/b/c/", "a/b/c/"},           // partly there already
      {"d/相册 1  ", "d/相册 1/"},     // trimmed at both ends
      {"e//f", "e//f/"},
  };
  for (const Row& row : rows) {
    Text path = u"  " + dir_.FileText(row.input);
    Text reported;
    EXPECT_TRUE(MakeFolderPath(path, [&](const Text& folder) { reported = folder; })) << row.input;
    EXPECT_EQ(path, dir_.FileText(row.expected));
    EXPECT_TRUE(fs::is_directory(NativePath(path))) << row.input;
    EXPECT_EQ(reported, u"");
  }
}

TEST_F(MakeFolderPathTest, ReportsTheFolderItCannotCreate) {
  dir_.Write("file", "not a folder");
  struct Row { std::string input; std::string reported; };
  const std::vector<Row> rows = {
      {"file/sub/deeper", "file"},
      {"file", "file"},  // a file where the folder should be is no success
  };
  for (const Row& row : rows) {
    Text path = dir_.FileText(row.input);
    Text reported;
    EXPECT_FALSE(MakeFolderPath(path, [&](const Text& folder) { reported = folder; })) << row.input;
    EXPECT_EQ(reported, dir_.FileText(row.reported));
    Text again = dir_.FileText(row.input);
    EXPECT_FALSE(MakeFolderPath(again));  // no callback given
  }
}

TEST_F(MakeFolderPathTest, EmptyPathIsTheCurrentFolder) {
  Text path = u"   ";
  EXPECT_TRUE(MakeFolderPath(path));
  EXPECT_EQ(path, u"");
}

using FileTimesTest = TempFolder;

TEST_F(FileTimesTest, SetsAccessAndModificationTimesOnlyForPositiveTimes) {
  dir_.Write("f", "x");
  fs::create_directory(dir_.File("d"));
  struct stat st;
  ASSERT_EQ(::stat(dir_.File("f").c_str(), &st), 0);
  const time_t original = st.st_mtime;

  struct Row { void (*set)(TextView, int64_t); std::string name; int64_t t; int64_t expected; };
  const std::vector<Row> rows = {
      {SetFileTimes, "f", 0, original},
      {SetFileTimes, "f", -5, original},
      {SetFileTimes, "f", 1000000000, 1000000000},
      {SetFolderTimes, "d", 1234567890, 1234567890},
  };
  for (const Row& row : rows) {
    row.set(dir_.FileText(row.name), row.t);
    ASSERT_EQ(::stat(dir_.File(row.name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, row.expected) << row.name << " " << row.t;
    if (row.t > 0) {
      EXPECT_EQ(st.st_atime, row.expected);
    }
  }
  SetFileTimes(dir_.FileText("missing"), 1000000000);  // quietly nothing
  EXPECT_FALSE(FileExists(dir_.FileText("missing")));
}

using WriteTextFileTest = TempFolder;

TEST_F(WriteTextFileTest, WritesByteOrderMarkThenTheBytes) {
  dir_.Write("dump.tmp", std::string(100, 'o'));  // a longer old file is replaced, not overwritten
  WriteTextFile(dir_.FileText("dump.tmp"), std::string_view("A\0B\0", 4));
  EXPECT_EQ(dir_.Read("dump.tmp"), std::string("\xFF\xFE" "A\0B\0", 6));

  WriteTextFile(dir_.FileText("text.tmp"), TextView(u"A中"));
  EXPECT_EQ(dir_.Read("text.tmp"), std::string("\xFF\xFE" "A\0\x2D\x4E", 6));
}

TEST_F(WriteTextFileTest, NoNameMeansOneTxtInTheCurrentFolder) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir_.path());
  WriteTextFile(u"", std::string_view("x\0", 2));
  fs::current_path(previous);
  EXPECT_EQ(dir_.Read("1.txt"), std::string("\xFF\xFEx\0", 4));
}

}  // namespace
}  // namespace zentrow
