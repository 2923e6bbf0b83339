// Properties of the computation that hold for every input, checked by the
// fuzzers and the user-event soak alike. Each returns "" when it holds and
// otherwise says what is wrong.
#pragma once

#include "core/entry_checks.h"
#include "core/grid_reference.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <string_view>
#include <vector>

namespace gridref::testing {

// The leading number read another way: the grammar's longest prefix found
// with the string searches, converted by the C library in the "C" locale.
inline double IndependentNumericValue(std::string_view text) {
  static constexpr const char* kDigits = "0123456789";
  const std::string s(text);
  const std::size_t start = s.find_first_not_of(" \t");
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
  const std::string number = s.substr(start, end - start);
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
