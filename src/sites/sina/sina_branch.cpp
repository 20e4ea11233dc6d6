// The Sina category: an article list ("/s/"), a Weibo user's page, or else a blog's home
// page; and the photo-list reader the download uses afterwards.
#include "sites/kit.h"
#include "sites/sina/sina.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_SINA_BLOG = 0;
constexpr int32_t LIST_SINA_ARTICLES = 1;
constexpr int32_t LIST_WEIBO = 2;

constexpr char16_t kArticlePath[] = u"/s/";
constexpr char16_t kWeiboDomain[] = u"weibo.com/";

constexpr char16_t kSinaEmpty[] = u"没有获取到相册，请在登录菜单里登录新浪(微博)帐号后重试,登录时勾上下次自动登录";

// An article-list address without its page part: "…/articlelist_1_0_3.html" lists from
// "…/articlelist_1_0".
Text ArticleListBase(const Text& text) {
  const size_t last = text.rfind(u'_');
  return last == Text::npos ? Text() : text.substr(0, last);
}

void SinaListing(MainState& state, Text text, ListingOutcome& outcome) {
  outcome.emptyMessage = kSinaEmpty;
  if (FoundAfterStart(text, kArticlePath)) {
    SinaArticles(state, ArticleListBase(text));
    state.listType = LIST_SINA_ARTICLES;
  } else if (FoundAfterStart(text, kWeiboDomain)) {
    WeiboAlbums(state, text);
    state.listType = LIST_WEIBO;
  } else {
    SinaBlogAlbums(state, text);
    state.listType = LIST_SINA_BLOG;
  }
}

void SinaPhotos(MainState& state, int albumIndex, const WeiboPauses& pauses) {
  switch (state.listType) {
    case LIST_SINA_BLOG: SinaBlogPhotos(state, albumIndex); break;
    case LIST_SINA_ARTICLES: SinaArticlePhotos(state, albumIndex); break;
    case LIST_WEIBO: WeiboPhotos(state, albumIndex, pauses); break;
    default: break;  // no reader: nothing is queued
  }
}

}  // namespace

SiteReaders SinaReaders(WeiboPauses pauses) {
  return {SinaListing, [pauses](MainState& state, int albumIndex) { SinaPhotos(state, albumIndex, pauses); }};
}

}  // namespace zentrow
