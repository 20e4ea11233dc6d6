// NetEase blog: the photo sets shown on a blog page as albums, and the picture list each
// set's page carries in its script.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/netease/netease.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kPageMode = net::DM_INFLATE;  // the pages are GBK

constexpr char16_t kOwnerMarker[] = u"nickName : '";
constexpr char16_t kSetMarker[] = u"<li class=\"w-cover";

// A set's page holds its pictures in a script between these two; the rest is not read.
constexpr char kPictureListStart[] = "window.picList";
constexpr char kPictureListEnd[] = "photoidsList";
constexpr char16_t kPictureMarker[] = u",url:'";

}  // namespace

void NeteaseBlogAlbums(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(address, page, kPageMode)) return;
  Cutter owner(page);
  state.ownerFolder = owner.Take(kOwnerMarker, u"'");
  SafeFileName(state.ownerFolder, 0, false);

  ST_PERLISTRECORD record;
  VisitSegments(owner.Rest(), kSetMarker, [&](TextView set) {
    Cutter cut(set);
    record = ST_PERLISTRECORD();
    record.remarks = 0;
    record.listAddress = cut.Take(u"href=\"", u"\"");
    record.name = cut.Take(u"title=\"", u"\"");
    record.coverAddress = cut.Take(u"src=\"", u"\"");
    cut.Skip(u"<em>");
    record.count = cut.TakeInt(u"~ [", u"张");
    // Without a link there is no page to read the pictures from.
    return record.listAddress.empty() || AddRow(state, record);
  });
}

void NeteaseBlogPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  session.Request().startMarker = kPictureListStart;
  session.Request().endMarker = kPictureListEnd;
  Text text;
  if (!session.Get(album.listAddress, text, kPageMode)) return;
  VisitSegments(text, kPictureMarker, [&](TextView picture) {
    const Text address = TextBefore(picture, u"'");
    const Text description = Cutter(picture).Take(u",picDesc:'", u"'");
    return address.empty() || QueuePicture(state, address, description, Text(), albumIndex);
  });
}

}  // namespace zentrow
