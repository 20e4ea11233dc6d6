// QQ Zone: the text rules of its readers, then listings and downloads end to end through
// the engine with the production site table, and one run of zentrow-cli, over the fake
// web fixtures in tests/sites/qzone.
#include "sites/qq/qq.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sites/query_relay.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;
using test::QqToken;
using test::QueryRelay;
using test::QueryValue;
using test::Quoted;
using test::ReadFile;
using test::RecordedRequest;
using test::RunCliBinary;
using test::TempDir;

const fs::path kFixtures = test::SiteData("qzone");
constexpr char kSkey[] = "@Zx9Kq2Lm";
constexpr char kPhotoList[] = "http://user.qzone.qq.com/p/plist.photo/fcgi-bin/cgi_list_photo?";
const Text kEmptyQzone =
    u"没有获取到相册，原因如下：\n\n1、可能是因为空间不是公开的，你哪个号能进入他的空间，就先在下载器的登录菜单里"
    u"登录了那个号后再点获取相册\n\n2、下载QQ空间相册请直接输入QQ号进行下载";

// ---- text rules ----------------------------------------------------------------------

TEST(QzoneText, PrivacyGivesTheRemarks) {
  struct Case {
    const char16_t* privacy;
    int32_t remarks;
  };
  for (const Case& c : std::vector<Case>{{u" 3", REMARK_PRIVATE}, {u" 4", REMARK_FRIENDS}, {u" 6", REMARK_FRIENDS},
                                         {u" 5", REMARK_PASSWORD}, {u" 1", 0}, {u"34", REMARK_PRIVATE},
                                         {u"56", REMARK_FRIENDS}, {u"", 0}}) {
    EXPECT_EQ(QzonePrivacyRemarks(c.privacy), c.remarks) << ToUtf8(c.privacy);
  }
}

TEST(QzoneText, TheRouteGivesTheSiteNumberAndTheAlbumListHost) {
  struct Case {
    const char16_t* route;
    int32_t site;
    const char16_t* defaultHost;  // from the default entry
    const char16_t* firstHost;    // from the first entry (the V3 reader's second attempt)
  };
  const std::vector<Case> cases = {
      {u"{\"idcno\":\"12\",\"default\":\"photo\",\"qzone\":{\"nu\":\"z\",\"p\":\"qzs.store.qq.com\"},"
       u"\"photo\":{\"nu\":\"p\",\"p\":\"xaplist.store.qq.com\"}}",
       12, u"xalist.photo.qq.com", u"qzs.store.qq.com"},
      {u"{\"default\":\"b\",\"a\":{\"nu\":\"1\",\"p\":\"shplist.store.qq.com\"},\"b\":{\"nu\":\"2\",\"p\":\"h.qq.com\"}}",
       0, u"h.qq.com", u"shalist.photo.qq.com"},
      {u"{\"idcno\":7,\"default\":\"x\",\"x\":{\"p\":\"shplist.store.qq.com\"}}", 0, u"shalist.photo.qq.com",
       u"shalist.photo.qq.com"},  // an unquoted idcno is not read
      {u"", 0, u"", u""},
  };
  for (const Case& c : cases) {
    Text route = c.route;
    EXPECT_EQ(ReadQzoneRouteSite(route), c.site) << ToUtf8(c.route);
    EXPECT_EQ(QzoneAlbumHost(route), c.defaultHost) << ToUtf8(c.route);
    Text again = c.route;
    EXPECT_EQ(QzoneAlbumHost(again), c.firstHost) << ToUtf8(c.route);
  }
}

