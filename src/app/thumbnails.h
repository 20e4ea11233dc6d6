// Album covers for the tile look: the cover is downloaded into "tmp/<album index>.jpg" under
// the working folder and stretched into a 113 x 120 tile picture.
//
// The tile pictures are kept compressed and decoded only while they are drawn, so a listing
// of many thousands of albums holds a few kilobytes per album, not a bitmap each.
#pragma once

#include <QByteArray>
#include <QPixmap>
#include <vector>

#include "engine/album.h"

namespace zentrow {

inline constexpr int kThumbnailWidth = 113;
inline constexpr int kThumbnailHeight = 120;
inline constexpr int kTileColumns = 6;

struct CoverResult {
  QByteArray picture;         // the tile picture (JPEG), empty when there is none
  bool bitmapFailed = false;  // the cover loaded but no tile picture could be made ("err1")
};

// Runs on any thread. Fetches the album's cover through the HTTP client into
// `workingFolder`/tmp/<index>.jpg and scales it (aspect not kept, smooth). A missing,
// failed or unreadable cover gives an empty picture.
CoverResult FetchCover(const Text& workingFolder, const ST_PERLISTRECORD& album);

// The tile pictures of the current listing; used on the window thread only.
class ThumbnailList {
 public:
  ThumbnailList();
  int Add(QByteArray picture);  // its index
  QPixmap Pixmap(int index) const;  // a null pixmap for an unknown index
  int Count() const { return static_cast<int>(pictures_.size()); }
  void Clear();

 private:
  std::vector<QByteArray> pictures_;
  quint64 generation_;  // tells the cache keys of one listing from those of the next
};

}  // namespace zentrow
