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

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

// Walks the text one visible character at a time: invisible format
// characters are passed over wherever they stand.
class VisibleCharacters {
public:
  explicit VisibleCharacters(std::string_view text) : text_(text) { MoveTo(0); }
  char32_t Current() const { return current_; }
  std::size_t Position() const { return pos_; }
  void Next() { MoveTo(pos_ + length_); }

  // Where the run of ASCII digits from the current position ends.
  std::size_t AsciiDigitsEnd() const {
    std::size_t end = pos_;
    while (end < text_.size() && IsAsciiDigit(text_[end]))
      ++end;
    return end;
  }

  void MoveTo(std::size_t pos) {
    while (pos < text_.size()) {
      const Decoded d = DecodeAt(text_, pos);
      if (!IsInvisible(d.character)) {
        pos_ = pos;
        current_ = d.character;
        length_ = d.length;
        return;
      }
      pos += d.length;
    }
    pos_ = text_.size();
    current_ = kNoCharacter;
    length_ = 0;
  }

private:
  std::string_view text_;
  std::size_t pos_ = 0;
  char32_t current_ = kNoCharacter;
  std::size_t length_ = 0;
};

// The number in ASCII for from_chars: a piece of the text itself while it
// is typed in ASCII with nothing invisible inside, else a copy.
class Spelling {
public:
  Spelling(std::string_view text, std::size_t begin) : text_(text), begin_(begin), end_(begin) {}

  void Append(std::size_t from, std::size_t to) {
    if (plain_ && from == end_) {
      end_ = to;
      return;
    }
    Unplain();
    copy_.append(text_.substr(from, to - from));
  }
  void Append(char ascii) {
    Unplain();
    copy_ += ascii;
  }
  std::string_view Text() const { return plain_ ? text_.substr(begin_, end_ - begin_) : copy_; }

private:
  void Unplain() {
    if (plain_) copy_.assign(Text());
    plain_ = false;
  }

  std::string_view text_;
  std::size_t begin_, end_;
  bool plain_ = true;
  std::string copy_;
};

// Appends the digits from the current character on; whether there were any.
bool ReadDigits(VisibleCharacters& in, Spelling& number) {
  bool any = false;
  for (;;) {
    if (const std::size_t end = in.AsciiDigitsEnd(); end > in.Position()) {
      number.Append(in.Position(), end);
      in.MoveTo(end);
    } else if (const int d = DigitValue(in.Current()); d >= 0) {
      number.Append(static_cast<char>('0' + d));
      in.Next();
    } else {
      return any;
    }
    any = true;
  }
}

// The number spelled in ASCII digits and point, with its sign apart.
double Convert(std::string_view digits, bool negative) {
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                         std::chars_format::fixed);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves value untouched: a nonzero integer part can only have
    // overflowed, anything else underflowed to zero.
    const std::string_view integer = digits.substr(0, digits.find('.'));
    const bool overflow = integer.find_first_not_of('0') != std::string_view::npos;
    value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

std::size_t SkipAsciiDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsAsciiDigit(text[pos]))
    ++pos;
  return pos;
}

} // namespace

double NumericValue(std::string_view text) {
  // Most entries are typed in ASCII: where the reading ends on an ASCII
  // character or the end of the text, nothing needs decoding.
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
    ++pos;
  const bool negative = pos < text.size() && text[pos] == '-';
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::size_t begin = pos;
  const std::size_t intEnd = SkipAsciiDigits(text, begin);
  pos = intEnd;
  if (pos < text.size() && text[pos] == '.') pos = SkipAsciiDigits(text, pos + 1);
  if (pos == text.size() || static_cast<unsigned char>(text[pos]) < 0x80) {
    // "." alone, or a sign with no digits, is not a number.
    const bool anyDigit = intEnd > begin || pos > intEnd + 1;
    return anyDigit ? Convert(text.substr(begin, pos - begin), negative) : 0.0;
  }

  VisibleCharacters in(text);
  while (IsBlank(in.Current()))
    in.Next();
  const bool minus = in.Current() == '-';
  if (in.Current() == '+' || minus) in.Next();
  Spelling number(text, in.Position());
  bool anyDigit = ReadDigits(in, number);
  if (in.Current() == '.') {
    number.Append(in.Position(), in.Position() + 1);
    in.Next();
    anyDigit = ReadDigits(in, number) || anyDigit;
  }
  return anyDigit ? Convert(number.Text(), minus) : 0.0;
}

bool IsWithinLimits(EntryField field, double v) {
  const EntryLimit& limit = LimitOf(field);
  return !(v < limit.lowest) && !(v > limit.highest);
}

void CheckEntry(EntryField field, EntryCheckHost& host) {
  if (IsWithinLimits(field, NumericValue(host.ReadText(field)))) return;
  const EntryLimit& limit = LimitOf(field);
  host.Beep();
  if (host.AskRetryOrCancel(limit.prompt, limit.title) == DialogAnswer::Cancel) {
    host.EndProgram();
    return;
  }
  host.SetText(field, "");
  host.GiveFocus(field);
}

} // namespace gridref
