// The window as a desktop program: the grid fills the window, a download shows its
// progress in bars and ends with a notification when the user is elsewhere, dialogs open
// inside the screen, and the window comes back where it was left.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <climits>
#include <thread>

#include "app/dlg_find.h"
#include "app/my_grid_ctrl.h"
#include "app/window_place.h"
#include "engine/main_state.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

QRect ScreenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Photo(const char* name) { return QStringLiteral("http://photo.example.com/") + QString::fromLatin1(name); }

class Desktop : public WindowTest {
 protected:
  void TearDown() override {
    allowed = INT_MAX;
    WindowTest::TearDown();
  }
  // The photo reader waits at the start of each album until `allowed` reaches it.
  void GateAlbums() {
    sites[SITE_QQ].photos = [this, photos = sites[SITE_QQ].photos](MainState& state, int albumIndex) {
      reading = albumIndex;
      while (allowed < albumIndex && state.downloadState != DOWNLOAD_USER_STOP)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      photos(state, albumIndex);
    };
  }
  // Two albums over the fake web: 一 of three pictures, 二 of two, one of which fails (an
  // empty reply is no picture).
  void ServeTwoAlbums() {
    for (const char* name : {"a1.jpg", "a2.jpg", "a3.jpg", "b1.jpg"}) web.Get(Photo(name).toStdString(), PictureBody(name[0]));
    web.Get(Photo("empty.jpg").toStdString(), std::string());
    Serve(QStringLiteral("2"), {{QStringLiteral("一"), 3, 0, {}, {Photo("a1.jpg"), Photo("a2.jpg"), Photo("a3.jpg")}},
                                {QStringLiteral("二"), 2, 0, {}, {Photo("b1.jpg"), Photo("empty.jpg")}}});
  }
  // Another window of the desktop takes the focus.
  void ActivateAnotherWindow() {
    other.setWindowTitle(QStringLiteral("another program"));
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return !window->isActiveWindow(); }));
  }

  QWidget other;
  std::atomic<int> reading{-1};
  std::atomic<int> allowed{INT_MAX};
};

// ---- the grid ---------------------------------------------------------------------------

TEST_F(Desktop, TheAlbumGridFillsTheWindowAsItIsResized) {
  std::vector<AlbumSpec> albums;
  for (int i = 0; i < 40; ++i) albums.push_back({QStringLiteral("相册 %1").arg(i), i, 0, {}, {}});
  Serve(QStringLiteral("40"), albums);
  CZentrowDlg& w = Start();
  List(QStringLiteral("40"));
  CMyGridCtrl& grid = *w.Ui().grid;
  int windowBefore = 0;
  int nameBefore = 0;
  for (const QSize size : {QSize(800, 580), QSize(1000, 560), QSize(700, 500)}) {
    SCOPED_TRACE(std::to_string(size.width()));
    w.resize(size);
    Drain();
    EXPECT_TRUE(grid.verticalScrollBar()->isVisible());
    EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
    EXPECT_EQ(grid.columnViewportPosition(3) + grid.columnWidth(3), grid.viewport()->width());
    // The window's extra width goes to the name column alone.
    if (windowBefore > 0) {
      EXPECT_EQ(grid.columnWidth(1) - nameBefore, w.width() - windowBefore);
    }
    windowBefore = w.width();
    nameBefore = grid.columnWidth(1);
  }
}

// ---- progress ---------------------------------------------------------------------------

