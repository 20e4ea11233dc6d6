#include "engine/main_state.h"

#include <cstdio>
#include <ctime>

#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

// Wordings of our own where the program's originals are not known.
constexpr char16_t kAddressNeeded[] = u"请先输入相册网址或QQ号";
constexpr char16_t kWebAddressNeeded[] = u"请输入以http://或https://开头的网址";
constexpr char16_t kNotSupported[] = u"该站点暂未支持";
constexpr char16_t kNoAlbumTicked[] = u"请先选择要下载的相册";

template <typename... Args>
Text Format(const char* format, Args... args) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return FromUtf8(buffer);
}

bool EndsWithSlash(const Text& text) { return !text.empty() && text.back() == u'/'; }

// A listing's sub-folder text: a safe name, ending with "/" when not empty.
void NormaliseSubFolder(Text& folder) {
  SafeFileName(folder, 0, false);
  if (!folder.empty() && !EndsWithSlash(folder)) folder += u'/';
}

}  // namespace

MainState::MainState(UiPort& ui, const SiteTable& sites, Text workingFolder)
    : ui_(ui), sites_(sites), workingFolder_(EndsWithSlash(workingFolder) ? workingFolder : workingFolder + u'/') {
  settings_.Load(workingFolder_);
}

MainState::~MainState() {
  if (listState != LIST_IDLE) listState = LIST_STOP;
  if (downloadState != DOWNLOAD_IDLE) {
    downloadState = DOWNLOAD_USER_STOP;
    pictureStop_ = true;
  }
  WaitListing();
  WaitDownload();
}

void MainState::SetCategory(int index) {
  std::lock_guard lock(inputs_);
  category_ = index;
}
int MainState::Category() const {
  std::lock_guard lock(inputs_);
  return category_;
}
void MainState::SetSubKind(int subKind) {
  std::lock_guard lock(inputs_);
  subKind_ = subKind;
}
int MainState::SubKindSelection() const {
  std::lock_guard lock(inputs_);
  return subKind_;
}
void MainState::SetAddressText(Text text) {
  std::lock_guard lock(inputs_);
  address_ = std::move(text);
}
Text MainState::AddressText() const {
  std::lock_guard lock(inputs_);
  return address_;
}
void MainState::SetSavePathText(Text text) {
  std::lock_guard lock(inputs_);
  savePath_ = std::move(text);
}
Text MainState::SavePathText() const {
  std::lock_guard lock(inputs_);
  return savePath_;
}
void MainState::SetTicked(std::vector<int> albumIndexes) {
  std::lock_guard lock(inputs_);
  ticked_ = std::move(albumIndexes);
}

void MainState::SaveSettings() {
  std::lock_guard lock(settingsMutex_);
  settings_.Save();
}

bool MainState::ChangeSettings(const std::function<bool(SettingsFile&)>& change) {
  std::lock_guard lock(settingsMutex_);
  if (!change(settings_)) return false;
  settings_.Save();
  return true;
}

SettingsFile MainState::SettingsCopy() const {
  std::lock_guard lock(settingsMutex_);
  return settings_;
}

Text MainState::CurrentAlbumFolder() const {
  std::lock_guard lock(inputs_);
  return currentFolder_;
}

void MainState::SetCurrentFolder(const Text& folder) {
  std::lock_guard lock(inputs_);
  currentFolder_ = folder;
}

void MainState::Start(std::thread& slot, void (MainState::*job)()) {
  std::thread finished;
  {
    std::lock_guard lock(jobs_);
    finished = std::move(slot);
  }
  if (finished.joinable()) finished.join();
  std::lock_guard lock(jobs_);
  slot = std::thread(job, this);
}

void MainState::Wait(std::thread& slot) {
  std::thread running;
  {
    std::lock_guard lock(jobs_);
    running = std::move(slot);
  }
  if (running.joinable() && running.get_id() != std::this_thread::get_id()) running.join();
  else if (running.joinable()) running.detach();
}

void MainState::WaitListing() { Wait(listing_); }
void MainState::WaitDownload() {
  // A listing may start a download when it ends; wait for that listing first.
  WaitListing();
  Wait(download_);
}

// ---- listing -----------------------------------------------------------------------

