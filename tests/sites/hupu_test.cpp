// Hupu end to end: a user's albums over two GBK pages, a single album typed by its
// address, the maintenance and login pages, the pictures page by page, and the
// command-line program over the production table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/hupu/hupu.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('h');
const std::string kPhotos = "http://i1.hoopchina.com.cn/photo/";
constexpr char16_t kHupuEmpty[] = u"请先在登录菜单里登录虎扑帐号后重试(登录时勾上下次自动登录)";

struct Hupu : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "hupu"));
    ServePicture({kPhotos}, kPicture);
    BuildState(SITE_HUPU, {0, 0, 4, 10});
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

TEST_F(Hupu, ListsTheAlbumsOfAUserOverItsPages) {
  List(u"http://my.hupu.com/lan-qiu?from=bbs");
  EXPECT_EQ(state->Category(), SITE_HUPU);
  EXPECT_EQ(state->ownerFolder, u"lan-qiu/");
  EXPECT_TRUE(ui.messages.empty());
  // Each album by its page stem: the "-" of the user name stays, the page number goes.
  ExpectRows(state->albums.Snapshot(),
             {
                 {u"湖人夺冠", u"lan-qiu/photo/a1001", u"http://i1.hoopchina.com.cn/album/c1001small.jpg", 3},
                 {u"全明星", u"lan-qiu/photo/a1002", u"http://i1.hoopchina.com.cn/album/c1002small.jpg", 2},
                 {u"球鞋", u"lan-qiu/photo/a1003", u"http://i1.hoopchina.com.cn/album/c1003small.jpg", 12},
             });
  EXPECT_EQ(Urls(""), (std::vector<std::string>{"http://my.hupu.com/lan-qiu/photo-1", "http://my.hupu.com/lan-qiu/photo-2"}));
}

TEST_F(Hupu, ASingleAlbumTheMaintenancePageAndTheLoginPage) {
  struct Case {
    Text address;
    std::vector<Row> rows;
    Text owner;
    std::vector<Text> messages;
  };
  const std::vector<Case> cases = {
      // The album's own page: one row, named by its picture's "alt".
      {u"http://my.hupu.com/lan-qiu/photo/a1001-1.html",
       {{u"湖人夺冠", u"lan-qiu/photo/a1001", u"http://i1.hoopchina.com.cn/album/c1001small.jpg", 3}},
       u"lan-qiu/",
       {}},
      // Page 2 is being serviced: the albums of page 1 stay.
      {u"http://my.hupu.com/wudi",
       {{u"训练", u"wudi/photo/a2001", u"http://i1.hoopchina.com.cn/album/c2001small.jpg", 5}},
       u"wudi/",
       {}},
      // Without a login: the login form's lists are no albums, and the user is told to log in.
      {u"http://my.hupu.com/nobody/", {}, u"nobody/", {kHupuEmpty}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    ui.messages.clear();
    List(c.address);
    ExpectRows(state->albums.Snapshot(), c.rows);
    EXPECT_EQ(state->ownerFolder, c.owner);
    EXPECT_EQ(ui.messages, c.messages);
  }
}

TEST_F(Hupu, DownloadsTheBigPicturesPageByPage) {
  List(u"http://my.hupu.com/lan-qiu");
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0, 1});
  // "全明星" answers its first page for every page number: it ends after page 2.
  ExpectSaved({{"lan-qiu/湖人夺冠/科比.jpg", kPhotos + "p1_big.jpg"},
               {"lan-qiu/湖人夺冠/奖杯.jpg", kPhotos + "p2_big.jpg"},
               {"lan-qiu/湖人夺冠/游行.jpg", kPhotos + "p3_big.jpg"},
               {"lan-qiu/全明星/扣篮.jpg", kPhotos + "q1_big.jpg"},
               {"lan-qiu/全明星/三分.jpg", kPhotos + "q2_big.jpg"}},
              kPicture);
  EXPECT_EQ(web.RequestsTo(kPhotos).size(), 5u);
  EXPECT_EQ(Urls("http://my.hupu.com/lan-qiu/photo/a"),
            (std::vector<std::string>{"http://my.hupu.com/lan-qiu/photo/a1001-1.html",
                                      "http://my.hupu.com/lan-qiu/photo/a1001-2.html",
                                      "http://my.hupu.com/lan-qiu/photo/a1002-1.html",
                                      "http://my.hupu.com/lan-qiu/photo/a1002-2.html"}));
}

TEST(HupuAddresses, TheUserAndTheAlbumStem) {
  struct Case {
    TextView from, expected;
  };
  // The user part of a typed address.
  for (const Case& c : {Case{u"http://my.hupu.com/lan-qiu/photo/a1001-2.html", u"lan-qiu"},
                        Case{u"http://my.hupu.com/lan-qiu?from=bbs", u"lan-qiu"},
                        Case{u"http://my.hupu.com/lan-qiu#photo", u"lan-qiu"},
                        Case{u"http://my.hupu.com/lanqiu&tab=1", u"lanqiu"}})
    EXPECT_EQ(HupuUser(c.from), c.expected) << ToUtf8(c.from);
  // The stem of an album link: without host, ".html" and the page number after the last "-".
  for (const Case& c : {Case{u"http://my.hupu.com/lan-qiu/photo/a1001-2.html", u"lan-qiu/photo/a1001"},
                        Case{u"http://my.hupu.com/lanqiu/photo/a7-12.htm", u"lanqiu/photo/a7"},
                        Case{u"/lan-qiu/photo/a1002.html", u"lan-qiu/photo/a1002"},
                        Case{u"lan-qiu/photo/a1003", u"lan-qiu/photo/a1003"}})
    EXPECT_EQ(HupuAlbumStem(c.from), c.expected) << ToUtf8(c.from);
}

TEST(HupuCommandLine, ListsAndDownloadsAnAlbum) {
  test::FakeWeb web;
  ASSERT_TRUE(test::LoadSiteManifest(web, "hupu"));
  web.Get(kPhotos + "*", kPicture);
  const test::TempDir work, save;
  const test::CliRun run = test::RunCliBinary(
      web.ProxyAddress(), work.path(),
      "download http://my.hupu.com/lan-qiu --albums 1 --save-path " + test::Quoted(save.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("SiteIndex 15:"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("0001\t湖人夺冠\tqueued=3\tsaved=3"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(save.path() / "lan-qiu" / "湖人夺冠" / "游行.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
