// A UiPort for tests: records everything the engine shows and answers questions from a
// script.
#pragma once

#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/ui_port.h"

namespace zentrow::test {

class RecordingUi : public UiPort {
 public:
  void ShowMessage(const Text& text) override { Add(messages, text); }
  bool AskYesNo(const Text& text, const Text& caption) override {
    std::lock_guard lock(mutex);
    questions.push_back(caption + u"|" + text);
    if (answers.empty()) return false;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void RequestLogin(const Text& address) override { Add(logins, address); }
  void SetStatus1(const Text& text) override { Add(status1, text); }
  void SetStatus2(const Text& text) override { Add(status2, text); }
  void SetAlbumGroupText(const Text& text) override { Add(groupTexts, text); }
  void AlbumAdded(const ST_PERLISTRECORD& album) override {
    std::lock_guard lock(mutex);
    added.push_back(album);
  }
  void AlbumsCleared() override {
    std::lock_guard lock(mutex);
    ++clears;
  }
  void ListingLook(bool running, int albumCount) override {
    std::lock_guard lock(mutex);
    listingLooks.push_back(running ? -1 : albumCount);
  }
  void DownloadLook(bool running) override {
    std::lock_guard lock(mutex);
    downloadLooks.push_back(running);
  }
  void HistoryChanged() override {
    std::lock_guard lock(mutex);
    ++historyChanges;
  }
  void OpenFolder(const Text& folder) override { Add(openedFolders, folder); }
  void AlbumDownloaded(const AlbumDownloadSummary& summary) override {
    std::lock_guard lock(mutex);
    summaries.push_back(summary);
  }
  void AlbumProgress(int finished, int total) override {
    std::lock_guard lock(mutex);
    albumProgress.emplace_back(finished, total);
  }
  void PictureProgress(int finished, int total) override {
    std::lock_guard lock(mutex);
    pictureProgress.emplace_back(finished, total);
  }
  void DownloadEnded(const DownloadTotals& totals) override {
    std::lock_guard lock(mutex);
    ended.push_back(totals);
  }

  Text LastStatus1() const { return Last(status1); }
  Text LastStatus2() const { return Last(status2); }

  mutable std::mutex mutex;
  std::deque<bool> answers;
  std::vector<Text> messages, questions, logins, status1, status2, groupTexts, openedFolders;
  std::vector<ST_PERLISTRECORD> added;
  std::vector<int> listingLooks;  // -1 running, else the idle look's album count
  std::vector<bool> downloadLooks;
  std::vector<AlbumDownloadSummary> summaries;
  std::vector<std::pair<int, int>> albumProgress, pictureProgress;  // (finished, total)
  std::vector<DownloadTotals> ended;
  int clears = 0;
  int historyChanges = 0;

 private:
  void Add(std::vector<Text>& list, const Text& text) {
    std::lock_guard lock(mutex);
    list.push_back(text);
  }
  Text Last(const std::vector<Text>& list) const {
    std::lock_guard lock(mutex);
    return list.empty() ? Text() : list.back();
  }
};

}  // namespace zentrow::test
