// The settings dialogs and the menu commands.
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/dlg_settings.h"
#include "app/qtext.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

// The option word of a slot in "soft.dat" as it is on disk.
uint16_t OptionWordOnDisk(const QString& path, int slot) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return 0xFFFF;
  const QByteArray bytes = file.readAll();
  const qsizetype at = 192 + slot * 484 + 480;
  if (bytes.size() != 19808) return 0xFFFF;
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

TEST(DownloadSettingsDialog, RefusesBadValuesAndStoresGoodOnes) {
  RecordingPrompts prompts;
  struct Case {
    const char* threads;
    const char* timeout;
    const char* minSize;
    const char* maxSize;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {"15", "10", "0", "0", true},   {"1", "300", "20", "5000", true}, {"0", "30", "0", "0", false},
      {"16", "30", "0", "0", false},  {"5", "9", "0", "0", false},      {"abc", "30", "0", "0", false},
      {"5", "30", "-1", "0", false},  {"5", "30", "0", "70000", false}, {"65541", "30", "0", "0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.threads) + " " + c.timeout + " " + c.minSize + " " + c.maxSize);
    DownloadParams params{1, 2, 5, 30};
    prompts.messages.clear();
    CDlgDownSet dialog(params, prompts, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(dialog.Threads()->text(), QStringLiteral("5"));
    EXPECT_EQ(dialog.MinSize()->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("确 定"));
    dialog.show();
    dialog.Threads()->setText(QString::fromLatin1(c.threads));
    dialog.Timeout()->setText(QString::fromLatin1(c.timeout));
    dialog.MinSize()->setText(QString::fromLatin1(c.minSize));
    dialog.MaxSize()->setText(QString::fromLatin1(c.maxSize));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
    if (c.accepted) {
      EXPECT_TRUE(prompts.messages.isEmpty());
      EXPECT_EQ(params.threadCount, QByteArray(c.threads).toInt());
      EXPECT_EQ(params.timeoutSeconds, QByteArray(c.timeout).toInt());
      EXPECT_EQ(params.minSizeKb, QByteArray(c.minSize).toInt());
      EXPECT_EQ(params.maxSizeKb, QByteArray(c.maxSize).toInt());
    } else {
      EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("参数错误")});
      EXPECT_TRUE(dialog.isVisible());  // stays open
      // A refused entry never reaches the record.
      EXPECT_EQ(params.threadCount, 5);
      EXPECT_EQ(params.timeoutSeconds, 30);
      EXPECT_EQ(params.minSizeKb, 1);
    }
  }
}

TEST(FileNameDialog, ShowsAndStoresTheNamingRecord) {
  RecordingPrompts prompts;
  NamingRecord naming;
  naming.filePrefix.Set(u"pre_");
  naming.replaceFrom.Set(u"a|b");
  naming.baseName = BASE_NUMBER;
  naming.albumFolder = ALBUM_FOLDER_NONE;
  naming.optionFlags = 77;
  CDlgSaveSet dialog(naming, prompts, nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("设置"));
  EXPECT_EQ(dialog.FilePrefix()->text(), QStringLiteral("pre_"));
  EXPECT_EQ(dialog.ReplaceFrom()->text(), QStringLiteral("a|b"));
  EXPECT_EQ(dialog.BaseName()->checkedId(), BASE_NUMBER);
  EXPECT_EQ(dialog.AlbumFolder()->checkedId(), ALBUM_FOLDER_NONE);
  QStringList choices;
  for (QAbstractButton* b : dialog.BaseName()->buttons()) choices.append(b->text());
  for (QAbstractButton* b : dialog.AlbumFolder()->buttons()) choices.append(b->text());
  EXPECT_EQ(choices, (QStringList{QStringLiteral("描述"), QStringLiteral("序号"), QStringLiteral("网址"),
                                  QStringLiteral("相册名"), QStringLiteral("无")}));

  emit dialog.HelpLink()->linkActivated(QStringLiteral("#"));
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_EQ(prompts.messages[0], CDlgSaveSet::kHelpText);
  EXPECT_TRUE(prompts.messages[0].startsWith(QStringLiteral("设置前后缀，可以在图片本来的文件名前后加上指定的字符\n")));
  EXPECT_TRUE(prompts.messages[0].endsWith(QStringLiteral("?9:相册在列表中的序号(格式为：0001,0002,0003...)")));
  EXPECT_TRUE(dialog.HelpLink()->text().contains(QStringLiteral("前后缀说明")));

  dialog.FilePrefix()->setText(QString(39, u'前'));
  dialog.FileSuffix()->setText(QStringLiteral("_?2"));
  dialog.ReplaceWith()->setText(QStringLiteral("x|y"));
  dialog.FolderPrefix()->setText(QStringLiteral("?9 "));
  dialog.FolderSuffix()->setText(QStringLiteral("!"));
  dialog.BaseName()->button(BASE_ADDRESS)->setChecked(true);
  dialog.AlbumFolder()->button(ALBUM_FOLDER_NAME)->setChecked(true);
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(naming.filePrefix.Get(), Text(38, u'前'));  // 38 characters are kept
  EXPECT_EQ(naming.fileSuffix.Get(), u"_?2");
  EXPECT_EQ(naming.replaceFrom.Get(), u"a|b");
  EXPECT_EQ(naming.replaceWith.Get(), u"x|y");
  EXPECT_EQ(naming.folderPrefix.Get(), u"?9 ");
  EXPECT_EQ(naming.folderSuffix.Get(), u"!");
  EXPECT_EQ(naming.baseName, BASE_ADDRESS);
  EXPECT_EQ(naming.albumFolder, ALBUM_FOLDER_NAME);
  EXPECT_EQ(naming.optionFlags, 77);
}

