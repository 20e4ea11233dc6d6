// NetEase albums: the text rules of its readers, then listings and downloads end to end
// through the engine with the production site table, and one run of zentrow-cli, over the
// fake web fixtures in tests/sites/netease.
#include "sites/netease/netease.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

const std::string kPicture = test::JpegBody('n');
const fs::path kFixtures = test::SiteData("netease");

// The album service's remote call, before parameter 0 and with the listing's tail.
const std::string kCall =
    "http://photo.163.com/photo/lanshan/dwr/call/plaincall/AlbumBean.getAlbumData.dwr?callCount=1"
    "&scriptSessionId=%24%7BscriptSessionId%7D187&c0-scriptName=AlbumBean&c0-methodName=getAlbumData&c0-id=0"
    "&c0-param0=";
const std::string kListTail =
    "&c0-param1=string%3A&c0-param2=string%3A&c0-param3=number%3A24881696&c0-param4=boolean%3Afalse&batchId=530377";
const std::string kVerifiedTail =
    "&c0-param1=string%3A&c0-param2=string%3Afromblog&c0-param3=string%3A24881696&c0-param4=boolean%3Afalse"
    "&batchId=530377";

constexpr char16_t kClosedAlbum[] = u"该相册为非公开,如果该相册为私密相册,登录帐号后重新获取相册列表可下载";
constexpr char16_t kVerifyQuestion[] = u"提示|为非公开相册,是否进行验证？\n\n验证成功后请手动关闭验证框";

// ---- text rules ----------------------------------------------------------------------

TEST(NeteaseText, RelativeImageAddressesAreCompletedOnTheirImageHost) {
  struct Case {
    const char16_t* relative;
    const char16_t* address;
  };
  const std::vector<Case> cases = {
      {u"12/photo/abc.jpg", u"http://img12.bimg.126.net/photo/abc.jpg"},
      {u"12/abc.jpg", u"http://img12.ph.126.net/abc.jpg"},
      {u"/photo/x.jpg", u"http://img.bimg.126.net/photo/x.jpg"},  // no number
      {u"/x.jpg", u"http://img.ph.126.net/x.jpg"},
      {u"x.jpg", u"http://img.ph.126.net/x.jpg"},
      {u"3/a/photo/b.jpg", u"http://img3.bimg.126.net/a/photo/b.jpg"},  // "/photo/" anywhere after the start
      {u"", u""},  // nothing to complete: no image host's front page
  };
  for (const Case& c : cases) EXPECT_EQ(CompleteImageAddress(c.relative), c.address) << ToUtf8(c.relative);
}

TEST(NeteaseText, TheAccessOfAHiddenAlbumGivesItsRemarksCoverAndRemoteCall) {
  struct Case {
    const char16_t* entry;
    int32_t remarks;
    const char16_t* cover;
    bool remoteCall;
  };
  const std::vector<Case> cases = {
      // A list address: no remote call whatever the access.
      {u"1,name:'n',au:4,count:2,curl:'2/c.jpg',purl:'s1.ph.126.net/a/1.js'", 0, u"http://img2.ph.126.net/c.jpg", false},
      {u"1,name:'n',au:0,count:2,curl:'2/c.jpg',purl:''", 0, u"http://img2.ph.126.net/c.jpg", true},
      {u"1,name:'n',au:2,count:2,curl:'',purl:''", REMARK_PRIVATE, u"", true},
      {u"1,name:'n',au: 4 ,count:2,curl:'',purl:''", REMARK_FRIENDS, u"http://b.bst.126.net/image/default/fwxhy.gif",
       true},
      {u"1,name:'n',au:4,count:2,curl:'2/c.jpg',purl:''", REMARK_FRIENDS, u"http://img2.ph.126.net/c.jpg", true},
      {u"1,name:'n',au:8,count:2,curl:'',purl:''", REMARK_PASSWORD, u"http://b.bst.126.net/image/default/fwxqa.gif",
       false},
      {u"1,name:'n',au:16,count:2,curl:'2/c.jpg',purl:''", REMARK_PASSWORD,
       u"http://b.bst.126.net/photo/image/default/fwxmm.gif", true},
      // No pictures: the empty cover, even where the entry names one.
      {u"1,name:'n',au:0,count:0,curl:'2/c.jpg',purl:'s1.ph.126.net/a/1.js'", 0,
       u"http://b.bst.126.net/image/default/none160.gif", false},
  };
  for (const Case& c : cases) {
    ST_PERLISTRECORD record;
    EXPECT_EQ(ReadNeteaseAlbum(c.entry, record), c.remoteCall) << ToUtf8(c.entry);
    EXPECT_EQ(record.remarks, c.remarks) << ToUtf8(c.entry);
    EXPECT_EQ(record.coverAddress, c.cover) << ToUtf8(c.entry);
    EXPECT_EQ(record.extra2, u"1");
  }
}

