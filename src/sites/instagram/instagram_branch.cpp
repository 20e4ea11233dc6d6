// The Instagram category: a profile address becomes the user name (the scheme typed is
// kept for the album's address), and every album is read by the one photo-list reader.
#include "sites/instagram/instagram.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr char16_t kSecure[] = u"https://";
constexpr char16_t kPlain[] = u"http://";

void InstagramListing(MainState& state, Text text, ListingOutcome&) {
  // "https://" stays TLS: the album's address is built with the scheme as typed.
  state.userIdText = text.starts_with(kSecure) ? kSecure : kPlain;
  DeleteThrough(text, u"com/", true);
  for (TextView end : {u"/", u"?", u"#"}) TruncateAt(text, end);
  InstagramAlbums(state, text);
}

}  // namespace

SiteReaders InstagramReaders() {
  return {InstagramListing, [](MainState& state, int albumIndex) { InstagramPhotos(state, albumIndex); }};
}

}  // namespace zentrow
