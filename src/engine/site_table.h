// What the engine needs of the site readers: per category, the listing branch and the
// photo-list reader selection. The production table lives in src/sites; tests pass
// their own. A category without a branch is not supported yet and says so.
#pragma once

#include <array>
#include <functional>

#include "engine/catalogue.h"
#include "toolkit/text.h"

namespace zentrow {

class MainState;

struct ListingOutcome {
  Text emptyMessage;          // shown when the listing found no album
  bool autoDownload = false;  // start the download of every album right after the listing
};

// Runs on the listing thread with the trimmed address text: derives the key, calls the
// album-list readers, leaves the ListType for the download.
using ListingBranch = std::function<void(MainState& state, Text text, ListingOutcome& outcome)>;
// Runs on the download driver thread: picks the photo-list reader by the ListType and
// calls it for the album.
using PhotoBranch = std::function<void(MainState& state, int albumIndex)>;

struct SiteReaders {
  ListingBranch listing;
  PhotoBranch photos;
};

using SiteTable = std::array<SiteReaders, SITE_COUNT>;

}  // namespace zentrow
