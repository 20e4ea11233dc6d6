#include "app/zentrow_dlg.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineProfile>

#include "app/combo_box2.h"
#include "app/dlg_find.h"
#include "app/dlg_settings.h"
#include "app/dlg_web_open.h"
#include "app/my_grid_ctrl.h"
#include "app/prompts.h"
#include "app/qtext.h"
#include "app/splash_screen_ex.h"
#include "app/window_place.h"
#include "engine/catalogue.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

const QString kTitle = QStringLiteral("Zentrow 相册批量下载 ") + QString::fromLatin1(kProgramVersion);
constexpr int kClipboardLimit = 200;  // longer clipboard texts are no address
constexpr int kUpdateExitMs = 3000;
constexpr int kReShowBatch = 500;
const QString kGeometryFile = QStringLiteral("window.ini");  // in the working folder

// Login pages of the login menu (the QQ one depends on the address box and is built apart).
struct LoginPage {
  int id;
  const char16_t* text;
  const char* address;
};
constexpr LoginPage kLoginPages[] = {
    {ID_LOGIN_TWEIBO, u"腾讯微博（登录时勾上下次自动登录）", "http://t.qq.com/"},
    {ID_LOGIN_BAIDU, u"百度", "http://passport.baidu.com/"},
    {ID_LOGIN_NETEASE, u"网易", "http://reg.163.com/"},
    {ID_LOGIN_RENREN, u"人人", "http://www.renren.com/"},
    {ID_LOGIN_YUPOO, u"又拍（下载器没弹窗提示你登录，就不要在这里登录）", "http://www.yupoo.com/account/login/"},
    {ID_LOGIN_MOKO, u"美空", "http://www.moko.cc/jsps/common/login.jsp?tourl=http%3A//www.moko.cc/"},
    {ID_LOGIN_WEIBO, u"新浪微博（登录时勾上下次自动登录）", "http://weibo.com/login.php"},
    {ID_LOGIN_TAOBAO, u"淘宝（强烈建议用小号登录）", "https://login.taobao.com/member/login.jhtml"},
    {ID_LOGIN_56, u"56", "http://i.56.com/login/"},
    {ID_LOGIN_HUPU, u"虎扑", "http://passport.hupu.com/login"},
};
// "自定义登录" opens a blank page: the user types any site's login address.
const QString kCustomLoginPage = QStringLiteral("about:blank");

struct OptionCommand {
  int id;
  const char16_t* text;
  uint16_t bit;
};
constexpr OptionCommand kOptions[] = {
    {ID_LIST_ONLY, u"只生成迅雷下载列表", OPT_LIST_ONLY},
    {ID_SOURCE_NAMES, u"生成图片原始名文件", OPT_SOURCE_NAMES},
    {ID_FIX_ORDER, u"修正图片顺序", OPT_FIX_ORDER},
    {ID_FIX_FORMAT, u"修正图片格式", OPT_FIX_FORMAT},
    {ID_SKIP_DOWNLOADED, u"不下载以前下载过的图片", OPT_SKIP_DOWNLOADED},
    {ID_OPEN_FOLDER, u"下载完成后打开保存路径", OPT_OPEN_FOLDER},
    {0, nullptr, 0},  // separator
    {ID_MAIN_PICTURES, u"只下载宝贝(商品)主图", OPT_MAIN_PICTURES},
    {ID_DESCRIPTION_PICTURES, u"只下载宝贝(商品)描述里的图片", OPT_DESCRIPTION_PICTURES},
    {ID_YUPOO_BIG, u"又拍相册下载大图（不勾选为下载原图，下载原图速度更慢）", OPT_YUPOO_BIG},
};

QString Link(const QString& text) { return QStringLiteral("<a href=\"#\">%1</a>").arg(text); }

QProgressBar* NewProgressBar(const QString& format, const QString& tip, int height, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setFormat(format);
  bar->setToolTip(tip);
  bar->setFixedSize(150, height);
  bar->hide();
  return bar;
}

// What the notification at the end of a download says: how far it came, what it saved
// (or the list files it wrote instead), the failures, and where.
QString DownloadEndedText(const DownloadTotals& totals) {
  QString done = totals.albumsDone < totals.albums
                     ? QStringLiteral("已终止：完成%1/%2个图集").arg(totals.albumsDone).arg(totals.albums)
                     : QStringLiteral("完成%1个图集").arg(totals.albums);
  if (totals.listFiles > 0) done += QStringLiteral("，生成了%1个下载列表文件").arg(totals.listFiles);
  if (totals.saved > 0 || totals.listFiles == 0) done += QStringLiteral("，保存了%1张图片").arg(totals.saved);
  QStringList lines{done};
  if (totals.failed > 0) lines << QStringLiteral("有%1张图片下载失败").arg(totals.failed);
  lines << QDir::toNativeSeparators(Q(totals.folder));
  return lines.join(u'\n');
}

