// Sina blog: the blog's photo categories as albums (their pictures read page by page from
// the blog's photo pages), and the blog's articles as albums (the pictures of each
// article's text).
#include "net/http.h"
#include "sites/kit.h"
#include "sites/sina/sina.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kUtf8 = net::DM_INFLATE | net::DM_UTF8;
// Article pages are read in the system's code page; only their addresses are used.
constexpr unsigned kAnsi = net::DM_INFLATE;

constexpr char16_t kCategoriesPath[] = u"/services/ctg_list_ctg.php?format=gsonv&uid=%s";
constexpr char16_t kCategoryMarker[] = u"\"category\":\"";
constexpr char16_t kPhotoPage[] = u"%s/page%d";
constexpr char16_t kPhotoMarker[] = u"class=\"pt_border\"";
constexpr char16_t kArticlePage[] = u"%s_%d.html";
// Article lists mark each title so; lists of the other layout only by their dotted lines.
constexpr char16_t kTitleMarker[] = u"class=\"atc_title\">";
constexpr char16_t kLineMarker[] = u"class=\"SG_j_linedot";
// A page that links to a next page is not the last one.
constexpr char16_t kNextPage[] = u"\">下一页";

// The article text lies between these two; the rest of the page is not read.
constexpr char kContentStart[] = "class=\"articalContent";
constexpr char kContentEnd[] = "class=\"shareUp\">";
// Each picture of an article links to its viewer with "&url=" and shows its preview
// through "real_src"; the links serve only when there is one for every preview.
constexpr char16_t kViewerMarker[] = u"&url=";
constexpr char16_t kPreviewMarker[] = u"real_src =\"";

// The blog owner: the page title up to "_新浪"; `cut` then continues after the title.
Text OwnerName(Cutter& cut) {
  Text name = StripTags(cut.Take(u"<title>", u"</"));
  TruncateAt(name, u"_新浪");
  return name;
}

bool HasNextPage(TextView page) { return page.find(kNextPage) != TextView::npos; }

// One category (the text after "\"category\":\""); false when it has no name.
bool ReadCategory(TextView piece, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.remarks = 0;
  record.name = UnescapeUnicode(TextBefore(piece, u"\","));
  if (record.name.empty()) return false;
  Cutter cut(piece);
  record.count = cut.TakeInt(u"pic_cnt\":\"", u"\"");
  record.listAddress = Unslash(cut.Take(u"ctg_url\":\"", u"\""));
  record.coverAddress = Unslash(cut.Take(u"big_url\":\"", u"\""));
  return true;
}

// One article link (the text after a list marker); false when it has neither a title
// nor a link text.
bool ReadArticle(TextView piece, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.count = -1;
  record.remarks = 0;
  const Cutter cut(piece);
  record.name = cut.Peek(u"title=\"", u"\"");
  record.listAddress = cut.Peek(u"href=\"", u"\"");
  if (record.name.empty()) record.name = cut.Peek(u">", u"</");
  return !record.name.empty();
}

// The full-size picture behind a preview address.
Text OriginalPicture(TextView piece) {
  Text address(piece);
  TruncateAt(address, u"\"");
  for (TextView size : {u"/middle/", u"/bmiddle/", u"/mw690/"}) ReplaceAll(address, size, u"/orignal/");
  return address;
}

}  // namespace

void SinaBlogAlbums(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(address, page, kUtf8)) return;
  {
    Cutter cut(page);
    state.ownerFolder = OwnerName(cut);
    state.userIdText = cut.Take(u"articlelist_", u"_");
  }
  if (!session.Get(kSinaBlogPhotoHost + Fill(kCategoriesPath, {state.userIdText}), page, kUtf8)) return;
  ST_PERLISTRECORD record;
  VisitSegments(page, kCategoryMarker,
                [&](TextView piece) { return !ReadCategory(piece, record) || AddRow(state, record); });
}

void SinaBlogPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  PagedWalk walk;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, Fill(kPhotoPage, {album.listAddress, NumberText(walk.Page() + 1)}), page, kUtf8);
       walk.NextPage()) {
    more = HasNextPage(page);
    const SegmentVisit visit = VisitSegments(page, kPhotoMarker, [&](TextView piece) {
      Cutter cut(piece);
      // The page's "&amp;" are decoded already: the address is used as it stands.
      Text address = cut.Take(u"src=\"", u"\"");
      ReplaceAll(address, u"/small/", u"/orignal/");
      const Text description = cut.Take(u"title=\"", u"\"");
      return !walk.Fresh(address) || QueuePicture(state, address, description, Text(), albumIndex);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

void SinaArticles(MainState& state, const Text& listBase) {
  PageSession session(kHeaders);
  PagedWalk walk;
  TextView marker = kTitleMarker;  // once the other layout is met, kept for the later pages
  ST_PERLISTRECORD record;
  Text page;
  for (bool more = true;
       more && walk.Fetch(session, Fill(kArticlePage, {listBase, NumberText(walk.Page() + 1)}), page, kUtf8);
       walk.NextPage()) {
    more = HasNextPage(page);
    if (walk.Page() == 0) {
      Cutter cut(page);
      state.ownerFolder = OwnerName(cut);
    }
    if (page.find(marker) == Text::npos) marker = kLineMarker;
    const SegmentVisit visit = VisitSegments(page, marker, [&](TextView piece) {
      const bool named = ReadArticle(piece, record);
      return !walk.Fresh(record.listAddress) || !named || AddRow(state, record);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
  }
}

void SinaArticlePhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  session.Request().startMarker = kContentStart;
  session.Request().endMarker = kContentEnd;
  Text page;
  if (!session.Get(album.listAddress, page, kAnsi)) return;

  const TextView marker =
      CountOf(page, kViewerMarker) == CountOf(page, kPreviewMarker) ? kViewerMarker : kPreviewMarker;
  // Every picture of the article, not only its first; one shown twice is queued once.
  SeenKeys seen;
  VisitSegments(page, marker, [&](TextView piece) {
    const Text address = OriginalPicture(piece);
    return !seen.Add(address) || QueuePicture(state, address, album.name, Text(), albumIndex);
  });
}

}  // namespace zentrow
