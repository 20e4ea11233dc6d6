// PConline: a user's albums from the list pages, and every picture of an album from the
// album's one page.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/pconline/pconline.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kUtf8 = net::DM_INFLATE | net::DM_UTF8;

constexpr char16_t kPagePart[] = u"_p%d_";
constexpr char16_t kNextPage[] = u">下一页</a>";
constexpr char16_t kAlbumMarker[] = u"class=\"picbox";

// Nothing after the pictures is read.
constexpr char kPicturesEnd[] = "class=\"artOutWrap";
constexpr char16_t kPictureMarker[] = u"class=\"picture";
constexpr char16_t kPictureDescription[] = u"%s (%d)";

// The owner: the title between "】" and "_太平洋", else the user part of the list address;
// made a safe name.
Text OwnerOf(TextView page, TextView listAddress) {
  Text name = Cutter(page).Take(u"】", u"_太平洋");
  if (name.empty()) {
    TextView user = listAddress;
    DeleteThrough(user, u"cn/", true);
    TruncateAt(user, u"/");
    name = user;
  }
  SafeFileName(name, SAFE_NAME_TIMESTAMP, true);
  return name;
}

ST_PERLISTRECORD ReadAlbum(TextView segment) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  record.remarks = 0;
  record.count = -1;  // the list does not tell
  const Text link = cut.Take(u"href=\"", u"\"");
  if (!link.empty()) {
    // The album's page "…/photo/123.html" shows its pictures as "…/photo/list_123.html".
    record.listAddress = OnHost(kPconlinePhotoHost, link);
    ReplaceAll(record.listAddress, u"photo/", u"photo/list_");
  }
  record.name = cut.Take(u"title=\"", u"\"");
  record.coverAddress = cut.Take(u"src=\"", u"\"");
  return record;
}

}  // namespace

void PconlineAlbums(MainState& state, const Text& listAddress) {
  // Without the slot every page number would name the same address: one page is read.
  const bool paged = listAddress.find(kPconlinePageSlot) != Text::npos;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true; more; walk.NextPage()) {
    Text address = listAddress;
    ReplaceAll(address, kPconlinePageSlot, Fill(kPagePart, {NumberText(walk.Page() + 1)}));
    if (!walk.Fetch(session, address, page, kUtf8)) return;
    if (walk.Page() == 0) state.ownerFolder = OwnerOf(page, listAddress);
    more = paged && page.find(kNextPage) != Text::npos;
    const SegmentVisit visit = VisitSegments(page, kAlbumMarker, [&](TextView segment) {
      const ST_PERLISTRECORD record = ReadAlbum(segment);
      return record.listAddress.empty() || !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
  }
}

void PconlinePhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  session.Request().endMarker = kPicturesEnd;
  Text page;
  if (!session.Get(album.listAddress, page, kUtf8)) return;
  SeenKeys pictures;
  int number = 0;
  VisitSegments(page, kPictureMarker, [&](TextView segment) {
    Text address = Cutter(segment).Take(u"src=\"", u"\"");
    ReplaceAll(address, u"_mthumb", u"");
    if (address.empty() || !pictures.Add(address)) return true;
    return QueuePicture(state, address, Fill(kPictureDescription, {album.name, NumberText(++number)}), Text(),
                        albumIndex);
  });
}

}  // namespace zentrow
