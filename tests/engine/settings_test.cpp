#include "engine/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "engine/catalogue.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
 protected:
  // The folder without its trailing "/", which Load adds.
  Text Folder() const { return FromNativePath(dir_.path().string()); }
  void PutImage(const Bytes& image) const { dir_.Write("soft.dat", image); }
  Bytes Image() const { return dir_.Read("soft.dat"); }
  static uint16_t U16At(const Bytes& image, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(image.at(at)) |
                                 static_cast<unsigned char>(image.at(at + 1)) << 8);
  }
  static void SetU16(Bytes& image, size_t at, uint16_t value) {
    image.at(at) = static_cast<char>(value & 0xFF);
    image.at(at + 1) = static_cast<char>(value >> 8);
  }
  // The UTF-16LE units of a text field, up to its terminating zero.
  static Text TextAt(const Bytes& image, size_t at, size_t units) {
    Text text;
    for (size_t i = 0; i < units && U16At(image, at + 2 * i) != 0; ++i) text += U16At(image, at + 2 * i);
    return text;
  }

  test::TempDir dir_;
};

TEST_F(SettingsFileTest, FirstRunWritesTheDefaults) {
  SettingsFile settings;
  settings.Load(Folder());
  const Bytes image = Image();
  ASSERT_EQ(image.size(), 19808u);

  for (int slot = 0; slot < SettingsFile::kSlots; ++slot) {
    SCOPED_TRACE(slot);
    const DownloadParams& p = settings.Params(slot);
    EXPECT_EQ(p.threadCount, 5);
    EXPECT_EQ(p.timeoutSeconds, 30);
    EXPECT_EQ(p.minSizeKb, 0);
    EXPECT_EQ(p.maxSizeKb, 0);
    const NamingRecord& r = settings.Naming(slot);
    uint16_t flags = OPT_OPEN_FOLDER;
    if (slot == SITE_YUPOO) flags |= OPT_YUPOO_BIG | OPT_FIX_ORDER;
    if (slot == SITE_SHOPS || slot == SITE_JD) flags |= OPT_FIX_ORDER;
    EXPECT_EQ(r.optionFlags, flags);
    EXPECT_EQ(r.baseName, slot == SITE_51 ? BASE_NUMBER : BASE_DESCRIPTION);
    EXPECT_EQ(r.filePrefix.Get(), slot == SITE_INSTAGRAM ? u"?2) " : u"");
    EXPECT_EQ(U16At(image, 192 + slot * 484 + 480), flags);
  }
  EXPECT_EQ(SITE_YUPOO, 7);
  EXPECT_EQ(SITE_51, 8);
  EXPECT_EQ(SITE_SHOPS, 11);
  EXPECT_EQ(SITE_JD, 16);
  EXPECT_EQ(SITE_INSTAGRAM, 17);
  EXPECT_EQ(TextAt(image, 192 + 17 * 484, 40), u"?2) ");
  EXPECT_EQ(U16At(image, 4), 5);
  EXPECT_EQ(U16At(image, 6), 30);
}

TEST_F(SettingsFileTest, DefaultsApplyOnlyWithoutAFile) {
  {
    SettingsFile settings;
    settings.Load(Folder());
    settings.Naming(3).optionFlags = 0;  // the user untick "open folder"
    ASSERT_TRUE(settings.Save());
  }
  SettingsFile again;
  again.Load(Folder());
  EXPECT_EQ(again.Naming(3).optionFlags, 0);
  EXPECT_EQ(again.Naming(SITE_YUPOO).optionFlags, OPT_OPEN_FOLDER | OPT_YUPOO_BIG | OPT_FIX_ORDER);
}

