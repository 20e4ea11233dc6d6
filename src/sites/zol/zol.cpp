// ZOL photo albums: the album list and each album are numbered pages that go on while a
// page links to a next one. Pictures are listed as thumbnails; the full-size address is
// the thumbnail's without its size.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/zol/zol.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kGbk = net::DM_INFLATE;  // no charset bit: the GBK code page

constexpr char16_t kAlbumListPath[] = u"/%s/album_%d.html";
// An album's list address ends where its page number goes.
constexpr char16_t kAlbumPagePath[] = u"%s%d.html";
constexpr char16_t kFirstPageEnd[] = u"1.html";

constexpr char16_t kNextPage[] = u"class=\"nor\">下一页";
constexpr char16_t kEntryMarker[] = u"id=\"pic_";

// Thumbnails and their full-size pictures:
//   http://img.zol.com.cn/t_s120x90/g5/M00/0A/ab.jpg   a size folder under the host: dropped
//   http://img.zol.com.cn/g5/M00/0A/ab_120x90.jpg      a size after "_" before the extension: dropped
//   http://img.zol.com.cn/g5/M00/0A/ab.jpg             neither: the address as it is
constexpr char16_t kSizeFolder[] = u"cn/t_s";
constexpr char16_t kSizeFolderLead[] = u"/t_s";

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// "160", "120x90": digits, or digits, an "x" and digits.
bool IsSize(TextView text) {
  size_t i = 0;
  auto digits = [&] {
    const size_t start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i > start;
  };
  if (!digits()) return false;
  if (i == text.size()) return true;
  if (text[i] != u'x' && text[i] != u'X') return false;
  ++i;
  return digits() && i == text.size();
}

// The owner's name: the first list page's title up to "的全部相册".
void ReadOwner(MainState& state, TextView page) {
  state.ownerFolder = Cutter(page).Take(u"<title>", u"的全部相册");
  SafeFileName(state.ownerFolder, SAFE_NAME_TIMESTAMP, true);
}

// One album of the list (the text after "id=\"pic_").
void ReadAlbum(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  Cutter cut(segment);
  record.listAddress = cut.Take(u"href=\"", kFirstPageEnd);
  record.coverAddress = cut.Take(u"src=\"", u"\"");
  record.name = cut.Take(u"title=\"", u"\"");
  record.count = cut.TakeInt(u"K_11\">", u"张");
}

}  // namespace

Text ZolFullSize(TextView thumbnail) {
  Text address(thumbnail);
  if (FoundAfterStart(address, kSizeFolder)) {
    const Text size = Cutter(address).Peek(kSizeFolder, u"/");
    ReplaceAll(address, Text(kSizeFolderLead) + size, u"");
    return address;
  }
  const size_t slash = address.rfind(u'/');
  const size_t fileStart = slash == Text::npos ? 0 : slash + 1;
  const size_t dot = address.rfind(u'.');
  if (dot == Text::npos || dot <= fileStart) return address;
  const size_t underscore = address.rfind(u'_', dot);
  if (underscore == Text::npos || underscore < fileStart) return address;
  if (!IsSize(TextView(address).substr(underscore + 1, dot - underscore - 1))) return address;
  address.erase(underscore, dot - underscore);
  return address;
}

void ZolAlbums(MainState& state, const Text& user) {
  state.userIdText = user;
  PageSession session(kHeaders);
  PagedWalk walk;
  ST_PERLISTRECORD record;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kZolPhotoHost + Fill(kAlbumListPath, {user, NumberText(walk.Page() + 1)}), page,
                          kGbk);
       walk.NextPage()) {
    more = page.find(kNextPage) != Text::npos;
    if (walk.Page() == 0) ReadOwner(state, page);
    const SegmentVisit visit = VisitSegments(page, kEntryMarker, [&](TextView segment) {
      ReadAlbum(segment, record);
      return !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

void ZolPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, kZolPhotoHost + Fill(kAlbumPagePath, {album.listAddress, NumberText(walk.Page() + 1)}),
                          page, kGbk);
       walk.NextPage()) {
    more = page.find(kNextPage) != Text::npos;
    const SegmentVisit visit = VisitSegments(page, kEntryMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text address = ZolFullSize(cut.Peek(u"src=\"", u"\""));
      const Text description = cut.Take(u"title=\"", u"\"");
      return address.empty() || !walk.Fresh(address) || QueuePicture(state, address, description, Text(), albumIndex);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

}  // namespace zentrow
