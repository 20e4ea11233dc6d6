// Weibo albums end to end: the Sina entry, the engine and the fake web.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/download.h"
#include "sites/sina/sina.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

using namespace std::chrono_literals;
using test::ReadFile;

const std::string kPhotoList = "http://photo.weibo.com/photos/get_all?uid=1234567890&album_id=";
const std::string kPicture = test::JpegBody('b');
constexpr char16_t kSinaEmpty[] = u"没有获取到相册，请在登录菜单里登录新浪(微博)帐号后重试,登录时勾上下次自动登录";

std::string Numbered(const char* pattern, int n) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, pattern, n);
  return buffer;
}

// What a diagnosis dump holds for a page: the byte-order mark and the UTF-16LE text.
std::string DumpOf(const std::string& pageBytes) {
  const Text text = FromUtf8(pageBytes);
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

struct Weibo : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "weibo"));
    ServePicture({"http://ww2.sinaimg.cn/", "http://ww3.sinaimg.cn/", "http://ww4.sinaimg.cn/"}, kPicture);
    sites[SITE_SINA] = SinaReaders({.retry = 20ms, .moveOn = 10ms});
    BuildState(SITE_SINA, {0, 0, 4, 10}, sites).filePrefix.Set(u"?8-");  // the owner's nickname
  }

  // Requests of one photo page; `album` is the album id and what follows it up to "&page=".
  size_t PageRequests(const std::string& album, int page) const {
    return web.RequestsTo(kPhotoList + album + "&page=" + std::to_string(page) + "&_rnd=").size();
  }
};

TEST_F(Weibo, ListsEveryAlbumOfTheUserFromOneAnswer) {
  // A host-only cookie of the home page: only the reader's own cookie line takes it to
  // the photo host.
  ASSERT_TRUE(net::CookieStore::Instance().SetCookie(kWeiboHomeAddress, "SUB=_2A25login; path=/"));
  List(u"http://weibo.com/u/1234567890");

  EXPECT_EQ(state->Category(), SITE_SINA);
  EXPECT_EQ(state->listType, 2);
  EXPECT_EQ(state->userIdText, u"1234567890");
  EXPECT_EQ(state->ownerFolder, u"小蓝Blue/");
  EXPECT_EQ(state->scratchText, u"3005");  // the album listed last
  EXPECT_TRUE(ui.messages.empty());

  struct Row {
    Text name;
    Text albumAndType;
    Text cover;
    int32_t count;
  };
  // The entry without an album id gives no row; one without a cover or a photo count
  // still does.
  const std::vector<Row> rows = {
      {u"旅行", u"3001&count=32&type=3", u"http://ww1.sinaimg.cn/thumb300/cover3001.jpg", 40},
      {u"美食", u"3002&count=32&type=18", u"http://ww1.sinaimg.cn/thumb300/cover3002.jpg", 70},
      {u"无封面", u"3003&count=32&type=5", u"", 0},
      {u"收藏", u"3004&count=32&type=6", u"http://ww1.sinaimg.cn/thumb300/cover3004.jpg", 5},
      {u"转发", u"3005&count=32&type=7", u"http://ww1.sinaimg.cn/thumb300/cover3005.jpg", 0},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, FromUtf8(kPhotoList) + rows[i].albumAndType + u"&page=") << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }

  for (const std::string page : {"http://weibo.com/u/1234567890", "http://photo.weibo.com/albums/get_all?"}) {
    const auto requests = web.RequestsTo(page);
    ASSERT_EQ(requests.size(), 1u) << page;
    bool withLogin = false;
    for (const auto& [name, value] : requests[0].headers)
      withLogin = withLogin || (name == "cookie" && value.find("SUB=_2A25login") != std::string::npos);
    EXPECT_TRUE(withLogin) << page;
  }
}

TEST_F(Weibo, FindsTheOwnerInEachOfTheThreePageForms) {
  struct Case {
    Text address;
    Text userId;
    Text ownerFolder;
    Text firstAlbum;
  };
  const std::vector<Case> cases = {
      {u"http://weibo.com/u/1234567890", u"1234567890", u"小蓝Blue/", u"旅行"},   // "['oid'] = '"
      {u"http://weibo.com/lanlan", u"2233445566", u"兰兰/", u"头像"},              // "['oid']='"
      {u"http://weibo.com/p/1005055566778899", u"5566778899", u"第三位/", u"随手拍"},  // "\"id\":"
  };
  for (const Case& c : cases) {
    List(c.address);
    EXPECT_EQ(state->userIdText, c.userId);
    EXPECT_EQ(state->ownerFolder, c.ownerFolder);
    ST_PERLISTRECORD first;
    ASSERT_TRUE(state->albums.Get(0, first));
    EXPECT_EQ(first.name, c.firstAlbum);
    EXPECT_NE(first.listAddress.find(u"get_all?uid=" + c.userId + u"&"), Text::npos) << ToUtf8(first.listAddress);
  }

  // A page without an owner (not logged in): no album request, the Sina message.
  web.ClearRequests();
  List(u"http://weibo.com/nobody");
  EXPECT_TRUE(state->userIdText.empty());
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_TRUE(web.RequestsTo("http://photo.weibo.com/").empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], kSinaEmpty);
}

