// The reader of the Topit category (topit.cpp): a user's albums and their pictures, both
// paged by the sites "next page" mark; topit_branch.cpp turns a typed address into the
// user's base address.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// `userBase` is the user's page ("http://www.topit.me/user/12345"), without a closing "/".
void TopitAlbums(MainState& state, const Text& userBase);
void TopitPhotos(MainState& state, int albumIndex);

// The download entry of a picture shown at `address`: its full-size form, CR LF and its
// large form (the worker's alternative); the address twice when it shows no size mark at
// its place.
Text TopitPictureEntry(const Text& address);

// The category's entry of the site table.
SiteReaders TopitReaders();

}  // namespace zentrow