TEST(QzoneText, AnAlbumSegmentBecomesARecord) {
  ST_PERLISTRECORD r;
  ASSERT_TRUE(ReadQzoneAlbum(u"V1a\",\n \"name\" : \"春游\",\n \"pre\" : \"http:\\/\\/p.qq.com\\/c.jpg\",\n"
                             u" \"priv\" : 3,\n \"total\" : 17,\n \"x\" : 0",
                             12, u"10001", r));
  EXPECT_EQ(r.name, u"春游");
  EXPECT_EQ(r.listAddress, u"idcNum=12&hostUin=10001&albumid=V1a");
  EXPECT_EQ(r.coverAddress, u"http://p.qq.com/c.jpg");
  EXPECT_EQ(r.remarks, REMARK_PRIVATE);
  EXPECT_EQ(r.count, 17);

  ST_PERLISTRECORD nameless;
  EXPECT_FALSE(ReadQzoneAlbum(u"V1b\", \"total\" : 9, \"priv\" : 1,", 12, u"10001", nameless));
  // Fields are found in page order only: a total before the name is not seen.
  ST_PERLISTRECORD reordered;
  ASSERT_TRUE(ReadQzoneAlbum(u"V1c\", \"total\" : 9, \"name\" : \"n\", \"priv\" : 4,", 0, u"1", reordered));
  EXPECT_EQ(reordered.count, 0);
  EXPECT_EQ(reordered.remarks, REMARK_FRIENDS);
  EXPECT_EQ(reordered.coverAddress, u"");
}

TEST(QzoneText, PhotoAddressesPreferTheFullSizeAndKeepThePreviewAsFallback) {
  struct Case {
    const char16_t* segment;
    const char16_t* address;
  };
  const std::vector<Case> cases = {
      {u" : \"1\", \"raw_upload\" : 0, \"raw\" : \"http:\\/\\/r.qq.com\\/psbe?\\/x\\/o\\/1\", \"origin_url\" : "
       u"\"http:\\/\\/o.qq.com\\/2\", \"pre\" : \"http:\\/\\/b.qq.com\\/a\\/1\"",
       u"http://r.qq.com/psb?/x/o/1\r\nhttp://b.qq.com/b/1"},
      {u" : \"2\", \"raw_upload\" : 1, \"raw\" : \"\", \"origin_url\" : \"http:\\/\\/o.qq.com\\/o\\/2\", "
       u"\"pre\" : \"http:\\/\\/b.qq.com\\/a\\/2\"",
       u"http://o.qq.com/r/2\r\nhttp://b.qq.com/b/2"},
      {u" : \"3\", \"raw_upload\" : 0, \"origin_url\" : \"http:\\/\\/o.qq.com\\/o\\/3\", \"pre\" : \"\"",
       u"http://o.qq.com/o/3\r\n"},
      {u" : \"4\", \"pre\" : \"http:\\/\\/b.qq.com\\/a\\/4\"", u"http://b.qq.com/b/4"},
      // The preview is looked for after origin_url: one standing before it is not seen.
      {u" : \"5\", \"pre\" : \"http:\\/\\/b.qq.com\\/a\\/5\", \"origin_url\" : \"http:\\/\\/o.qq.com\\/5\"",
       u"http://o.qq.com/5\r\n"},
      {u" : \"6\", \"width\" : 10", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(QzonePhotoAddress(c.segment), c.address) << ToUtf8(c.segment);
}

TEST(QzoneText, TheNameWaySettingChoosesTheDescription) {
  struct Case {
    const char16_t* segment;
    int way;
    const char16_t* description;
  };
  const std::vector<Case> cases = {
      {u"\"desc\" : \" 海边 \", \"name\" : \" IMG_1 \"", 1, u"IMG_1"},
      {u"\"desc\" : \" 海边 \", \"name\" : \"  \"", 1, u" 海边 "},  // the fallback is not trimmed
      {u"\"desc\" : \" 海边 \", \"name\" : \" IMG_1 \"", 2, u"海边"},
      {u"\"desc\" : \"\", \"name\" : \" IMG_1 \"", 0, u" IMG_1 "},
      {u"\"width\" : 1", 1, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(QzonePhotoDescription(c.segment, c.way), c.description) << c.way;
}

TEST(QzoneText, TheAlbumPageComesFromTheListAddress) {
  EXPECT_EQ(QzoneAlbumPage(u"idcNum=12&hostUin=10001&albumid=V11ddd"), u"http://user.qzone.qq.com/10001/photo/V11ddd");
}

// ---- end to end ----------------------------------------------------------------------

class QzoneSite : public test::SiteTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "qzone"));
    net::SetProxy(relay.ProxyAddress());
    auto& cookies = net::CookieStore::Instance();
    cookies.SetCookie(u"http://user.qzone.qq.com/", std::string("skey=") + kSkey + "; path=/; domain=qq.com");
    cookies.SetCookie(u"http://user.qzone.qq.com/", "uin=o20002; path=/; domain=qq.com");

    BuildState(SITE_QQ, {.threadCount = 3, .timeoutSeconds = 10}).filePrefix.Set(u"?3-");
    state->SetSubKind(SUBKIND_QZONE);
  }

  std::vector<RecordedRequest> PhotoRequests(const std::string& albumId) const {
    std::vector<RecordedRequest> found;
    for (const RecordedRequest& r : web.RequestsTo(kPhotoList))
      if (QueryValue(r.url, "topicId") == albumId) found.push_back(r);
    return found;
  }
  std::string Picture(const char* name) const { return ReadFile(kFixtures / "pictures" / name); }

  QueryRelay relay{web.Port(), {"t", "_"}};
};

