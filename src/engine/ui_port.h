// The one way the engine reaches a user. The desktop window, the command line and the
// tests each implement it.
//
// Calls come from the engine's threads (listing, download driver). An implementation that
// owns widgets must hand them over to its own thread; ShowMessage, AskYesNo and
// RequestLogin block the calling engine thread until the user has answered.
#pragma once

#include "engine/album.h"
#include "toolkit/text.h"

namespace zentrow {

struct AlbumDownloadSummary {
  int albumIndex = 0;
  Text albumName;
  Text folder;       // the album's folder, ending with "/"
  int queued = 0;    // pictures the reader handed over
  int saved = 0;     // pictures stored under their final name
  int failed = 0;    // pictures that could not be fetched or stored
  bool listOnly = false;  // a download list file was written instead of downloading
};

// What a whole download did, for the word at its end.
struct DownloadTotals {
  Text folder;         // the download folder: save path + owner and extra folders, ending with "/"
  int albums = 0;      // albums ticked
  int albumsDone = 0;  // albums handled before the end (fewer when the user stopped)
  int saved = 0;       // pictures stored under their final name
  int failed = 0;      // pictures that could not be fetched or stored
  int listFiles = 0;   // albums written as a download list file instead
};

class UiPort {
 public:
  virtual ~UiPort() = default;

  // A plain message box with an OK button and no caption.
  virtual void ShowMessage(const Text& text) = 0;
  // A Yes/No question (the engine passes the caption "提示"); true for Yes.
  virtual bool AskYesNo(const Text& text, const Text& caption) = 0;
  // Shows the login window at the address and returns once the user has closed it.
  virtual void RequestLogin(const Text& address) = 0;

  // Status line 1 (what is going on) and status line 2 (progress).
  virtual void SetStatus1(const Text& text) = 0;
  virtual void SetStatus2(const Text& text) = 0;
  // The text of the album group box ("相册列表", "相册列表(共%d个)").
  virtual void SetAlbumGroupText(const Text& text) = 0;

  // An album was appended to the list (name already unique and cut for showing).
  virtual void AlbumAdded(const ST_PERLISTRECORD& album) = 0;
  // The album list was emptied (a listing starts).
  virtual void AlbumsCleared() = 0;

  // The running and idle looks. `albumCount` tells the idle look whether "下载" is enabled.
  virtual void ListingLook(bool running, int albumCount) = 0;
  virtual void DownloadLook(bool running) = 0;
  // A history list took a new entry (the address box or the save path box remembers it).
  virtual void HistoryChanged() {}

  // Opens a folder in the desktop's file manager.
  virtual void OpenFolder(const Text& folder) = 0;

  // One album of a download has ended.
  virtual void AlbumDownloaded(const AlbumDownloadSummary& summary) { (void)summary; }

  // A download's progress, beside the status texts. Albums: those of the whole download
  // finished out of those ticked. Pictures: those of the current album finished (stored
  // or failed) out of those queued; `total` is 0 while the album's pictures are being read.
  virtual void AlbumProgress(int finished, int total) { (void)finished, (void)total; }
  virtual void PictureProgress(int finished, int total) { (void)finished, (void)total; }
  // A download has ended; comes after the idle look.
  virtual void DownloadEnded(const DownloadTotals& totals) { (void)totals; }
};

}  // namespace zentrow
