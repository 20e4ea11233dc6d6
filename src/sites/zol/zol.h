// The readers of the ZOL category (zol.cpp): a user's photo albums and their pictures at
// full size. The key the listing gets and the photo-list reader of the download are in
// zol_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Album lists and album pages.
inline constexpr char16_t kZolPhotoHost[] = u"http://photo.zol.com.cn";

// `user` is the user name (the path part after the host).
void ZolAlbums(MainState& state, const Text& user);
void ZolPhotos(MainState& state, int albumIndex);

// The full-size picture of a thumbnail address: without its size folder ("/t_s" and a
// size right under the host), else without the "_" and size before the file's extension;
// any other address as it is.
Text ZolFullSize(TextView thumbnail);

// The category's entry of the site table.
SiteReaders ZolReaders();

}  // namespace zentrow
