// The main window: start-up, address classification, listing, download, the save path and
// the histories.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/combo_box2.h"
#include "app/my_grid_ctrl.h"
#include "app/qtext.h"
#include "app/splash_screen_ex.h"
#include "engine/main_state.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using MainWindow = WindowTest;

TEST_F(MainWindow, StartsWithEveryControlAndTheCategoriesLoaded) {
  CZentrowDlg& w = Start();
  const auto& ui = w.Ui();
  const StartupConfig config = LoadStartupConfig();

  ASSERT_EQ(ui.category->count(), SITE_COUNT);
  for (int i = 0; i < SITE_COUNT; ++i) EXPECT_EQ(ui.category->itemText(i), Q(config.categoryNames[i]));
  EXPECT_EQ(ui.category->currentIndex(), SITE_QQ);
  EXPECT_TRUE(ui.subKind->isVisible());
  EXPECT_EQ(ui.subKind->count(), 3);
  EXPECT_EQ(ui.subKind->itemText(2), QStringLiteral("腾讯微博相册"));
  EXPECT_FALSE(w.Splash()->isVisible());
  EXPECT_EQ(w.Splash()->size(), QSize(291, 160));
  EXPECT_TRUE(ui.notice->isVisible());
  EXPECT_EQ(ui.notice->text(), Q(config.notice));
  EXPECT_EQ(ui.bottomLine->text(), Q(BottomLine(config)));
  EXPECT_FALSE(ui.updateLink->isVisible());
  EXPECT_FALSE(ui.download->isEnabled());
  EXPECT_TRUE(ui.getAlbums->isDefault());

  const std::vector<std::pair<QAbstractButton*, const char16_t*>> buttons = {
      {ui.getAlbums, u"获取相册"}, {ui.download, u"下载"},       {ui.choosePath, u"设置"},
      {ui.openPath, u"打开"},      {ui.thumbnails, u"预览图"}, {ui.selectAll, u"全选"}};
  for (const auto& [button, text] : buttons) EXPECT_EQ(button->text(), QString::fromUtf16(text));
  EXPECT_EQ(ui.albumGroup->title(), QStringLiteral("相册列表"));
  const std::vector<std::pair<QLabel*, const char16_t*>> links = {
      {ui.exportLink, u"导出"}, {ui.filterLink, u"筛选"}, {ui.findLink, u"查找"}, {ui.praise[0], u"好评"}};
  for (const auto& [link, text] : links) EXPECT_TRUE(link->text().contains(QString::fromUtf16(text))) << link->text();
  for (QLabel* praise : ui.praise) EXPECT_FALSE(praise->isVisible());
  // The settings file was written at start.
  EXPECT_EQ(QFileInfo(WorkFile(QStringLiteral("soft.dat"))).size(), 19808);
}

TEST_F(MainWindow, TakesAShortClipboardTextAsAddressWithoutChangingTheCategory) {
  QGuiApplication::clipboard()->setText(QStringLiteral("  123456789  "));
  CZentrowDlg& w = Start();
  EXPECT_EQ(w.Ui().address->currentText(), QStringLiteral("123456789"));
  EXPECT_EQ(w.State().AddressText(), u"123456789");
  EXPECT_EQ(w.Ui().category->currentIndex(), SITE_QQ);

  window.reset();
  QGuiApplication::clipboard()->setText(QString(200, u'x'));
  Start();
  EXPECT_EQ(window->Ui().address->currentText(), QString());
}

TEST_F(MainWindow, ClipboardAddressIsClassifiedAtStart) {
  QGuiApplication::clipboard()->setText(QStringLiteral("http://weibo.com/u/1"));
  CZentrowDlg& w = Start();
  EXPECT_EQ(w.Ui().category->currentIndex(), SITE_SINA);
  EXPECT_EQ(w.State().Category(), SITE_SINA);
  EXPECT_FALSE(w.Ui().subKind->isVisible());
}

