// The login window: the login menu, the request of a reader on an engine thread, and the
// cookies shared between the browser and the HTTP client.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QNetworkCookie>
#include <QNetworkProxy>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <thread>

#include "app/combo_box2.h"
#include "app/dlg_web_open.h"
#include "app/my_grid_ctrl.h"
#include "app/qtext.h"
#include "engine/main_state.h"
#include "net/cookies.h"
#include "net/http.h"
#include "window_fixture.h"

namespace zentrow::test {
namespace {

TEST(QqLogin, OpensTheUsersOwnSpaceForAQqNumber) {
  struct Case {
    const char16_t* address;
    int subKind;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {u"12345", SUBKIND_QZONE, "http://user.qzone.qq.com/12345"},
      {u" 12345 ", SUBKIND_QZONE, "http://user.qzone.qq.com/12345"},
      {u"", SUBKIND_QZONE, "http://user.qzone.qq.com/"},
      {u"12345", SUBKIND_QQ_GROUP, "http://user.qzone.qq.com/"},
      {u"http://user.qzone.qq.com/1", SUBKIND_QZONE, "http://user.qzone.qq.com/"},
      {u"12a45", SUBKIND_QZONE, "http://user.qzone.qq.com/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QqLoginAddress(QString::fromUtf16(c.address), c.subKind), QString::fromLatin1(c.expected))
        << QString::fromUtf16(c.address).toStdString();
  }
}

TEST(BrowserCookieLines, CarryTheCookieIntoTheStoreAsTheSiteSetIt) {
  QNetworkCookie host("sid", "a=b");
  host.setDomain(QStringLiteral("login.example.com"));
  host.setPath(QStringLiteral("/"));
  EXPECT_EQ(BrowserCookies::Address(host), QStringLiteral("http://login.example.com/"));
  EXPECT_EQ(BrowserCookies::SetCookieLine(host, false), QByteArray("sid=a=b; Path=/"));
  EXPECT_EQ(BrowserCookies::SetCookieLine(host, true), QByteArray("sid=; Path=/; Max-Age=0"));

  QNetworkCookie domain("uin", "o123");
  domain.setDomain(QStringLiteral(".qq.com"));
  domain.setPath(QStringLiteral("/cgi"));
  domain.setSecure(true);
  domain.setHttpOnly(true);
  domain.setExpirationDate(QDateTime(QDate(2031, 2, 3), QTime(4, 5, 6), Qt::UTC));
  EXPECT_EQ(BrowserCookies::Address(domain), QStringLiteral("https://qq.com/cgi"));
  EXPECT_EQ(BrowserCookies::SetCookieLine(domain, false),
            QByteArray("uin=o123; Path=/cgi; Domain=.qq.com; Expires=Mon, 03 Feb 2031 04:05:06 GMT; Secure; HttpOnly"));
}

class Login : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // The browser reaches the fake web as its proxy, under the sites' own host names.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"),
                                                     static_cast<quint16>(web.Port())));
    net::CookieStore::Instance().Open(work.path().toStdString());
    net::CookieStore::Instance().ClearAll();
  }
  void TearDown() override {
    WindowTest::TearDown();
    net::CookieStore::Instance().ClearAll();
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  }

  static bool Loaded(CDlgWebOpen& login, const char* title) {
    return WaitUntil([&] { return login.Browser()->title() == QLatin1String(title); });
  }
  static FakeReply Page(const char* title, std::vector<std::pair<std::string, std::string>> headers = {}) {
    FakeReply reply;
    reply.headers = std::move(headers);
    reply.headers.push_back({"Content-Type", "text/html; charset=utf-8"});
    reply.body = std::string("<html><head><title>") + title + "</title></head><body>ok</body></html>";
    return reply;
  }
};

