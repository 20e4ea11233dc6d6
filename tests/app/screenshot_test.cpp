// Pictures of the real window: a listed album grid, a download under way and the tile
// look. With ZENTROW_SCREENSHOT_DIR set they are saved there as main-window.png,
// download.png and tiles.png (the README shows those in docs/screenshots).
#include <QBuffer>
#include <QCheckBox>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QRawFont>
#include <QTest>

#include "app/combo_box2.h"
#include "app/my_grid_ctrl.h"
#include "app/qtext.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

const QColor kCoverColours[] = {QColor(231, 76, 60), QColor(46, 134, 193), QColor(39, 174, 96), QColor(243, 156, 18),
                                QColor(142, 68, 173), QColor(22, 160, 133), QColor(211, 84, 0), QColor(52, 73, 94)};

// A cover of one colour with a light disc in the middle.
std::string Cover(const QColor& colour) {
  QImage image(300, 240, QImage::Format_RGB32);
  image.fill(colour);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(colour.lighter(160));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPoint(150, 120), 60, 60);
  painter.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 95);
  return bytes.toStdString();
}

void Save(const QImage& image, const char* name) {
  const QString folder = qEnvironmentVariable("ZENTROW_SCREENSHOT_DIR");
  if (!folder.isEmpty()) {
    EXPECT_TRUE(image.save(folder + u'/' + QString::fromLatin1(name)));
  }
}

bool Near(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 && std::abs(a.blue() - b.blue()) < 24;
}

using Screenshots = WindowTest;

TEST_F(Screenshots, MainWindowWithListedAlbumsAndTheTileLook) {
  // Chinese needs a font that has it.
  bool chinese = false;
  for (const QString& family : QFontDatabase::families(QFontDatabase::SimplifiedChinese)) {
    chinese = chinese || QRawFont::fromFont(QFont(family)).supportsCharacter(QChar(0x76F8));
  }
  ASSERT_TRUE(chinese) << "no font with Chinese characters is installed";

  const char16_t* names[] = {u"2019 西湖春游", u"毕业照", u"家里的猫", u"周末烘焙", u"旅行·云南大理",
                             u"老照片扫描", u"生日聚会", u"雪山徒步", u"手机随拍", u"美食记录", u"花园四季", u"摄影作业"};
  std::vector<AlbumSpec> albums;
  for (int i = 0; i < 12; ++i) {
    const std::string cover = "http://img.example.com/cover" + std::to_string(i) + ".jpg";
    web.Get(cover, Cover(kCoverColours[i % 8]));
    albums.push_back({QString::fromUtf16(names[i]), 12 + i * 17, i == 2 ? 1 : (i == 5 ? 2 : (i == 9 ? 4 : 0)),
                      QString::fromStdString(cover), {}});
  }
  Serve(QStringLiteral("123456789"), albums);
  CZentrowDlg& w = Start();
  w.resize(900, 620);
  w.Ui().savePath->setEditText(QStringLiteral("/home/user/图片/相册/"));
  List(QStringLiteral("123456789"));
  CMyGridCtrl& grid = *w.Ui().grid;
  ASSERT_EQ(grid.RowCount(), 12);
  grid.selectRow(1);
  Drain();

  const QImage list = w.grab().toImage();
  ASSERT_EQ(list.size(), w.size() * w.devicePixelRatio());
  // The selected row is drawn in the highlight colour.
  const QPoint selected = grid.viewport()->mapTo(&w, grid.visualRect(grid.model()->index(1, 1)).center());
  EXPECT_EQ(list.pixelColor(selected + QPoint(60, 0)), grid.palette().color(QPalette::Active, QPalette::Highlight));
  Save(list, "main-window.png");

  // A download of every album, half way through the fifth: the engine's reports, as they
  // reach the window, put the bars beside the status lines.
  UiPort& port = w.State().Ui();
  const QString listed = w.Ui().status1->text();
  port.DownloadLook(true);
  port.SetStatus1(u"正在下载第5/12个图集");
  port.AlbumProgress(4, 12);
  port.SetStatus2(u"已下载35/80......");
  port.PictureProgress(35, 80);
  Drain();
  ASSERT_TRUE(w.Ui().albumProgress->isVisible());
  ASSERT_TRUE(w.Ui().pictureProgress->isVisible());
  Save(w.grab().toImage(), "download.png");
  port.DownloadLook(false);
  port.SetStatus1(T(listed));
  port.SetStatus2(Text());
  Drain();

  QTest::mouseClick(w.Ui().thumbnails, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !w.ReShowRunning(); }));
  Drain();
  ASSERT_EQ(grid.RowCount(), 2);
  grid.selectionModel()->select(grid.model()->index(0, 2), QItemSelectionModel::Select);
  Drain();
  const QImage tiles = w.grab().toImage();
  for (int i : {0, 4, 7}) {
    const QRect cell = grid.visualRect(grid.model()->index(i / 6, i % 6));
    const QPoint corner = grid.viewport()->mapTo(&w, cell.topLeft());
    // Away from the disc, the check mark and the text band: the cover's own colour.
    EXPECT_TRUE(Near(tiles.pixelColor(corner + QPoint(100, 30)), kCoverColours[i % 8])) << i;
  }
  Save(tiles, "tiles.png");
}

}  // namespace
}  // namespace zentrow::test
