// The readers of the 56 category (photo56.cpp): a user's photo albums and their pictures.
// The key the listing gets and the photo-list reader of the download are in 56_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Album lists and album pages.
inline constexpr char16_t k56PhotoHost[] = u"http://photo.56.com";
// The user's album index; "%s" takes the user name.
inline constexpr char16_t k56AlbumIndexPath[] = u"/photo/album/index.php?user=%s&perPage=20";

// `indexAddress` is the user's album index (k56PhotoHost + k56AlbumIndexPath).
void Site56Albums(MainState& state, const Text& indexAddress);
void Site56Photos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders Site56Readers();

}  // namespace zentrow