void MainState::GetAlbums() {
  if (!ready_) return;
  int idle = LIST_IDLE;
  if (!listState.compare_exchange_strong(idle, LIST_RUNNING)) {
    listState = LIST_STOP;
    return;
  }
  albums.ClearAlbums();
  ui_.AlbumsCleared();
  listType = -1;
  siteIndex = Category();
  Start(listing_, &MainState::ListingJob);
}

void MainState::ListingJob() {
  extension = ReadExtensionSettings(workingFolder_);
  siteIndex = Category();
  ownerFolder.clear();
  extraFolder.clear();

  Text text = Trim(AddressText());
  if (text.empty()) {
    ui_.ShowMessage(kAddressNeeded);
    listState = LIST_IDLE;
    return;
  }

  ui_.ListingLook(true, 0);
  ui_.SetAlbumGroupText(u"相册列表");
  ui_.SetStatus1(u"正在获取相册列表，请稍等...");
  ui_.SetStatus2(Text());

  const int site = siteIndex;
  ListingOutcome outcome;
  bool webAddress = text.find(u"http://") != Text::npos || text.find(u"https://") != Text::npos;
  if (!webAddress && site != SITE_QQ) {
    ui_.ShowMessage(kWebAddressNeeded);
  } else if (site >= 0 && site < SITE_COUNT) {
    if (site == SITE_QQ) listType = SubKindSelection();
    const ListingBranch& branch = sites_[site].listing;
    if (!branch) {
      ui_.ShowMessage(kNotSupported);
    } else {
      branch(*this, text, outcome);
      if (albums.Count() == 0 && !outcome.emptyMessage.empty()) ui_.ShowMessage(outcome.emptyMessage);
    }
  }

  NormaliseSubFolder(ownerFolder);
  NormaliseSubFolder(extraFolder);

  const int n = albums.Count();
  ui_.SetAlbumGroupText(Format("相册列表(共%d个)", n));
  ui_.SetStatus1(Format("获取相册列表完成，共%d个", n));
  listState = LIST_IDLE;
  ui_.ListingLook(false, n);

  if (n > 0) {
    bool taken;
    {
      std::lock_guard lock(settingsMutex_);
      taken = settings_.OfferHistory(HistoryList::Address, Trim(AddressText()));
      if (taken) settings_.Save();
    }
    if (taken) ui_.HistoryChanged();
    if (outcome.autoDownload && autoDownloadAllowed) {
      std::vector<int> all(n);
      for (int i = 0; i < n; ++i) all[i] = i;
      SetTicked(std::move(all));
      StartDownload();
    }
  }
}

void AddAlbumRow(const ST_PERLISTRECORD& record, MainState& state) {
  if (!state.Ready()) return;
  ST_PERLISTRECORD appended;
  state.albums.AppendAlbum(record, &appended);
  state.Ui().AlbumAdded(appended);
}

// ---- download ----------------------------------------------------------------------

void MainState::Download() {
  if (listState != LIST_IDLE) return;  // the button is disabled while a listing runs
  if (downloadState != DOWNLOAD_IDLE) {
    downloadState = DOWNLOAD_USER_STOP;
    pictureStop_ = true;
    return;
  }
  StartDownload();
}

void MainState::StartDownload() {
  int idle = DOWNLOAD_IDLE;
  if (!downloadState.compare_exchange_strong(idle, DOWNLOAD_RUNNING)) return;
  pictureStop_ = false;
  Start(download_, &MainState::DownloadJob);
}

