// AddPictureItem: file names by the category's rules, the album folder, skip-old and the
// source-name file.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/main_state.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

using test::ReadFile;
using test::RecordingUi;
using test::TempDir;

struct Naming : ::testing::Test {
  TempDir work;
  RecordingUi ui;
  SiteTable sites{};
  MainState state{ui, sites, work.text()};

  void SetUp() override {
    state.SetReady();
    for (int i = 0; i < 5; ++i) {
      ST_PERLISTRECORD r;
      r.name = u"相册" + NumberText(i + 1);
      r.numberA = 40 + i;
      r.numberB = 50 + i;
      AddAlbumRow(r, state);
    }
    state.selectedAlbumCount = 2;
    state.ownerFolder = u"owner";
    StartAlbum();
  }
  void StartAlbum() {
    state.runFolder = work.text();
    state.queue.Reset(state.runFolder);
  }
  std::vector<Text> Names() const {
    std::vector<Text> names;
    for (const auto& item : state.queue.items) names.push_back(item.fileName);
    return names;
  }
  void Add(Text address, Text description, int album = 0) {
    AddPictureItem(state, address, description, u"Referer: x", album);
  }
};

TEST_F(Naming, BaseNameRules) {
  struct Case {
    uint8_t rule;
    const char16_t* address;
    const char16_t* description;
    const char16_t* expected;
  };
  const Case cases[] = {
      {BASE_DESCRIPTION, u"http://p.cn/a.jpg", u"海边 日落", u"海边 日落.jpg"},
      {BASE_DESCRIPTION, u"http://p.cn/a.jpg", u"", u"相册1.jpg"},  // no description: the album name
      {BASE_DESCRIPTION, u"http://p.cn/a.jpg", u"a.PNG", u"a.PNG"},  // a picture extension stays
      {BASE_DESCRIPTION, u"http://p.cn/a.jpg", u"x.webp", u"x.webp.jpg"},
      {BASE_ADDRESS, u"http://p.cn/dir/shot.png", u"d", u"shot.png"},
      {BASE_ADDRESS, u"http://p.cn/dir/shot.jpg?size=big", u"d", u"shot.jpgsize=big.jpg"},
      {BASE_ADDRESS, u"noslash", u"d", u"1.jpg"},
      {BASE_NUMBER, u"http://p.cn/a.gif", u"d", u"1.jpg"},
  };
  for (const Case& c : cases) {
    StartAlbum();
    state.naming = NamingRecord{};
    state.naming.baseName = c.rule;
    state.naming.albumFolder = ALBUM_FOLDER_NONE;
    Add(c.address, c.description);
    ASSERT_EQ(state.queue.items.size(), 1u);
    EXPECT_EQ(state.queue.items[0].fileName, c.expected) << ToUtf8(c.address) << " " << ToUtf8(c.description);
    EXPECT_EQ(state.queue.items[0].address, c.address);
    EXPECT_EQ(state.queue.items[0].header, u"Referer: x");
  }
}

TEST_F(Naming, EscapesAndReplacements) {
  state.naming.baseName = BASE_NUMBER;
  state.naming.albumFolder = ALBUM_FOLDER_NONE;
  state.naming.filePrefix.Set(u"?9_");
  state.naming.fileSuffix.Set(u"_?2");
  Add(u"http://p.cn/1.jpg", u"", 4);
  Add(u"http://p.cn/2.jpg", u"", 4);
  EXPECT_EQ(Names(), (std::vector<Text>{u"0005_1_1.jpg", u"0005_2_2.jpg"}));

  StartAlbum();
  state.naming.filePrefix.Set(u"?1-?3-?4-?5-?6-?7-?8-");
  state.naming.fileSuffix.Set(u"");
  state.naming.replaceFrom.Set(u"相册|-");
  state.naming.replaceWith.Set(u"A|_");
  Add(u"http://p.cn/1.jpg", u"", 1);
  EXPECT_EQ(Names(), (std::vector<Text>{u"A2_2_41_51_2_5_owner_1.jpg"}));
}

TEST_F(Naming, NamesAreUniqueWithoutRegardToCase) {
  state.naming.albumFolder = ALBUM_FOLDER_NONE;
  Add(u"http://p.cn/1", u"Cat.jpg");
  Add(u"http://p.cn/2", u"Cat.jpg");
  Add(u"http://p.cn/3", u"cat");
  Add(u"http://p.cn/4", u"CAT");
  EXPECT_EQ(Names(), (std::vector<Text>{u"Cat.jpg", u"Cat.jpg(1).jpg", u"cat(1).jpg", u"CAT(2).jpg"}));
}