TEST(NeteaseText, APhotoTakesTheLargestSizeItNames) {
  struct Case {
    const char16_t* entry;
    const char16_t* address;
    const char16_t* description;
  };
  const std::vector<Case> cases = {
      {u"1,ourl:'1/photo/o.jpg',murl:'1/photo/m.jpg',surl:'1/photo/s.jpg',desc:'原图'},",
       u"http://img1.bimg.126.net/photo/o.jpg", u"原图"},
      {u"2,ourl:'',murl:'5/m.jpg',surl:'5/s.jpg',desc:'中图'},", u"http://img5.ph.126.net/m.jpg", u"中图"},
      {u"3,ourl:'',murl:'',surl:'/photo/s.jpg',desc:''},", u"http://img.bimg.126.net/photo/s.jpg", u""},
      {u"4,ourl:'',murl:'',surl:'',desc:'无图'},", u"", u"无图"},
      {u"5,desc:'x'},", u"", u"x"},
  };
  for (const Case& c : cases) {
    const NeteasePhoto photo = ReadNeteasePhoto(c.entry);
    EXPECT_EQ(photo.address, c.address) << ToUtf8(c.entry);
    EXPECT_EQ(photo.description, c.description) << ToUtf8(c.entry);
  }
}

// ---- end to end ----------------------------------------------------------------------

class NeteaseSite : public test::SiteTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "netease"));
    ServePicture({"http://img12.bimg.126.net/", "http://img5.ph.126.net/", "http://img.bimg.126.net/",
                  "http://img8.bimg.126.net/", "http://img9.bimg.126.net/", "http://img4.bimg.126.net/"},
                 kPicture);
    BuildState(SITE_NETEASE, {0, 0, 4, 10});
  }

  // The requests for pictures (the image hosts are "img..." hosts).
  size_t PictureRequests() const { return web.RequestsTo("http://img").size(); }
};

struct Row {
  const char16_t* name;
  const char16_t* count;
  const char16_t* remarks;
  const char16_t* listAddress;
  const char16_t* cover;
};
const std::vector<Row> kRows = {
    {u"旅行", u"   3", u"", u"s1.ph.126.net/AbCdE/100001.js", u"http://img12.bimg.126.net/photo/cover1.jpg"},
    {u"空相册", u"   0", u"", u"s1.ph.126.net/AbCdE/100002.js", u"http://b.bst.126.net/image/default/none160.gif"},
    {u"好友", u"   2", u"好友可见", u"s1.ph.126.net/AbCdE/100003.js", u"http://b.bst.126.net/image/default/fwxhy.gif"},
    {u"私密", u"   1", u"私密相册", u"100004", u"http://img7.ph.126.net/x.jpg"},
    {u"问题", u"   4", u"加密相册", u"", u"http://b.bst.126.net/image/default/fwxqa.gif"},
    {u"加密", u"   2", u"加密相册", u"", u"http://b.bst.126.net/photo/image/default/fwxmm.gif"},
    {u"搬家", u"   2", u"", u"s1.ph.126.net/AbCdE/100007.js", u"http://img.bimg.126.net/photo/z.jpg"},
};

