// The readers of the Hupu category (hupu.cpp): a user's albums, page by page, or one album
// typed by its own address; each album's pictures page by page. hupu_branch.cpp hands the
// typed address over and says what to do when nothing is listed.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Users' album lists and albums.
inline constexpr char16_t kHupuMyHost[] = u"http://my.hupu.com";

// `address` as typed: a user's address ("http://my.hupu.com/lanqiu") lists the user's
// albums; an album's address ("/photo/a" in it) lists that album alone.
void HupuAlbums(MainState& state, const Text& address);
void HupuPhotos(MainState& state, int albumIndex);

// The user part of an address: the first path part after the domain.
Text HupuUser(TextView address);
// An album's page stem: its page address without host, page number and ".html"
// ("…/lan-qiu/photo/a1001-2.html" → "lan-qiu/photo/a1001"); the photo-list reader adds
// "-<page>.html".
Text HupuAlbumStem(TextView link);

// The category's entry of the site table.
SiteReaders HupuReaders();

}  // namespace zentrow