TEST_F(Naming, TheAlbumFolderIsMadeWithTheFirstPicture) {
  state.naming.folderPrefix.Set(u"?9 ");
  state.naming.folderSuffix.Set(u" [?3]");
  Add(u"http://p.cn/1.jpg", u"one", 2);
  const Text folder = work.text() + u"0003 相册3 [3]/";
  EXPECT_EQ(state.queue.folder, folder);
  EXPECT_TRUE(std::filesystem::is_directory(NativePath(folder)));
  Add(u"http://p.cn/2.jpg", u"two", 2);
  EXPECT_EQ(state.queue.folder, folder);  // only once per album
  EXPECT_EQ(state.queue.SavePath(1), folder + u"two.jpg");

  // "无" with no prefix or suffix puts the pictures straight into the download folder.
  StartAlbum();
  state.naming = NamingRecord{};
  state.naming.albumFolder = ALBUM_FOLDER_NONE;
  Add(u"http://p.cn/1.jpg", u"one", 2);
  EXPECT_EQ(state.queue.folder, work.text());
}

TEST_F(Naming, LongNamesFitTheFileSystem) {
  state.naming.albumFolder = ALBUM_FOLDER_NONE;
  Add(u"http://p.cn/1.jpg", Text(300, u'图'));
  Add(u"http://p.cn/2.jpg", Text(300, u'图'));
  for (const Text& name : Names()) EXPECT_LE(ToUtf8(name).size(), 255u);
  EXPECT_EQ(Names()[1].substr(Names()[1].size() - 7), u"(1).jpg");
}

TEST_F(Naming, AbsoluteDescriptionsOnlyInsideTheRunFolder) {
  state.naming.albumFolder = ALBUM_FOLDER_NONE;
  const Text inside = work.text() + u"desc/info.png";
  Add(u"http://p.cn/1", inside);
  Add(u"http://p.cn/2", u"/etc/passwd");
  Add(u"http://p.cn/3", work.text() + u"../escape.jpg");
  auto names = Names();
  EXPECT_EQ(names[0], inside);
  EXPECT_EQ(state.queue.SavePath(0), inside);
  EXPECT_EQ(names[1], u"etcpasswd.jpg");
  EXPECT_EQ(state.queue.SavePath(1), work.text() + u"etcpasswd.jpg");
  EXPECT_EQ(names[2].find(u'/'), Text::npos);
}

TEST_F(Naming, SkipOldStopsAtTheMarkedPicture) {
  state.naming.optionFlags = OPT_SKIP_DOWNLOADED;
  state.naming.albumFolder = ALBUM_FOLDER_NONE;
  WriteMarker(work.text(), u"http://p.cn/3.jpg");
  state.downloadState = DOWNLOAD_RUNNING;
  for (int i = 1; i <= 5 && state.downloadState == DOWNLOAD_RUNNING; ++i)
    Add(u"http://p.cn/" + NumberText(i) + u".jpg", u"p" + NumberText(i));
  EXPECT_EQ(Names(), (std::vector<Text>{u"p1.jpg", u"p2.jpg"}));
  EXPECT_EQ(state.downloadState, DOWNLOAD_READER_STOP);
  EXPECT_EQ(ui.LastStatus2(), u"已获取到2张图片信息");
}

TEST_F(Naming, SourceNameFileHoldsEveryDescription) {
  state.naming.optionFlags = OPT_SOURCE_NAMES;
  state.naming.baseName = BASE_NUMBER;
  Add(u"http://p.cn/1.jpg", u"第一张");
  Add(u"http://p.cn/2.jpg", u"second");
  const std::string bytes = ReadFile(NativePath(state.queue.folder + u"相册1.txt"));
  const Text lines = u"第一张\r\nsecond\r\n";
  EXPECT_EQ(bytes, std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(lines.data()), lines.size() * 2));
  // A new download of the album starts the file afresh.
  StartAlbum();
  Add(u"http://p.cn/1.jpg", u"again");
  EXPECT_EQ(ReadFile(NativePath(state.queue.folder + u"相册1.txt")).size(), 2u + 2 * 7);
}

}  // namespace
}  // namespace zentrow
