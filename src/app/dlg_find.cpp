#include "app/dlg_find.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace zentrow {

CDlgFind::CDlgFind(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      keyword_(new QLineEdit(this)),
      caseSensitive_(new QCheckBox(QStringLiteral("区分大小写"), this)),
      wholeCell_(new QCheckBox(QStringLiteral("全字匹配"), this)),
      previous_(new QPushButton(QStringLiteral("上一个"), this)),
      default_(new QPushButton(QStringLiteral("下一个"), this)),
      close_(new QPushButton(QStringLiteral("×"), this)) {
  setObjectName(QStringLiteral("CDlgFind"));
  setStyleSheet(QStringLiteral("CDlgFind { border: 1px solid #7a9a9a; background: #f4fafa; }"));
  close_->setFixedWidth(24);
  close_->setAutoDefault(false);
  previous_->setAutoDefault(false);
  default_->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("关键字："), this), 0, 0);
  grid->addWidget(keyword_, 0, 1, 1, 3);
  grid->addWidget(close_, 0, 4);
  grid->addWidget(caseSensitive_, 1, 1);
  grid->addWidget(wholeCell_, 1, 2);
  grid->addWidget(previous_, 2, 2);
  grid->addWidget(default_, 2, 3, 1, 2);

  connect(previous_, &QPushButton::clicked, this, &CDlgFind::FindPrevious);
  connect(default_, &QPushButton::clicked, this, [this] {
    if (mode_ == Mode::Filter) accept();
    else emit FindNext();
  });
  connect(close_, &QPushButton::clicked, this, [this] {
    if (mode_ == Mode::Filter) reject();
    else hide();
  });
}

void CDlgFind::SetMode(Mode mode) {
  mode_ = mode;
  const bool find = mode == Mode::Find;
  caseSensitive_->setVisible(find);
  wholeCell_->setVisible(find);
  previous_->setVisible(find);
  default_->setText(find ? QStringLiteral("下一个") : QStringLiteral("筛选"));
}

QString CDlgFind::Keyword() const { return keyword_->text().trimmed(); }
bool CDlgFind::CaseSensitive() const { return caseSensitive_->isChecked(); }
bool CDlgFind::WholeCell() const { return wholeCell_->isChecked(); }

void CDlgFind::mousePressEvent(QMouseEvent* event) {
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  QDialog::mousePressEvent(event);
}

void CDlgFind::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - dragOffset_);
  QDialog::mouseMoveEvent(event);
}

}  // namespace zentrow
