// The PChome category: the user name is the path part after the host; it names the
// download folder.
#include "sites/kit.h"
#include "sites/pchome/pchome.h"

namespace zentrow {
namespace {

void PchomeListing(MainState& state, Text text, ListingOutcome&) {
  DeleteThrough(text, u"com.tw/", true);
  TruncateAtEach(text, {u"/", u"&", u"*", u"?"});
  state.ownerFolder = text;
  PchomeAlbums(state, text);
}

}  // namespace

SiteReaders PchomeReaders() {
  // One photo-list reader, whatever the listing left.
  return {PchomeListing, PchomePhotos};
}

}  // namespace zentrow
