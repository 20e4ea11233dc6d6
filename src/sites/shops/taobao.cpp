// Taobao and Tmall: the products of a shop, a search or a category page (or the one
// product whose page was typed) as albums, and the main pictures of a product, with its
// price in their names when the extension settings ask for it.
#include <charconv>
#include <string>

#include "net/http.h"
#include "sites/kit.h"
#include "sites/shops/shops.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate\r\nAccept-Language: zh-cn";
// The pages are in the system code page (GBK); product pages may hold zero bytes.
constexpr unsigned kAnsi = net::DM_INFLATE;
constexpr unsigned kAnsiKeepZero = net::DM_INFLATE | net::DM_KEEPZERO;
constexpr unsigned kUtf8KeepZero = net::DM_INFLATE | net::DM_UTF8 | net::DM_KEEPZERO;

// A product page's address holds this (after the start); any other address lists products.
constexpr char16_t kItemMark[] = u"item.";
constexpr char16_t kListPage[] = u"%s&viewType=grid&pageNum=%d";

// Product entries of a list page: the usual layout, and the one some shops use instead.
constexpr char16_t kProductMarker[] = u"<dl class=\"item";
constexpr char16_t kOtherProductMarker[] = u"<div class=\"item\">";
// The list proper begins after the sorting bar and ends before the price filter's button.
constexpr char16_t kSortBar[] = u"排序：";
constexpr char16_t kFilterButton[] = u"<button type=\"submit\">确定";
constexpr char16_t kNothingFound[] = u"很抱歉，搜索到“<em>0</em>”个宝贝";
// A page is the last one when it says so, shows its next link disabled, or has none.
constexpr char16_t kNoNextPage[] = u"没有下一页";
constexpr char16_t kDisabledNext[] = u"disable\">下一页";
constexpr char16_t kNextLink[] = u">下一页</a>";

// Products sold in a bundle are shown on the bundle host's page instead.
constexpr char16_t kItemHost[] = u"//item.taobao.com";
constexpr char16_t kBundleHost[] = u"//bundle.taobao.com";
constexpr char16_t kBundlePage[] = u"'http://bundle.taobao.com/item.htm'";
// Every product page refers to its description on this host.
constexpr char16_t kDescriptionHost[] = u"//dsc.taobaocdn.com";
// The main pictures: the thumbnails of the picture viewer.
constexpr char16_t kThumbnails[] = u"id=\"J_UlThumb\"";

// Price forms, tried in this order.
struct PriceForm {
  TextView start, end;
};
constexpr PriceForm kPriceForms[] = {
    {u"defaultItemPrice':'", u"'"},
    {u"price:", u","},
    {u"defaultItemPrice\":\"", u"\""},
    {u"\"tb-rmb-num\">", u"<"},
};

// Diagnosis dumps: a list page without products, and the page of a product link that
// could not be read.
constexpr char16_t kListDumpName[] = u"taobao.tmp";
constexpr char16_t kLinkError[] = u"获取信息出错,请将程序目录下的log.err文件发给作者,以便修改";

bool IsAscii(TextView text) {
  for (char16_t c : text)
    if (c > 0x7F) return false;
  return true;
}

// The shop keeper's nickname: "nickName:" (quoted, often percent-encoded UTF-8) or the
// script form "…NickName\"".
Text SellerNickname(const Cutter& cut) {
  Text nickname = cut.Peek(u"nickName:", u",");
  if (nickname.empty()) nickname = cut.Peek(u"NickName\"", u",");
  ReplaceAll(nickname, u"'", u"");
  TrimInPlace(nickname);
  // A name the page gives in plain characters is already decoded.
  if (IsAscii(nickname)) nickname = UrlDecode(nickname);
  SafeFileName(nickname, SAFE_NAME_TIMESTAMP, true);
  return nickname;
}

// The page title without the site's name after its last "-".
Text ProductTitle(Cutter& cut) {
  Text title = cut.Take(u"<title>", u"</title>");
  const size_t dash = title.rfind(u'-');
  if (dash != Text::npos && dash > 0) title.resize(dash);
  return title;
}

// Where a pattern occurs beyond the page's first few characters.
bool FoundPast(TextView page, TextView pattern, size_t position) {
  const size_t at = page.find(pattern);
  return at != TextView::npos && at > position;
}

bool HasNextPage(TextView page) {
  return !FoundPast(page, kNoNextPage, 10) && !FoundPast(page, kDisabledNext, 10) &&
         page.find(kNextLink) != TextView::npos;
}

void ItemAlbum(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(address, page, kAnsi)) return;
  Cutter cut(page);
  ST_PERLISTRECORD record;
  record.name = ProductTitle(cut);
  state.ownerFolder = SellerNickname(cut);
  record.listAddress = address;
  record.count = -1;
  record.remarks = 0;
  AddRow(state, record);
}

// One product entry of a list page (the text after the product marker): a product, an
// entry without link or name, or a link of a form the reader does not know.
enum class Entry { Product, Skipped, UnknownLink };
Entry ReadProduct(TextView segment, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  Cutter cut(segment);
  const Text link = cut.Take(u"href=\"", u"\"");
  if (link.empty()) return Entry::Skipped;
  record.listAddress = AbsoluteAddress(link);
  if (record.listAddress.empty()) return Entry::UnknownLink;
  Text cover = cut.Take(u"lazyload=\"", u"\"");
  if (cover.empty()) cover = cut.Take(u"src=\"", u"\"");
  const Text absoluteCover = AbsoluteAddress(cover);
  record.coverAddress = absoluteCover.empty() ? cover : absoluteCover;
  cut.Skip(u"<a");
  cut.Skip(u"class=\"item-name\"");
  record.name = cut.Take(u">", u"</a>");
  if (record.name.empty()) return Entry::Skipped;
  const Text sales = FoundAfterStart(cut.Rest(), u"sale-num\">") ? cut.Take(u"sale-num\">", u"</")
                                                                  : cut.Take(u"<em>", u"</em>");
  record.numberB = static_cast<int32_t>(ParseUnsigned(sales));
  record.count = -1;
  record.remarks = 0;
  return Entry::Product;
}

