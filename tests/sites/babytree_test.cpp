// Babytree end to end: the newer home pages (albums and pictures as JSON), the fallback to
// the older user pages with a page per picture, and the command-line program over the
// production table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/babytree/babytree.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('t');
const std::string kHome = "http://home.babytree.com/";
const std::string kOldPages = "http://www.babytree.com/user/showuser.php?uid=u55667788&tab=photo";

struct Babytree : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "babytree"));
    ServePicture({"http://pic01.babytreeimg.com/", "http://pic02.babytreeimg.com/"}, kPicture);
    BuildState(SITE_BABYTREE, {0, 0, 4, 10});
  }

  size_t PictureRequests() const {
    size_t n = 0;
    for (const auto& request : web.Requests()) n += request.url.find("babytreeimg.com/") != std::string::npos;
    return n;
  }
};

struct Row {
  Text name;
  Text listAddress;
  Text cover;
  int32_t count;
};

void ExpectRows(const std::vector<ST_PERLISTRECORD>& albums, const std::vector<Row>& rows) {
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
}

TEST_F(Babytree, ListsTheAlbumsOfTheNewerHomePages) {
  List(u"http://home.babytree.com/77889900/photo/list?pg=1");
  EXPECT_EQ(state->Category(), SITE_BABYTREE);
  EXPECT_EQ(state->listType, 0);
  EXPECT_EQ(state->ownerFolder, u"小树妈妈/");
  ExpectRows(state->albums.Snapshot(),
             {
                 {u"满月", u"http://home.babytree.com/77889900/album/3001",
                  u"http://pic01.babytreeimg.com/foto3/thumbs/2013/0101/c3001_sm.jpg", 3},
                 {u"百天", u"http://home.babytree.com/77889900/album/3002",
                  u"http://pic02.babytreeimg.com/2013/0401/thumbs/c3002_sm.jpg", 2},
                 {u"周岁", u"http://home.babytree.com/77889900/album/3003", u"", 0},
             });
  EXPECT_EQ(Urls(""), (std::vector<std::string>{kHome + "77889900/photo/list?pg=1", kHome + "77889900/photo/list?pg=2"}));
}

TEST_F(Babytree, EveryAddressOfAUserNamesItsId) {
  for (const char16_t* address : {u"http://home.babytree.com/77889900/photo/list?pg=2", u"http://home.babytree.com/77889900",
                              u"http://home.babytree.com/77889900?from=share#top",
                              u"http://www.babytree.com/77889900&tab=photo"}) {
    SCOPED_TRACE(ToUtf8(address));
    web.ClearRequests();
    List(address);
    const std::vector<std::string> urls = Urls("");
    ASSERT_FALSE(urls.empty());
    EXPECT_EQ(urls[0], kHome + "77889900/photo/list?pg=1");
    EXPECT_EQ(state->albums.Count(), 3);
  }
}

TEST_F(Babytree, DownloadsTheNewerJsonPagesAtFullSize) {
  List(u"http://home.babytree.com/77889900");
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0, 1});
  // "满月": two pages, then an empty one. "百天": page 2 repeats page 1's pictures, which
  // ends the album there.
  ExpectSaved({{"小树妈妈/满月/第一声啼哭.jpg", "http://pic01.babytreeimg.com/foto3/thumbs/2013/0101/a5001_nb.jpg"},
               {"小树妈妈/满月/小脚丫.jpg", "http://pic02.babytreeimg.com/2013/0101/photos/a5002_b.jpg"},
               {"小树妈妈/满月/睡着了.jpg", "http://pic01.babytreeimg.com/2013/0102/photos/a5003_b.png"},
               {"小树妈妈/百天/笑了.jpg", "http://pic01.babytreeimg.com/2013/0401/photos/b6001_b.jpg"},
               {"小树妈妈/百天/翻身.jpg", "http://pic01.babytreeimg.com/2013/0401/photos/b6002_b.jpg"}},
              kPicture);
  EXPECT_EQ(PictureRequests(), 5u);
  const std::string data = kHome + "77889900/albumAjax/";
  EXPECT_EQ(Urls(data), (std::vector<std::string>{data + "3001?format=json&pg=1", data + "3001?format=json&pg=2",
                                                  data + "3001?format=json&pg=3", data + "3002?format=json&pg=1",
                                                  data + "3002?format=json&pg=2"}));
}

