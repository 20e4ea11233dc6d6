// The PConline category: a page of a user's album list, the list's own name ("myphoto."),
// or any other address of the user all become the list address with its page slot.
#include "sites/kit.h"
#include "sites/pconline/pconline.h"

namespace zentrow {
namespace {

constexpr char16_t kPagePart[] = u"_p%d_";
constexpr int kLastPagePart = 99;
constexpr char16_t kListName[] = u"myphoto.";
constexpr char16_t kPagedListName[] = u"_dk1stp_n15.html";
constexpr char16_t kUserList[] = u"%s/%s/myphoto_dk1stp_n15.html";

// "…/myphoto_p3_n15.html" → "…/myphoto_dk1stp_n15.html"; false when the address has no
// page part "_p<n>_" (1 to 99).
bool SlotForPagePart(Text& text) {
  if (!FoundAfterStart(text, u"_p")) return false;
  for (int i = 1; i <= kLastPagePart; ++i)
    if (ReplaceAll(text, Fill(kPagePart, {NumberText(i)}), kPconlinePageSlot) > 0) return true;
  return false;
}

Text ListAddressOf(MainState& state, Text text) {
  if (SlotForPagePart(text)) return text;
  if (FoundAfterStart(text, kListName)) {
    if (text.find(kPconlinePageSlot) == Text::npos) ReplaceAll(text, u".html", kPagedListName);
    return text;
  }
  // Any other address of the user: "http://dp.pconline.com.cn/zhangsan/" is "zhangsan".
  DeleteThrough(text, u".cn/", true);
  TruncateAt(text, u"/");
  state.userIdText = text;
  return Fill(kUserList, {kPconlinePhotoHost, text});
}

void PconlineListing(MainState& state, Text text, ListingOutcome&) {
  PconlineAlbums(state, ListAddressOf(state, std::move(text)));
}

}  // namespace

SiteReaders PconlineReaders() { return {PconlineListing, PconlinePhotos}; }

}  // namespace zentrow
