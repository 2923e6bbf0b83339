// Places minutes south and east in their quarter, sixteenth and 3-minute cell.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>

namespace gridref {

struct CellClassification {
  std::string quarterLetter, sixteenthLetter, cellNumber;
  friend bool operator==(const CellClassification&, const CellClassification&) = default;
};

// B1..B20: the floats nearest 3k - 0.0001. Written as those decimals so that a
// typed boundary, once rounded to float, equals its constant exactly.
inline constexpr std::array<float, 20> kBandBoundaries = {
    2.9999f,  5.9999f,  8.9999f,  11.9999f, 14.9999f, 17.9999f, 20.9999f,
    23.9999f, 26.9999f, 29.9999f, 32.9999f, 35.9999f, 38.9999f, 41.9999f,
    44.9999f, 47.9999f, 50.9999f, 53.9999f, 56.9999f, 59.9999f};

inline constexpr float kHalfBoundary = kBandBoundaries[9];   // 29.9999
inline constexpr float kUpperBoundary = kBandBoundaries[19]; // 59.9999
inline constexpr int kBandsPerSixteenth = 5;
inline constexpr int kBandsPerHalf = 10;

namespace detail {

// Boundaries lie 3 minutes apart, so each whole minute [w, w + 1) holds at
// most one of them. Knowing how many lie below w and which one lies inside
// turns the band search into one exact comparison. Built from the constants.
struct MinuteRow {
  int boundariesBelow = 0;
  int boundariesInside = 0;
  float boundaryInside = std::numeric_limits<float>::infinity();
};

inline constexpr std::size_t kMinuteRows = 60;

constexpr std::array<MinuteRow, kMinuteRows> BuildMinuteRows() {
  std::array<MinuteRow, kMinuteRows> rows{};
  for (std::size_t w = 0; w < kMinuteRows; ++w) {
    const auto whole = static_cast<float>(w);
    for (float b : kBandBoundaries) {
      if (b < whole) ++rows[w].boundariesBelow;
      if (b >= whole && b < whole + 1.0f) {
        ++rows[w].boundariesInside;
        rows[w].boundaryInside = b;
      }
    }
  }
  return rows;
}

inline constexpr auto kMinuteRowTable = BuildMinuteRows();

constexpr bool EveryBoundaryInExactlyOneRow() {
  int seen = 0;
  for (const MinuteRow& row : kMinuteRowTable) {
    if (row.boundariesInside > 1) return false;
    seen += row.boundariesInside;
  }
  return seen == static_cast<int>(kBandBoundaries.size());
}
static_assert(EveryBoundaryInExactlyOneRow());

// The three indices of one axis, without branches: conversions run on
// arbitrary minutes, where mispredicted jumps cost more than the comparisons.
// A comparison with NaN is false, so NaN has no index.
struct AxisIndices {
  int half, sixteenth, band;
  int hasHalf, hasSixteenth, hasBand; // 0 or 1, combined with &
};

constexpr AxisIndices IndicesOf(float m) {
  constexpr auto kLastRow = static_cast<float>(kMinuteRows - 1);
  // Negative minutes (and NaN) read row 0, minutes past the last row read it.
  const float clamped = m >= 0.0f ? (m <= kLastRow ? m : kLastRow) : 0.0f;
  const MinuteRow& row = kMinuteRowTable[static_cast<std::size_t>(clamped)];
  // Boundaries strictly below m, and whether m sits on one.
  const int below = row.boundariesBelow + (m > row.boundaryInside ? 1 : 0);
  const bool onBoundary = m == row.boundaryInside;
  const bool belowTop = m < kUpperBoundary;

  AxisIndices axis{};
  axis.band = below;
  axis.hasBand = belowTop & !onBoundary;
  // Every fifth boundary (14.9999, 29.9999, 44.9999) starts a new sixteenth,
  // every tenth a new half.
  axis.sixteenth = (below / kBandsPerSixteenth) % 2;
  axis.hasSixteenth =
      belowTop & !(onBoundary & (below % kBandsPerSixteenth == kBandsPerSixteenth - 1));
  axis.half = below >= kBandsPerHalf ? 1 : 0;
  axis.hasHalf = (m < kHalfBoundary) | (m > kHalfBoundary);
  return axis;
}

constexpr std::optional<int> Present(int has, int index) {
  return has ? std::optional<int>(index) : std::nullopt;
}

} // namespace detail

// Each index is absent on a boundary (and for NaN); every test is strict.
constexpr std::optional<int> HalfIndex(float m) {
  const auto axis = detail::IndicesOf(m);
  return detail::Present(axis.hasHalf, axis.half);
}

constexpr std::optional<int> SixteenthIndex(float m) {
  const auto axis = detail::IndicesOf(m);
  return detail::Present(axis.hasSixteenth, axis.sixteenth);
}

constexpr std::optional<int> BandIndex(float m) {
  const auto axis = detail::IndicesOf(m);
  return detail::Present(axis.hasBand, axis.band);
}

CellClassification ClassifyMinutes(float minutesSouth, float minutesEast);

} // namespace gridref
