// The readers of the JD category (jd.cpp): one product page is one album, whose download
// is the product's main pictures and those of its colour and size variants. The
// category's listing branch and photo-reader choice are in jd_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Product pages are served by this host (its label, JD's name and a dot).
inline constexpr char16_t kJdItemHost[] = u"item.jd.";

// `address` is the product page as typed. The page is kept in the user id text: the
// photo-list reader reads the product from there and never fetches it again.
void JdAlbum(MainState& state, const Text& address);
void JdPhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders JdReaders();

}  // namespace zentrow
