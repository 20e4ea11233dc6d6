// The QQ category: which reader a typed text goes to (QQ Zone, Tencent Weibo, QQ group),
// the key each one receives, and the photo-list reader the download uses afterwards.
#include "engine/catalogue.h"
#include "sites/kit.h"
#include "sites/qq/qq.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_QZONE = SUBKIND_QZONE;
constexpr int32_t LIST_QQ_GROUP = SUBKIND_QQ_GROUP;
constexpr int32_t LIST_TENCENT_WEIBO = SUBKIND_TENCENT_WEIBO;

constexpr char16_t kNumberOnly[] = u"请直接输入QQ号进行下载";
constexpr char16_t kQzoneEmpty[] =
    u"没有获取到相册，原因如下：\n\n1、可能是因为空间不是公开的，你哪个号能进入他的空间，就先在下载器的登录菜单里"
    u"登录了那个号后再点获取相册\n\n2、下载QQ空间相册请直接输入QQ号进行下载";
constexpr char16_t kTencentWeiboEmpty[] =
    u"没有获取到相册，可按以下步骤操作：\n\n1、请先在下载器的登录菜单里登录你的腾讯微博帐号(登录时勾上下次自动登录)"
    u"\n\n2、输入你要下载的那个人的微博主页网址后，点获取相册列表";
constexpr char16_t kQqGroupEmpty[] =
    u"没有获取到相册，可按以下步骤操作：\n\n1、你哪个号加入了你要下载的QQ群，就先在下载器的登录菜单里登录那个QQ号"
    u"\n\n2、输入你要下载的QQ群号后，点获取相册列表";

void QzoneBranch(MainState& state, Text text, ListingOutcome& outcome) {
  DeleteThrough(text, u"com/", true);
  TruncateAtEach(text, {u"/", u"&", u"*", u"?", u"#"});
  if (!IsDigitsOnly(text)) {
    state.Ui().ShowMessage(kNumberOnly);
    return;
  }
  outcome.emptyMessage = kQzoneEmpty;
  QzoneAlbumsV2(state, text);
  if (state.albums.Count() == 0) QzoneAlbumsV3(state, text);
  state.listType = LIST_QZONE;
}

void TencentWeiboBranch(MainState& state, Text text, ListingOutcome& outcome) {
  DeleteThrough(text, u".com/", true);
  DeleteThrough(text, u"hoto/", true);
  TruncateAtEach(text, {u"/", u"?"});
  state.scratchText = text;
  outcome.emptyMessage = kTencentWeiboEmpty;
  TencentWeiboAlbums(state, text);
  state.listType = LIST_TENCENT_WEIBO;
}

void QqGroupBranch(MainState& state, Text text, ListingOutcome& outcome) {
  DeleteThrough(text, u"!/", true);
  TruncateAtEach(text, {u"/", u"?", u"#"});
  outcome.emptyMessage = kQqGroupEmpty;
  QqGroupAlbums(state, text);
  state.listType = LIST_QQ_GROUP;
}

void QqListing(MainState& state, Text text, ListingOutcome& outcome) {
  const int32_t kind = state.listType;
  const Text weiboPrefix = Text(u"http://") + Text(kTencentWeiboHost) + u"/";
  if (kind == LIST_QZONE) QzoneBranch(state, std::move(text), outcome);
  else if (text.find(weiboPrefix) != Text::npos || kind == LIST_TENCENT_WEIBO)
    TencentWeiboBranch(state, std::move(text), outcome);
  else if (kind == LIST_QQ_GROUP) QqGroupBranch(state, std::move(text), outcome);
}

void QqPhotos(MainState& state, int albumIndex) {
  switch (state.listType) {
    case LIST_QZONE: QzonePhotos(state, albumIndex); break;
    case LIST_QQ_GROUP: QqGroupPhotos(state, albumIndex); break;
    case LIST_TENCENT_WEIBO: TencentWeiboPhotos(state, albumIndex); break;
    default: break;  // no reader: nothing is queued
  }
}

}  // namespace

SiteReaders QqSiteReaders() { return {QqListing, QqPhotos}; }

}  // namespace zentrow