TEST_F(MainWindow, TypingAnAddressSwitchesTheCategoryAndTheSubKindBox) {
  CZentrowDlg& w = Start();
  const auto& ui = w.Ui();
  Drain();
  const int narrowAddress = ui.address->width();
  const int rightEdge = ui.address->geometry().right();
  struct Case {
    const char16_t* typed;
    int site;
    int subKind;  // -1: the sub-kind box is hidden
  };
  const std::vector<Case> cases = {
      {u"http://weibo.com/u/1", SITE_SINA, -1},
      {u"http://user.qzone.qq.com/12345", SITE_QQ, SUBKIND_QZONE},
      {u"http://t.qq.com/someone", SITE_QQ, SUBKIND_TENCENT_WEIBO},
      {u"http://qun.qq.com/group/1", SITE_QQ, SUBKIND_QQ_GROUP},
      {u"https://www.yupoo.com/photos/a/", SITE_YUPOO, -1},
      {u"123456", SITE_YUPOO, -1},                   // no scheme: nothing changes
      {u"HTTP://WWW.BAIDU.COM/", SITE_YUPOO, -1},    // upper case is not recognised
      {u"baidu.com http://x", SITE_YUPOO, -1},       // a fragment at the first character does not count
      {u"http://tieba.baidu.com/f?kw=1", SITE_BAIDU, -1},
  };
  for (const Case& c : cases) {
    Type(QString::fromUtf16(c.typed));
    SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
    EXPECT_EQ(ui.category->currentIndex(), c.site);
    EXPECT_EQ(w.State().Category(), c.site);
    EXPECT_EQ(ui.subKind->isVisible(), c.subKind >= 0);
    if (c.subKind >= 0) {
      EXPECT_EQ(ui.subKind->currentIndex(), c.subKind);
      EXPECT_EQ(w.State().SubKindSelection(), c.subKind);
    }
    Drain();
    // The address box takes the room of the hidden sub-kind box and keeps its right edge.
    EXPECT_EQ(ui.address->width() > narrowAddress, c.subKind < 0);
    EXPECT_EQ(ui.address->geometry().right(), rightEdge);
  }
  EXPECT_EQ(w.State().AddressText(), u"http://tieba.baidu.com/f?kw=1");

  // Choosing QQ by hand fills the sub-kind box again with "QQ空间相册" selected.
  ui.category->setCurrentIndex(SITE_QQ);
  emit ui.category->activated(SITE_QQ);
  EXPECT_TRUE(ui.subKind->isVisible());
  EXPECT_EQ(ui.subKind->currentText(), QStringLiteral("QQ空间相册"));
  EXPECT_EQ(w.State().Category(), SITE_QQ);
}

TEST_F(MainWindow, ListingFillsTheGridAndTheGroupTitle) {
  Serve(QStringLiteral("777"), {{QStringLiteral("春天"), 12, 0, {}, {}},
                                {QStringLiteral("春天"), -1, 1, {}, {}},
                                {QStringLiteral("夏天"), 3, 6, {}, {}}});
  CZentrowDlg& w = Start();
  List(QStringLiteral("777"));
  const auto& ui = w.Ui();
  const CMyGridCtrl& grid = *ui.grid;
  ASSERT_EQ(grid.RowCount(), 3);
  const std::vector<std::vector<const char16_t*>> rows = {{u"0001", u"春天", u"  12", u""},
                                                          {u"0002", u"春天 (1)", u"未知", u"加密相册"},
                                                          {u"0003", u"夏天", u"   3", u"私密相册"}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.CellText(r, c), QString::fromUtf16(rows[r][c])) << r << "," << c;
  }
  EXPECT_EQ(ui.albumGroup->title(), QStringLiteral("相册列表(共3个)"));
  EXPECT_EQ(ui.status1->text(), QStringLiteral("获取相册列表完成，共3个"));
  EXPECT_TRUE(ui.status1->isVisible());
  EXPECT_FALSE(ui.notice->isVisible());
  EXPECT_TRUE(ui.download->isEnabled());
  EXPECT_EQ(ui.getAlbums->text(), QStringLiteral("获取相册"));
  // The address that gave albums is remembered, in the box and in the settings file.
  EXPECT_EQ(ui.address->Remembered(), QStringList{QStringLiteral("777")});
  EXPECT_TRUE(ReadAll(WorkFile(QStringLiteral("soft.dat"))).contains(QByteArray("7\0""7\0""7\0", 6)));

  // A listing that finds nothing says so and leaves "下载" disabled.
  List(QStringLiteral("0"));
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(prompts.messages.back(), QStringLiteral("没有找到相册"));
  EXPECT_FALSE(ui.download->isEnabled());
  EXPECT_EQ(ui.albumGroup->title(), QStringLiteral("相册列表(共0个)"));
}

