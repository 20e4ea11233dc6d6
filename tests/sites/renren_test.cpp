// Renren albums end to end: the category's choice of reader by address, the V7, classic
// and public-page album lists, single albums, the three photo readers the download tries
// in turn, and one run of zentrow-cli, over the fake web fixtures in tests/sites/renren.
#include "sites/renren/renren.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('r');
const std::string kPictureHost = "http://fmn.rrimg.com/";
const std::string kPhotos = "http://photo.renren.com/photo/";
constexpr char16_t kRenrenEmpty[] =
    u"错误原因：\n1.你没有登录你的人人帐号(在登录菜单里登录,登录时需要勾上下次自动登录)\n2.你没有该相册的访问权限.";
constexpr char16_t kPasswordQuestion[] = u"提示|加密相册,是否输入密码";

struct Row {
  Text name;
  Text listAddress;
  Text cover;
  int32_t count;
  int32_t remarks;
};

void ExpectRows(const std::vector<ST_PERLISTRECORD>& albums, const std::vector<Row>& rows) {
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(ToUtf8(rows[i].name));
    EXPECT_EQ(albums[i].name, rows[i].name);
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress);
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover);
    EXPECT_EQ(albums[i].count, rows[i].count);
    EXPECT_EQ(albums[i].remarks, rows[i].remarks);
  }
}

struct Renren : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "renren"));
    ServePicture({kPictureHost}, kPicture);
    BuildState(SITE_RENREN, {0, 0, 4, 10});
  }

  // The pictures of one album were asked for in this order, each once with the Referer.
  void ExpectPictureRequests(const std::vector<std::string>& addresses, const std::string& referer) const {
    for (const std::string& address : addresses) {
      const auto requests = web.RequestsTo(address);
      ASSERT_EQ(requests.size(), 1u) << address;
      EXPECT_EQ(requests[0].Header("Referer"), referer) << address;
    }
  }

  std::vector<int> Queued() const {
    std::vector<int> queued;
    for (const auto& summary : ui.summaries) queued.push_back(summary.queued);
    return queued;
  }
};

