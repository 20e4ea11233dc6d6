// Instagram: a user's profile page, then the media feed, each page asked for after the id
// of the last picture of the page before.
#include "net/http.h"
#include "sites/instagram/instagram.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;
constexpr char16_t kHeaders[] =
    u"User-Agent: Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
    u"Chrome/30.0.1599.101 Safari/537.36\r\nAccept-Encoding: gzip, deflate\r\nAccept-Language:zh-CN,zh;q=0.8";

constexpr char16_t kFeedPage[] = u"%s/media?max_id=%s";
// The profile page's entries follow their owner; the feed's follow their caption.
constexpr char16_t kProfileEntry[] = u"owner\":";
constexpr char16_t kFeedEntry[] = u"caption\"";
// A feed entry's picture sizes, the first one present taken.
constexpr TextView kFeedSizes[] = {u"standard_resolution\"", u"thumbnail\"", u"low_resolution\""};
// The content-delivery paths that "图片获取方式" 1 sends to the fixed picture host.
constexpr char16_t kDeliveryPath[] = u"com/hphotos-";

// One entry of a page: its picture and the id the next page is asked after.
struct Entry {
  Text id;
  Text address;
  Text description;
};

// A profile entry (after "owner\":"); its id counts even when it has no picture.
Entry ProfileEntry(TextView segment, int queued) {
  Cutter cut(segment);
  Entry entry;
  entry.description = NumberText(queued + 1);
  cut.Skip(u"date\"");
  entry.id = cut.Take(u"id\":\"", u"\"");
  entry.address = cut.Take(u"display_src\":\"", u"\"");
  return entry;
}

// A feed entry (after "caption\""); one without a picture is passed over, id and all.
Entry FeedEntry(TextView segment, const Text& albumName) {
  Cutter cut(segment);
  Entry entry;
  entry.description = UnescapeUnicode(cut.Peek(u"text\":\"", u"\""));
  if (entry.description.empty()) entry.description = albumName;
  for (TextView size : kFeedSizes) {
    entry.address = cut.Peek(size, u"\",");
    if (!entry.address.empty()) break;
  }
  if (entry.address.empty()) return entry;
  // The caption carries an id of its own: the picture's follows its type.
  cut.Skip(u"type\":\"");
  entry.id = cut.Take(u"id\":\"", u"\"");
  return entry;
}

// The address as found in the JSON, cleaned; with `fixedHost`, content-delivery paths
// moved to the fixed picture host.
Text PictureAddress(Text address, bool fixedHost) {
  DeleteThrough(address, u"\":\"", true);  // a feed size's key before its value
  address = Unslash(address);
  if (fixedHost && DeleteThrough(address, kDeliveryPath, true) >= 0)
    address = Text(u"http://") + kInstagramPictureHost + u"/hphotos-ak-" + address;
  return address;
}

}  // namespace

void InstagramAlbums(MainState& state, const Text& userName) {
  state.ownerFolder.clear();  // the album folder lies directly under the save path
  if (userName.empty()) return;
  ST_PERLISTRECORD record;
  record.name = userName;
  record.listAddress = state.userIdText + kInstagramHost + u"/" + userName;
  record.count = -1;
  record.remarks = 0;
  AddRow(state, record);
}

void InstagramPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  const bool fixedHost = state.extension.instagramWay == 1;
  PageSession session(kHeaders);
  session.Request().pauseSeconds = 0;  // one attempt a page: no wait after it
  PagedWalk walk;
  Text lastId;
  Text page;
  for (;;) {
    const bool profile = walk.Page() == 0;
    const Text address = profile ? album.listAddress : Fill(kFeedPage, {album.listAddress, lastId});
    if (!walk.Fetch(session, address, page, kDecode)) return;
    const SegmentVisit visit = VisitSegments(page, profile ? kProfileEntry : kFeedEntry, [&](TextView segment) {
      const Entry entry = profile ? ProfileEntry(segment, static_cast<int>(state.queue.items.size()))
                                  : FeedEntry(segment, album.name);
      if (profile || !entry.address.empty()) lastId = entry.id;
      if (entry.address.empty()) return true;
      const Text picture = PictureAddress(entry.address, fixedHost);
      // A picture an earlier page brought already is not queued again.
      if (!walk.Fresh(entry.id.empty() ? picture : entry.id)) return true;
      return QueuePicture(state, picture, entry.description, Text(), albumIndex);
    });
    if (visit.markers == 0 || visit.stopped) return;
    // The feed is over when a page moves the last id no further or brings nothing new.
    if (!walk.NewKey(lastId) || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
