#include "app/dlg_settings.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

#include "app/prompts.h"
#include "app/qtext.h"

namespace zentrow {
namespace {

// The number in an edit box. The settings file keeps 16 bits, so a number that does not
// fit (or no number) is refused rather than silently cut to another value.
std::optional<uint16_t> Field(const QLineEdit* edit) {
  bool ok = false;
  const int value = edit->text().trimmed().toInt(&ok);
  if (!ok || value < 0 || value > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(value);
}

QRadioButton* AddChoice(QButtonGroup* group, QHBoxLayout* row, const QString& text, int id) {
  auto* button = new QRadioButton(text);
  group->addButton(button, id);
  row->addWidget(button);
  return button;
}

void Check(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) button->setChecked(true);
}

QPushButton* OkRow(QDialog* dialog, QVBoxLayout* column) {
  auto* ok = new QPushButton(QStringLiteral("确 定"), dialog);
  ok->setDefault(true);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  column->addLayout(row);
  return ok;
}

}  // namespace

// ---- download parameters -------------------------------------------------------------

CDlgDownSet::CDlgDownSet(DownloadParams& params, Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      params_(params),
      prompts_(prompts),
      threads_(new QLineEdit(this)),
      timeout_(new QLineEdit(this)),
      minSize_(new QLineEdit(this)),
      maxSize_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("设置"));
  auto* column = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("下载参数设置"), this);
  auto* form = new QFormLayout(group);
  form->addRow(QStringLiteral("线程数(1~15)："), threads_);
  form->addRow(QStringLiteral("超时(S, >=10)："), timeout_);
  form->addRow(QStringLiteral("图片最小值(K)："), minSize_);
  form->addRow(QStringLiteral("图片最大值(K)："), maxSize_);
  column->addWidget(group);
  ok_ = OkRow(this, column);

  threads_->setText(QString::number(params.threadCount));
  timeout_->setText(QString::number(params.timeoutSeconds));
  minSize_->setText(QString::number(params.minSizeKb));
  maxSize_->setText(QString::number(params.maxSizeKb));
  connect(ok_, &QPushButton::clicked, this, &CDlgDownSet::Ok);
}

// A refused entry leaves the record as it was, so it can never reach a download.
void CDlgDownSet::Ok() {
  const auto threads = Field(threads_);
  const auto timeout = Field(timeout_);
  const auto minSize = Field(minSize_);
  const auto maxSize = Field(maxSize_);
  if (!threads || *threads < 1 || *threads > 15 || !timeout || *timeout < 10 || !minSize || !maxSize) {
    prompts_.Message(this, QStringLiteral("参数错误"));
    return;
  }
  params_.threadCount = *threads;
  params_.timeoutSeconds = *timeout;
  params_.minSizeKb = *minSize;
  params_.maxSizeKb = *maxSize;
  accept();
}

// ---- file names -------------------------------------------------------------------------

const QString CDlgSaveSet::kHelpText = QStringLiteral(
    "设置前后缀，可以在图片本来的文件名前后加上指定的字符\n如：图片本来的文件名为：wemba.jpg，如果前缀为空，后缀为_com\n则最后图片名将变为wemba_com.jpg\n"
    "如果前缀为www_，后缀为_com\n则最后图片名将变为www_wemba_com.jpg\n"
    "相册名那里前后缀一样\n同时，支持转义字符，当前后缀中含有转义字符时，程序会将转义字符转换为转义字符所表示的字符串\n"
    "转义字符如下（问号为英文的问号，相册名的转义字符只支持?1,?3,?9）：\n"
    "?1:相册名称\n?2:图片在相册中的序号\n?3:相册在列表中的序号(格式为：1,2,3...)\n?4:未定义\n?5:未定义\n?6:选中的相册数\n?7:总共的相册数(选中的+未选中的)\n?9:相册在列表中的序号(格式为：0001,0002,0003...)");

CDlgSaveSet::CDlgSaveSet(NamingRecord& naming, Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      naming_(naming),
      prompts_(prompts),
      baseName_(new QButtonGroup(this)),
      albumFolder_(new QButtonGroup(this)),
      help_(new QLabel(QStringLiteral("<a href=\"#\">前后缀说明</a>"), this)) {
  setWindowTitle(QStringLiteral("设置"));
  for (auto*& edit : edits_) edit = new QLineEdit(this);
  auto* column = new QVBoxLayout(this);

  auto* files = new QGroupBox(QStringLiteral("文件名"), this);
  auto* fileForm = new QFormLayout(files);
  fileForm->addRow(QStringLiteral("前缀"), FilePrefix());
  fileForm->addRow(QStringLiteral("后缀"), FileSuffix());
  auto* baseRow = new QHBoxLayout;
  AddChoice(baseName_, baseRow, QStringLiteral("描述"), BASE_DESCRIPTION);
  AddChoice(baseName_, baseRow, QStringLiteral("序号"), BASE_NUMBER);
  AddChoice(baseName_, baseRow, QStringLiteral("网址"), BASE_ADDRESS);
  baseRow->addStretch();
  fileForm->addRow(QString(), baseRow);
  auto* replaceRow = new QHBoxLayout;
  replaceRow->addWidget(ReplaceFrom());
  replaceRow->addWidget(new QLabel(QStringLiteral("替换为"), this));
  replaceRow->addWidget(ReplaceWith());
  fileForm->addRow(QString(), replaceRow);
  column->addWidget(files);

  auto* folders = new QGroupBox(QStringLiteral("相册路径(相册名)"), this);
  auto* folderForm = new QFormLayout(folders);
  folderForm->addRow(QStringLiteral("前缀"), FolderPrefix());
  folderForm->addRow(QStringLiteral("后缀"), FolderSuffix());
  auto* folderRow = new QHBoxLayout;
  AddChoice(albumFolder_, folderRow, QStringLiteral("相册名"), ALBUM_FOLDER_NAME);
  AddChoice(albumFolder_, folderRow, QStringLiteral("无"), ALBUM_FOLDER_NONE);
  folderRow->addStretch();
  folderForm->addRow(QString(), folderRow);
  column->addWidget(folders);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(help_);
  bottom->addStretch();
  column->addLayout(bottom);
  ok_ = OkRow(this, column);

  const NameText* texts[6] = {&naming.filePrefix,  &naming.fileSuffix,   &naming.replaceFrom,
                              &naming.replaceWith, &naming.folderPrefix, &naming.folderSuffix};
  for (int i = 0; i < 6; ++i) edits_[i]->setText(Q(texts[i]->Get()));
  Check(baseName_, naming.baseName);
  Check(albumFolder_, naming.albumFolder);

  connect(help_, &QLabel::linkActivated, this, [this] { prompts_.Message(this, kHelpText); });
  connect(ok_, &QPushButton::clicked, this, &CDlgSaveSet::Ok);
}

void CDlgSaveSet::Ok() {
  NameText* texts[6] = {&naming_.filePrefix,  &naming_.fileSuffix,   &naming_.replaceFrom,
                        &naming_.replaceWith, &naming_.folderPrefix, &naming_.folderSuffix};
  for (int i = 0; i < 6; ++i) texts[i]->Set(T(edits_[i]->text()));  // Set keeps 38 characters
  const int base = baseName_->checkedId();
  const int folder = albumFolder_->checkedId();
  naming_.baseName = static_cast<uint8_t>(base >= 0 ? base : BASE_DESCRIPTION);
  naming_.albumFolder = static_cast<uint8_t>(folder >= 0 ? folder : ALBUM_FOLDER_NAME);
  accept();
}

}  // namespace zentrow
