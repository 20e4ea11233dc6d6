// QQ Zone: album lists through two generations of the album interface (V2, then V3), and
// the photo lists of each album, 500 photos a page.
//
// The service answers with the rights of the logged-in account: the "skey" cookie gives
// the g_tk token of every request, the "uin" cookie the number of the one who asks.
#include "sites/qq/qq.h"

#include <utility>

#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr char16_t kRoutePath[] = u"/GetRoute?UIN=%s&version=2&type=json";
constexpr char16_t kRouteFallbackPath[] = u"/q/route.store/GetRoute?UIN=%s&type=json&version=2";
constexpr char16_t kAlbumsV2Path[] =
    u"/fcgi-bin/fcg_list_album_v2?hostUin=%s&format=jsonp&plat=qzone&source=qzone&t=%s&g_tk=%u";
constexpr char16_t kAlbumsV3Path[] =
    u"/fcgi-bin/fcg_list_album_v3?g_tk=%u&callback=shine1_Callback&hostUin=%s&appid=4"
    u"&inCharset=utf-8&outCharset=utf-8&source=qzone&plat=qzone&format=jsonp&notice=0&filter=1"
    u"&handset=4&pageNumModeSort=40&pageNumModeClass=10&needUserInfo=1&idcNum=%d&callbackFun=shine1&_=%s";
constexpr char16_t kPhotosPath[] =
    u"/p/plist.photo/fcgi-bin/cgi_list_photo?t=%d&mode=0&%s&noTopic=0&uin=%s&pageStart=%d&pageNum=500"
    u"&skipCmtCount=0&singleurl=1&batchId=&notice=0&appid=4&inCharset=utf-8&outCharset=utf-8&source=qzone"
    u"&plat=qzone&outstyle=json&format=jsonp&json_esc=1&question=&answer=&callbackFun=shine0&g_tk=%u";
constexpr char16_t kListAddress[] = u"idcNum=%d&hostUin=%s&albumid=%s";
constexpr int kPhotosPerPage = 500;

constexpr char16_t kAlbumMarker[] = u"\"id\" : \"";
constexpr char16_t kPhotoMarker[] = u"\"batchId\"";
constexpr char16_t kServiceMessage[] = u"\"msg\" : \"";
constexpr char16_t kSorryMessage[] = u"\"message\":\"对不起";

constexpr char16_t kRouteFailed[] = u"QQ空间相册错误1";
constexpr char16_t kTooFrequent[] = u"您的操作过于频繁";
constexpr char16_t kVerifyQuestion[] = u"加密或非公开空间，是否进行身份验证?\n(验证成功后请重新获取相册列表)";
constexpr char16_t kPasswordQuestion[] = u"加密相册，是否输入密码？";

Text UserHost() { return Text(u"http://") + kQzoneUserHost; }
Text UserSpace(const Text& number) { return UserHost() + u"/" + number; }
Text CookieAddress() { return UserHost() + u"/"; }
uint32_t Token() { return CookieToken(CookieAddress(), u"skey"); }

bool Contains(TextView text, TextView part) { return text.find(part) != TextView::npos; }

// R1: the storage route, from the route host or, failing that, from the user host.
bool FetchRoute(MainState& state, PageSession& session, const Text& number, unsigned mode, Text& route) {
  if (session.Get(Text(u"http://") + kQzoneRouteHost + Fill(kRoutePath, {number}), route, mode)) return true;
  if (session.Get(UserHost() + Fill(kRouteFallbackPath, {number}), route, mode)) return true;
  state.Ui().ShowMessage(kRouteFailed);
  return false;
}

// A reply that carries a service message instead of albums: "too frequent" is shown as
// the service wrote it, anything else offers the login at the user's space. True when the
// reply was such a message (the reader then ends; the user lists again after logging in).
bool ServiceMessage(MainState& state, const Text& text, const Text& number) {
  if (!FoundAfterStart(text, kServiceMessage)) return false;
  TextView view = text;
  Text message = CutBetween(view, kServiceMessage, u"\"");
  if (Contains(message, kTooFrequent)) state.Ui().ShowMessage(message);
  else AskLogin(state, kVerifyQuestion, UserSpace(number));
  return true;
}

