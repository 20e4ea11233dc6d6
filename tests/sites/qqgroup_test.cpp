// QQ group albums end to end: the production QQ entry, the engine and the fake web.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sites/query_relay.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;
using test::QqToken;
using test::QueryValue;
using test::ReadFile;

constexpr char kSkey[] = "@Ab3xYz";
const std::string kAlbumList = "http://qungz.photo.qq.com/cgi-bin/upp/qun_list_album_v2?";
const std::string kPhotoList =
    "http://qungz.photo.qq.com/cgi-bin/upp/qun_list_photo_v2?getCommentCnt=5&format=jsonp&platform=qzone"
    "&inCharset=utf-8&outCharset=utf-8&source=jsapi&";
const std::string kPicture = test::JpegBody('q');

void SetGroupCookie(const std::string& line) {
  ASSERT_TRUE(net::CookieStore::Instance().SetCookie(u"http://qun.qq.com/", line + "; domain=qq.com; path=/"));
}

struct QqGroup : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "qqgroup"));
    ServePicture({"http://p.qpic.cn/qun/"}, kPicture);
    BuildState(SITE_QQ, {0, 0, 8, 10}).filePrefix.Set(u"?1-");
    state->SetSubKind(SUBKIND_QQ_GROUP);
  }

  void LogIn() {
    SetGroupCookie(std::string("skey=") + kSkey);
    SetGroupCookie("guin=o0123456");
  }
};

TEST_F(QqGroup, ListsTheAlbumsSixtyARequestWithTheMembersToken) {
  LogIn();
  List(u"http://qun.qq.com/air/#!/778899/album");

  ASSERT_EQ(state->albums.Count(), 61);
  EXPECT_EQ(state->listType, SUBKIND_QQ_GROUP);
  EXPECT_EQ(state->userIdText, u"123456");
  EXPECT_TRUE(ui.messages.empty());
  const Text fragment = u"&uin=123456&g_tk=" + FromUtf8(QqToken(kSkey));
  struct Row {
    int index;
    Text name;
    int32_t count;
    Text cover;
    Text listAddress;
  };
  const std::vector<Row> rows = {
      {0, u"春游", 3, u"http://p.qpic.cn/qun/c0001/200", u"qunId=778899&albumId=V10001" + fragment},
      {1, u"毕业照", 503, u"http://p.qpic.cn/qun/c0002/200", u"qunId=778899&albumId=V10002" + fragment},
      {59, u"群相册60", 60, u"http://p.qpic.cn/qun/c0060/200", u"qunId=778899&albumId=V10060" + fragment},
      {60, u"最后一个", 0, u"http://p.qpic.cn/qun/c0061/200", u"qunId=778899&albumId=V10061" + fragment},
  };
  for (const Row& row : rows) {
    ST_PERLISTRECORD album;
    ASSERT_TRUE(state->albums.Get(row.index, album));
    EXPECT_EQ(album.name, row.name) << row.index;
    EXPECT_EQ(album.count, row.count) << row.index;
    EXPECT_EQ(album.coverAddress, row.cover) << row.index;
    EXPECT_EQ(album.listAddress, row.listAddress) << row.index;
    EXPECT_EQ(album.remarks, 0) << row.index;
  }

  // A page of untitled entries adds nothing but is not the end; the empty page is.
  const auto urls = Urls(kAlbumList);
  ASSERT_EQ(urls.size(), 4u);
  for (size_t i = 0; i < urls.size(); ++i) {
    EXPECT_EQ(QueryValue(urls[i], "start"), std::to_string(60 * i));
    EXPECT_EQ(QueryValue(urls[i], "num"), "60");
    EXPECT_EQ(QueryValue(urls[i], "g_tk"), QqToken(kSkey));
    EXPECT_EQ(QueryValue(urls[i], "uin"), "123456");
  }
}

TEST_F(QqGroup, TheTokenAndNumberComeFromTheCookiesByName) {
  web.Get(kAlbumList + "qunId=42&*", "_Callback({\"code\" : 0, \"data\" : {\"album\" : [ ]}});");
  struct Case {
    std::vector<std::string> cookies;
    std::string uin;
    std::string token;
  };
  const std::vector<Case> cases = {
      // The only cookie: the string starts with "skey=", with no blank before it.
      {{"skey=@Ab3xYz"}, "", QqToken(kSkey)},
      {{"guin=o0123456", "skey=@Ab3xYz"}, "123456", QqToken(kSkey)},
      {{"guin=o00123"}, "0123", "5381"},  // one zero is removed, no skey gives 5381
  };
  for (const Case& c : cases) {
    net::CookieStore::Instance().ClearAll();
    for (const auto& line : c.cookies) SetGroupCookie(line);
    if (c.cookies.size() == 1 && c.cookies[0].starts_with("skey=")) {
      ASSERT_TRUE(net::GetCookieText(u"http://qun.qq.com/").starts_with(u"skey="));
    }
    web.ClearRequests();
    List(u"42");
    const auto urls = Urls(kAlbumList);
    ASSERT_EQ(urls.size(), 1u) << c.cookies.front();
    EXPECT_EQ(QueryValue(urls[0], "uin"), c.uin) << c.cookies.front();
    EXPECT_EQ(QueryValue(urls[0], "g_tk"), c.token) << c.cookies.front();
  }
  EXPECT_EQ(state->albums.Count(), 0);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_TRUE(ui.messages.back().starts_with(u"没有获取到相册，可按以下步骤操作：\n\n1、你哪个号加入了你要下载的QQ群"));
}