TEST_F(MainWindow, ShowsTheRunningLookWhileListingAndStopsOnRequest) {
  std::vector<AlbumSpec> albums;
  for (int i = 0; i < 5; ++i) albums.push_back({QStringLiteral("album %1").arg(i), 1, 0, {}, {}});
  Serve(QStringLiteral("9"), albums);
  CZentrowDlg& w = Start();
  const auto& ui = w.Ui();
  ui.selectAll->setChecked(true);
  hold = true;
  Type(QStringLiteral("9"));
  QTest::mouseClick(ui.getAlbums, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return holding && ui.getAlbums->text() == QStringLiteral("终止获取"); }));
  for (QWidget* off : std::initializer_list<QWidget*>{ui.category, ui.download, ui.address, ui.thumbnails,
                                                      ui.findLink, ui.filterLink, ui.exportLink}) {
    EXPECT_FALSE(off->isEnabled()) << off->metaObject()->className();
  }
  EXPECT_FALSE(ui.selectAll->isChecked());
  EXPECT_EQ(ui.status1->text(), QStringLiteral("正在获取相册列表，请稍等..."));
  EXPECT_EQ(ui.status2->text(), QString());
  EXPECT_FALSE(ui.notice->isVisible());

  // Pressing the button again asks the reader to stop after its current album.
  QTest::mouseClick(ui.getAlbums, Qt::LeftButton);
  EXPECT_EQ(w.State().listState, LIST_STOP);
  hold = false;
  WaitListingEnded();
  EXPECT_EQ(ui.grid->RowCount(), 1);
  EXPECT_EQ(ui.getAlbums->text(), QStringLiteral("获取相册"));
  for (QWidget* on : std::initializer_list<QWidget*>{ui.category, ui.download, ui.address, ui.thumbnails,
                                                     ui.findLink, ui.filterLink, ui.exportLink}) {
    EXPECT_TRUE(on->isEnabled()) << on->metaObject()->className();
  }
}

TEST_F(MainWindow, DownloadsTheSelectedRowsThroughTheEngine) {
  for (const char* name : {"a1", "a2", "b1", "c1"}) {
    web.Get(std::string("http://photo.example.com/") + name + ".jpg", PictureBody(name[0]));
  }
  Serve(QStringLiteral("5"),
        {{QStringLiteral("一"), 2, 0, {}, {QStringLiteral("http://photo.example.com/a1.jpg"), QStringLiteral("http://photo.example.com/a2.jpg")}},
         {QStringLiteral("二"), 1, 0, {}, {QStringLiteral("http://photo.example.com/b1.jpg")}},
         {QStringLiteral("三"), 1, 0, {}, {QStringLiteral("http://photo.example.com/c1.jpg")}}});
  CZentrowDlg& w = Start();
  List(QStringLiteral("5"));
  CMyGridCtrl& grid = *w.Ui().grid;

  // Rows 1 and 3 selected with the mouse (the second one with Ctrl).
  const int x = grid.columnViewportPosition(1) + 5;
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(x, grid.rowViewportPosition(0) + 3));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(x, grid.rowViewportPosition(2) + 3));
  EXPECT_EQ(grid.TickedAlbums(3), (std::vector<int>{0, 2}));
  PressDownloadAndWait();
  const QString owner = SavePath() + QStringLiteral("owner/");
  EXPECT_EQ(ReadAll(owner + QStringLiteral("一/p1.jpg")).toStdString(), PictureBody('a'));
  EXPECT_EQ(ReadAll(owner + QStringLiteral("一/p2.jpg")).toStdString(), PictureBody('a'));
  EXPECT_EQ(ReadAll(owner + QStringLiteral("三/p1.jpg")).toStdString(), PictureBody('c'));
  EXPECT_FALSE(QFileInfo::exists(owner + QStringLiteral("二")));
  EXPECT_EQ(w.Ui().status1->text(), QStringLiteral("下载完毕"));
  EXPECT_EQ(w.State().selectedAlbumCount, 2);

  // "全选" ticks every album.
  QTest::mouseClick(w.Ui().selectAll, Qt::LeftButton);
  EXPECT_EQ(grid.TickedAlbums(3), (std::vector<int>{0, 1, 2}));
  PressDownloadAndWait();
  EXPECT_EQ(ReadAll(owner + QStringLiteral("二/p1.jpg")).toStdString(), PictureBody('b'));
  QTest::mouseClick(w.Ui().selectAll, Qt::LeftButton);
  EXPECT_TRUE(grid.TickedAlbums(3).empty());
  EXPECT_EQ(grid.FocusRow(), -1);
}

