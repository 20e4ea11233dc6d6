// Albums found by a listing, in the order the readers delivered them.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "toolkit/text.h"

namespace zentrow {

// Remarks bits of an album (a negative word instead carries a number in its low 31 bits).
inline constexpr int32_t REMARK_PASSWORD = 1;  // "加密相册"
inline constexpr int32_t REMARK_PRIVATE = 2;   // "私密相册"
inline constexpr int32_t REMARK_FRIENDS = 4;   // "好友可见"

struct ST_PERLISTRECORD {
  Text name;
  Text listAddress;    // where the site's photo-list reader starts
  Text coverAddress;   // empty when the site gives none
  Text extra1;         // free for the site's own use
  Text extra2;
  int32_t count = -1;  // pictures as the site reports them; -1 when not reported
  int32_t remarks = 0;
  int32_t numberA = 0;  // free site value (naming escape "?4")
  int32_t numberB = 0;  // free site value (naming escape "?5")
  int32_t index = 0;    // position in the list, set when appended
  int32_t thumbnail = -1;
};

// The album names a listing shows are cut to this many characters.
inline constexpr size_t kShownNameLength = 80;

// Thread-safe: the listing thread appends while the window thread reads.
class AlbumList {
 public:
  // Copies the record, makes its name a safe file name unique in the list ("%s (%u)"),
  // cuts it to kShownNameLength characters, sets the index; returns the new count.
  int AppendAlbum(const ST_PERLISTRECORD& record, ST_PERLISTRECORD* appended = nullptr);
  void ClearAlbums();
  // Gives album `index` the name `name` (made a safe file name, unique in the list and cut
  // as AppendAlbum does) and returns the name it now has; a name that is empty once made
  // safe leaves the album as it was. Empty when there is no such album.
  Text Rename(int index, Text name);
  int Count() const;
  // A copy of album `index`; false when there is none.
  bool Get(int index, ST_PERLISTRECORD& out) const;
  std::vector<ST_PERLISTRECORD> Snapshot() const;
  void SetThumbnail(int index, int32_t thumbnail);

 private:
  // `name` made unique among names_ and cut to kShownNameLength; call under mutex_.
  Text UniqueName(const Text& name) const;

  mutable std::mutex mutex_;
  std::vector<ST_PERLISTRECORD> albums_;
  std::unordered_set<Text> names_;
};

// The texts of an album's row in the list look.
struct AlbumRowTexts {
  Text number;   // "%04d" of the row number (1-based)
  Text name;
  Text count;    // "%4u", or "未知" when not reported
  Text remarks;  // "加密相册", "私密相册", "好友可见", "%08u" of a negative word's low 31 bits, or empty
};
AlbumRowTexts RowTexts(const ST_PERLISTRECORD& album, int rowNumber);

}  // namespace zentrow
