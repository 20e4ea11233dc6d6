// The Moko category: a post address is read as it stands; any other address names a user,
// whose post list is read. Every album is read by the one photo-list reader.
#include "sites/kit.h"
#include "sites/moko/moko.h"

namespace zentrow {
namespace {

constexpr char16_t kPostPath[] = u"/post";
constexpr char16_t kMokoDomain[] = u"moko.cc/";
constexpr char16_t kPostList[] = u"%s/post/%s/list.html";

// "http://www.moko.cc/lanlan/" names the user "lanlan"; a query or fragment after the name
// is no part of it.
Text PostListOf(Text text) {
  DeleteThrough(text, kMokoDomain, true);
  for (TextView end : {u"/", u"?", u"#"}) TruncateAt(text, end);
  return Fill(kPostList, {kMokoHost, text});
}

void MokoListing(MainState& state, Text text, ListingOutcome&) {
  MokoAlbums(state, FoundAfterStart(text, kPostPath) ? text : PostListOf(std::move(text)));
}

}  // namespace

SiteReaders MokoReaders() { return {MokoListing, MokoPhotos}; }

}  // namespace zentrow
