// The album grid: both looks, the mode switch, find, filter and the CSV export.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/dlg_find.h"
#include "app/my_grid_ctrl.h"
#include "app/qtext.h"
#include "toolkit/codepage.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

ST_PERLISTRECORD Album(int index, const QString& name, int count = -1, int remarks = 0) {
  ST_PERLISTRECORD album;
  album.index = index;
  album.name = T(name);
  album.count = count;
  album.remarks = remarks;
  return album;
}

QByteArray Gbk(const QString& text) {
  const Bytes bytes = ToGbk(T(text));
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The grid on its own.
struct Grid : ::testing::Test {
  ThumbnailList thumbnails;
  RecordingPrompts prompts;
  CMyGridCtrl grid{thumbnails, prompts};
};

TEST_F(Grid, ListRowsShowNumberNameCountAndRemarks) {
  grid.AppendAlbums({Album(0, QStringLiteral("one"), 30, 0), Album(1, QStringLiteral("two"), -1, 3),
                     Album(2, QStringLiteral("three"), 7, 4), Album(3, QStringLiteral("four"), 0, static_cast<int32_t>(0x8000002A))});
  const std::vector<std::vector<QString>> expected = {
      {QStringLiteral("0001"), QStringLiteral("one"), QStringLiteral("  30"), QString()},
      {QStringLiteral("0002"), QStringLiteral("two"), QStringLiteral("未知"), QStringLiteral("加密相册")},
      {QStringLiteral("0003"), QStringLiteral("three"), QStringLiteral("   7"), QStringLiteral("好友可见")},
      {QStringLiteral("0004"), QStringLiteral("four"), QStringLiteral("   0"), QStringLiteral("00000042")}};
  ASSERT_EQ(grid.RowCount(), 4);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.CellText(r, c), expected[r][c]) << r << "," << c;
    EXPECT_EQ(grid.CellText(r, 4), QString());
    EXPECT_EQ(grid.CellText(r, 5), QString());
  }
  // Two hidden columns after the four shown ones; the header reads as the list look does.
  EXPECT_EQ(grid.model()->columnCount(), 6);
  EXPECT_TRUE(grid.isColumnHidden(4));
  EXPECT_TRUE(grid.isColumnHidden(5));
  EXPECT_EQ(grid.columnWidth(0), 50);
  EXPECT_EQ(grid.columnWidth(2), 50);
  EXPECT_EQ(grid.columnWidth(3), 100);
  const QStringList headers = {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("数量"), QStringLiteral("备注")};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
  EXPECT_EQ(grid.model()->data(grid.model()->index(0, 0), Qt::BackgroundRole).value<QColor>(), QColor(199, 227, 227));
  EXPECT_EQ(grid.model()->data(grid.model()->index(1, 0), Qt::UserRole).toInt(), 1);
}

TEST_F(Grid, TilesGoSixToARowWithNumberAndName) {
  grid.SetUpGrid(GridLook::Tiles);
  std::vector<ST_PERLISTRECORD> albums;
  for (int i = 0; i < 4; ++i) albums.push_back(Album(i, QStringLiteral("t%1").arg(i)));
  grid.AppendAlbums(albums);
  albums.clear();
  for (int i = 4; i < 8; ++i) albums.push_back(Album(i, QStringLiteral("t%1").arg(i)));
  grid.AppendAlbums(albums);  // fills the first row, then starts the second
  ASSERT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.CellText(0, 0), QStringLiteral("1.t0"));
  EXPECT_EQ(grid.CellText(0, 5), QStringLiteral("6.t5"));
  EXPECT_EQ(grid.CellText(1, 0), QStringLiteral("7.t6"));  // album 6 starts the second row
  EXPECT_EQ(grid.CellText(1, 2), QString());
  EXPECT_EQ(grid.rowHeight(0), 130);
  EXPECT_EQ(grid.columnWidth(0), kThumbnailWidth + 6);
  EXPECT_FALSE(grid.model()->flags(grid.model()->index(1, 3)) & Qt::ItemIsSelectable);

  // Clicking tiles ticks them one by one; every tile is ticked by "select all".
  grid.resize(800, 400);
  grid.show();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(0, 1)).center());
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(1, 1)).center());
  EXPECT_EQ(grid.TickedAlbums(8), (std::vector<int>{1, 7}));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(0, 1)).center());
  EXPECT_EQ(grid.TickedAlbums(8), (std::vector<int>{7}));
  grid.SelectAllCells();
  EXPECT_EQ(grid.TickedAlbums(8).size(), 8u);
  EXPECT_EQ(grid.TickedAlbums(5), (std::vector<int>{0, 1, 2, 3, 4}));  // indexes past the list are left out
}

