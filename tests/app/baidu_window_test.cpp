// The Baidu readers in the window: a Tieba thread address lists its one album and
// downloads it without a further click.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QStringList>

#include "app/my_grid_ctrl.h"
#include "sites/baidu/baidu.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

class BaiduWindow : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    sites[SITE_BAIDU] = BaiduReaders();
    std::string error;
    ASSERT_TRUE(web.LoadManifest(ZENTROW_TEST_DATA "/sites/tieba/manifest.txt", &error)) << error;
    web.Get("http://imgsrc.baidu.com/forum/pic/item/*", PictureBody('b'));
  }
};

TEST_F(BaiduWindow, ATiebaThreadAddressDownloadsItsOneAlbumWithoutAClick) {
  CZentrowDlg& w = Start();
  List(QStringLiteral("http://tieba.baidu.com/p/7001"));
  EXPECT_EQ(w.Ui().category->currentIndex(), SITE_BAIDU);
  ASSERT_EQ(w.Ui().grid->RowCount(), 1);
  EXPECT_EQ(w.Ui().grid->CellText(0, 1), QStringLiteral("春天的花"));

  // The listing has started the download by itself: wait for it, no button pressed.
  ASSERT_TRUE(WaitUntil([&] { return w.State().downloadState == DOWNLOAD_IDLE; }));
  w.State().WaitDownload();
  Drain();
  EXPECT_EQ(w.Ui().grid->TickedAlbums(1), std::vector<int>{0});
  EXPECT_EQ(w.Ui().status1->text(), QStringLiteral("下载完毕"));
  const QDir album(SavePath() + QStringLiteral("春天的花"));
  QStringList files = album.entryList({QStringLiteral("*.jpg")}, QDir::Files);
  files.sort();
  QStringList expected = {QStringLiteral("花瓣.jpg"), QStringLiteral("春天的花.jpg"), QStringLiteral("叶子.jpg"),
                          QStringLiteral("枝头.jpg"), QStringLiteral("落花.jpg")};
  expected.sort();
  EXPECT_EQ(files, expected);
  EXPECT_EQ(web.RequestsTo("http://imgsrc.baidu.com/forum/pic/item/").size(), 5u);
}

}  // namespace
}  // namespace zentrow::test
