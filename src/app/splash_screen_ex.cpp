#include "app/splash_screen_ex.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

namespace zentrow {

CSplashScreenEx::CSplashScreenEx(const QString& text)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("CSplashScreenEx"));
  setFixedSize(291, 160);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  setPalette(colours);
  auto* label = new QLabel(text, this);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  (new QVBoxLayout(this))->addWidget(label);
}

void CSplashScreenEx::ShowCentred() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  show();
}

void CSplashScreenEx::HideBlended() {
  // Platforms without window opacity (the offscreen one of the tests) hide at once.
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
    hide();
    return;
  }
  auto* blend = new QPropertyAnimation(this, "windowOpacity", this);
  blend->setDuration(200);
  blend->setStartValue(1.0);
  blend->setEndValue(0.0);
  connect(blend, &QPropertyAnimation::finished, this, &QWidget::hide);
  blend->start(QAbstractAnimation::DeleteWhenStopped);
}

}  // namespace zentrow
