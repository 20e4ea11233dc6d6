// The Hupu category: the typed address goes to the album-list reader as it is. Albums show
// only to a logged-in browser, so an empty listing asks for the login.
#include "sites/hupu/hupu.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr char16_t kHupuEmpty[] = u"请先在登录菜单里登录虎扑帐号后重试(登录时勾上下次自动登录)";

void HupuListing(MainState& state, Text text, ListingOutcome& outcome) {
  outcome.emptyMessage = kHupuEmpty;
  HupuAlbums(state, text);
}

}  // namespace

SiteReaders HupuReaders() { return {HupuListing, HupuPhotos}; }

}  // namespace zentrow
