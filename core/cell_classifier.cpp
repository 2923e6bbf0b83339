#include "core/cell_classifier.h"

#include <string_view>

namespace gridref {
namespace {

// The last entry of each table is the empty text of an absent component.
constexpr std::string_view kLetters[5] = {"A", "B", "C", "D", ""};
constexpr int kNoLetter = 4;

constexpr std::string_view kCellNumbers[26] = {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",
                                               "10", "11", "12", "13", "14", "15", "16", "17", "18",
                                               "19", "20", "21", "22", "23", "24", "25", ""};
constexpr int kNoCell = 25;

} // namespace

CellClassification ClassifyMinutes(float minutesSouth, float minutesEast) {
  const auto s = detail::IndicesOf(minutesSouth);
  const auto e = detail::IndicesOf(minutesEast);
  const int quarter = s.hasHalf & e.hasHalf ? 2 * s.half + e.half : kNoLetter;
  const int sixteenth = s.hasSixteenth & e.hasSixteenth ? 2 * s.sixteenth + e.sixteenth : kNoLetter;
  const int cell = s.hasBand & e.hasBand ? kBandsPerSixteenth * (s.band % kBandsPerSixteenth) +
                                               e.band % kBandsPerSixteenth
                                         : kNoCell;
  return {std::string(kLetters[quarter]), std::string(kLetters[sixteenth]),
          std::string(kCellNumbers[cell])};
}

} // namespace gridref
