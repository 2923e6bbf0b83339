#include "core/entry_checks.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace gridref {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos]))
    ++pos;
  return pos;
}

} // namespace

double NumericValue(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
    ++pos;

  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t begin = pos;
  const std::size_t intEnd = SkipDigits(text, begin);
  std::size_t end = intEnd;
  if (end < text.size() && text[end] == '.') end = SkipDigits(text, end + 1);
  // "." alone, or a sign with no digits, is not a number.
  const bool hasDigits = intEnd > begin || end > intEnd + 1;
  if (!hasDigits) return 0.0;

  double value = 0.0;
  const char* first = text.data() + begin;
  const auto [ptr, ec] = std::from_chars(first, text.data() + end, value, std::chars_format::fixed);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves value untouched: a nonzero integer part can only have
    // overflowed, anything else underflowed to zero.
    bool overflow = false;
    for (std::size_t i = begin; i < intEnd && !overflow; ++i)
      overflow = text[i] != '0';
    value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

bool IsWithinLimits(EntryField field, double v) {
  const EntryLimit& limit = LimitOf(field);
  return !(v < limit.lowest || v > limit.highest);
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
