// The search window of the album grid: modeless and borderless in find mode ("下一个",
// "上一个"), modal in filter mode ("筛选"). Pressing the mouse anywhere on its body drags it.
#pragma once

#include <QDialog>
#include <QPoint>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zentrow {

class CDlgFind : public QDialog {
  Q_OBJECT
 public:
  enum class Mode { Find, Filter };

  explicit CDlgFind(QWidget* parent);
  void SetMode(Mode mode);
  Mode CurrentMode() const { return mode_; }
  // The keyword, trimmed at both ends.
  QString Keyword() const;
  bool CaseSensitive() const;
  bool WholeCell() const;

  QLineEdit* KeywordBox() const { return keyword_; }
  QCheckBox* CaseBox() const { return caseSensitive_; }
  QCheckBox* WholeBox() const { return wholeCell_; }
  QPushButton* DefaultButton() const { return default_; }
  QPushButton* PreviousButton() const { return previous_; }
  QPushButton* CloseButton() const { return close_; }

 signals:
  void FindNext();
  void FindPrevious();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  Mode mode_ = Mode::Find;
  QLineEdit* keyword_;
  QCheckBox* caseSensitive_;
  QCheckBox* wholeCell_;
  QPushButton* previous_;
  QPushButton* default_;
  QPushButton* close_;
  QPoint dragOffset_;
};

}  // namespace zentrow
