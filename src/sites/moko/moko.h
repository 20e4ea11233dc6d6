// The readers of the Moko category: a user's posts, grouped in categories, each post an
// album (moko.cpp). The key the typed address becomes and the photo-list reader the
// download uses are decided in moko_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Pages, posts and the post-list addresses the branch builds.
inline constexpr char16_t kMokoHost[] = u"http://www.moko.cc";

// `address`: a user's post list ("…/post/<user>/list.html"), whose categories are all
// read, or one category's address ("/category/" or "/new/"), read alone.
void MokoAlbums(MainState& state, const Text& address);
void MokoPhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders MokoReaders();

}  // namespace zentrow