QLabel* NewLink(const QString& text, QWidget* parent) {
  auto* link = new QLabel(Link(text), parent);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  return link;
}

QString WithSlash(QString folder) {
  if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
  return folder;
}

QIcon ProgramIcon() {
  QPixmap picture(64, 64);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(40, 110, 200));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(4, 4, 56, 56, 12, 12);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(40);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("Z"));
  return QIcon(picture);
}

// The About box.
class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于"));
    auto* column = new QVBoxLayout(this);
    auto* frame = new QGroupBox(this);
    auto* row = new QHBoxLayout(frame);
    auto* icon = new QLabel(frame);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("版本号：") + QString::fromLatin1(kProgramVersion), frame));
    texts->addWidget(new QLabel(QStringLiteral("Zentrow 是自由软件，只下载你有权查看的相册。"), frame));
    row->addLayout(texts);
    column->addWidget(frame);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(ok, 0, Qt::AlignRight);
  }
};

}  // namespace

QString QqLoginAddress(const QString& addressText, int subKind) {
  static const QString kQzoneUserHost = QStringLiteral("http://user.qzone.qq.com/");
  const QString number = addressText.trimmed();
  const bool digitsOnly = std::all_of(number.begin(), number.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
  return digitsOnly && subKind == SUBKIND_QZONE ? kQzoneUserHost + number : kQzoneUserHost;
}

CZentrowDlg::CZentrowDlg(Options options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      prompts_(*options_.prompts),
      baseFolder_(T(WithSlash(Q(options_.workingFolder)))),
      port_(*this),
      state_(std::make_unique<MainState>(port_, *options_.sites, baseFolder_)) {
  setWindowTitle(kTitle);
  setWindowIcon(ProgramIcon());
  setAcceptDrops(true);
  BuildControls();
  BuildMenus();
  resize(800, 580);
  if (!RestoreWindowGeometry(*this, Q(baseFolder_) + kGeometryFile)) PlaceOver(*this, nullptr);
  StartUp();
}

CZentrowDlg::~CZentrowDlg() {
  // Release the engine threads that wait for the window, then stop and wait for them.
  port_.Close();
  modeSwitch_ = 2;
  if (reShow_.joinable()) reShow_.join();
  if (startup_.joinable()) startup_.join();
  state_.reset();
  // The browser pages go before their profile.
  delete openLogin_.data();
  delete browserCookies_;
  profile_.reset();
}

// ---- building ---------------------------------------------------------------------------

void CZentrowDlg::BuildControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(6, 4, 6, 4);
  column->setSpacing(5);

  // Top line: the notice until the first listing, then the two status lines.
  auto* top = topLine_ = new QStackedWidget(central);
  ui_.notice = new QLabel(top);
  auto* statusRow = new QWidget(top);
  auto* statusLayout = new QHBoxLayout(statusRow);
  statusLayout->setContentsMargins(0, 0, 0, 0);
  ui_.status1 = new QLabel(QStringLiteral("state1"), statusRow);
  ui_.status1->setMinimumWidth(150);
  ui_.status2 = new QLabel(QStringLiteral("state2"), statusRow);
  const int topHeight = fontMetrics().height() + 8;
  ui_.albumProgress = NewProgressBar(QStringLiteral("图集 %v/%m"), QStringLiteral("下载完的图集"), topHeight - 4, statusRow);
  ui_.pictureProgress = NewProgressBar(QStringLiteral("图片 %v/%m"), QStringLiteral("本图集下载完的图片"), topHeight - 4, statusRow);
  statusLayout->addWidget(ui_.status1);
  statusLayout->addWidget(ui_.status2, 1);
  statusLayout->addWidget(ui_.albumProgress);
  statusLayout->addWidget(ui_.pictureProgress);
  top->addWidget(ui_.notice);
  top->addWidget(statusRow);
  top->setFixedHeight(topHeight);
  column->addWidget(top);

  auto* addressRow = new QHBoxLayout;
  ui_.category = new QComboBox(central);
  ui_.category->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  ui_.subKind = new QComboBox(central);
  ui_.address = new CComboBox2(central);
  ui_.address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  ui_.getAlbums = new QPushButton(QStringLiteral("获取相册"), central);
  ui_.getAlbums->setDefault(true);
  ui_.download = new QPushButton(QStringLiteral("下载"), central);
  ui_.download->setEnabled(false);
  addressRow->addWidget(ui_.category);
  addressRow->addWidget(ui_.subKind);
  addressRow->addWidget(ui_.address, 1);
  addressRow->addWidget(ui_.getAlbums);
  addressRow->addWidget(ui_.download);
  column->addLayout(addressRow);

  auto* pathRow = new QHBoxLayout;
  ui_.savePath = new CComboBox2(central);
  ui_.savePath->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  ui_.choosePath = new QPushButton(QStringLiteral("设置"), central);
  ui_.openPath = new QPushButton(QStringLiteral("打开"), central);
  pathRow->addWidget(new QLabel(QStringLiteral("保存路径:"), central));
  pathRow->addWidget(ui_.savePath, 1);
  pathRow->addWidget(ui_.choosePath);
  pathRow->addWidget(ui_.openPath);
  column->addLayout(pathRow);

  ui_.albumGroup = new QGroupBox(QStringLiteral("相册列表"), central);
  auto* groupColumn = new QVBoxLayout(ui_.albumGroup);
  groupColumn->setContentsMargins(4, 2, 4, 4);
  auto* linkRow = new QHBoxLayout;
  linkRow->addStretch(1);
  for (QLabel*& praise : ui_.praise) {
    praise = NewLink(QStringLiteral("好评"), ui_.albumGroup);
    praise->hide();
    linkRow->addWidget(praise);
  }
  ui_.exportLink = NewLink(QStringLiteral("导出"), ui_.albumGroup);
  ui_.filterLink = NewLink(QStringLiteral("筛选"), ui_.albumGroup);
  ui_.findLink = NewLink(QStringLiteral("查找"), ui_.albumGroup);
  ui_.thumbnails = new QCheckBox(QStringLiteral("预览图"), ui_.albumGroup);
  ui_.selectAll = new QCheckBox(QStringLiteral("全选"), ui_.albumGroup);
  for (QWidget* w : std::initializer_list<QWidget*>{ui_.exportLink, ui_.filterLink, ui_.findLink, ui_.thumbnails, ui_.selectAll}) {
    linkRow->addSpacing(8);
    linkRow->addWidget(w);
  }
  groupColumn->addLayout(linkRow);
  ui_.grid = new CMyGridCtrl(thumbnails_, prompts_, ui_.albumGroup);
  groupColumn->addWidget(ui_.grid, 1);
  column->addWidget(ui_.albumGroup, 1);

  auto* bottomRow = new QHBoxLayout;
  ui_.bottomLine = new QLabel(central);
  ui_.updateLink = NewLink(QStringLiteral("程序有更新"), central);
  ui_.updateLink->hide();
  ui_.contactLink = NewLink(QStringLiteral("项目主页：问题反馈与讨论"), central);
  bottomRow->addWidget(ui_.bottomLine, 1);
  bottomRow->addWidget(ui_.updateLink);
  bottomRow->addWidget(ui_.contactLink);
  column->addLayout(bottomRow);

  connect(ui_.category, qOverload<int>(&QComboBox::activated), this, [this] { CategoryChanged(); });
  connect(ui_.subKind, qOverload<int>(&QComboBox::currentIndexChanged), this,
          [this](int index) { state_->SetSubKind(std::max(index, 0)); });
  connect(ui_.address, &QComboBox::editTextChanged, this, [this](const QString& text) { state_->SetAddressText(T(text)); });
  connect(ui_.address, &CComboBox2::EditedByUser, this, [this] { Classify(); });
  connect(ui_.savePath, &QComboBox::editTextChanged, this, [this](const QString& text) { state_->SetSavePathText(T(text)); });
  connect(ui_.getAlbums, &QPushButton::clicked, this, &CZentrowDlg::GetAlbums);
  connect(ui_.download, &QPushButton::clicked, this, &CZentrowDlg::Download);
  connect(ui_.choosePath, &QPushButton::clicked, this, &CZentrowDlg::ChooseSavePath);
  connect(ui_.openPath, &QPushButton::clicked, this, &CZentrowDlg::OpenSavePath);
  connect(ui_.thumbnails, &QCheckBox::clicked, this, &CZentrowDlg::SwitchMode);
  connect(ui_.selectAll, &QCheckBox::clicked, this, &CZentrowDlg::SelectAll);
  connect(ui_.findLink, &QLabel::linkActivated, this, [this] { ShowFind(); });
  connect(ui_.filterLink, &QLabel::linkActivated, this, [this] { ShowFilter(); });
  connect(ui_.exportLink, &QLabel::linkActivated, this, [this] { ui_.grid->ExportCsv(); });
  connect(ui_.updateLink, &QLabel::linkActivated, this, [this] { OpenPage(Q(config_.updatePage)); });
  connect(ui_.contactLink, &QLabel::linkActivated, this, [this] { OpenPage(options_.projectPagePath); });
}

QAction* CZentrowDlg::AddCommand(QMenu* menu, int id, const QString& text, std::function<void()> effect) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  commands_[id] = action;
  if (effect) connect(action, &QAction::triggered, this, std::move(effect));
  return action;
}

