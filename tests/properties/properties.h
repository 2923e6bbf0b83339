// Properties of the computation that hold for every input, checked by the
// fuzzers and the user-event soak alike. Each returns "" when it holds and
// otherwise says what is wrong.
#pragma once

#include "core/entry_checks.h"
#include "core/grid_reference.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <locale.h>
#include <locale>
#include <string>
#include <string_view>
#include <vector>

namespace gridref::testing {

// The zero of each script's decimal digits beyond ASCII (Unicode 14), in
// ascending order; each is followed by its 1 to 9.
inline constexpr std::u32string_view kScriptZeros =
    U"\u0660\u06F0\u07C0\u0966\u09E6\u0A66\u0AE6\u0B66\u0BE6\u0C66\u0CE6\u0D66\u0DE6\u0E50\u0ED0"
    U"\u0F20\u1040\u1090\u17E0\u1810\u1946\u19D0\u1A80\u1A90\u1B50\u1BB0\u1C40\u1C50\uA620\uA8D0"
    U"\uA900\uA9D0\uA9F0\uAA50\uABF0\uFF10\U000104A0\U00010D30\U00011066\U000110F0\U00011136"
    U"\U000111D0\U000112F0\U00011450\U000114D0\U00011650\U000116C0\U00011730\U000118E0\U00011950"
    U"\U00011C50\U00011D50\U00011DA0\U00016A60\U00016AC0\U00016B50\U0001D7CE\U0001D7D8\U0001D7E2"
    U"\U0001D7EC\U0001D7F6\U0001E140\U0001E2F0\U0001E950\U0001FBF0";
// Unicode's space separators, and the tab.
inline constexpr std::u32string_view kBlanks =
    U"\t \u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008\u2009\u200A\u202F\u205F"
    U"\u3000";
inline constexpr std::u32string_view kInvisibles =
    U"\u00AD\u061C\u180E\u200B\u200C\u200D\u200E\u200F\u202A\u202B\u202C\u202D\u202E\u2060\u2061"
    U"\u2062\u2063"
    U"\u2064\u2066\u2067\u2068\u2069\uFEFF";

// Adds one character as the ASCII grammar sees it: nothing for an invisible
// one, a space for a blank, the ASCII digit for a digit; false after a
// character that can be no part of a number, which ends it.
inline bool AddAscii(char32_t c, std::string& ascii) {
  if (kInvisibles.find(c) != std::u32string_view::npos) return true;
  if (kBlanks.find(c) != std::u32string_view::npos) {
    ascii += ' ';
    return true;
  }
  // The zeros run in ascending order: the last one not above c.
  const auto after = std::upper_bound(kScriptZeros.begin(), kScriptZeros.end(), c);
  if (after != kScriptZeros.begin() && c - after[-1] < 10) {
    ascii += static_cast<char>('0' + (c - after[-1]));
    return true;
  }
  const bool partOfNumber = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  ascii += partOfNumber ? static_cast<char>(c) : '?';
  return partOfNumber;
}

// The UTF-8 text as the old ASCII grammar sees it, decoded by the standard
// library up to the first ill-formed byte.
inline std::string AsciiReading(std::string_view text) {
  struct Utf8 : std::codecvt<char32_t, char8_t, std::mbstate_t> {};
  const Utf8 utf8;
  std::mbstate_t state{};
  const auto* next = reinterpret_cast<const char8_t*>(text.data());
  const char8_t* const end = next + text.size();
  std::string ascii;
  char32_t decoded[64];
  while (next < end) {
    char32_t* decodedEnd = decoded;
    const auto result = utf8.in(state, next, end, next, decoded, std::end(decoded), decodedEnd);
    for (const char32_t* c = decoded; c < decodedEnd; ++c)
      if (!AddAscii(*c, ascii)) return ascii;
    // Stopped at an ill-formed byte, or at a sequence cut short by the end.
    if (result == std::codecvt_base::error || decodedEnd == decoded) break;
  }
  return ascii;
}

// The leading number read another way: the grammar's longest prefix found
// with the string searches, converted by the C library in the "C" locale.
inline double IndependentNumericValue(std::string_view text) {
  static constexpr const char* kDigits = "0123456789";
  const std::string s = AsciiReading(text);
  const std::size_t start = s.find_first_not_of(' ');
  if (start == std::string::npos) return 0.0;
  std::size_t at = start + ((s[start] == '+' || s[start] == '-') ? 1 : 0);
  const std::size_t intEnd = std::min(s.find_first_not_of(kDigits, at), s.size());
  std::size_t end = intEnd;
  std::size_t fractionDigits = 0;
  if (end < s.size() && s[end] == '.') {
    end = std::min(s.find_first_not_of(kDigits, end + 1), s.size());
    fractionDigits = end - intEnd - 1;
  }
  if (intEnd == at && fractionDigits == 0) return 0.0;
  // As sign, significant digits and exponent. Past 800 significant digits a
  // double's rounding only asks whether anything nonzero follows (a sticky
  // 1): a C library that works through every digit (MinGW's) would take
  // minutes on the megabyte-long rows.
  std::string digits = s.substr(at, intEnd - at);
  if (fractionDigits > 0) digits += s.substr(intEnd + 1, fractionDigits);
  const std::string sign = s.substr(start, at - start);
  const std::size_t first = digits.find_first_not_of('0');
  std::string number = sign + "0";
  if (first != std::string::npos) {
    constexpr std::size_t kSignificant = 800;
    std::string kept = digits.substr(first, kSignificant);
    if (digits.find_first_not_of('0', first + kept.size()) != std::string::npos) kept += '1';
    const long long exponent = static_cast<long long>(intEnd - at) - static_cast<long long>(first);
    number = sign + "0." + kept + "e" + std::to_string(exponent);
  }
#ifdef __MINGW32__
  // MinGW's own correctly rounded strtod; the process keeps the "C" locale.
  return __mingw_strtod(number.c_str(), nullptr);
#else
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(number.c_str(), nullptr, cLocale);
#endif
}

inline std::string NumericValueError(std::string_view text) {
  const double got = NumericValue(text), want = IndependentNumericValue(text);
  if (std::memcmp(&got, &want, sizeof got) == 0) return "";
  return "NumericValue " + std::to_string(got) + ", independently " + std::to_string(want);
}

// The host calls of one check, in their designed order.
inline std::vector<std::string> ExpectedCheckCalls(const std::string& field, bool refused,
                                                   bool retry, std::string_view prompt,
                                                   std::string_view title) {
  std::vector<std::string> calls = {"read " + field};
  if (!refused) return calls;
  calls.push_back("beep");
  calls.push_back("ask " + std::string(prompt) + " | " + std::string(title));
  if (retry) {
    calls.push_back("set " + field + " ''");
    calls.push_back("focus " + field);
  } else {
    calls.push_back("end");
  }
  return calls;
}

// NumberText of both degrees, then at most a letter A-D, a letter A-D and a
// cell number 1-25; a cell number only with both letters.
inline std::string GridReferenceShapeError(std::string_view reference, float degreesSouth,
                                           float degreesEast, std::string_view separator) {
  const std::string degrees =
      NumberText(degreesSouth, separator) + NumberText(degreesEast, separator);
  if (reference.substr(0, degrees.size()) != degrees)
    return "'" + std::string(reference) + "' does not start with '" + degrees + "'";
  std::string_view rest = reference.substr(degrees.size());
  std::size_t letters = 0;
  while (letters < rest.size() && letters < 2 && rest[letters] >= 'A' && rest[letters] <= 'D')
    ++letters;
  const std::string_view cell = rest.substr(letters);
  if (cell.empty()) return "";
  const bool digits = cell.find_first_not_of("0123456789") == std::string_view::npos;
  const int number = digits && cell.size() <= 2 ? std::atoi(std::string(cell).c_str()) : 0;
  if (cell[0] == '0' || number < 1 || number > 25)
    return "'" + std::string(reference) + "' ends in '" + std::string(cell) + "'";
  if (letters != 2) return "'" + std::string(reference) + "' has a cell without both letters";
  return "";
}

} // namespace gridref::testing
