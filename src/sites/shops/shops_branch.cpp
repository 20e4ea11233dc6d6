// The shop category: 1688 offers and shops, Taobao and Tmall products, searches,
// categories and shops; the key each reader receives, and the photo-list reader the
// download uses afterwards. A listing that finds exactly one product downloads it at once.
#include <algorithm>

#include "sites/kit.h"
#include "sites/shops/shops.h"

namespace zentrow {
namespace {

constexpr int32_t LIST_1688 = 2;

constexpr char16_t kShopEmpty[] =
    u"没有获取到宝贝，请确认输入的是淘宝或天猫的店铺首页、宝贝页、搜索页或分类页的网址";

// Address forms: 1688 offers, 1688 pages of a shop, and the Taobao and Tmall pages that
// list products by themselves (found after the start).
constexpr char16_t kOfferPath[] = u".com/offer";
constexpr char16_t kShopPagePath[] = u"/page/";
constexpr TextView kTaobaoListForms[] = {u"search", u"item.", u"/category-"};
// What a shop's home page becomes: the list of all its offers or products.
constexpr char16_t k1688OfferList[] = u"/page/offerlist.htm?";
constexpr char16_t kTaobaoSearchAll[] = u"/?search=y";

// The paging and view parameters a typed address carries are put out of action, so that
// those the readers append take effect and every listing starts at its first page.
void DisableParameters(Text& text, TextView viewKey) {
  if (text.find(u'?') == Text::npos) text += u'?';
  ReplaceAll(text, u"pageNum=", u"Vrk1=");
  ReplaceAll(text, viewKey, u"Vrk2=");
}

// The 1688 domain followed by "/", or a 1688 host typed without the closing "/".
bool Is1688(const Text& text) {
  if (FoundAfterStart(text, Text(k1688Domain) + u"/")) return true;
  const Text host = ShopHost(text);
  return host.ends_with(Text(u".") + k1688Domain) || host.ends_with(Text(u"/") + k1688Domain);
}

void ShopListing(MainState& state, Text text, ListingOutcome& outcome) {
  TruncateAt(text, u"#");
  if (Is1688(text)) {
    if (text.find(kOfferPath) != Text::npos) {
      // an offer page, as it is
    } else if (text.find(kShopPagePath) != Text::npos) {
      DisableParameters(text, u"showType=");
    } else {
      text = ShopHost(text) + k1688OfferList;
    }
    Offers1688(state, text);
    state.listType = LIST_1688;
  } else {
    outcome.emptyMessage = kShopEmpty;
    const bool listsItself = std::any_of(std::begin(kTaobaoListForms), std::end(kTaobaoListForms),
                                         [&](TextView form) { return FoundAfterStart(text, form); });
    if (listsItself) DisableParameters(text, u"viewType=");
    else text = ShopHost(text) + kTaobaoSearchAll;
    TaobaoAlbums(state, text);
  }
  outcome.autoDownload = state.albums.Count() == 1;
}

void ShopPhotos(MainState& state, int albumIndex) {
  if (state.listType == LIST_1688) Offer1688Photos(state, albumIndex);
  else TaobaoPhotos(state, albumIndex);
}

}  // namespace

Text ShopHost(TextView address) {
  const size_t scheme = address.find(u"://");
  const size_t host = scheme == TextView::npos ? 0 : scheme + 3;
  return Text(address.substr(0, address.find_first_of(u"/?#", host)));
}

Text AbsoluteAddress(TextView link) {
  if (link.starts_with(u"//")) return u"http:" + Text(link);
  if (link.starts_with(u"http://") || link.starts_with(u"https://")) return Text(link);
  return Text();
}

Text WithoutSizeSuffix(TextView address) {
  constexpr TextView kExtensions[] = {u".jpg_", u".jpeg_", u".png_", u".gif_", u".webp_", u".bmp_"};
  Text lower(address);
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  size_t end = Text::npos;
  for (TextView extension : kExtensions) {
    const size_t at = lower.find(extension);
    if (at != Text::npos) end = std::min(end, at + extension.size() - 1);
  }
  return Text(address.substr(0, end));
}

Text MarkedPicture(TextView segment, bool styleForm) {
  if (!styleForm) return TextBefore(segment, u"\"");
  const size_t close = segment.find(u')');
  if (close == TextView::npos) return Text();
  Text address(segment.substr(0, close));
  std::erase(address, u'"');
  std::erase(address, u'\'');
  TrimInPlace(address);
  return address;
}

SiteReaders ShopReaders() { return {ShopListing, ShopPhotos}; }

}  // namespace zentrow
