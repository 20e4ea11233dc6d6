#include "sites/kit.h"

#include <chrono>
#include <limits>

#include "toolkit/files.h"

namespace zentrow {

// ---- fetching ------------------------------------------------------------------------

PageSession::PageSession(Text headers, uint32_t timeoutMs) : request_(Text(), Text(), timeoutMs) {
  request_.headers = std::move(headers);
}

bool PageSession::Get(const Text& address, Text& text, unsigned mode) {
  return Load(address, text, mode) && !text.empty();
}

bool PageSession::Load(const Text& address, Text& text, unsigned mode) {
  text.clear();
  request_.address = address;
  response_ = net::UrlResponse();
  if (!net::Fetch(request_, response_, fetchOptions_)) return false;
  net::GetText(response_, text, mode);
  return true;
}

// ---- cutting -------------------------------------------------------------------------

Text Cutter::Take(TextView start, TextView end) { return CutBetween(rest_, start, end, CUT_ADVANCE); }

Text Cutter::Peek(TextView start, TextView end) const {
  TextView copy = rest_;
  return CutBetween(copy, start, end, 0);
}

bool Cutter::Skip(TextView marker) { return DeleteThrough(rest_, marker, true) >= 0; }

int32_t ReadInt(TextView text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  // Accumulate the magnitude with a ceiling so a long digit run cannot overflow.
  constexpr int64_t kCeiling = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > kCeiling) value = kCeiling;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value >= kCeiling ? kCeiling - 1 : value);
}

bool FoundAfterStart(TextView text, TextView part) {
  const size_t at = text.find(part);
  return at != TextView::npos && at > 0;
}

bool IsDigitsOnly(TextView text) {
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

void TruncateAtEach(Text& text, std::initializer_list<TextView> markers) {
  for (TextView marker : markers) TruncateAt(text, marker);
}

Text Unslash(TextView text) {
  Text out(text);
  ReplaceAll(out, u"\\/", u"/");
  return out;
}

Text OnHost(TextView host, TextView link) {
  if (link.empty() || link.starts_with(u"http://") || link.starts_with(u"https://")) return Text(link);
  if (link.starts_with(u"//")) return u"http:" + Text(link);
  Text address(host);
  if (!link.starts_with(u"/")) address += u'/';
  return address + Text(link);
}

Text Fill(TextView pattern, std::initializer_list<TextView> values) {
  Text out;
  out.reserve(pattern.size());
  auto next = values.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    char16_t c = pattern[i];
    if (c != u'%' || i + 1 == pattern.size()) {
      out += c;
      continue;
    }
    char16_t kind = pattern[i + 1];
    if (kind == u'%') {
      out += u'%';
      ++i;
    } else if (kind == u's' || kind == u'd' || kind == u'u') {
      if (next != values.end()) out += *next++;
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

uint32_t ProgramMilliseconds() {
  static const auto start = std::chrono::steady_clock::now();
  auto elapsed = std::chrono::steady_clock::now() - start;
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

// ---- segments ------------------------------------------------------------------------

SegmentVisit VisitSegments(TextView page, TextView marker, const SegmentVisitor& visit) {
  SegmentVisit result;
  if (marker.empty()) return result;
  size_t at = page.find(marker);
  while (at != TextView::npos) {
    ++result.markers;
    const size_t begin = at + marker.size();
    at = page.find(marker, begin);
    const size_t end = at == TextView::npos ? page.size() : at;
    // After a stop the remaining markers are still counted, not visited.
    if (!result.stopped) result.stopped = !visit(page.substr(begin, end - begin));
  }
  return result;
}

// ---- paged walks ---------------------------------------------------------------------

bool PagedWalk::Admit(TextView pageText) {
  if (++fetched_ > cap_) return false;
  if (hasPrevious_ && previousText_ == pageText) return false;
  previousText_.assign(pageText);
  hasPrevious_ = true;
  return true;
}

bool PagedWalk::Fetch(PageSession& session, const Text& address, Text& text, unsigned mode) {
  return session.Get(address, text, mode) && Admit(text);
}

bool PagedWalk::Fresh(TextView key) {
  if (!seen_.Add(key)) return false;
  ++freshOnPage_;
  return true;
}

bool PagedWalk::NewKey(TextView key) {
  if (hasKey_ && previousKey_ == key) return false;
  previousKey_.assign(key);
  hasKey_ = true;
  return true;
}

// ---- delivering ----------------------------------------------------------------------

bool ListingStopped(const MainState& state) { return state.listState == LIST_STOP; }

bool DownloadStopped(const MainState& state) {
  const int download = state.downloadState;
  return download == DOWNLOAD_READER_STOP || download == DOWNLOAD_USER_STOP;
}

bool AddRow(MainState& state, const ST_PERLISTRECORD& record) {
  AddAlbumRow(record, state);
  return !ListingStopped(state);
}

bool QueuePicture(MainState& state, const Text& address, const Text& description,
                  const Text& header, int albumIndex) {
  AddPictureItem(state, address, description, header, albumIndex);
  return !DownloadStopped(state);
}

// ---- logins --------------------------------------------------------------------------

bool AskLogin(MainState& state, const Text& question, const Text& loginAddress) {
  if (!state.Ui().AskYesNo(question, kQuestionCaption)) return false;
  state.Ui().RequestLogin(loginAddress);
  return true;
}

bool LoginPrompt::AskOnce(MainState& state, const Text& question, const Text& loginAddress) {
  if (asked_) return false;
  asked_ = true;
  return AskLogin(state, question, loginAddress);
}

// ---- cookies -------------------------------------------------------------------------

Text CookieValue(TextView cookieText, TextView name) {
  while (!cookieText.empty()) {
    size_t end = cookieText.find(u';');
    TextView pair = cookieText.substr(0, end);
    cookieText = end == TextView::npos ? TextView() : cookieText.substr(end + 1);
    while (!pair.empty() && pair.front() == u' ') pair.remove_prefix(1);
    size_t equals = pair.find(u'=');
    if (equals == TextView::npos || pair.substr(0, equals) != name) continue;
    TextView value = pair.substr(equals + 1);
    while (!value.empty() && value.back() == u' ') value.remove_suffix(1);
    return Text(value);
  }
  return Text();
}

Text CookieFor(TextView address, TextView name) { return CookieValue(net::GetCookieText(address), name); }

uint32_t CookieToken(TextView address, TextView name) { return TokenHash(CookieFor(address, name)); }

// ---- diagnosis dumps -----------------------------------------------------------------

void WriteDump(const MainState& state, TextView name, TextView page) {
  WriteTextFile(state.WorkingFolder() + Text(name), page.substr(0, kDumpUnits));
}

}  // namespace zentrow