using Menus = WindowTest;

TEST_F(Menus, DialogOkWritesTheSettingsFileForTheCurrentCategory) {
  CZentrowDlg& w = Start();
  Type(QStringLiteral("http://www.yupoo.com/photos/x/"));
  ASSERT_EQ(w.State().Category(), SITE_YUPOO);
  const QString softDat = WorkFile(QStringLiteral("soft.dat"));
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<CDlgDownSet*>(modal);
    if (!dialog) return false;
    dialog->Threads()->setText(QStringLiteral("9"));
    dialog->Timeout()->setText(QStringLiteral("45"));
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    return true;
  });
  w.CommandAction(ID_DOWNLOAD_SETTINGS)->trigger();
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<CDlgSaveSet*>(modal);
    if (!dialog) return false;
    dialog->FilePrefix()->setText(QStringLiteral("又拍_"));
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    return true;
  });
  w.CommandAction(ID_NAME_SETTINGS)->trigger();

  SettingsFile onDisk;
  QTemporaryDir copy;
  ASSERT_TRUE(QFile::copy(softDat, copy.path() + QStringLiteral("/soft.dat")));
  onDisk.Load(T(copy.path() + u'/'));
  EXPECT_EQ(onDisk.Params(SITE_YUPOO).threadCount, 9);
  EXPECT_EQ(onDisk.Params(SITE_YUPOO).timeoutSeconds, 45);
  EXPECT_EQ(onDisk.Naming(SITE_YUPOO).filePrefix.Get(), u"又拍_");
  EXPECT_EQ(onDisk.Naming(SITE_QQ).filePrefix.Get(), u"");

  // Cancelled with the window's close button: nothing is saved.
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<CDlgSaveSet*>(modal);
    if (!dialog) return false;
    dialog->FilePrefix()->setText(QStringLiteral("never"));
    dialog->reject();
    return true;
  });
  w.CommandAction(ID_NAME_SETTINGS)->trigger();
  SettingsFile again;
  QFile::remove(copy.path() + QStringLiteral("/soft.dat"));
  ASSERT_TRUE(QFile::copy(softDat, copy.path() + QStringLiteral("/soft.dat")));
  again.Load(T(copy.path() + u'/'));
  EXPECT_EQ(again.Naming(SITE_YUPOO).filePrefix.Get(), u"又拍_");
}

