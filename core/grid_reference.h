// The grid reference text composed from the four entry texts.
#pragma once

#include <string>
#include <string_view>

namespace gridref {

struct CoordinateEntry {
  float degreesSouth, minutesSouth, degreesEast, minutesEast;
};

// IEEE round-to-nearest from double to float, ±infinity beyond the float range.
float NearestFloat(double v);

CoordinateEntry ReadCoordinateEntry(std::string_view degSouth, std::string_view minSouth,
                                    std::string_view degEast, std::string_view minEast);

inline constexpr std::string_view kInfinityText = "Inf";
inline constexpr std::string_view kNaNText = "NaN";

// At most 7 significant digits, no trailing zeros, exponent form where %.7G
// would use it; independent of the C locale.
std::string NumberText(float value, std::string_view decimalSeparator = ".");

std::string ComposeGridReference(const CoordinateEntry& entry,
                                 std::string_view decimalSeparator = ".");

} // namespace gridref
