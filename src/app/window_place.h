// Where the program's windows open: dialogs centred over their owner but never past the
// edges of its screen, and the main window where the user left it last time.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace zentrow {

// The frame rectangle of a window of `frame` size centred on `centre` and kept inside
// `area`: moved in from any edge it would cross, and shrunk to `area` when larger.
QRect FitInside(QSize frame, QPoint centre, const QRect& area);

// Centres the top-level `window` over `owner`'s window (over the screen without an owner)
// and keeps it, frame included, inside the screen's available geometry, shrinking it when
// it is larger. Call it before the window shows or from its showEvent.
void PlaceOver(QWidget& window, const QWidget* owner);

// The main window's size and position between runs: the file (an INI file of its own, in
// the working folder) keeps the window's geometry, maximised state included. Restoring
// answers false when the file holds none; a geometry that no screen shows any more is
// brought back onto the screen.
bool RestoreWindowGeometry(QWidget& window, const QString& file);
void SaveWindowGeometry(const QWidget& window, const QString& file);

}  // namespace zentrow
