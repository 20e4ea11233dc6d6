// Yupoo: a user's album list page by page, or one album's page; an album's pictures page
// by page in the detail style, each either through its zoom page (full size) or from its
// thumbnail address (large size). Protected albums open in the login window.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/yupoo/yupoo.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;
constexpr char16_t kEncodingHeader[] = u"Accept-Encoding: gzip, deflate";
constexpr uint8_t kAttempts = 4;
constexpr uint32_t kMinLength = 100;  // a reply of 100 characters or fewer is no page
constexpr uint32_t kPhotoConnectTimeoutMs = 15000;

// The album list lies between these two; the page title before them names the owner.
constexpr char16_t kListStart[] = u"id=\"albumsList";
constexpr char kListEnd[] = "id=\"footer\">";
constexpr char16_t kListPage[] = u"%spage%d/";
// Album entries; older list pages mark them the other way.
constexpr char16_t kAlbumMarker[] = u"class=\"set-case\">";
constexpr char16_t kOldAlbumMarker[] = u"class=\"SetCase";
// The cover of a protected album.
constexpr char16_t kProtectedCover[] = u"default_set_photo.gif";
// Relative album links lie on the host of the list.
constexpr char16_t kVHostLabel[] = u"v.yupoo";
constexpr TextView kSchemes[] = {u"http://", u"https://"};
// A single album's title longer than this is no album title.
constexpr size_t kMaxAlbumName = 300;

constexpr char16_t kPhotoPage[] = u"%spage%d/?style=detail";
constexpr char16_t kPhotoMarker[] = u"<td class=\"photo";
constexpr char16_t kVHostPhotoMarker[] = u"<td class=\"Photo";
constexpr char16_t kZoomPage[] = u"%s%s/zoom/original/";
constexpr char16_t kPasswordForm[] = u"album_password\">访问密码";
constexpr char16_t kPasswordQuestion[] = u"加密相册,是否输入密码";
constexpr char16_t kOriginalRefused[] = u"无法查看该照片的原图";
constexpr char16_t kLoginFirst[] = u"请先在登录菜单里登录你的又拍帐号,登录时勾上下次自动登录";
// Written into the album's folder.
constexpr char16_t kDescriptionFile[] = u"%s相册描述.txt";

// One session for all pages of one reader call: each page asked up to four times, short
// replies refused by the length of the text they inflate to.
void Prepare(PageSession& session, const YupooPauses& pauses) {
  net::UrlRequest& request = session.Request();
  request.attempts = kAttempts;
  request.pauseSeconds = pauses.retrySeconds;
  request.minTextLength = kMinLength;
  session.SetFetchOptions(net::FETCH_INFLATED_CHECKS);
}

Text WithReferer(const Text& address) { return Text(kEncodingHeader) + u"\r\nReferer: " + address; }

// The owner's name from the page title ("…alice的相册…"), as a folder name.
Text OwnerFromTitle(Cutter& cut, bool albumPage) {
  Text owner = cut.Take(u"<title>", u"的相册");
  if (albumPage) {  // "album - site_owner"
    DeleteThrough(owner, u"-", true);
    DeleteThrough(owner, u"_", true);
  }
  SafeFileName(owner, SAFE_NAME_TIMESTAMP, true);
  return owner;
}

// The album list of a list page: after its last start marker (up to the footer the
// client cut off already); the whole page when there is none.
TextView ListPart(TextView page) {
  const size_t at = page.rfind(kListStart);
  return at == TextView::npos ? page : page.substr(at + TextView(kListStart).size());
}

bool HasScheme(TextView address) {
  for (TextView scheme : kSchemes)
    if (address.find(scheme) != TextView::npos) return true;
  return false;
}

// One album entry of a list page; false when it links nowhere.
bool ReadAlbum(TextView segment, const Text& key, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  Cutter cut(segment);
  Text link = cut.Take(u"href=\"", u"\"");
  if (link.empty()) return false;
  record.coverAddress = cut.Take(u"src_data=\"", u"\"");
  if (record.coverAddress.empty()) record.coverAddress = cut.Take(u"src=\"", u"\"");
  // The name is the alt attribute's value, without its quote or what follows it.
  record.name = Trim(cut.Take(u"alt=\"", u"\""));
  record.count = static_cast<int32_t>(ParseUnsigned(cut.Take(u"<b>", u"</b>")));
  if (record.count == 0) record.count = static_cast<int32_t>(ParseUnsigned(cut.Take(u"<strong>", u"</strong>")));
  record.remarks = FoundAfterStart(record.coverAddress, kProtectedCover) ? REMARK_PASSWORD : 0;
  if (!HasScheme(link))
    link = Text(u"http://") + (FoundAfterStart(key, kVHostLabel) ? kYupooVHost : kYupooMainHost) + link;
  record.listAddress = std::move(link);
  return true;
}

void SingleAlbum(MainState& state, const Text& key, PageSession& session) {
  Text address = key;
  TruncateAt(address, u"?");
  Text page;
  if (!session.Get(address, page, kDecode)) return;
  Cutter cut(page);
  state.ownerFolder = OwnerFromTitle(cut, true);
  ST_PERLISTRECORD record;
  record.name = cut.Take(u"class=\"albumOwner\">", u"</span>");
  if (record.name.empty()) record.name = cut.Take(u"的相册</a> /", u"</");
  if (record.name.size() > kMaxAlbumName) return;
  record.count = static_cast<int32_t>(ParseUnsigned(cut.Take(u"(", u"张")));
  record.listAddress = address;
  record.remarks = 0;
  AddRow(state, record);
}

