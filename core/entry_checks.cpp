#include "core/entry_checks.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <system_error>

namespace gridref {
namespace {

// What a position holds when it is not a character: the end of the text, or
// bytes that are not well-formed UTF-8.
constexpr char32_t kNoCharacter = 0xFFFFFFFF;

struct Decoded {
  char32_t character;
  std::size_t length;
};

// Well-formed UTF-8 only: an overlong form, an encoded surrogate, a code
// point beyond U+10FFFF or a sequence cut short is no character, so it can
// never pass for a digit or a blank.
Decoded DecodeAt(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t character = 0;
  unsigned char low = 0x80, high = 0xBF; // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    character = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    character = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    character = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kNoCharacter, 1};
  }
  if (text.size() - pos < length) return {kNoCharacter, 1};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if (next < low || next > high) return {kNoCharacter, 1};
    low = 0x80;
    high = 0xBF;
    character = (character << 6) | (next & 0x3Fu);
  }
  return {character, length};
}

// Unicode's space separators (Zs) and the tab.
bool IsBlank(char32_t c) {
  return c == ' ' || c == '\t' || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

// Format characters that paste and input methods bring along unseen: the
// soft hyphen, the byte-order mark, zero-width and direction marks,
// embeddings, isolates, the Mongolian vowel separator.
bool IsInvisible(char32_t c) {
  return c >= 0x00AD &&
         (c == 0x00AD || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
          (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) ||
          (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF);
}

// Unicode 14's decimal digits (Nd), first and last of each run; a run holds
// one or more sets of 0 to 9.
struct DigitRun {
  char32_t first;
  char32_t last;
};
constexpr std::array<DigitRun, 62> kDigitRuns = {
    {{0x0030, 0x0039},   {0x0660, 0x0669},   {0x06F0, 0x06F9},   {0x07C0, 0x07C9},
     {0x0966, 0x096F},   {0x09E6, 0x09EF},   {0x0A66, 0x0A6F},   {0x0AE6, 0x0AEF},
     {0x0B66, 0x0B6F},   {0x0BE6, 0x0BEF},   {0x0C66, 0x0C6F},   {0x0CE6, 0x0CEF},
     {0x0D66, 0x0D6F},   {0x0DE6, 0x0DEF},   {0x0E50, 0x0E59},   {0x0ED0, 0x0ED9},
     {0x0F20, 0x0F29},   {0x1040, 0x1049},   {0x1090, 0x1099},   {0x17E0, 0x17E9},
     {0x1810, 0x1819},   {0x1946, 0x194F},   {0x19D0, 0x19D9},   {0x1A80, 0x1A89},
     {0x1A90, 0x1A99},   {0x1B50, 0x1B59},   {0x1BB0, 0x1BB9},   {0x1C40, 0x1C49},
     {0x1C50, 0x1C59},   {0xA620, 0xA629},   {0xA8D0, 0xA8D9},   {0xA900, 0xA909},
     {0xA9D0, 0xA9D9},   {0xA9F0, 0xA9F9},   {0xAA50, 0xAA59},   {0xABF0, 0xABF9},
     {0xFF10, 0xFF19},   {0x104A0, 0x104A9}, {0x10D30, 0x10D39}, {0x11066, 0x1106F},
     {0x110F0, 0x110F9}, {0x11136, 0x1113F}, {0x111D0, 0x111D9}, {0x112F0, 0x112F9},
     {0x11450, 0x11459}, {0x114D0, 0x114D9}, {0x11650, 0x11659}, {0x116C0, 0x116C9},
     {0x11730, 0x11739}, {0x118E0, 0x118E9}, {0x11950, 0x11959}, {0x11C50, 0x11C59},
     {0x11D50, 0x11D59}, {0x11DA0, 0x11DA9}, {0x16A60, 0x16A69}, {0x16AC0, 0x16AC9},
     {0x16B50, 0x16B59}, {0x1D7CE, 0x1D7FF}, {0x1E140, 0x1E149}, {0x1E2F0, 0x1E2F9},
     {0x1E950, 0x1E959}, {0x1FBF0, 0x1FBF9}}};

// The digit's value, or -1 for any other character.
int DigitValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c < kDigitRuns[1].first || c > kDigitRuns.back().last) return -1;
  const auto run = std::upper_bound(kDigitRuns.begin(), kDigitRuns.end(), c,
                                    [](char32_t v, const DigitRun& r) { return v < r.first; }) -
                   1;
  return c <= run->last ? static_cast<int>((c - run->first) % 10) : -1;
}

bool IsNumberAscii(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == ' ' || c == '-' || c == '+';
}

// The text as far as a number could reach, in the ASCII the reader knows:
// blanks as ' ', the digits of every script as '0' to '9', invisible format
// characters left out. It stops before the first character that can be no
// part of a number (ill-formed UTF-8 too), so nothing after it can join the
// number.
std::string InAscii(std::string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    // What is typed in ASCII goes over a run at a time.
    std::size_t end = pos;
    while (end < text.size() && IsNumberAscii(text[end]))
      ++end;
    ascii.append(text.substr(pos, end - pos));
    if (end == text.size()) break;
    const Decoded d = DecodeAt(text, end);
    pos = end + d.length;
    if (IsInvisible(d.character)) continue;
    if (IsBlank(d.character)) {
      ascii += ' ';
    } else if (const int digit = DigitValue(d.character); digit >= 0) {
      ascii += static_cast<char>('0' + digit);
    } else {
      break;
    }
  }
  return ascii;
}

// Blanks, a sign, then the digits and point that from_chars reads.
double ReadNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ')
    ++pos;
  const bool negative = pos < text.size() && text[pos] == '-';
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  // Not a second sign, nor "inf" or "nan", which from_chars would take.
  const bool startsNumber =
      pos < text.size() && ((text[pos] >= '0' && text[pos] <= '9') || text[pos] == '.');
  if (!startsNumber) return 0.0;
  const char* const first = text.data() + pos;
  double value = 0.0;
  const auto [last, ec] =
      std::from_chars(first, text.data() + text.size(), value, std::chars_format::fixed);
  // "." with no digit on either side is not a number.
  if (ec == std::errc::invalid_argument) return 0.0;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves value untouched: a nonzero integer part can only have
    // overflowed, anything else underflowed to zero.
    const std::string_view number(first, static_cast<std::size_t>(last - first));
    const std::string_view integer = number.substr(0, number.find('.'));
    const bool overflow = integer.find_first_not_of('0') != std::string_view::npos;
    value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

} // namespace

double NumericValue(std::string_view text) {
  return ReadNumber(InAscii(text));
}

bool IsWithinLimits(EntryField field, double v) {
  const EntryLimit& limit = LimitOf(field);
  return !(v < limit.lowest) && !(v > limit.highest);
}

CheckOutcome CheckEntry(EntryField field, EntryCheckHost& host) {
  if (IsWithinLimits(field, NumericValue(host.ReadText(field)))) return CheckOutcome::Accepted;
  const EntryLimit& limit = LimitOf(field);
  host.Beep();
  if (host.AskRetryOrCancel(limit.prompt, limit.title) == DialogAnswer::Cancel)
    return CheckOutcome::Cancelled;
  host.SetText(field, "");
  host.GiveFocus(field);
  return CheckOutcome::Retried;
}

} // namespace gridref
