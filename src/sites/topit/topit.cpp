// Topit: the albums of one user, page after page, and the pictures of each album in their
// full size, the large size standing in when the full size is missing.
#include "sites/topit/topit.h"

#include "net/http.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;

constexpr char16_t kAlbumsPage[] = u"%s/albums?p=%d";
constexpr char16_t kAlbumMarker[] = u"class=\"albumlist\"";
// The album's pictures are shown by the "broad" view, page by page.
constexpr char16_t kPhotosPage[] = u"%s&p=%d";
constexpr char16_t kPhotoMarker[] = u"<img class=\"img";
// A page that links to a next page is not the last one.
constexpr char16_t kNextPage[] = u"id=\"page-next";

// A picture address tells its size by one letter: a folder right after a ".com" host
// ("…com/m/…"), or the end of the file name ("…/1129591398m.jpg"). The page shows
// thumbnails ("t"), small ("s") or middle ("m") pictures; "o" is the original, "l" the
// large size. Folder marks are looked for first, each in this order.
constexpr char16_t kFolderSizes[] = u"tms";
constexpr char16_t kNameSizes[] = u"tsm";
constexpr char16_t kFullSize = u'o';
constexpr char16_t kLargeSize = u'l';
constexpr char16_t kPictureType[] = u".jpg";

bool IsOneOf(char16_t c, TextView letters) { return letters.find(c) != TextView::npos; }

// Where the size letter of a picture address stands; npos when it shows none at its place.
size_t SizeLetter(TextView address) {
  const size_t scheme = address.find(u"://");
  const size_t hostStart = scheme == TextView::npos ? 0 : scheme + 3;
  const size_t pathStart = address.find(u'/', hostStart);
  if (pathStart == TextView::npos) return TextView::npos;
  const TextView host = address.substr(hostStart, pathStart - hostStart);
  if (host.ends_with(u"com") && pathStart + 2 < address.size() && address[pathStart + 2] == u'/' &&
      IsOneOf(address[pathStart + 1], kFolderSizes))
    return pathStart + 1;

  const TextView path = address.substr(0, address.find(u'?', pathStart));
  const size_t nameStart = path.rfind(u'/') + 1;
  const TextView name = path.substr(nameStart);
  const TextView type = kPictureType;
  if (name.size() <= type.size() || !name.ends_with(type)) return TextView::npos;
  const size_t letter = name.size() - type.size() - 1;
  return IsOneOf(name[letter], kNameSizes) ? nameStart + letter : TextView::npos;
}

// "…/album/<id>" is shown by "…/broad?type=album&id=<id>&p=<page>".
Text PhotosPage(const Text& listAddress, int page) {
  Text address = Fill(kPhotosPage, {listAddress, NumberText(page)});
  ReplaceAll(address, u"/album/", u"/broad?type=album&id=");
  return address;
}

}  // namespace

Text TopitPictureEntry(const Text& address) {
  const size_t letter = SizeLetter(address);
  if (letter == TextView::npos) return address + u"\r\n" + address;
  Text full = address, large = address;
  full[letter] = kFullSize;
  large[letter] = kLargeSize;
  return full + u"\r\n" + large;
}

void TopitAlbums(MainState& state, const Text& userBase) {
  PageSession session;
  PagedWalk walk;
  Text page;
  while (walk.Fetch(session, Fill(kAlbumsPage, {userBase, NumberText(walk.Page() + 1)}), page, kDecode)) {
    if (walk.Page() == 0) {
      // <meta name="description" content="<owner> 专辑">
      TextView head = page;
      DeleteThrough(head, u"name=", true);
      state.ownerFolder = StripTags(CutBetween(head, u"content=\"", u" 专辑\"", CUT_ADVANCE));
    }
    const SegmentVisit albums = VisitSegments(page, kAlbumMarker, [&](TextView segment) {
      Cutter cut(segment);
      ST_PERLISTRECORD record;
      record.remarks = 0;
      record.listAddress = cut.Take(u"href=\"", u"\"");
      record.coverAddress = cut.Take(u"src=\"", u"\"");
      cut.Skip(u"albumlist_blk\"");
      record.name = cut.Take(u"\">", u"</");
      record.count = static_cast<int32_t>(ParseUnsigned(cut.Take(u"<span> ( ", u"张")));
      if (record.listAddress.empty() || !walk.Fresh(record.listAddress)) return true;
      return AddRow(state, record);
    });
    if (albums.stopped || !walk.BroughtNew() || page.find(kNextPage) == Text::npos) return;
    walk.NextPage();
  }
}

void TopitPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session;
  PagedWalk walk;
  Text page;
  while (walk.Fetch(session, PhotosPage(album.listAddress, walk.Page() + 1), page, kDecode)) {
    // The album's pictures stand between its comment link and the page footer.
    TextView pictures = page;
    DeleteThrough(pictures, u"/comments\">", true);
    TruncateAt(pictures, u"id=\"footer");
    const SegmentVisit photos = VisitSegments(pictures, kPhotoMarker, [&](TextView segment) {
      Cutter cut(segment);
      Text description = cut.Take(u"title=\"", u"\"");
      Text address = cut.Take(u"original=\"", u"\"");
      if (description.empty()) description = cut.Take(u"alt=\"", u"\"");
      if (address.empty()) address = cut.Take(u"src=\"", u"\"");
      if (address.empty() || !walk.Fresh(address)) return true;
      return QueuePicture(state, TopitPictureEntry(address), description, Text(), albumIndex);
    });
    if (photos.stopped || !walk.BroughtNew() || page.find(kNextPage) == Text::npos) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
