// The Topit category: a user's page (or any page under it) gives the user's base address.
#include "sites/kit.h"
#include "sites/topit/topit.h"

namespace zentrow {
namespace {

void TopitListing(MainState& state, Text text, ListingOutcome&) {
  TruncateAt(text, u"/item");
  if (FoundAfterStart(text, u"/user/")) TruncateAt(text, u"/albums");
  TruncateAt(text, u"?");
  TruncateAt(text, u"#");
  // "…/user/12345/" is the same user as "…/user/12345".
  while (!text.empty() && text.back() == u'/') text.pop_back();
  TopitAlbums(state, text);
}

}  // namespace

SiteReaders TopitReaders() { return {TopitListing, TopitPhotos}; }

}  // namespace zentrow
