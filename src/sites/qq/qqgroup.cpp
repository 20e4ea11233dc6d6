// QQ group albums: the shared albums of one group, visible to a member logged in through
// the "QQ空间/QQ群" login, and their photos.
#include "engine/catalogue.h"
#include "sites/kit.h"
#include "sites/qq/qq.h"

namespace zentrow {
namespace {

// The group host, where the login leaves the "skey" and "guin" cookies.
const Text kGroupCookieAddress = u"http://" + Text(kQqGroupHost) + u"/";
constexpr char16_t kGroupHeaders[] = u"Accept-Encoding: gzip, deflate";

constexpr char16_t kAlbumListPage[] =
    u"http://qungz.photo.qq.com/cgi-bin/upp/qun_list_album_v2?qunId=%s&uin=%s&hostUin=%s&start=%d"
    u"&num=60&userInfo=1&format=jsonp&platform=qzone&inCharset=utf-8&outCharset=utf-8&source=jsapi"
    u"&g_tk=%u";
constexpr int kAlbumsPerPage = 60;
// The photo reader puts the album's list address (this fragment) into its own request.
constexpr char16_t kAlbumFragment[] = u"qunId=%s&albumId=%s&uin=%s&g_tk=%u";
constexpr char16_t kPhotoListPage[] =
    u"http://qungz.photo.qq.com/cgi-bin/upp/qun_list_photo_v2?getCommentCnt=5&format=jsonp"
    u"&platform=qzone&inCharset=utf-8&outCharset=utf-8&source=jsapi&%s&t=%s&start=%d&num=500";
constexpr int kPhotosPerPage = 500;

constexpr char16_t kNotLoggedIn[] = u"message\":\"对不起，您尚未登录";

// The logged-in number: the "guin" cookie carries it as "o" + number, sometimes with one
// leading zero ("o0123456" is 123456).
Text MemberNumber() {
  Text number = CookieFor(kGroupCookieAddress, u"guin");
  if (!number.empty() && number.front() == u'o') number.erase(0, 1);
  if (!number.empty() && number.front() == u'0') number.erase(0, 1);
  return number;
}

// One album entry (the text after "\"coverurl\" : \""); false when it has no title.
bool ReadGroupAlbum(TextView segment, const Text& group, const Text& member, const Text& token,
                    ST_PERLISTRECORD& record) {
  Cutter cut(segment);
  record = ST_PERLISTRECORD();
  record.coverAddress = Unslash(TextBefore(segment, u"\""));
  const Text albumId = cut.Peek(u"\"id\" : \"", u"\"");
  record.listAddress = Fill(kAlbumFragment, {group, albumId, member, token});
  record.name = cut.Peek(u"\"title\" : \"", u"\"");
  if (record.name.empty()) return false;
  record.count = cut.TakeInt(u"\"photocnt\" :", u",");
  return true;
}

// A photo's address: the raw picture, else the big one, else the thumbnail at size 800.
Text GroupPhotoAddress(TextView segment) {
  const Cutter cut(segment);
  Text address = cut.Peek(u"\"rawurl\" : \"", u"\"");
  if (address.empty()) address = cut.Peek(u"\"hdurl\" : \"", u"\"");
  if (address.empty()) address = cut.Peek(u"\"burl\" : \"", u"\"") + u"/800";
  address = Unslash(address);
  ReplaceAll(address, u"/200/", u"/");
  ReplaceAll(address, u"/200?", u"/800?");
  return address;
}

}  // namespace

void QqGroupAlbums(MainState& state, const Text& key) {
  const Text token = NumberText(CookieToken(kGroupCookieAddress, u"skey"));
  const Text member = MemberNumber();
  state.userIdText = member;

  PageSession session(kGroupHeaders);
  PagedWalk walk;
  Text page;
  while (walk.Fetch(session,
                    Fill(kAlbumListPage, {key, member, key, NumberText(walk.Page() * kAlbumsPerPage), token}),
                    page, net::DM_INFLATE | net::DM_UTF8)) {
    if (FoundAfterStart(page, kNotLoggedIn)) return;
    ST_PERLISTRECORD record;
    const SegmentVisit visit = VisitSegments(page, u"\"coverurl\" : \"", [&](TextView segment) {
      // An untitled entry is no row, but a new one still counts as something new.
      const bool titled = ReadGroupAlbum(segment, key, member, token, record);
      return !walk.Fresh(record.listAddress) || !titled || AddRow(state, record);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

void QqGroupPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  const int nameWay = state.extension.siteNameWay;

  PageSession session(kGroupHeaders);
  PagedWalk walk;
  Text page;
  while (walk.Fetch(session,
                    Fill(kPhotoListPage, {album.listAddress, RandomFraction(),
                                          NumberText(walk.Page() * kPhotosPerPage)}),
                    page, net::DM_INFLATE | net::DM_UTF8)) {
    const SegmentVisit visit = VisitSegments(page, u"\"bheight\"", [&](TextView segment) {
      const Text address = GroupPhotoAddress(segment);
      return !walk.Fresh(address) ||
             QueuePicture(state, address, QzonePhotoDescription(segment, nameWay), Text(), albumIndex);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
