// The reader kit: the handful of moves every site reader is made of.
//
// A site reader is the site's own markers and rules written with these moves:
//   - PageSession: one request (time-out, header block) reused for every fetch of one
//     reader call; Get() fetches an address and decodes it, false on failure or empty text
//     (Load() when an empty text is an answer of its own);
//   - Cutter: cuts through a page with advance (fields found in page order) or without;
//     ReadInt / IsDigitsOnly: base-10 reading of the cut values;
//   - VisitSegments: split a page at a marker and visit the segments after each marker;
//   - PagedWalk: page after page until the reader's own end rule, and always until a page
//     brings nothing new (same text, same last key, or no item not seen before in the
//     walk) or the page cap is reached; SeenKeys: items (albums, pictures) taken once;
//   - AddRow / QueuePicture: deliver an album or a picture, answering whether to go on;
//   - LoginPrompt / AskLogin: the yes/no question (caption "提示") that opens the login
//     window, asked once per album;
//   - CookieValue / CookieFor / CookieToken: cookie values looked up by name, the QQ token;
//   - WriteDump: a page the reader did not understand, kept for the maintainers (bounded);
//   - Fill, Unslash, OnHost, ProgramMilliseconds: address templates, JSON address clean-up,
//     links of a page made full addresses.
//
// No site's markers or hosts live here.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <unordered_set>

#include "engine/album.h"
#include "engine/main_state.h"
#include "net/http.h"
#include "toolkit/text.h"

namespace zentrow {

// ---- fetching ------------------------------------------------------------------------

inline constexpr uint32_t kPageTimeoutMs = 20000;

// One request reused for all fetches of one reader call, as a browser tab would: the same
// header block and time-out, a new address each time. Fetch options are 0 unless set.
class PageSession {
 public:
  // `headers`: extra request lines separated by CR LF (e.g. "Accept-Encoding: gzip, deflate").
  explicit PageSession(Text headers = {}, uint32_t timeoutMs = kPageTimeoutMs);

  // Fetches `address` and leaves its body in `text`, decoded in DecodeMode `mode`
  // (net::DM_* bits). False when the fetch fails or the text is empty (then `text` is empty).
  bool Get(const Text& address, Text& text, unsigned mode);
  // The same fetch for a reader that treats an empty answer apart from a failed fetch:
  // false only when the fetch fails; the text may be empty.
  bool Load(const Text& address, Text& text, unsigned mode);

  void SetHeaders(Text headers) { request_.headers = std::move(headers); }
  // net::Fetch options of every later Get (net::FETCH_* bits), e.g. FETCH_INFLATED_CHECKS
  // for a reader with a minimum text length or a retry marker: both are then judged on
  // the text a compressed reply inflates to, not on its compressed bytes.
  void SetFetchOptions(unsigned options) { fetchOptions_ = options; }
  // For the rare reader that needs more than a GET (verb, body, markers).
  net::UrlRequest& Request() { return request_; }
  const net::UrlResponse& Response() const { return response_; }

 private:
  net::UrlRequest request_;
  net::UrlResponse response_;
  unsigned fetchOptions_ = 0;
};

// ---- cutting -------------------------------------------------------------------------

// Base-10 number: leading blanks and one sign skipped, reading stops at the first
// non-digit; no digits gives 0; values beyond 32 bits stop at the 32-bit limits.
int32_t ReadInt(TextView text);

// Walks forward through one page (or one segment) with CutBetween. The page must outlive
// the Cutter: it holds a view.
class Cutter {
 public:
  explicit Cutter(TextView text) : rest_(text) {}

  // The text between `start` and the next `end`, with advance: the rest then begins just
  // after `start` (the end marker stays in it). Start missing: empty, rest unchanged.
  Text Take(TextView start, TextView end);
  // The same cut without advance: the rest stays as it is.
  Text Peek(TextView start, TextView end) const;
  // ReadInt of Take / Peek.
  int32_t TakeInt(TextView start, TextView end) { return ReadInt(Take(start, end)); }
  int32_t PeekInt(TextView start, TextView end) const { return ReadInt(Peek(start, end)); }
  // Deletes through the first `marker` (nothing when it is missing); false when missing.
  bool Skip(TextView marker);

  TextView Rest() const { return rest_; }
  void Reset(TextView text) { rest_ = text; }

 private:
  TextView rest_;
};

// True when every character is one of "0123456789" (an empty text counts as digits only).
bool IsDigitsOnly(TextView text);

// Whether `part` occurs in `text` after its first character (the branch tables' "found
// after the start").
bool FoundAfterStart(TextView text, TextView part);

// Cuts the text off at each marker in turn (the branch tables' "cut at" with several
// markers): TruncateAt with every one of them, in the order given.
void TruncateAtEach(Text& text, std::initializer_list<TextView> markers);

// Every "\/" of an address taken from JSON replaced by "/".
Text Unslash(TextView text);

// A link taken from a page as a full address: kept when it has its scheme, "http:" put
// before one that begins with "//", else `host` ("http://www.example.com") put before the
// path, with a "/" between when the path has none. An empty link stays empty.
Text OnHost(TextView host, TextView link);

// Fills an address or text template: each "%s", "%d" or "%u" takes the next value in
// order, "%%" gives "%". Values missing for a placeholder leave it empty; spare values
// are ignored. Numbers are passed as NumberText(n).
Text Fill(TextView pattern, std::initializer_list<TextView> values);

// Milliseconds since the program started (the "t=" of some sites' cache-busting
// parameters).
uint32_t ProgramMilliseconds();

// ---- segments ------------------------------------------------------------------------

// Splits `page` at every `marker` and calls visit(segment) for segments 1..n: the text
// after each marker up to the next one (or the end). visit returns whether to go on.
struct SegmentVisit {
  int markers = 0;       // occurrences of the marker (0: none, visit was never called)
  bool stopped = false;  // visit answered false
};
using SegmentVisitor = std::function<bool(TextView segment)>;
SegmentVisit VisitSegments(TextView page, TextView marker, const SegmentVisitor& visit);

// ---- paged walks ---------------------------------------------------------------------

// The keys (album signs, picture ids, addresses) one run has met: each item is listed or
// queued the first time only. Two sources of one listing that share albums, or pages
// that repeat pictures, deliver nothing twice.
class SeenKeys {
 public:
  // True the first time `key` is offered (it is remembered); false for a repeat.
  bool Add(TextView key) { return keys_.emplace(key).second; }
  size_t Size() const { return keys_.size(); }

