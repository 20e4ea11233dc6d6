// POCO end to end: a user's photo albums and activity works, through the production
// entry, the engine and the fake web; and the command-line program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/poco/poco.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('p');
const std::string kAlbumPages = "http://my.poco.cn/album/album_show_photo_list.php?user_id=174828369&set_hash=";
constexpr char16_t kAlbumAddress[] = u"http://my.poco.cn/album/album_show_photo_list.php?user_id=174828369&set_hash=";
constexpr char16_t kAlbumsAddress[] = u"http://my.poco.cn/album/album_show_all.htx&user_id=174828369";
constexpr char16_t kHomeAddress[] = u"http://my.poco.cn/id-174828369.shtml";

struct Poco : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "poco"));
    ServePicture({"http://img2.poco.cn/", "http://img3.poco.cn/"}, kPicture);
    BuildState(SITE_POCO, {0, 0, 4, 10});
  }

  // The pictures are saved, and no other picture was asked for.
  void ExpectPictures(const std::vector<test::SavedPicture>& pictures) const {
    ExpectSaved(pictures, kPicture);
    EXPECT_EQ(Urls("http://img2.poco.cn/").size() + Urls("http://img3.poco.cn/").size(), pictures.size());
  }
};

TEST_F(Poco, ListsTheAlbumsOfAUserOverItsPages) {
  List(kAlbumsAddress);
  EXPECT_EQ(state->Category(), SITE_POCO);
  EXPECT_EQ(state->listType, 0);
  EXPECT_EQ(state->ownerFolder, u"蓝色海洋/");
  // The nameless album gives no row; page 2 shows "春游" of page 1 again, listed once.
  test::ExpectAlbumRows(state->albums.Snapshot(),
                        {
                            {u"春游", kAlbumAddress + Text(u"a1b2c3"), u"http://img1.poco.cn/cover/a1b2c3.jpg", -1},
                            {u"私房", kAlbumAddress + Text(u"d4e5f6"), u"http://img1.poco.cn/cover/d4e5f6.jpg", -1,
                             REMARK_PASSWORD},
                            {u"夏天", kAlbumAddress + Text(u"m3n4o5"), u"http://img1.poco.cn/cover/m3n4o5.jpg", -1},
                            {u"秋天", kAlbumAddress + Text(u"p6q7r8"), u"http://img1.poco.cn/cover/p6q7r8.jpg", -1},
                        });
  EXPECT_EQ(Urls("http://my.poco.cn/album/album_show_all.htx"),
            (std::vector<std::string>{"http://my.poco.cn/album/album_show_all.htx&user_id=174828369&p=1",
                                      "http://my.poco.cn/album/album_show_all.htx&user_id=174828369&p=2"}));
  for (const auto& request : web.Requests()) EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
}

TEST_F(Poco, DownloadsAlbumPagesAsFullSizePictures) {
  List(kAlbumsAddress);
  ASSERT_EQ(state->albums.Count(), 4);
  DownloadAlbums({0, 2});

  // Thumbnail suffixes dropped; titles trimmed, an empty one named after the album.
  const std::string pictures = "http://img2.poco.cn/mypoco/myphoto/20120501/10/";
  ExpectPictures({
      {"蓝色海洋/春游/海边.jpg", pictures + "abc.jpg"},
      {"蓝色海洋/春游/春游.jpg", pictures + "def.jpg"},
      {"蓝色海洋/春游/山顶.jpg", pictures + "ghi.jpg"},
      {"蓝色海洋/夏天/蝉.jpg", pictures + "xia1.jpg"},
  });
  // "春游" ends at its page without a next link. "夏天" links to a next page for ever, but
  // its second page brings only the first page's picture: the album ends there.
  struct Pages {
    std::string hash;
    std::vector<size_t> requests;  // of pages 1, 2, ...
  };
  for (const Pages& p : {Pages{"a1b2c3", {1, 1, 0}}, Pages{"m3n4o5", {1, 1, 0}}})
    for (size_t page = 0; page < p.requests.size(); ++page)
      EXPECT_EQ(web.RequestsTo(kAlbumPages + p.hash + "&do=Plist&p=" + std::to_string(page + 1)).size(),
                p.requests[page])
          << p.hash << " " << page + 1;
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 3);
  EXPECT_EQ(ui.summaries[1].queued, 1);
}

