// The Babytree category: the user id is the first path part of the typed address; the
// newer layout is tried first and the older one when it lists nothing.
#include "sites/babytree/babytree.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_NEWER = 0;
constexpr int32_t LIST_OLDER = 1;

// "http://home.babytree.com/77889900/photo/list" names the user "77889900"; a query or
// fragment right after the id is no part of it.
Text UserIdOf(Text text) {
  DeleteThrough(text, u"om/", true);
  for (TextView end : {u"&", u"/", u"?", u"#"}) TruncateAt(text, end);
  return text;
}

void BabytreeListing(MainState& state, Text text, ListingOutcome&) {
  const Text userId = UserIdOf(std::move(text));
  BabytreeAlbums(state, userId);
  state.listType = LIST_NEWER;
  if (state.albums.Count() > 0 || ListingStopped(state)) return;
  BabytreeOldAlbums(state, userId);
  state.listType = LIST_OLDER;
}

void BabytreePhotoBranch(MainState& state, int albumIndex) {
  if (state.listType == LIST_NEWER) BabytreePhotos(state, albumIndex);
  else BabytreeOldPhotos(state, albumIndex);
}

}  // namespace

SiteReaders BabytreeReaders() { return {BabytreeListing, BabytreePhotoBranch}; }

}  // namespace zentrow