TEST_F(SettingsFileTest, InvalidDownloadParametersAreCorrectedOnLoad) {
  struct Row { uint16_t threads, timeout, expectedThreads, expectedTimeout; };
  const std::vector<Row> rows = {
      {20, 5, 5, 30}, {0, 9, 5, 30}, {16, 10, 5, 10}, {1, 10, 1, 10}, {15, 600, 15, 600},
      {0xFFFF, 0, 5, 30},
  };
  Bytes image(19808, '\0');
  for (size_t slot = 0; slot < rows.size(); ++slot) {
    SetU16(image, slot * 8 + 4, rows[slot].threads);
    SetU16(image, slot * 8 + 6, rows[slot].timeout);
  }
  PutImage(image);
  SettingsFile settings;
  settings.Load(Folder());
  for (size_t slot = 0; slot < rows.size(); ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(settings.Params(static_cast<int>(slot)).threadCount, rows[slot].expectedThreads);
    EXPECT_EQ(settings.Params(static_cast<int>(slot)).timeoutSeconds, rows[slot].expectedTimeout);
    EXPECT_EQ(settings.Naming(static_cast<int>(slot)).optionFlags, 0);  // a file existed
  }
}

TEST_F(SettingsFileTest, ShortFileLeavesTheRestZeroAndIsRewrittenInFull) {
  Bytes image(100, '\0');
  SetU16(image, 0, 0x1234);   // slot 0 minimum size
  SetU16(image, 96, 0x00AB);  // slot 12 minimum size, the last whole field
  PutImage(image);
  SettingsFile settings;
  settings.Load(Folder());
  EXPECT_EQ(settings.Params(0).minSizeKb, 0x1234);
  EXPECT_EQ(settings.Params(12).minSizeKb, 0x00AB);
  EXPECT_EQ(settings.Params(12).threadCount, 5);
  EXPECT_EQ(settings.Naming(SITE_INSTAGRAM).filePrefix.Get(), u"");
  EXPECT_EQ(Image().size(), 19808u);
}

TEST_F(SettingsFileTest, EveryFieldSitsAtItsOffset) {
  SettingsFile settings;
  settings.Load(Folder());
  DownloadParams& p = settings.Params(2);
  p = {0x0102, 0x0304, 0x000F, 0x0A0B};
  NamingRecord& r = settings.Naming(2);
  r.filePrefix.Set(u"A中");
  r.fileSuffix.Set(u"B");
  r.replaceFrom.Set(u"a|b");
  r.replaceWith.Set(u"c|d");
  r.folderPrefix.Set(u"E");
  r.folderSuffix.Set(u"F");
  r.optionFlags = 0x1234;
  r.baseName = BASE_ADDRESS;
  r.albumFolder = ALBUM_FOLDER_NONE;
  settings.Naming(23).optionFlags = 0xBEEF;
  settings.Params(23).maxSizeKb = 0x7777;
  for (Text path : {u"/p1", u"/p2", u"/p3", u"/p4", u"/p5"}) {
    ASSERT_TRUE(settings.OfferHistory(HistoryList::SavePath, path));
  }
  ASSERT_TRUE(settings.OfferHistory(HistoryList::Address, u"http://first"));
  ASSERT_TRUE(settings.OfferHistory(HistoryList::Address, u"http://second"));
  ASSERT_TRUE(settings.Save());

  const Bytes image = Image();
  ASSERT_EQ(image.size(), 19808u);
  struct Field { size_t offset; uint16_t value; };
  for (const Field& f : std::vector<Field>{{16, 0x0102}, {18, 0x0304}, {20, 0x000F}, {22, 0x0A0B},
                                           {1640, 0x1234}, {1642, 0x0102}, {184 + 2, 0x7777},
                                           {11804, 0xBEEF}}) {
    EXPECT_EQ(U16At(image, f.offset), f.value) << f.offset;
  }
  EXPECT_EQ(image.substr(1160, 6), Bytes("A\0\x2D\x4E\0\0", 6));  // little-endian UTF-16
  struct TextField { size_t offset; size_t units; Text value; };
  for (const TextField& f : std::vector<TextField>{
           {1160, 40, u"A中"}, {1240, 40, u"B"}, {1320, 40, u"a|b"}, {1400, 40, u"c|d"},
           {1480, 40, u"E"}, {1560, 40, u"F"},
           {11808, 400, u"http://second"}, {12608, 400, u"http://first"}, {13408, 400, u""},
           {15808, 400, u"/p5"}, {16608, 400, u"/p4"}, {19008, 400, u"/p1"}}) {
    EXPECT_EQ(TextAt(image, f.offset, f.units), f.value) << f.offset;
  }

  SettingsFile loaded;
  loaded.Load(Folder());
  EXPECT_EQ(loaded.Naming(2).replaceWith.Get(), u"c|d");
  EXPECT_EQ(loaded.Naming(2).albumFolder, ALBUM_FOLDER_NONE);
  EXPECT_EQ(loaded.History(HistoryList::Address), (TextList{u"http://second", u"http://first"}));
  EXPECT_EQ(Image(), image);
}

