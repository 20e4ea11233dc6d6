// PChome photo albums: the album list and each album are pages numbered after "*" in the
// address that go on while a page links to a next one. Pages are Big5.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/pchome/pchome.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kBig5 = net::DM_INFLATE | net::DM_BIG5;

constexpr char16_t kAlbumListPath[] = u"/%s*%d";
constexpr char16_t kAlbumPagePath[] = u"%s*%d";  // the album link is a path
constexpr char16_t kPicturePagePath[] = u"/%s/%s";  // user name, picture key

constexpr char16_t kNextPage[] = u"\">下一頁>";
// The albums stand before this section of the list page.
constexpr char16_t kAlbumsEnd[] = u"MainListSection";
constexpr char16_t kAlbumMarker[] = u"class=\"MarkSet\"";
// The pictures of an album page stand between these two.
constexpr char16_t kPicturesStart[] = u"PhotoList";
constexpr char16_t kPicturesEnd[] = u"PageInfo";
constexpr char16_t kPictureMarker[] = u"Icon:'";

bool HasNextPage(TextView page) { return page.find(kNextPage) != TextView::npos; }

// One album of the list (the text after its mark).
void ReadAlbum(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  Cutter cut(segment);
  record.listAddress = cut.Take(u"href=\"", u"\"");
  const Text cover = cut.Take(u"Img[", u"]");
  record.coverAddress = cover.empty() ? Text() : kPchomePhotoHost + cover;
  record.name = cut.Take(u"<span>", u"</span>");
  record.count = cut.TakeInt(u"共", u"張");
}

// The picture behind a thumbnail path: the "s" the thumbnail's file name carries right
// before its extension removed ("…/0001s.jpg" is "…/0001.jpg"); folders keep their names.
Text FullSizePicture(TextView thumbnailPath) {
  Text address = Text(kPchomePhotoHost) + u"/" + Text(thumbnailPath);
  const size_t slash = address.rfind(u'/');
  const size_t dot = address.rfind(u'.');
  if (dot != Text::npos && dot > slash + 2 && address[dot - 1] == u's') address.erase(dot - 1, 1);
  return address;
}

}  // namespace

void PchomeAlbums(MainState& state, const Text& user) {
  state.userIdText = user;
  PageSession session(kHeaders);
  PagedWalk walk;
  ST_PERLISTRECORD record;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kPchomePhotoHost + Fill(kAlbumListPath, {user, NumberText(walk.Page() + 1)}), page,
                          kBig5);
       walk.NextPage()) {
    more = HasNextPage(page);
    TextView albums = page;
    TruncateAt(albums, kAlbumsEnd);
    const SegmentVisit visit = VisitSegments(albums, kAlbumMarker, [&](TextView segment) {
      ReadAlbum(segment, record);
      return !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

void PchomePhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kPchomePhotoHost + Fill(kAlbumPagePath, {album.listAddress, NumberText(walk.Page() + 1)}),
                          page, kBig5);
       walk.NextPage()) {
    more = HasNextPage(page);
    TextView pictures = page;
    DeleteThrough(pictures, kPicturesStart, true);
    TruncateAt(pictures, kPicturesEnd);
    const SegmentVisit visit = VisitSegments(pictures, kPictureMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text path = cut.Take(u"/", u"',");
      if (path.empty()) return true;
      const Text address = FullSizePicture(path);
      // The picture is asked for as from the page that shows it.
      const Text key = cut.Take(u"PK:", u",");
      const Text referer = Text(u"Referer: ") + kPchomePhotoHost + Fill(kPicturePagePath, {state.userIdText, key});
      const Text description = cut.Take(u"DataSet[", u"]'");
      return !walk.Fresh(address) || QueuePicture(state, address, description, referer, albumIndex);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

}  // namespace zentrow
