// Hupu: a user's album list and each album's pictures, both paged, in GBK pages; or a
// single album typed by its address.
#include "net/http.h"
#include "sites/hupu/hupu.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
// The pages come in the system's code page (GBK).
constexpr unsigned kAnsi = net::DM_INFLATE;

constexpr char16_t kHupuDomain[] = u"hupu.com/";
constexpr char16_t kSingleAlbum[] = u"/photo/a";
// What the site shows in place of any page while it is being serviced.
constexpr char16_t kMaintenance[] = u"当前页面正在维护中";

constexpr char16_t kAlbumListPage[] = u"/%s/photo-%d";
constexpr char16_t kAlbumListNext[] = u"id=\"j_next";
constexpr char16_t kAlbumList[] = u"class=\"album_list";
constexpr char16_t kAlbumHeader[] = u"class=\"albumlist";

constexpr char16_t kPhotoPage[] = u"/%s-%d.html";
constexpr char16_t kPhotoNext[] = u"class=\"next";
constexpr char16_t kPhotoList[] = u"class=\"albumlist_list";

// The items of the list that follows `listMarker` (up to its "</ul>"); none when the
// page has no such list.
TextView ListItems(TextView page, TextView listMarker) {
  if (DeleteThrough(page, listMarker, true) < 0) return TextView();
  TruncateAt(page, u"</ul>");
  return page;
}

bool InMaintenance(TextView page) { return FoundAfterStart(page, kMaintenance); }

void SingleAlbum(MainState& state, PageSession& session, const Text& address) {
  Text page;
  if (!session.Get(address, page, kAnsi) || InMaintenance(page)) return;
  Cutter cut(page);
  if (!cut.Skip(kAlbumHeader)) return;  // no album on this page (a login page, say)
  ST_PERLISTRECORD record;
  record.remarks = 0;
  record.coverAddress = cut.Take(u"src=\"", u"\"");
  record.name = cut.Take(u"alt=\"", u"\"");
  record.listAddress = HupuAlbumStem(address);
  record.count = cut.TakeInt(u">共", u"张");
  AddRow(state, record);
  state.ownerFolder = HupuUser(address);
}

}  // namespace

Text HupuUser(TextView address) {
  DeleteThrough(address, kHupuDomain, true);
  for (TextView end : {u"/", u"&", u"*", u"?", u"#"}) TruncateAt(address, end);
  return Text(address);
}

Text HupuAlbumStem(TextView link) {
  DeleteThrough(link, u".com/", true);
  while (link.starts_with(u"/")) link.remove_prefix(1);
  TruncateAt(link, u".htm");
  // The page number follows the last "-"; a "-" inside the user name stays.
  const size_t dash = link.rfind(u'-');
  if (dash != TextView::npos && dash + 1 < link.size() && IsDigitsOnly(link.substr(dash + 1)))
    link = link.substr(0, dash);
  return Text(link);
}

void HupuAlbums(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  if (FoundAfterStart(address, kSingleAlbum)) {
    SingleAlbum(state, session, address);
    return;
  }
  const Text user = HupuUser(address);
  state.ownerFolder = user;
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kHupuMyHost + Fill(kAlbumListPage, {user, NumberText(walk.Page() + 1)}), page,
                          kAnsi);
       walk.NextPage()) {
    // A page being serviced ends the listing; the albums of earlier pages stay.
    if (InMaintenance(page)) return;
    more = page.find(kAlbumListNext) != Text::npos;
    const SegmentVisit visit = VisitSegments(ListItems(page, kAlbumList), u"<li", [&](TextView segment) {
      Cutter cut(segment);
      ST_PERLISTRECORD record;
      record.remarks = 0;
      record.listAddress = HupuAlbumStem(cut.Take(u"href=\"", u"\""));
      record.coverAddress = cut.Take(u"src=\"", u"\"");
      record.name = cut.Take(u"title=\"", u"\"");
      record.count = cut.TakeInt(u"(共", u"张");
      return record.listAddress.empty() || !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
  }
}

void HupuPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kHupuMyHost + Fill(kPhotoPage, {album.listAddress, NumberText(walk.Page() + 1)}),
                          page, kAnsi);
       walk.NextPage()) {
    more = page.find(kPhotoNext) != Text::npos;
    const SegmentVisit visit = VisitSegments(ListItems(page, kPhotoList), u"<li", [&](TextView segment) {
      Cutter cut(segment);
      Text address = cut.Take(u"src=\"", u"\"");
      ReplaceAll(address, u"small.", u"big.");
      const Text description = cut.Take(u"title=\"", u"\"");
      return address.empty() || !walk.Fresh(address) || QueuePicture(state, address, description, Text(), albumIndex);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
  }
}

}  // namespace zentrow