struct Row {
  const char16_t* name;
  const char16_t* count;
  const char16_t* remarks;
  const char16_t* listAddress;
};
const std::vector<Row> kRows10001 = {
    {u"旅行", u"   5", u"", u"idcNum=12&hostUin=10001&albumid=V11aaa"},
    {u"私人", u"   2", u"私密相册", u"idcNum=12&hostUin=10001&albumid=V11bbb"},
    {u"朋友", u"   0", u"好友可见", u"idcNum=12&hostUin=10001&albumid=V11ccc"},
    {u"密码", u"   1", u"加密相册", u"idcNum=12&hostUin=10001&albumid=V11ddd"},
};

void ExpectRows(const AlbumList& albums, const std::vector<Row>& rows) {
  const auto listed = albums.Snapshot();
  ASSERT_EQ(listed.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const AlbumRowTexts texts = RowTexts(listed[i], static_cast<int>(i) + 1);
    EXPECT_EQ(texts.name, rows[i].name) << i;
    EXPECT_EQ(texts.count, rows[i].count) << i;
    EXPECT_EQ(texts.remarks, rows[i].remarks) << i;
    EXPECT_EQ(listed[i].listAddress, rows[i].listAddress) << i;
  }
}

TEST_F(QzoneSite, ANumberOrAnAddressOfTheSpaceListsItsAlbums) {
  // The mended fault this guards: the cookie string starts with "skey=", where a search
  // for " skey=" finds nothing and would send the token of an empty key.
  ASSERT_EQ(ToUtf8(net::GetCookieText(u"http://user.qzone.qq.com/")).rfind("skey=", 0), 0u);
  for (const Text address : {u"10001", u"  10001 ", u"http://user.qzone.qq.com/10001/infocenter?ptsig=x#home"}) {
    web.ClearRequests();
    List(address);
    ASSERT_NO_FATAL_FAILURE(ExpectRows(state->albums, kRows10001));
    EXPECT_EQ(state->albums.Snapshot()[0].coverAddress, u"http://b.photo.store.qq.com/psb?/V11aaa/a/cover.jpg");
    EXPECT_EQ(state->listType, 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.LastStatus1(), u"获取相册列表完成，共4个");

    // V2 listed the albums: V3 was not asked; the token is the hash of the skey cookie.
    EXPECT_TRUE(web.RequestsTo("http://xalist.photo.qq.com/fcgi-bin/fcg_list_album_v3").empty());
    const auto v2 = web.RequestsTo("http://xalist.photo.qq.com/fcgi-bin/fcg_list_album_v2");
    ASSERT_EQ(v2.size(), 1u);
    EXPECT_EQ(QueryValue(v2[0].url, "g_tk"), QqToken(kSkey));
    EXPECT_NE(QueryValue(v2[0].url, "g_tk"), "5381");
    EXPECT_EQ(v2[0].Header("Referer"), "http://user.qzone.qq.com/10001");
    EXPECT_EQ(v2[0].Header("Accept-Encoding"), "gzip, deflate");
  }
}

struct Stored {
  const char* file;     // under the save path
  const char* picture;  // fixture picture
};