 private:
  std::unordered_set<Text> keys_;
};

// Page after page (by page number, offset or last key), ending always: besides the
// reader's own end rule, a walk ends when a fetched page has the same text as the one
// before it (a site that repeats its last page), when a page's last key equals the one
// of the page before, when a page brings no item the walk has not met before (a site that
// answers past its end with an earlier page in new wrapping), or after `cap` fetched
// pages (retries of one page count too).
//
//   PagedWalk walk;
//   while (walk.Fetch(session, Fill(kListPage, {NumberText(walk.Page() * 60)}), text, mode)) {
//     ...visit the page: deliver an item only when walk.Fresh(its id);
//        return on the reader's own end rule...
//     if (!walk.BroughtNew()) return;
//     walk.NextPage();
//   }
class PagedWalk {
 public:
  static constexpr int kDefaultCap = 5000;
  explicit PagedWalk(int cap = kDefaultCap) : cap_(cap) {}

  // The page to fetch now, counting from 0 (offsets: Page() * page size; page numbers
  // from 1: Page() + 1).
  int Page() const { return page_; }
  void NextPage() {
    ++page_;
    freshOnPage_ = 0;
  }

  // An item of the page being read, by its key (album sign, picture id or address): true
  // the first time the walk meets it (deliver it); false when an earlier page or this one
  // brought it already (skip it).
  bool Fresh(TextView key);
  // Whether the page being read has brought a fresh item so far; a walk whose page brought
  // none is over.
  bool BroughtNew() const { return freshOnPage_ > 0; }

  // A fetched page: true when it is to be read; false (the walk is over) when the cap is
  // reached or the text equals the previously admitted page's text.
  bool Admit(TextView pageText);
  // session.Get then Admit: false on a failed fetch, an empty text, a repeated page or the cap.
  bool Fetch(PageSession& session, const Text& address, Text& text, unsigned mode);
  // After reading a page, its last key (continuation value): false (the walk is over)
  // when it equals the previous page's last key.
  bool NewKey(TextView key);

 private:
  int cap_;
  int page_ = 0;
  int fetched_ = 0;
  bool hasPrevious_ = false;
  Text previousText_;
  bool hasKey_ = false;
  Text previousKey_;
  SeenKeys seen_;
  int freshOnPage_ = 0;
};

// ---- delivering ----------------------------------------------------------------------

// AddAlbumRow, then whether the listing goes on (false once ListState is 2).
bool AddRow(MainState& state, const ST_PERLISTRECORD& record);
// AddPictureItem, then whether the reader goes on (false once DownloadState is 2 or 3).
bool QueuePicture(MainState& state, const Text& address, const Text& description,
                  const Text& header, int albumIndex);
bool ListingStopped(const MainState& state);
bool DownloadStopped(const MainState& state);

// ---- logins --------------------------------------------------------------------------

inline constexpr char16_t kQuestionCaption[] = u"提示";

// The yes/no question (caption "提示"); on Yes the login window at `address`, waiting
// until it is closed. Returns the answer: true means "fetch again".
bool AskLogin(MainState& state, const Text& question, const Text& loginAddress);

// The same question asked at most once (one LoginPrompt per album: a per-album mark).
class LoginPrompt {
 public:
  // False without asking when it was asked before; otherwise AskLogin.
  bool AskOnce(MainState& state, const Text& question, const Text& loginAddress);
  bool Asked() const { return asked_; }

 private:
  bool asked_ = false;
};

// ---- cookies -------------------------------------------------------------------------

// The value of the cookie `name` in a cookie string "a=1; b=2" (names compared exactly,
// blanks around pairs ignored); empty when there is none. "skey=x; uin=o1" gives "x" for
// "skey" whether or not it stands first.
Text CookieValue(TextView cookieText, TextView name);
// CookieValue of net::GetCookieText(address).
Text CookieFor(TextView address, TextView name);
// TokenHash of that cookie's value (5381 when it is missing): the QQ services' g_tk.
uint32_t CookieToken(TextView address, TextView name);

// ---- diagnosis dumps -----------------------------------------------------------------

// The most of a page a dump keeps: the first 1 MiB of its UTF-16 text.
inline constexpr size_t kDumpUnits = size_t{1} << 19;

// Writes the start of `page` (at most kDumpUnits) to the file `name` in the working
// folder, replacing the dump before it: a page of a layout the reader did not
// understand, for the user to send to the maintainers. `name` is the reader's own fixed
// name, never a text from a page.
void WriteDump(const MainState& state, TextView name, TextView page);

}  // namespace zentrow