TEST_F(MainWindow, ShowsTheDownloadingLookAndOpensTheListingsFolder) {
  web.Get("http://photo.example.com/a.jpg", PictureBody('a'));
  Serve(QStringLiteral("6"), {{QStringLiteral("一"), 1, 0, {}, {QStringLiteral("http://photo.example.com/a.jpg")}}});
  CZentrowDlg& w = Start();
  const auto& ui = w.Ui();
  List(QStringLiteral("6"));
  ui.grid->SelectAllCells();
  hold = true;
  holding = false;
  QTest::mouseClick(ui.download, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return holding && ui.download->text() == QStringLiteral("终止下载"); }));
  for (QWidget* off : std::initializer_list<QWidget*>{ui.category, ui.getAlbums, ui.choosePath, ui.address, ui.savePath}) {
    EXPECT_FALSE(off->isEnabled()) << off->metaObject()->className();
  }
  EXPECT_TRUE(ui.download->isEnabled());
  QTest::mouseClick(ui.openPath, Qt::LeftButton);
  ASSERT_EQ(opened.urls.size(), 1);
  EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(SavePath() + QStringLiteral("owner/")));
  hold = false;
  ASSERT_TRUE(WaitUntil([&] { return w.State().downloadState == DOWNLOAD_IDLE; }));
  w.State().WaitDownload();
  Drain();
  EXPECT_EQ(ui.download->text(), QStringLiteral("下载"));
  for (QWidget* on : std::initializer_list<QWidget*>{ui.category, ui.getAlbums, ui.choosePath, ui.address, ui.savePath}) {
    EXPECT_TRUE(on->isEnabled()) << on->metaObject()->className();
  }
  // Idle, "打开" opens the save path itself.
  QTest::mouseClick(ui.openPath, Qt::LeftButton);
  ASSERT_EQ(opened.urls.size(), 2);
  EXPECT_EQ(opened.urls[1], QUrl::fromLocalFile(SavePath()));
}

TEST_F(MainWindow, AListingThatDownloadsByItselfSelectsEveryAlbum) {
  web.Get("http://photo.example.com/x.jpg", PictureBody('x'));
  web.Get("http://photo.example.com/y.jpg", PictureBody('y'));
  Serve(QStringLiteral("auto"), {{QStringLiteral("甲"), 1, 0, {}, {QStringLiteral("http://photo.example.com/x.jpg")}},
                                 {QStringLiteral("乙"), 1, 0, {}, {QStringLiteral("http://photo.example.com/y.jpg")}}});
  const ListingBranch list = sites[SITE_QQ].listing;
  sites[SITE_QQ].listing = [list](MainState& state, Text key, ListingOutcome& outcome) {
    list(state, std::move(key), outcome);
    outcome.autoDownload = true;
  };
  CZentrowDlg& w = Start();
  List(QStringLiteral("auto"));
  ASSERT_TRUE(WaitUntil([&] { return w.State().downloadState == DOWNLOAD_IDLE; }));
  w.State().WaitDownload();
  Drain();
  EXPECT_EQ(w.Ui().grid->TickedAlbums(2), (std::vector<int>{0, 1}));
  EXPECT_EQ(ReadAll(SavePath() + QStringLiteral("owner/乙/p1.jpg")).toStdString(), PictureBody('y'));
}

