// The 56 category: the user name is taken from the address ("user=name" or
// ".../album/name"), names the download folder, and is filled into the album index.
#include "sites/56/site56.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

void Site56Listing(MainState& state, Text text, ListingOutcome&) {
  DeleteThrough(text, u"user=", true);
  DeleteThrough(text, u"album/", true);
  TruncateAtEach(text, {u"&", u"/", u"?"});
  state.ownerFolder = text;
  Site56Albums(state, k56PhotoHost + Fill(k56AlbumIndexPath, {text}));
}

}  // namespace

SiteReaders Site56Readers() {
  // One photo-list reader, whatever the listing left.
  return {Site56Listing, Site56Photos};
}

}  // namespace zentrow
