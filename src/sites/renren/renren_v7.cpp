// Renren V7 pages: a user's album list (one script object holding every album), a single
// album's page, and an album's photos 40 a page.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/renren/renren.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;

constexpr char16_t kAlbumListPath[] = u"/photo/%s/albumlist/v7?showAll=1#";
constexpr char16_t kListAddressPath[] = u"/photo/%s/album-%s/";
// Appended to a list address (which ends with "/").
constexpr char16_t kPhotoPagePath[] = u"bypage/ajax/v7?page=%d&pageSize=40";

constexpr char16_t kTitleStart[] = u"<title>人人网 - ";
constexpr char16_t kAlbumsOf[] = u"的相册";
constexpr char16_t kAlbumListStart[] = u"'albumList'";
constexpr char16_t kAlbumMarker[] = u"\"cover\"";
// "sourceControl" 4: only who knows the password sees the album.
constexpr char16_t kPasswordControl[] = u"sourceControl\":4,";
constexpr char16_t kPhotoMarker[] = u"\"position\":";

// A single album's page names the viewer's own home "我的主页" in its navigation; the
// owner is then the user named in the page's script.
constexpr char16_t kOwnHome[] = u"我的主页";
// A text this long in the place of an album name means the page is no album page.
constexpr size_t kLongestName = 300;

// One album of the list (the text after "\"cover\""); its fields come in this order.
ST_PERLISTRECORD ReadAlbum(TextView segment, const Text& userId, Text& albumId) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  record.coverAddress = Unslash(cut.Take(u"\"", u"\""));
  record.name = UnescapeUnicode(cut.Take(u"albumName\":\"", u"\""));
  albumId = cut.Take(u"albumId\":\"", u"\"");
  record.listAddress = kRenrenPhotoHost + Fill(kListAddressPath, {userId, albumId});
  record.remarks = FoundAfterStart(cut.Rest(), kPasswordControl) ? REMARK_PASSWORD : 0;
  record.count = static_cast<int32_t>(ParseUnsigned(cut.Take(u"photoCount\":", u",")));
  return record;
}

}  // namespace

void RenrenV7Albums(MainState& state, const Text& userId) {
  PageSession session(kRenrenHeaders);
  Text page;
  if (!session.Get(kRenrenPhotoHost + Fill(kAlbumListPath, {userId}), page, kDecode)) return;
  TextView text = page;
  state.ownerFolder = CutBetween(text, kTitleStart, u"</title>", CUT_ADVANCE);
  TruncateAt(state.ownerFolder, kAlbumsOf);
  DeleteThrough(text, kAlbumListStart, true);
  TruncateAt(text, u"</script>");

  SeenKeys albums;
  VisitSegments(text, kAlbumMarker, [&](TextView segment) {
    Text albumId;
    const ST_PERLISTRECORD record = ReadAlbum(segment, userId, albumId);
    // An entry without an album id is no album; one met before is listed already.
    if (albumId.empty() || !albums.Add(albumId)) return true;
    return AddRow(state, record);
  });
}

void RenrenV7Album(MainState& state, const Text& address) {
  PageSession session(kRenrenHeaders);
  Text page;
  if (!session.Get(address, page, kDecode)) return;
  Cutter cut(page);
  const Text userName = cut.Take(u"name : \"", u"\"");
  ST_PERLISTRECORD record;
  record.name = cut.Take(u"albumName':'", u"'");
  // A page without an album name (a login page, say) is no album.
  if (record.name.empty() || record.name.size() > kLongestName) return;
  record.listAddress = address.substr(0, address.find(u"/v7") + 1);
  record.count = static_cast<int32_t>(ParseUnsigned(cut.Take(u"photoCount':", u",")));
  record.remarks = 0;
  AddRow(state, record);

  TextView navigation = page;
  DeleteThrough(navigation, u"fd-nav-item", true);
  Text owner = StripTags(CutBetween(navigation, u"/profile\">", u"</", CUT_ADVANCE));
  state.ownerFolder = owner == kOwnHome ? userName : owner;
}

void RenrenV7Photos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  // The answer does not matter here: a No still reads what the album shows.
  if (album.remarks & REMARK_PASSWORD) AskLogin(state, kRenrenPasswordQuestion, album.listAddress);

  PageSession session(kRenrenHeaders);
  const Text referer = u"Referer: " + album.listAddress;
  PagedWalk walk;
  Text page;
  while (walk.Fetch(session, RenrenJoin(album.listAddress, Fill(kPhotoPagePath, {NumberText(walk.Page() + 1)})),
                    page, kDecode)) {
    const SegmentVisit photos = VisitSegments(page, kPhotoMarker, [&](TextView segment) {
      const Text address = Unslash(Cutter(segment).Take(u"url\":\"", u"\""));
      if (address.empty() || !walk.Fresh(address)) return true;
      // Pictures are numbered in queue order: 1, 2, 3, ...
      const Text number = NumberText(static_cast<long long>(state.queue.items.size()) + 1);
      return QueuePicture(state, address, number, referer, albumIndex);
    });
    if (photos.markers == 0 || photos.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