void ListOfAlbums(MainState& state, const Text& key, PageSession& session) {
  PagedWalk walk;
  TextView marker = kAlbumMarker;
  ST_PERLISTRECORD record;
  Text page;
  for (;;) {
    const Text address = Fill(kListPage, {key, NumberText(walk.Page() + 1)});
    session.SetHeaders(WithReferer(address));
    if (!walk.Fetch(session, address, page, kDecode)) return;
    if (walk.Page() == 0) {
      Cutter cut(page);
      state.ownerFolder = OwnerFromTitle(cut, false);
    }
    const TextView list = ListPart(page);
    if (walk.Page() == 0 && CountOf(list, kAlbumMarker) < 1) marker = kOldAlbumMarker;
    const SegmentVisit visit = VisitSegments(list, marker, [&](TextView segment) {
      // An album an earlier page listed already is not listed again.
      if (!ReadAlbum(segment, key, record) || !walk.Fresh(record.listAddress)) return true;
      return AddRow(state, record);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

// The full-size address the zoom page shows; empty when it shows none. `refused` when the
// service wants a login first.
Text ZoomPicture(PageSession& session, const Text& zoom, bool& refused) {
  session.SetHeaders(WithReferer(zoom));
  Text page;
  if (!session.Get(zoom, page, kDecode)) return Text();
  refused = page.find(kOriginalRefused) != Text::npos;
  Cutter cut(page);
  cut.Skip(u"原图");
  Text address = cut.Take(u"<img src=\"", u"\"");
  return address.find(u"http") == Text::npos ? Text() : address;
}

}  // namespace

void YupooAlbums(MainState& state, const Text& key, const YupooPauses& pauses) {
  PageSession session(Text(u"Referer: ") + kYupooHome + u"\r\n" + kEncodingHeader);
  Prepare(session, pauses);
  session.Request().endMarker = kListEnd;
  const Cutter cut(key);
  if (!cut.Peek(u"albums/", u"/").empty()) SingleAlbum(state, key, session);
  else ListOfAlbums(state, key, session);
}

void YupooPhotos(MainState& state, int albumIndex, const YupooPauses& pauses) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session;
  Prepare(session, pauses);
  session.Request().connectTimeoutMs = kPhotoConnectTimeoutMs;
  const TextView marker =
      album.listAddress.starts_with(Text(u"http://") + kYupooVHost) ? kVHostPhotoMarker : kPhotoMarker;
  const Text header = u"Referer: " + album.listAddress;
  // The user's photos address, which zoom pages lie under.
  state.userIdText = album.listAddress;
  TruncateAt(state.userIdText, u"albums/");
  const bool bigPictures = (state.naming.optionFlags & OPT_YUPOO_BIG) != 0;

  PagedWalk walk;
  Text description;
  Text page;
  for (;;) {
    const bool first = walk.Page() == 0;
    const Text address = Fill(kPhotoPage, {album.listAddress, NumberText(walk.Page() + 1)});
    session.SetHeaders(WithReferer(address));
    if (!walk.Fetch(session, address, page, kDecode)) return;
    if (first && (album.remarks & REMARK_PASSWORD) && FoundAfterStart(page, kPasswordForm)) {
      // The password is typed in the login window on the album's page.
      if (!AskLogin(state, kPasswordQuestion, address)) return;
      if (!session.Get(address, page, kDecode)) return;
    }
    Cutter cut(page);
    if (first) {
      description = Trim(cut.Take(u"adescription\">", u"</"));
      ReplaceAll(description, u"<br />", u"\r\n");
    }
    bool refused = false;
    const SegmentVisit visit = VisitSegments(cut.Rest(), marker, [&](TextView segment) {
      Cutter entry(segment);
      const Text id = entry.Take(u"photos['", u"'");
      Text text = entry.Take(u"title:'", u"'");
      if (text.empty()) text = entry.Take(u"description:'", u"'");
      if (text.empty()) text = album.name;
      Text picture = entry.Take(u"src=\"", u"\"");
      // A picture an earlier page brought already is neither looked up nor queued again.
      const Text key = id.empty() ? picture : id;
      if (key.empty() || !walk.Fresh(key)) return true;
      if (bigPictures) {
        ReplaceAll(picture, u"/small.", u"/big.");
      } else if (!id.empty()) {
        const Text full = ZoomPicture(session, Fill(kZoomPage, {state.userIdText, id}), refused);
        if (refused) {
          state.Ui().ShowMessage(kLoginFirst);
          return false;
        }
        if (!full.empty()) picture = full;  // else the thumbnail stays
      }
      if (picture.empty()) return true;
      const bool goOn = QueuePicture(state, picture, text, header, albumIndex);
      if (!description.empty()) {  // once, into the album's folder
        WriteTextFile(Fill(kDescriptionFile, {state.queue.folder}), TextView(description));
        description.clear();
      }
      return goOn;
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
