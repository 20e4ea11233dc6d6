// The 51 category: a web address gives the user name after the host, any other text is
// taken as an account name; either names the download folder.
#include "sites/51/site51.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

void Site51Listing(MainState& state, Text text, ListingOutcome&, const Site51Pauses& pauses) {
  // "https://" addresses have their user name in the same place as "http://" ones.
  if (text.find(u"http://") != Text::npos || text.find(u"https://") != Text::npos) {
    DeleteThrough(text, u"com/", true);
    TruncateAt(text, u"/");
  }
  state.ownerFolder = text;
  Site51Albums(state, text, pauses);
}

}  // namespace

SiteReaders Site51Readers(Site51Pauses pauses) {
  return {[pauses](MainState& state, Text text, ListingOutcome& outcome) {
            Site51Listing(state, std::move(text), outcome, pauses);
          },
          // One photo-list reader, whatever the listing left.
          [pauses](MainState& state, int albumIndex) { Site51Photos(state, albumIndex, pauses); }};
}

}  // namespace zentrow
