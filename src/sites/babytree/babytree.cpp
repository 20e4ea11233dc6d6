// Babytree: the newer home pages carry the album list as JSON in a script and serve each
// album's pictures as JSON pages; the older user pages list albums and pictures in HTML,
// with a page of its own for every picture at full size.
#include <span>

#include "net/http.h"
#include "sites/babytree/babytree.h"
#include "sites/kit.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kUtf8 = net::DM_INFLATE | net::DM_UTF8;

// Nothing after these is read: the lists end before them.
constexpr char kListsEnd[] = "vertical-align:middle";
constexpr char kOldPhotosEnd[] = "vertical-align:middle;";

// ---- newer layout ----
constexpr char16_t kAlbumListPage[] = u"/%s/photo/list?pg=%d";
constexpr char16_t kAlbumListNext[] = u"\">下一页</a>";
constexpr char16_t kAlbumMarker[] = u"\"id\":\"";
constexpr char16_t kPhotoPage[] = u"%s?format=json&pg=%d";
constexpr char16_t kPhotoMarker[] = u"\"href\"";

// ---- older layout ----
constexpr char16_t kOldAlbumListPage[] = u"/user/showuser.php?uid=u%s&tab=photo&view=album_list&order=&pg=%d";
constexpr char16_t kOldPhotoPage[] = u"%s&pg=%d";
// The arrow to the next page ("&gt;" arrives decoded).
constexpr char16_t kOldNext[] = u">></a></li>";
constexpr char16_t kThumbMarker[] = u"class=\"thumb\">";

// Thumbnails and the full-size pictures they stand for. Pictures on the "foto3" path keep
// their folder; the others lie under "/photos/" in place of "/thumbs/".
constexpr char16_t kFoto3Thumbs[] = u"foto3/thumbs/";
struct SizeRewrite {
  TextView from, to;
};
constexpr SizeRewrite kFoto3Rewrites[] = {{u"_sm.", u"_nb."}};
constexpr SizeRewrite kOtherRewrites[] = {{u"_sm.", u"_b."}, {u"/thumbs/", u"/photos/"}};

// The owner: the title up to "的相册", made a safe name.
Text OwnerOf(TextView page) {
  Text name = Cutter(page).Take(u"<title>", u"的相册");
  SafeFileName(name, SAFE_NAME_TIMESTAMP, true);
  return name;
}

// A page of an album list: every album not met before in this walk is listed. False when
// the listing is to stop.
template <typename ReadAlbum>
bool ListAlbums(MainState& state, PagedWalk& walk, TextView albums, TextView marker, ReadAlbum read) {
  const SegmentVisit visit = VisitSegments(albums, marker, [&](TextView segment) {
    const ST_PERLISTRECORD record = read(segment);
    return record.listAddress.empty() || !walk.Fresh(record.listAddress) || AddRow(state, record);
  });
  return !visit.stopped;
}

ST_PERLISTRECORD ReadAlbum(TextView segment) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  record.remarks = 0;
  record.name = UnescapeUnicode(cut.Take(u"title\":\"", u"\""));
  record.listAddress = Unslash(cut.Take(u"album_url\":\"", u"\""));
  record.count = cut.TakeInt(u"sum\":\"", u"\"");
  record.coverAddress = Unslash(cut.Take(u"cover_url\":\"", u"\""));
  return record;
}

ST_PERLISTRECORD ReadOldAlbum(TextView segment) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  record.remarks = 0;
  record.listAddress = cut.Take(u"href=\"", u"\"");
  record.coverAddress = cut.Take(u"src=\"", u"\"");
  record.name = cut.Take(u"<strong>", u"</strong>");
  record.count = cut.TakeInt(u"(", u")");
  return record;
}

}  // namespace

Text BabytreeLargePicture(TextView thumbnail) {
  Text address(thumbnail);
  const std::span<const SizeRewrite> rewrites =
      FoundAfterStart(thumbnail, kFoto3Thumbs) ? std::span<const SizeRewrite>(kFoto3Rewrites) : kOtherRewrites;
  for (const SizeRewrite& r : rewrites) ReplaceAll(address, r.from, r.to);
  return address;
}

void BabytreeAlbums(MainState& state, const Text& userId) {
  PageSession session(kHeaders);
  session.Request().endMarker = kListsEnd;
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kBabytreeHomeHost + Fill(kAlbumListPage, {userId, NumberText(walk.Page() + 1)}),
                          page, kUtf8);
       walk.NextPage()) {
    if (walk.Page() == 0) state.ownerFolder = OwnerOf(page);
    more = page.find(kAlbumListNext) != Text::npos;
    TextView albums = page;
    DeleteThrough(albums, u"album_list", true);
    TruncateAt(albums, u"</script>");
    if (!ListAlbums(state, walk, albums, kAlbumMarker, ReadAlbum) || !walk.BroughtNew()) return;
  }
}

void BabytreeOldAlbums(MainState& state, const Text& userId) {
  PageSession session(kHeaders);
  session.Request().endMarker = kListsEnd;
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kBabytreeMainHost + Fill(kOldAlbumListPage, {userId, NumberText(walk.Page() + 1)}),
                          page, kUtf8);
       walk.NextPage()) {
    if (walk.Page() == 0) state.ownerFolder = OwnerOf(page);
    more = page.find(kOldNext) != Text::npos;
    if (!ListAlbums(state, walk, page, kThumbMarker, ReadOldAlbum) || !walk.BroughtNew()) return;
  }
}

void BabytreePhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  Text data = album.listAddress;
  ReplaceAll(data, u"/album/", u"/albumAjax/");
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  while (walk.Fetch(session, Fill(kPhotoPage, {data, NumberText(walk.Page() + 1)}), page, kUtf8)) {
    const SegmentVisit visit = VisitSegments(page, kPhotoMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text address = BabytreeLargePicture(Unslash(cut.Take(u"img\":\"", u"\"")));
      const Text description = UnescapeUnicode(cut.Take(u"title\":\"", u"\""));
      return address.empty() || !walk.Fresh(address) || QueuePicture(state, address, description, Text(), albumIndex);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

void BabytreeOldPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  const Text listAddress = OnHost(kBabytreeMainHost, album.listAddress);
  PageSession session(kHeaders);
  session.Request().endMarker = kOldPhotosEnd;
  PagedWalk walk;
  Text page, picturePage;
  for (bool more = true;
       more && walk.Fetch(session, Fill(kOldPhotoPage, {listAddress, NumberText(walk.Page() + 1)}), page, kUtf8);
       walk.NextPage()) {
    more = page.find(kOldNext) != Text::npos;
    const SegmentVisit visit = VisitSegments(page, kThumbMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text link = cut.Take(u"href=\"", u"\"");
      const Text thumbnail = cut.Take(u"src=\"", u"\"");
      const Text description = cut.Take(u"alt=\"", u"\"");
      if (link.empty() && thumbnail.empty()) return true;
      // The picture's own page shows it at full size; without one the thumbnail serves.
      Text pictureAddress = OnHost(kBabytreeMainHost, link);
      ReplaceAll(pictureAddress, u"#detail", u"&show=big");
      if (!walk.Fresh(link.empty() ? thumbnail : pictureAddress)) return true;
      Text address;
      if (!link.empty() && session.Get(pictureAddress, picturePage, kUtf8))
        address = Cutter(picturePage).Take(u"src=\"", u"\"");
      if (address.empty()) address = thumbnail;
      return address.empty() || QueuePicture(state, address, description, Text(), albumIndex);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

}  // namespace zentrow