TEST_F(MainWindow, TenThousandAlbumsArriveInBatches) {
  std::vector<AlbumSpec> albums;
  for (int i = 0; i < 10000; ++i) albums.push_back({QStringLiteral("相册 %1").arg(i), i, 0, {}, {}});
  Serve(QStringLiteral("many"), albums);
  CZentrowDlg& w = Start();
  QSignalSpy inserted(w.Ui().grid->model(), &QAbstractItemModel::rowsInserted);
  Type(QStringLiteral("many"));
  QTest::mouseClick(w.Ui().getAlbums, Qt::LeftButton);
  // The window thread handles nothing until the listing has ended: every row is queued by then.
  ASSERT_TRUE(WaitUntil([&] { return w.State().listState != LIST_IDLE; }));
  w.State().WaitListing();
  EXPECT_EQ(w.Ui().grid->RowCount(), 0);
  Drain();
  EXPECT_EQ(w.Ui().grid->RowCount(), 10000);
  EXPECT_EQ(w.Ui().grid->CellText(9999, 0), QStringLiteral("10000"));
  EXPECT_EQ(inserted.count(), 1);  // one queued call took them all
  EXPECT_EQ(w.Ui().albumGroup->title(), QStringLiteral("相册列表(共10000个)"));
}

TEST_F(MainWindow, ChoosesTheSavePathAndRemembersIt) {
  CZentrowDlg& w = Start();
  const QString chosen = work.path() + QStringLiteral("/pictures");
  prompts.folderAnswer = chosen;
  QTest::mouseClick(w.Ui().choosePath, Qt::LeftButton);
  EXPECT_EQ(prompts.folderTitles, QStringList{QStringLiteral("请选择文件保存目录：")});
  EXPECT_EQ(w.Ui().savePath->currentText(), chosen + u'/');
  EXPECT_EQ(w.State().SavePathText(), T(chosen + u'/'));
  EXPECT_EQ(w.Ui().savePath->Remembered(), QStringList{chosen + u'/'});

  prompts.folderAnswer.clear();  // cancelled: nothing changes
  QTest::mouseClick(w.Ui().choosePath, Qt::LeftButton);
  EXPECT_EQ(w.Ui().savePath->currentText(), chosen + u'/');
}

TEST_F(MainWindow, DroppingAFileOrFolderSetsTheSavePath) {
  CZentrowDlg& w = Start();
  QDir(work.path()).mkpath(QStringLiteral("drop/with.dot"));
  QFile picture(work.path() + QStringLiteral("/drop/cat.jpg"));
  ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
  picture.close();
  const QString drop = work.path() + QStringLiteral("/drop/");
  struct Case {
    QString dropped;
    QString savePath;
  };
  const std::vector<Case> cases = {
      {drop + QStringLiteral("cat.jpg"), drop},                                           // a file: its folder
      {drop + QStringLiteral("with.dot"), drop + QStringLiteral("with.dot/")},            // a folder, dot or not
      {work.path() + QStringLiteral("/gone/pic.png"), work.path() + QStringLiteral("/gone/")},  // no such file: by its name
      {work.path(), work.path() + u'/'},
  };
  for (const Case& c : cases) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(c.dropped)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &dropped);
    EXPECT_EQ(w.Ui().savePath->currentText(), c.savePath) << c.dropped.toStdString();
    EXPECT_EQ(w.Ui().savePath->Remembered().back(), c.savePath);
  }
  EXPECT_EQ(w.State().Settings().History(HistoryList::SavePath).front(), T(work.path() + u'/'));
}

