#include "app/window_place.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace zentrow {
namespace {

const QString kGeometryKey = QStringLiteral("MainWindow/geometry");

// The frame around a window's contents as the window system drew it; null before the
// window was first shown, or without a window manager.
QMargins FrameOf(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

}  // namespace

QRect FitInside(QSize frame, QPoint centre, const QRect& area) {
  QRect placed(QPoint(), frame.boundedTo(area.size()));
  placed.moveCenter(centre);
  if (placed.right() > area.right()) placed.moveRight(area.right());
  if (placed.bottom() > area.bottom()) placed.moveBottom(area.bottom());
  if (placed.left() < area.left()) placed.moveLeft(area.left());
  if (placed.top() < area.top()) placed.moveTop(area.top());
  return placed;
}

void PlaceOver(QWidget& window, const QWidget* owner) {
  const QWidget* ownerWindow = owner ? owner->window() : nullptr;
  // A window not shown yet has no frame: it will get one like its owner's, unless it goes
  // without one.
  QMargins frame = FrameOf(window);
  if (frame.isNull() && ownerWindow && !(window.windowFlags() & Qt::FramelessWindowHint)) frame = FrameOf(*ownerWindow);

  const QPoint ownerCentre = ownerWindow ? ownerWindow->frameGeometry().center() : QPoint();
  const QScreen* screen = ownerWindow ? QGuiApplication::screenAt(ownerCentre) : nullptr;
  if (!screen && ownerWindow) screen = ownerWindow->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();

  const QRect placed = FitInside(window.size().grownBy(frame), ownerWindow ? ownerCentre : area.center(), area);
  const QSize contents = placed.size().shrunkBy(frame);
  if (contents != window.size()) window.resize(contents);  // no smaller than its minimum
  window.move(placed.topLeft());  // a window's position is that of its frame
}

bool RestoreWindowGeometry(QWidget& window, const QString& file) {
  if (!QFileInfo::exists(file)) return false;
  const QSettings settings(file, QSettings::IniFormat);
  const QByteArray geometry = settings.value(kGeometryKey).toByteArray();
  return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

void SaveWindowGeometry(const QWidget& window, const QString& file) {
  QSettings settings(file, QSettings::IniFormat);
  settings.setValue(kGeometryKey, window.saveGeometry());
  settings.sync();
}

}  // namespace zentrow
