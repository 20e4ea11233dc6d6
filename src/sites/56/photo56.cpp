// 56 photo albums: the album index and each album's pages go on while a page links to a
// next one. Each picture is fetched with the page it was found on as its Referer.
#include "net/http.h"
#include "sites/56/site56.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kUtf8 = net::DM_INFLATE | net::DM_UTF8;

constexpr char16_t kIndexPage[] = u"%s&page=%d";
constexpr char16_t kAlbumPagePath[] = u"/photo/album/?do=Plist&did=%s&page=%d";

// The album list lies between these two; every album is a list item.
constexpr char16_t kAlbumListStart[] = u"class=\"album_list";
constexpr char16_t kAlbumListEnd[] = u"</ul>";
constexpr char16_t kAlbumMarker[] = u"<li";
constexpr char16_t kPictureMarker[] = u"class=\"img\"";
// Next-page links of the index and of an album page.
constexpr char16_t kIndexNext[] = u"下一页</a>";
constexpr char16_t kAlbumNext[] = u"\">下一页</a>";

// One album of the index (the text after "<li"); false when it has no name.
bool ReadAlbum(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  Cutter cut(segment);
  record.listAddress = cut.Take(u"chackAlbum('", u"'");  // the album id
  record.coverAddress = cut.Take(u"src=\"", u"\"");
  record.name = cut.Take(u"title=\"", u"\"");
  record.count = cut.TakeInt(u"140\">", u"<");  // 0 when the entry shows none
  return !record.name.empty();
}

}  // namespace

void Site56Albums(MainState& state, const Text& indexAddress) {
  PageSession session(kHeaders);
  PagedWalk walk;
  ST_PERLISTRECORD record;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, Fill(kIndexPage, {indexAddress, NumberText(walk.Page() + 1)}), page, kUtf8);
       walk.NextPage()) {
    more = page.find(kIndexNext) != Text::npos;
    TextView list = page;
    DeleteThrough(list, kAlbumListStart, true);
    TruncateAt(list, kAlbumListEnd);
    const SegmentVisit visit = VisitSegments(list, kAlbumMarker, [&](TextView segment) {
      return !ReadAlbum(segment, record) || !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

void Site56Photos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true; more; walk.NextPage()) {
    const Text address = k56PhotoHost + Fill(kAlbumPagePath, {album.listAddress, NumberText(walk.Page() + 1)});
    if (!walk.Fetch(session, address, page, kUtf8)) return;
    more = page.find(kAlbumNext) != Text::npos;
    const Text referer = u"Referer: " + address;
    const SegmentVisit visit = VisitSegments(page, kPictureMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text picture = cut.Take(u"src='", u"'");
      Text description = Trim(StripTags(cut.Peek(u"<label>", u"</label>")));
      if (description.empty()) description = album.name;
      return picture.empty() || !walk.Fresh(picture) || QueuePicture(state, picture, description, referer, albumIndex);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

}  // namespace zentrow
