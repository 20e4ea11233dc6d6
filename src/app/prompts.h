// Everything the window asks of the user through the desktop's standard dialogs: message
// boxes, the Yes/No question, the folder chooser and the save-file dialog, and the
// desktop notification that tells of work done while the user was elsewhere. The window
// and its dialogs ask through this interface so the window tests can answer for the user.
#pragma once

#include <QString>

class QWidget;

namespace zentrow {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A plain message box: OK button, no caption.
  virtual void Message(QWidget* parent, const QString& text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool YesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
  // The chosen folder, or empty when the user cancelled.
  virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
  // The chosen file to write (an existing one confirmed for replacing), or empty.
  virtual QString SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) = 0;
  // A desktop notification (title and plain text) on behalf of `window`; asks nothing.
  virtual void Notify(QWidget* window, const QString& title, const QString& text) = 0;
};

// The desktop's own dialogs.
class DesktopPrompts : public Prompts {
 public:
  void Message(QWidget* parent, const QString& text) override;
  bool YesNo(QWidget* parent, const QString& text, const QString& caption) override;
  QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) override;
  QString SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) override;
  // Through the desktop's notification service (freedesktop notifications on the session
  // bus); the window's task-bar entry asks for attention as well, which is all that shows
  // where no such service runs.
  void Notify(QWidget* window, const QString& title, const QString& text) override;
};

}  // namespace zentrow
