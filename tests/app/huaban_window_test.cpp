// The Huaban readers in the window: a board address lists its one album, which downloads
// by itself, without the user ticking it or pressing "下载".
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>

#include "app/my_grid_ctrl.h"
#include "net/cookies.h"
#include "sites/huaban/huaban.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

using namespace std::chrono_literals;

class HuabanWindow : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    sites[SITE_HUABAN] = HuabanReaders({.boardRetrySeconds = 0, .betweenBatches = 0ms, .afterFailure = 0ms});
    net::CookieStore::Instance().ClearAll();
    std::string error;
    ASSERT_TRUE(web.LoadManifest(ZENTROW_TEST_DATA "/sites/huaban/manifest.txt", &error)) << error;
    for (const char* host : {"http://hbimg.b0.upaiyun.com/*", "http://img.hb.aicdn.com/*"}) web.Get(host, PictureBody('h'));
  }
  void TearDown() override {
    WindowTest::TearDown();
    net::CookieStore::Instance().ClearAll();
  }
};

TEST_F(HuabanWindow, ABoardAddressListsTheBoardAndDownloadsItByItself) {
  CZentrowDlg& w = Start();
  List(QStringLiteral("http://huaban.com/boards/12345/"));
  ASSERT_TRUE(WaitUntil([&] { return w.State().downloadState == DOWNLOAD_IDLE; }));
  w.State().WaitDownload();
  Drain();

  EXPECT_EQ(w.Ui().category->currentIndex(), SITE_HUABAN);
  CMyGridCtrl& grid = *w.Ui().grid;
  ASSERT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.CellText(0, 1), QStringLiteral("旅行的意义"));
  EXPECT_EQ(grid.CellText(0, 2), QStringLiteral("  45"));
  EXPECT_EQ(grid.TickedAlbums(1), std::vector<int>{0});
  EXPECT_EQ(w.Ui().status1->text(), QStringLiteral("下载完毕"));
  EXPECT_EQ(w.Ui().download->text(), QStringLiteral("下载"));
  const QDir album(SavePath() + QStringLiteral("小鹿Deer/旅行的意义"));
  EXPECT_EQ(album.entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), 45);
}

TEST_F(HuabanWindow, AnAddressThatIsNoBoardSaysSoAndListsNothing) {
  CZentrowDlg& w = Start();
  List(QStringLiteral("http://huaban.com/deer/"));
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_EQ(prompts.messages[0], QStringLiteral("请输入花瓣网画板(board)的网址\n例如: http://huaban.com/boards/12345678/\n\n"
                                                "打开画板页面后，复制浏览器地址栏里的网址"));
  EXPECT_EQ(w.Ui().grid->RowCount(), 0);
  EXPECT_FALSE(w.Ui().download->isEnabled());
  EXPECT_TRUE(web.Requests().empty());
}

}  // namespace
}  // namespace zentrow::test
