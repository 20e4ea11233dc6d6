// The readers of the PChome category (pchome.cpp): a user's photo albums and their
// pictures, from pages in Big5. The key the listing gets and the photo-list reader of the
// download are in pchome_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Album lists, album pages, pictures and the pages that show them.
inline constexpr char16_t kPchomePhotoHost[] = u"http://photo.pchome.com.tw";

// `user` is the user name (the path part after the host).
void PchomeAlbums(MainState& state, const Text& user);
void PchomePhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders PchomeReaders();

}  // namespace zentrow
