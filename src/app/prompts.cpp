#include "app/prompts.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileDialog>
#include <QMessageBox>
#include <QVariantMap>

namespace zentrow {

void DesktopPrompts::Message(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
  box.exec();
}

bool DesktopPrompts::YesNo(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
  return box.exec() == QMessageBox::Yes;
}

QString DesktopPrompts::ChooseFolder(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start);
}

QString DesktopPrompts::SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void DesktopPrompts::Notify(QWidget* window, const QString& title, const QString& text) {
  if (window) QApplication::alert(window);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage notify =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
                                     QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  const QVariantMap hints{{QStringLiteral("category"), QStringLiteral("transfer.complete")}};
  // Application name, no notification to replace, no icon, summary, body (where servers
  // read markup, so the text is escaped), no actions, hints, the server's own time-out.
  notify << QStringLiteral("Zentrow") << 0u << QString() << title << text.toHtmlEscaped() << QStringList() << hints << -1;
  // Sent without waiting: the window never blocks on the bus, and no service means no answer.
  bus.send(notify);
}

}  // namespace zentrow
