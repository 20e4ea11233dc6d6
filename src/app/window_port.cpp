#include "app/window_port.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <algorithm>

#include "app/prompts.h"
#include "app/qtext.h"
#include "app/zentrow_dlg.h"

namespace zentrow {

namespace {
bool OnWindowThread(const QObject& window) { return QThread::currentThread() == window.thread(); }

// A total of 0 gives the bar its busy look.
void ShowProgress(QProgressBar& bar, int finished, int total) {
  total = std::max(total, 0);
  bar.setRange(0, total);
  bar.setValue(std::clamp(finished, 0, total));
}
}  // namespace

void WindowPort::Post(std::function<void()> call) {
  if (OnWindowThread(window_)) {
    call();
    return;
  }
  QMetaObject::invokeMethod(&window_, std::move(call), Qt::QueuedConnection);
}

bool WindowPort::Wait(std::function<void()> call) {
  if (OnWindowThread(window_)) {
    call();
    return true;
  }
  auto done = std::make_shared<bool>(false);
  {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
  }
  QMetaObject::invokeMethod(
      &window_,
      [this, done, call = std::move(call)] {
        {
          std::lock_guard lock(mutex_);
          if (closed_) return;
        }
        call();
        std::lock_guard lock(mutex_);
        *done = true;
        answered_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] { return *done || closed_; });
  return *done;
}

void WindowPort::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  rows_.clear();
  covers_.clear();
  answered_.notify_all();
}

void WindowPort::ShowMessage(const Text& text) {
  Wait([this, text] { window_.prompts_.Message(&window_, Q(text)); });
}

bool WindowPort::AskYesNo(const Text& text, const Text& caption) {
  auto yes = std::make_shared<bool>(false);
  Wait([this, text, caption, yes] { *yes = window_.prompts_.YesNo(&window_, Q(text), Q(caption)); });
  return *yes;
}

void WindowPort::RequestLogin(const Text& address) {
  Wait([this, address] { window_.RequestLogin(Q(address)); });
}

void WindowPort::SetStatus1(const Text& text) {
  Post([this, text] { window_.ui_.status1->setText(Q(text)); });
}

void WindowPort::SetStatus2(const Text& text) {
  Post([this, text] { window_.ui_.status2->setText(Q(text)); });
}

void WindowPort::SetAlbumGroupText(const Text& text) {
  Post([this, text] { window_.ui_.albumGroup->setTitle(Q(text)); });
}

// Runs on the listing thread; in the tile look the cover is fetched here, off the window
// thread, before the row is queued.
void WindowPort::AlbumAdded(const ST_PERLISTRECORD& album) {
  CoverResult cover;
  if (window_.TileLook()) cover = FetchCover(window_.baseFolder_, album);
  if (cover.bitmapFailed) ShowMessage(u"err1");
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    first = rows_.empty();
    rows_.push_back(album);
    covers_.push_back(std::move(cover));
  }
  if (first) Post([this] { FlushRows(); });
}

void WindowPort::FlushRows() {
  std::vector<ST_PERLISTRECORD> rows;
  std::vector<CoverResult> covers;
  {
    std::lock_guard lock(mutex_);
    rows.swap(rows_);
    covers.swap(covers_);
  }
  if (!rows.empty()) window_.ShowListedAlbums(std::move(rows), std::move(covers));
}

void WindowPort::AlbumsCleared() {
  {
    std::lock_guard lock(mutex_);
    rows_.clear();
    covers_.clear();
  }
  Post([this] { window_.AlbumsCleared(); });
}

void WindowPort::ListingLook(bool running, int albumCount) {
  Post([this, running, albumCount] { window_.ListingLook(running, albumCount); });
}

void WindowPort::DownloadLook(bool running) {
  Post([this, running] { window_.DownloadLook(running); });
}

void WindowPort::HistoryChanged() {
  Post([this] { window_.AddressHistoryTaken(); });
}

void WindowPort::OpenFolder(const Text& folder) {
  Post([this, folder] { window_.OpenPage(Q(folder)); });
}

void WindowPort::AlbumProgress(int finished, int total) {
  Post([this, finished, total] { ShowProgress(*window_.ui_.albumProgress, finished, total); });
}

void WindowPort::PictureProgress(int finished, int total) {
  Post([this, finished, total] { ShowProgress(*window_.ui_.pictureProgress, finished, total); });
}

void WindowPort::DownloadEnded(const DownloadTotals& totals) {
  Post([this, totals] { window_.DownloadEnded(totals); });
}

}  // namespace zentrow