TEST_F(Menus, OptionTogglesFlipTheirBitAndSaveAtOnce) {
  CZentrowDlg& w = Start();
  const QString softDat = WorkFile(QStringLiteral("soft.dat"));
  struct Case {
    int id;
    const char16_t* text;
    uint16_t bit;
    int site;
  };
  const std::vector<Case> cases = {
      {ID_LIST_ONLY, u"只生成迅雷下载列表", OPT_LIST_ONLY, SITE_QQ},
      {ID_SOURCE_NAMES, u"生成图片原始名文件", OPT_SOURCE_NAMES, SITE_QQ},
      {ID_FIX_ORDER, u"修正图片顺序", OPT_FIX_ORDER, SITE_BAIDU},
      {ID_FIX_FORMAT, u"修正图片格式", OPT_FIX_FORMAT, SITE_BAIDU},
      {ID_SKIP_DOWNLOADED, u"不下载以前下载过的图片", OPT_SKIP_DOWNLOADED, SITE_SINA},
      {ID_OPEN_FOLDER, u"下载完成后打开保存路径", OPT_OPEN_FOLDER, SITE_SINA},
      {ID_YUPOO_BIG, u"又拍相册下载大图（不勾选为下载原图，下载原图速度更慢）", OPT_YUPOO_BIG, SITE_YUPOO},
      {ID_MAIN_PICTURES, u"只下载宝贝(商品)主图", OPT_MAIN_PICTURES, SITE_SHOPS},
      {ID_DESCRIPTION_PICTURES, u"只下载宝贝(商品)描述里的图片", OPT_DESCRIPTION_PICTURES, SITE_JD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
    w.Ui().category->setCurrentIndex(c.site);
    emit w.Ui().category->activated(c.site);
    QAction* action = w.CommandAction(c.id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QString::fromUtf16(c.text));
    emit w.OptionsMenu()->aboutToShow();
    EXPECT_TRUE(action->isEnabled());
    EXPECT_FALSE(action->isChecked());
    action->trigger();
    EXPECT_EQ(w.State().Settings().Naming(c.site).optionFlags, c.bit);
    EXPECT_EQ(OptionWordOnDisk(softDat, c.site), c.bit);
    EXPECT_TRUE(action->isChecked());
    action->trigger();
    EXPECT_EQ(w.State().Settings().Naming(c.site).optionFlags, 0);
    EXPECT_EQ(OptionWordOnDisk(softDat, c.site), 0);
  }

  // The two shop choices exclude each other.
  w.Ui().category->setCurrentIndex(SITE_SHOPS);
  emit w.Ui().category->activated(SITE_SHOPS);
  w.CommandAction(ID_MAIN_PICTURES)->trigger();
  w.CommandAction(ID_DESCRIPTION_PICTURES)->trigger();
  EXPECT_EQ(w.State().Settings().Naming(SITE_SHOPS).optionFlags, OPT_DESCRIPTION_PICTURES);
  EXPECT_FALSE(w.CommandAction(ID_MAIN_PICTURES)->isChecked());
  w.CommandAction(ID_MAIN_PICTURES)->trigger();
  EXPECT_EQ(w.State().Settings().Naming(SITE_SHOPS).optionFlags, OPT_MAIN_PICTURES);

  // Check marks follow the category the menu opens for.
  w.Ui().category->setCurrentIndex(SITE_QQ);
  emit w.Ui().category->activated(SITE_QQ);
  emit w.OptionsMenu()->aboutToShow();
  EXPECT_FALSE(w.CommandAction(ID_MAIN_PICTURES)->isChecked());
}

TEST_F(Menus, ShopAndYupooOptionsAreEnabledForTheirCategoriesOnly) {
  CZentrowDlg& w = Start();
  for (int site = 0; site < SITE_COUNT; ++site) {
    w.Ui().category->setCurrentIndex(site);
    emit w.Ui().category->activated(site);
    emit w.OptionsMenu()->aboutToShow();
    const bool shop = site == SITE_SHOPS || site == SITE_JD;
    EXPECT_EQ(w.CommandAction(ID_MAIN_PICTURES)->isEnabled(), shop) << site;
    EXPECT_EQ(w.CommandAction(ID_DESCRIPTION_PICTURES)->isEnabled(), shop) << site;
    EXPECT_EQ(w.CommandAction(ID_YUPOO_BIG)->isEnabled(), site == SITE_YUPOO) << site;
    EXPECT_TRUE(w.CommandAction(ID_FIX_ORDER)->isEnabled()) << site;
  }
}

TEST_F(Menus, HelpCommandsOpenTheManualAndTheAboutBoxShowsTheVersion) {
  CZentrowDlg& w = Start();
  for (int id : {ID_FILE_TOOL, ID_INSTRUCTIONS, ID_CONSULTATION, ID_FEEDBACK}) w.CommandAction(id)->trigger();
  ASSERT_EQ(opened.urls.size(), 4);
  for (const QUrl& url : opened.urls) EXPECT_EQ(url, QUrl::fromLocalFile(QStringLiteral("/opt/zentrow/manual.md")));
  emit w.Ui().contactLink->linkActivated(QStringLiteral("#"));
  EXPECT_EQ(opened.urls.back(), QUrl::fromLocalFile(QStringLiteral("/opt/zentrow/README.md")));

  // The list commands do nothing.
  opened.urls.clear();
  for (int id : {ID_IMPORT_LIST, ID_EXPORT_LIST, ID_EXPORT_THUNDER}) {
    ASSERT_NE(w.CommandAction(id), nullptr);
    w.CommandAction(id)->trigger();
  }
  EXPECT_TRUE(opened.urls.isEmpty());
  EXPECT_TRUE(prompts.messages.isEmpty());

  QString title;
  QStringList texts;
  WhenModal([&](QWidget* modal) {
    title = modal->windowTitle();
    for (QLabel* label : modal->findChildren<QLabel*>()) texts.append(label->text());
    static_cast<QDialog*>(modal)->accept();
    return true;
  });
  w.CommandAction(ID_ABOUT)->trigger();
  EXPECT_EQ(title, QStringLiteral("关于"));
  EXPECT_TRUE(texts.contains(QStringLiteral("版本号：") + QString::fromLatin1(kProgramVersion))) << texts.join(u'|').toStdString();
}

}  // namespace
}  // namespace zentrow::test
