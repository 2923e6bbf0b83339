// std::from_chars for float and double, which libc++ before 20 lacks, for
// the wasm32-wasi build: the same grammar as the standard's, converted by
// wasi-libc's strtod and strtof (musl's, correctly rounded; a WebAssembly
// program has only the "C" locale). Force-included in every C++ file of that
// build; nowhere else.
#pragma once

#include <charconv>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 200000

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace std { // NOLINT(cert-dcl58-cpp): fills a gap of this standard library
namespace wasm32_from_chars {

inline bool IsDigit(char c, bool hex) {
  return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

inline bool StartsWithNoCase(const char* p, const char* last, const char* word) {
  for (; *word; ++p, ++word)
    if (p == last || (*p | 0x20) != *word) return false;
  return true;
}

// The end of the longest prefix that the format reads as a number, or
// nullptr when there is none.
inline const char* Scan(const char* p, const char* last, chars_format fmt) {
  if (p != last && *p == '-') ++p;
  if (StartsWithNoCase(p, last, "infinity")) return p + 8;
  if (StartsWithNoCase(p, last, "inf")) return p + 3;
  if (StartsWithNoCase(p, last, "nan")) {
    const char* end = p + 3;
    if (end != last && *end == '(') {
      const char* q = end + 1;
      while (q != last &&
             (IsDigit(*q, true) || *q == '_' || ((*q | 0x20) >= 'a' && (*q | 0x20) <= 'z')))
        ++q;
      if (q != last && *q == ')') end = q + 1;
    }
    return end;
  }
  const bool hex = fmt == chars_format::hex;
  const char* digits = p;
  while (p != last && IsDigit(*p, hex))
    ++p;
  bool any = p != digits;
  if (p != last && *p == '.') {
    const char* fraction = ++p;
    while (p != last && IsDigit(*p, hex))
      ++p;
    any = any || p != fraction;
  }
  if (!any) return nullptr;
  const bool exponentAllowed = fmt != chars_format::fixed;
  const bool exponentRequired = fmt == chars_format::scientific;
  const char mark = hex ? 'p' : 'e';
  if (exponentAllowed && p != last && (*p | 0x20) == mark) {
    const char* q = p + 1;
    if (q != last && (*q == '+' || *q == '-')) ++q;
    const char* exponentDigits = q;
    while (q != last && *q >= '0' && *q <= '9')
      ++q;
    if (q != exponentDigits) return q;
  }
  return exponentRequired ? nullptr : p;
}

inline float StringTo(const char* text, float*) {
  return strtof(text, nullptr);
}
inline double StringTo(const char* text, double*) {
  return strtod(text, nullptr);
}

template <typename T>
from_chars_result Parse(const char* first, const char* last, T& value, chars_format fmt) {
  const char* end = Scan(first, last, fmt);
  if (!end) return {first, errc::invalid_argument};
  string text(first, end);
  if (fmt == chars_format::hex) text.insert(text[0] == '-' ? 1 : 0, "0x");
  const int savedErrno = errno;
  errno = 0;
  const T parsed = StringTo(text.c_str(), static_cast<T*>(nullptr));
  const bool range = errno == ERANGE;
  errno = savedErrno;
  // Out of range: overflow to infinity or underflow to zero; a subnormal
  // result is a value. The value is left as it was, as the standard says.
  if (range && (std::isinf(parsed) || parsed == 0)) return {end, errc::result_out_of_range};
  value = parsed;
  return {end, errc{}};
}

} // namespace wasm32_from_chars

inline from_chars_result from_chars(const char* first, const char* last, float& value,
                                    chars_format fmt = chars_format::general) {
  return wasm32_from_chars::Parse(first, last, value, fmt);
}

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format fmt = chars_format::general) {
  return wasm32_from_chars::Parse(first, last, value, fmt);
}

} // namespace std

#endif
