// Renren classic pages: a user's albums (40 a page, or all in one answer), a public page's
// albums, a single album's page; and the two older photo readers: all photos of an album
// in one paged answer (each looked up in its big size), and the photo viewer's lists,
// followed from link to link.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/renren/renren.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;

// ---- albums ----

constexpr char16_t kFirstAlbumsPath[] = u"/photo/%s/album/relatives?curpage=%d";
constexpr char16_t kMoreAlbumsPath[] = u"/photo/%s/album/relatives/ajax?offset=%d&limit=%d";
constexpr int kAlbumsPerPage = 40;
// When the first page is not of the expected layout, every album in one answer.
constexpr char16_t kAllAlbumsPath[] = u"/photo/%s/ajax?__view=async-html&offset=0&limit=500";
constexpr char16_t kAlbumListEnd[] = u"first-page clearfix";
constexpr char16_t kAlbumMarker[] = u"<li>";

constexpr char16_t kPageAlbumsPath[] = u"/%s/album?curpage=%d";
constexpr char16_t kPageAlbumMarker[] = u"class=\"picitem";
constexpr char16_t kNextPage[] = u"\">下一页</a>";

constexpr char16_t kTitleStart[] = u"<title>人人网 - ";
constexpr char16_t kAlbumsOf[] = u"的相册";

// The album-name cell of a user's album list marks the special albums by a class; their
// rows carry these names.
struct SpecialAlbum {
  TextView mark;
  TextView name;
  int32_t remarks;
};
constexpr SpecialAlbum kSpecialAlbums[] = {
    {u"class=\"userhead\"", u"头像相册", 0},
    {u"class=\"phone", u"手机相册", 0},
    {u"class=\"password", u"加密相册", REMARK_PASSWORD},
};

// A single album's page shows the viewer's own albums as "我的相册"; the owner is then
// the guest name the page keeps.
constexpr char16_t kOwnAlbums[] = u"我的相册";

// ---- album pages and photos ----

constexpr char16_t kAlbumInfo[] = u"class=\"ablum-infor\">";
// A text this long in the place of an album name means the page is no album page.
constexpr size_t kLongestName = 300;

constexpr char16_t kPagedPhotosPath[] = u"bypage/ajax?curPage=%d&pagenum=65535";
constexpr char16_t kBigPhotoPath[] = u"photo-%s/large?xtype=album";
constexpr char16_t kBigPhotoBox[] = u"class=\"photoes-box\">";
constexpr char16_t kPhotoMarker[] = u"\"position\":";
// Pictures whose address says so are of full size already.
constexpr TextView kFullSizeMarks[] = {u"original_", u"xlarge_"};

constexpr char16_t kViewerLink[] = u"data-info=\"{album:'";
constexpr char16_t kViewerList[] = u"\"list\":";
// Positions from here on are no photos of the album.
constexpr int32_t kLastPosition = 6553500;

int32_t ReadCount(TextView text) { return static_cast<int32_t>(ParseUnsigned(text)); }

// The owner as a page title names it: "人人网 - <owner>的相册".
Text OwnerFromTitle(Cutter& cut, TextView titleStart) {
  Text owner = cut.Take(titleStart, u"</title>");
  TruncateAt(owner, kAlbumsOf);
  return owner;
}

// One album of a user's list (the text after "<li>").
ST_PERLISTRECORD ReadUserAlbum(TextView segment) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  record.remarks = 0;
  record.listAddress = cut.Take(u"href=\"", u"\"");
  record.coverAddress = cut.Take(u"data-src=\"", u"\"");
  record.count = ReadCount(cut.Take(u"photo-num\">", u"</div>"));
  Text name = cut.Take(u"album-name\">", u"</span>");
  for (const SpecialAlbum& special : kSpecialAlbums) {
    if (!FoundAfterStart(name, special.mark)) continue;
    name = special.name;
    record.remarks = special.remarks;
    break;
  }
  record.name = StripTags(name);
  return record;
}

// One album of a public page (the text after "class=\"picitem").
ST_PERLISTRECORD ReadPageAlbum(TextView segment) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  record.remarks = 0;
  // "/<page>/album/<id>" is shown by the photo host as "/photo/<page>/album-<id>/".
  record.listAddress = kRenrenPhotoHost + Text(u"/photo") + cut.Take(u"href=\"", u"\"") + u"/";
  ReplaceAll(record.listAddress, u"/album/", u"/album-");
  record.coverAddress = cut.Take(u"data-src=\"", u"\"");
  record.name = StripTags(cut.Take(u"\"/>", u"</"));
  record.count = ReadCount(cut.Take(u"piccount\">", u"张"));
  return record;
}