TEST_F(SettingsFileTest, AFileOfTheWindowsProgramSurvivesByteForByte) {
  Bytes image(19808, '\0');
  uint32_t seed = 12345;
  for (char& byte : image) {
    seed = seed * 1103515245 + 12345;
    byte = static_cast<char>(seed >> 16);
  }
  for (size_t slot = 0; slot < 24; ++slot) {  // valid parameters are kept as they are
    SetU16(image, slot * 8 + 4, static_cast<uint16_t>(1 + slot % 15));
    SetU16(image, slot * 8 + 6, static_cast<uint16_t>(10 + slot));
  }
  PutImage(image);
  SettingsFile settings;
  settings.Load(Folder());
  EXPECT_EQ(Image(), image);
}

TEST_F(SettingsFileTest, NamingTextsKeepAtMost38Characters) {
  NamingRecord r;
  r.filePrefix.Set(Text(39, u'x'));
  EXPECT_EQ(r.filePrefix.Get(), Text(38, u'x'));
  EXPECT_EQ(r.filePrefix.units[38], u'\0');

  Bytes image(19808, '\0');
  for (size_t i = 0; i < 40; ++i) SetU16(image, 192 + 2 * i, u'y');  // no terminator in the file
  PutImage(image);
  SettingsFile settings;
  settings.Load(Folder());
  EXPECT_EQ(settings.Naming(0).filePrefix.Get(), Text(40, u'y'));
}

TEST_F(SettingsFileTest, HistoryTakesNewTextsNewestFirst) {
  SettingsFile settings;
  settings.Load(Folder());
  struct Row { Text offered; bool taken; };
  const std::vector<Row> rows = {
      {u"/home/me/Pictures", true}, {u"/HOME/ME/pictures", false}, {u"/a", true},
      {u"/b", true}, {u"/c", true}, {u"/d", true},  // the sixth: the oldest drops out
      {Text(400, u'x'), false}, {Text(399, u'x'), true}, {u"/B", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(settings.OfferHistory(HistoryList::SavePath, row.offered), row.taken)
        << ToUtf8(row.offered.substr(0, 20));
  }
  EXPECT_EQ(settings.History(HistoryList::SavePath),
            (TextList{Text(399, u'x'), u"/d", u"/c", u"/b", u"/a"}));
  EXPECT_EQ(settings.History(HistoryList::Address), TextList{});
  EXPECT_TRUE(settings.OfferHistory(HistoryList::Address, u"/a"));  // the lists are separate
}

TEST_F(SettingsFileTest, SaveReplacesTheFileWithoutLeavingATemporaryOne) {
  SettingsFile settings;
  settings.Load(Folder());
  settings.Params(0).minSizeKb = 99;
  ASSERT_TRUE(settings.Save());
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"soft.dat"});
  EXPECT_EQ(U16At(Image(), 0), 99);
}

// A full disk in the middle of writing: the old file must survive whole.
TEST_F(SettingsFileTest, FullDiskKeepsTheOldFile) {
  SettingsFile settings;
  settings.Load(Folder());
  const Bytes before = Image();
  settings.Params(0).minSizeKb = 1;

  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 4096;  // writes past 4 KiB fail with EFBIG
  auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = settings.Save();
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldSignal);

  EXPECT_FALSE(saved);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"soft.dat"});
}

TEST_F(SettingsFileTest, FailedSaveLeavesNothingBehind) {
  fs::create_directories(dir_.File("soft.dat") / "in-the-way");  // soft.dat cannot be replaced
  SettingsFile settings;
  settings.Load(Folder());  // quietly not written
  EXPECT_EQ(settings.Params(0).threadCount, 5);
  EXPECT_FALSE(settings.Save());
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"soft.dat"});
  EXPECT_TRUE(fs::is_directory(dir_.File("soft.dat")));
}

}  // namespace
}  // namespace zentrow
