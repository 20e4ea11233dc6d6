// The splash window shown while the start-up configuration loads: a borderless, centred
// 291 x 160 white window with a text. It fades out over 200 milliseconds.
#pragma once

#include <QWidget>

namespace zentrow {

class CSplashScreenEx : public QWidget {
  Q_OBJECT
 public:
  explicit CSplashScreenEx(const QString& text);
  void ShowCentred();
  void HideBlended();
};

}  // namespace zentrow
