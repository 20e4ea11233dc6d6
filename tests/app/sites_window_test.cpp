// The production site readers in the window: a QQ Zone listing fills the grid, and the
// typical request (a Weibo user's page, two albums downloaded) ends with "下载完毕".
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QFileInfo>
#include <QTest>
#include <chrono>

#include "app/my_grid_ctrl.h"
#include "net/cookies.h"
#include "net/http.h"
#include "sites/qq/qq.h"
#include "sites/query_relay.h"
#include "sites/sina/sina.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

using namespace std::chrono_literals;

class SitesWindow : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    sites[SITE_QQ] = QqSiteReaders();
    sites[SITE_SINA] = SinaReaders({.retry = 20ms, .moveOn = 10ms});
    net::CookieStore::Instance().ClearAll();
  }
  void TearDown() override {
    WindowTest::TearDown();
    net::CookieStore::Instance().ClearAll();
  }
  void Load(const char* folder) {
    std::string error;
    ASSERT_TRUE(web.LoadManifest(std::string(ZENTROW_TEST_DATA "/sites/") + folder + "/manifest.txt", &error)) << error;
  }
  // Clicks the rows of the list look, the later ones with Ctrl held.
  void ClickRows(std::initializer_list<int> rows) {
    CMyGridCtrl& grid = *window->Ui().grid;
    const int x = grid.columnViewportPosition(1) + 5;
    Qt::KeyboardModifiers modifiers;
    for (int row : rows) {
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, QPoint(x, grid.rowViewportPosition(row) + 3));
      modifiers = Qt::ControlModifier;
    }
  }
};

TEST_F(SitesWindow, AQqNumberListsTheQzoneAlbumsIntoTheGrid) {
  Load("qzone");
  QueryRelay relay{web.Port(), {"t", "_"}};  // the album interface carries clock values
  net::SetProxy(relay.ProxyAddress());
  net::CookieStore::Instance().SetCookie(u"http://user.qzone.qq.com/", "skey=@Zx9Kq2Lm; path=/; domain=qq.com");
  net::CookieStore::Instance().SetCookie(u"http://user.qzone.qq.com/", "uin=o20002; path=/; domain=qq.com");
  CZentrowDlg& w = Start();
  w.Ui().category->setCurrentIndex(SITE_QQ);
  List(QStringLiteral("10001"));

  CMyGridCtrl& grid = *w.Ui().grid;
  ASSERT_EQ(grid.RowCount(), 4);
  const struct {
    const char* name;
    const char* count;
    const char* remarks;
  } rows[] = {{"旅行", "   5", ""}, {"私人", "   2", "私密相册"}, {"朋友", "   0", "好友可见"}, {"密码", "   1", "加密相册"}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(grid.CellText(i, 0), QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0')));
    EXPECT_EQ(grid.CellText(i, 1), QString::fromUtf8(rows[i].name));
    EXPECT_EQ(grid.CellText(i, 2), QString::fromUtf8(rows[i].count));
    EXPECT_EQ(grid.CellText(i, 3), QString::fromUtf8(rows[i].remarks));
  }
  EXPECT_EQ(w.Ui().albumGroup->title(), QStringLiteral("相册列表(共4个)"));
  EXPECT_TRUE(w.Ui().download->isEnabled());
  net::SetProxy(web.ProxyAddress());
}

TEST_F(SitesWindow, AWeiboUserPageListsAndTwoAlbumsDownload) {
  Load("weibo");
  for (const char* host : {"http://ww2.sinaimg.cn/*", "http://ww3.sinaimg.cn/*", "http://ww4.sinaimg.cn/*"})
    web.Get(host, PictureBody('w'));
  CZentrowDlg& w = Start();
  List(QStringLiteral("http://weibo.com/u/1234567890"));
  EXPECT_EQ(w.Ui().category->currentIndex(), SITE_SINA);
  EXPECT_FALSE(w.Ui().subKind->isVisible());
  ASSERT_EQ(w.State().albums.Count(), 5);

  ClickRows({0, 1});
  PressDownloadAndWait();
  EXPECT_EQ(w.Ui().status1->text(), QStringLiteral("下载完毕"));
  const QString owner = SavePath() + QStringLiteral("小蓝Blue/");
  const QStringList pictures = {QStringLiteral("*.jpg")};
  EXPECT_EQ(QDir(owner + QStringLiteral("旅行")).entryList(pictures, QDir::Files).size(), 40);
  EXPECT_EQ(QDir(owner + QStringLiteral("美食")).entryList(pictures, QDir::Files).size(), 38);
}

}  // namespace
}  // namespace zentrow::test