// The name column takes the width the other columns leave: the columns fill the grid, as
// narrow or as wide as it is, with or without a vertical scroll bar, and no horizontal
// scroll bar shows. The tiles keep their own width.
TEST_F(Grid, TheNameColumnFillsTheWidthTheOthersLeave) {
  std::vector<ST_PERLISTRECORD> albums;
  for (int i = 0; i < 30; ++i) albums.push_back(Album(i, QStringLiteral("album %1").arg(i), i));
  grid.AppendAlbums(albums);
  grid.show();
  const struct {
    QSize size;
    bool verticalBar;  // 30 rows need more height than the grid has
  } cases[] = {{{420, 900}, false}, {{420, 200}, true}, {{800, 400}, true}, {{1400, 900}, false}, {{640, 300}, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size.width()) + "x" + std::to_string(c.size.height()));
    grid.resize(c.size);
    Drain();
    EXPECT_EQ(grid.verticalScrollBar()->isVisible(), c.verticalBar);
    EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
    EXPECT_EQ(grid.columnWidth(0), 50);
    EXPECT_EQ(grid.columnWidth(2), 50);
    EXPECT_EQ(grid.columnWidth(3), 100);
    EXPECT_EQ(grid.columnViewportPosition(3) + grid.columnWidth(3), grid.viewport()->width());
    EXPECT_GT(grid.columnWidth(1), 100);
  }

  grid.SetUpGrid(GridLook::Tiles);
  grid.AppendAlbums(albums);
  Drain();
  for (int column = 0; column < kTileColumns; ++column) EXPECT_EQ(grid.columnWidth(column), kThumbnailWidth + 6) << column;
  grid.SetUpGrid(GridLook::List);
  grid.AppendAlbums(albums);
  Drain();
  EXPECT_EQ(grid.columnViewportPosition(3) + grid.columnWidth(3), grid.viewport()->width());
}

TEST_F(Grid, FindRowSearchesCellsForwardAndBackward) {
  grid.AppendAlbums({Album(0, QStringLiteral("Apple pie")), Album(1, QStringLiteral("banana")),
                     Album(2, QStringLiteral("APPLE")), Album(3, QStringLiteral("cherry"))});
  struct Case {
    int start;
    QString keyword;
    bool forward, ignoreCase, whole;
    int found;  // the row, or -1
  };
  const std::vector<Case> cases = {
      {-1, QStringLiteral("apple"), true, true, false, 0},
      {0, QStringLiteral("apple"), true, true, false, 2},
      {2, QStringLiteral("apple"), true, true, false, -1},
      {-1, QStringLiteral("apple"), true, false, false, -1},  // case matters
      {-1, QStringLiteral("APPLE"), true, false, true, 2},    // whole cell
      {-1, QStringLiteral("Apple"), true, true, true, 2},
      {3, QStringLiteral("apple"), false, true, false, 2},
      {2, QStringLiteral("apple"), false, true, false, 0},
      {0, QStringLiteral("apple"), false, true, false, -1},   // nothing before the first row
      {-1, QStringLiteral("0004"), true, true, true, 3},      // the number column is searched too
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword.toStdString() + " from " + std::to_string(c.start));
    grid.ClearSelectionAndFocus();
    EXPECT_EQ(grid.FindRow(c.start, c.keyword, c.forward, c.ignoreCase, c.whole), c.found >= 0 ? 1 : 0);
    if (c.found >= 0) {
      EXPECT_EQ(grid.FocusRow(), c.found);
      EXPECT_EQ(grid.TickedAlbums(4), std::vector<int>{c.found});
    }
  }
  EXPECT_TRUE(prompts.messages.isEmpty());
  EXPECT_EQ(grid.FindRow(-1, QString(), true, true, false), 1);
  EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("关键字不能为空")});
}

