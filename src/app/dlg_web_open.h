// The login window: the site's own login page in an embedded browser. The program never
// sees a password; the login's only effect is the cookies the site leaves, which reach the
// HTTP client because the browser and the client share one cookie store (BrowserCookies).
#pragma once

#include <QDialog>
#include <QWebEngineView>

class QLineEdit;
class QNetworkCookie;
class QPushButton;
class QWebEngineProfile;

namespace zentrow {

// Settings the browser needs before the application object exists: as root the browser's
// sandbox cannot run and is switched off. Call before constructing the QApplication.
void PrepareWebEngine();

// Ties a browser profile's cookies to the HTTP client's cookie store: every cookie the
// browser receives or deletes goes into the store at once (and so into "cookies.txt");
// GiveStoreCookies hands the store's cookies to the browser.
class BrowserCookies : public QObject {
  Q_OBJECT
 public:
  BrowserCookies(QWebEngineProfile& profile, QObject* parent);
  void GiveStoreCookies();

  // The store's address and Set-Cookie line for a browser cookie.
  static QString Address(const QNetworkCookie& cookie);
  static QByteArray SetCookieLine(const QNetworkCookie& cookie, bool removed);

 private:
  QWebEngineProfile& profile_;
};

// The browser control of the login window.
class CExplorer1 : public QWebEngineView {
  Q_OBJECT
 public:
  CExplorer1(QWebEngineProfile& profile, QWidget* parent);
  void Navigate(const QString& address);
};

class CDlgWebOpen : public QDialog {
  Q_OBJECT
 public:
  // With an empty start address the clipboard's text goes into the address box and the
  // browser stays blank.
  CDlgWebOpen(const QString& startAddress, QWebEngineProfile& profile, QWidget* owner);

  QLineEdit* AddressBox() const { return address_; }
  QPushButton* OpenButton() const { return open_; }
  CExplorer1* Browser() const { return browser_; }
  QString StartAddress() const { return start_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QString start_;
  QLineEdit* address_;
  QPushButton* open_;
  CExplorer1* browser_;
  bool centred_ = false;
};

}  // namespace zentrow
