#include "engine/album.h"

#include <gtest/gtest.h>

#include <vector>

namespace zentrow {
namespace {

ST_PERLISTRECORD Named(Text name) {
  ST_PERLISTRECORD r;
  r.name = std::move(name);
  return r;
}

TEST(AlbumList, SameNamesAreNumberedAndIndexesFollowTheOrder) {
  AlbumList list;
  for (int i = 0; i < 3; ++i) list.AppendAlbum(Named(u"旅行"));
  list.AppendAlbum(Named(u"  a/b  "));
  auto all = list.Snapshot();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].name, u"旅行");
  EXPECT_EQ(all[1].name, u"旅行 (1)");
  EXPECT_EQ(all[2].name, u"旅行 (2)");
  EXPECT_EQ(all[3].name, u"ab");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(all[i].index, i);
  // Exact comparison: another letter case is another name.
  list.AppendAlbum(Named(u"Trip"));
  list.AppendAlbum(Named(u"trip"));
  EXPECT_EQ(list.Snapshot()[5].name, u"trip");
}

TEST(AlbumList, UnusableNamesBecomeTimestampsAndThumbnailsStartEmpty) {
  AlbumList list;
  ST_PERLISTRECORD r = Named(u"???");
  r.thumbnail = 7;
  list.AppendAlbum(r);
  ST_PERLISTRECORD got;
  ASSERT_TRUE(list.Get(0, got));
  EXPECT_EQ(got.name.size(), 14u);  // "%Y%m%d%H%M%S"
  EXPECT_EQ(got.thumbnail, -1);
  EXPECT_FALSE(list.Get(1, got));
}

TEST(AlbumList, LongNamesAreCutAndStayUnique) {
  AlbumList list;
  const Text longName(100, u'长');
  list.AppendAlbum(Named(longName));
  list.AppendAlbum(Named(longName));
  auto all = list.Snapshot();
  EXPECT_EQ(all[0].name, longName.substr(0, 80));
  ASSERT_EQ(all[1].name.size(), 80u);
  EXPECT_EQ(all[1].name, longName.substr(0, 76) + u" (1)");
  list.ClearAlbums();
  EXPECT_EQ(list.Count(), 0);
  list.AppendAlbum(Named(longName));
  EXPECT_EQ(list.Snapshot()[0].name, longName.substr(0, 80));  // the names went with the albums
}

TEST(AlbumList, ARenamedAlbumKeepsItsNameSafeAndUnique) {
  AlbumList list;
  for (const char16_t* name : {u"旧名", u"海边", u"山顶"}) list.AppendAlbum(Named(name));
  struct Case {
    int index;
    Text name;
    Text result;  // what Rename answers, and the album's name afterwards
  };
  const std::vector<Case> cases = {
      {0, u" 老/照片 ", u"老照片"},     // made safe
      {2, u"海边", u"海边 (1)"},        // another album has it
      {1, u"海边", u"海边"},            // its own name is no clash
      {0, u"???", u"老照片"},           // nothing left once safe: the name stays
      {2, Text(100, u'长'), Text(80, u'长')},
      {3, u"无此相册", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list.Rename(c.index, c.name), c.result) << c.index;
    ST_PERLISTRECORD album;
    if (list.Get(c.index, album)) {
      EXPECT_EQ(album.name, c.result) << c.index;
    }
  }
  // The old name is free again, the new one taken.
  list.AppendAlbum(Named(u"旧名"));
  list.AppendAlbum(Named(u"老照片"));
  const auto all = list.Snapshot();
  EXPECT_EQ(all[3].name, u"旧名");
  EXPECT_EQ(all[4].name, u"老照片 (1)");
}

TEST(AlbumRow, TextsOfTheListLook) {
  struct Row {
    int32_t count, remarks;
    const char16_t* countText;
    const char16_t* remarksText;
  };
  const Row rows[] = {
      {-1, 0, u"未知", u""},
      {7, 1, u"   7", u"加密相册"},
      {12345, 3, u"12345", u"加密相册"},
      {0, 6, u"   0", u"私密相册"},
      {1, 4, u"   1", u"好友可见"},
      {1, 8, u"   1", u""},
      {1, static_cast<int32_t>(0x8000002A), u"   1", u"00000042"},
  };
  for (const Row& row : rows) {
    ST_PERLISTRECORD r = Named(u"相册");
    r.count = row.count;
    r.remarks = row.remarks;
    AlbumRowTexts texts = RowTexts(r, 3);
    EXPECT_EQ(texts.number, u"0003");
    EXPECT_EQ(texts.name, u"相册");
    EXPECT_EQ(texts.count, row.countText) << row.count;
    EXPECT_EQ(texts.remarks, row.remarksText) << row.remarks;
  }
}

}  // namespace
}  // namespace zentrow