TEST_F(Login, MenuOpensOneModelessLoginWindowAtATime) {
  web.Get("http://passport.baidu.com/", Page("baidu"));
  CZentrowDlg& w = Start();
  EXPECT_TRUE(w.CommandAction(ID_LOGIN_METHOD)->isChecked());
  w.CommandAction(ID_LOGIN_BAIDU)->trigger();
  QPointer<CDlgWebOpen> first = w.OpenLoginWindow();
  ASSERT_FALSE(first.isNull());
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(first->windowTitle(), QStringLiteral("登录成功后手动关闭对话框"));
  EXPECT_EQ(first->AddressBox()->text(), QStringLiteral("http://passport.baidu.com/"));
  EXPECT_EQ(first->OpenButton()->text(), QStringLiteral("打开"));
  EXPECT_TRUE(first->OpenButton()->isDefault());
  EXPECT_TRUE(Loaded(*first, "baidu"));
  EXPECT_TRUE(w.isEnabled());

  // Another login replaces the window.
  Type(QStringLiteral("12345"));
  w.CommandAction(ID_LOGIN_QQ)->trigger();
  EXPECT_TRUE(first.isNull());
  ASSERT_NE(w.OpenLoginWindow(), nullptr);
  EXPECT_EQ(w.OpenLoginWindow()->AddressBox()->text(), QStringLiteral("http://user.qzone.qq.com/12345"));

  // "打开" goes to what the address box holds.
  web.Get("http://weibo.com/login.php", Page("weibo"));
  w.OpenLoginWindow()->AddressBox()->setText(QStringLiteral("http://weibo.com/login.php"));
  QTest::mouseClick(w.OpenLoginWindow()->OpenButton(), Qt::LeftButton);
  EXPECT_TRUE(Loaded(*w.OpenLoginWindow(), "weibo"));
  w.OpenLoginWindow()->close();
  EXPECT_TRUE(WaitUntil([&] { return w.OpenLoginWindow() == nullptr; }));
}

TEST_F(Login, WithoutTheLoginMethodTheWindowIsModal) {
  CZentrowDlg& w = Start();
  w.CommandAction(ID_LOGIN_METHOD)->trigger();
  EXPECT_FALSE(w.CommandAction(ID_LOGIN_METHOD)->isChecked());
  QString shown;
  WhenModal([&](QWidget* modal) {
    auto* login = qobject_cast<CDlgWebOpen*>(modal);
    if (!login) return false;
    shown = login->AddressBox()->text();
    login->close();
    return true;
  });
  w.CommandAction(ID_LOGIN_YUPOO)->trigger();
  EXPECT_EQ(shown, QStringLiteral("http://www.yupoo.com/account/login/"));
  EXPECT_EQ(w.OpenLoginWindow(), nullptr);
}

TEST_F(Login, AnEmptyStartAddressShowsTheClipboardAndOpensNothing) {
  CZentrowDlg& w = Start();
  QGuiApplication::clipboard()->setText(QStringLiteral("http://copied.example.com/"));
  CDlgWebOpen login(QString(), w.LoginProfile(), &w);
  EXPECT_EQ(login.AddressBox()->text(), QStringLiteral("http://copied.example.com/"));
  EXPECT_TRUE(login.Browser()->url().isEmpty());
}