TEST_F(MainWindow, HistoriesAreKeptInTheSettingsFileAndOfferedWhileTyping) {
  Serve(QStringLiteral("http://weibo.com/u/1"), {{QStringLiteral("a"), 1, 0, {}, {}}});
  Serve(QStringLiteral("http://weibo.com/u/22"), {{QStringLiteral("b"), 1, 0, {}, {}}});
  Serve(QStringLiteral("http://WEIBO.com/u/22"), {{QStringLiteral("b"), 1, 0, {}, {}}});
  CZentrowDlg& w = Start();
  List(QStringLiteral("http://weibo.com/u/1"));
  List(QStringLiteral("http://weibo.com/u/22"));
  List(QStringLiteral("http://WEIBO.com/u/22"));  // the same address in other letters: not remembered twice
  EXPECT_EQ(w.Ui().address->Remembered(),
            (QStringList{QStringLiteral("http://weibo.com/u/1"), QStringLiteral("http://weibo.com/u/22")}));
  const QString path = work.path() + QStringLiteral("/kept/");
  prompts.folderAnswer = path;
  QTest::mouseClick(w.Ui().choosePath, Qt::LeftButton);

  // While typing, the remembered entries containing the text drop down, letter case ignored.
  QCompleter* matches = w.Ui().address->Matches();
  Type(QStringLiteral("U/2"));
  EXPECT_EQ(matches->completionCount(), 1);
  EXPECT_EQ(matches->currentCompletion(), QStringLiteral("http://weibo.com/u/22"));
  EXPECT_TRUE(matches->popup()->isVisible());
  Type(QStringLiteral("weibo"));
  EXPECT_EQ(matches->completionCount(), 2);

  // Picking an entry from the list puts it into the box and classifies it.
  w.Ui().category->setCurrentIndex(SITE_BAIDU);
  emit w.Ui().address->textActivated(QStringLiteral("http://weibo.com/u/1"));
  EXPECT_EQ(w.Ui().address->currentText(), QStringLiteral("http://weibo.com/u/1"));
  EXPECT_EQ(w.Ui().category->currentIndex(), SITE_SINA);

  // The next start shows both histories and proposes the newest save path.
  window.reset();
  CZentrowDlg& again = *(window = std::make_unique<CZentrowDlg>(options));
  ASSERT_TRUE(WaitUntil([&] { return again.State().Ready(); }));
  EXPECT_EQ(again.Ui().address->Remembered(),
            (QStringList{QStringLiteral("http://weibo.com/u/22"), QStringLiteral("http://weibo.com/u/1")}));
  EXPECT_EQ(again.Ui().savePath->currentText(), path);
  EXPECT_EQ(again.State().SavePathText(), T(path));
}

TEST_F(MainWindow, EntriesAreShownUpToTheirMarker) {
  EXPECT_EQ(CComboBox2::Shown(QStringLiteral("http://a.com/vrk?!oxffextra")), QStringLiteral("http://a.com/"));
  EXPECT_EQ(CComboBox2::Shown(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST_F(MainWindow, RunningFromATemporaryFolderProposesTheDocumentsFolder) {
  options.temporaryFolder = T(QFileInfo(work.path()).absolutePath());
  CZentrowDlg& w = *(window = std::make_unique<CZentrowDlg>(options));
  ASSERT_TRUE(WaitUntil([&] { return w.State().Ready(); }));
  const QString proposed = documents.path() + QStringLiteral("/Trelvik/");
  EXPECT_EQ(w.Ui().savePath->currentText(), proposed);
  EXPECT_TRUE(QFileInfo(proposed).isDir());

  // A remembered save path wins.
  w.State().Settings().OfferHistory(HistoryList::SavePath, u"/srv/albums/");
  w.State().SaveSettings();
  window.reset();
  CZentrowDlg& again = *(window = std::make_unique<CZentrowDlg>(options));
  ASSERT_TRUE(WaitUntil([&] { return again.State().Ready(); }));
  EXPECT_EQ(again.Ui().savePath->currentText(), QStringLiteral("/srv/albums/"));
}

TEST_F(MainWindow, AnnouncedNewerVersionShowsTheUpdateLinkAndPage) {
  options.loadStartup = [] {
    StartupConfig config = LoadStartupConfig();
    config.newestVersion = u"9.9.9#urgent";
    config.updatePage = u"http://example.com/update";
    return config;
  };
  CZentrowDlg& w = *(window = std::make_unique<CZentrowDlg>(options));
  ASSERT_TRUE(WaitUntil([&] { return w.State().Ready(); }));
  EXPECT_TRUE(w.Ui().updateLink->isVisible());
  EXPECT_EQ(prompts.messages.size(), 1);
  ASSERT_EQ(opened.urls.size(), 1);
  EXPECT_EQ(opened.urls[0], QUrl(QStringLiteral("http://example.com/update")));
  emit w.Ui().updateLink->linkActivated(QStringLiteral("#"));
  EXPECT_EQ(opened.urls.size(), 2);
  EXPECT_TRUE(w.Ui().bottomLine->text().isEmpty());
}

}  // namespace
}  // namespace zentrow::test
