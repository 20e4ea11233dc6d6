#include "window_fixture.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

#include "app/combo_box2.h"
#include "app/qtext.h"
#include "engine/main_state.h"
#include "net/http.h"

namespace zentrow::test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTest::qSleep(2);
  }
  return true;
}

void Drain() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

void WhenModal(const std::function<bool(QWidget*)>& act) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && act(modal)) {
      poll->stop();
      poll->deleteLater();
    }
  });
  poll->start(20);
}

OpenedUrls::OpenedUrls() {
  for (const char* scheme : {"file", "http", "https"}) QDesktopServices::setUrlHandler(scheme, this, "Open");
}

OpenedUrls::~OpenedUrls() {
  for (const char* scheme : {"file", "http", "https"}) QDesktopServices::unsetUrlHandler(scheme);
}

namespace {

std::vector<QString> Split(const Text& text, char16_t separator) {
  std::vector<QString> parts;
  for (const QString& part : Q(text).split(QChar(separator))) parts.push_back(part);
  return parts;
}

}  // namespace

void WindowTest::SetUp() {
  ASSERT_TRUE(work.isValid());
  ASSERT_TRUE(documents.isValid());
  net::SetProxy(web.ProxyAddress());
  QGuiApplication::clipboard()->clear();

  sites[SITE_QQ].listing = [this](MainState& state, Text key, ListingOutcome& outcome) {
    state.ownerFolder = u"owner";
    outcome.emptyMessage = u"没有找到相册";
    net::UrlRequest request(u"http://albums.example.com/list?key=" + key, Text(), 5000);
    net::UrlResponse response;
    if (!net::Fetch(request, response)) return;
    Text page;
    net::GetText(response, page, net::DM_UTF8);
    for (const QString& line : Q(page).split(u'\n', Qt::SkipEmptyParts)) {
      const QStringList fields = line.split(u'\t');
      if (fields.size() < 5) continue;
      ST_PERLISTRECORD album;
      album.name = T(fields[0]);
      album.count = fields[1].toInt();
      album.remarks = fields[2].toInt();
      album.coverAddress = T(fields[3]);
      album.listAddress = T(fields[4]);
      while (hold) {
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      AddAlbumRow(album, state);
      if (state.listState == LIST_STOP) return;
    }
  };
  sites[SITE_QQ].photos = [this](MainState& state, int albumIndex) {
    ST_PERLISTRECORD album;
    state.albums.Get(albumIndex, album);
    int number = 0;
    for (const QString& address : Split(album.listAddress, u',')) {
      if (address.isEmpty()) continue;
      while (hold) {
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      AddPictureItem(state, T(address), u"p" + NumberText(++number), Text(), albumIndex);
    }
  };
  // Every category lists the same way, so the address decides nothing but the category.
  for (int site = 1; site < SITE_COUNT; ++site) sites[site] = sites[SITE_QQ];

  options.sites = &sites;
  options.workingFolder = T(work.path());
  options.documentsFolder = T(documents.path());
  options.prompts = &prompts;
  options.manualPath = QStringLiteral("/opt/zentrow/manual.md");
  options.projectPagePath = QStringLiteral("/opt/zentrow/README.md");
}

void WindowTest::TearDown() {
  hold = false;
  window.reset();
  net::SetProxy("");
}

CZentrowDlg& WindowTest::Start() {
  window = std::make_unique<CZentrowDlg>(options);
  EXPECT_TRUE(WaitUntil([&] { return window->State().Ready() && window->isVisible(); }));
  // The test's own save path, with nothing remembered: every category downloads 4 at a time.
  for (int slot = 0; slot < SITE_COUNT; ++slot) {
    window->State().Settings().Params(slot).threadCount = 4;
    window->State().Settings().Naming(slot).optionFlags = 0;
  }
  window->Ui().savePath->setEditText(SavePath());
  return *window;
}

void WindowTest::Serve(const QString& key, const std::vector<AlbumSpec>& albums) {
  QString page;
  for (const AlbumSpec& album : albums) {
    page += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                .arg(album.name)
                .arg(album.count)
                .arg(album.remarks)
                .arg(album.cover, album.pictures.join(u','));
  }
  FakeReply reply;
  reply.headers = {{"Content-Type", "text/plain; charset=utf-8"}};
  reply.body = page.toStdString();
  web.Get("http://albums.example.com/list?key=" + key.toStdString(), reply);
}

void WindowTest::Type(const QString& text) {
  QLineEdit* edit = window->Ui().address->lineEdit();
  edit->clear();
  QTest::keyClicks(edit, text);
}

void WindowTest::List(const QString& key) {
  Type(key);
  QTest::mouseClick(window->Ui().getAlbums, Qt::LeftButton);
  WaitListingEnded();
}

void WindowTest::WaitListingEnded() {
  ASSERT_TRUE(WaitUntil([&] { return window->State().listState == LIST_IDLE; }));
  window->State().WaitListing();
  Drain();
}

void WindowTest::PressDownloadAndWait() {
  QTest::mouseClick(window->Ui().download, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return window->State().downloadState == DOWNLOAD_IDLE; }));
  window->State().WaitDownload();
  Drain();
}

std::string WindowTest::PictureBody(char fill) { return "\xFF\xD8" + std::string(2046, fill); }

std::string WindowTest::CoverPicture(const QColor& colour, const char* format) {
  QImage image(300, 240, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes.toStdString();
}

}  // namespace zentrow::test
