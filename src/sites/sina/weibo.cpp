// Weibo albums: every album of one user, listed with the cookies of the Weibo login, and
// their photos, 32 a page.
#include <thread>

#include "net/http.h"
#include "sites/kit.h"
#include "sites/sina/sina.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;
constexpr char16_t kEncodingHeader[] = u"Accept-Encoding: gzip, deflate";

// All albums come in one answer.
constexpr char16_t kAlbumListPath[] = u"/albums/get_all?uid=%s&count=65535";
// The photo reader appends the page number.
constexpr char16_t kPhotoListPath[] = u"/photos/get_all?uid=%s&album_id=%s&count=32&type=%s&page=";
constexpr char16_t kPhotoPage[] = u"%s%d&_rnd=%s";
constexpr char16_t kRefererPath[] = u"/%s/talbum/index?from=profile_wb";
constexpr int kPhotosPerPage = 32;
// Photo-less pages in a row (each asked twice) after which the album is over even when its
// photo count says otherwise: a count near 2^31 would keep a reader waiting for years.
constexpr int kPhotolessPagesInARow = 10;

constexpr char16_t kAlbumMarker[] = u"\"album_id\":\"";
// Opens the album's own entry, then every photo's.
constexpr char16_t kPhotoMarker[] = u"album_id\":";

// The last photo page, for looking into a layout the reader did not understand.
constexpr char16_t kDumpName[] = u"sinawb.tmp";

// The user's page names its owner in one of three forms: two script forms, tried in this
// order, and else the JSON of newer pages.
struct OwnerForm {
  TextView idStart, idEnd, nickStart, nickEnd;
};
constexpr OwnerForm kScriptForms[] = {
    {u"['oid'] = '", u"'", u"['onick'] = '", u"'"},
    {u"['oid']='", u"'", u"['onick']='", u"'"},
};
constexpr OwnerForm kJsonForm = {u"\"id\":", u",", u"\"name\":\"", u"\""};

const OwnerForm& OwnerFormOf(TextView page) {
  for (const OwnerForm& form : kScriptForms)
    if (FoundAfterStart(page, form.idStart)) return form;
  return kJsonForm;
}

// One album entry (the text after "\"album_id\":\""); its fields come in this order.
ST_PERLISTRECORD ReadAlbum(TextView segment, const Text& userId, const Text& albumId) {
  Cutter cut(segment);
  ST_PERLISTRECORD record;
  const Text type = cut.Take(u"type\":", u",");
  record.name = UnescapeUnicode(cut.Take(u"\"caption\":\"", u"\""));
  record.coverAddress = Unslash(cut.Take(u"cover_pic\":\"", u"\""));
  record.count = cut.TakeInt(u"\"photos\":", u",");
  record.listAddress = kWeiboPhotoHost + Fill(kPhotoListPath, {userId, albumId, type});
  record.remarks = 0;
  return record;
}

// A photo's address: the original one, else rebuilt from the picture host and name, the
// type "0" pictures lying under the user's own folder.
Text PhotoAddress(TextView segment, const Text& userId) {
  Cutter cut(segment);
  Text address = cut.Take(u"original_pic\":\"", u"\"");
  if (address.empty()) {
    const Text type = cut.Peek(u"pic_type\":", u",");
    const Text name = cut.Peek(u"pic_name\":\"", u"\"");
    // Hosts come without a closing "/"; one that has it must not double the slash.
    Text host = Unslash(cut.Peek(u"pic_host\":\"", u"\""));
    while (!host.empty() && host.back() == u'/') host.pop_back();
    address = type == u"0" ? host + u"/" + userId + u"/180/" + name : host + u"/large/" + name;
  }
  return Unslash(address);
}

Text PhotoDescription(TextView segment, const Text& albumName) {
  Text description = StripTags(UnescapeUnicode(Cutter(segment).Peek(u"\"caption\":\"", u"\",\"")));
  return description.empty() ? albumName : description;
}

// PageSession::Get, except that an empty answer still counts as fetched: it is dumped too.
bool FetchText(PageSession& session, const Text& address, Text& text) {
  text.clear();
  net::UrlRequest& request = session.Request();
  request.address = address;
  net::UrlResponse response;
  if (!net::Fetch(request, response, 0)) return false;
  net::GetText(response, text, kDecode);
  return true;
}

}  // namespace

void WeiboAlbums(MainState& state, const Text& address) {
  PageSession session(Text(kEncodingHeader) + u"\r\ncookie: " + net::GetCookieText(kWeiboHomeAddress));
  Text page;
  if (!session.Get(address, page, kDecode)) return;
  {
    const OwnerForm& form = OwnerFormOf(page);
    Cutter cut(page);
    state.userIdText = cut.Take(form.idStart, form.idEnd);
    state.ownerFolder = cut.Take(form.nickStart, form.nickEnd);
  }
  SafeFileName(state.ownerFolder, SAFE_NAME_TIMESTAMP, true);
  if (state.userIdText.empty()) return;

  if (!session.Get(kWeiboPhotoHost + Fill(kAlbumListPath, {state.userIdText}), page, kDecode)) return;
  VisitSegments(page, kAlbumMarker, [&](TextView segment) {
    state.scratchText = TextBefore(segment, u"\",");
    return state.scratchText.empty() || AddRow(state, ReadAlbum(segment, state.userIdText, state.scratchText));
  });
}

void WeiboPhotos(MainState& state, int albumIndex, const WeiboPauses& pauses) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(Text(kEncodingHeader) + u"\r\nReferer: " + kWeiboPhotoHost +
                      Fill(kRefererPath, {state.userIdText}));
  session.Request().attempts = 3;
  session.Request().pauseSeconds = 4;

  const int64_t pageLimit = (int64_t{album.count} + kPhotosPerPage - 1) / kPhotosPerPage;
  const Text dump = state.WorkingFolder() + kDumpName;
  // Only a photo-less page at or past the limit ends the album; a site that answers every
  // page number with the same photos would never give one, so a repeated page ends it too.
  PagedWalk walk;
  bool retried = false;
  int photoless = 0;
  Text page;
  // A stop asked for during the waits of photo-less pages is seen before the next fetch.
  for (int64_t number = 1; !DownloadStopped(state); ++number) {
    if (!FetchText(session, Fill(kPhotoPage, {album.listAddress, NumberText(number), RandomFraction()}), page))
      return;
    WriteTextFile(dump, page);
    if (page.empty()) return;

    if (CountOf(page, kPhotoMarker) <= 1) {
      if (number >= pageLimit || photoless >= kPhotolessPagesInARow) return;
      if (!retried) {
        std::this_thread::sleep_for(pauses.retry);
        --number;  // the same page once more
      } else {
        std::this_thread::sleep_for(pauses.moveOn);
        ++photoless;
      }
      retried = !retried;
      continue;
    }
    photoless = 0;
    if (!walk.Admit(page)) return;

    bool albumEntry = true;  // the first segment describes the album itself
    const SegmentVisit visit = VisitSegments(page, kPhotoMarker, [&](TextView segment) {
      if (albumEntry) {
        albumEntry = false;
        return true;
      }
      const Text address = PhotoAddress(segment, state.userIdText);
      return !walk.Fresh(address) ||
             QueuePicture(state, address, PhotoDescription(segment, album.name), Text(), albumIndex);
    });
    if (visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
  }
}

}  // namespace zentrow
