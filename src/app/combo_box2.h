// An editable combo box that remembers entries (the address and save path histories).
//
// While the user types, the remembered entries whose text contains the typed text (letter
// case ignored) drop down under the edit field without taking the keyboard from it; the
// drop-down button lists every entry. An entry is shown only up to the marker
// "vrk?!oxff" when it carries one.
#pragma once

#include <QComboBox>
#include <QStringList>

class QCompleter;
class QStringListModel;

namespace zentrow {

class CComboBox2 : public QComboBox {
  Q_OBJECT
 public:
  explicit CComboBox2(QWidget* parent = nullptr);

  void AddRemembered(const QString& entry);
  void SetRemembered(const QStringList& entries);
  QStringList Remembered() const { return remembered_; }
  QCompleter* Matches() const { return matches_; }

  static QString Shown(const QString& entry);

 signals:
  // The user typed in the edit field, or picked a remembered entry (its text is in the
  // edit field by then).
  void EditedByUser(const QString& text);

 private:
  void Refill();

  QStringList remembered_;
  QStringListModel* shown_;
  QCompleter* matches_;
};

}  // namespace zentrow
