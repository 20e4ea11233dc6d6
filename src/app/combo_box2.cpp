#include "app/combo_box2.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>

namespace zentrow {
namespace {
const QString kShownUpTo = QStringLiteral("vrk?!oxff");
}

CComboBox2::CComboBox2(QWidget* parent)
    : QComboBox(parent), shown_(new QStringListModel(this)), matches_(new QCompleter(this)) {
  setEditable(true);
  setInsertPolicy(NoInsert);
  setMaxVisibleItems(12);
  matches_->setModel(shown_);
  matches_->setCaseSensitivity(Qt::CaseInsensitive);
  matches_->setFilterMode(Qt::MatchContains);
  matches_->setCompletionMode(QCompleter::PopupCompletion);
  setCompleter(matches_);
  connect(lineEdit(), &QLineEdit::textEdited, this, &CComboBox2::EditedByUser);
  connect(this, &QComboBox::textActivated, this, [this](const QString& text) {
    setEditText(text);
    emit EditedByUser(text);
  });
  connect(matches_, qOverload<const QString&>(&QCompleter::activated), this, &CComboBox2::EditedByUser);
}

QString CComboBox2::Shown(const QString& entry) {
  const qsizetype marker = entry.indexOf(kShownUpTo);
  return marker < 0 ? entry : entry.left(marker);
}

void CComboBox2::AddRemembered(const QString& entry) {
  remembered_.append(entry);
  Refill();
}

void CComboBox2::SetRemembered(const QStringList& entries) {
  remembered_ = entries;
  Refill();
}

// The list and the completer show the same entries; refilling the list must not touch
// what the user is typing.
void CComboBox2::Refill() {
  const QString text = currentText();
  const int cursor = lineEdit()->cursorPosition();
  QStringList shown;
  for (const QString& entry : remembered_) shown.append(Shown(entry));
  blockSignals(true);
  clear();
  addItems(shown);
  setCurrentIndex(-1);
  setEditText(text);
  blockSignals(false);
  lineEdit()->setCursorPosition(cursor);
  shown_->setStringList(shown);
}

}  // namespace zentrow
