// The engine's way to the main window (UiPort). Calls arrive on the engine's threads:
// reports are queued onto the window thread, album rows in batches (one queued call takes
// every row that arrived meanwhile), and ShowMessage, AskYesNo and RequestLogin wait until
// the window thread has answered. Once the window closes, waiting calls return at once.
#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/thumbnails.h"
#include "engine/ui_port.h"

namespace zentrow {

class CZentrowDlg;

class WindowPort : public UiPort {
 public:
  explicit WindowPort(CZentrowDlg& window) : window_(window) {}

  void ShowMessage(const Text& text) override;
  bool AskYesNo(const Text& text, const Text& caption) override;
  void RequestLogin(const Text& address) override;
  void SetStatus1(const Text& text) override;
  void SetStatus2(const Text& text) override;
  void SetAlbumGroupText(const Text& text) override;
  void AlbumAdded(const ST_PERLISTRECORD& album) override;
  void AlbumsCleared() override;
  void ListingLook(bool running, int albumCount) override;
  void DownloadLook(bool running) override;
  void HistoryChanged() override;
  void OpenFolder(const Text& folder) override;
  void AlbumProgress(int finished, int total) override;
  void PictureProgress(int finished, int total) override;
  void DownloadEnded(const DownloadTotals& totals) override;

  // Runs `call` on the window thread (at once when already there).
  void Post(std::function<void()> call);
  // Runs `call` on the window thread and waits for it; `closed` when the window closed first.
  bool Wait(std::function<void()> call);
  // The window is going: release every waiting engine thread, take no more rows.
  void Close();

 private:
  void FlushRows();

  CZentrowDlg& window_;
  std::mutex mutex_;
  std::condition_variable answered_;
  bool closed_ = false;
  std::vector<ST_PERLISTRECORD> rows_;
  std::vector<CoverResult> covers_;
};

}  // namespace zentrow