TEST_F(Weibo, DownloadsTwoAlbums32PhotosAPage) {
  List(u"http://weibo.com/u/1234567890");
  ASSERT_EQ(state->albums.Count(), 5);
  DownloadAlbums({0, 1});

  std::vector<test::SavedPicture> pictures;
  for (int i = 1; i <= 40; ++i)
    pictures.push_back(
        {Numbered("小蓝Blue/旅行/小蓝Blue-旅行%02d.jpg", i), Numbered("http://ww2.sinaimg.cn/large/t%02d.jpg", i)});
  // Page 2 of "旅行": an escaped caption, rebuilt addresses of both types (one host with a
  // closing "/"), a caption of tags only.
  pictures[32].file = "小蓝Blue/旅行/小蓝Blue-海边.jpg";
  pictures[33].address = "http://ww3.sinaimg.cn/1234567890/180/t34.jpg";
  pictures[34].address = "http://ww3.sinaimg.cn/large/t35.jpg";
  pictures[35].file = "小蓝Blue/旅行/小蓝Blue-旅行.jpg";
  pictures[36].address = "http://ww4.sinaimg.cn/1234567890/180/t37.jpg";
  for (int i = 1; i <= 38; ++i)
    pictures.push_back(
        {Numbered("小蓝Blue/美食/小蓝Blue-美食%02d.jpg", i), Numbered("http://ww2.sinaimg.cn/large/f%02d.jpg", i)});

  ExpectSaved(pictures, kPicture);
  size_t pictureRequests = 0;
  for (const auto& request : web.Requests()) pictureRequests += request.url.find(".sinaimg.cn") != std::string::npos;
  EXPECT_EQ(pictureRequests, pictures.size());
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 40);
  EXPECT_EQ(ui.summaries[1].queued, 38);
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");

  // "旅行" (limit 2) ends at its photo-less page 3. "美食" (limit 3) asks its photo-less
  // page 2 twice, goes on to page 3, and ends at the photo-less page 4.
  struct Pages {
    std::string album;
    std::vector<size_t> requests;  // of pages 1, 2, ...
  };
  for (const Pages& p : {Pages{"3001&count=32&type=3", {1, 1, 1, 0}}, Pages{"3002&count=32&type=18", {1, 2, 1, 1, 0}}})
    for (size_t page = 0; page < p.requests.size(); ++page)
      EXPECT_EQ(PageRequests(p.album, static_cast<int>(page) + 1), p.requests[page]) << p.album << " " << page + 1;
  for (const auto& request : web.RequestsTo(kPhotoList)) {
    EXPECT_EQ(request.Header("Referer"), "http://photo.weibo.com/1234567890/talbum/index?from=profile_wb");
    EXPECT_NE(request.url.find("&_rnd=0."), std::string::npos) << request.url;
  }
  // Every page replaces the dump: the last one read is there.
  EXPECT_EQ(ReadFile(work.path() / "sinawb.tmp"), DumpOf(ReadFile(test::SiteData("weibo") / "food-none.json")));
}

TEST_F(Weibo, APageOfAnUnknownLayoutIsDumped) {
  List(u"http://weibo.com/u/1234567890");
  DownloadAlbums({3});  // "收藏" answers with a login page
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 0);
  EXPECT_EQ(PageRequests("3004&count=32&type=6", 1), 1u);
  EXPECT_EQ(PageRequests("3004&count=32&type=6", 2), 0u);  // page limit 1 reached: no retry
  EXPECT_EQ(ReadFile(work.path() / "sinawb.tmp"), DumpOf(ReadFile(test::SiteData("weibo") / "login.html")));
}

TEST_F(Weibo, APageRepeatedForEveryNumberEndsTheAlbum) {
  List(u"http://weibo.com/u/1234567890");
  DownloadAlbums({4});  // "转发" answers every page with the same two photos
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 2);
  EXPECT_EQ(web.RequestsTo(kPhotoList + "3005&").size(), 2u);
}

// An album that claims more photos than it will ever show answers photo-less pages: ten
// of them in a row (each asked twice) end it, whatever the count says.
TEST_F(Weibo, PhotolessPagesInARowEndAnAlbumOfAnImpossibleCount) {
  web.Get("http://photo.weibo.com/albums/get_all?uid=2233445566&count=65535",
          "{\"data\":{\"album_list\":[{\"album_id\":\"4009\",\"type\":3,\"caption\":\"x\","
          "\"count\":{\"photos\":2147483647,\"likes\":0}}]}}");
  web.Get(kPhotoList.substr(0, kPhotoList.find("uid=")) + "uid=2233445566&album_id=4009&",
          ReadFile(test::SiteData("weibo") / "food-none.json"));
  List(u"http://weibo.com/lanlan");
  ASSERT_EQ(state->albums.Count(), 1);
  DownloadAlbums({0});
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 0);
  EXPECT_EQ(web.RequestsTo("http://photo.weibo.com/photos/get_all?uid=2233445566&album_id=4009&").size(), 21u);
}

TEST_F(Weibo, AStopEndsTheReaderAtOnce) {
  List(u"http://weibo.com/u/1234567890");
  // The second photo was the first of an earlier download: the reader is told to stop there.
  Text folder = save.text() + u"小蓝Blue/旅行/";
  ASSERT_TRUE(MakeFolderPath(folder));
  WriteMarker(folder, u"http://ww2.sinaimg.cn/large/t02.jpg");
  state->Settings().Naming(SITE_SINA).optionFlags = OPT_SKIP_DOWNLOADED;
  DownloadAlbums({0});
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 1);
  EXPECT_EQ(PageRequests("3001&count=32&type=3", 2), 0u);
}

// The production table carries the Sina entry: the real command-line program lists a
// Weibo user's albums through it.
TEST(WeiboCommandLine, ListsTheAlbumsOfAUserPage) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "weibo"));
  const test::TempDir work;
  const test::CliRun run = test::RunCliBinary(web.ProxyAddress(), work.path(), "list http://weibo.com/u/1234567890");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("0001\t旅行\t"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("0002\t美食\t"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("SiteIndex 4:"), std::string::npos);
}

}  // namespace
}  // namespace zentrow
