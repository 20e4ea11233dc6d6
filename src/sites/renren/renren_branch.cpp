// The Renren category: a single album's address, a Renren zhan site, or else a user's or
// public page's home (by address, number or name); and the photo readers the download
// uses afterwards.
#include <initializer_list>

#include "net/http.h"
#include "sites/kit.h"
#include "sites/renren/renren.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_RENREN = 0;
constexpr int32_t LIST_RENREN_ZHAN = 10;

constexpr char16_t kRenrenEmpty[] =
    u"错误原因：\n1.你没有登录你的人人帐号(在登录菜单里登录,登录时需要勾上下次自动登录)\n2.你没有该相册的访问权限.";
constexpr char16_t kZhanEmpty[] =
    u"1、没有获取到相册，需要你在登录菜单里登录一个人人帐号(登录时勾上下次自动登录)后重新获取";

// "…/album-<id>…": one album, of the V7 pages when the address says "/v7".
void SingleAlbumBranch(MainState& state, Text text, ListingOutcome& outcome) {
  outcome.emptyMessage = kRenrenEmpty;
  TruncateAtEach(text, {u"?", u"#"});
  if (FoundAfterStart(text, u"/v7")) RenrenV7Album(state, text);
  else RenrenClassicAlbum(state, text);
  state.listType = LIST_RENREN;
}

void ZhanBranch(MainState& state, Text text, ListingOutcome& outcome) {
  outcome.emptyMessage = kZhanEmpty;
  RenrenZhanPosts(state, text);
  state.listType = LIST_RENREN_ZHAN;
}

// The number of the user or public page an address names: "…/profile.do?id=<n>",
// "…/<n>/profile", "page…/<n>/album"; a name in place of the number is looked up on its
// home page. Empty when it cannot be found.
Text HomeNumber(Text text, bool publicPage) {
  if (publicPage) {
    DeleteThrough(text, u".com/", true);
    TruncateAt(text, u"/");
  }
  DeleteThrough(text, u"id=", true);
  TruncateAtEach(text, {u"?", u"/album", u"/profile", u"/channel-"});
  if (FoundAfterStart(text, u"/")) text.erase(0, text.rfind(u'/') + 1);
  if (IsDigitsOnly(text)) return text;

  PageSession session(kRenrenHeaders);
  Text home;
  const Text host = publicPage ? kRenrenPageHost : kRenrenMainHost;
  if (!session.Get(u"http://" + host + u"/" + text, home, net::DM_INFLATE | net::DM_UTF8)) return Text();
  const Cutter cut(home);
  Text number = cut.Peek(u"pid: '", u"'");
  if (number.empty()) number = cut.Peek(u"profile_owner =", u";");
  return Trim(number);
}

void HomeBranch(MainState& state, Text text, ListingOutcome& outcome) {
  outcome.emptyMessage = kRenrenEmpty;
  state.listType = LIST_RENREN;
  const bool publicPage = text.find(kRenrenPageHost) != Text::npos;
  const Text number = HomeNumber(std::move(text), publicPage);
  // A home page that names no number (not logged in, no such user) has no albums to ask for.
  if (number.empty()) return;
  state.userIdText = number;
  // The newer pages first; the older reader only when they listed nothing.
  auto nothingYet = [&] { return state.albums.Count() == 0 && !ListingStopped(state); };
  if (publicPage) {
    RenrenPageAlbums(state, number);
    if (nothingYet()) RenrenV7Albums(state, number);
  } else {
    RenrenV7Albums(state, number);
    if (nothingYet()) RenrenClassicAlbums(state, number);
  }
}

void RenrenListing(MainState& state, Text text, ListingOutcome& outcome) {
  if (FoundAfterStart(text, u"/album-")) SingleAlbumBranch(state, std::move(text), outcome);
  else if (text.find(kRenrenZhanHost) != Text::npos) ZhanBranch(state, std::move(text), outcome);
  else HomeBranch(state, std::move(text), outcome);
}

void RenrenPhotos(MainState& state, int albumIndex) {
  auto nothingYet = [&] { return state.queue.items.empty() && !DownloadStopped(state); };
  switch (state.listType) {
    case LIST_RENREN:
      // Three generations of photo pages, the newest first.
      RenrenV7Photos(state, albumIndex);
      if (nothingYet()) RenrenPagedPhotos(state, albumIndex);
      if (nothingYet()) RenrenListPhotos(state, albumIndex);
      break;
    case LIST_RENREN_ZHAN: RenrenZhanPhotos(state, albumIndex); break;
    default: break;  // no reader: nothing is queued
  }
}

}  // namespace

SiteReaders RenrenReaders() { return {RenrenListing, RenrenPhotos}; }

}  // namespace zentrow