// A list page's albums; a page that adds none not listed before ends the walk.
// Returns whether to go on, and leaves in `markers` the number of album marks.
bool AddAlbums(MainState& state, PagedWalk& walk, TextView list, TextView marker,
               ST_PERLISTRECORD (*read)(TextView), int& markers) {
  const SegmentVisit albums = VisitSegments(list, marker, [&](TextView segment) {
    const ST_PERLISTRECORD record = read(segment);
    if (record.listAddress.empty() || !walk.Fresh(record.listAddress)) return true;
    return AddRow(state, record);
  });
  markers = albums.markers;
  return !albums.stopped && walk.BroughtNew();
}

// The album's page names the album after "ablum-infor" (sic). The name replaces the
// listed one (and so names the album's folder) only when the page really names it.
void TakeNameFromPage(MainState& state, int albumIndex, Cutter& cut, ST_PERLISTRECORD& album) {
  if (!cut.Skip(kAlbumInfo) || cut.Rest().find(u"<h1>") == TextView::npos) return;
  const Text name = StripTags(cut.Take(u"<h1>", u"<span"));
  if (name.empty() || name.size() >= kLongestName) return;
  album.name = state.albums.Rename(albumIndex, name);
}

// The password question of the older readers: No skips the album; Yes opens the album's
// password page in the login window first.
bool PasswordAnswered(MainState& state, const ST_PERLISTRECORD& album) {
  if (!(album.remarks & REMARK_PASSWORD)) return true;
  return AskLogin(state, kRenrenPasswordQuestion, RenrenJoin(album.listAddress, u"private"));
}

bool IsFullSize(TextView address) {
  for (TextView mark : kFullSizeMarks)
    if (address.find(mark) != TextView::npos) return true;
  return false;
}

// The big picture of a photo, from its own page under the owner's folder; the large
// address when that page cannot tell.
Text BigPicture(PageSession& session, const Text& ownerFolder, const Text& photoId, const Text& large) {
  Text page;
  if (photoId.empty() || !session.Get(RenrenJoin(ownerFolder, Fill(kBigPhotoPath, {photoId})), page, kDecode) ||
      !FoundAfterStart(page, kBigPhotoBox))
    return large;
  TextView box = page;
  box.remove_prefix(page.rfind(kBigPhotoBox) + TextView(kBigPhotoBox).size());
  Text big = CutBetween(box, u"src=\"", u"\"", CUT_ADVANCE);
  return big.empty() ? large : big;
}

}  // namespace

Text RenrenJoin(const Text& base, TextView path) {
  Text joined = base;
  while (!joined.empty() && joined.back() == u'/') joined.pop_back();
  while (!path.empty() && path.front() == u'/') path.remove_prefix(1);
  return joined + u"/" + Text(path);
}

// ---- albums ----

void RenrenClassicAlbums(MainState& state, const Text& userId) {
  PageSession session(kRenrenHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true; more; walk.NextPage()) {
    const int k = walk.Page();
    const Text address =
        kRenrenPhotoHost + (k == 0 ? Fill(kFirstAlbumsPath, {userId, u"1"})
                                   : Fill(kMoreAlbumsPath, {userId, NumberText(k * kAlbumsPerPage),
                                                            NumberText(kAlbumsPerPage)}));
    if (!walk.Fetch(session, address, page, kDecode)) return;
    if (k == 0) {
      Cutter cut(page);
      state.ownerFolder = OwnerFromTitle(cut, kTitleStart);
      if (page.find(kAlbumListEnd) == Text::npos) {
        // This one answer holds every album.
        if (!session.Get(kRenrenPhotoHost + Fill(kAllAlbumsPath, {userId}), page, kDecode) ||
            page.find(kAlbumListEnd) == Text::npos)
          return;
        more = false;
      }
    }
    TextView list = page;
    DeleteThrough(list, u"class=\"album-list", true);
    DeleteThrough(list, u"<ul", true);
    TruncateAt(list, kAlbumListEnd);
    int markers = 0;
    if (!AddAlbums(state, walk, list, kAlbumMarker, ReadUserAlbum, markers)) return;
    if (markers == 0) more = false;
  }
}

