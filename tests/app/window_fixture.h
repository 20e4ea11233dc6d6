// What the window tests share: a prompt recorder that answers for the user, a recorder of
// the pages and folders the desktop is asked to open, and a fixture that starts the main
// window over the fake web with a test site table.
//
// The test site table lists albums from the fake web: "http://albums.example.com/list?key=K"
// answers one album per line, "name<TAB>count<TAB>remarks<TAB>cover<TAB>picture,picture...",
// and the photo reader queues the album's pictures.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>

#include "app/prompts.h"
#include "app/zentrow_dlg.h"
#include "support/fake_web.h"

// Readable failure messages for Qt values.
inline std::ostream& operator<<(std::ostream& out, const QString& text) { return out << text.toStdString(); }
inline std::ostream& operator<<(std::ostream& out, const QUrl& url) { return out << url.toString().toStdString(); }

namespace zentrow::test {

// Runs the event loop until `done` holds; false when it still does not after `timeoutMs`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);
// Runs every queued call that is waiting for the window thread.
void Drain();
// Calls `act` on the modal window of type W once it is shown (within a modal loop).
void WhenModal(const std::function<bool(QWidget*)>& act);

class RecordingPrompts : public Prompts {
 public:
  void Message(QWidget*, const QString& text) override { messages.append(text); }
  bool YesNo(QWidget*, const QString& text, const QString& caption) override {
    questions.append(caption + u'|' + text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString ChooseFolder(QWidget*, const QString& title, const QString&) override {
    folderTitles.append(title);
    return folderAnswer;
  }
  QString SaveFileName(QWidget*, const QString& filter, const QString& suffix) override {
    saveFilters.append(filter + u'|' + suffix);
    return saveAnswer;
  }
  void Notify(QWidget*, const QString& title, const QString& text) override { notifications.append(title + u'|' + text); }

  QStringList messages, questions, folderTitles, saveFilters, notifications;
  std::deque<bool> answers;
  QString folderAnswer, saveAnswer;
};

// Takes the desktop's open requests (QDesktopServices) for file, http and https addresses.
class OpenedUrls : public QObject {
  Q_OBJECT
 public:
  OpenedUrls();
  ~OpenedUrls() override;
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.append(url); }
};

struct AlbumSpec {
  QString name;
  int count = -1;
  int remarks = 0;
  QString cover;             // address, may be empty
  QStringList pictures;      // addresses
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the window and waits until it is ready.
  CZentrowDlg& Start();
  // Albums the fake web lists for the key.
  void Serve(const QString& key, const std::vector<AlbumSpec>& albums);
  // Types `text` into the address box as a user does (the box emptied first).
  void Type(const QString& text);
  // Types the key, presses "获取相册" and waits until the listing has ended.
  void List(const QString& key);
  void WaitListingEnded();
  void PressDownloadAndWait();
  // A picture body the engine accepts (a JPEG header).
  static std::string PictureBody(char fill);
  // A real picture of one colour, as a cover.
  static std::string CoverPicture(const QColor& colour, const char* format = "JPG");
  QString SavePath() const { return work.path() + QStringLiteral("/save/"); }
  QString WorkFile(const QString& name) const { return work.path() + u'/' + name; }

  FakeWeb web;
  QTemporaryDir work;
  QTemporaryDir documents;
  RecordingPrompts prompts;
  OpenedUrls opened;
  SiteTable sites{};
  CZentrowDlg::Options options;
  std::unique_ptr<CZentrowDlg> window;
  // A listing or photo reader holds here while `hold` is set, so a test sees the running look.
  std::atomic<bool> hold{false};
  std::atomic<bool> holding{false};
};

}  // namespace zentrow::test
