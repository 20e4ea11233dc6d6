// The two settings dialogs of the current category: download parameters (CDlgDownSet) and
// file naming (CDlgSaveSet). Both edit the record they are given; the caller saves the
// settings file when the dialog closes with OK.
#pragma once

#include <QDialog>

#include "engine/settings.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zentrow {

class Prompts;

class CDlgDownSet : public QDialog {
  Q_OBJECT
 public:
  CDlgDownSet(DownloadParams& params, Prompts& prompts, QWidget* parent);

  QLineEdit* Threads() const { return threads_; }
  QLineEdit* Timeout() const { return timeout_; }
  QLineEdit* MinSize() const { return minSize_; }
  QLineEdit* MaxSize() const { return maxSize_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  void Ok();

  DownloadParams& params_;
  Prompts& prompts_;
  QLineEdit* threads_;
  QLineEdit* timeout_;
  QLineEdit* minSize_;
  QLineEdit* maxSize_;
  QPushButton* ok_;
};

class CDlgSaveSet : public QDialog {
  Q_OBJECT
 public:
  static const QString kHelpText;

  CDlgSaveSet(NamingRecord& naming, Prompts& prompts, QWidget* parent);

  QLineEdit* FilePrefix() const { return edits_[0]; }
  QLineEdit* FileSuffix() const { return edits_[1]; }
  QLineEdit* ReplaceFrom() const { return edits_[2]; }
  QLineEdit* ReplaceWith() const { return edits_[3]; }
  QLineEdit* FolderPrefix() const { return edits_[4]; }
  QLineEdit* FolderSuffix() const { return edits_[5]; }
  QButtonGroup* BaseName() const { return baseName_; }
  QButtonGroup* AlbumFolder() const { return albumFolder_; }
  QLabel* HelpLink() const { return help_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  void Ok();

  NamingRecord& naming_;
  Prompts& prompts_;
  QLineEdit* edits_[6];
  QButtonGroup* baseName_;
  QButtonGroup* albumFolder_;
  QLabel* help_;
  QPushButton* ok_;
};

}  // namespace zentrow
