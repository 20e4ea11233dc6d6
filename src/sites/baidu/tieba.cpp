// Baidu Tieba: the picture albums of a forum (30 a page, their pictures 200 a page), and the
// pictures of one thread as a single album, read on from the last picture of each answer.
#include "net/http.h"
#include "sites/baidu/baidu.h"
#include "sites/kit.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;
// The thread's album page is read in the system's code page.
constexpr unsigned kAnsi = net::DM_INFLATE;

constexpr char16_t kForumAlbumsPath[] = u"/photo/g?kw=%s&alt=jview&pn=%d&rn=30&cat_id=all&_=%s";
constexpr char16_t kForumPhotosPath[] =
    u"/photo/g/bw/picture/list?kw=%s&alt=jview&rn=200&tid=%s&pn=%d&ps=%d&pe=%d&wall_type=v&_=%s";
constexpr char16_t kPicturePath[] = u"/forum/pic/item/%s.jpg";
// Where the verification of a closed album is done.
constexpr char16_t kVerifyPath[] = u"/picture/album/list/";

// The album page carries its HTML inside a JSON string: every quote of it is escaped.
constexpr char16_t kForumAlbumMarker[] = u"class=\\\"grbm_ele_wrapper";
constexpr char16_t kEscapedQuote[] = u"\\\"";
constexpr char16_t kForumPhotoMarker[] = u"pic_id\"";

// The thread's pictures in the order of the thread, 50 after the given picture.
constexpr char16_t kThreadPage[] = u"&see_lz=1&from_page=0&alt=jview&next=50&prev=1&pic_id=%s&_=%s";
constexpr char16_t kThreadAlbumPath[] = u"/photo/p";
constexpr char16_t kThreadGuidePath[] = u"/photo/bw/picture/guide";
constexpr char16_t kThreadPhotoMarker[] = u"\"img\":";

Text PictureAddress(const Text& pictureId) { return kBaiduPictureHost + Fill(kPicturePath, {pictureId}); }

// One album of a forum's album page (the text after the album marker); false when it
// names no thread.
bool ReadForumAlbum(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  Cutter cut(segment);
  Text thread = Unslash(cut.Take(u"href=\\\"", kEscapedQuote));
  DeleteThrough(thread, u"p/", true);  // "/p/12345" names thread 12345
  record.listAddress = std::move(thread);
  record.coverAddress = Unslash(cut.Take(u"src=\\\"", kEscapedQuote));
  cut.Skip(u"grbm_ele_pic_amount");
  record.count = cut.TakeInt(u">", u"<");
  record.name = UnescapeUnicode(cut.Take(u"title=\\\"", kEscapedQuote));
  return !record.listAddress.empty();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Text TiebaForumName(TextView kw) {
  const Bytes in = ToUtf8(kw);
  Bytes out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const int high = in[i] == '%' && i + 2 < in.size() ? HexDigit(in[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(in[i + 2]) : -1;
    if (low < 0) {
      out.push_back(in[i]);
      continue;
    }
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  bool ascii = true;
  for (char c : out) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  return FromCodePage(out, ascii || IsUtf8(out) ? CP_UTF8 : CP_GBK);
}

Text TiebaQueryValue(TextView forum) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Text out;
  for (const char byte : ToUtf8(forum)) {
    const auto c = static_cast<unsigned char>(byte);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~';
    if (plain) {
      out += static_cast<char16_t>(c);
    } else {
      out += u'%';
      out += static_cast<char16_t>(kHex[c >> 4]);
      out += static_cast<char16_t>(kHex[c & 15]);
    }
  }
  return out;
}

void TiebaForumAlbums(MainState& state, const Text& forum) {
  PageSession session(kHeaders);
  PagedWalk walk;
  const Text kw = TiebaQueryValue(forum);
  ST_PERLISTRECORD record;
  Text page;
  while (walk.Fetch(session, kTiebaHost + Fill(kForumAlbumsPath, {kw, NumberText(walk.Page() + 1), RandomFraction()}),
                    page, kDecode)) {
    const SegmentVisit albums = VisitSegments(page, kForumAlbumMarker, [&](TextView segment) {
      return !ReadForumAlbum(segment, record) || !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (albums.markers == 0 || albums.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

void TiebaForumPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  LoginPrompt verification;
  const Text kw = TiebaQueryValue(state.userIdText);
  Text page;
  while (walk.Fetch(session,
                    kTiebaHost + Fill(kForumPhotosPath, {kw, album.listAddress, NumberText(walk.Page() + 1), u"0",
                                                         u"200", RandomFraction()}),
                    page, kDecode)) {
    const SegmentVisit photos = VisitSegments(page, kForumPhotoMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text id = cut.Take(u"\"", u"\"");
      const Text description = UnescapeUnicode(cut.Take(u"descr\":\"", u"\""));
      return id.empty() || !walk.Fresh(id) || QueuePicture(state, PictureAddress(id), description, Text(), albumIndex);
    });
    if (photos.markers == 0) {
      // An album that claims pictures but shows none on its first page is not public: after
      // a verification in the login window the same page is asked again.
      if (album.count > 0 && walk.Page() == 0 &&
          verification.AskOnce(state, kBaiduVerifyQuestion, kBaiduAlbumHost + Text(kVerifyPath) + album.listAddress))
        continue;
      return;
    }
    if (photos.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

void TiebaThreadAlbum(MainState& state, const Text& threadAlbum) {
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(threadAlbum, page, kAnsi)) return;
  ST_PERLISTRECORD record;
  record.name = Cutter(page).Take(u"title' : '", u"'");
  record.listAddress = threadAlbum;
  record.count = -1;
  record.remarks = 0;
  AddRow(state, record);
}

void TiebaThreadPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text lastId;
  Text page;
  for (;;) {
    Text address = album.listAddress + Fill(kThreadPage, {lastId, RandomFraction()});
    ReplaceAll(address, kThreadAlbumPath, kThreadGuidePath);
    if (!walk.Fetch(session, address, page, kDecode)) return;
    // Each answer begins with the picture it was asked after: only what follows it is new.
    TextView after = page;
    if (!lastId.empty()) DeleteThrough(after, lastId, true);
    const SegmentVisit photos = VisitSegments(after, kThreadPhotoMarker, [&](TextView segment) {
      Cutter cut(segment);
      const Text id = cut.Take(u"id\":\"", u"\"");
      if (id.empty()) return true;
      lastId = id;
      const Text description = UnescapeUnicode(cut.Take(u"descr\":\"", u"\""));
      return !walk.Fresh(id) || QueuePicture(state, PictureAddress(id), description, Text(), albumIndex);
    });
    if (photos.markers == 0 || photos.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
