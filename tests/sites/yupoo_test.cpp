// Yupoo: the address forms, then album lists, single albums and downloads (full size
// through zoom pages, or big pictures), password albums and refused originals end to end
// through the engine, and one run of zentrow-cli, over the fake web fixtures in
// tests/sites/yupoo.
#include "sites/yupoo/yupoo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::Quoted;
using test::ReadFile;
using test::RunCliBinary;
using test::SavedPicture;
using test::TempDir;

const std::string kPicture = test::JpegBody('y');
constexpr char kAlice[] = "http://www.yupoo.com/photos/alice/albums/";
const Text kEmptyList =
    u"没有获取到相册，如果你输入的网址正确，可能是因为被杀毒软件阻止了\r\n\r\n请按以下步骤操作\r\n\r\n"
    u"1、将下载器添加到杀毒软件信任列表里\r\n2、重新打开下载器";

// What the description file holds for a text: the byte-order mark and the UTF-16LE text.
std::string Utf16File(const Text& text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(YupooText, TypedAddressesBecomeTheAlbumListOrOneAlbum) {
  struct Case {
    const char16_t* typed;
    const char16_t* key;
  };
  const std::vector<Case> cases = {
      // A user's own sub-domain: the user's albums on the main host.
      {u"http://alice.yupoo.com/", u"http://www.yupoo.com/photos/alice/albums/"},
      {u"https://alice.yupoo.com/collections/55/", u"http://www.yupoo.com/photos/alice/albums/"},
      // A user's sub-domain on the "v" host: the albums on the "v" host.
      {u"http://carol.v.yupoo.com/photos/", u"http://v.yupoo.com/photos/carol/albums/"},
      // Addresses on either host stay, without their page part and query; "/" is added.
      {u"http://www.yupoo.com/photos/alice/collections/", u"http://www.yupoo.com/photos/alice/albums/"},
      {u"http://www.yupoo.com/photos/alice/albums/page3/", u"http://www.yupoo.com/photos/alice/albums/"},
      {u"http://www.yupoo.com/photos/alice/albums/1001", u"http://www.yupoo.com/photos/alice/albums/1001/"},
      {u"http://www.yupoo.com/photos/alice/albums/1001/page2/?style=detail",
       u"http://www.yupoo.com/photos/alice/albums/1001/"},
      {u"http://v.yupoo.com/photos/carol/albums/?tab=2#top", u"http://v.yupoo.com/photos/carol/albums/"},
      // "page" in a name is no page part.
      {u"http://www.yupoo.com/photos/homepage/albums/", u"http://www.yupoo.com/photos/homepage/albums/"},
  };
  for (const Case& c : cases) EXPECT_EQ(YupooKey(c.typed), c.key) << ToUtf8(c.typed);
}

struct Yupoo : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "yupoo"));
    ServePicture({"http://photo.yupoo.com/"}, kPicture);
    sites[SITE_YUPOO] = YupooReaders({.retrySeconds = 0});
    BuildState(SITE_YUPOO, {0, 0, 4, 10}, sites);  // files named by their descriptions, full-size pictures
  }
  void ListAlice() {
    List(u"http://alice.yupoo.com/");
    ASSERT_EQ(state->albums.Count(), 5);
  }
  void SetBigPictures() { state->Settings().Naming(SITE_YUPOO).optionFlags = OPT_YUPOO_BIG; }
  int Queued(size_t album = 0) const {
    return album < ui.summaries.size() ? ui.summaries[album].queued : -1;
  }
};

