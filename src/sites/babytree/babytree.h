// The readers of the Babytree category (babytree.cpp): a user's albums from the newer home
// pages (album list and pictures as JSON) or, when those list none, from the older user
// pages (HTML lists, a page per picture). babytree_branch.cpp picks the layout and the
// matching photo-list reader.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// The newer home pages and the older user pages.
inline constexpr char16_t kBabytreeHomeHost[] = u"http://home.babytree.com";
inline constexpr char16_t kBabytreeMainHost[] = u"http://www.babytree.com";

// Newer layout: `userId` is the user part of the typed address.
void BabytreeAlbums(MainState& state, const Text& userId);
void BabytreePhotos(MainState& state, int albumIndex);

// Older layout: the same user id; each picture is read from its own page at full size.
void BabytreeOldAlbums(MainState& state, const Text& userId);
void BabytreeOldPhotos(MainState& state, int albumIndex);

// The full-size address of a newer-layout thumbnail ("_sm." pictures under "/thumbs/").
Text BabytreeLargePicture(TextView thumbnail);

// The category's entry of the site table.
SiteReaders BabytreeReaders();

}  // namespace zentrow