TEST_F(Login, CookiesTheBrowserReceivesReachTheNextFetch) {
  web.Get("http://login.example.com/in",
          Page("in", {{"Set-Cookie", "sid=abc123; Domain=example.com; Path=/; Max-Age=3600"},
                      {"Set-Cookie", "tmp=1; Path=/"}}));
  web.Get("http://api.example.com/albums", std::string("albums"));
  CZentrowDlg& w = Start();
  w.OpenLoginPage(QStringLiteral("http://login.example.com/in"));
  ASSERT_NE(w.OpenLoginWindow(), nullptr);
  ASSERT_TRUE(Loaded(*w.OpenLoginWindow(), "in"));
  ASSERT_TRUE(WaitUntil([] { return !net::GetCookieText(u"http://api.example.com/").empty(); }));
  EXPECT_EQ(net::GetCookieText(u"http://api.example.com/"), u"sid=abc123");
  EXPECT_EQ(net::GetCookieText(u"http://login.example.com/"), u"sid=abc123; tmp=1");

  net::UrlRequest request(u"http://api.example.com/albums", Text(), 5000);
  net::UrlResponse response;
  ASSERT_TRUE(net::Fetch(request, response));
  const auto sent = web.RequestsTo("http://api.example.com/albums");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Header("Cookie"), "sid=abc123");
  // The persistent one is in cookies.txt already; the session cookie is not.
  QFile file(WorkFile(QStringLiteral("cookies.txt")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  EXPECT_TRUE(saved.contains(".example.com\tTRUE\t/\tFALSE\t")) << saved.toStdString();
  EXPECT_TRUE(saved.contains("\tsid\tabc123")) << saved.toStdString();
  EXPECT_FALSE(saved.contains("\ttmp\t"));

  // A cookie the site deletes in the browser goes from the store too.
  web.Get("http://login.example.com/out", Page("out", {{"Set-Cookie", "sid=; Domain=example.com; Path=/; Max-Age=0"}}));
  w.OpenLoginWindow()->AddressBox()->setText(QStringLiteral("http://login.example.com/out"));
  QTest::mouseClick(w.OpenLoginWindow()->OpenButton(), Qt::LeftButton);
  ASSERT_TRUE(Loaded(*w.OpenLoginWindow(), "out"));
  EXPECT_TRUE(WaitUntil([] { return net::GetCookieText(u"http://api.example.com/").empty(); }));
  EXPECT_EQ(net::GetCookieText(u"http://login.example.com/"), u"tmp=1");
}

TEST_F(Login, TheStoresCookiesGoToTheBrowserWhenTheWindowOpens) {
  ASSERT_TRUE(net::CookieStore::Instance().SetCookie(u"http://login.example.com/", "pre=7; Path=/; Max-Age=600"));
  ASSERT_TRUE(net::CookieStore::Instance().SetCookie(u"http://www.example.com/", "wide=1; Domain=example.com; Path=/"));
  web.Get("http://login.example.com/echo", Page("echo"));
  CZentrowDlg& w = Start();
  w.OpenLoginPage(QStringLiteral("http://login.example.com/echo"));
  ASSERT_TRUE(Loaded(*w.OpenLoginWindow(), "echo"));
  const auto sent = web.RequestsTo("http://login.example.com/echo");
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0].Header("Cookie"), "pre=7; wide=1");
}

TEST_F(Login, AReaderOnTheListingThreadWaitsUntilTheLoginWindowIsClosed) {
  web.Get("http://login.example.com/verify", Page("verify"));
  std::atomic<bool> returned{false};
  sites[SITE_QQ].listing = [&](MainState& state, Text, ListingOutcome&) {
    state.Ui().RequestLogin(u"http://login.example.com/verify");
    returned = true;
    ST_PERLISTRECORD album;
    album.name = u"verified";
    AddAlbumRow(album, state);
  };
  CZentrowDlg& w = Start();
  QString shown;
  bool modal = false;
  bool waited = false;
  WhenModal([&](QWidget* widget) {
    auto* login = qobject_cast<CDlgWebOpen*>(widget);
    if (!login || login->Browser()->title() != QStringLiteral("verify")) return false;
    shown = login->StartAddress();
    modal = login->isModal();
    waited = !returned && w.State().listState == LIST_RUNNING;
    login->close();
    return true;
  });
  List(QStringLiteral("123"));
  EXPECT_EQ(shown, QStringLiteral("http://login.example.com/verify"));
  EXPECT_TRUE(modal);
  EXPECT_TRUE(waited);
  EXPECT_TRUE(returned);
  EXPECT_EQ(w.Ui().grid->RowCount(), 1);
}

TEST_F(Login, ClosingTheWindowReleasesAReaderThatWaitsForIt) {
  std::atomic<bool> asked{false};
  sites[SITE_QQ].listing = [&](MainState& state, Text, ListingOutcome&) {
    asked = true;
    state.Ui().ShowMessage(u"还在等");
  };
  CZentrowDlg& w = Start();
  Type(QStringLiteral("1"));
  QTest::mouseClick(w.Ui().getAlbums, Qt::LeftButton);
  // No event is handled from here on, so the message can only end by the window closing.
  while (!asked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  window.reset();  // returns: the reader was released and the listing ended
  EXPECT_TRUE(prompts.messages.isEmpty());
}

}  // namespace
}  // namespace zentrow::test