TEST_F(Yupoo, AUsersAlbumsOverTwoPages) {
  ListAlice();
  EXPECT_EQ(state->ownerFolder, u"alice/");
  struct Row {
    Text name;
    const char* album;
    Text cover;
    int32_t count;
    Text remarks;
  };
  const std::vector<Row> rows = {
      {u"夏天", "1001/", u"http://pic.yupoo.com/alice/c1001/medium.jpg", 5, u""},
      {u"私密", "1003/", u"http://www.yupoo.com/images/default_set_photo.gif", 1, u"加密相册"},
      {u"不给看", "1002/", u"http://pic.yupoo.com/alice/c1002/medium.jpg", 1, u""},  // later attributes dropped
      {u"秋天 & 冬天", "1004/", u"http://pic.yupoo.com/alice/c1004/medium.jpg", 12, u""},
      {u"雪", "1005/", u"http://pic.yupoo.com/alice/c1005/medium.jpg", 0, u""},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, FromUtf8(std::string(kAlice) + rows[i].album)) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(RowTexts(albums[i], static_cast<int>(i) + 1).remarks, rows[i].remarks) << i;
  }
  // The third page repeats the second: no fourth is asked for. Each page names itself as
  // the referer.
  const auto pages = web.RequestsTo(kAlice);
  ASSERT_EQ(pages.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(pages[i].url, std::string(kAlice) + "page" + std::to_string(i + 1) + "/");
    EXPECT_EQ(pages[i].Header("Referer"), pages[i].url);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Yupoo, AnAlbumInFullSizeThroughItsZoomPages) {
  ListAlice();
  DownloadAlbums({0});

  const std::string folder = "alice/夏天/";
  ExpectSaved({{folder + "海滩.jpg", "http://photo.yupoo.com/alice/p1/original.jpg"},
               {folder + "日落时分.jpg", "http://photo.yupoo.com/alice/p2/original.jpg"},  // the description
               {folder + "夏天.jpg", "http://photo.yupoo.com/alice/p3/small.jpg"},  // no zoom page: the thumbnail
               {folder + "浪花.jpg", "http://photo.yupoo.com/alice/p4/original.jpg"},
               {folder + "礁石.jpg", "http://photo.yupoo.com/alice/p5/original.jpg"}},
              kPicture);
  EXPECT_EQ(Queued(), 5);
  EXPECT_EQ(ReadFile(save.path() / (folder + "相册描述.txt")), Utf16File(u"第一行\r\n第二行\r\n第三行"));

  // The third page brings no photo not met before: no fourth page.
  EXPECT_EQ(Urls(std::string(kAlice) + "1001/page"),
            (std::vector<std::string>{std::string(kAlice) + "1001/page1/?style=detail",
                                      std::string(kAlice) + "1001/page2/?style=detail",
                                      std::string(kAlice) + "1001/page3/?style=detail"}));
  // Zoom pages name themselves as the referer; a missing one is asked four times.
  for (const char* id : {"p1", "p2", "p4", "p5"}) {
    const std::string zoom = std::string("http://www.yupoo.com/photos/alice/") + id + "/zoom/original/";
    const auto requests = web.RequestsTo(zoom);
    ASSERT_EQ(requests.size(), 1u) << id;
    EXPECT_EQ(requests[0].Header("Referer"), zoom);
  }
  EXPECT_EQ(web.RequestsTo("http://www.yupoo.com/photos/alice/p3/zoom/").size(), 4u);
  // Every picture is fetched with the album as its referer.
  for (const auto& request : web.RequestsTo("http://photo.yupoo.com/"))
    EXPECT_EQ(request.Header("Referer"), std::string(kAlice) + "1001/") << request.url;
}

TEST_F(Yupoo, BigPicturesComeFromTheThumbnailAddresses) {
  ListAlice();
  SetBigPictures();
  DownloadAlbums({0});
  std::vector<SavedPicture> pictures;
  const std::vector<std::string> names = {"海滩", "日落时分", "夏天", "浪花", "礁石"};
  for (size_t i = 0; i < names.size(); ++i)
    pictures.push_back({"alice/夏天/" + names[i] + ".jpg", "http://photo.yupoo.com/alice/p" + std::to_string(i + 1) + "/big.jpg"});
  ExpectSaved(pictures, kPicture);
  EXPECT_EQ(Queued(), 5);
  EXPECT_TRUE(web.RequestsTo("http://www.yupoo.com/photos/alice/p").empty());  // no zoom page
  EXPECT_EQ(ReadFile(save.path() / "alice/夏天/相册描述.txt"), Utf16File(u"第一行\r\n第二行\r\n第三行"));
}

TEST_F(Yupoo, APasswordAlbumOpensInTheLoginWindowWhenTheUserSaysYes) {
  const std::string page = std::string(kAlice) + "1003/page1/?style=detail";
  for (const bool yes : {false, true}) {
    ListAlice();
    ui.questions.clear();
    ui.logins.clear();
    ui.summaries.clear();
    ui.answers = {yes};
    // The password typed in the login window opens the album.
    ui.onLogin = [&] { web.Get(page, ReadFile(test::SiteData("yupoo") / "photos-1003-1.html")); };
    DownloadAlbums({1});

    EXPECT_EQ(ui.questions, std::vector<Text>{u"提示|加密相册,是否输入密码"}) << yes;
    EXPECT_EQ(ui.logins, yes ? std::vector<Text>{FromUtf8(page)} : std::vector<Text>{}) << yes;
    EXPECT_EQ(Queued(), yes ? 1 : 0) << yes;
  }
  ExpectSaved({{"alice/私密/秘密.jpg", "http://photo.yupoo.com/alice/p9/original.jpg"}}, kPicture);
}

