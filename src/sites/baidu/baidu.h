// The readers of the Baidu category: Baidu albums (baidu_albums.cpp) and Baidu Tieba forums
// and threads (tieba.cpp). Which one a typed address goes to, and the photo-list reader
// the download uses afterwards, is decided in baidu_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// The album service: home pages "/u/<user>", album lists, photo lists, the verification page.
inline constexpr char16_t kBaiduAlbumHost[] = u"http://xiangce.baidu.com";
// Forums and threads.
inline constexpr char16_t kTiebaHost[] = u"http://tieba.baidu.com";
// Where a Tieba picture lies by its id.
inline constexpr char16_t kBaiduPictureHost[] = u"http://imgsrc.baidu.com";

// The question asked when an album that claims pictures shows none (caption "提示").
inline constexpr char16_t kBaiduVerifyQuestion[] = u"为非公开相册,是否进行验证？\n\n验证成功后请手动关闭验证框";

// Baidu albums: `user` is the user name of the home page "/u/<user>"; it also names the
// download folder. The albums of the home page come first, then those of the album list
// that the home page did not show.
void BaiduAlbums(MainState& state, const Text& user);
void BaiduAlbumPhotos(MainState& state, int albumIndex);

// The full-size address of a photo list's picture: "…/album/<size>/<name>" becomes
// "…/album/pic/item/<name>"; an address of another form stays as it is.
Text BaiduFullSizePicture(TextView address);

// Tieba forum: `forum` is the forum name as read (no percent escapes); the photo reader
// finds it in the user id text.
void TiebaForumAlbums(MainState& state, const Text& forum);
void TiebaForumPhotos(MainState& state, int albumIndex);

// Tieba thread: `threadAlbum` is the thread's album address
// "http://tieba.baidu.com/photo/p?kw=<forum>&fp=1&tid=<thread>"; the thread is one album.
void TiebaThreadAlbum(MainState& state, const Text& threadAlbum);
void TiebaThreadPhotos(MainState& state, int albumIndex);

// A forum name from an address ("kw=" value): percent escapes decoded as UTF-8, or as GBK
// when they do not make UTF-8 (older forum links); a name typed in Chinese stays as it is.
Text TiebaForumName(TextView kw);
// The forum name as a query value: every byte of its UTF-8 form but letters, digits and
// "-._~" percent-encoded, so that "&", "#", "+" or "%" in a name stay part of it.
Text TiebaQueryValue(TextView forum);

// The category's entry of the site table.
SiteReaders BaiduReaders();

}  // namespace zentrow
