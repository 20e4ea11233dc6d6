// The readers of the 51 category (home51.cpp): the albums of a user's photo page and, for
// each album, its pictures from the site's photo-data service. The key the listing gets
// and the photo-list reader of the download are in 51_branch.cpp.
#pragma once

#include <cstdint>

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Users' photo pages, album pages and the photo-data service.
inline constexpr char16_t k51HomeHost[] = u"http://home.51.com";

// A busy server answers "请稍候再试"; such an answer is asked again `busyPauseSeconds`
// later, three attempts in all.
struct Site51Pauses {
  uint8_t busyPauseSeconds = 10;
};

// `user` is the user name (the path part after the host).
void Site51Albums(MainState& state, const Text& user, const Site51Pauses& pauses = {});
void Site51Photos(MainState& state, int albumIndex, const Site51Pauses& pauses = {});

// The category's entry of the site table.
SiteReaders Site51Readers(Site51Pauses pauses = {});

}  // namespace zentrow
