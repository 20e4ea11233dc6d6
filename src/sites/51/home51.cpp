// 51 photo albums: the albums of the user's photo page (one page), and an album's
// pictures, which the photo-data service gives all at once for the id of any one of them.
// Every request of both readers retries the busy server's answer.
#include "net/http.h"
#include "sites/51/site51.h"
#include "sites/kit.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kUtf8 = net::DM_INFLATE | net::DM_UTF8;

constexpr char16_t kPhotoPagePath[] = u"/%s/photo";
constexpr char16_t kAlbumPagePath[] = u"/%s";
constexpr char16_t kDataViewPath[] = u"/%s/photo/getdataview/?id=%s";

// The busy server's page comes in GBK, whatever the pages around it use.
constexpr char16_t kBusy[] = u"请稍候再试";
constexpr uint8_t kAttempts = 3;
constexpr uint32_t kConnectTimeoutMs = 15000;

constexpr char16_t kAlbumsStart[] = u"class=\"p_main";
constexpr char16_t kAlbumMarker[] = u"class=\"pic";
constexpr char16_t kPicturesStart[] = u"class=\"photo_item_list";
constexpr char16_t kRowsStart[] = u"rows\":";
constexpr char16_t kRowMarker[] = u"\"photo_id\"";

// The session both readers use: a busy answer, compressed or not, is a failed attempt.
PageSession BusyAwareSession(const Site51Pauses& pauses) {
  PageSession session(kHeaders);
  net::UrlRequest& request = session.Request();
  request.retryMarker = ToGbk(kBusy);
  request.attempts = kAttempts;
  request.pauseSeconds = pauses.busyPauseSeconds;
  request.connectTimeoutMs = kConnectTimeoutMs;
  session.SetFetchOptions(net::FETCH_INFLATED_CHECKS);
  return session;
}

// One album of the photo page (the text after "class=\"pic"); false when it has no name.
bool ReadAlbum(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  Cutter cut(segment);
  record.coverAddress = cut.Take(u"src=\"", u"\"");
  record.listAddress = cut.Take(u"href=\"", u"\"");
  record.name = cut.Take(u">", u"</");
  record.count = cut.TakeInt(u"(共", u"张");
  return !record.name.empty();
}

}  // namespace

void Site51Albums(MainState& state, const Text& user, const Site51Pauses& pauses) {
  state.userIdText = user;
  PageSession session = BusyAwareSession(pauses);
  Text page;
  if (!session.Get(k51HomeHost + Fill(kPhotoPagePath, {user}), page, kUtf8)) return;
  TextView albums = page;
  DeleteThrough(albums, kAlbumsStart, true);
  ST_PERLISTRECORD record;
  VisitSegments(albums, kAlbumMarker, [&](TextView segment) { return !ReadAlbum(segment, record) || AddRow(state, record); });
}

void Site51Photos(MainState& state, int albumIndex, const Site51Pauses& pauses) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session = BusyAwareSession(pauses);
  const Text albumPage = k51HomeHost + Fill(kAlbumPagePath, {album.listAddress});
  Text page;
  if (!session.Get(albumPage, page, kUtf8)) return;
  // Album links that begin with "/" leave a double slash after the host.
  Text referer = u"Referer: " + albumPage;
  ReplaceAll(referer, u"com//", u"com/");

  // Any picture of the album opens the whole album: the first one's id.
  Cutter cut(page);
  if (!cut.Skip(kPicturesStart)) return;
  const Text pictureId = cut.Take(u"/item/", u".htm");
  if (pictureId.empty()) return;
  if (!session.Get(k51HomeHost + Fill(kDataViewPath, {state.userIdText, pictureId}), page, kUtf8)) return;
  TextView rows = page;
  if (DeleteThrough(rows, kRowsStart, true) < 0) return;
  SeenKeys queued;
  VisitSegments(rows, kRowMarker, [&](TextView segment) {
    Cutter row(segment);
    Text description = UnescapeUnicode(row.Take(u"photo_name\":\"", u"\""));
    const Text address = Unslash(row.Take(u"big_photo\":\"", u"\""));
    if (description.empty()) description = album.name;
    return address.empty() || !queued.Add(address) || QueuePicture(state, address, description, referer, albumIndex);
  });
}

}  // namespace zentrow
