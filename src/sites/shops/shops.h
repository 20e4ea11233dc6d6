// The readers of the shop category: Taobao and Tmall (taobao.cpp) and 1688 (1688.cpp).
// Every product is one album: a shop lists its products, a product page lists itself,
// and a product's download is its main pictures. Which reader a typed address goes to,
// and the photo-list reader the download uses afterwards, is decided in shops_branch.cpp.
#pragma once

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Visited once before a shop's list pages, as a browser would have been.
inline constexpr char16_t kTaobaoHomeAddress[] = u"http://www.taobao.com/";
// 1688 addresses carry the domain followed by "/"; its offer pages by "/offer".
inline constexpr char16_t k1688Domain[] = u"1688.com";

// Shown when a product's pictures have been read (Taobao, Tmall, 1688 and JD).
inline constexpr char16_t kShopNotice[] = u"本软件只下载宝贝(商品)的主图，宝贝描述里的图片不会下载。";
// A 1688 shop or a JD product page whose name could not be found.
inline constexpr char16_t kShopNameMissing[] =
    u"没有获取到店铺或商品的名称，请确认输入的是商品页或店铺首页的网址，或稍后重试";
// A product page of an unknown layout: the page is kept in "log.err".
inline constexpr char16_t kProductPageError[] =
    u"获取信息出错(2),请将程序目录下的log.err文件发给作者,以便修改";
inline constexpr char16_t kErrorDumpName[] = u"log.err";

// Taobao and Tmall. `address` as the branch prepared it: a product page (its address
// holds "item.") lists that product, any other address is a list of the shop's products.
void TaobaoAlbums(MainState& state, const Text& address);
void TaobaoPhotos(MainState& state, int albumIndex);

// 1688. `address` as the branch prepared it: an offer page lists that offer (its page is
// kept in the user id text for the download), a shop's offer list its offers.
void Offers1688(MainState& state, const Text& address);
void Offer1688Photos(MainState& state, int albumIndex);

// The category's entry of the site table.
SiteReaders ShopReaders();

// ---- pieces the readers share, on text alone ----

// The address up to the end of its host: "http://shop1.taobao.com/x?y" gives
// "http://shop1.taobao.com".
Text ShopHost(TextView address);

// A link or picture address as a page gives it: "//host/path" gets "http:" in front,
// "http://" and "https://" addresses stay as they are; anything else is not an address
// to fetch (empty).
Text AbsoluteAddress(TextView link);

// A picture address without the size suffix the sites append to a picture's name for
// its thumbnails ("….jpg_60x60.jpg", "….png_.webp"): everything after the first picture
// extension that a "_" follows. An address without such a suffix stays whole.
Text WithoutSizeSuffix(TextView address);

// The address a picture marker is followed by: up to the next double quote; for a style
// ("image:url(") also up to its ")", without quotes around it.
Text MarkedPicture(TextView segment, bool styleForm);

}  // namespace zentrow