void AddAlbums(MainState& state, TextView text, int32_t siteNumber, const Text& number) {
  VisitSegments(text, kAlbumMarker, [&](TextView segment) {
    ST_PERLISTRECORD record;
    if (!ReadQzoneAlbum(segment, siteNumber, number, record)) return true;
    return AddRow(state, record);
  });
}

Text AlbumListAddress(const Text& host, TextView pattern, std::initializer_list<TextView> values) {
  return Text(u"http://") + host + Fill(pattern, values);
}

}  // namespace

// ---- text alone ----------------------------------------------------------------------

int32_t ReadQzoneRouteSite(Text& route) {
  const int32_t site = ReadInt(CutBetween(route, u"idcno\":\"", u",", CUT_ADVANCE));
  const Text entry = CutBetween(route, u"default\":\"", u"\"", CUT_ADVANCE);
  DeleteThrough(route, entry + u"\":", true);
  return site;
}

Text QzoneAlbumHost(Text& route) {
  CutBetween(route, u"\"nu\":\"", u"\"", CUT_ADVANCE);
  Text host = CutBetween(route, u"\"p\":\"", u"\"", CUT_ADVANCE);
  for (const HostLabelPair& pair : kQzoneAlbumHostLabels) ReplaceAll(host, pair.storage, pair.albumList);
  return host;
}

int32_t QzonePrivacyRemarks(TextView privacy) {
  if (Contains(privacy, u"3")) return REMARK_PRIVATE;
  if (Contains(privacy, u"4") || Contains(privacy, u"6")) return REMARK_FRIENDS;
  if (Contains(privacy, u"5")) return REMARK_PASSWORD;
  return 0;
}

bool ReadQzoneAlbum(TextView segment, int32_t siteNumber, const Text& number, ST_PERLISTRECORD& record) {
  Cutter cut(segment);
  const Text albumId = TextBefore(segment, u"\"");
  record.listAddress = Fill(kListAddress, {NumberText(siteNumber), number, albumId});
  record.name = cut.Take(u"\"name\" : \"", u"\"");
  if (record.name.empty()) return false;
  record.coverAddress = Unslash(cut.Take(u"\"pre\" : \"", u"\""));
  record.remarks = QzonePrivacyRemarks(cut.Take(u"\"priv\" :", u","));
  record.count = cut.TakeInt(u"\"total\" :", u",");
  return true;
}

Text QzonePhotoAddress(TextView segment) {
  Cutter cut(segment);
  const Text uploadMark = cut.Peek(u"\"raw_upload\"", u",");
  Text full = Unslash(cut.Peek(u"\"raw\" : \"", u"\""));
  if (full.empty()) {
    full = Unslash(cut.Take(u"\"origin_url\" : \"", u"\""));
    if (Contains(uploadMark, u"1")) ReplaceAll(full, u"/o/", u"/r/");
  }
  ReplaceAll(full, u"/psbe?/", u"/psb?/");
  Text preview = Unslash(cut.Take(u"\"pre\" : \"", u"\""));
  ReplaceAll(preview, u"/a/", u"/b/");
  return full.empty() ? preview : full + u"\r\n" + preview;
}

Text QzonePhotoDescription(TextView segment, int nameWay) {
  const Cutter cut(segment);
  TextView first = u"\"desc\" : \"";
  TextView fallback = u"\"name\" : \"";
  if (nameWay == 1) std::swap(first, fallback);
  Text description = Trim(cut.Peek(first, u"\""));
  return description.empty() ? cut.Peek(fallback, u"\"") : description;
}

Text QzoneAlbumPage(const Text& listAddress) {
  Text rest = listAddress;
  DeleteThrough(rest, u"&", true);
  Text page = UserHost() + u"/" + rest;
  ReplaceAll(page, u"hostUin=", u"");
  ReplaceAll(page, u"&albumid=", u"/photo/");
  return page;
}

