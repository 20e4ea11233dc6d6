// The Yupoo category: a typed address becomes the user's album list or one album's
// address (see YupooKey), and every album is read by the one photo-list reader.
#include "sites/kit.h"
#include "sites/yupoo/yupoo.h"

namespace zentrow {
namespace {

constexpr char16_t kYupooEmpty[] =
    u"没有获取到相册，如果你输入的网址正确，可能是因为被杀毒软件阻止了\r\n\r\n请按以下步骤操作\r\n\r\n"
    u"1、将下载器添加到杀毒软件信任列表里\r\n2、重新打开下载器";

// A user's own sub-domain on the "v" host ("http://alice.v.yupoo.com/").
constexpr char16_t kUserOnVHost[] = u".v.yupoo.com";
// Addresses already on one of the two hosts (a user's sub-domain "dev.yupoo.com" is none).
constexpr TextView kHostAddresses[] = {u"//v.yupoo.com/", u"//www.yupoo.com/"};
// A user's own sub-domain on the main host ("http://alice.yupoo.com/") ends here.
constexpr char16_t kDomainLabel[] = u".yupoo";

// The user name of a sub-domain address: what stands between the scheme and `end`.
Text SubDomainName(Text address, TextView end) {
  DeleteThrough(address, u"://", true);
  TruncateAt(address, end);
  return address;
}

// An address on one of the hosts loses its page part ("page2/...") and its query, so the
// list pages can be appended to it. Only "/page" followed by a digit is a page part: a
// user or album name may hold the letters "page".
void DropPagePart(Text& address) {
  for (TextView end : {u"?", u"#"}) TruncateAt(address, end);
  for (size_t at = address.find(u"/page"); at != Text::npos; at = address.find(u"/page", at + 1)) {
    const size_t digit = at + 5;
    if (digit < address.size() && address[digit] >= u'0' && address[digit] <= u'9') {
      address.resize(at + 1);
      return;
    }
  }
}

void YupooListing(MainState& state, Text text, ListingOutcome& outcome, const YupooPauses& pauses) {
  outcome.emptyMessage = kYupooEmpty;
  YupooAlbums(state, YupooKey(std::move(text)), pauses);
}

}  // namespace

Text YupooKey(Text address) {
  ReplaceAll(address, u"/collections", u"/albums");
  if (FoundAfterStart(address, kUserOnVHost)) {
    address = Text(u"http://") + kYupooVHost + u"/photos/" + SubDomainName(address, kUserOnVHost) + u"/albums/";
  } else if (address.find(kHostAddresses[0]) != Text::npos || address.find(kHostAddresses[1]) != Text::npos) {
    DropPagePart(address);
  } else {
    address = Text(u"http://") + kYupooMainHost + u"/photos/" + SubDomainName(address, kDomainLabel) + u"/albums/";
  }
  if (!address.ends_with(u'/')) address += u'/';
  return address;
}

SiteReaders YupooReaders(YupooPauses pauses) {
  return {[pauses](MainState& state, Text text, ListingOutcome& outcome) {
            YupooListing(state, std::move(text), outcome, pauses);
          },
          [pauses](MainState& state, int albumIndex) { YupooPhotos(state, albumIndex, pauses); }};
}

}  // namespace zentrow