TEST_F(Desktop, ProgressBarsFollowTheAlbumsAndThePicturesOfADownload) {
  ServeTwoAlbums();
  GateAlbums();
  CZentrowDlg& w = Start();
  const auto& ui = w.Ui();
  QProgressBar& albumBar = *ui.albumProgress;
  QProgressBar& pictureBar = *ui.pictureProgress;
  List(QStringLiteral("2"));
  EXPECT_FALSE(albumBar.isVisible());
  EXPECT_FALSE(pictureBar.isVisible());
  std::vector<std::pair<int, int>> pictureSteps;  // (value, maximum) as the bar shows them
  QObject::connect(&pictureBar, &QProgressBar::valueChanged, &pictureBar,
                   [&](int value) { pictureSteps.emplace_back(value, pictureBar.maximum()); });

  QTest::mouseClick(ui.selectAll, Qt::LeftButton);
  allowed = -1;
  QTest::mouseClick(ui.download, Qt::LeftButton);
  // The first album's pictures are being read: no album done, the picture count unknown.
  ASSERT_TRUE(WaitUntil([&] { return reading == 0; }));
  Drain();
  EXPECT_TRUE(albumBar.isVisible());
  EXPECT_TRUE(pictureBar.isVisible());
  EXPECT_EQ(albumBar.value(), 0);
  EXPECT_EQ(albumBar.maximum(), 2);
  EXPECT_EQ(pictureBar.maximum(), 0);  // the busy look
  EXPECT_EQ(ui.status1->text(), QStringLiteral("正在下载第1/2个图集"));

  // The first album is through; the second one's pictures are being read.
  allowed = 0;
  ASSERT_TRUE(WaitUntil([&] { return reading == 1; }));
  Drain();
  EXPECT_EQ(albumBar.value(), 1);
  EXPECT_EQ(albumBar.maximum(), 2);
  EXPECT_EQ(pictureBar.maximum(), 0);
  EXPECT_EQ(ui.status1->text(), QStringLiteral("正在下载第2/2个图集"));
  // The first album's three pictures were counted up on a bar of three.
  std::vector<std::pair<int, int>> firstAlbum;
  for (const auto& step : pictureSteps)
    if (step.second == 3) firstAlbum.push_back(step);
  ASSERT_FALSE(firstAlbum.empty());
  EXPECT_EQ(firstAlbum.back(), std::pair(3, 3));
  EXPECT_TRUE(std::is_sorted(firstAlbum.begin(), firstAlbum.end()));

  allowed = 1;
  ASSERT_TRUE(WaitUntil([&] { return w.State().downloadState == DOWNLOAD_IDLE; }));
  w.State().WaitDownload();
  Drain();
  // The failed picture counts as finished; idle, the bars hide and the texts tell the rest.
  EXPECT_EQ(pictureSteps.back(), std::pair(2, 2));
  EXPECT_FALSE(albumBar.isVisible());
  EXPECT_FALSE(pictureBar.isVisible());
  EXPECT_EQ(ui.status1->text(), QStringLiteral("下载完毕"));
  EXPECT_EQ(ui.status2->text(), QStringLiteral("有1张图片下载失败"));
}

// ---- the word at the end ------------------------------------------------------------------

TEST_F(Desktop, ADownloadThatEndsWhileTheUserIsElsewhereIsNotifiedOnce) {
  ServeTwoAlbums();
  GateAlbums();
  CZentrowDlg& w = Start();
  List(QStringLiteral("2"));
  QTest::mouseClick(w.Ui().selectAll, Qt::LeftButton);
  const QString folder = SavePath() + QStringLiteral("owner/");

  // The user watches the window: the status line says it, nothing more.
  w.activateWindow();
  ASSERT_TRUE(WaitUntil([&] { return w.isActiveWindow(); }));
  PressDownloadAndWait();
  EXPECT_TRUE(prompts.notifications.isEmpty());

  ActivateAnotherWindow();
  const struct {
    const char* what;
    uint16_t options;
    bool stop;  // pressed "终止下载" while the first album is read
    QString text;
  } cases[] = {
      {"downloaded", 0, false, QStringLiteral("完成2个图集，保存了4张图片\n有1张图片下载失败\n") + folder},
      {"list files only", OPT_LIST_ONLY, false, QStringLiteral("完成2个图集，生成了2个下载列表文件\n") + folder},
      {"stopped", 0, true, QStringLiteral("已终止：完成0/2个图集，保存了0张图片\n") + folder},
  };
  qsizetype told = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w.State().Settings().Naming(SITE_QQ).optionFlags = c.options;
    allowed = c.stop ? -1 : INT_MAX;
    reading = -1;
    w.Ui().download->click();
    if (c.stop) {
      ASSERT_TRUE(WaitUntil([&] { return reading == 0; }));
      w.Ui().download->click();
    }
    ASSERT_TRUE(WaitUntil([&] { return w.State().downloadState == DOWNLOAD_IDLE; }));
    w.State().WaitDownload();
    Drain();
    ASSERT_EQ(prompts.notifications.size(), ++told);  // once, at the end
    EXPECT_EQ(prompts.notifications.back(), QStringLiteral("下载完毕|") + c.text);
  }
}

