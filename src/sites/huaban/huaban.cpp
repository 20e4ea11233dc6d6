// Huaban: a board page names the board, its owner and its pin count, and carries the first
// pins; the board's further pins come 20 at a time after the last pin id.
#include <thread>

#include "net/http.h"
#include "sites/huaban/huaban.h"
#include "sites/kit.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr unsigned kDecode = net::DM_INFLATE | net::DM_UTF8;
constexpr char16_t kEncodingHeader[] = u"Accept-Encoding: gzip, deflate";

// The board page: asked up to four times, a reply of 100 characters or fewer is no page.
constexpr uint8_t kBoardAttempts = 4;
constexpr uint32_t kBoardMinLength = 100;

// "hxzmqq%ds" makes every batch address unique; "max" is the last pin id seen.
constexpr char16_t kBatchPage[] = u"%s?hxzmqq%ds&max=%s&limit=20&wfl=1";
constexpr char16_t kPictureAddress[] = u"http://%s/%s";
constexpr char16_t kPinMarker[] = u"\"pin_id";
// A busy service answers with its gateway's error page.
constexpr char16_t kGatewayTimeout[] = u"504 Gateway Time-out";
constexpr int kFailuresInARow = 3;

// The board prefix the address holds, or empty.
TextView BoardPrefix(const Text& address) {
  for (TextView prefix : kHuabanBoardPrefixes)
    if (address.find(prefix) != Text::npos) return prefix;
  return {};
}

}  // namespace

void HuabanBoard(MainState& state, const Text& address, const HuabanPauses& pauses) {
  state.userIdText.clear();
  const TextView prefix = BoardPrefix(address);
  if (prefix.empty()) return;
  Text board = address;
  TruncateAt(board, u"?");

  PageSession session(kEncodingHeader);
  session.Request().attempts = kBoardAttempts;
  session.Request().pauseSeconds = pauses.boardRetrySeconds;
  session.Request().minTextLength = kBoardMinLength;
  session.SetFetchOptions(net::FETCH_INFLATED_CHECKS);
  Text page;
  if (!session.Get(board, page, kDecode)) return;

  ST_PERLISTRECORD record;
  {
    Cutter cut(page);
    cut.Skip(u"app.page[\"");
    const Text boardId = Trim(cut.Take(u"board_id\":", u","));
    if (boardId.empty()) return;  // not a board page
    record.listAddress = Text(prefix) + boardId + u"/";
    record.name = cut.Take(u"title\":\"", u"\"");
    record.count = static_cast<int32_t>(ParseUnsigned(cut.Take(u"pin_count\":", u",")));
    record.remarks = 0;
    state.ownerFolder = cut.Take(u"username\":\"", u"\"");
  }
  SafeFileName(state.ownerFolder, SAFE_NAME_TIMESTAMP, true);
  AddRow(state, record);
  // The download takes the board's own pins from here.
  state.userIdText = std::move(page);
}

void HuabanPhotos(MainState& state, int albumIndex, const HuabanPauses& pauses) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  PageSession session(Text(kEncodingHeader) + u"\r\nReferer: " + album.listAddress);
  session.Request().pauseSeconds = 0;  // a failed batch waits `afterFailure` instead
  const auto reached = [&] { return static_cast<int64_t>(state.queue.items.size()) >= album.count; };
  state.scratchText.clear();  // the last pin id
  PagedWalk walk;             // pins met in this album
  int failures = 0;
  int batch = 0;
  Text page;
  while (!DownloadStopped(state)) {
    if (batch == 0 && !state.userIdText.empty()) {
      page = std::move(state.userIdText);  // the board page, used once
      state.userIdText.clear();
    } else {
      const Text address = Fill(kBatchPage, {album.listAddress, NumberText(batch), state.scratchText});
      if (!session.Get(address, page, kDecode) || page.find(kGatewayTimeout) != Text::npos) {
        // The same address is asked again after a pause; the user's cookies stay.
        if (++failures >= kFailuresInARow) return;
        std::this_thread::sleep_for(pauses.afterFailure);
        continue;
      }
    }
    ++batch;

    Cutter cut(page);
    Text host = cut.Take(u"hbimg\":\"", u"\"");
    if (host.empty()) host = kHuabanPictureHost;
    cut.Skip(u"\"pins\"");
    if (reached()) return;
    const SegmentVisit visit = VisitSegments(cut.Rest(), kPinMarker, [&](TextView segment) {
      Cutter pin(segment);
      const Text id = Trim(pin.Take(u":", u","));
      if (id.empty()) return true;
      state.scratchText = id;
      const Text key = pin.Take(u"key\":\"", u"\"");
      const Text description = pin.Take(u"raw_text\":\"", u"\"");
      // A pin without a picture key has nothing to fetch; one met before is queued once.
      if (key.empty() || !walk.Fresh(id)) return true;
      return QueuePicture(state, Fill(kPictureAddress, {host, key}), description, Text(), albumIndex) && !reached();
    });
    // A batch that brought no pin not met before would be asked for again and again.
    if (visit.markers == 0 || visit.stopped || !walk.BroughtNew()) return;
    walk.NextPage();
    failures = 0;
    std::this_thread::sleep_for(pauses.betweenBatches);
  }
}

}  // namespace zentrow