TEST_F(Yupoo, AZoomPageThatRefusesTheOriginalAsksForTheLogin) {
  ListAlice();
  DownloadAlbums({2});
  EXPECT_EQ(ui.messages, std::vector<Text>{u"请先在登录菜单里登录你的又拍帐号,登录时勾上下次自动登录"});
  EXPECT_EQ(Queued(), 0);
}

TEST_F(Yupoo, OneAlbumTyped) {
  struct Case {
    const char16_t* typed;
    Text name;  // empty: no album
    int32_t count;
  };
  const std::vector<Case> cases = {
      {u"http://www.yupoo.com/photos/alice/albums/1001/", u"夏天", 5},  // the owner line
      {u"http://www.yupoo.com/photos/alice/albums/1004/?from=home", u"秋天 & 冬天", 12},  // after the owner's link
      {u"http://www.yupoo.com/photos/alice/albums/1099/", u"", 0},  // a title of 301 characters is none
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    List(c.typed);
    const auto albums = state->albums.Snapshot();
    if (c.name.empty()) {
      EXPECT_TRUE(albums.empty());
      EXPECT_EQ(ui.messages, std::vector<Text>{kEmptyList});
      continue;
    }
    ASSERT_EQ(albums.size(), 1u) << ToUtf8(c.typed);
    EXPECT_EQ(albums[0].name, c.name);
    EXPECT_EQ(albums[0].count, c.count);
    EXPECT_EQ(albums[0].listAddress, TextView(c.typed).substr(0, TextView(c.typed).find(u'?')));
    EXPECT_EQ(albums[0].coverAddress, u"");
    EXPECT_EQ(state->ownerFolder, u"alice/");
  }
  for (const auto& request : web.RequestsTo("http://www.yupoo.com/photos/alice/albums/10"))
    EXPECT_EQ(request.Header("Referer"), "http://www.yupoo.com/");
}

TEST_F(Yupoo, AUserOnTheVHost) {
  List(u"http://carol.v.yupoo.com/");
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].name, u"旧照片");
  EXPECT_EQ(albums[0].listAddress, u"http://v.yupoo.com/photos/carol/albums/2001/");
  EXPECT_EQ(albums[0].count, 2);

  SetBigPictures();
  DownloadAlbums({0});
  ExpectSaved({{"carol/旧照片/一.jpg", "http://photo.yupoo.com/carol/q1/big.jpg"},
               {"carol/旧照片/二.jpg", "http://photo.yupoo.com/carol/q2/big.jpg"}},
              kPicture);
  EXPECT_EQ(state->userIdText, u"http://v.yupoo.com/photos/carol/");
}

TEST_F(Yupoo, AnAddressWithoutAlbumsShowsTheMessage) {
  List(u"http://nobody.yupoo.com/");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_EQ(ui.messages, std::vector<Text>{kEmptyList});
  // The service's short answer was asked four times.
  EXPECT_EQ(web.RequestsTo("http://www.yupoo.com/photos/nobody/albums/page1/").size(), 4u);
}

TEST_F(Yupoo, TheCommandLineListsAndDownloadsAnAlbum) {
  const TempDir cliWork, cliSave;
  const test::CliRun list = RunCliBinary(web.ProxyAddress(), cliWork.path(), "list http://alice.yupoo.com/");
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("0002\t私密\t   1\t加密相册"), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("SiteIndex 7:"), std::string::npos) << list.err;

  // The first run's settings take big pictures.
  const test::CliRun run = RunCliBinary(
      web.ProxyAddress(), cliWork.path(),
      "download http://alice.yupoo.com/ --albums 1 --save-path " + Quoted(cliSave.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("夏天\tqueued=5\tsaved=5"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(cliSave.path() / "alice" / "夏天" / "海滩.jpg"), kPicture);
  EXPECT_TRUE(web.RequestsTo("http://www.yupoo.com/photos/alice/p").empty());
}

}  // namespace
}  // namespace zentrow