TEST_F(QqGroup, AVisitorWhoIsNotLoggedInGetsNoAlbum) {
  List(u"555");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_EQ(Urls(kAlbumList).size(), 1u);
}

TEST_F(QqGroup, ARepeatedAlbumPageEndsTheListing) {
  LogIn();
  web.Get(kAlbumList + "qunId=31&*", ReadFile(test::SiteData("qqgroup") / "albums-60.json"));
  List(u"31");
  EXPECT_EQ(state->albums.Count(), 1);
  EXPECT_EQ(Urls(kAlbumList).size(), 2u);
}

// A photo page of the album "毕业照": entries first..last, each with only a thumbnail.
std::string GraduationPage(int first, int last) {
  std::string page = "_Callback({\"code\" : 0, \"data\" : {\"photos\" : [\n";
  for (int i = first; i <= last; ++i) {
    char entry[256];
    std::snprintf(entry, sizeof entry,
                  "{\"bheight\" : 100, \"burl\" : \"http:\\/\\/p.qpic.cn\\/qun\\/g%d\\/200\", \"desc\" : \"\", "
                  "\"hdurl\" : \"\", \"name\" : \"g%03d\", \"rawurl\" : \"\"}%s\n",
                  i, i, i == last ? "" : ",");
    page += entry;
  }
  return page + "]}});";
}

TEST_F(QqGroup, DownloadsTwoAlbumsWithTheConfiguredNames) {
  LogIn();
  List(u"778899");
  ASSERT_EQ(state->albums.Count(), 61);
  ST_PERLISTRECORD graduation;
  ASSERT_TRUE(state->albums.Get(1, graduation));

  // The photo pages carry "t" (a random fraction) before "start": the relay writes it as
  // "0" so each page has a fixed address.
  test::QueryRelay relay(web.Port(), {"t"});
  net::SetProxy(relay.ProxyAddress());
  const std::string page = kPhotoList + ToUtf8(graduation.listAddress) + "&t=0&start=";
  web.Get(page + "0&num=500", GraduationPage(1, 500));
  web.Get(page + "500&num=500", GraduationPage(501, 503));
  web.Get(page + "1000&num=500", "_Callback({\"code\" : 0, \"data\" : {\"photos\" : [ ]}});");
  DownloadAlbums({0, 1});

  ASSERT_EQ(ui.summaries.size(), 2u);
  const AlbumDownloadSummary& spring = ui.summaries[0];
  const AlbumDownloadSummary& big = ui.summaries[1];
  EXPECT_EQ(spring.queued, 3);
  EXPECT_EQ(spring.saved, 3);
  EXPECT_EQ(big.queued, 503);
  EXPECT_EQ(big.saved, 503);

  // Picture addresses: raw, else big with "/200?" made "/800?", else the thumbnail at 800;
  // names: the photo's name (trimmed), else its description.
  const std::vector<test::SavedPicture> pictures = {
      {"春游/春游-IMG_0001.jpg", "http://p.qpic.cn/qun/r1/0"},
      {"春游/春游-合影.jpg", "http://p.qpic.cn/qun/h2/800?w5=1"},
      {"春游/春游-IMG_0003.jpg", "http://p.qpic.cn/qun/b3/800"},
      {"毕业照/毕业照-g001.jpg", "http://p.qpic.cn/qun/g1/800"},
      {"毕业照/毕业照-g500.jpg", "http://p.qpic.cn/qun/g500/800"},
      {"毕业照/毕业照-g503.jpg", "http://p.qpic.cn/qun/g503/800"},
  };
  ExpectSaved(pictures, kPicture);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(save.path() / "毕业照"))
    files += entry.path().extension() == ".jpg";
  EXPECT_EQ(files, 503u);

  // "春游" answers every page alike: its second page is not read. "毕业照" ends at the
  // page without entries. Every request carries the album's fragment with the token.
  const auto springPages = Urls(kPhotoList + "qunId=778899&albumId=V10001&");
  EXPECT_EQ(springPages.size(), 2u);
  const auto bigPages = Urls(kPhotoList + "qunId=778899&albumId=V10002&");
  ASSERT_EQ(bigPages.size(), 3u);
  for (size_t i = 0; i < bigPages.size(); ++i) {
    EXPECT_EQ(QueryValue(bigPages[i], "start"), std::to_string(500 * i));
    EXPECT_EQ(QueryValue(bigPages[i], "num"), "500");
    EXPECT_EQ(QueryValue(bigPages[i], "g_tk"), QqToken(kSkey));
  }
}

// A service that answers past the end with earlier photos again (in a page of its own,
// so the text differs) ends the album there: nothing is queued twice, nothing loops.
TEST_F(QqGroup, APhotoPageOfOnlyEarlierPhotosEndsTheAlbum) {
  LogIn();
  List(u"778899");
  ST_PERLISTRECORD graduation;
  ASSERT_TRUE(state->albums.Get(1, graduation));
  test::QueryRelay relay(web.Port(), {"t"});
  net::SetProxy(relay.ProxyAddress());
  const std::string page = kPhotoList + ToUtf8(graduation.listAddress) + "&t=0&start=";
  web.Get(page + "0&num=500", GraduationPage(1, 3));
  web.Get(page + "500&num=500", GraduationPage(2, 3));
  web.Get(page + "1000&num=500", GraduationPage(4, 4));
  DownloadAlbums({1});

  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 3);
  EXPECT_EQ(ui.summaries[0].saved, 3);
  EXPECT_EQ(Urls(page + "1000").size(), 0u);
}

}  // namespace
}  // namespace zentrow