TEST_F(Grid, ExportWritesEveryCellWithItsCommaInGbk) {
  grid.AppendAlbums({Album(0, QStringLiteral("My album"), 30), Album(1, QStringLiteral("A,B"), 1),
                     Album(2, QStringLiteral("say \"hi\""), -1, 2), Album(3, QStringLiteral("it's 春天"), 5)});
  const QByteArray expected = "0001,My album,  30,,,,\r\n"
                              "0002,A','B,   1,,,,\r\n"
                              "0003,say \"\"hi\"\",未知,私密相册,,,\r\n"
                              "0004,its 春天,   5,,,,\r\n";
  const QByteArray gbk = Gbk(QString::fromUtf8(expected));
  EXPECT_EQ(grid.CsvBytes(), gbk);

  QTemporaryDir folder;
  const QString path = folder.path() + QStringLiteral("/albums.csv");
  prompts.saveAnswer = path;
  grid.ExportCsv();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), gbk);
  EXPECT_EQ(prompts.saveFilters, QStringList{QStringLiteral("导出后，自行调整列宽 (*.csv)|csv")});

  // Cancelled: nothing is written. An empty grid exports an empty file.
  prompts.saveAnswer.clear();
  grid.ExportCsv();
  grid.SetUpGrid(GridLook::List);
  prompts.saveAnswer = path;
  grid.ExportCsv();
  EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST_F(Grid, ExportOfTheTileLookKeepsEveryRow) {
  grid.SetUpGrid(GridLook::Tiles);
  std::vector<ST_PERLISTRECORD> albums;
  for (int i = 0; i < 7; ++i) albums.push_back(Album(i, QStringLiteral("t%1").arg(i)));
  grid.AppendAlbums(albums);
  EXPECT_EQ(grid.CsvBytes(), QByteArray("1.t0,2.t1,3.t2,4.t3,5.t4,6.t5,\r\n7.t6,,,,,,\r\n"));
}

// ---- in the window --------------------------------------------------------------------

using GridInWindow = WindowTest;

TEST_F(GridInWindow, TileLookShowsTheCoversFromTheWeb) {
  web.Get("http://img.example.com/red.jpg", CoverPicture(Qt::red));
  web.Get("http://img.example.com/blue.png", CoverPicture(Qt::blue, "PNG"));
  web.Get("http://img.example.com/broken.jpg", std::string("not a picture"));
  std::vector<AlbumSpec> albums = {{QStringLiteral("红"), 1, 0, QStringLiteral("http://img.example.com/red.jpg"), {}},
                                   {QStringLiteral("蓝"), 1, 0, QStringLiteral("http://img.example.com/blue.png"), {}},
                                   {QStringLiteral("坏"), 1, 0, QStringLiteral("http://img.example.com/broken.jpg"), {}},
                                   {QStringLiteral("无"), 1, 0, QString(), {}}};
  for (int i = 4; i < 7; ++i) albums.push_back({QStringLiteral("相册%1").arg(i), 1, 0, QStringLiteral("http://img.example.com/missing.jpg"), {}});
  Serve(QStringLiteral("8"), albums);
  CZentrowDlg& w = Start();
  const auto& ui = w.Ui();
  List(QStringLiteral("8"));

  QTest::mouseClick(ui.thumbnails, Qt::LeftButton);
  EXPECT_TRUE(ui.thumbnails->isChecked());
  EXPECT_FALSE(ui.findLink->isEnabled());
  EXPECT_FALSE(ui.filterLink->isEnabled());
  ASSERT_TRUE(WaitUntil([&] { return !w.ReShowRunning(); }));
  Drain();
  CMyGridCtrl& grid = *ui.grid;
  EXPECT_EQ(grid.Look(), GridLook::Tiles);
  ASSERT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.CellText(0, 0), QStringLiteral("1.红"));
  EXPECT_EQ(grid.CellText(1, 0), QStringLiteral("7.相册6"));
  // Covers are kept as tmp/<index>.jpg; only the two real pictures became tiles.
  EXPECT_TRUE(QFileInfo::exists(WorkFile(QStringLiteral("tmp/0.jpg"))));
  EXPECT_TRUE(QFileInfo::exists(WorkFile(QStringLiteral("tmp/1.jpg"))));
  EXPECT_EQ(w.Thumbnails().Count(), 2);
  ST_PERLISTRECORD album;
  ASSERT_TRUE(w.State().albums.Get(1, album));
  const QPixmap blue = w.Thumbnails().Pixmap(album.thumbnail);
  EXPECT_EQ(blue.size(), QSize(kThumbnailWidth, kThumbnailHeight));
  const QColor centre = blue.toImage().pixelColor(56, 60);
  EXPECT_LT(centre.red(), 30);
  EXPECT_GT(centre.blue(), 220);
  ASSERT_TRUE(w.State().albums.Get(2, album));
  EXPECT_EQ(album.thumbnail, -1);

  // Back to the list: the links work again; switching again re-uses the tiles.
  web.ClearRequests();
  QTest::mouseClick(ui.thumbnails, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !w.ReShowRunning(); }));
  Drain();
  EXPECT_EQ(grid.Look(), GridLook::List);
  EXPECT_EQ(grid.RowCount(), 7);
  EXPECT_TRUE(ui.findLink->isEnabled());
  EXPECT_TRUE(ui.filterLink->isEnabled());
  QTest::mouseClick(ui.thumbnails, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !w.ReShowRunning(); }));
  EXPECT_TRUE(web.RequestsTo("http://img.example.com/red.jpg").empty());
  EXPECT_TRUE(web.RequestsTo("http://img.example.com/blue.png").empty());

  // A listing in the tile look fetches the covers as the albums arrive.
  Serve(QStringLiteral("81"), {{QStringLiteral("新"), 1, 0, QStringLiteral("http://img.example.com/red.jpg"), {}}});
  List(QStringLiteral("81"));
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(w.Thumbnails().Count(), 1);
  EXPECT_EQ(web.RequestsTo("http://img.example.com/red.jpg").size(), 1u);
}