void CZentrowDlg::AddOption(QMenu* menu, int id, const QString& text, uint16_t bit) {
  QAction* action = AddCommand(menu, id, text, nullptr);
  action->setCheckable(true);
  connect(action, &QAction::triggered, this, [this, bit](bool checked) { ToggleOption(bit, checked); });
}

void CZentrowDlg::BuildMenus() {
  QMenu* login = menuBar()->addMenu(QStringLiteral("<登录>"));
  QAction* method = AddCommand(login, ID_LOGIN_METHOD, QStringLiteral("登录方式1（如果登录失败，可勾选该项后再登录）"), nullptr);
  method->setCheckable(true);
  connect(method, &QAction::triggered, this, [this](bool checked) { loginMethod_ = checked; });
  login->addSeparator();
  AddCommand(login, ID_LOGIN_QQ, QStringLiteral("QQ空间/QQ群"), [this] {
    OpenLoginPage(QqLoginAddress(ui_.address->currentText(), state_->SubKindSelection()));
  });
  for (const LoginPage& page : kLoginPages) {
    const QString address = QString::fromLatin1(page.address);
    AddCommand(login, page.id, QString::fromUtf16(page.text), [this, address] { OpenLoginPage(address); });
  }
  AddCommand(login, ID_LOGIN_CUSTOM, QStringLiteral("自定义登录"), [this] { OpenLoginPage(kCustomLoginPage); });

  optionsMenu_ = menuBar()->addMenu(QStringLiteral("<设置>"));
  AddCommand(optionsMenu_, ID_DOWNLOAD_SETTINGS, QStringLiteral("下载参数设置"), [this] {
    // The dialog edits a copy; the engine's settings change under their lock on OK.
    const int site = state_->Category();
    DownloadParams params = state_->SettingsCopy().Params(site);
    CDlgDownSet dialog(params, prompts_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    state_->ChangeSettings([&](SettingsFile& settings) {
      settings.Params(site) = params;
      return true;
    });
  });
  AddCommand(optionsMenu_, ID_NAME_SETTINGS, QStringLiteral("文件名设置"), [this] {
    const int site = state_->Category();
    NamingRecord naming = state_->SettingsCopy().Naming(site);
    CDlgSaveSet dialog(naming, prompts_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    state_->ChangeSettings([&](SettingsFile& settings) {
      settings.Naming(site) = naming;
      return true;
    });
  });
  optionsMenu_->addSeparator();
  for (const OptionCommand& option : kOptions) {
    if (option.id == 0) optionsMenu_->addSeparator();
    else AddOption(optionsMenu_, option.id, QString::fromUtf16(option.text), option.bit);
  }

  QMenu* lists = menuBar()->addMenu(QStringLiteral("<下载列表>"));
  AddCommand(lists, ID_IMPORT_LIST, QStringLiteral("导入下载文件并开始下载"), nullptr);
  AddCommand(lists, ID_EXPORT_LIST, QStringLiteral("导出下载文件"), nullptr);
  AddCommand(lists, ID_EXPORT_THUNDER, QStringLiteral("导出迅雷下载列表"), nullptr);

  // The help pages are our own user manual.
  QMenu* help = menuBar()->addMenu(QStringLiteral("<帮助>"));
  AddCommand(help, ID_FILE_TOOL, QStringLiteral("文件处理"), [this] { OpenManual(); });
  AddCommand(help, ID_INSTRUCTIONS, QStringLiteral("使用说明"), [this] { OpenManual(); });
  AddCommand(help, ID_CONSULTATION, QStringLiteral("软件咨询"), [this] { OpenManual(); });
  AddCommand(help, ID_FEEDBACK, QStringLiteral("问题反馈"), [this] { OpenManual(); });
  help->addSeparator();
  AddCommand(help, ID_ABOUT, QStringLiteral("版本信息"), [this] { ShowAbout(); });

  for (QMenu* menu : {login, optionsMenu_}) connect(menu, &QMenu::aboutToShow, this, &CZentrowDlg::UpdateMenuStates);
}

QAction* CZentrowDlg::CommandAction(int id) const {
  const auto found = commands_.find(id);
  return found == commands_.end() ? nullptr : found->second;
}

// ---- start-up -----------------------------------------------------------------------------

void CZentrowDlg::StartUp() {
  loginMethod_ = true;
  ui_.grid->SetUpGrid(GridLook::List);

  const QString clipboard = QGuiApplication::clipboard()->text().trimmed();
  if (!clipboard.isEmpty() && clipboard.size() < kClipboardLimit) ui_.address->setEditText(clipboard);

  // Run from a temporary place, the pictures go to the documents folder instead.
  QString savePath = Q(baseFolder_);
  const QString temporary = WithSlash(Q(options_.temporaryFolder));
  if (!temporary.isEmpty() && savePath.startsWith(temporary) && !options_.documentsFolder.empty()) {
    Text documents = T(WithSlash(Q(options_.documentsFolder)) + QStringLiteral("Trelvik/"));
    MakeFolderPath(documents);
    savePath = Q(documents);
  }
  const SettingsFile settings = state_->SettingsCopy();
  const TextList addresses = settings.History(HistoryList::Address);
  const TextList paths = settings.History(HistoryList::SavePath);
  QStringList remembered;
  for (const Text& entry : addresses) remembered.append(Q(entry));
  ui_.address->SetRemembered(remembered);
  remembered.clear();
  for (const Text& entry : paths) remembered.append(Q(entry));
  ui_.savePath->SetRemembered(remembered);
  if (!paths.empty()) savePath = Q(paths.front());
  ui_.savePath->setEditText(savePath);
  state_->SetSavePathText(T(savePath));
  state_->SetAddressText(T(ui_.address->currentText()));

  splash_ = std::make_unique<CSplashScreenEx>(kTitle + QStringLiteral("\n\n正在启动，请稍候..."));
  splash_->ShowCentred();
  ui_.contactLink->setEnabled(true);
  startup_ = std::thread([this, load = options_.loadStartup] {
    StartupConfig config = load();
    port_.Post([this, config = std::move(config)] { ConfigLoaded(config); });
  });
}

void CZentrowDlg::ConfigLoaded(const StartupConfig& config) {
  config_ = config;
  for (const Text& name : config_.categoryNames) ui_.category->addItem(Q(name));
  ui_.category->setCurrentIndex(0);
  Classify();
  state_->SetReady();
  CategoryChanged();
  ui_.notice->setText(Q(config_.notice));

  if (AnnouncesNewerVersion(config_, FromAscii(kProgramVersion))) {
    ui_.updateLink->show();
    prompts_.Message(this, QStringLiteral("发现新版本，请更新后再使用。"));
    OpenPage(Q(config_.updatePage));
    QTimer::singleShot(kUpdateExitMs, this, [this] {
      close();
      QCoreApplication::quit();
    });
  } else {
    ui_.bottomLine->setText(Q(BottomLine(config_)));
  }
  splash_->HideBlended();
  show();
}

// ---- category -------------------------------------------------------------------------

void CZentrowDlg::Classify() {
  if (ui_.category->count() == 0) return;  // the category names have not arrived yet
  const Classification result = zentrow::Classify(T(ui_.address->currentText()), ui_.category->currentIndex());
  if (!result.changed) return;
  ui_.category->setCurrentIndex(result.siteIndex);
  CategoryChanged();
  if (result.subKind) ui_.subKind->setCurrentIndex(*result.subKind);
}

// The sub-kind box shows for QQ only; the address box takes the room it leaves.
void CZentrowDlg::CategoryChanged() {
  const int site = ui_.category->currentIndex();
  if (site < 0) return;
  state_->SetCategory(site);
  if (site == SITE_QQ) {
    ui_.subKind->clear();
    for (int kind = 0; kind < SUBKIND_COUNT; ++kind) ui_.subKind->addItem(Q(SubKindName(kind)));
    ui_.subKind->show();
    ui_.subKind->setCurrentIndex(SUBKIND_QZONE);
  } else {
    ui_.subKind->hide();
  }
  UpdateMenuStates();
}

void CZentrowDlg::UpdateMenuStates() {
  commands_[ID_LOGIN_METHOD]->setChecked(loginMethod_);
  const int site = state_->Category();
  const uint16_t flags = state_->SettingsCopy().Naming(site).optionFlags;
  for (const OptionCommand& option : kOptions) {
    if (option.id != 0) commands_[option.id]->setChecked(flags & option.bit);
  }
  const bool shop = site == SITE_SHOPS || site == SITE_JD;
  commands_[ID_MAIN_PICTURES]->setEnabled(shop);
  commands_[ID_DESCRIPTION_PICTURES]->setEnabled(shop);
  commands_[ID_YUPOO_BIG]->setEnabled(site == SITE_YUPOO);
}

void CZentrowDlg::ToggleOption(uint16_t bit, bool set) {
  const int site = state_->Category();
  state_->ChangeSettings([&](SettingsFile& settings) {
    uint16_t& flags = settings.Naming(site).optionFlags;
    // The two shop choices exclude each other.
    if (set && bit == OPT_MAIN_PICTURES) flags &= static_cast<uint16_t>(~OPT_DESCRIPTION_PICTURES);
    if (set && bit == OPT_DESCRIPTION_PICTURES) flags &= static_cast<uint16_t>(~OPT_MAIN_PICTURES);
    flags = set ? static_cast<uint16_t>(flags | bit) : static_cast<uint16_t>(flags & ~bit);
    return true;
  });
  UpdateMenuStates();
}

// ---- buttons ----------------------------------------------------------------------------

void CZentrowDlg::GetAlbums() {
  if (!state_->Ready()) return;
  if (state_->listState == LIST_IDLE) StopReShow();  // a new listing replaces the grid
  state_->GetAlbums();
}

void CZentrowDlg::Download() {
  downloadByButton_ = true;
  state_->SetTicked(ui_.grid->TickedAlbums(state_->albums.Count()));
  state_->Download();
}

void CZentrowDlg::ChooseSavePath() {
  const QString folder = prompts_.ChooseFolder(this, QStringLiteral("请选择文件保存目录："), ui_.savePath->currentText());
  if (folder.isEmpty()) return;
  ui_.savePath->setEditText(WithSlash(folder));
  OfferSavePath(WithSlash(folder));
}

void CZentrowDlg::OfferSavePath(const QString& path) {
  if (!state_->ChangeSettings([&](SettingsFile& settings) { return settings.OfferHistory(HistoryList::SavePath, T(path)); }))
    return;
  ui_.savePath->AddRemembered(path);
}

// While a download runs: the folder of the listing being downloaded; otherwise the save path.
void CZentrowDlg::OpenSavePath() {
  const QString path = ui_.savePath->currentText().trimmed();
  if (path.isEmpty()) return;
  if (const Text album = state_->CurrentAlbumFolder(); !album.empty()) {
    OpenPage(Q(album));
  } else {
    OpenPage(path);
  }
}

void CZentrowDlg::DropPaths(const QStringList& paths) {
  if (paths.isEmpty() || paths.front().isEmpty()) return;
  QString path = paths.front();
  // A file gives its folder. An existing folder stays itself even with a dot in its name.
  const QFileInfo info(path);
  const bool file = info.exists() ? !info.isDir() : path.lastIndexOf(u'.') > path.lastIndexOf(u'/');
  if (file) path = path.left(path.lastIndexOf(u'/') + 1);
  path = WithSlash(path);
  if (path.isEmpty()) return;
  ui_.savePath->setEditText(path);
  OfferSavePath(path);
}

void CZentrowDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CZentrowDlg::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  DropPaths(paths);
  event->acceptProposedAction();
}

// The window's size and position wait for the next start; nothing else is saved at close.
void CZentrowDlg::closeEvent(QCloseEvent* event) {
  SaveWindowGeometry(*this, Q(baseFolder_) + kGeometryFile);
  QMainWindow::closeEvent(event);
}

void CZentrowDlg::OpenPage(const QString& address) {
  if (address.isEmpty()) return;
  QDesktopServices::openUrl(address.contains(QStringLiteral("://")) ? QUrl(address) : QUrl::fromLocalFile(address));
}

void CZentrowDlg::OpenManual() { OpenPage(options_.manualPath); }

void CZentrowDlg::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

// ---- the grid ---------------------------------------------------------------------------

void CZentrowDlg::SelectAll(bool ticked) {
  if (ticked) ui_.grid->SelectAllCells();
  else ui_.grid->ClearSelectionAndFocus();
}

void CZentrowDlg::SwitchMode(bool tiles) {
  if (modeSwitch_ != 0) {
    if (prompts_.YesNo(this, QStringLiteral("模式转换未完成,是否中断?"), QStringLiteral("提示"))) modeSwitch_ = 2;
    ui_.thumbnails->setChecked(!tiles);
    return;
  }
  if (tiles && find_) find_->hide();
  ui_.filterLink->setEnabled(!tiles);
  ui_.findLink->setEnabled(!tiles);
  thumbnailMode_ = tiles;
  StartReShow();
}

CDlgFind& CZentrowDlg::EnsureFind() {
  if (!find_) {
    find_ = new CDlgFind(this);
    connect(find_, &CDlgFind::FindNext, this, [this] { Find(true); });
    connect(find_, &CDlgFind::FindPrevious, this, [this] { Find(false); });
  }
  return *find_;
}

void CZentrowDlg::ShowFind() {
  EnsureFind();
  find_->SetMode(CDlgFind::Mode::Find);
  find_->adjustSize();
  PlaceOver(*find_, this);
  find_->show();
  find_->raise();
  find_->activateWindow();
}

// Searches from the focus row; when nothing is found there, once more from the far end.
void CZentrowDlg::Find(bool forward) {
  const QString keyword = find_->Keyword();
  const bool ignoreCase = !find_->CaseSensitive();
  const bool whole = find_->WholeCell();
  CMyGridCtrl& grid = *ui_.grid;
  if (grid.FindRow(grid.FocusRow(), keyword, forward, ignoreCase, whole)) return;
  if (grid.FindRow(forward ? -1 : grid.RowCount(), keyword, forward, ignoreCase, whole)) return;
  prompts_.Message(find_, QStringLiteral("找不到“%1”").arg(keyword));
}

void CZentrowDlg::ShowFilter() {
  EnsureFind().hide();
  find_->SetMode(CDlgFind::Mode::Filter);
  find_->adjustSize();
  PlaceOver(*find_, this);
  const bool ok = find_->exec() == QDialog::Accepted;
  find_->SetMode(CDlgFind::Mode::Find);
  if (!ok) return;
  if (modeSwitch_ != 0) {
    if (prompts_.YesNo(this, QStringLiteral("模式转换未完成,是否中断?"), QStringLiteral("提示"))) modeSwitch_ = 2;
    return;
  }
  filterKeyword_ = T(find_->Keyword());
  StartReShow();
}

// Re-builds the grid from the album list on a thread of its own: in the tile look the
// covers not fetched yet are fetched there. Only the albums whose name contains the filter
// keyword are shown; the keyword is forgotten when the re-show ends.
void CZentrowDlg::StartReShow() {
  if (reShow_.joinable()) reShow_.join();  // it has ended: the state is 0
  modeSwitch_ = 1;
  ui_.selectAll->setChecked(false);
  ui_.grid->SetUpGrid(TileLook() ? GridLook::Tiles : GridLook::List);
  const quint64 generation = ++gridGeneration_;
  reShow_ = std::thread([this, generation, keyword = filterKeyword_, tiles = TileLook(), albums = state_->albums.Snapshot()] {
    std::vector<ST_PERLISTRECORD> batch;
    std::vector<CoverResult> covers;
    auto flush = [&] {
      if (batch.empty()) return;
      port_.Post([this, generation, batch = std::move(batch), covers = std::move(covers)]() mutable {
        ReShowBatch(generation, std::move(batch), std::move(covers));
      });
      batch.clear();
      covers.clear();
    };
    for (const ST_PERLISTRECORD& album : albums) {
      if (modeSwitch_ == 2) break;
      if (!keyword.empty() && album.name.find(keyword) == Text::npos) continue;
      CoverResult cover;
      if (tiles && album.thumbnail < 0) cover = FetchCover(baseFolder_, album);
      if (cover.bitmapFailed) port_.ShowMessage(u"err1");
      batch.push_back(album);
      covers.push_back(std::move(cover));
      if (tiles || batch.size() >= kReShowBatch) flush();
    }
    flush();
    port_.Post([this, generation] { ReShowDone(generation); });
  });
}

void CZentrowDlg::StopReShow() {
  if (!reShow_.joinable()) return;
  if (modeSwitch_ != 0) modeSwitch_ = 2;
  reShow_.join();
  modeSwitch_ = 0;
  filterKeyword_.clear();
}

void CZentrowDlg::ReShowBatch(quint64 generation, std::vector<ST_PERLISTRECORD> albums, std::vector<CoverResult> covers) {
  if (generation != gridGeneration_) return;
  ShowListedAlbums(std::move(albums), std::move(covers));
}

void CZentrowDlg::ReShowDone(quint64 generation) {
  if (generation != gridGeneration_) return;
  modeSwitch_ = 0;
  filterKeyword_.clear();
  ui_.grid->viewport()->update();
}

// ---- the engine's reports -------------------------------------------------------------

void CZentrowDlg::ShowListedAlbums(std::vector<ST_PERLISTRECORD> albums, std::vector<CoverResult> covers) {
  std::vector<ST_PERLISTRECORD> shown;
  shown.reserve(albums.size());
  for (size_t i = 0; i < albums.size(); ++i) {
    ST_PERLISTRECORD& album = albums[i];
    if (i < covers.size() && !covers[i].picture.isEmpty()) {
      album.thumbnail = thumbnails_.Add(std::move(covers[i].picture));
      state_->albums.SetThumbnail(album.index, album.thumbnail);
    }
    if (!filterKeyword_.empty() && album.name.find(filterKeyword_) == Text::npos) continue;
    shown.push_back(std::move(album));
  }
  ui_.grid->AppendAlbums(shown);
}

void CZentrowDlg::AlbumsCleared() {
  thumbnails_.Clear();
  ui_.selectAll->setChecked(false);
  ui_.grid->SetUpGrid(TileLook() ? GridLook::Tiles : GridLook::List);
  ++gridGeneration_;
}

void CZentrowDlg::ListingLook(bool running, int albumCount) {
  ui_.category->setEnabled(!running);
  ui_.download->setEnabled(!running && albumCount > 0);
  ui_.address->setEnabled(!running);
  ui_.thumbnails->setEnabled(!running);
  ui_.getAlbums->setText(running ? QStringLiteral("终止获取") : QStringLiteral("获取相册"));
  ui_.exportLink->setEnabled(!running);
  // Find and filter work on the list look only.
  ui_.findLink->setEnabled(!running && !TileLook());
  ui_.filterLink->setEnabled(!running && !TileLook());
  if (running) {
    ui_.selectAll->setChecked(false);
    topLine_->setCurrentIndex(1);
  }
}

void CZentrowDlg::DownloadLook(bool running) {
  // A listing that downloads by itself takes every album: the grid shows them selected.
  if (running && !downloadByButton_) ui_.grid->SelectAllCells();
  downloadByButton_ = false;
  ui_.download->setText(running ? QStringLiteral("终止下载") : QStringLiteral("下载"));
  for (QWidget* control : std::initializer_list<QWidget*>{ui_.category, ui_.getAlbums, ui_.choosePath, ui_.address,
                                                          ui_.savePath, ui_.praise[0], ui_.praise[1], ui_.praise[2]}) {
    control->setEnabled(!running);
  }
  for (QProgressBar* bar : {ui_.albumProgress, ui_.pictureProgress}) {
    bar->reset();
    bar->setVisible(running);
  }
}

// A download that ends while the user is in another window is told of on the desktop.
void CZentrowDlg::DownloadEnded(const DownloadTotals& totals) {
  if (isActiveWindow()) return;
  prompts_.Notify(this, QStringLiteral("下载完毕"), DownloadEndedText(totals));
}

void CZentrowDlg::AddressHistoryTaken() {
  const TextList history = state_->SettingsCopy().History(HistoryList::Address);
  if (history.empty()) return;
  const QString newest = Q(history.front());
  if (!ui_.address->Remembered().contains(newest)) ui_.address->AddRemembered(newest);
}

// ---- login ------------------------------------------------------------------------------

QWebEngineProfile& CZentrowDlg::LoginProfile() {
  if (!profile_) {
    profile_ = std::make_unique<QWebEngineProfile>();  // off the record: our store keeps the cookies
    browserCookies_ = new BrowserCookies(*profile_, this);
  }
  return *profile_;
}

void CZentrowDlg::OpenLoginPage(const QString& address) {
  delete openLogin_.data();
  QWebEngineProfile& profile = LoginProfile();
  browserCookies_->GiveStoreCookies();
  if (loginMethod_) {
    auto* window = new CDlgWebOpen(address, profile, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    openLogin_ = window;
    window->show();
  } else {
    CDlgWebOpen window(address, profile, this);
    window.exec();
  }
}

// A reader on an engine thread waits until this returns.
void CZentrowDlg::RequestLogin(const QString& address) {
  QWebEngineProfile& profile = LoginProfile();
  browserCookies_->GiveStoreCookies();
  CDlgWebOpen window(address, profile, this);
  window.exec();
}

}  // namespace zentrow
