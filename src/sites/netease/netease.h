// The readers of the NetEase category: NetEase albums (neteasephoto.cpp) and the photo
// sets of NetEase blog pages (neteaseblog.cpp). Which one a typed address goes to, and the
// photo-list reader the download uses afterwards, is decided in netease_branch.cpp.
#pragma once

#include <cstdint>

#include "engine/album.h"
#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// The album service: users' pages, their album lists and its remote calls.
inline constexpr char16_t kNeteasePhotoHost[] = u"http://photo.163.com";
// A user's blog, where the album list script is also named: user name + this.
inline constexpr char16_t kNeteaseBlogDomain[] = u".blog.163.com";
// Blog photo pages live on user name + this; addresses holding it go to the blog reader.
inline constexpr char16_t kNeteaseBlogPagesFragment[] = u".pp.163.com";

// NetEase albums: `address` is an album or home page of the service as typed.
void NeteaseAlbums(MainState& state, const Text& address);
void NeteasePhotos(MainState& state, int albumIndex);

// NetEase blog: `address` is the blog page whose photo sets are listed as albums.
void NeteaseBlogAlbums(MainState& state, const Text& address);
void NeteaseBlogPhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders NeteaseReaders();

// ---- NetEase albums: the pieces of its readers that work on text alone ----

// A cover or picture address of the album scripts, which name it relative to a numbered
// image host: "12/photo/a.jpg" lies on image host 12 of the "/photo/" family, "12/a.jpg"
// on image host 12 of the other family, "/photo/a.jpg" on the family's unnumbered host.
// An empty address stays empty; a bare file name ("a.jpg") lies on the other family's
// unnumbered host.
Text CompleteImageAddress(TextView relative);

// One album entry of the album list script (the text after "{id:"): the record, with the
// album id in extra2 and its description in extra1. Returns whether the album's photo
// list must be asked for by the remote call (it is hidden from the list and not closed
// to questions).
bool ReadNeteaseAlbum(TextView entry, ST_PERLISTRECORD& record);

// A picture entry of an album's photo script (the text after "{id:"): the address of the
// original, else the middle, else the small size, completed (empty when the entry names
// none), and the description that follows it.
struct NeteasePhoto {
  Text address;
  Text description;
};
NeteasePhoto ReadNeteasePhoto(TextView entry);

}  // namespace zentrow
