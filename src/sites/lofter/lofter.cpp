// Lofter: every post of a blog is an album. The posts come from the blog's archive through
// the service's remote call, 50 a call, each call continuing before the time of the last
// post the previous one brought; a post's pictures are the images of its text.
#include <charconv>
#include <ctime>
#include <optional>

#include "net/http.h"
#include "sites/kit.h"
#include "sites/lofter/lofter.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr char16_t kHeaders[] = u"Accept-Encoding: gzip, deflate";
constexpr unsigned kPageMode = net::DM_INFLATE | net::DM_UTF8;
constexpr unsigned kCallMode = net::DM_INFLATE;  // the call's answer holds escaped text only

constexpr char16_t kPostPath[] = u"post/";
constexpr char16_t kArchivePath[] = u"view";
constexpr char16_t kArchiveTitle[] = u"归档 - ";

constexpr char16_t kNoArchive[] = u"没有读到LOFTER博客的归档页，请输入LOFTER博客的首页网址，例如 http://名字.lofter.com/";
constexpr char16_t kNoBlogId[] = u"LOFTER博客的归档页里没有找到博客编号，读不到文章列表";
constexpr char16_t kListed[] = u"LOFTER文章列表读取完毕，共%d篇文章，每篇文章是一个相册";

// The remote call: posted to the blog's address + this path, the body in GBK with CR LF
// between its lines and none after the last.
constexpr char16_t kCallPath[] = u"dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr";
constexpr char16_t kCallBody[] =
    u"callCount=1\r\nscriptSessionId=${scriptSessionId}187\r\nhttpSessionId=\r\nc0-scriptName=ArchiveBean\r\n"
    u"c0-methodName=getArchivePostByTime\r\nc0-id=0\r\nc0-param0=number:%s\r\nc0-param1=number:%s\r\n"
    u"c0-param2=number:%d\r\nc0-param3=boolean:false\r\nbatchId=1";
constexpr int kPostsPerCall = 50;
constexpr char16_t kPostMarker[] = u".blogId=";

// A post's text lies after the first marker and before the second.
constexpr char16_t kContentStart[] = u"div class=\"content";
constexpr char16_t kContentEnd[] = u"class=\"nctitle";
constexpr char16_t kPictureName[] = u"图片%d";

// A post time of the call's answer (milliseconds since 1970), or none when it is not a number.
std::optional<int64_t> PostTime(TextView text) {
  const Bytes digits = ToUtf8(Trim(text));
  int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 0) return std::nullopt;
  return value;
}

// One post of the call's answer (the text after ".blogId="). `time` takes the post's time
// when it has one.
struct Post {
  Text name;
  Text permalink;
};
Post ReadPost(TextView segment, Text& time) {
  Cutter cut(segment);
  const Text postTime = cut.Take(u".time=", u";");
  if (!postTime.empty()) time = postTime;
  Post post;
  post.name = UnescapeUnicode(cut.Take(u".title=\"", u"\""));
  post.permalink = cut.Take(u".permalink=\"", u"\"");
  const Text notice = UnescapeUnicode(cut.Take(u"noticeLinkTitle=\"", u"\""));
  if (post.name.empty()) post.name = notice;
  return post;
}

}  // namespace

Text LofterBlogKey(Text text) {
  TruncateAt(text, kPostPath);
  while (!text.empty() && text.back() == u'/') text.pop_back();
  return text + u"/";
}

void LofterAlbums(MainState& state, const Text& blog) {
  Text blogId;
  {
    PageSession session(kHeaders);
    Text page;
    if (!session.Get(blog + kArchivePath, page, kPageMode)) return;
    Cutter cut(page);
    Text title = cut.Take(u"<title>", u"</title>");
    if (DeleteThrough(title, kArchiveTitle, true) < 0) {
      state.Ui().ShowMessage(kNoArchive);
      return;
    }
    SafeFileName(title, 0, false);
    state.ownerFolder = title;
    blogId = cut.Take(u"blogId=", u"\"");
    if (blogId.empty()) {
      state.Ui().ShowMessage(kNoBlogId);
      return;
    }
  }

  PageSession session(Text(kHeaders) + u"\r\nReferer: " + kLofterHome + u"\r\nContent-Type: text/plain");
  session.Request().verb = u"POST";
  const Text call = blog + kCallPath;
  // The first call asks for the posts before now.
  Text time = NumberText(static_cast<long long>(std::time(nullptr))) + u"000";
  PagedWalk walk;
  int listed = 0;
  Text answer;
  for (;;) {
    // The body is as long as its text: a blog id of any length fits.
    session.Request().body = ToGbk(Fill(kCallBody, {blogId, time, NumberText(kPostsPerCall)}));
    if (!walk.Fetch(session, call, answer, kCallMode)) break;
    Text last;
    const SegmentVisit posts = VisitSegments(answer, kPostMarker, [&](TextView segment) {
      const Post post = ReadPost(segment, last);
      // A post is listed once, however often the calls bring it; one without a
      // permalink has no page.
      if (post.permalink.empty() || !walk.Fresh(post.permalink)) return true;
      ST_PERLISTRECORD record;
      record.name = post.name;
      record.listAddress = blog + kPostPath + post.permalink;
      record.remarks = 0;
      ++listed;
      return AddRow(state, record);
    });
    if (posts.stopped) return;  // the user stopped the listing
    // Go on before the last post's time while the answers bring new posts and the time
    // goes back: a service that answers the same posts again cannot keep the walk going.
    const std::optional<int64_t> next = PostTime(last), sent = PostTime(time);
    if (!walk.BroughtNew() || !next || !sent || *next >= *sent) break;
    time = last;
    walk.NextPage();
  }
  state.Ui().ShowMessage(Fill(kListed, {NumberText(listed)}));
}

void LofterPhotos(MainState& state, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(kHeaders);
  Text page;
  if (!session.Get(album.listAddress, page, kPageMode)) return;
  TextView content = page;
  DeleteThrough(content, kContentStart, true);
  TruncateAt(content, kContentEnd);

  SeenKeys seen;  // a picture shown twice in a post is fetched once
  int queued = 0;
  VisitSegments(content, u"<img ", [&](TextView image) {
    const Text address = Cutter(image).Take(u"src=\"", u"\"");
    if (address.empty() || !seen.Add(address)) return true;
    return QueuePicture(state, address, Fill(kPictureName, {NumberText(++queued)}), Text(), albumIndex);
  });
}

}  // namespace zentrow