void ShopAlbums(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  Text page;
  session.Get(kTaobaoHomeAddress, page, kAnsi);  // only its cookies matter

  TextView marker = kProductMarker;  // once the other layout is met, kept for the later pages
  PagedWalk walk;
  ST_PERLISTRECORD record;
  while (walk.Fetch(session, Fill(kListPage, {address, NumberText(walk.Page() + 1)}), page, kAnsi)) {
    if (walk.Page() == 0) {
      const Cutter cut(page);
      state.ownerFolder = SellerNickname(cut);
      state.extraFolder = StripTags(cut.Peek(u"<ol>", u"</ol>"));
    }
    const bool more = HasNextPage(page);
    if (FoundAfterStart(page, kNothingFound)) return;

    TextView list = page;
    DeleteThrough(list, kSortBar, false);
    if (FoundAfterStart(list, kFilterButton)) TruncateAt(list, kFilterButton);
    if (list.find(marker) == TextView::npos) marker = kOtherProductMarker;
    if (list.find(marker) == TextView::npos) {
      WriteDump(state, kListDumpName, page);
      return;
    }

    bool unknownLink = false;
    const SegmentVisit visit = VisitSegments(list, marker, [&](TextView segment) {
      switch (ReadProduct(segment, record)) {
        case Entry::Skipped: return true;
        case Entry::UnknownLink: unknownLink = true; return false;
        case Entry::Product: break;
      }
      return !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (unknownLink) {
      WriteDump(state, kErrorDumpName, page);
      state.Ui().ShowMessage(kLinkError);
      return;
    }
    if (visit.stopped || !more || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

Text FindPrice(TextView page) {
  const Cutter cut(page);
  for (const PriceForm& form : kPriceForms) {
    Text price = cut.Peek(form.start, form.end);
    if (!price.empty()) return price;
  }
  return Text();
}

// A decimal number at the start of the text (blanks skipped); 0 when there is none.
double ReadDecimal(TextView text) {
  std::string bytes = ToUtf8(Trim(text));
  double value = 0;
  std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
  return value;
}

// "价格<price>元_" as the page gives the price, or adjusted by the set amount and written
// with two decimals; empty when prices are not wanted or the page shows none.
Text PricePrefix(const Text& price, const ExtensionSettings& settings) {
  if (!settings.taobaoPriceInName || price.empty()) return Text();
  if (settings.taobaoPriceIncrement == 0) return u"价格" + price + u"元_";
  char buffer[64];
  const double adjusted = ReadDecimal(price) + settings.taobaoPriceIncrement;
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, adjusted, std::chars_format::fixed, 2);
  return u"价格" + FromAscii(std::string_view(buffer, written.ptr - buffer)) + u"元_";
}

// The viewer's thumbnails; none when the page has no viewer.
TextView ThumbnailBlock(TextView page) {
  if (DeleteThrough(page, kThumbnails, true) < 0) return TextView();
  const size_t end = page.find(u"</ul>");
  return end == TextView::npos ? TextView() : page.substr(0, end);
}

// One thumbnail (the text after the picture marker) as the picture to download.
Text ThumbnailPicture(TextView segment, bool styleForm) {
  Text address = FoundAfterStart(segment, u"lazyload=\"") ? Cutter(segment).Peek(u"lazyload=\"", u"\"")
                                                           : MarkedPicture(segment, styleForm);
  return AbsoluteAddress(WithoutSizeSuffix(address));
}

}  // namespace

void TaobaoAlbums(MainState& state, const Text& address) {
  if (FoundAfterStart(address, kItemMark)) ItemAlbum(state, address);
  else ShopAlbums(state, address);
}

void TaobaoPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(album.listAddress, page, kAnsiKeepZero)) return;
  if (FoundAfterStart(page, kBundlePage)) {
    Text bundle = album.listAddress;
    ReplaceAll(bundle, kItemHost, kBundleHost);
    if (!session.Get(bundle, page, kAnsiKeepZero)) return;
  }
  if (page.find(kDescriptionHost) == Text::npos) {
    net::GetText(session.Response(), page, kUtf8KeepZero);
    if (!FoundAfterStart(page, kDescriptionHost)) {
      WriteDump(state, kErrorDumpName, page);
      state.Ui().ShowMessage(kProductPageError);
      return;
    }
    net::GetText(session.Response(), page, kAnsiKeepZero);
  }

  const Text prefix = PricePrefix(FindPrice(page), state.extension);
  if (state.naming.optionFlags & OPT_DESCRIPTION_PICTURES) return;

  const TextView block = ThumbnailBlock(page);
  const bool styleForm = CountOf(block, u"src=\"") < 1;
  SeenKeys queued;
  int number = 0;
  const SegmentVisit visit = VisitSegments(block, styleForm ? u"image:url(" : u"src=\"", [&](TextView segment) {
    ++number;
    const Text address = ThumbnailPicture(segment, styleForm);
    if (address.empty() || !queued.Add(address)) return true;
    return QueuePicture(state, address, prefix + u"主图_" + NumberText(number), Text(), albumIndex);
  });
  if (visit.stopped) return;
  state.Ui().ShowMessage(kShopNotice);
}

}  // namespace zentrow