TEST_F(Renren, TheAddressChoosesTheReaderAndFindsTheNumber) {
  const std::string v7 = kPhotos + "200001/albumlist/v7?showAll=1";
  struct Case {
    Text address;
    std::vector<std::string> requests;  // every request of the listing, in order
    int albums;
  };
  const std::vector<Case> cases = {
      {u"http://www.renren.com/200001/profile", {v7}, 5},
      {u"http://www.renren.com/200001?ref=home", {v7}, 5},
      {u"http://www.renren.com/xiaoyu", {"http://www.renren.com/xiaoyu", v7}, 5},
      // No number on the home page (not logged in): no album list is asked for.
      {u"http://www.renren.com/nobody", {"http://www.renren.com/nobody"}, 0},
      // Nothing on the V7 pages: the classic pages until one without albums.
      {u"http://www.renren.com/profile.do?id=200002",
       {kPhotos + "200002/albumlist/v7?showAll=1", kPhotos + "200002/album/relatives?curpage=1",
        kPhotos + "200002/album/relatives/ajax?offset=40&limit=40",
        kPhotos + "200002/album/relatives/ajax?offset=80&limit=40"},
       4},
      {u"http://www.renren.com/200003",
       {kPhotos + "200003/albumlist/v7?showAll=1", kPhotos + "200003/album/relatives?curpage=1",
        kPhotos + "200003/ajax?__view=async-html&offset=0&limit=500"},
       2},
      {u"http://page.renren.com/campus",
       {"http://page.renren.com/campus", "http://page.renren.com/600001/album?curpage=0",
        "http://page.renren.com/600001/album?curpage=1"},
       3},
      {u"http://page.renren.com/600002/album",
       {"http://page.renren.com/600002/album?curpage=0", kPhotos + "600002/albumlist/v7?showAll=1"},
       1},
      // Single albums: the classic page, or the V7 page for "/v7".
      {u"http://photo.renren.com/photo/200001/album-300001?frommyphoto#top", {kPhotos + "200001/album-300001"}, 1},
      {u"http://photo.renren.com/photo/200001/album-300001/v7#!/photo/41001", {kPhotos + "200001/album-300001/v7"}, 1},
      // A login page in place of the album page is no album.
      {u"http://photo.renren.com/photo/200009/album-1?x=1", {kPhotos + "200009/album-1"}, 0},
      {u"http://photo.renren.com/photo/200009/album-1/v7", {kPhotos + "200009/album-1/v7"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    ui.messages.clear();
    List(c.address);
    EXPECT_EQ(state->Category(), SITE_RENREN);
    EXPECT_EQ(state->listType, 0);
    EXPECT_EQ(Urls(""), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    const std::vector<Text> messages = c.albums == 0 ? std::vector<Text>{kRenrenEmpty} : std::vector<Text>{};
    EXPECT_EQ(ui.messages, messages);
  }
}

TEST_F(Renren, ListsAUsersAlbumsFromTheV7Page) {
  List(u"http://www.renren.com/200001/profile");
  EXPECT_EQ(state->ownerFolder, u"林小雨/");
  EXPECT_EQ(state->userIdText, u"200001");
  const Text album = u"http://photo.renren.com/photo/200001/album-";
  const Text cover = u"http://fmn.rrimg.com/fmn1/c";
  // The album marked "sourceControl" 4 is password-protected; the entry without an album
  // id gives no row, nor do albums of the page's other scripts.
  ExpectRows(state->albums.Snapshot(), {
                                           {u"海边", album + u"300001/", cover + u"300001.jpg", 5, 0},
                                           {u"密码", album + u"300002/", cover + u"300002.jpg", 3, REMARK_PASSWORD},
                                           {u"重复", album + u"300003/", cover + u"300003.jpg", 2, 0},
                                           {u"旧相册", album + u"300004/", cover + u"300004.jpg", 3, 0},
                                           {u"查看器", album + u"300005/", cover + u"300005.jpg", 3, 0},
                                       });
  for (const auto& request : web.Requests()) EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
}

TEST_F(Renren, ListsTheClassicPagesAndTheirSpecialAlbums) {
  List(u"http://www.renren.com/profile.do?id=200002");
  EXPECT_EQ(state->ownerFolder, u"王大山/");
  const Text album = u"http://photo.renren.com/photo/200002/album-";
  const Text cover = u"http://fmn.rrimg.com/c/";
  // Avatar, password and phone albums are named by their marks; other names lose their tags.
  ExpectRows(state->albums.Snapshot(), {
                                           {u"头像相册", album + u"400001", cover + u"400001.jpg", 12, 0},
                                           {u"加密相册", album + u"400002", cover + u"400002.jpg", 3, REMARK_PASSWORD},
                                           {u"毕业旅行", album + u"400003", cover + u"400003.jpg", 7, 0},
                                           {u"手机相册", album + u"400004", cover + u"400004.jpg", 20, 0},
                                       });

  List(u"http://www.renren.com/200003");
  EXPECT_EQ(state->ownerFolder, u"陈小北/");
  ExpectRows(state->albums.Snapshot(),
             {
                 {u"春", u"http://photo.renren.com/photo/200003/album-500001", cover + u"500001.jpg", 4, 0},
                 {u"夏", u"http://photo.renren.com/photo/200003/album-500002", cover + u"500002.jpg", 6, 0},
             });
}

TEST_F(Renren, ListsAPublicPagesAlbumsUntilAPageOfOne) {
  List(u"http://page.renren.com/600001/album");
  EXPECT_EQ(state->ownerFolder, u"校园风光/");
  const Text album = u"http://photo.renren.com/photo/600001/album-";
  const Text cover = u"http://fmn.rrimg.com/p/";
  // The second page still links to a third, but holds one album: it is the last.
  ExpectRows(state->albums.Snapshot(), {
                                           {u"图书馆", album + u"700001/", cover + u"700001.jpg", 8, 0},
                                           {u"操场", album + u"700002/", cover + u"700002.jpg", 4, 0},
                                           {u"食堂", album + u"700003/", cover + u"700003.jpg", 2, 0},
                                       });
}

TEST_F(Renren, ListsSingleAlbumsWithTheirOwners) {
  struct Case {
    Text address;
    Text owner;
    Row row;
  };
  const std::vector<Case> cases = {
      {u"http://photo.renren.com/photo/200001/album-300001?frommyphoto",
       u"林小雨/",
       {u"海边", u"http://photo.renren.com/photo/200001/album-300001", u"", 5, 0}},
      // The viewer's own album: the owner is the page's guest name.
      {u"http://photo.renren.com/photo/200002/album-400003",
       u"王大山/",
       {u"毕业旅行", u"http://photo.renren.com/photo/200002/album-400003", u"", 7, 0}},
      // The V7 page names the viewer's own home "我的主页": the owner is the user of its script.
      {u"http://photo.renren.com/photo/200001/album-300001/v7#!/photo/41001",
       u"林小雨/",
       {u"海边", u"http://photo.renren.com/photo/200001/album-300001/", u"", 5, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    List(c.address);
    EXPECT_EQ(state->ownerFolder, c.owner);
    ExpectRows(state->albums.Snapshot(), {c.row});
  }
}

TEST_F(Renren, DownloadsEveryAlbumThroughTheReaderThatFindsItsPhotos) {
  List(u"http://www.renren.com/200001/profile");
  ASSERT_EQ(state->albums.Count(), 5);
  // Giving the password in the login window opens the album's photo pages.
  ui.answers = {true};
  ui.onLogin = [this] {
    for (int page = 1; page <= 2; ++page) {
      web.Get(kPhotos + "200001/album-300002/bypage/ajax/v7?page=" + std::to_string(page) + "&pageSize=40",
              ReadFile(test::SiteData("renren") / ("v7-300002-" + std::to_string(page) + ".json")));
    }
  };
  DownloadAlbums({0, 1, 2, 3, 4});

  // The password is asked for once, before the album's first page.
  EXPECT_EQ(ui.questions, std::vector<Text>{kPasswordQuestion});
  EXPECT_EQ(ui.logins, std::vector<Text>{u"http://photo.renren.com/photo/200001/album-300002/"});
  EXPECT_EQ(Queued(), (std::vector<int>{5, 3, 2, 3, 3}));
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");

  // V7 pages: the pictures are numbered in queue order; a photo shown on two pages is
  // taken once.
  const std::string v7 = kPictureHost + "fmn2/";
  ExpectSaved({{"林小雨/海边/1.jpg", v7 + "a1.jpg"},
               {"林小雨/海边/3.jpg", v7 + "a3.jpg"},
               {"林小雨/海边/5.jpg", v7 + "a5.jpg"},
               {"林小雨/密码/1.jpg", v7 + "b1.jpg"},
               {"林小雨/密码/3.jpg", v7 + "b3.jpg"},
               {"林小雨/重复/2.jpg", v7 + "c2.jpg"}},
              kPicture);
  ExpectPictureRequests({v7 + "a1.jpg", v7 + "a4.jpg"}, "http://photo.renren.com/photo/200001/album-300001/");
  // "重复" shows its first photos again on page 2: that page ends it.
  EXPECT_EQ(Urls(kPhotos + "200001/album-300003/bypage/"),
            (std::vector<std::string>{kPhotos + "200001/album-300003/bypage/ajax/v7?page=1&pageSize=40",
                                      kPhotos + "200001/album-300003/bypage/ajax/v7?page=2&pageSize=40"}));

  // The paged reader: the album takes the name its page shows; a full-size address is
  // kept, the others are looked up on the photo's page (one that cannot tell keeps the
  // large address); an empty title gives the album's name.
  const std::string paged = kPictureHost + "fmn3/";
  ExpectSaved({{"林小雨/老照片 2010/黄昏.jpg", paged + "original_d1.jpg"},
               {"林小雨/老照片 2010/老照片 2010.jpg", paged + "xlarge_d2.jpg"},
               {"林小雨/老照片 2010/湖面.jpg", paged + "large_d3.jpg"}},
              kPicture);
  EXPECT_TRUE(web.RequestsTo(kPhotos + "200001/photo-51001/").empty());
  ExpectPictureRequests({paged + "xlarge_d2.jpg"},
                        "http://photo.renren.com/photo/200001/album-300004/bypage/ajax?curPage=0&pagenum=65535");
  ST_PERLISTRECORD renamed;
  ASSERT_TRUE(state->albums.Get(3, renamed));
  EXPECT_EQ(renamed.name, u"老照片 2010");

  // The viewer's lists: the extra-large address, else the large one; the entry past the
  // album's last position is neither taken nor followed; the last photo's link leads back
  // to the first list, which is not read again. A page that does not show the album's
  // name where an album page does leaves the listed name.
  const std::string viewer = kPictureHost + "fmn4/";
  ExpectSaved({{"林小雨/查看器/树.jpg", viewer + "xl_e1.jpg"},
               {"林小雨/查看器/查看器.jpg", viewer + "l_e2.jpg"},
               {"林小雨/查看器/花.jpg", viewer + "xl_e3.jpg"}},
              kPicture);
  ExpectPictureRequests({viewer + "xl_e3.jpg"}, "http://photo.renren.com/photo/200001/photo-61002?albumId=300005");
  EXPECT_EQ(web.RequestsTo(kPhotos + "200001/photo-61001?").size(), 1u);
  EXPECT_EQ(web.RequestsTo(kPhotos + "200001/photo-61002?").size(), 1u);
  EXPECT_TRUE(web.RequestsTo(kPhotos + "200001/photo-69999").empty());
  EXPECT_TRUE(web.RequestsTo(viewer + "xl_junk.jpg").empty());
}

TEST_F(Renren, ANoToThePasswordQuestionSkipsThePasswordAlbum) {
  List(u"http://www.renren.com/200001/profile");
  DownloadAlbums({1});
  // The V7 reader reads on without the password and finds nothing; the two older
  // readers each ask once and, told No, read nothing.
  EXPECT_EQ(ui.questions, (std::vector<Text>{kPasswordQuestion, kPasswordQuestion, kPasswordQuestion}));
  EXPECT_TRUE(ui.logins.empty());
  EXPECT_EQ(Queued(), std::vector<int>{0});
  EXPECT_EQ(Urls(kPhotos + "200001/album-300002/"),
            std::vector<std::string>{kPhotos + "200001/album-300002/bypage/ajax/v7?page=1&pageSize=40"});
}

TEST_F(Renren, ASingleClassicAlbumIsReadByTheOlderReadersWhenTheV7PagesHaveNothing) {
  web.Get(kPhotos + "200002/album-400003/bypage/ajax?curPage=0&pagenum=65535",
          ReadFile(test::SiteData("renren") / "paged-300004.json"));
  List(u"http://photo.renren.com/photo/200002/album-400003");
  ASSERT_EQ(state->albums.Count(), 1);
  DownloadAlbums({0});
  EXPECT_EQ(Queued(), std::vector<int>{3});
  // The list address has no closing "/": each reader's pages lie below it all the same.
  EXPECT_EQ(Urls(kPhotos + "200002/album-400003/"),
            (std::vector<std::string>{kPhotos + "200002/album-400003/bypage/ajax/v7?page=1&pageSize=40",
                                      kPhotos + "200002/album-400003/bypage/ajax?curPage=0&pagenum=65535",
                                      kPhotos + "200002/album-400003/bypage/ajax?curPage=1&pagenum=65535"}));
  // The album page names the album as listed (its tags stripped): the folder keeps that name.
  EXPECT_EQ(ReadFile(save.path() / "王大山/毕业旅行/黄昏.jpg"), kPicture);
  EXPECT_EQ(ReadFile(save.path() / "王大山/毕业旅行/毕业旅行.jpg"), kPicture);
}

TEST(RenrenCommandLine, ListsAndDownloadsAUsersAlbums) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "renren"));
  web.Get(kPictureHost + "*", kPicture);
  const test::TempDir work, save;
  auto run = [&](const std::string& args) { return test::RunCliBinary(web.ProxyAddress(), work.path(), args); };

  const test::CliRun list = run("list http://www.renren.com/xiaoyu");
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t海边\t   5\t", "0002\t密码\t   3\t加密相册", "0005\t查看器\t   3\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;

  const test::CliRun download =
      run("download http://www.renren.com/xiaoyu --albums 1,4 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("海边\tqueued=5\tsaved=5"), std::string::npos) << download.out;
  EXPECT_NE(download.out.find("老照片 2010\tqueued=3\tsaved=3"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(save.path() / "林小雨" / "海边" / "5.jpg"), kPicture);
  EXPECT_EQ(ReadFile(save.path() / "林小雨" / "老照片 2010" / "湖面.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
