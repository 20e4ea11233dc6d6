// The Baidu category: a Tieba thread, a Tieba forum, or else a Baidu album user; the key
// each reader receives, and the photo-list reader the download uses afterwards.
#include <initializer_list>

#include "net/http.h"
#include "sites/baidu/baidu.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_BAIDU_ALBUMS = 0;
constexpr int32_t LIST_TIEBA_FORUM = 1;
constexpr int32_t LIST_TIEBA_THREAD = 2;

constexpr char16_t kTiebaDomain[] = u"tieba.baidu.com/";
constexpr char16_t kThreadAlbumPath[] = u"photo/p?kw=";
constexpr char16_t kThreadPath[] = u"com/p/";
constexpr char16_t kThreadAlbum[] = u"/photo/p?kw=%s&fp=1&tid=%s";

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;
// A thread page may come in GBK or in UTF-8; only its forum link is read.
constexpr unsigned kThreadPageDecode = net::DM_INFLATE | net::DM_AUTO;

// The forum name of an address: its "kw=" value.
Text ForumOf(Text text) {
  DeleteThrough(text, u"kw=", true);
  TruncateAtEach(text, {u"/", u"?", u"#", u"&"});
  return TiebaForumName(text);
}

// A user's albums: "http://xiangce.baidu.com/u/<user>", or any page of the user that links
// to the profile "/profile/<user>".
void AlbumUserBranch(MainState& state, Text text) {
  if (text.find(u"u/") == Text::npos) {
    PageSession session(kHeaders);
    Text page;
    if (!session.Get(text, page, kDecode)) return;
    text = CutBetween(page, u"/profile/", u"\"", CUT_ADVANCE);
  }
  DeleteThrough(text, u"u/", true);
  TruncateAtEach(text, {u"/", u"?", u"#", u"&"});
  if (!text.empty()) BaiduAlbums(state, text);
  state.listType = LIST_BAIDU_ALBUMS;
}

// One thread: "http://tieba.baidu.com/p/<thread>", whose page links to its forum, or the
// thread's album address itself.
void ThreadBranch(MainState& state, Text text, ListingOutcome& outcome) {
  Text threadAlbum;
  if (FoundAfterStart(text, kThreadAlbumPath)) {
    threadAlbum = text;
  } else {
    Text thread = text;
    DeleteThrough(thread, kThreadPath, true);
    TruncateAtEach(thread, {u"/", u"?", u"#", u"&"});
    PageSession session(kHeaders);
    Text page;
    if (!session.Get(text, page, kThreadPageDecode)) return;
    const Text forum = CutBetween(page, u"?kw=", u"\"", CUT_ADVANCE);
    threadAlbum = kTiebaHost + Fill(kThreadAlbum, {forum, thread});
  }
  TiebaThreadAlbum(state, threadAlbum);
  state.userIdText = ForumOf(threadAlbum);
  state.listType = LIST_TIEBA_THREAD;
  outcome.autoDownload = state.albums.Count() == 1;
}

void ForumBranch(MainState& state, Text text) {
  state.userIdText = ForumOf(std::move(text));
  TiebaForumAlbums(state, state.userIdText);
  state.listType = LIST_TIEBA_FORUM;
}

void BaiduListing(MainState& state, Text text, ListingOutcome& outcome) {
  if (text.find(kTiebaDomain) == Text::npos) AlbumUserBranch(state, std::move(text));
  else if (FoundAfterStart(text, kThreadAlbumPath) || FoundAfterStart(text, kThreadPath))
    ThreadBranch(state, std::move(text), outcome);
  else ForumBranch(state, std::move(text));
}

void BaiduPhotos(MainState& state, int albumIndex) {
  switch (state.listType) {
    case LIST_BAIDU_ALBUMS: BaiduAlbumPhotos(state, albumIndex); break;
    case LIST_TIEBA_FORUM: TiebaForumPhotos(state, albumIndex); break;
    default: TiebaThreadPhotos(state, albumIndex); break;
  }
}

}  // namespace

SiteReaders BaiduReaders() { return {BaiduListing, BaiduPhotos}; }

}  // namespace zentrow