TEST_F(QzoneSite, DownloadingTwoAlbumsStoresEveryPictureUnderItsConfiguredName) {
  List(u"10001");
  ASSERT_EQ(state->albums.Count(), 4);
  // Whatever the address box holds now, the photo pages are asked for the album's owner.
  state->SetAddressText(u"99999");
  DownloadAlbums({0, 1});

  const std::vector<Stored> stored = {
      {"旅行/1-IMG_0001.jpg", "aaa_1.jpg"},    // "raw", psbe? turned into psb?
      {"旅行/1-日落.jpg", "aaa_2.jpg"},        // no name: the description; origin_url with /r/
      {"旅行/1-IMG_0003.jpg", "aaa_3.jpg"},    // the preview alone
      {"旅行/1-IMG_0004.jpg", "aaa_4.jpg"},    // the full size answers nothing: the preview
      {"旅行/1-IMG_0001(1).jpg", "aaa_5.jpg"}, // second page; a name taken before
      {"私人/2-IMG_0101.jpg", "bbb_1.jpg"},
      {"私人/2-IMG_0102.jpg", "bbb_2.jpg"},
  };
  for (const Stored& s : stored) EXPECT_EQ(ReadFile(save.path() / s.file), Picture(s.picture)) << s.file;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(save.path()))
    files += entry.is_regular_file() && entry.path().extension() == ".jpg";
  EXPECT_EQ(files, static_cast<int>(stored.size()));

  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 5);
  EXPECT_EQ(ui.summaries[0].saved, 5);
  EXPECT_EQ(ui.summaries[1].queued, 2);
  EXPECT_EQ(ui.summaries[1].failed, 0);

  // 旅行: pages of 500 until the empty third page. 私人 repeats its page: the walk ends
  // on the second fetch without queueing the pictures twice.
  const auto travel = PhotoRequests("V11aaa");
  ASSERT_EQ(travel.size(), 3u);
  for (size_t i = 0; i < travel.size(); ++i) EXPECT_EQ(QueryValue(travel[i].url, "pageStart"), std::to_string(i * 500));
  EXPECT_EQ(PhotoRequests("V11bbb").size(), 2u);
  for (const auto& r : web.RequestsTo(kPhotoList)) {
    EXPECT_EQ(QueryValue(r.url, "g_tk"), QqToken(kSkey));
    EXPECT_EQ(QueryValue(r.url, "uin"), "20002");
    EXPECT_EQ(QueryValue(r.url, "pageNum"), "500");
    EXPECT_EQ(r.Header("Referer"), "http://user.qzone.qq.com/10001");
  }
}

TEST_F(QzoneSite, V3ListsWhenV2YieldsNothingAndTriesTheFirstRouteEntrySecond) {
  List(u"10002");
  ASSERT_NO_FATAL_FAILURE(
      ExpectRows(state->albums, {{u"毕业照", u"  12", u"好友可见", u"idcNum=7&hostUin=10002&albumid=V13xyz"},
                                 {u"日常", u"   1", u"加密相册", u"idcNum=7&hostUin=10002&albumid=V13uvw"}}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(web.RequestsTo("http://user.qzone.qq.com/q/route.store/GetRoute?UIN=10002").size(), 2u);  // V2 and V3
  EXPECT_EQ(web.RequestsTo("http://xalist.photo.qq.com/fcgi-bin/fcg_list_album_v2?hostUin=10002").size(), 1u);
  const auto first = web.RequestsTo("http://xalist.photo.qq.com/fcgi-bin/fcg_list_album_v3");
  const auto second = web.RequestsTo("http://shalist.photo.qq.com/fcgi-bin/fcg_list_album_v3");
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].Header("Referer"), "http://user.qzone.qq.com/10002");
  EXPECT_EQ(second[0].Header("Accept-Encoding"), "");
  EXPECT_EQ(QueryValue(second[0].url, "g_tk"), QqToken(kSkey));
}