TEST_F(GridInWindow, ASecondModeSwitchDuringTheReShowAsksToInterruptIt) {
  FakeReply slow;
  slow.body = CoverPicture(Qt::green);
  slow.delay = std::chrono::milliseconds(600);
  web.Get("http://img.example.com/slow.jpg", slow);
  std::vector<AlbumSpec> albums;
  for (int i = 0; i < 4; ++i) albums.push_back({QStringLiteral("慢%1").arg(i), 1, 0, QStringLiteral("http://img.example.com/slow.jpg"), {}});
  Serve(QStringLiteral("3"), albums);
  CZentrowDlg& w = Start();
  List(QStringLiteral("3"));
  QCheckBox* box = w.Ui().thumbnails;

  QTest::mouseClick(box, Qt::LeftButton);
  ASSERT_TRUE(w.ReShowRunning());
  prompts.answers = {false};
  QTest::mouseClick(box, Qt::LeftButton);  // "No": the re-show goes on
  EXPECT_TRUE(box->isChecked());
  prompts.answers = {true};
  QTest::mouseClick(box, Qt::LeftButton);  // "Yes": it stops after the cover in flight
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(prompts.questions, (QStringList{QStringLiteral("提示|模式转换未完成,是否中断?"),
                                            QStringLiteral("提示|模式转换未完成,是否中断?")}));
  ASSERT_TRUE(WaitUntil([&] { return !w.ReShowRunning(); }));
  Drain();
  EXPECT_LT(w.Thumbnails().Count(), 4);
  EXPECT_EQ(w.Ui().grid->Model().EntryCount(), w.Thumbnails().Count());
}

