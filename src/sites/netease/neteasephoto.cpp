// NetEase albums: every album of one user from the album list script the user's page names,
// the photo-list scripts of hidden albums asked for by the service's remote call, and the
// pictures of each album's script.
#include "net/http.h"
#include "sites/kit.h"
#include "sites/netease/netease.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kPageMode = net::DM_INFLATE;  // pages and scripts are GBK
constexpr unsigned kCallMode = net::DM_INFLATE | net::DM_UTF8;

constexpr char16_t kWrongAddress[] = u"输入网址有误，应该输入相册网址或首页网址";
constexpr char16_t kClosedAlbum[] = u"该相册为非公开,如果该相册为私密相册,登录帐号后重新获取相册列表可下载";
constexpr char16_t kVerifyQuestion[] = u"为非公开相册,是否进行验证？\n\n验证成功后请手动关闭验证框";

// The user's name on the service, in the page's two forms, tried in this order.
constexpr TextView kHostNameMarkers[] = {u"photo163HostName:'", u"hostName : '"};
constexpr char16_t kAlbumScriptMarker[] = u"albumUrl : '";
// Typed addresses of the album sub-domain name the user's album list on the blog.
constexpr char16_t kAlbumSubDomain[] = u"pp.1";
constexpr char16_t kBlogAlbumPath[] = u"/album/";
constexpr char16_t kEntryMarker[] = u"{id:";

// The remote call that answers with an album's photo-list script:
// host + "/photo/" + account + path + parameter 0 + one of the tails.
constexpr char16_t kAlbumDataPath[] =
    u"/dwr/call/plaincall/AlbumBean.getAlbumData.dwr?callCount=1&scriptSessionId=%24%7BscriptSessionId%7D187"
    u"&c0-scriptName=AlbumBean&c0-methodName=getAlbumData&c0-id=0&c0-param0=";
constexpr char16_t kNumberParam[] = u"number%3A";
constexpr char16_t kStringParam[] = u"string%3A";
constexpr char16_t kListTail[] =
    u"&c0-param1=string%3A&c0-param2=string%3A&c0-param3=number%3A24881696&c0-param4=boolean%3Afalse&batchId=530377";
constexpr char16_t kVerifiedTail[] =
    u"&c0-param1=string%3A&c0-param2=string%3Afromblog&c0-param3=string%3A24881696&c0-param4=boolean%3Afalse"
    u"&batchId=530377";

// A list address this short is an album id (the service gave no script address): the
// album opens only after the owner's verification.
constexpr size_t kLongestAlbumId = 19;
// A photo script shorter than this holds no photo.
constexpr size_t kShortestScript = 10;

// Image hosts: "img" + number + the family's domain; the "/photo/" family and the other.
constexpr char16_t kPhotoFamilyDomain[] = u".bimg.126.net";
constexpr char16_t kOtherFamilyDomain[] = u".ph.126.net";
// Placeholder covers.
constexpr char16_t kStaticHost[] = u"http://b.bst.126.net";
constexpr char16_t kEmptyCover[] = u"/image/default/none160.gif";
constexpr char16_t kFriendsCover[] = u"/image/default/fwxhy.gif";
constexpr char16_t kQuestionCover[] = u"/image/default/fwxqa.gif";
constexpr char16_t kClosedCover[] = u"/photo/image/default/fwxmm.gif";

// Access values of albums hidden from the list: their remarks, the cover they show when the
// entry names none, and whether the remote call is asked for their script. Any other value
// marks an album closed by other means, which shows the closed cover whatever it names.
struct Access {
  TextView value;
  int32_t remarks;
  const char16_t* emptyCover;
  bool remoteCall;
};
constexpr Access kAccesses[] = {
    {u"0", 0, nullptr, true},
    {u"2", REMARK_PRIVATE, nullptr, true},
    {u"4", REMARK_FRIENDS, kFriendsCover, true},
    {u"8", REMARK_PASSWORD, kQuestionCover, false},  // answered by a question: not asked for
};

Text AlbumDataCall(const Text& account, TextView param0, TextView tail) {
  return kNeteasePhotoHost + (u"/photo/" + account) + kAlbumDataPath + Text(param0) + Text(tail);
}

// The album description of the script: "\r" dropped, "\n" made a line end.
Text AlbumDescription(Text text) {
  ReplaceAll(text, u"\\r", u"");
  ReplaceAll(text, u"\\n", u"\r\n");
  return text;
}

bool Contains(TextView text, TextView part) { return text.find(part) != TextView::npos; }

// The script address a remote call answers with, after `start` (the form the answer is
// read in differs between the listing and the photo reader).
Text CallAnswer(TextView answer, TextView start, TextView end) { return CutBetween(answer, start, end, CUT_ADVANCE); }

// The owner's host name on the service, or empty.
Text HostName(TextView page) {
  for (TextView marker : kHostNameMarkers) {
    const Text name = Cutter(page).Peek(marker, u"'");
    if (!name.empty()) return name;
  }
  return Text();
}

}  // namespace

// ---- text alone ----------------------------------------------------------------------

