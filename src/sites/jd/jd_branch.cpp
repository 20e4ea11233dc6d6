// The JD category: only a product page is read; the one product it lists downloads at once.
#include "sites/jd/jd.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr char16_t kItemAddressNeeded[] =
    u"请输入京东商品页的网址，例如 http://item.jd.com/100012043978.html";

void JdListing(MainState& state, Text text, ListingOutcome& outcome) {
  if (text.find(kJdItemHost) == Text::npos) {
    state.Ui().ShowMessage(kItemAddressNeeded);
    return;
  }
  JdAlbum(state, text);
  outcome.autoDownload = state.albums.Count() == 1;
}

}  // namespace

SiteReaders JdReaders() { return {JdListing, JdPhotos}; }

}  // namespace zentrow