TEST_F(GridInWindow, FindGoesForwardAndBackwardAndWrapsAround) {
  Serve(QStringLiteral("4"), {{QStringLiteral("苹果 一"), 1, 0, {}, {}},
                              {QStringLiteral("Banana"), 1, 0, {}, {}},
                              {QStringLiteral("苹果 二"), 1, 0, {}, {}}});
  CZentrowDlg& w = Start();
  List(QStringLiteral("4"));
  emit w.Ui().findLink->linkActivated(QStringLiteral("#"));
  CDlgFind* find = w.FindWindow();
  ASSERT_NE(find, nullptr);
  EXPECT_TRUE(find->isVisible());
  EXPECT_FALSE(find->isModal());
  EXPECT_TRUE(find->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(find->DefaultButton()->text(), QStringLiteral("下一个"));
  EXPECT_TRUE(find->PreviousButton()->isVisible());
  EXPECT_TRUE(find->CaseBox()->isVisible());
  EXPECT_EQ(find->CaseBox()->text(), QStringLiteral("区分大小写"));
  EXPECT_EQ(find->WholeBox()->text(), QStringLiteral("全字匹配"));
  const CMyGridCtrl& grid = *w.Ui().grid;

  find->KeywordBox()->setText(QStringLiteral(" 苹果 "));
  std::vector<int> rows;
  for (int i = 0; i < 3; ++i) {
    QTest::mouseClick(find->DefaultButton(), Qt::LeftButton);
    rows.push_back(grid.FocusRow());
  }
  EXPECT_EQ(rows, (std::vector<int>{0, 2, 0}));  // wraps to the first row
  rows.clear();
  for (int i = 0; i < 2; ++i) {
    QTest::mouseClick(find->PreviousButton(), Qt::LeftButton);
    rows.push_back(grid.FocusRow());
  }
  EXPECT_EQ(rows, (std::vector<int>{2, 0}));  // wraps to the last row
  EXPECT_TRUE(prompts.messages.isEmpty());

  find->KeywordBox()->setText(QStringLiteral("banana"));
  QTest::mouseClick(find->CaseBox(), Qt::LeftButton);
  QTest::mouseClick(find->DefaultButton(), Qt::LeftButton);
  EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("找不到“banana”")});
  QTest::mouseClick(find->CaseBox(), Qt::LeftButton);
  QTest::mouseClick(find->DefaultButton(), Qt::LeftButton);
  EXPECT_EQ(grid.FocusRow(), 1);
  QTest::mouseClick(find->CloseButton(), Qt::LeftButton);
  EXPECT_FALSE(find->isVisible());

  // The tile look hides the find window and disables the link.
  emit w.Ui().findLink->linkActivated(QStringLiteral("#"));
  QTest::mouseClick(w.Ui().thumbnails, Qt::LeftButton);
  EXPECT_FALSE(find->isVisible());
  ASSERT_TRUE(WaitUntil([&] { return !w.ReShowRunning(); }));
}

TEST_F(GridInWindow, FilterShowsOnlyMatchingAlbumsUntilTheNextListing) {
  Serve(QStringLiteral("2"), {{QStringLiteral("猫 1"), 1, 0, {}, {}},
                              {QStringLiteral("狗"), 2, 0, {}, {}},
                              {QStringLiteral("猫 2"), 3, 0, {}, {}}});
  CZentrowDlg& w = Start();
  List(QStringLiteral("2"));
  bool sawFilterMode = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<CDlgFind*>(modal);
    if (!dialog) return false;
    sawFilterMode = dialog->DefaultButton()->text() == QStringLiteral("筛选") && !dialog->PreviousButton()->isVisible() &&
                    !dialog->CaseBox()->isVisible();
    dialog->KeywordBox()->setText(QStringLiteral(" 猫 "));
    QTest::mouseClick(dialog->DefaultButton(), Qt::LeftButton);
    return true;
  });
  emit w.Ui().filterLink->linkActivated(QStringLiteral("#"));
  EXPECT_TRUE(sawFilterMode);
  ASSERT_TRUE(WaitUntil([&] { return !w.ReShowRunning(); }));
  Drain();
  const CMyGridCtrl& grid = *w.Ui().grid;
  ASSERT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.CellText(0, 0), QStringLiteral("0001"));
  EXPECT_EQ(grid.CellText(1, 0), QStringLiteral("0002"));  // numbered by the new rows
  EXPECT_EQ(grid.CellText(1, 1), QStringLiteral("猫 2"));
  EXPECT_EQ(grid.TickedAlbums(3), std::vector<int>{});
  const_cast<CMyGridCtrl&>(grid).SelectAllCells();
  EXPECT_EQ(grid.TickedAlbums(3), (std::vector<int>{0, 2}));

  // "×" cancels: the grid stays as it is.
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<CDlgFind*>(modal);
    if (dialog) QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    return dialog != nullptr;
  });
  emit w.Ui().filterLink->linkActivated(QStringLiteral("#"));
  EXPECT_FALSE(w.ReShowRunning());
  EXPECT_EQ(grid.RowCount(), 2);

  List(QStringLiteral("2"));
  EXPECT_EQ(grid.RowCount(), 3);
}

TEST_F(GridInWindow, ExportLinkWritesTheListedAlbums) {
  Serve(QStringLiteral("1"), {{QStringLiteral("春天,夏天"), 4, 1, {}, {}}});
  CZentrowDlg& w = Start();
  List(QStringLiteral("1"));
  const QString path = WorkFile(QStringLiteral("out.csv"));
  prompts.saveAnswer = path;
  emit w.Ui().exportLink->linkActivated(QStringLiteral("#"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), Gbk(QStringLiteral("0001,春天','夏天,   4,加密相册,,,\r\n")));
}

}  // namespace
}  // namespace zentrow::test
