// JD: a product page as one album, and its main pictures at their large size: those of
// every colour and size variant (one page each, the product's own last), or the
// product's own gallery alone, as the extension setting "图片获取方式" chooses.
#include <vector>

#include "net/http.h"
#include "sites/jd/jd.h"
#include "sites/kit.h"
#include "sites/shops/shops.h"

namespace zentrow {
namespace {

constexpr char16_t kListingHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kAnsi = net::DM_INFLATE;  // GBK pages
constexpr char16_t kOwnerFolder[] = u"京东";

constexpr char16_t kProductIntro[] = u"id=\"product-intro";
// The variant choices stand between the stock line and the buy buttons.
constexpr char16_t kStockLine[] = u"id=\"summary-stock";
constexpr char16_t kBuyButtons[] = u"class=\"btn-append";
constexpr char16_t kVariantMarker[] = u"class=\"item";
// A product page's gallery: the thumbnails of its picture viewer.
constexpr char16_t kGallery[] = u"class=\"spec-items";
// Links shorter than this are placeholders, not product pages.
constexpr size_t kShortestLink = 15;

// Thumbnail paths and the large picture's path in their place.
struct PathForm {
  TextView thumbnail, large;
};
constexpr PathForm kLargePaths[] = {{u"/n5/", u"/n12/"}, {u"/n9/", u"/n12/"}, {u"/s75x75_jfs/", u"/jfs/"}};

// A gallery entry's "src=" value: between its quotes, or unquoted up to the first blank
// or ">"; empty when it does not end.
Text SourceValue(TextView part) {
  if (!part.empty() && (part[0] == u'"' || part[0] == u'\'')) {
    const size_t close = part.find(part[0], 1);
    return close == TextView::npos ? Text() : Text(part.substr(1, close - 1));
  }
  const size_t end = part.find_first_of(u" \t\r\n>");
  return end == TextView::npos ? Text() : Text(part.substr(0, end));
}

Text LargePicture(TextView part) {
  Text address = AbsoluteAddress(SourceValue(part));
  for (const PathForm& form : kLargePaths) ReplaceAll(address, form.thumbnail, form.large);
  return address;
}

struct Variant {
  Text link;  // absolute, or empty
  Text title;
};

std::vector<Variant> ReadVariants(TextView product) {
  std::vector<Variant> variants;
  if (DeleteThrough(product, kStockLine, true) < 0) return variants;
  TruncateAt(product, kBuyButtons);
  VisitSegments(product, kVariantMarker, [&](TextView segment) {
    Cutter cut(segment);
    Variant variant;
    variant.link = AbsoluteAddress(cut.Take(u"href=\"", u"\""));
    variant.title = cut.Take(u"title=\"", u"\"");
    variants.push_back(std::move(variant));
    return true;
  });
  return variants;
}

// Whether the link is the product's own page, whatever scheme either is written with.
bool IsOwnPage(const Text& link, const Text& ownAddress) {
  const size_t colon = link.find(u':');
  return !link.empty() && colon != Text::npos && ownAddress.find(TextView(link).substr(colon + 1)) != Text::npos;
}

// The pictures of one album, each queued once: a picture two variants share comes once.
class AlbumPictures {
 public:
  AlbumPictures(MainState& state, int albumIndex) : state_(state), albumIndex_(albumIndex) {}

  // Queues the gallery of a product page, described by the variant's title when it has
  // one; false when the download is to stop.
  bool QueueGallery(TextView page, const Text& title) {
    if (!FoundAfterStart(page, kGallery)) return true;
    DeleteThrough(page, kGallery, true);
    TruncateAt(page, u"</ul>");
    const Text lead = title.empty() ? Text() : title + u"_";
    int number = 0;  // of every entry: the numbers of skipped ones are not reused
    const SegmentVisit visit = VisitSegments(page, u"src=", [&](TextView part) {
      ++number;
      const Text address = LargePicture(part);
      if (address.empty() || !queued_.Add(address)) return !DownloadStopped(state_);
      return QueuePicture(state_, address, lead + u"主图_" + NumberText(number), Text(), albumIndex_);
    });
    return !visit.stopped;
  }

  // Every variant's page in order, the product's own from the kept page, and the
  // product itself last when no variant was it. False when the download is to stop.
  bool WalkVariants(std::vector<Variant> variants, const Text& ownAddress, TextView product) {
    PageSession session;
    SeenKeys fetched;  // one fetch per variant page
    bool ownRead = false;
    for (size_t i = 0; i < variants.size(); ++i) {  // the product itself may be appended
      if (DownloadStopped(state_)) return false;
      const Variant variant = variants[i];
      if (IsOwnPage(variant.link, ownAddress)) {
        ownRead = true;
        if (variant.link.size() >= kShortestLink && !QueueGallery(product, variant.title)) return false;
        continue;
      }
      if (i + 1 == variants.size() && !ownRead) variants.push_back({ownAddress, Text()});
      if (variant.link.size() < kShortestLink || !fetched.Add(variant.link)) continue;
      Text page;
      if (!session.Get(variant.link, page, kAnsi)) continue;
      if (!QueueGallery(page, variant.title)) return false;
    }
    return true;
  }

 private:
  MainState& state_;
  const int albumIndex_;
  SeenKeys queued_;
};

}  // namespace

void JdAlbum(MainState& state, const Text& address) {
  state.userIdText.clear();  // never the page of an earlier listing
  PageSession session(kListingHeaders);
  Text page;
  if (!session.Get(address, page, kAnsi)) return;
  ST_PERLISTRECORD record;
  {
    Cutter cut(page);
    cut.Skip(kProductIntro);
    record.name = cut.Peek(u"<h1>", u"</");
  }
  if (record.name.empty()) {
    state.Ui().ShowMessage(kShopNameMissing);
    return;
  }
  state.ownerFolder = kOwnerFolder;
  record.listAddress = address;
  record.count = -1;
  record.remarks = 0;
  // Kept before the row is delivered: a listing stopped at this row still downloads it.
  state.userIdText = std::move(page);
  AddRow(state, record);
}

void JdPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  const Text product = state.userIdText;
  if (!(state.naming.optionFlags & OPT_DESCRIPTION_PICTURES)) {
    AlbumPictures pictures(state, albumIndex);
    std::vector<Variant> variants = ReadVariants(product);
    const bool read = !variants.empty() && state.extension.jdWay == 1
                          ? pictures.WalkVariants(std::move(variants), album.listAddress, product)
                          : pictures.QueueGallery(product, Text());
    if (!read) return;
  }
  state.Ui().ShowMessage(kShopNotice);
}

}  // namespace zentrow
