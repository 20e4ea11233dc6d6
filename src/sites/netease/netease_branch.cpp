// The NetEase category: a blog's photo pages, or else the album service; and the
// photo-list reader the download uses afterwards.
#include "sites/kit.h"
#include "sites/netease/netease.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_NETEASE_BLOG = 1;  // any other ListType reads NetEase albums

void NeteaseListing(MainState& state, Text text, ListingOutcome&) {
  if (FoundAfterStart(text, kNeteaseBlogPagesFragment)) {
    NeteaseBlogAlbums(state, text);
    state.listType = LIST_NETEASE_BLOG;
  } else {
    NeteaseAlbums(state, text);  // the ListType stays as the listing began
  }
}

void NeteasePhotoBranch(MainState& state, int albumIndex) {
  if (state.listType == LIST_NETEASE_BLOG) NeteaseBlogPhotos(state, albumIndex);
  else NeteasePhotos(state, albumIndex);
}

}  // namespace

SiteReaders NeteaseReaders() { return {NeteaseListing, NeteasePhotoBranch}; }

}  // namespace zentrow
