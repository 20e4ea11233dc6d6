// The reader of the Huaban category: one board as one album. The listing reads the board
// page and keeps it for the download, which takes its pins as the first batch and then
// asks the board for 20 pins at a time after the last pin seen.
#pragma once

#include <chrono>
#include <cstdint>

#include "engine/main_state.h"
#include "engine/site_table.h"
#include "toolkit/text.h"

namespace zentrow {

// Board addresses: one of these, the board id and "/".
inline constexpr TextView kHuabanBoardPrefixes[] = {u"http://huaban.com/boards/", u"https://huaban.com/boards/"};
// Where pins' pictures lie when a page does not name the host.
inline constexpr char16_t kHuabanPictureHost[] = u"img.hb.aicdn.com";

// The waits of the board readers: the board page is asked up to four times with
// `boardRetrySeconds` between attempts; batches are asked `betweenBatches` apart, and a
// failed batch is asked again after `afterFailure`.
struct HuabanPauses {
  uint8_t boardRetrySeconds = 4;
  std::chrono::milliseconds betweenBatches{2000};
  std::chrono::milliseconds afterFailure{6000};
};

// `address`: a board address as typed. Lists the board and keeps its page in the user id
// text for HuabanPhotos.
void HuabanBoard(MainState& state, const Text& address, const HuabanPauses& pauses = {});
void HuabanPhotos(MainState& state, int albumIndex, const HuabanPauses& pauses = {});

// The category's entry of the site table.
SiteReaders HuabanReaders(HuabanPauses pauses = {});

}  // namespace zentrow