TEST(BabytreeAddresses, TheNewerThumbnailsBecomeFullSizeAddresses) {
  struct Case {
    TextView thumbnail, large;
  };
  const Case cases[] = {
      // The "foto3" pictures keep their folder.
      {u"http://pic01.babytreeimg.com/foto3/thumbs/2013/a_sm.jpg", u"http://pic01.babytreeimg.com/foto3/thumbs/2013/a_nb.jpg"},
      // The others move to "/photos/".
      {u"http://pic02.babytreeimg.com/2013/thumbs/b_sm.jpg", u"http://pic02.babytreeimg.com/2013/photos/b_b.jpg"},
      {u"http://pic02.babytreeimg.com/foto2/thumbs/c_sm.gif", u"http://pic02.babytreeimg.com/foto2/photos/c_b.gif"},
      // Already full size: nothing to change.
      {u"http://pic02.babytreeimg.com/2013/photos/d_b.jpg", u"http://pic02.babytreeimg.com/2013/photos/d_b.jpg"},
  };
  for (const Case& c : cases) EXPECT_EQ(BabytreeLargePicture(c.thumbnail), c.large) << ToUtf8(c.thumbnail);
}

TEST_F(Babytree, AUserWithoutNewerAlbumsIsReadFromTheOlderPages) {
  List(u"http://home.babytree.com/55667788/");
  EXPECT_EQ(state->listType, 1);
  EXPECT_EQ(state->ownerFolder, u"豆豆爸/");
  EXPECT_TRUE(ui.messages.empty());
  const Text album = u"/user/showuser.php?uid=u55667788&tab=photo&view=album&albumid=";
  ExpectRows(state->albums.Snapshot(),
             {
                 {u"生日", album + u"71", u"http://pic01.babytreeimg.com/album/cover71.jpg", 3},
                 {u"公园", album + u"72", u"http://pic01.babytreeimg.com/album/cover72.jpg", 5},
                 {u"海边", album + u"73", u"http://pic01.babytreeimg.com/album/cover73.jpg", 1},
             });
  // The newer page first; then both older pages, the arrow to the second one having
  // arrived as "&gt;".
  EXPECT_EQ(Urls(""), (std::vector<std::string>{kHome + "55667788/photo/list?pg=1",
                                                kOldPages + "&view=album_list&order=&pg=1",
                                                kOldPages + "&view=album_list&order=&pg=2"}));
}

TEST_F(Babytree, DownloadsTheOlderPagesThroughEachPicturesOwnPage) {
  List(u"http://home.babytree.com/55667788/");
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0});
  // 802's own page fails: its thumbnail serves. The recommendation after the list's end
  // is not read.
  ExpectSaved({{"豆豆爸/生日/吹蜡烛.jpg", "http://pic01.babytreeimg.com/photo/big801.jpg"},
               {"豆豆爸/生日/蛋糕.jpg", "http://pic01.babytreeimg.com/photo/thumb802.jpg"},
               {"豆豆爸/生日/礼物.jpg", "http://pic01.babytreeimg.com/photo/big803.jpg"}},
              kPicture);
  EXPECT_EQ(PictureRequests(), 3u);
  EXPECT_EQ(Urls(kOldPages + "&view=photo"),
            (std::vector<std::string>{kOldPages + "&view=photo&photoid=801&show=big",
                                      kOldPages + "&view=photo&photoid=802&show=big",
                                      kOldPages + "&view=photo&photoid=803&show=big"}));
  EXPECT_EQ(web.RequestsTo(kOldPages + "&view=album&albumid=71&pg=").size(), 2u);
}

TEST(BabytreeCommandLine, ListsAndDownloadsANewerAlbum) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "babytree"));
  web.Get("http://pic01.babytreeimg.com/*", kPicture);
  web.Get("http://pic02.babytreeimg.com/*", kPicture);
  const test::TempDir work, save;
  const test::CliRun run = test::RunCliBinary(
      web.ProxyAddress(), work.path(),
      "download http://home.babytree.com/77889900 --albums 2 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("SiteIndex 13:"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("0002\t百天\tqueued=2\tsaved=2"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(save.path() / "小树妈妈" / "百天" / "翻身.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
