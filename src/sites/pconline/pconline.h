// The readers of the PConline category (pconline.cpp): a user's album list, page by page,
// and each album's pictures from its single page. pconline_branch.cpp turns the typed
// address into the list address.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Users' album lists and albums.
inline constexpr char16_t kPconlinePhotoHost[] = u"http://dp.pconline.com.cn";
// Where a list address takes its page number: "_p<n>_" in its place.
inline constexpr char16_t kPconlinePageSlot[] = u"_dk1stp_";

// `listAddress`: a user's album list with kPconlinePageSlot where the page number goes;
// one without the slot is a single page.
void PconlineAlbums(MainState& state, const Text& listAddress);
void PconlinePhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders PconlineReaders();

}  // namespace zentrow