TEST_F(QzoneSite, ServiceMessagesAskForVerificationOrAreShown) {
  ui.answers = {true};
  List(u"10003");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_EQ(ui.questions, (std::vector<Text>{u"提示|加密或非公开空间，是否进行身份验证?\n(验证成功后请重新获取相册列表)"}));
  EXPECT_EQ(ui.logins, (std::vector<Text>{u"http://user.qzone.qq.com/10003"}));
  EXPECT_EQ(ui.messages, (std::vector<Text>{u"您的操作过于频繁，请稍后再试", kEmptyQzone}));
  // The V3 message ends the reader: no second attempt.
  EXPECT_EQ(web.RequestsTo("http://shalist.photo.qq.com/").size(), 0u);
  EXPECT_EQ(web.RequestsTo("http://xalist.photo.qq.com/fcgi-bin/fcg_list_album_v3").size(), 1u);
}

TEST_F(QzoneSite, WithoutARouteEachReaderSaysSo) {
  List(u"10004");
  EXPECT_EQ(ui.messages, (std::vector<Text>{u"QQ空间相册错误1", u"QQ空间相册错误1", kEmptyQzone}));
  EXPECT_EQ(web.RequestsTo("http://route.store.qq.com/").size(), 2u);
  EXPECT_EQ(web.RequestsTo("http://user.qzone.qq.com/q/route.store/").size(), 2u);
}

TEST_F(QzoneSite, ANumberWithALetterIsRefused) {
  for (const Text address : {u"12a45", u"http://user.qzone.qq.com/abc"}) {
    ui.messages.clear();
    List(address);
    EXPECT_EQ(state->albums.Count(), 0);
    EXPECT_EQ(ui.messages, (std::vector<Text>{u"请直接输入QQ号进行下载"}));
  }
  EXPECT_TRUE(web.Requests().empty());
}

TEST_F(QzoneSite, APasswordAlbumAsksOnceAndReadsAgainAfterTheLogin) {
  ui.onLogin = [this] {  // the password was given in the login window
    test::FakeReply opened;
    opened.body = ReadFile(kFixtures / "photos_ddd.js");
    web.Get(std::string(kPhotoList) +
                "t=0&mode=0&idcNum=12&hostUin=10001&topicId=V11ddd&noTopic=0&uin=20002&pageStart=0&pageNum=500*",
            opened);
  };
  List(u"10001");
  ui.answers = {true};
  DownloadAlbums({3});
  EXPECT_EQ(ui.questions, (std::vector<Text>{u"提示|加密相册，是否输入密码？"}));
  EXPECT_EQ(ui.logins, (std::vector<Text>{u"http://user.qzone.qq.com/10001/photo/V11ddd"}));
  EXPECT_EQ(ReadFile(save.path() / "密码" / "4-IMG_0201.jpg"), Picture("ddd_1.jpg"));
  const auto pages = PhotoRequests("V11ddd");
  ASSERT_EQ(pages.size(), 3u);  // the closed page, the same page again, the empty next page
  EXPECT_EQ(QueryValue(pages[1].url, "pageStart"), "0");
  EXPECT_EQ(QueryValue(pages[2].url, "pageStart"), "500");
}

TEST_F(QzoneSite, ADeclinedPasswordQuestionIsNotAskedAgain) {
  List(u"10001");
  ui.answers = {false};
  DownloadAlbums({3});
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_TRUE(ui.logins.empty());
  EXPECT_FALSE(fs::exists(save.path() / "密码"));
  EXPECT_EQ(PhotoRequests("V11ddd").size(), 2u);  // the empty-page retry, then the same page: done
}

TEST_F(QzoneSite, AnEmptyAlbumIsAskedForTwiceAndOtherListTypesReadNothing) {
  List(u"10001");
  DownloadAlbums({2});
  EXPECT_EQ(PhotoRequests("V11ccc").size(), 2u);
  EXPECT_FALSE(fs::exists(save.path() / "朋友"));

  web.ClearRequests();
  state->listType = 7;  // no photo reader for it
  DownloadAlbums({0});
  EXPECT_TRUE(web.Requests().empty());
}

