// Text toolkit: the marker cuts, splits and decoders every site reader is built from.
//
// Text is UTF-16 (std::u16string); positions and lengths count UTF-16 code units.
// Every search finds the first occurrence, compares exactly (case-sensitive) and never
// overlaps. No operation throws or fails on ordinary input: a missing marker gives an
// empty result or -1 and leaves the searched text as it was.
//
// The modifiable text of CutBetween, DeleteThrough and TruncateAt may be a TextView:
// advancing a view is O(1), so walking a large page with repeated cuts stays linear.
// The same operations on a Text modify the string itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentrow {

using Text = std::u16string;
using TextView = std::u16string_view;
using Bytes = std::string;          // bytes in some code page, or raw network data
using TextList = std::vector<Text>;

// Mode bits of CutBetween.
inline constexpr unsigned CUT_ADVANCE = 1;  // leave the text beginning just after the start marker
inline constexpr unsigned CUT_REST = 2;     // with no end marker, return everything after the start

// The text between the first `start` and the next `end`. An empty start matches at 0;
// an empty end matches at once (empty result). With CUT_ADVANCE and the start found,
// `text` is left beginning just after the start marker (the end marker stays in it).
Text CutBetween(TextView& text, TextView start, TextView end, unsigned mode = 0);
Text CutBetween(Text& text, TextView start, TextView end, unsigned mode = 0);

// Deletes everything before `marker` (or through it when `include`); returns the position
// where it was found, or -1 (text unchanged).
long DeleteThrough(TextView& text, TextView marker, bool include = true);
long DeleteThrough(Text& text, TextView marker, bool include = true);

// Cuts the text off where `marker` begins; returns that position, or -1 (text unchanged).
long TruncateAt(TextView& text, TextView marker);
long TruncateAt(Text& text, TextView marker);

// The part before `marker`; empty when it is missing.
Text TextBefore(TextView text, TextView marker);

// Number of non-overlapping occurrences. An empty marker counts 0.
int CountOf(TextView text, TextView marker);

// Fills `list` with n + 1 pieces: the n first separators split, the piece after the
// (n + 1)-th separator is not returned. Pieces beyond the last separator are the rest.
// An empty separator never matches, so every piece is the whole text.
void SplitN(TextView text, TextView separator, int n, TextList& list);

// Splits at every separator and returns the number of separators. A text without the
// separator (or an empty separator) yields an empty list and 0 (not a one-element list).
int SplitText(TextView text, TextView separator, TextList& list);

// "\u" + four hex digits becomes that code unit; a "\u" followed by anything else (fewer
// than four characters, or a non-hex digit among the four) is dropped and the characters kept.
Text UnescapeUnicode(TextView text);

// Replaces &quot; &amp; &lt; &gt; &nbsp; &hellip; &#39;, in that order, each in one
// left-to-right pass.
void DecodeEntities(Text& text);

// Removes every tag: a "<", the text up to the next ">", and that ">". An empty tag "<>"
// or an unmatched "<" ends the removal.
Text StripTags(TextView text);

// Replaces every occurrence of `from` by `to`, left to right, non-overlapping. An empty
// `from` replaces nothing. Returns the number of replacements.
int ReplaceAll(Text& text, TextView from, TextView to);

// With the same number of "|" in both lists, replaces finds part i by replacements part i
// in order; otherwise replaces the whole finds text by the whole replacements text.
void ReplaceList(Text& text, TextView finds, TextView replacements);

// Percent-decodes the GBK bytes of the text and reads the result as UTF-8. A "%" not
// followed by two hex digits stops decoding; at most 1023 bytes are produced.
Text UrlDecode(TextView text);

// Trims blanks (space, tab, CR, LF, vertical tab, form feed) at both ends.
Text Trim(TextView text);
void TrimInPlace(Text& text);

// Well-formed UTF-8 that is not pure ASCII (an empty input is not UTF-8).
bool IsUtf8(const char* bytes, size_t length);
inline bool IsUtf8(std::string_view bytes) { return IsUtf8(bytes.data(), bytes.size()); }

// A random number between 0 and 1 with sixteen decimals followed by a line feed, from a
// generator seeded with the current time in seconds (two calls in one second agree).
Text RandomFraction();

// The QQ token hash: h = 5381, h = h * 33 + c over the code units, low 31 bits.
uint32_t TokenHash(TextView text);

// Reads an unsigned decimal number: leading blanks and one sign skipped, stops at the
// first non-digit; no digits gives 0. A minus sign wraps the value (as C's strtoul does).
uint32_t ParseUnsigned(TextView text);

// Small conveniences for literals and formatting.
Text FromAscii(std::string_view ascii);
Text NumberText(long long value);

}  // namespace zentrow
