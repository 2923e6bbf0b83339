#include "core/cell_classifier.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <vector>
#ifndef __wasi__
#include <thread>
#endif

namespace gridref {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
using Index = std::optional<int>;

float ParseFloat(std::string_view decimal) {
  float value = 0;
  std::from_chars(decimal.data(), decimal.data() + decimal.size(), value);
  return value;
}

// The boundaries B1..B20 as the decimals a user types (3k - 0.0001), with
// the band just below and just above each; parsed at run time.
struct BandRow {
  const char* typed;
  int below;
  Index above;
};

const BandRow kBandRows[] = {
    {"2.9999", 0, 1},    {"5.9999", 1, 2},    {"8.9999", 2, 3},    {"11.9999", 3, 4},
    {"14.9999", 4, 5},   {"17.9999", 5, 6},   {"20.9999", 6, 7},   {"23.9999", 7, 8},
    {"26.9999", 8, 9},   {"29.9999", 9, 10},  {"32.9999", 10, 11}, {"35.9999", 11, 12},
    {"38.9999", 12, 13}, {"41.9999", 13, 14}, {"44.9999", 14, 15}, {"47.9999", 15, 16},
    {"50.9999", 16, 17}, {"53.9999", 17, 18}, {"56.9999", 18, 19}, {"59.9999", 19, std::nullopt},
};

TEST(kBandBoundaries, EqualTheTypedDecimals) {
  ASSERT_EQ(std::size(kBandRows), kBandBoundaries.size());
  for (std::size_t i = 0; i < kBandBoundaries.size(); ++i) {
    SCOPED_TRACE(kBandRows[i].typed);
    EXPECT_EQ(kBandBoundaries[i], ParseFloat(kBandRows[i].typed));
  }
  EXPECT_EQ(kHalfBoundary, ParseFloat("29.9999"));
  EXPECT_EQ(kUpperBoundary, ParseFloat("59.9999"));
}

struct ClassifyCase {
  const char* tag;
  float south, east;
  CellClassification expected;
};

TEST(ClassifyMinutes, Examples) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const ClassifyCase cases[] = {
      {"(0, 0) north-west corner", 0, 0, {"A", "A", "1"}},
      {"(12, 12)", 12, 12, {"A", "A", "25"}},
      {"(10, 10)", 10, 10, {"A", "A", "19"}},
      {"(14, 29)", 14, 29, {"A", "B", "25"}},
      {"(16.5, 1.5)", 16.5f, 1.5f, {"A", "C", "1"}},
      {"(15, 15)", 15, 15, {"A", "D", "1"}},
      {"(30, 30)", 30, 30, {"D", "A", "1"}},
      {"(45, 45)", 45, 45, {"D", "D", "1"}},
      {"(58.5, 58.5)", 58.5f, 58.5f, {"D", "D", "25"}},
      {"(57, 57)", 57, 57, {"D", "D", "25"}},
      {"(59.999, 59.999)", 59.999f, 59.999f, {"D", "D", "25"}},
      {"3 lies above 2.9999", 3, 0, {"A", "A", "6"}},
      {"2.99995 lies above 2.9999", 2.99995f, 0, {"A", "A", "6"}},
      {"south on 2.9999 empties the cell", 2.9999f, 10, {"A", "A", ""}},
      {"east on 2.9999 empties the cell", 10, 2.9999f, {"A", "A", ""}},
      {"(5.9999, 5.9999)", 5.9999f, 5.9999f, {"A", "A", ""}},
      {"south on the half line", 29.9999f, 10, {"", "", ""}},
      {"east on the half line", 10, 29.9999f, {"", "", ""}},
      {"south on 14.9999", 14.9999f, 10, {"A", "", ""}},
      {"south on 44.9999", 44.9999f, 10, {"C", "", ""}},
      {"east on 44.9999", 10, 44.9999f, {"B", "", ""}},
      {"(45.5, 44.9999)", 45.5f, 44.9999f, {"D", "", ""}},
      {"south on 59.9999", 59.9999f, 10, {"C", "", ""}},
      {"south 59.99995", 59.99995f, 10, {"C", "", ""}},
      {"south 60", 60, 10, {"C", "", ""}},
      {"south 75", 75, 10, {"C", "", ""}},
      {"east 60", 10, 60, {"B", "", ""}},
      {"south infinity", kInf, 10, {"C", "", ""}},
      {"negatives as 0", -1, -1, {"A", "A", "1"}},
      {"-0 as 0", -0.0f, 0, {"A", "A", "1"}},
      {"minus infinity as 0", -kInf, 0, {"A", "A", "1"}},
      {"NaN south empties all", nan, 10, {"", "", ""}},
      {"NaN east empties all", 10, nan, {"", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(ClassifyMinutes(c.south, c.east), c.expected);
  }
}

// The three tables as open intervals, walked by a cursor over ascending x.
struct OpenInterval {
  float lo, hi;
  int value;
};

class IntervalWalker {
public:
  explicit IntervalWalker(std::vector<OpenInterval> intervals) : intervals_(std::move(intervals)) {}
  Index At(float x) {
    // Open at both ends: a value equal to an end lies in neither interval.
    while (cursor_ < intervals_.size() && !(x < intervals_[cursor_].hi))
      ++cursor_;
    if (cursor_ < intervals_.size() && intervals_[cursor_].lo < x) return intervals_[cursor_].value;
    return std::nullopt;
  }

private:
  std::vector<OpenInterval> intervals_;
  std::size_t cursor_ = 0;
};

std::vector<OpenInterval> HalfTable() {
  return {{-kInf, ParseFloat("29.9999"), 0}, {ParseFloat("29.9999"), kInf, 1}};
}

std::vector<OpenInterval> SixteenthTable() {
  return {{-kInf, ParseFloat("14.9999"), 0},
          {ParseFloat("14.9999"), ParseFloat("29.9999"), 1},
          {ParseFloat("29.9999"), ParseFloat("44.9999"), 0},
          {ParseFloat("44.9999"), ParseFloat("59.9999"), 1}};
}

// From each row's boundary to the next, the band above the first.
std::vector<OpenInterval> BandTable() {
  std::vector<OpenInterval> table = {{-kInf, ParseFloat(kBandRows[0].typed), kBandRows[0].below}};
  for (std::size_t i = 0; kBandRows[i].above; ++i)
    table.push_back(
        {ParseFloat(kBandRows[i].typed), ParseFloat(kBandRows[i + 1].typed), *kBandRows[i].above});
  return table;
}

struct SweepResult {
  std::uint64_t checked = 0, mismatches = 0;
  float firstMismatch = 0;
};

// Floats in ascending order from the bit pattern `from`, `count` of them,
// stepping by `direction` through the patterns (down for negatives).
SweepResult Sweep(std::uint32_t from, std::uint64_t count, int direction) {
  IntervalWalker half(HalfTable()), sixteenth(SixteenthTable()), band(BandTable());
  SweepResult result;
  std::uint32_t bits = from;
  for (std::uint64_t i = 0; i < count; ++i, bits += static_cast<std::uint32_t>(direction)) {
    const float x = std::bit_cast<float>(bits);
    const bool same = HalfIndex(x) == half.At(x) && SixteenthIndex(x) == sixteenth.At(x) &&
                      BandIndex(x) == band.At(x);
    if (!same && result.mismatches++ == 0) result.firstMismatch = x;
  }
  result.checked = count;
  return result;
}

TEST(IndexFunctions, MatchTheTablesForEveryFloatFromMinusOneTo61) {
  // -1 down to -0 and +0 up to 61: two ascending runs, one per core.
  const std::uint32_t minusOne = std::bit_cast<std::uint32_t>(-1.0f);
  const std::uint64_t negatives = minusOne - 0x80000000u + 1;
  const std::uint64_t positives = std::bit_cast<std::uint32_t>(61.0f) + 1ull;
#ifdef __wasi__
  // WebAssembly here has one thread: one run after the other.
  const SweepResult negative = Sweep(minusOne, negatives, -1);
  const SweepResult positive = Sweep(0, positives, +1);
#else
  SweepResult negative;
  std::thread worker([&] { negative = Sweep(minusOne, negatives, -1); });
  const SweepResult positive = Sweep(0, positives, +1);
  worker.join();
#endif
  for (const SweepResult& r : {negative, positive}) {
    EXPECT_EQ(r.mismatches, 0u) << "first at " << r.firstMismatch;
  }
  // Both zeros included: 2 180 251 650 floats.
  EXPECT_EQ(negative.checked + positive.checked, 2180251650u);
}

struct LadderCase {
  std::string tag;
  Index (*function)(float);
  float at;
  Index below, onIt, above;
};

TEST(IndexFunctions, LadderAtEveryBoundary) {
  std::vector<LadderCase> cases;
  // On a boundary the band is absent.
  for (const BandRow& row : kBandRows)
    cases.push_back({std::string("band at ") + row.typed, &BandIndex, ParseFloat(row.typed),
                     row.below, std::nullopt, row.above});
  cases.push_back({"half at 29.9999", &HalfIndex, ParseFloat("29.9999"), 0, std::nullopt, 1});
  cases.push_back(
      {"sixteenth at 14.9999", &SixteenthIndex, ParseFloat("14.9999"), 0, std::nullopt, 1});
  cases.push_back(
      {"sixteenth at 29.9999", &SixteenthIndex, ParseFloat("29.9999"), 1, std::nullopt, 0});
  cases.push_back(
      {"sixteenth at 44.9999", &SixteenthIndex, ParseFloat("44.9999"), 0, std::nullopt, 1});
  cases.push_back({"sixteenth at 59.9999", &SixteenthIndex, ParseFloat("59.9999"), 1, std::nullopt,
                   std::nullopt});
  cases.push_back({"half has no upper end", &HalfIndex, 1e30f, 1, 1, 1});
  // Just below each multiple of 3 still lies above Bk: truncating m / 3
  // would put it one band lower.
  for (int k = 1; k <= 19; ++k)
    cases.push_back({"just below " + std::to_string(3 * k), &BandIndex,
                     std::nextafter(static_cast<float>(3 * k), -kInf), k, k, k});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(c.function(std::nextafter(c.at, -kInf)), c.below);
    EXPECT_EQ(c.function(c.at), c.onIt);
    EXPECT_EQ(c.function(std::nextafter(c.at, kInf)), c.above);
  }
}

TEST(ClassifyMinutes, EveryCellOfEverySquareIsNumberedRowByRow) {
  // The middle of each band on both axes: rows from south, columns from east.
  for (int bs = 0; bs < 20; ++bs)
    for (int be = 0; be < 20; ++be) {
      const float s = static_cast<float>(3 * bs) + 1.5f;
      const float e = static_cast<float>(3 * be) + 1.5f;
      const auto result = ClassifyMinutes(s, e);
      const int quarter = (bs / 10) * 2 + be / 10;
      const int sixteenth = ((bs / 5) % 2) * 2 + (be / 5) % 2;
      EXPECT_EQ(result.quarterLetter, std::string(1, static_cast<char>('A' + quarter)));
      EXPECT_EQ(result.sixteenthLetter, std::string(1, static_cast<char>('A' + sixteenth)));
      EXPECT_EQ(result.cellNumber, std::to_string(5 * (bs % 5) + be % 5 + 1)) << s << ", " << e;
    }
}

} // namespace
} // namespace gridref