// ---- where windows open -------------------------------------------------------------------

TEST(WindowPlace, AWindowIsCentredButKeptInsideTheArea) {
  const QRect screen(0, 0, 800, 600);
  const QRect belowPanel(0, 30, 800, 570);
  const struct {
    QSize frame;
    QPoint centre;
    QRect area;
    QRect placed;
  } cases[] = {
      {{301, 201}, {400, 300}, screen, {250, 200, 301, 201}},  // fits: centred
      {{300, 200}, {50, 40}, screen, {0, 0, 300, 200}},        // would cross the top left
      {{300, 200}, {790, 590}, screen, {500, 400, 300, 200}},  // would cross the bottom right
      {{301, 200}, {400, 20}, belowPanel, {250, 30, 301, 200}},
      {{705, 620}, {100, 300}, screen, {0, 0, 705, 600}},      // taller than the screen
      {{900, 700}, {400, 300}, screen, screen},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitInside(c.frame, c.centre, c.area), c.placed) << c.frame.width() << "x" << c.frame.height() << " at "
                                                              << c.centre.x() << "," << c.centre.y();
  }
}

TEST_F(Desktop, DialogsOpenInsideTheScreenWhereverTheMainWindowStands) {
  CZentrowDlg& w = Start();
  const QRect area = ScreenArea();
  for (const QPoint at : {area.topLeft(), area.bottomRight() - QPoint(300, 200), QPoint(-400, -300)}) {
    SCOPED_TRACE(std::to_string(at.x()) + "," + std::to_string(at.y()));
    w.move(at);
    Drain();

    w.CommandAction(ID_LOGIN_CUSTOM)->trigger();
    CDlgWebOpen* login = w.OpenLoginWindow();
    ASSERT_NE(login, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return login->isVisible(); }));
    EXPECT_TRUE(area.contains(login->frameGeometry())) << login->frameGeometry().y();
    const QLineEdit& address = *login->AddressBox();
    EXPECT_TRUE(area.contains(QRect(address.mapToGlobal(QPoint()), address.size())));
    login->close();

    emit w.Ui().findLink->linkActivated(QStringLiteral("#"));
    ASSERT_TRUE(w.FindWindow()->isVisible());
    EXPECT_TRUE(area.contains(w.FindWindow()->frameGeometry()));
    w.FindWindow()->hide();
  }
  // Where there is room, the find window opens over the middle of the main window.
  w.resize(600, 400);
  w.move(area.center() - QPoint(300, 200));
  Drain();
  emit w.Ui().findLink->linkActivated(QStringLiteral("#"));
  const QPoint offset = w.FindWindow()->frameGeometry().center() - w.frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 1) << offset.x() << "," << offset.y();
}

// ---- size and position between runs ---------------------------------------------------------

TEST_F(Desktop, TheWindowComesBackWhereItWasLeft) {
  const QRect area = ScreenArea();
  const QString geometryFile = WorkFile(QStringLiteral("window.ini"));
  // The first start places the window in the middle of the screen
  CZentrowDlg& first = Start();
  // (give or take the frame, which a window gets only once it shows).
  const QPoint offCentre = first.frameGeometry().center() - area.center();
  EXPECT_LE(offCentre.manhattanLength(), 4) << offCentre.x() << "," << offCentre.y();

  first.move(area.topLeft() + QPoint(30, 20));
  first.resize(700, 500);
  Drain();
  const QRect left = first.geometry();
  const QByteArray settings = ReadAll(WorkFile(QStringLiteral("soft.dat")));
  first.close();
  EXPECT_TRUE(QFileInfo::exists(geometryFile));
  EXPECT_EQ(ReadAll(WorkFile(QStringLiteral("soft.dat"))), settings);  // the settings file keeps its layout

  window.reset();
  CZentrowDlg& second = Start();
  EXPECT_EQ(second.geometry(), left);

  // A window left where no screen shows it any more comes back onto the screen.
  second.move(area.right() + 600, area.bottom() + 400);
  Drain();
  second.close();
  window.reset();
  CZentrowDlg& third = Start();
  EXPECT_TRUE(area.intersects(third.frameGeometry()));
  EXPECT_TRUE(area.contains(third.frameGeometry().topLeft()));
}

}  // namespace
}  // namespace zentrow::test
