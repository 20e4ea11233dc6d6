// Moko: a user's posts, category by category and page by page, each post an album of the
// pictures on its page.
#include <array>
#include <vector>

#include "net/http.h"
#include "sites/kit.h"
#include "sites/moko/moko.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
// Lists are UTF-8; post pages come in the system's code page (GBK).
constexpr unsigned kUtf8 = net::DM_INFLATE | net::DM_UTF8;
constexpr unsigned kAnsi = net::DM_INFLATE;

// A single category is typed by its own address.
constexpr TextView kCategoryForms[] = {u"/category/", u"/new/"};
// The post list names the user's categories between these two; nothing after them is read.
constexpr char kCategoriesEnd[] = "<div class=\"sBox";
constexpr char16_t kCategoriesStart[] = u"class=\"mwC\"";
constexpr char16_t kCategoryPage[] = u"%s/%d.html";
// The arrow to the next page ("&gt;" arrives decoded).
constexpr char16_t kNextPage[] = u"class=\"b bC\">></a>";

constexpr char16_t kPictureMarker[] = u"class=\"picBox\">";
// Pictures load lazily: their address is in "src2", "src" holds a placeholder.
constexpr char16_t kLazySource[] = u"src2=\"";

// The two layouts of a category page's entries, each with its fields in page order.
enum class Field { Count, Name, Link, Cover };
struct FieldCut {
  Field field;
  TextView start, end;
};
struct EntryLayout {
  TextView marker;
  std::array<FieldCut, 4> cuts;
};
constexpr EntryLayout kShowLayout = {u"class=\"show",
                                     {{{Field::Count, u"mC\">", u"</"},
                                       {Field::Name, u"title=\"", u"\""},
                                       {Field::Link, u"href=\"", u"\""},
                                       {Field::Cover, kLazySource, u"\""}}}};
constexpr EntryLayout kTwShowLayout = {u"class=\"twShow",
                                       {{{Field::Count, u"/>(", u")"},
                                         {Field::Link, u"href=\"", u"\""},
                                         {Field::Name, u"title=\"", u"\""},
                                         {Field::Cover, kLazySource, u"\""}}}};

const EntryLayout& LayoutOf(TextView page) {
  return FoundAfterStart(page, kShowLayout.marker) ? kShowLayout : kTwShowLayout;
}

ST_PERLISTRECORD ReadEntry(TextView segment, const EntryLayout& layout) {
  ST_PERLISTRECORD record;
  record.remarks = 0;
  Cutter cut(segment);
  for (const FieldCut& c : layout.cuts) {
    Text value = cut.Take(c.start, c.end);
    switch (c.field) {
      case Field::Count: record.count = ReadInt(value); break;
      case Field::Name: record.name = std::move(value); break;
      case Field::Link: record.listAddress = std::move(value); break;
      case Field::Cover: record.coverAddress = std::move(value); break;
    }
  }
  return record;
}

Text UpToLastSlash(TextView address) {
  const size_t last = address.rfind(u'/');
  return Text(last == TextView::npos ? TextView() : address.substr(0, last));
}

// The owner: the page title up to "'s", made a safe name.
Text OwnerOf(TextView page) {
  Text name = Cutter(page).Take(u"<title>", u"'s");
  SafeFileName(name, SAFE_NAME_TIMESTAMP, true);
  return name;
}

// The categories linked from the post list, each once.
std::vector<Text> ReadCategories(TextView page) {
  Cutter cut(page);
  cut.Skip(kCategoriesStart);
  std::vector<Text> categories;
  SeenKeys seen;
  VisitSegments(cut.Rest(), u"href=\"", [&](TextView segment) {
    const Text category = UpToLastSlash(OnHost(kMokoHost, TextBefore(segment, u"\"")));
    if (!category.empty() && seen.Add(category)) categories.push_back(category);
    return true;
  });
  return categories;
}

}  // namespace

void MokoAlbums(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  Text page;
  std::vector<Text> categories;
  bool oneCategory = false;
  for (TextView form : kCategoryForms) oneCategory = oneCategory || address.find(form) != Text::npos;
  if (oneCategory) {
    categories.push_back(UpToLastSlash(address));
  } else {
    session.Request().endMarker = kCategoriesEnd;
    if (!session.Get(address, page, kUtf8)) return;
    session.Request().endMarker.clear();
    state.ownerFolder = OwnerOf(page);
    categories = ReadCategories(page);
  }

  // A post filed in two categories is listed once.
  SeenKeys posts;
  for (const Text& category : categories) {
    PagedWalk walk;
    for (bool more = true;
         more && walk.Fetch(session, Fill(kCategoryPage, {category, NumberText(walk.Page() + 1)}), page, kUtf8);
         walk.NextPage()) {
      if (state.ownerFolder.empty()) state.ownerFolder = OwnerOf(page);
      more = page.find(kNextPage) != Text::npos;
      const EntryLayout& layout = LayoutOf(page);
      const SegmentVisit visit = VisitSegments(page, layout.marker, [&](TextView segment) {
        const ST_PERLISTRECORD record = ReadEntry(segment, layout);
        if (record.listAddress.empty() || !walk.Fresh(record.listAddress) || !posts.Add(record.listAddress))
          return true;
        return AddRow(state, record);
      });
      if (visit.stopped || ListingStopped(state)) return;
      if (!walk.BroughtNew()) break;
    }
  }
}

void MokoPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(OnHost(kMokoHost, album.listAddress), page, kAnsi)) return;
  SeenKeys pictures;
  VisitSegments(page, kPictureMarker, [&](TextView segment) {
    const Text address = Cutter(segment).Take(kLazySource, u"\"");
    if (address.empty() || !pictures.Add(address)) return true;
    return QueuePicture(state, address, Text(), Text(), albumIndex);
  });
}

}  // namespace zentrow
