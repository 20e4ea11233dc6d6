// The POCO category: an album address goes to the user's photo albums; any other address
// to the user's activity works, either as the activity list typed or as the list built
// from the user's number. And the photo-list reader the download uses afterwards.
#include "sites/kit.h"
#include "sites/poco/poco.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_POCO_ALBUMS = 0;
constexpr int32_t LIST_POCO_ACTIVITIES = 1;

constexpr char16_t kActivityListPath[] = u"/act/act_list.htx&user_id=%s&act_type_id=0";

// Every query parameter named exactly `name` ("?name=" or "&name=") takes the name
// `newName`; one whose name only ends so ("&step=") keeps it.
void RenameParameter(Text& address, TextView name, TextView newName) {
  const Text assignment = Text(name) + u"=";
  for (size_t at = address.find(assignment); at != Text::npos; at = address.find(assignment, at)) {
    if (at > 0 && (address[at - 1] == u'?' || address[at - 1] == u'&')) {
      address.replace(at, name.size(), newName);
      at += newName.size() + 1;
    } else {
      at += assignment.size();
    }
  }
}

void PocoListing(MainState& state, Text text, ListingOutcome&) {
  if (FoundAfterStart(text, u"/album") || FoundAfterStart(text, u"/theme")) {
    DeleteThrough(text, u"user_id-", true);
    DeleteThrough(text, u"user_id=", true);
    TruncateAtEach(text, {u"&", u"."});
    PocoAlbums(state, text);
    state.listType = LIST_POCO_ALBUMS;
    return;
  }
  // An activity list typed as it is, or a home page's user number.
  if (text.find(u"act_list") == Text::npos || text.find(u'&') == Text::npos) {
    DeleteThrough(text, u"id-", true);
    DeleteThrough(text, u"id=", true);
    TruncateAtEach(text, {u"/", u"&", u"*", u"?", u"#", u"."});
    state.userIdText = text;
    text = kPocoHost + Fill(kActivityListPath, {text});
  }
  // The reader adds its own page number: a page number the address carried must not
  // stand beside it.
  RenameParameter(text, u"p", u"vrk");
  PocoActivities(state, text);
  state.listType = LIST_POCO_ACTIVITIES;
}

void PocoPhotos(MainState& state, int albumIndex) {
  switch (state.listType) {
    case LIST_POCO_ALBUMS: PocoAlbumPhotos(state, albumIndex); break;
    case LIST_POCO_ACTIVITIES: PocoActivityPhotos(state, albumIndex); break;
    default: break;  // no reader: nothing is queued
  }
}

}  // namespace

SiteReaders PocoReaders() { return {PocoListing, PocoPhotos}; }

}  // namespace zentrow
