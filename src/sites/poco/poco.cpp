// POCO: a user's photo albums and activity works. Album lists, activity lists and album
// pages go on while a page links to a next one; a work is one page. Pages are GBK.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/poco/poco.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kGbk = net::DM_INFLATE;  // no charset bit: the GBK code page

constexpr char16_t kAlbumListPath[] = u"/album/album_show_all.htx&user_id=%s&p=%d";
constexpr char16_t kAlbumAddressPath[] = u"/album/album_show_photo_list.php?user_id=%s&set_hash=%s";
constexpr char16_t kAlbumPage[] = u"%s&do=Plist&p=%d";
constexpr char16_t kActivityPage[] = u"%s&p=%d";

// Every page but the last links to the next one so.
constexpr char16_t kNextPage[] = u"title=\"下一页\">";
// Albums on the album list and pictures on an album page; works on an activity list.
constexpr char16_t kBoxMarker[] = u"class=\"img_box\">";
constexpr char16_t kWorkMarker[] = u"class=\"title\">";
// A password album's first quoted value carries this after its first character.
constexpr char16_t kPasswordSign[] = u"pwd";
// Album pictures are listed as thumbnails; the name without this is the picture itself.
constexpr char16_t kThumbnailSuffix[] = u"_165.";
// A work's pictures: the originals, or on pages that give none, the pictures shown.
constexpr char16_t kOriginalMarker[] = u"originPhoto:'";
constexpr char16_t kShownMarker[] = u"src='";

bool HasNextPage(TextView page) { return page.find(kNextPage) != TextView::npos; }

// The first list page names its owner: the download folder.
void ReadOwner(MainState& state, TextView page) {
  state.ownerFolder = Cutter(page).Take(u"userName:'", u"'");
  SafeFileName(state.ownerFolder, SAFE_NAME_TIMESTAMP, true);
}

// One album of the album list (the text after an image box); false when it has no name.
bool ReadAlbum(TextView segment, const Text& userId, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.count = -1;
  Cutter cut(segment);
  record.remarks = FoundAfterStart(cut.Take(u"'", u"'"), kPasswordSign) ? REMARK_PASSWORD : 0;
  const Text hash = cut.Take(u", '", u"'");
  record.listAddress = kPocoHost + Fill(kAlbumAddressPath, {userId, hash});
  record.coverAddress = cut.Take(u"src=\"", u"\"");
  record.name = cut.Take(u"title=\"", u"\"");
  return !record.name.empty();
}

// One work of an activity list (the text after a title mark); false when it has no name.
bool ReadWork(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.count = -1;
  record.remarks = 0;
  Cutter cut(segment);
  record.listAddress = cut.Take(u"href=\"", u"\"");
  record.name = cut.Take(u">", u"</");
  return !record.name.empty();
}

// Both listings: page after page while a page links to the next one, each new entry
// delivered once. `pageTemplate` is filled with `pageValue` and the page number.
void ListPages(MainState& state, const Text& pageTemplate, const Text& pageValue, TextView marker,
               const std::function<bool(TextView, ST_PERLISTRECORD&)>& read) {
  PageSession session(kHeaders);
  PagedWalk walk;
  ST_PERLISTRECORD record;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, Fill(pageTemplate, {pageValue, NumberText(walk.Page() + 1)}), page, kGbk);
       walk.NextPage()) {
    more = HasNextPage(page);
    if (walk.Page() == 0) ReadOwner(state, page);
    const SegmentVisit visit = VisitSegments(page, marker, [&](TextView segment) {
      return !read(segment, record) || !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

}  // namespace

void PocoAlbums(MainState& state, const Text& userId) {
  ListPages(state, kPocoHost + Text(kAlbumListPath), userId, kBoxMarker,
            [&](TextView segment, ST_PERLISTRECORD& record) { return ReadAlbum(segment, userId, record); });
}

void PocoActivities(MainState& state, const Text& listAddress) {
  ListPages(state, kActivityPage, listAddress, kWorkMarker, ReadWork);
}

void PocoAlbumPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, Fill(kAlbumPage, {album.listAddress, NumberText(walk.Page() + 1)}), page, kGbk);
       walk.NextPage()) {
    more = HasNextPage(page);
    const SegmentVisit visit = VisitSegments(page, kBoxMarker, [&](TextView segment) {
      Cutter cut(segment);
      Text address = cut.Take(u"src=\"", u"\"");
      ReplaceAll(address, kThumbnailSuffix, u".");
      Text description = Trim(cut.Take(u"title=\"", u"\""));
      if (description.empty()) description = album.name;
      return address.empty() || !walk.Fresh(address) || QueuePicture(state, address, description, Text(), albumIndex);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

void PocoActivityPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(album.listAddress, page, kGbk)) return;
  const TextView marker = CountOf(page, kOriginalMarker) < 1 ? kShownMarker : kOriginalMarker;
  SeenKeys queued;
  VisitSegments(page, marker, [&](TextView segment) {
    const Text address = TextBefore(segment, u"'");
    return address.empty() || !queued.Add(address) || QueuePicture(state, address, album.name, Text(), albumIndex);
  });
}

}  // namespace zentrow
