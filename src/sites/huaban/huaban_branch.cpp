// The Huaban category: only a board address is read; its album downloads at once.
#include "sites/huaban/huaban.h"
#include "sites/kit.h"

namespace zentrow {
namespace {

// Line breaks are written "^".
constexpr char16_t kBoardAddressNeeded[] =
    u"请输入花瓣网画板(board)的网址^例如: http://huaban.com/boards/12345678/^^打开画板页面后，复制浏览器地址栏里的网址";

void HuabanListing(MainState& state, Text text, ListingOutcome& outcome, const HuabanPauses& pauses) {
  if (text.find(u"/boards/") == Text::npos) {
    Text message = kBoardAddressNeeded;
    ReplaceAll(message, u"^", u"\n");
    state.Ui().ShowMessage(message);
    return;
  }
  HuabanBoard(state, text, pauses);
  outcome.autoDownload = true;  // the engine starts it when the board was listed
}

}  // namespace

SiteReaders HuabanReaders(HuabanPauses pauses) {
  return {[pauses](MainState& state, Text text, ListingOutcome& outcome) {
            HuabanListing(state, std::move(text), outcome, pauses);
          },
          [pauses](MainState& state, int albumIndex) { HuabanPhotos(state, albumIndex, pauses); }};
}

}  // namespace zentrow