// The rows of the category branch that belong to the other readers: their keys and their
// messages when nothing is listed.
TEST_F(QzoneSite, TheBranchSendsGroupAndWeiboAddressesToTheirReaders) {
  struct Case {
    int subKind;
    const char16_t* address;
    int32_t listType;
    const char16_t* message;
    const char* requestPart;  // something the reader's first request carries
  };
  const std::vector<Case> cases = {
      {SUBKIND_QQ_GROUP, u"http://qun.qq.com/air/#!/4455667/album?x=1", 1,
       u"没有获取到相册，可按以下步骤操作：\n\n1、你哪个号加入了你要下载的QQ群，就先在下载器的登录菜单里登录那个QQ号"
       u"\n\n2、输入你要下载的QQ群号后，点获取相册列表",
       "qunId=4455667&"},
      {SUBKIND_TENCENT_WEIBO, u"http://t.qq.com/someone?preview", 2,
       u"没有获取到相册，可按以下步骤操作：\n\n1、请先在下载器的登录菜单里登录你的腾讯微博帐号(登录时勾上下次自动登录)"
       u"\n\n2、输入你要下载的那个人的微博主页网址后，点获取相册列表",
       "/someone?preview"},
      {SUBKIND_QQ_GROUP, u"http://t.qq.com/app/qzphoto/someone", 2,  // the Weibo address wins over group
       u"没有获取到相册，可按以下步骤操作：\n\n1、请先在下载器的登录菜单里登录你的腾讯微博帐号(登录时勾上下次自动登录)"
       u"\n\n2、输入你要下载的那个人的微博主页网址后，点获取相册列表",
       "/app/qzphoto/someone?preview"},
  };
  for (const Case& c : cases) {
    web.ClearRequests();
    ui.messages.clear();
    state->scratchText.clear();
    state->SetSubKind(c.subKind);
    ListAsSelected(c.address);  // the branch, not the window, chooses the reader here
    EXPECT_EQ(state->listType, c.listType) << ToUtf8(c.address);
    EXPECT_EQ(ui.messages, (std::vector<Text>{c.message})) << ToUtf8(c.address);
    const auto requests = web.Requests();
    ASSERT_FALSE(requests.empty()) << ToUtf8(c.address);
    EXPECT_NE(requests[0].url.find(c.requestPart), std::string::npos) << requests[0].url;
    if (c.listType == 2) {
      EXPECT_EQ(state->scratchText, u"someone");
    }
  }
}

// ---- the command line ----------------------------------------------------------------

TEST_F(QzoneSite, TheCommandLineListsAndDownloadsThroughTheProductionReaders) {
  TempDir cliWork, cliSave;
  const fs::path cookies = cliWork.path() / "login.txt";
  std::ofstream(cookies) << ".qq.com\tTRUE\t/\tFALSE\t4102444800\tskey\t" << kSkey << "\n"
                         << ".qq.com\tTRUE\t/\tFALSE\t4102444800\tuin\to20002\n";
  auto run = [&](const std::string& args) { return RunCliBinary(relay.ProxyAddress(), cliWork.path(), args); };

  auto [setStatus, setOut, setErr] = run("settings --category 0 file-prefix=?3- min-size=0");
  ASSERT_EQ(setStatus, 0) << setErr;
  auto [listStatus, listOut, listErr] = run("list 10001 --cookies " + Quoted(cookies.string()));
  ASSERT_EQ(listStatus, 0) << listErr;
  for (const char* row : {"旅行", "私人\t   2\t私密相册", "朋友\t   0\t好友可见", "密码\t   1\t加密相册"})
    EXPECT_NE(listOut.find(row), std::string::npos) << row << "\n" << listOut;

  auto [status, out, err] =
      run("download 10001 --albums 1,2 --save-path " + Quoted(cliSave.path().string()));
  ASSERT_EQ(status, 0) << err;
  EXPECT_EQ(ReadFile(cliSave.path() / "旅行" / "1-IMG_0004.jpg"), Picture("aaa_4.jpg"));
  EXPECT_EQ(ReadFile(cliSave.path() / "私人" / "2-IMG_0102.jpg"), Picture("bbb_2.jpg"));
  EXPECT_NE(out.find("旅行\tqueued=5\tsaved=5"), std::string::npos) << out;
  EXPECT_NE(out.find("私人\tqueued=2\tsaved=2"), std::string::npos) << out;
}

}  // namespace
}  // namespace zentrow
