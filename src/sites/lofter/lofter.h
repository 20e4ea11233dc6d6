// The reader of the Lofter category (lofter.cpp): a blog's posts as albums, read from its
// archive by the service's remote call, and the pictures of each post. The category's key
// and photo-reader choice are in lofter_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// The service's own address, which its remote calls name as their Referer.
inline constexpr char16_t kLofterHome[] = u"http://www.lofter.com";

// The blog's address as the key the branch makes of a typed address: everything from
// "post/" on dropped, ending with exactly one "/" ("http://name.lofter.com/").
Text LofterBlogKey(Text text);

// `blog` is a key made by LofterBlogKey.
void LofterAlbums(MainState& state, const Text& blog);
void LofterPhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders LofterReaders();

}  // namespace zentrow
