// The Lofter category: the typed address becomes the blog's address, whose posts are
// listed; every album is read by the post reader.
#include "sites/kit.h"
#include "sites/lofter/lofter.h"

namespace zentrow {
namespace {

void LofterListing(MainState& state, Text text, ListingOutcome&) {
  LofterAlbums(state, LofterBlogKey(std::move(text)));
}

}  // namespace

SiteReaders LofterReaders() { return {LofterListing, LofterPhotos}; }

}  // namespace zentrow
