#include "core/grid_reference.h"

#include "core/cell_classifier.h"
#include "core/entry_checks.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace gridref {
namespace {

// FLT_MAX plus half its ulp: from here on round-to-nearest-even goes to
// infinity (FLT_MAX's significand is odd).
constexpr double kFloatOverflowThreshold = 0x1.ffffffp+127;

} // namespace

float NearestFloat(double v) {
  if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
  // Beyond the float range the cast alone would be undefined behaviour.
  const double magnitude = std::fabs(v);
  const float sign = v < 0 ? -1.0f : 1.0f;
  if (magnitude >= kFloatOverflowThreshold) return sign * std::numeric_limits<float>::infinity();
  if (magnitude > static_cast<double>(std::numeric_limits<float>::max()))
    return sign * std::numeric_limits<float>::max();
  return static_cast<float>(v);
}

CoordinateEntry ReadCoordinateEntry(std::string_view degSouth, std::string_view minSouth,
                                    std::string_view degEast, std::string_view minEast) {
  CoordinateEntry entry{};
  entry.degreesSouth = NearestFloat(NumericValue(degSouth));
  entry.minutesSouth = NearestFloat(NumericValue(minSouth));
  entry.degreesEast = NearestFloat(NumericValue(degEast));
  entry.minutesEast = NearestFloat(NumericValue(minEast));
  return entry;
}

std::string NumberText(float value, std::string_view decimalSeparator) {
  if (std::isnan(value)) return std::string(kNaNText);
  if (std::isinf(value)) return (value < 0 ? "-" : "") + std::string(kInfinityText);
  if (value == 0.0f) return "0"; // also -0

  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::general, 7);
  std::string text;
  for (const char* p = buffer.data(); p != result.ptr; ++p) {
    if (*p == '.')
      text += decimalSeparator;
    else
      text += *p == 'e' ? 'E' : *p;
  }
  return text;
}

std::string ComposeGridReference(const CoordinateEntry& entry, std::string_view decimalSeparator) {
  const CellClassification cell = ClassifyMinutes(entry.minutesSouth, entry.minutesEast);
  return NumberText(entry.degreesSouth, decimalSeparator) +
         NumberText(entry.degreesEast, decimalSeparator) + cell.quarterLetter +
         cell.sixteenthLetter + cell.cellNumber;
}

} // namespace gridref
