// Topit: the size forms of picture addresses, then a user's albums and pictures end to end
// through the engine and zentrow-cli, over the fake web fixtures in tests/sites/topit.
#include "sites/topit/topit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

// Pictures of Topit's hosts are 600 bytes or more: a shorter reply is a placeholder.
const std::string kPicture = "\xFF\xD8" + std::string(1000, 't');
const std::string kPlaceholder(100, 'p');
const std::string kUser = "http://www.topit.me/user/12345/albums?p=";

TEST(TopitText, OnlyTheSizeMarkAtItsPlaceIsRewritten) {
  struct Case {
    const char16_t* address;
    const char16_t* entry;  // full size CR LF large size; or the address twice
  };
  const std::vector<Case> cases = {
      {u"http://f1.topit.me/1/aa/bb/1001m.jpg",
       u"http://f1.topit.me/1/aa/bb/1001o.jpg\r\nhttp://f1.topit.me/1/aa/bb/1001l.jpg"},
      {u"http://f1.topit.me/t/at/1002t.jpg",
       u"http://f1.topit.me/t/at/1002o.jpg\r\nhttp://f1.topit.me/t/at/1002l.jpg"},
      // Only the file name's letter (before the query), not text elsewhere that looks alike.
      {u"http://f1.topit.me/s.jpg/1003s.jpg?v=1",
       u"http://f1.topit.me/s.jpg/1003o.jpg?v=1\r\nhttp://f1.topit.me/s.jpg/1003l.jpg?v=1"},
      // A size folder right after a ".com" host comes first.
      {u"http://img.topit.com/m/2011/1004t.jpg",
       u"http://img.topit.com/o/2011/1004t.jpg\r\nhttp://img.topit.com/l/2011/1004t.jpg"},
      // Folders that merely begin with a size letter are no size folders.
      {u"http://img.topit.com/sets/2011/1005m.jpg",
       u"http://img.topit.com/sets/2011/1005o.jpg\r\nhttp://img.topit.com/sets/2011/1005l.jpg"},
      {u"http://img.topit.com/thumbs/1006.png", u"http://img.topit.com/thumbs/1006.png\r\nhttp://img.topit.com/thumbs/1006.png"},
      {u"http://f1.topit.me/m.jpg/1007x.jpg", u"http://f1.topit.me/m.jpg/1007x.jpg\r\nhttp://f1.topit.me/m.jpg/1007x.jpg"},
      {u"http://f1.topit.me/1/1008o.jpg", u"http://f1.topit.me/1/1008o.jpg\r\nhttp://f1.topit.me/1/1008o.jpg"},
      {u"http://f1.topit.me", u"http://f1.topit.me\r\nhttp://f1.topit.me"},
  };
  for (const Case& c : cases) EXPECT_EQ(TopitPictureEntry(c.address), c.entry) << ToUtf8(c.address);
}

struct Topit : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "topit"));
    BuildState(SITE_TOPIT, {0, 0, 4, 10});
  }
};

TEST_F(Topit, ListsTheAlbumsOfAUserOverItsPages) {
  List(u"http://www.topit.me/user/12345");
  EXPECT_EQ(state->Category(), SITE_TOPIT);
  EXPECT_EQ(state->listType, -1);
  EXPECT_EQ(state->ownerFolder, u"小鹿/");
  struct Row {
    Text name;
    Text id;
    int32_t count;
  };
  const std::vector<Row> rows = {{u"夏天", u"111", 3}, {u"冬天", u"222", 1}, {u"城市", u"333", 2}};
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, u"http://www.topit.me/album/" + rows[i].id) << i;
    EXPECT_EQ(albums[i].coverAddress, u"http://f1.topit.me/c/" + rows[i].id + u".jpg") << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
  // The last page does not link to a next one.
  EXPECT_EQ(Urls("http://www.topit.me/"), (std::vector<std::string>{kUser + "1", kUser + "2"}));
}