void MainState::DownloadJob() {
  extension = ReadExtensionSettings(workingFolder_);
  Text folder = Trim(SavePathText());
  if (folder.empty()) {
    ui_.ShowMessage(u"请先设置保存路径");
    downloadState = DOWNLOAD_IDLE;
    return;
  }
  if (!EndsWithSlash(folder)) folder += u'/';
  folder += ownerFolder + extraFolder;
  if (!MakeFolderPath(folder, [this](const Text& failed) { ui_.ShowMessage(failed); })) {
    ui_.ShowMessage(u"请检测设置的保存路径是否有误");
    downloadState = DOWNLOAD_IDLE;
    return;
  }
  SetFolderTimes(folder, static_cast<int64_t>(std::time(nullptr)));
  ui_.DownloadLook(true);

  const int site = siteIndex;
  DownloadValues values;
  {
    std::lock_guard lock(settingsMutex_);
    const int slot = site >= 0 && site < SITE_COUNT ? site : 0;
    const DownloadParams& params = settings_.Params(slot);
    values.minSizeKb = params.minSizeKb;
    values.maxSizeKb = params.maxSizeKb;
    values.threadCount = params.threadCount;
    values.timeoutSeconds = params.timeoutSeconds;
    naming = settings_.Naming(slot);
  }
  values.singleThreadPause = singleThreadPause;
  runFolder = folder;
  queue.Reset(folder);
  SetCurrentFolder(folder);

  std::vector<int> chosen;
  {
    std::lock_guard lock(inputs_);
    const int count = albums.Count();
    for (int index : ticked_)
      if (index >= 0 && index < count) chosen.push_back(index);
  }
  selectedAlbumCount = static_cast<int>(chosen.size());
  if (chosen.empty()) ui_.ShowMessage(kNoAlbumTicked);

  int total = 0;
  DownloadTotals totals;
  totals.folder = folder;
  totals.albums = static_cast<int>(chosen.size());
  ui_.AlbumProgress(0, totals.albums);
  for (size_t k = 0; k < chosen.size(); ++k) {
    if (downloadState == DOWNLOAD_USER_STOP) break;
    queue.Reset(folder);
    ui_.SetStatus1(Format("正在下载第%d/%d个图集", static_cast<int>(k + 1), static_cast<int>(chosen.size())));
    int readerStop = DOWNLOAD_READER_STOP;
    downloadState.compare_exchange_strong(readerStop, DOWNLOAD_RUNNING);
    ui_.SetStatus2(u"......");
    ui_.PictureProgress(0, 0);

    const int albumIndex = chosen[k];
    if (site < 0 || site >= SITE_COUNT) {
      ui_.ShowMessage(u"Error ListType Code.");
      continue;
    }
    if (sites_[site].photos) sites_[site].photos(*this, albumIndex);
    SetCurrentFolder(queue.folder);

    AlbumDownloadSummary summary;
    summary.albumIndex = albumIndex;
    ST_PERLISTRECORD album;
    albums.Get(albumIndex, album);
    summary.albumName = album.name;
    summary.folder = queue.folder;
    summary.queued = static_cast<int>(queue.items.size());
    if (downloadState == DOWNLOAD_USER_STOP) {  // stopped while its pictures were read
      ui_.AlbumDownloaded(summary);
      continue;
    }
    if (!queue.items.empty()) {
      total += summary.queued;
      if (naming.optionFlags & OPT_LIST_ONLY) {
        WriteListFile(queue, queue.folder + album.name + u".lst");
        summary.listOnly = true;
        ++totals.listFiles;
      } else {
        ui_.SetStatus2(u"已开始下载图片");
        ui_.PictureProgress(0, summary.queued);
        DownloadResult result = DownPicFunc(queue, values, pictureStop_, [this](int done, int all) {
          ui_.SetStatus2(Format("已下载%d/%d......", done, all));
          ui_.PictureProgress(done, all);
        });
        summary.saved = result.saved;
        summary.failed = result.failed;
        totals.saved += result.saved;
        totals.failed += result.failed;
        if (downloadState != DOWNLOAD_USER_STOP) {
          WriteMarker(queue.folder, queue.items.front().address);
          if (naming.optionFlags & OPT_FIX_FORMAT) FixFormat(queue);
          if (naming.optionFlags & OPT_FIX_ORDER) FixOrder(queue, static_cast<int64_t>(std::time(nullptr)));
        }
      }
    }
    ui_.AlbumDownloaded(summary);
    totals.albumsDone = static_cast<int>(k + 1);
    ui_.AlbumProgress(totals.albumsDone, totals.albums);
  }

  SetCurrentFolder(Text());
  downloadState = DOWNLOAD_IDLE;
  ui_.DownloadLook(false);
  ui_.SetStatus1(u"下载完毕");
  ui_.SetStatus2(totals.failed > 0 ? Format("有%d张图片下载失败", totals.failed) : Text());
  ui_.DownloadEnded(totals);
  if (total > 0 && (naming.optionFlags & OPT_OPEN_FOLDER)) ui_.OpenFolder(queue.folder);
}

}  // namespace zentrow
