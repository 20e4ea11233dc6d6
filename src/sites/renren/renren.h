// The readers of the Renren category. The site changed its pages twice, so albums and
// photos are read by generation: the classic pages (renren_classic.cpp: a user's albums,
// a public page's albums, a single album, and the two older photo readers), the V7 pages
// (renren_v7.cpp) and, apart from these, the small themed sites of Renren zhan
// (renren_zhan.cpp), whose posts are the albums. Which reader a typed address goes to, and
// the photo readers the download tries in turn, is decided in renren_branch.cpp.
#pragma once

#include "engine/album.h"
#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Albums and photos; cookies of the "人人" login go here too.
inline constexpr char16_t kRenrenPhotoHost[] = u"http://photo.renren.com";
// Public pages (of brands, schools, ...); an address with this host names a page.
inline constexpr char16_t kRenrenPageHost[] = u"page.renren.com";
// Users' home pages, where a user name is turned into the user's number.
inline constexpr char16_t kRenrenMainHost[] = u"www.renren.com";
// Renren zhan: themed sites made of posts.
inline constexpr char16_t kRenrenZhanHost[] = u"zhan.renren.com";

// ---- album-list readers ----

// V7 pages: a user's albums by the user's number; a single album by its address (one
// containing "/album-" and "/v7").
void RenrenV7Albums(MainState& state, const Text& userId);
void RenrenV7Album(MainState& state, const Text& address);
// Classic pages: a user's albums, 40 a page; a single album by its address.
void RenrenClassicAlbums(MainState& state, const Text& userId);
void RenrenClassicAlbum(MainState& state, const Text& address);
// A public page's albums by the page's number.
void RenrenPageAlbums(MainState& state, const Text& pageId);

// ---- photo-list readers, tried in this order until one queues a picture ----

void RenrenV7Photos(MainState& state, int albumIndex);
void RenrenPagedPhotos(MainState& state, int albumIndex);
void RenrenListPhotos(MainState& state, int albumIndex);

// ---- Renren zhan ----

// Every post of the site at `address` (its home page, or a page of one tag with
// "tagId=") becomes an album; its first picture is the album's picture.
void RenrenZhanPosts(MainState& state, const Text& address);
void RenrenZhanPhotos(MainState& state, int albumIndex);

// ---- shared by the photo readers ----

inline constexpr char16_t kRenrenPasswordQuestion[] = u"加密相册,是否输入密码";
// Pages are asked for compressed and read as UTF-8.
inline constexpr char16_t kRenrenHeaders[] = u"Accept-Encoding: gzip, deflate";

// `base` and `path` joined by exactly one "/" (list addresses of the V7 pages end with
// one, those of the classic pages do not).
Text RenrenJoin(const Text& base, TextView path);

// The category's entry of the site table.
SiteReaders RenrenReaders();

}  // namespace zentrow