TEST_F(NeteaseSite, EveryAddressFormOfTheUserListsItsAlbums) {
  struct Case {
    const char16_t* address;
    std::vector<std::string> pages;  // read before the album list script
  };
  const std::vector<Case> cases = {
      {u"http://photo.163.com/lanshan", {"http://photo.163.com/lanshan"}},
      // An album address: its page names the user only; the script comes from the home page.
      {u"http://photo.163.com/lanshan/#m=1&aid=100001&p=1",
       {"http://photo.163.com/lanshan/", "http://photo.163.com/lanshan"}},
      {u"http://pp.163.com/lanshan/", {"http://pp.163.com/lanshan/", "http://lanshan.blog.163.com/album/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    List(c.address);
    EXPECT_EQ(state->Category(), SITE_NETEASE);
    EXPECT_EQ(state->listType, -1);
    EXPECT_EQ(state->ownerFolder, u"lanshan/");
    EXPECT_EQ(state->userIdText, u"lanshan");
    EXPECT_TRUE(ui.messages.empty());

    const auto albums = state->albums.Snapshot();
    ASSERT_EQ(albums.size(), kRows.size());
    for (size_t i = 0; i < kRows.size(); ++i) {
      const AlbumRowTexts texts = RowTexts(albums[i], static_cast<int>(i) + 1);
      EXPECT_EQ(texts.name, kRows[i].name) << i;
      EXPECT_EQ(texts.count, kRows[i].count) << i;
      EXPECT_EQ(texts.remarks, kRows[i].remarks) << i;
      EXPECT_EQ(albums[i].listAddress, kRows[i].listAddress) << i;
      EXPECT_EQ(albums[i].coverAddress, kRows[i].cover) << i;
    }
    // The description's escaped line end becomes a real one.
    EXPECT_EQ(albums[0].extra1, u"海边\r\n日落");
    EXPECT_EQ(albums[2].extra1, u"朋友们");
    EXPECT_EQ(albums[0].extra2, u"100001");

    // The pages, the script, then the remote call for each hidden album but the one that
    // asks a question, with exactly the query the service expects.
    std::vector<std::string> expected = c.pages;
    expected.push_back("http://s1.ph.126.net/photo/lanshan/albums.js");
    for (const char* id : {"100003", "100004", "100006"}) expected.push_back(kCall + "number%3A" + id + kListTail);
    EXPECT_EQ(Urls(""), expected);
    for (const auto& request : web.Requests()) EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
  }
}

TEST_F(NeteaseSite, APageThatNamesNoUserIsAWrongAddress) {
  List(u"http://photo.163.com/nobody");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_EQ(ui.messages, (std::vector<Text>{u"输入网址有误，应该输入相册网址或首页网址"}));
  EXPECT_EQ(Urls(""), (std::vector<std::string>{"http://photo.163.com/nobody"}));
}

TEST_F(NeteaseSite, DownloadsOpenHiddenAndMovedAlbumsWithCompletedAddresses) {
  List(u"http://photo.163.com/lanshan");
  ASSERT_EQ(state->albums.Count(), static_cast<int>(kRows.size()));
  web.ClearRequests();
  DownloadAlbums({0, 2, 6});

  // The largest size each entry names; the entry without any address is skipped; a photo
  // without description is named after its album.
  ExpectSaved({{"lanshan/旅行/沙滩.jpg", "http://img12.bimg.126.net/photo/o1.jpg"},
               {"lanshan/旅行/落日.jpg", "http://img5.ph.126.net/m2.jpg"},
               {"lanshan/旅行/旅行.jpg", "http://img.bimg.126.net/photo/s3.jpg"},
               {"lanshan/好友/聚会.jpg", "http://img8.bimg.126.net/photo/f1.jpg"},
               {"lanshan/好友/合影.jpg", "http://img8.bimg.126.net/photo/f2.jpg"},
               {"lanshan/搬家/新家.jpg", "http://img4.bimg.126.net/photo/n1.jpg"},
               {"lanshan/搬家/旧居.jpg", "http://img4.bimg.126.net/photo/n2.jpg"}},
              kPicture);
  EXPECT_EQ(PictureRequests(), 7u);
  std::vector<int> queued;
  for (const auto& summary : ui.summaries) queued.push_back(summary.queued);
  EXPECT_EQ(queued, (std::vector<int>{3, 2, 2}));
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_TRUE(ui.messages.empty());

  // "搬家": its script held nothing, so the service was asked by album id where it went.
  EXPECT_EQ(Urls("http://photo.163.com/"), (std::vector<std::string>{kCall + "string%3A100007" + kListTail}));
  EXPECT_EQ(web.RequestsTo("http://s1.ph.126.net/AbCdE/100007").size(), 2u);
}

TEST_F(NeteaseSite, AClosedAlbumOpensAfterTheOwnersVerification) {
  List(u"http://photo.163.com/lanshan");
  ASSERT_EQ(state->albums.Count(), static_cast<int>(kRows.size()));
  const std::string verified = kCall + "number%3A100004" + kVerifiedTail;
  ui.onLogin = [&] {  // the owner verifies in the login window: the call now names the script
    web.Get(verified, ReadFile(kFixtures / "verified-100004.js"));
  };

  // Declined: nothing is asked of the service.
  ui.answers = {false};
  web.ClearRequests();
  DownloadAlbums({3});
  EXPECT_EQ(ui.questions, (std::vector<Text>{kVerifyQuestion}));
  EXPECT_TRUE(ui.logins.empty());
  EXPECT_TRUE(web.Requests().empty());

  ui.answers = {true};
  DownloadAlbums({3});
  EXPECT_EQ(ui.questions, (std::vector<Text>{kVerifyQuestion, kVerifyQuestion}));
  EXPECT_EQ(ui.logins, (std::vector<Text>{u"http://photo.163.com/lanshan/list/#aid=100004&m=1&p=1"}));
  EXPECT_EQ(Urls(""), (std::vector<std::string>{verified, "http://s1.ph.126.net/AbCdE/100004.js",
                                                "http://img9.bimg.126.net/photo/p1.jpg"}));
  ExpectSaved({{"lanshan/私密/日记.jpg", "http://img9.bimg.126.net/photo/p1.jpg"}}, kPicture);
}

TEST_F(NeteaseSite, AVerificationThatNamesNoScriptEndsTheAlbum) {
  List(u"http://photo.163.com/lanshan");
  ui.answers = {true};  // the login window is closed without verifying
  web.ClearRequests();
  DownloadAlbums({3});
  EXPECT_EQ(ui.logins.size(), 1u);
  EXPECT_EQ(Urls(""), (std::vector<std::string>{kCall + "number%3A100004" + kVerifiedTail}));
  EXPECT_FALSE(fs::exists(save.path() / "lanshan" / "私密"));
}

TEST_F(NeteaseSite, AnAlbumWithoutListAddressIsReportedClosed) {
  List(u"http://photo.163.com/lanshan");
  web.ClearRequests();
  DownloadAlbums({4, 5});
  EXPECT_EQ(ui.messages, (std::vector<Text>{kClosedAlbum, kClosedAlbum}));
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_TRUE(web.Requests().empty());
}

// ---- the command line ----------------------------------------------------------------

TEST_F(NeteaseSite, TheCommandLineListsAndDownloadsThroughTheProductionReaders) {
  const test::TempDir cliWork, cliSave;
  auto run = [&](const std::string& args) { return test::RunCliBinary(web.ProxyAddress(), cliWork.path(), args); };
  const test::CliRun settings = run("settings --category 2 min-size=0");
  ASSERT_EQ(settings.status, 0) << settings.err;

  const test::CliRun list = run("list http://photo.163.com/lanshan");
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t旅行\t   3\t\n", "0003\t好友\t   2\t好友可见\n", "0004\t私密\t   1\t私密相册\n"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;
  EXPECT_NE(list.err.find("SiteIndex 2:"), std::string::npos) << list.err;

  const test::CliRun download =
      run("download http://photo.163.com/lanshan --albums 1,3 --save-path " + test::Quoted(cliSave.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_EQ(ReadFile(cliSave.path() / "lanshan" / "旅行" / "沙滩.jpg"), kPicture);
  EXPECT_EQ(ReadFile(cliSave.path() / "lanshan" / "好友" / "合影.jpg"), kPicture);
  EXPECT_NE(download.out.find("旅行\tqueued=3\tsaved=3"), std::string::npos) << download.out;
  EXPECT_NE(download.out.find("好友\tqueued=2\tsaved=2"), std::string::npos) << download.out;
}

}  // namespace
}  // namespace zentrow
