// Baidu albums: every album of one user, from the home page and from the album list, and
// their photos, 100 a page, at full size.
#include "net/http.h"
#include "sites/baidu/baidu.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;

// The home page is read only up to its feedback block.
constexpr char kHomeEnd[] = "id=\"feedback\"";
constexpr char16_t kHomePath[] = u"/u/%s";
// The albums of the home page lie between these two.
constexpr char16_t kHomeAlbumsStart[] = u"mobileAlbum:";
constexpr char16_t kHomeAlbumsEnd[] = u"userAlbumList";

// The album list, paged by the sign of the last album of the page before (none at first).
constexpr char16_t kAlbumListPath[] = u"/album/list/%s?size=2000&album_type=0&album_sign=%s&_=%s";
constexpr char16_t kListAlbumMarker[] = u"\"picture_cover";

constexpr char16_t kPhotoListPath[] =
    u"/picture/album/list/%s?format=json&size=100&pn=%d&width=80&t=%s&resolution=1280";
constexpr char16_t kPhotoMarker[] = u"picture_name";
// Where the verification of a closed album is done.
constexpr char16_t kVerifyPath[] = u"/picture/album/list/";

// The home page gives its albums in one of two forms: a script object
// (album_name: 'x', album_sign: 'y') or JSON ("album_name":"x","album_sign":"y"). Each
// value is read to the quote that closes it in its own form, so an apostrophe in a JSON
// value is part of it.
struct HomeForm {
  TextView album;  // begins every album
  TextView name, sign, total, cover;
  TextView end;  // closes a value
};
constexpr HomeForm kScriptForm = {u"create_time:",         u"album_name: '",  u"album_sign: '",
                                  u"album_picture_total: '", u"picture_cover: '", u"'"};
constexpr HomeForm kJsonForm = {u"create_time\":",           u"album_name\":\"",  u"album_sign\":\"",
                                u"album_picture_total\":\"", u"picture_cover\":\"", u"\""};

const HomeForm& HomeFormOf(TextView albums) {
  return albums.find(kJsonForm.sign) != TextView::npos ? kJsonForm : kScriptForm;
}

// One album of the home page (the text after its form's album marker); false when it has
// no sign.
bool ReadHomeAlbum(TextView segment, const HomeForm& form, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  Cutter cut(segment);
  record.name = cut.Take(form.name, form.end);
  if (record.name.find(u"\\u") != Text::npos) record.name = UnescapeUnicode(record.name);
  record.listAddress = Unslash(cut.Take(form.sign, form.end));
  if (record.listAddress.empty()) return false;
  record.count = cut.TakeInt(form.total, form.end);
  record.coverAddress = Unslash(cut.Take(form.cover, form.end));
  return true;
}

// One album of the album list (the text after "\"picture_cover"); false when it has no sign.
bool ReadListAlbum(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  Cutter cut(segment);
  record.coverAddress = Unslash(cut.Take(u":\"", u"\""));
  record.name = UnescapeUnicode(cut.Take(u"album_name\":\"", u"\""));
  record.listAddress = Unslash(cut.Take(u"album_sign\":\"", u"\""));
  if (record.listAddress.empty()) return false;
  record.count = cut.TakeInt(u"picture_total\":", u"\"");  // a bare number: "12," reads 12
  return true;
}

// The albums of the home page; false when the page could not be read (then the album list
// is not asked either) or the listing was stopped.
bool HomePageAlbums(MainState& state, PageSession& session, const Text& user, SeenKeys& listed) {
  Text page;
  if (!session.Get(kBaiduAlbumHost + Fill(kHomePath, {user}), page, kDecode)) return false;
  state.ownerFolder = user;
  TextView albums = page;
  DeleteThrough(albums, kHomeAlbumsStart, true);
  TruncateAt(albums, kHomeAlbumsEnd);
  const HomeForm& form = HomeFormOf(albums);
  ST_PERLISTRECORD record;
  return !VisitSegments(albums, form.album, [&](TextView segment) {
            return !ReadHomeAlbum(segment, form, record) || !listed.Add(record.listAddress) || AddRow(state, record);
          }).stopped;
}

// The album list, page after page; an album the home page listed already is passed over,
// but its sign still leads to the next page.
void AlbumListAlbums(MainState& state, PageSession& session, const Text& user, SeenKeys& listed) {
  PagedWalk walk;
  Text lastSign;
  Text page;
  ST_PERLISTRECORD record;
  while (walk.Fetch(session, kBaiduAlbumHost + Fill(kAlbumListPath, {user, lastSign, RandomFraction()}), page,
                    kDecode)) {
    const SegmentVisit albums = VisitSegments(page, kListAlbumMarker, [&](TextView segment) {
      if (!ReadListAlbum(segment, record) || !walk.Fresh(record.listAddress)) return true;
      lastSign = record.listAddress;
      return !listed.Add(record.listAddress) || AddRow(state, record);
    });
    if (albums.markers == 0 || albums.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace

Text BaiduFullSizePicture(TextView address) {
  const size_t album = address.find(u"/album/");
  if (album == TextView::npos) return Text(address);
  const size_t lastSlash = address.rfind(u'/');
  return Text(address.substr(0, album)) + u"/album/pic/item" + Text(address.substr(lastSlash));
}

void BaiduAlbums(MainState& state, const Text& user) {
  PageSession session(kHeaders);
  session.Request().endMarker = kHomeEnd;
  SeenKeys listed;  // the two sources may list the same album: it is listed once
  if (!HomePageAlbums(state, session, user, listed)) return;
  AlbumListAlbums(state, session, user, listed);
}

void BaiduAlbumPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  LoginPrompt verification;
  int offset = 0;
  Text page;
  while (walk.Fetch(session,
                    kBaiduAlbumHost + Fill(kPhotoListPath, {album.listAddress, NumberText(offset), RandomFraction()}),
                    page, kDecode)) {
    const SegmentVisit photos = VisitSegments(page, kPhotoMarker, [&](TextView segment) {
      Cutter cut(segment);
      Text description = UnescapeUnicode(cut.Take(u"\":\"", u"\""));
      if (description.empty()) description = album.name;
      const Text address = BaiduFullSizePicture(Unslash(cut.Take(u"img_src\":\"", u"\"")));
      return address.empty() || !walk.Fresh(address) || QueuePicture(state, address, description, Text(), albumIndex);
    });
    if (photos.markers == 0) {
      // An album that claims photos but shows none on its first page is not public: after
      // a verification in the login window the same page is asked again.
      if (album.count > 0 && offset == 0 &&
          verification.AskOnce(state, kBaiduVerifyQuestion, kBaiduAlbumHost + Text(kVerifyPath) + album.listAddress))
        continue;
      return;
    }
    if (photos.stopped || !walk.BroughtNew()) return;
    offset += photos.markers;
    walk.NextPage();
  }
}

}  // namespace zentrow
