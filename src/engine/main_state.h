// Everything the main window owns, without any window: the category choice, the listing
// and download states, the listing context, the album list, the settings, the download
// queue, and the two background jobs (listing, download driver).
//
// The window side (desktop window, command line, tests) sets the inputs and presses the
// buttons (GetAlbums, Download); readers on the engine's threads use the rest.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/album.h"
#include "engine/download.h"
#include "engine/settings.h"
#include "engine/site_table.h"
#include "engine/ui_port.h"
#include "toolkit/ini.h"
#include "toolkit/text.h"

namespace zentrow {

// ListState
inline constexpr int LIST_IDLE = 0;
inline constexpr int LIST_RUNNING = 1;
inline constexpr int LIST_STOP = 2;
// DownloadState
inline constexpr int DOWNLOAD_IDLE = 0;
inline constexpr int DOWNLOAD_RUNNING = 1;
inline constexpr int DOWNLOAD_READER_STOP = 2;  // the photo-list reader is asked to stop
inline constexpr int DOWNLOAD_USER_STOP = 3;

class MainState {
 public:
  // `workingFolder` holds "soft.dat", the extension settings, "cookies.txt" and "tmp".
  MainState(UiPort& ui, const SiteTable& sites, Text workingFolder);
  ~MainState();  // asks running jobs to stop and waits for them
  MainState(const MainState&) = delete;
  MainState& operator=(const MainState&) = delete;

  // ---- window side -------------------------------------------------------------------
  void SetReady() { ready_ = true; }
  bool Ready() const { return ready_; }
  void SetCategory(int siteIndex);  // the category box selection
  int Category() const;
  void SetSubKind(int subKind);     // the sub-kind box selection (shown for category 0 only)
  int SubKindSelection() const;
  void SetAddressText(Text text);
  Text AddressText() const;
  void SetSavePathText(Text text);
  Text SavePathText() const;
  // The albums ticked in the grid, in grid order.
  void SetTicked(std::vector<int> albumIndexes);

  // "获取相册": starts a listing, or asks the running one to stop.
  void GetAlbums();
  // "下载": starts the download of the ticked albums, or asks the running one to stop.
  void Download();
  // Wait until the listing (and a download it started) or the download has ended.
  void WaitListing();
  void WaitDownload();

  // The settings for a front end that changes them while no listing or download runs
  // (the command line). A window, whose changes can come at any time, uses the two below.
  SettingsFile& Settings() { return settings_; }
  // Saves the settings file (after a change made through Settings()).
  void SaveSettings();
  // Runs `change` on the settings under the settings lock; saves them when it returns true.
  bool ChangeSettings(const std::function<bool(SettingsFile&)>& change);
  // A copy of the settings, taken under the lock.
  SettingsFile SettingsCopy() const;
  // The folder of the album being downloaded (the download folder between albums), or
  // empty when no download runs.
  Text CurrentAlbumFolder() const;
  const Text& WorkingFolder() const { return workingFolder_; }
  UiPort& Ui() { return ui_; }

  // ---- reader side -------------------------------------------------------------------
  std::atomic<int> listState{LIST_IDLE};
  std::atomic<int> downloadState{DOWNLOAD_IDLE};
  std::atomic<int> siteIndex{0};
  std::atomic<int32_t> listType{-1};

  // The listing context: sub-folders under the save path and free texts that an
  // album-list reader passes to its photo-list reader. Written by the listing, read by
  // the download that follows it (the two never run at once).
  Text ownerFolder;
  Text extraFolder;
  Text userIdText;
  Text scratchText;

  ExtensionSettings extension;
  AlbumList albums;
  int selectedAlbumCount = 0;

  // The album being downloaded: its queue, the category's rules, the marker read when
  // its folder was made.
  DownloadQueue queue;
  NamingRecord naming;
  Text runFolder;        // save path + OwnerFolder + ExtraFolder of this download
  Text lastNewest;       // the album folder's marker address

  // Whether a listing may start a download by itself (a front end that chooses the
  // albums itself turns it off).
  std::atomic<bool> autoDownloadAllowed{true};
  // With one download thread, the pause before each further picture.
  std::chrono::milliseconds singleThreadPause{2000};

 private:
  void ListingJob();
  void DownloadJob();
  void StartDownload();
  // Starts `job` on `slot` once the job that ran there before has ended.
  void Start(std::thread& slot, void (MainState::*job)());
  void Wait(std::thread& slot);
  void SetCurrentFolder(const Text& folder);

  UiPort& ui_;
  const SiteTable& sites_;
  const Text workingFolder_;
  mutable std::mutex settingsMutex_;  // the listing and the driver read and save the settings too
  SettingsFile settings_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> pictureStop_{false};

  mutable std::mutex inputs_;
  int category_ = 0;
  int subKind_ = 0;
  Text address_;
  Text savePath_;
  std::vector<int> ticked_;
  Text currentFolder_;

  std::mutex jobs_;
  std::thread listing_;
  std::thread download_;
};

// An album-list reader delivers each album through AddAlbumRow; it does nothing until the
// ready flag is set.
void AddAlbumRow(const ST_PERLISTRECORD& record, MainState& state);

// A photo-list reader hands every picture to AddPictureItem, which names the file by the
// category's rules and queues it.
void AddPictureItem(MainState& state, const Text& address, const Text& description,
                    const Text& header, int albumIndex);

}  // namespace zentrow
