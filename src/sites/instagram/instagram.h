// The reader of the Instagram category: every picture of one user as one album. The
// listing asks nothing of the site; the download reads the profile page, then the user's
// media feed page after page by the id of the last picture seen.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Profile pages and the media feed: the scheme the user typed, this host, "/" and the name.
inline constexpr char16_t kInstagramHost[] = u"www.instagram.com";
// With "图片获取方式" 1, pictures of the content-delivery paths ("…com/hphotos-…") are
// fetched from this host instead.
inline constexpr char16_t kInstagramPictureHost[] = u"photos-a.ak.instagram.com";

// One album named `userName`; the user id text must hold the scheme ("http://" or
// "https://") the album's address is built with. An empty name gives no album.
void InstagramAlbums(MainState& state, const Text& userName);
void InstagramPhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders InstagramReaders();

}  // namespace zentrow