TEST_F(Topit, AnyPageOfTheUserGivesTheSameUser) {
  for (const char16_t* address : {u"http://www.topit.me/user/12345/albums?p=2", u"http://www.topit.me/user/12345/",
                                  u"http://www.topit.me/user/12345#albums"}) {
    SCOPED_TRACE(ToUtf8(address));
    web.ClearRequests();
    List(address);
    EXPECT_EQ(state->albums.Count(), 3);
    EXPECT_EQ(Urls("http://www.topit.me/"), (std::vector<std::string>{kUser + "1", kUser + "2"}));
  }
}

TEST_F(Topit, APageThatBringsNoNewAlbumEndsTheList) {
  List(u"http://www.topit.me/user/777");
  EXPECT_EQ(state->albums.Count(), 1);
  EXPECT_EQ(Urls("http://www.topit.me/"), (std::vector<std::string>{"http://www.topit.me/user/777/albums?p=1",
                                                                    "http://www.topit.me/user/777/albums?p=2"}));
}

TEST_F(Topit, DownloadsThePicturesInFullSizeFallingBackToSmallerForms) {
  // "1001": the full size is a placeholder, the large size stands in. "1002": the full
  // size. "1003": the full size is empty, the large size stands in. "1004" shows no size:
  // it is fetched as it stands.
  web.Get("http://f1.topit.me/1/aa/bb/1001o.jpg", kPlaceholder);
  web.Get("http://f1.topit.me/1/aa/bb/1001l.jpg", kPicture);
  web.Get("http://img.topit.com/o/201101/1002.jpg", kPicture);
  web.Get("http://img.topit.com/sets/1/1003o.jpg?v=2", "");
  web.Get("http://img.topit.com/sets/1/1003l.jpg?v=2", kPicture);
  web.Get("http://f1.topit.me/1/cc/1004.png", kPicture);
  List(u"http://www.topit.me/user/12345");
  DownloadAlbums({0});

  // Titles name the files, else the "alt" texts, else the album name. Pictures around the
  // album's own (the owner's avatar, the footer) are not taken.
  ExpectSaved({{"小鹿/夏天/海浪.jpg", "http://f1.topit.me/1/aa/bb/1001l.jpg"},
               {"小鹿/夏天/沙滩.jpg", "http://img.topit.com/o/201101/1002.jpg"},
               {"小鹿/夏天/落日.jpg", "http://img.topit.com/sets/1/1003l.jpg?v=2"},
               {"小鹿/夏天/夏天.jpg", "http://f1.topit.me/1/cc/1004.png"}},
              kPicture);
  std::vector<std::string> pictures;
  for (const auto& request : web.Requests())
    if (!request.url.starts_with("http://www.topit.me/")) pictures.push_back(request.url);
  EXPECT_EQ(pictures.size(), 6u);
  for (const char* unused : {"http://f1.topit.me/1/aa/bb/1001m.jpg", "http://img.topit.com/l/201101/1002.jpg",
                             "http://img.topit.com/sets/1/1003m.jpg",
                             "http://f1.topit.me/avatar/", "http://f1.topit.me/site/"})
    EXPECT_TRUE(web.RequestsTo(unused).empty()) << unused;
  EXPECT_EQ(Urls("http://www.topit.me/broad"),
            (std::vector<std::string>{"http://www.topit.me/broad?type=album&id=111&p=1",
                                      "http://www.topit.me/broad?type=album&id=111&p=2"}));
}

TEST(TopitCommandLine, ListsAndDownloadsAUsersAlbums) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "topit"));
  web.Get("http://f1.topit.me/*", kPicture);
  web.Get("http://img.topit.com/*", kPicture);
  const test::TempDir work, save;
  auto run = [&](const std::string& args) { return test::RunCliBinary(web.ProxyAddress(), work.path(), args); };

  const test::CliRun list = run("list http://www.topit.me/user/12345");
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t夏天\t   3\t", "0002\t冬天\t   1\t", "0003\t城市\t   2\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

  const test::CliRun download =
      run("download http://www.topit.me/user/12345 --albums 1 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("夏天\tqueued=4\tsaved=4"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(save.path() / "小鹿" / "夏天" / "海浪.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