// ---- readers -------------------------------------------------------------------------

void QzoneAlbumsV2(MainState& state, const Text& number) {
  PageSession session(u"Accept-Encoding: gzip, deflate\r\nReferer: " + UserSpace(number));
  Text route;
  if (!FetchRoute(state, session, number, net::DM_INFLATE, route)) return;
  const int32_t site = ReadQzoneRouteSite(route);
  const Text host = QzoneAlbumHost(route);

  Text text;
  const Text address = AlbumListAddress(host, kAlbumsV2Path, {number, RandomFraction(), NumberText(Token())});
  if (!session.Get(address, text, state.extension.qzoneEncodingV2 | net::DM_INFLATE)) return;
  if (ServiceMessage(state, text, number)) return;
  AddAlbums(state, text, site, number);
}

void QzoneAlbumsV3(MainState& state, const Text& number) {
  PageSession session(u"Referer: " + UserSpace(number));
  Text readRoute;
  if (!FetchRoute(state, session, number, state.extension.qzoneEncodingV3, readRoute)) return;
  Text route = readRoute;
  const int32_t site = ReadQzoneRouteSite(route);

  // The second attempt takes the storage host of the route's first entry instead of the
  // default one, with fresh cookies, token and random part.
  Text text;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt == 1) route = readRoute;
    const Text host = QzoneAlbumHost(route);
    const Text address =
        AlbumListAddress(host, kAlbumsV3Path, {NumberText(Token()), number, NumberText(site), RandomFraction()});
    if (!session.Get(address, text, net::DM_UTF8)) continue;
    if (ServiceMessage(state, text, number)) return;
    if (Contains(text, kAlbumMarker)) {
      AddAlbums(state, text, site, number);
      return;
    }
  }
}

void QzonePhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  // The owner comes from the album itself: the address box may hold anything by now.
  TextView list = album.listAddress;
  const Text owner = CutBetween(list, u"hostUin=", u"&", CUT_ADVANCE);
  PageSession session(u"Accept-Encoding: gzip, deflate\r\nReferer: " + UserSpace(owner));

  PagedWalk walk;
  LoginPrompt password;
  bool retried = false;
  int queued = 0;
  Text text;
  for (;;) {
    // Cookies are read afresh for every page: a login made meanwhile counts at once.
    const uint32_t token = Token();
    Text asker = CookieFor(CookieAddress(), u"uin");
    ReplaceAll(asker, u"o", u"");
    Text address = UserHost() + Fill(kPhotosPath, {NumberText(ProgramMilliseconds()), album.listAddress, asker,
                                                   NumberText(walk.Page() * kPhotosPerPage), NumberText(token)});
    ReplaceAll(address, u"albumid=", u"topicId=");
    if (!walk.Fetch(session, address, text, net::DM_INFLATE | net::DM_AUTO)) return;

    if (FoundAfterStart(text, kSorryMessage) && (album.remarks & REMARK_PASSWORD) &&
        password.AskOnce(state, kPasswordQuestion, QzoneAlbumPage(album.listAddress)))
      continue;  // the same page again, now with the password given

    bool stopped = false;
    const SegmentVisit visit = VisitSegments(text, kPhotoMarker, [&](TextView segment) {
      ++queued;
      const Text address = QzonePhotoAddress(segment);
      if (!walk.Fresh(address)) return true;
      stopped = !QueuePicture(state, address, QzonePhotoDescription(segment, state.extension.siteNameWay), Text(),
                              albumIndex);
      return !stopped;
    });
    if (stopped) return;
    if (visit.markers == 0) {
      // An empty first page is asked once more; an empty later page ends the album.
      if (retried || queued > 0) return;
      retried = true;
      continue;
    }
    if (!walk.BroughtNew()) return;  // a page past the end that repeats earlier photos
    walk.NextPage();
  }
}

}  // namespace zentrow
