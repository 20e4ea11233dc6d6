#include "app/dlg_web_open.h"

#include <curl/curl.h>
#include <unistd.h>

#include <QClipboard>
#include <QDateTime>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QNetworkCookie>
#include <QPushButton>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "app/qtext.h"
#include "app/window_place.h"
#include "net/cookies.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

// Every cookie of the store as Netscape cookie-file lines, read through the store's own
// share handle (session cookies included).
std::vector<std::string> StoreCookieLines() {
  std::vector<std::string> lines;
  CURL* reader = curl_easy_init();
  if (!reader) return lines;
  curl_easy_setopt(reader, CURLOPT_SHARE, net::CookieStore::Instance().ShareHandle());
  curl_slist* list = nullptr;
  if (curl_easy_getinfo(reader, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
    for (curl_slist* l = list; l; l = l->next) lines.emplace_back(l->data);
  }
  curl_slist_free_all(list);
  curl_easy_cleanup(reader);
  return lines;
}

// "domain  subdomains  path  secure  expires  name  value" as a browser cookie.
bool ParseLine(std::string_view line, QNetworkCookie& cookie) {
  const bool httpOnly = line.starts_with(kHttpOnlyPrefix);
  if (httpOnly) line.remove_prefix(kHttpOnlyPrefix.size());
  QList<QByteArray> fields = QByteArray(line.data(), static_cast<qsizetype>(line.size())).split('\t');
  if (fields.size() == 6) fields.append(QByteArray());
  if (fields.size() != 7 || fields[0].isEmpty() || fields[5].isEmpty()) return false;
  bool ok = false;
  const qint64 expires = fields[4].toLongLong(&ok);
  if (!ok) return false;
  QByteArray domain = fields[0];
  if (domain.startsWith('.')) domain.remove(0, 1);
  cookie.setName(fields[5]);
  cookie.setValue(fields[6]);
  cookie.setDomain(QString::fromUtf8((fields[1] == "TRUE" ? "." : "") + domain));
  cookie.setPath(QString::fromUtf8(fields[2]));
  cookie.setSecure(fields[3] == "TRUE");
  cookie.setHttpOnly(httpOnly);
  if (expires != 0) cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expires, Qt::UTC));
  return true;
}

}  // namespace

void PrepareWebEngine() {
  if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// ---- cookies ------------------------------------------------------------------------------

BrowserCookies::BrowserCookies(QWebEngineProfile& profile, QObject* parent) : QObject(parent), profile_(profile) {
  QWebEngineCookieStore* cookies = profile.cookieStore();
  connect(cookies, &QWebEngineCookieStore::cookieAdded, this, [](const QNetworkCookie& cookie) {
    net::CookieStore::Instance().SetCookie(T(Address(cookie)), SetCookieLine(cookie, false).toStdString());
  });
  connect(cookies, &QWebEngineCookieStore::cookieRemoved, this, [](const QNetworkCookie& cookie) {
    net::CookieStore::Instance().SetCookie(T(Address(cookie)), SetCookieLine(cookie, true).toStdString());
  });
}

void BrowserCookies::GiveStoreCookies() {
  for (const std::string& line : StoreCookieLines()) {
    QNetworkCookie cookie;
    if (ParseLine(line, cookie)) profile_.cookieStore()->setCookie(cookie, QUrl(Address(cookie)));
  }
}

QString BrowserCookies::Address(const QNetworkCookie& cookie) {
  QString host = cookie.domain();
  if (host.startsWith(u'.')) host.remove(0, 1);
  const QString path = cookie.path().isEmpty() ? QStringLiteral("/") : cookie.path();
  return (cookie.isSecure() ? QStringLiteral("https://") : QStringLiteral("http://")) + host + path;
}

// A host cookie comes without Domain, a domain cookie (".example.com") with it; a removed
// one as an expiry in the past, which makes the store drop its copy.
QByteArray BrowserCookies::SetCookieLine(const QNetworkCookie& cookie, bool removed) {
  QByteArray line = cookie.name() + '=' + (removed ? QByteArray() : cookie.value());
  line += "; Path=" + (cookie.path().isEmpty() ? QByteArray("/") : cookie.path().toUtf8());
  if (cookie.domain().startsWith(u'.')) line += "; Domain=" + cookie.domain().toUtf8();
  if (removed) {
    line += "; Max-Age=0";
  } else if (!cookie.isSessionCookie()) {
    line += "; Expires=" + QLocale::c()
                               .toString(cookie.expirationDate().toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"))
                               .toUtf8();
  }
  if (cookie.isSecure()) line += "; Secure";
  if (cookie.isHttpOnly()) line += "; HttpOnly";
  return line;
}

// ---- browser and window ----------------------------------------------------------------

CExplorer1::CExplorer1(QWebEngineProfile& profile, QWidget* parent) : QWebEngineView(parent) {
  setPage(new QWebEnginePage(&profile, this));
}

// The address as typed; a bare host name gets its scheme as a browser's address bar does.
void CExplorer1::Navigate(const QString& address) { load(QUrl::fromUserInput(address.trimmed())); }

CDlgWebOpen::CDlgWebOpen(const QString& startAddress, QWebEngineProfile& profile, QWidget* owner)
    : QDialog(owner, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      start_(startAddress),
      address_(new QLineEdit(this)),
      open_(new QPushButton(QStringLiteral("打开"), this)),
      browser_(new CExplorer1(profile, this)) {
  setWindowTitle(QStringLiteral("登录成功后手动关闭对话框"));
  setSizeGripEnabled(true);
  resize(705, 620);
  open_->setDefault(true);
  // The browser fills the window below the address row; the address box takes the width
  // the button leaves.
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(2, 2, 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("网址："), this), 0, 0);
  grid->addWidget(address_, 0, 1);
  grid->addWidget(open_, 0, 2);
  grid->addWidget(browser_, 1, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);
  connect(open_, &QPushButton::clicked, this, [this] { browser_->Navigate(address_->text()); });

  if (!start_.isEmpty()) {
    address_->setText(start_);
    browser_->Navigate(start_);
  } else {
    address_->setText(QGuiApplication::clipboard()->text());
  }
}

// Centred over the main window at its first showing, but inside the screen: the address
// row at its top stays reachable when the main window sits at the top edge.
void CDlgWebOpen::showEvent(QShowEvent* event) {
  if (!centred_ && parentWidget()) {
    centred_ = true;
    PlaceOver(*this, parentWidget());
  }
  QDialog::showEvent(event);
}

}  // namespace zentrow
