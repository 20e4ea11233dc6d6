// The readers of the Sina category: Weibo albums (weibo.cpp), Sina blog photo albums and
// blog articles (sinablog.cpp). Which one a typed address goes to, and the photo-list
// reader the download uses afterwards, is decided in sina_branch.cpp.
#pragma once

#include <chrono>

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Where the Weibo login leaves its cookies.
inline constexpr char16_t kWeiboHomeAddress[] = u"http://weibo.com/";
// Albums and their photo lists.
inline constexpr char16_t kWeiboPhotoHost[] = u"http://photo.weibo.com";
// The blog photo service: a blog's categories.
inline constexpr char16_t kSinaBlogPhotoHost[] = u"http://photo.blog.sina.com.cn";

// The service sometimes answers a page of an album without its photos while it is still
// gathering them: the page is asked once more after `retry`; a second empty answer moves
// on to the next page after `moveOn`.
struct WeiboPauses {
  std::chrono::milliseconds retry{3000};
  std::chrono::milliseconds moveOn{1500};
};

// Weibo: `address` is the user's page as typed.
void WeiboAlbums(MainState& state, const Text& address);
void WeiboPhotos(MainState& state, int albumIndex, const WeiboPauses& pauses = {});

// Sina blog photo albums: `address` is the blog's home page; every photo category is an album.
void SinaBlogAlbums(MainState& state, const Text& address);
void SinaBlogPhotos(MainState& state, int albumIndex);

// Sina blog articles: `listBase` is the article-list address without its "_<page>.html";
// every article is an album holding the pictures of its text.
void SinaArticles(MainState& state, const Text& listBase);
void SinaArticlePhotos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders SinaReaders(WeiboPauses pauses = {});

}  // namespace zentrow
