// The shop and JD readers in the window: an address of one product (a Tmall product, a
// 1688 offer, a JD product) lists it and downloads it without a further click.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/my_grid_ctrl.h"
#include "net/cookies.h"
#include "sites/jd/jd.h"
#include "sites/shops/shops.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

class ShopsWindow : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    sites[SITE_SHOPS] = ShopReaders();
    sites[SITE_JD] = JdReaders();
    net::CookieStore::Instance().ClearAll();
    for (const char* folder : {"taobao", "1688", "jd"}) {
      std::string error;
      ASSERT_TRUE(web.LoadManifest(std::string(ZENTROW_TEST_DATA "/sites/") + folder + "/manifest.txt", &error)) << error;
    }
    for (const char* host : {"http://img.alicdn.com/*", "http://cbu01.alicdn.com/*", "http://img11.360buyimg.com/*"})
      web.Get(host, PictureBody('s'));
  }
  void TearDown() override {
    WindowTest::TearDown();
    net::CookieStore::Instance().ClearAll();
  }
};

TEST_F(ShopsWindow, AProductAddressListsTheProductAndDownloadsIt) {
  struct Case {
    QString address;
    int category;
    QString name;
    QStringList pictures;  // under the save path
  };
  const std::vector<Case> cases = {
      {QStringLiteral("http://detail.tmall.com/item.htm?id=2001"), SITE_SHOPS, QStringLiteral("羊绒大衣 - 双面呢"),
       {QStringLiteral("天猫旗舰店/羊绒大衣 - 双面呢/主图_1.jpg"), QStringLiteral("天猫旗舰店/羊绒大衣 - 双面呢/主图_2.jpg")}},
      {QStringLiteral("http://detail.1688.com/offer/556677.html"), SITE_SHOPS, QStringLiteral("韩版珍珠耳环 925银针"),
       {QStringLiteral("义乌市晶彩饰品有限公司/韩版珍珠耳环 925银针/主图_1.jpg"),
        QStringLiteral("义乌市晶彩饰品有限公司/韩版珍珠耳环 925银针/主图_2.jpg"),
        QStringLiteral("义乌市晶彩饰品有限公司/韩版珍珠耳环 925银针/主图_4.jpg")}},
      {QStringLiteral("http://item.jd.com/200001.html"), SITE_JD, QStringLiteral("不锈钢保温杯 500ml"),
       {QStringLiteral("京东/不锈钢保温杯 500ml/红色_主图_1.jpg"), QStringLiteral("京东/不锈钢保温杯 500ml/红色_主图_2.jpg"),
        QStringLiteral("京东/不锈钢保温杯 500ml/蓝色_主图_1.jpg")}},
  };
  CZentrowDlg& w = Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address.toStdString());
    prompts.messages.clear();
    List(c.address);
    // The listing started the download by itself; wait until it has ended.
    ASSERT_TRUE(WaitUntil([&] { return w.State().downloadState == DOWNLOAD_IDLE; }));
    w.State().WaitDownload();
    Drain();

    EXPECT_EQ(w.Ui().category->currentIndex(), c.category);
    CMyGridCtrl& grid = *w.Ui().grid;
    ASSERT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.CellText(0, 1), c.name);
    EXPECT_EQ(grid.CellText(0, 2), QStringLiteral("未知"));
    EXPECT_EQ(w.Ui().status1->text(), QStringLiteral("下载完毕"));
    for (const QString& picture : c.pictures) EXPECT_TRUE(QFile::exists(SavePath() + picture)) << picture;
    const QString folder = QFileInfo(SavePath() + c.pictures.front()).path();
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), c.pictures.size());
    EXPECT_EQ(prompts.messages, QStringList{QString::fromUtf16(kShopNotice)});
  }
}

}  // namespace
}  // namespace zentrow::test