void RenrenClassicAlbum(MainState& state, const Text& address) {
  PageSession session(kRenrenHeaders);
  Text page;
  if (!session.Get(address, page, kDecode)) return;
  Cutter cut(page);
  {
    const Text tabs = cut.Peek(u"class=\"nav-tabs\">", u"</ul>");
    Cutter tab(tabs);
    Text owner = StripTags(tab.Take(u"<li>", u"</li>"));
    if (owner == kOwnAlbums) owner = cut.Peek(u"guestName\" value=\"", u"\"");
    state.ownerFolder = owner;
  }
  cut.Skip(kAlbumInfo);
  const Text name = cut.Take(u"<h1>", u"<span");
  // A page without an album name (a login page, say) is no album.
  if (name.empty() || name.size() > kLongestName) return;
  ST_PERLISTRECORD record;
  record.name = StripTags(name);
  record.listAddress = address;
  record.count = ReadCount(cut.Take(u"\">(", u"张"));
  record.remarks = 0;
  AddRow(state, record);
}

void RenrenPageAlbums(MainState& state, const Text& pageId) {
  PageSession session(kRenrenHeaders);
  const Text host = Text(u"http://") + kRenrenPageHost;
  PagedWalk walk;
  Text page;
  for (bool more = true; more; walk.NextPage()) {
    if (!walk.Fetch(session, host + Fill(kPageAlbumsPath, {pageId, NumberText(walk.Page())}), page, kDecode)) return;
    if (walk.Page() == 0) {
      Cutter cut(page);
      state.ownerFolder = OwnerFromTitle(cut, u"<title>");
    }
    more = page.find(kNextPage) != Text::npos;
    int markers = 0;
    if (!AddAlbums(state, walk, page, kPageAlbumMarker, ReadPageAlbum, markers)) return;
    // A page of one album is the last, whatever it links to.
    if (markers <= 1) more = false;
  }
}

// ---- photos ----

void RenrenPagedPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album) || !PasswordAnswered(state, album)) return;
  PageSession session(kRenrenHeaders);
  Text page;
  if (session.Get(album.listAddress, page, kDecode)) {
    Cutter cut(page);
    TakeNameFromPage(state, albumIndex, cut, album);
  }
  const Text albumAddress = TextBefore(album.listAddress + u"?", u"?");
  // Photo pages lie in the owner's folder, beside the album.
  const Text ownerFolder = TextBefore(albumAddress + u"/album-", u"/album-");

  PagedWalk walk;
  while (walk.Fetch(session, RenrenJoin(albumAddress, Fill(kPagedPhotosPath, {NumberText(walk.Page())})), page,
                    kDecode)) {
    const Text referer = u"Referer: " + session.Request().address;
    const SegmentVisit photos = VisitSegments(page, kPhotoMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text large = Unslash(cut.Take(u"\"largeUrl\":\"", u"\""));
      Text description = UnescapeUnicode(cut.Take(u"\"title\":\"", u"\""));
      if (description.empty()) description = album.name;
      if (large.empty() || !walk.Fresh(large)) return true;
      const Text address =
          IsFullSize(large) ? large : BigPicture(session, ownerFolder, cut.Peek(u"\"photoId\":\"", u"\""), large);
      return QueuePicture(state, address, description, referer, albumIndex);
    });
    if (photos.markers == 0 || photos.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

void RenrenListPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album) || !PasswordAnswered(state, album)) return;
  PageSession session(kRenrenHeaders);
  Text page;
  if (!session.Get(album.listAddress, page, kDecode)) return;
  Text link;
  {
    Cutter cut(page);
    TakeNameFromPage(state, albumIndex, cut, album);
    cut.Skip(kViewerLink);
    link = cut.Take(u"href=\"", u"\"");
  }

  // Each list leads on by the link of its last photo. A link followed before, or a list
  // that brings no photo not queued before, ends the album.
  SeenKeys links;
  PagedWalk walk;
  while (!link.empty() && links.Add(link) && walk.Fetch(session, link, page, kDecode)) {
    const Text referer = u"Referer: " + link;
    TextView list = page;
    if (DeleteThrough(list, kViewerList, true) < 0) return;
    Text next;
    const SegmentVisit photos = VisitSegments(list, kPhotoMarker, [&](TextView segment) {
      if (ReadInt(TextBefore(segment, u",")) >= kLastPosition) return true;
      Cutter cut(segment);
      Text description = UnescapeUnicode(cut.Take(u"\"originTitle\":\"", u"\""));
      if (description.empty()) description = album.name;
      const Text large = cut.Take(u"\"largeurl\":\"", u"\"");
      next = Unslash(cut.Take(u"\"link\":\"", u"\""));
      Text address = cut.Take(u"\"xLargeUrl\":\"", u"\"");
      address = Unslash(address.empty() ? large : address);
      if (address.empty() || !walk.Fresh(address)) return true;
      return QueuePicture(state, address, description, referer, albumIndex);
    });
    if (photos.markers == 0 || photos.stopped || !walk.BroughtNew()) return;
    link = std::move(next);
    walk.NextPage();
  }
}

}  // namespace zentrow
