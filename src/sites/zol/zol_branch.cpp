// The ZOL category: a web address gives the user name after the host, any other text is
// taken as the user name.
#include "sites/kit.h"
#include "sites/zol/zol.h"

namespace zentrow {
namespace {

void ZolListing(MainState& state, Text text, ListingOutcome&) {
  // "https://" addresses have their user name in the same place as "http://" ones.
  if (text.find(u"http://") != Text::npos || text.find(u"https://") != Text::npos) {
    DeleteThrough(text, u"cn/", true);
    TruncateAt(text, u"/");
  }
  ZolAlbums(state, text);
}

}  // namespace

SiteReaders ZolReaders() {
  // One photo-list reader, whatever the listing left.
  return {ZolListing, ZolPhotos};
}

}  // namespace zentrow