Text CompleteImageAddress(TextView relative) {
  if (relative.empty()) return Text();
  const size_t slash = relative.find(u'/');
  const bool photoFamily = FoundAfterStart(relative, u"/photo/");
  if (slash != TextView::npos && slash > 0) {
    const TextView number = relative.substr(0, slash);
    return u"http://img" + Text(number) + (photoFamily ? kPhotoFamilyDomain : kOtherFamilyDomain) +
           Text(relative.substr(slash));
  }
  const bool anyPhoto = Contains(relative, u"/photo/");
  // A bare file name still needs the "/" between host and path.
  const TextView separator = relative.front() == u'/' ? u"" : u"/";
  return u"http://img" + Text(anyPhoto ? kPhotoFamilyDomain : kOtherFamilyDomain) + Text(separator) + Text(relative);
}

bool ReadNeteaseAlbum(TextView entry, ST_PERLISTRECORD& record) {
  record = ST_PERLISTRECORD();
  record.extra2 = TextBefore(entry, u",");
  Cutter cut(entry);
  record.name = cut.Take(u"name:'", u"'");
  record.extra1 = AlbumDescription(cut.Take(u"desc:'", u"'"));
  const Text access = Trim(cut.Take(u"au:", u","));
  record.count = cut.TakeInt(u"count:", u",");
  record.coverAddress = CompleteImageAddress(cut.Take(u"curl:'", u"'"));
  record.listAddress = cut.Take(u"purl:'", u"'");
  record.remarks = 0;
  if (record.count == 0) record.coverAddress = Text(kStaticHost) + kEmptyCover;
  if (!record.listAddress.empty()) return false;

  for (const Access& known : kAccesses) {
    if (access != known.value) continue;
    record.remarks = known.remarks;
    if (known.emptyCover && record.coverAddress.empty()) record.coverAddress = Text(kStaticHost) + known.emptyCover;
    return known.remoteCall;
  }
  record.remarks = REMARK_PASSWORD;
  record.coverAddress = Text(kStaticHost) + kClosedCover;
  return true;
}

NeteasePhoto ReadNeteasePhoto(TextView entry) {
  Cutter cut(entry);
  Text address;
  for (TextView size : {u"ourl:'", u"murl:'", u"surl:'"}) {
    address = cut.Take(size, u"'");
    if (!address.empty()) break;
  }
  NeteasePhoto photo;
  photo.address = CompleteImageAddress(address);
  photo.description = cut.Take(u"desc:'", u"'");
  return photo;
}

// ---- readers -------------------------------------------------------------------------

void NeteaseAlbums(MainState& state, const Text& address) {
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(address, page, kPageMode)) return;
  const Text owner = HostName(page);
  if (owner.empty()) {
    state.Ui().ShowMessage(kWrongAddress);
    return;
  }
  state.ownerFolder = owner;
  state.userIdText = owner;  // the account later addresses are built with

  Text script = Cutter(page).Take(kAlbumScriptMarker, u"'");
  if (script.empty()) {
    // The user's page names the script; an address of the album sub-domain finds it on the blog.
    const size_t at = address.find(kAlbumSubDomain);
    const Text home = at != Text::npos && at > 3 ? u"http://" + owner + kNeteaseBlogDomain + kBlogAlbumPath
                                                 : kNeteasePhotoHost + (u"/" + owner);
    if (!session.Get(home, page, kPageMode)) return;
    script = Cutter(page).Take(kAlbumScriptMarker, u"'");
  }
  if (!session.Get(script, page, kPageMode)) return;

  ST_PERLISTRECORD record;
  Text answer;
  VisitSegments(page, kEntryMarker, [&](TextView entry) {
    if (ReadNeteaseAlbum(entry, record) &&
        session.Get(AlbumDataCall(owner, kNumberParam + record.extra2, kListTail), answer, kCallMode))
      record.listAddress = CallAnswer(answer, u"',\"", u"\");");
    return AddRow(state, record);
  });
}

void NeteasePhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  if (album.listAddress.empty()) {
    state.Ui().ShowMessage(kClosedAlbum);
    return;
  }
  const Text& account = state.userIdText;
  PageSession session(kHeaders);
  Text text;
  Text script;
  if (album.listAddress.size() <= kLongestAlbumId) {
    const Text verifyPage = kNeteasePhotoHost + (u"/" + account) + u"/list/#aid=" + album.listAddress + u"&m=1&p=1";
    if (!AskLogin(state, kVerifyQuestion, verifyPage)) return;
    if (!session.Get(AlbumDataCall(account, kNumberParam + album.listAddress, kVerifiedTail), text, kPageMode)) return;
    script = u"http://" + CallAnswer(text, u",\"", u"\"");
    if (!Contains(script, u".js")) return;
  } else {
    script = u"http://" + album.listAddress;
  }

  if (!session.Load(script, text, kPageMode)) return;
  if (text.size() < kShortestScript) {
    // The script was moved: the service names its new place.
    if (!session.Get(AlbumDataCall(account, kStringParam + album.extra2, kListTail), text, kPageMode)) return;
    script = u"http://" + CallAnswer(text, u",\"", u"\"");
    if (Contains(script, u".js") && !session.Load(script, text, kPageMode)) return;
    if (text.empty()) return;
  }

  VisitSegments(text, kEntryMarker, [&](TextView entry) {
    const NeteasePhoto photo = ReadNeteasePhoto(entry);
    // An entry without any address has no picture to fetch.
    return photo.address.empty() || QueuePicture(state, photo.address, photo.description, Text(), albumIndex);
  });
}

}  // namespace zentrow