TEST_F(Poco, ListsAndDownloadsTheActivityWorksOfAHomePage) {
  List(kHomeAddress);
  EXPECT_EQ(state->listType, 1);
  EXPECT_EQ(state->userIdText, u"174828369");
  EXPECT_EQ(state->ownerFolder, u"蓝色海洋/");
  test::ExpectAlbumRows(state->albums.Snapshot(),
                        {
                            {u"光影", u"http://my.poco.cn/act/act_detail.htx&id=9001", u"", -1},
                            {u"街拍", u"http://my.poco.cn/act/act_detail.htx&id=9002", u"", -1},
                            {u"夜色", u"http://my.poco.cn/act/act_detail.htx&id=9003", u"", -1},
                        });

  DownloadAlbums({0, 1});
  // "光影" gives its originals (its shown picture is not taken); "街拍" gives none, so its
  // shown pictures, the repeated one once. Every picture is named after its work.
  ExpectPictures({
      {"蓝色海洋/光影/光影.jpg", "http://img3.poco.cn/act/9001/big_1.jpg"},
      {"蓝色海洋/光影/光影(1).jpg", "http://img3.poco.cn/act/9001/big_2.jpg"},
      {"蓝色海洋/街拍/街拍.jpg", "http://img3.poco.cn/act/9002/s_1.jpg"},
      {"蓝色海洋/街拍/街拍(1).jpg", "http://img3.poco.cn/act/9002/s_2.jpg"},
  });
}

TEST_F(Poco, TheAddressChoosesAlbumsOrActivitiesAndTheirKey) {
  const std::string activities = "http://my.poco.cn/act/act_list.htx&user_id=174828369&act_type_id=0";
  struct Case {
    Text address;
    int32_t listType;
    std::string firstRequest;
  };
  const std::vector<Case> cases = {
      {kAlbumsAddress, 0, "http://my.poco.cn/album/album_show_all.htx&user_id=174828369&p=1"},
      {u"http://my.poco.cn/album/album_show_all.php?user_id=174828369&p=3", 0,
       "http://my.poco.cn/album/album_show_all.htx&user_id=174828369&p=1"},
      {u"http://my.poco.cn/theme/user_id-174828369.shtml", 0,
       "http://my.poco.cn/album/album_show_all.htx&user_id=174828369&p=1"},
      {kHomeAddress, 1, activities + "&p=1"},
      {u"http://my.poco.cn/act/act_list.htx?user_id=174828369", 1, activities + "&p=1"},
      // A typed activity list: its own page number is renamed, a parameter whose name only
      // ends in "p" is not.
      {u"http://my.poco.cn/act/act_list.htx&user_id=174828369&act_type_id=0&p=2", 1, activities + "&vrk=2&p=1"},
      {u"http://my.poco.cn/act/act_list.htx&user_id=174828369&step=2&p=3", 1,
       "http://my.poco.cn/act/act_list.htx&user_id=174828369&step=2&vrk=3&p=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    List(c.address);
    EXPECT_EQ(state->listType, c.listType);
    const auto requests = Urls("");
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0], c.firstRequest);
  }
}

TEST(PocoCommandLine, ListsAndDownloadsThroughTheProductionReaders) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "poco"));
  web.Get("http://img3.poco.cn/*", kPicture);
  const test::TempDir work, save;
  const std::string address = test::Quoted(ToUtf8(kHomeAddress));
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), work.path(), "list " + address);
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t光影\t", "0002\t街拍\t", "0003\t夜色\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

  const test::CliRun download = test::RunCliBinary(
      web.ProxyAddress(), work.path(), "download " + address + " --albums 1 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("光影\tqueued=2\tsaved=2"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(save.path() / "蓝色海洋" / "光影" / "光影(1).jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
