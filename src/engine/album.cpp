#include "engine/album.h"

#include <cstdio>

#include "toolkit/files.h"

namespace zentrow {

int AlbumList::AppendAlbum(const ST_PERLISTRECORD& record, ST_PERLISTRECORD* appended) {
  ST_PERLISTRECORD album = record;
  album.thumbnail = -1;
  SafeFileName(album.name, SAFE_NAME_TIMESTAMP, true);

  std::lock_guard lock(mutex_);
  album.index = static_cast<int32_t>(albums_.size());
  album.name = UniqueName(album.name);
  names_.insert(album.name);
  albums_.push_back(album);
  if (appended) *appended = albums_.back();
  return static_cast<int>(albums_.size());
}

Text AlbumList::UniqueName(const Text& name) const {
  // Names are unique exactly (case-sensitive): "name", "name (1)", "name (2)" ... and
  // the list shows, and later uses, at most kShownNameLength characters of a name. The
  // number is kept inside that length, so two long names never end up the same (they
  // would share one folder and overwrite each other's pictures).
  Text unique = name.substr(0, kShownNameLength);
  for (unsigned k = 1; names_.count(unique) != 0; ++k) {
    Text suffix = u" (" + NumberText(k) + u")";
    unique = name.substr(0, kShownNameLength - suffix.size()) + suffix;
  }
  return unique;
}

Text AlbumList::Rename(int index, Text name) {
  SafeFileName(name, 0, false);
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<size_t>(index) >= albums_.size()) return Text();
  ST_PERLISTRECORD& album = albums_[index];
  if (name.empty()) return album.name;
  names_.erase(album.name);
  album.name = UniqueName(name);
  names_.insert(album.name);
  return album.name;
}

void AlbumList::ClearAlbums() {
  std::lock_guard lock(mutex_);
  albums_.clear();
  names_.clear();
}

int AlbumList::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(albums_.size());
}

bool AlbumList::Get(int index, ST_PERLISTRECORD& out) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<size_t>(index) >= albums_.size()) return false;
  out = albums_[index];
  return true;
}

std::vector<ST_PERLISTRECORD> AlbumList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return albums_;
}

void AlbumList::SetThumbnail(int index, int32_t thumbnail) {
  std::lock_guard lock(mutex_);
  if (index >= 0 && static_cast<size_t>(index) < albums_.size()) albums_[index].thumbnail = thumbnail;
}

AlbumRowTexts RowTexts(const ST_PERLISTRECORD& album, int rowNumber) {
  char buffer[32];
  AlbumRowTexts row;
  std::snprintf(buffer, sizeof buffer, "%04d", rowNumber);
  row.number = FromAscii(buffer);
  row.name = album.name;
  if (album.count == -1) {
    row.count = u"未知";
  } else {
    std::snprintf(buffer, sizeof buffer, "%4u", static_cast<unsigned>(album.count));
    row.count = FromAscii(buffer);
  }
  if (album.remarks < 0) {
    std::snprintf(buffer, sizeof buffer, "%08u", static_cast<unsigned>(album.remarks) & 0x7FFFFFFFu);
    row.remarks = FromAscii(buffer);
  } else if (album.remarks & REMARK_PASSWORD) {
    row.remarks = u"加密相册";
  } else if (album.remarks & REMARK_PRIVATE) {
    row.remarks = u"私密相册";
  } else if (album.remarks & REMARK_FRIENDS) {
    row.remarks = u"好友可见";
  }
  return row;
}

}  // namespace zentrow
