// Renren zhan: a small themed site made of posts. Every post is an album; the site's
// archive lists them month by month (or, for an address naming a tag, by that tag), and
// a post's page gives its first picture.
#include <vector>

#include "net/http.h"
#include "sites/kit.h"
#include "sites/renren/renren.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;

constexpr char16_t kArchivePath[] = u"/archive?site_id=%s";
constexpr char16_t kByTimePath[] = u"/archive/archiveByTime?site_id=%s%s&month=%s&page=%d";
constexpr char16_t kByTagPath[] = u"/archive/archiveByTag?site_id=%s%s&page=%d";
constexpr char16_t kPostPath[] = u"/%s?gid=%s&ajax=true";

// The archive pages carry their posts as escaped HTML inside JSON: `<div id=\"feed1001\"`.
constexpr char16_t kPostMarker[] = u"<div id=\\\"";
constexpr char16_t kEscapedQuote[] = u"\\\"";
constexpr char16_t kTitleStart[] = u"class=\\\"title\\\">";
constexpr char16_t kTitleEnd[] = u"<\\/";

// A post's page: the post lies between these two; the rest is not read.
constexpr char kPostStart[] = "id=\"main-wrap\"";
constexpr char kPostEnd[] = "class=\"ccagreement\">";
constexpr char16_t kPhotoMarker[] = u"class=\"photo\">";

Text ZhanHost() { return Text(u"http://") + kRenrenZhanHost; }

// The months of the archive, newest first as the page lists them; each once.
std::vector<Text> ArchiveMonths(TextView archive) {
  DeleteThrough(archive, u"class=\"time_control", true);
  TruncateAt(archive, u"</section>");
  std::vector<Text> months;
  SeenKeys seen;
  VisitSegments(archive, u"mark=\"", [&](TextView piece) {
    Text month(piece);
    TruncateAt(month, u"\"");
    if (seen.Add(month)) months.push_back(std::move(month));
    return true;
  });
  return months;
}

}  // namespace

void RenrenZhanPosts(MainState& state, const Text& address) {
  PageSession session(kRenrenHeaders);
  Text home;
  if (!session.Get(address, home, kDecode)) return;

  // "http://zhan.renren.com/<site>?tagId=..." names the site by "<site>".
  Text site = address;
  DeleteThrough(site, u"com/", true);
  TruncateAt(site, u"?");
  TrimInPlace(site);

  const Cutter homeCut(home);
  state.userIdText = homeCut.Peek(u"site_id=", u"\"");
  state.ownerFolder = homeCut.Peek(u"name:'", u"'");
  Text tag;
  if (FoundAfterStart(address, u"tagId=")) {
    tag = address;
    DeleteThrough(tag, u"tagId=", true);
    TruncateAt(tag, u"&");
  }

  std::vector<Text> months;
  if (!tag.empty()) {
    // One tag: its posts are listed by the tag alone, in one "month" without a name.
    const Text section = homeCut.Peek(u"class=\"s\"", u"</li>");
    Cutter sectionCut(section);
    state.extraFolder = sectionCut.Take(u">", u"<");
    state.scratchText = u"&tag_id=" + tag;
    months.emplace_back();
  } else {
    state.scratchText.clear();
    Text archive;
    if (!session.Get(ZhanHost() + Fill(kArchivePath, {state.userIdText}), archive, kDecode)) return;
    months = ArchiveMonths(archive);
  }

  // A month ends at its first page without posts, or at a page that brings no post not
  // met before in this listing.
  SeenKeys posts;
  for (const Text& month : months) {
    PagedWalk walk;
    Text page;
    auto pageAddress = [&] {
      const Text number = NumberText(walk.Page());
      return ZhanHost() + (month.empty() ? Fill(kByTagPath, {state.userIdText, state.scratchText, number})
                                         : Fill(kByTimePath, {state.userIdText, state.scratchText, month, number}));
    };
    while (walk.Fetch(session, pageAddress(), page, kDecode)) {
      const SegmentVisit found = VisitSegments(page, kPostMarker, [&](TextView piece) {
        Text post = TextBefore(piece, kEscapedQuote);
        ReplaceAll(post, u"feed", u"");
        if (!posts.Add(post)) return true;
        walk.Fresh(post);
        ST_PERLISTRECORD record;
        record.count = -1;
        record.remarks = 0;
        record.listAddress = ZhanHost() + Fill(kPostPath, {site, post});
        record.name = UnescapeUnicode(Cutter(piece).Take(kTitleStart, kTitleEnd));
        // A post without a title is no album.
        return record.name.empty() || AddRow(state, record);
      });
      if (found.stopped) return;
      if (found.markers == 0 || !walk.BroughtNew()) break;
      walk.NextPage();
    }
  }
}

void RenrenZhanPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kRenrenHeaders);
  session.Request().startMarker = kPostStart;
  session.Request().endMarker = kPostEnd;
  Text page;
  if (!session.Get(album.listAddress, page, kDecode)) return;

  // The post's first picture: of its photo blocks, else of the whole post.
  const TextView separator = CountOf(page, kPhotoMarker) < 1 ? TextView(u"<img") : TextView(kPhotoMarker);
  Text address;
  VisitSegments(page, separator, [&](TextView piece) {
    Cutter cut(piece);
    address = cut.Take(u"data-src=\"", u"\"");
    if (address.empty()) address = cut.Take(u"src=\"", u"\"");
    return false;
  });
  if (address.empty()) return;
  QueuePicture(state, address, album.name, u"Referer: " + album.listAddress, albumIndex);
}

}  // namespace zentrow
