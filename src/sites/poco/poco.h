// The readers of the POCO category (poco.cpp): a user's photo albums, and a user's
// activity works, each work read as an album. Which of the two a typed address goes to,
// and the photo-list reader the download uses afterwards, is decided in poco_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Albums, activity lists and works.
inline constexpr char16_t kPocoHost[] = u"http://my.poco.cn";

// Photo albums: `userId` is the user's number.
void PocoAlbums(MainState& state, const Text& userId);
void PocoAlbumPhotos(MainState& state, int albumIndex);

// Activity works: `listAddress` is an activity list address without its page part; each
// listed work is an album.
void PocoActivities(MainState& state, const Text& listAddress);
void PocoActivityPhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders PocoReaders();

}  // namespace zentrow
