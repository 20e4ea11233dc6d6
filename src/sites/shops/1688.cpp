// 1688: the offers of a wholesale shop (or the one offer whose page was typed) as albums,
// and the main pictures of an offer. The folder is the company's name.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/shops/shops.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate\r\nAccept-Language: zh-cn";
constexpr unsigned kAnsi = net::DM_INFLATE;  // GBK pages

constexpr char16_t kListPage[] = u"%s&showType=window&pageNum=%d";
// The offers of a list page stand between the filters and the tips below them.
constexpr char16_t kFilters[] = u"class=\"filters\"";
constexpr char16_t kTips[] = u"common-tips";
constexpr char16_t kOfferMarker[] = u"class=\"image";
// A list page goes on only through an enabled next link.
constexpr char16_t kNextDisabled[] = u"class=\"next-disabled";
constexpr char16_t kNextLink[] = u"class=\"next\"";

// The company name: in the shop's name block, or else in the hidden Chinese name.
constexpr TextView kCompanyMarkers[] = {u"_compname\">", u"chinaname hidden\""};
// An offer page's own title, behind a prefix the page shows on hover.
constexpr char16_t kOfferImage[] = u"class=\"box-img";
constexpr char16_t kEnlargeHint[] = u"点击查看大图：";
// An offer page lists its pictures after this; the full-size ones as JSON, older pages
// only as styles.
constexpr char16_t kPictureList[] = u"data-tfs-url=\"";
constexpr char16_t kOriginalMarker[] = u"\"original\":\"";
constexpr char16_t kStyleMarker[] = u"image:url(";

Text CompanyName(TextView page) {
  const Cutter cut(page);
  for (TextView marker : kCompanyMarkers) {
    Text name = cut.Peek(marker, u"</");
    DeleteThrough(name, u"\">", true);
    if (!name.empty()) return name;
  }
  return Text();
}

// The company name as the listing's folder; false (after saying so) when there is none.
bool TakeCompanyName(MainState& state, TextView page) {
  Text name = CompanyName(page);
  if (name.empty()) {
    state.Ui().ShowMessage(kShopNameMissing);
    return false;
  }
  SafeFileName(name, SAFE_NAME_TIMESTAMP, true);
  state.ownerFolder = name;
  return true;
}

void OfferAlbum(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(address, page, kAnsi) || !TakeCompanyName(state, page)) return;
  Cutter cut(page);
  cut.Skip(kOfferImage);
  ST_PERLISTRECORD record;
  record.name = cut.Take(u"title=\"", u"\"");
  ReplaceAll(record.name, kEnlargeHint, u"");
  record.listAddress = address;
  record.count = -1;
  record.remarks = 0;
  // Kept before the row is delivered: a listing stopped at this row still downloads it.
  state.userIdText = std::move(page);
  AddRow(state, record);
}

void ShopOffers(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  PagedWalk walk;
  ST_PERLISTRECORD record;
  Text page;
  while (walk.Fetch(session, Fill(kListPage, {address, NumberText(walk.Page() + 1)}), page, kAnsi)) {
    const bool more = !FoundAfterStart(page, kNextDisabled) && page.find(kNextLink) != Text::npos;
    if (walk.Page() == 0 && !TakeCompanyName(state, page)) return;
    TextView list = page;
    DeleteThrough(list, kFilters, true);
    TruncateAt(list, kTips);
    const SegmentVisit visit = VisitSegments(list, kOfferMarker, [&](TextView segment) {
      Cutter cut(segment);
      record = ST_PERLISTRECORD();
      record.listAddress = AbsoluteAddress(cut.Take(u"href=\"", u"\""));
      record.name = cut.Take(u"title=\"", u"\"");
      const Text cover = cut.Take(u"load-src=\"", u"\"");
      const Text absoluteCover = AbsoluteAddress(cover);
      record.coverAddress = absoluteCover.empty() ? cover : absoluteCover;
      record.count = -1;
      record.remarks = 0;
      // An entry without an offer link has nothing to download.
      return record.listAddress.empty() || !walk.Fresh(record.listAddress) || AddRow(state, record);
    });
    if (visit.markers == 0 || visit.stopped || !more || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace

void Offers1688(MainState& state, const Text& address) {
  state.userIdText.clear();
  if (FoundAfterStart(address, Text(k1688Domain) + u"/offer")) OfferAlbum(state, address);
  else ShopOffers(state, address);
}

void Offer1688Photos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  Text page = state.userIdText;  // the offer page the listing kept, if it was an offer
  if (page.empty()) {
    PageSession session(kHeaders);
    if (!session.Get(album.listAddress, page, kAnsi)) return;
  }
  if (!FoundAfterStart(page, kPictureList)) {
    WriteDump(state, kErrorDumpName, page);
    state.Ui().ShowMessage(kProductPageError);
    return;
  }

  const bool styleForm = CountOf(page, kOriginalMarker) < 1;
  SeenKeys queued;
  int number = 0;  // numbers of skipped pictures are not reused
  const SegmentVisit visit = VisitSegments(page, styleForm ? kStyleMarker : kOriginalMarker, [&](TextView segment) {
    ++number;
    const Text address = AbsoluteAddress(Unslash(MarkedPicture(segment, styleForm)));
    if (address.empty() || !queued.Add(address)) return true;
    return QueuePicture(state, address, u"主图_" + NumberText(number), Text(), albumIndex);
  });
  if (visit.stopped) return;
  state.Ui().ShowMessage(kShopNotice);
}

}  // namespace zentrow
