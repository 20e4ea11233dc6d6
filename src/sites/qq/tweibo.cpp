// Tencent Weibo albums: the topic albums of one account and the pictures of their posts.
// The service answers only with the cookies of the "腾讯微博" login.
#include <ctime>

#include "engine/catalogue.h"
#include "sites/kit.h"
#include "sites/qq/qq.h"

namespace zentrow {
namespace {

constexpr char16_t kWeiboReferer[] = u"Referer: http://api.t.qq.com/proxy.html";

// The account's album page; it names the account's numeric id.
constexpr char16_t kAlbumPage[] = u"/app/qzphoto/%s?preview";

// TopicAlbumQuery: op 1 lists albums (12 a page), op 2 the posts of one album (24 a page).
constexpr char16_t kTopicAlbums[] =
    u"http://api.t.qq.com/asyn/gettopicalbum.php?op=1&uin=%s&page=%d&n=12&apiType=14"
    u"&apiHost=http%%3A%%2F%%2Fapi.t.qq.com&_r=1382084292800&g_tk=%u";
constexpr char16_t kTopicPictures[] =
    u"http://api.t.qq.com/asyn/gettopicalbum.php?op=2&uin=%s&page=%d&n=24&topicid=%s&apiType=14"
    u"&apiHost=http%%3A%%2F%%2Fapi.t.qq.com&_r=1382325110273&g_tk=5453453";
// Appended from the second page on: where the previous page ended.
constexpr char16_t kContinuation[] = u"&time=%s&r=%u&u=%s";

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;

Text WeiboHeaders() { return u"Accept-Encoding: gzip, deflate\r\n" + Text(kWeiboReferer); }

// The processor time so far, which the service takes as a cache-busting value.
Text ClockTicks() { return NumberText(static_cast<long long>(static_cast<uint32_t>(std::clock()))); }

// One album entry (the text after "\"num\""). A "type" album (all pictures, say) has no
// count of its own.
ST_PERLISTRECORD ReadTopicAlbum(TextView segment) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  record.count = cut.TakeInt(u":", u",");
  record.name = UnescapeUnicode(cut.Take(u"name\":\"", u"\",\""));
  record.listAddress = cut.Take(u"\"type\":\"", u"\"");
  if (!record.listAddress.empty()) record.count = -1;
  else record.listAddress = cut.Take(u"\"topicid\":\"", u"\"");
  record.coverAddress = Unslash(cut.Take(u"image\":[\"", u"\"")) + u"/240";
  return record;
}

}  // namespace

void TencentWeiboAlbums(MainState& state, const Text& key) {
  PageSession session(WeiboHeaders());
  Text page;
  if (!session.Get(u"http://" + Text(kTencentWeiboHost) + Fill(kAlbumPage, {key}), page, kDecode)) return;
  Cutter guest(page);
  guest.Skip(u"MI.App.guest");
  state.userIdText = guest.Take(u"uin\":\"", u"\"");

  PagedWalk walk;
  while (walk.Fetch(session, Fill(kTopicAlbums, {state.userIdText, NumberText(walk.Page() + 1), ClockTicks()}),
                    page, kDecode)) {
    const SegmentVisit visit = VisitSegments(page, u"\"num\"", [&](TextView segment) {
      const ST_PERLISTRECORD record = ReadTopicAlbum(segment);
      return !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

void TencentWeiboPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  const Text pictureHeader = kWeiboReferer;

  PageSession session(WeiboHeaders());
  PagedWalk walk;
  Text continuation;
  Text lastTime;
  Text page;
  while (walk.Fetch(session,
                    Fill(kTopicPictures, {state.userIdText, NumberText(walk.Page() + 1), album.listAddress}) +
                        continuation,
                    page, kDecode)) {
    const SegmentVisit posts = VisitSegments(page, u"{\"id\":\"", [&](TextView post) {
      Cutter cut(post);
      const Text description = StripTags(UnescapeUnicode(cut.Take(u"content\":\"", u"\",\"")));
      lastTime = cut.Take(u"realtime\":", u",");
      continuation = Fill(kContinuation, {lastTime, ClockTicks(), state.scratchText});
      return !VisitSegments(cut.Rest(), u"{\"url\"", [&](TextView image) {
                const Text address = Unslash(Cutter(image).Take(u"\"", u"\"")) + u"/2000";
                return !walk.Fresh(address) || QueuePicture(state, address, description, pictureHeader, albumIndex);
              }).stopped;
    });
    // A page that ends where the one before it ended would ask for the same page again; a
    // page of posts without a picture not queued before brings nothing either.
    if (posts.markers == 0 || posts.stopped || !walk.NewKey(lastTime) || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
