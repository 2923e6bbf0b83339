#include "core/grid_reference.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace gridref {
namespace {

constexpr float kFloatMax = std::numeric_limits<float>::max();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct ComposeCase {
  const char* tag;
  const char *degSouth, *minSouth, *degEast, *minEast;
  const char* expected;
};

TEST(ComposeGridReference, FromTheFourEntryTexts) {
  const std::string huge(40, '9');
  const std::string minusHuge = "-" + huge;
  const ComposeCase cases[] = {
      {"the worked example", "26", "14", "28", "29", "2628AB25"},
      {"second quarter", "26", "10", "28", "40", "2628BA19"},
      {"one-digit cell", "26", "0", "28", "0", "2628AA1"},
      {"top of the minutes", "26", "59.999", "28", "59.999", "2628DD25"},
      {"leading zero not kept", "026", "14", "28", "29", "2628AB25"},
      {"fractional degrees kept", "26.5", "14", "28", "29", "26.528AB25"},
      {"empty degrees south", "", "14", "28", "29", "028AB25"},
      {"four empty fields", "", "", "", "", "00AA1"},
      {"no cell number", "26", "2.9999", "28", "10", "2628AA"},
      {"nothing classified", "26", "29.9999", "28", "10", "2628"},
      {"quarter letter only", "26", "75", "28", "10", "2628C"},
      {"26.1 stays 26.1", "26.1", "14", "28", "29", "26.128AB25"},
      {"degrees beyond float", huge.c_str(), "14", "28", "29", "Inf28AB25"},
      {"negative degrees beyond float", minusHuge.c_str(), "14", "28", "29", "-Inf28AB25"},
      {"minutes beyond float", "26", huge.c_str(), "28", "29", "2628C"},
      {"59.9990003 rounds onto 59.999", "26", "59.9990003", "28", "0", "2628CC21"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    const auto entry = ReadCoordinateEntry(c.degSouth, c.minSouth, c.degEast, c.minEast);
    EXPECT_EQ(ComposeGridReference(entry), c.expected);
    // The point is the separator when none is given.
    EXPECT_EQ(ComposeGridReference(entry, "."), c.expected);
  }
}

TEST(ComposeGridReference, UsesTheGivenDecimalSeparator) {
  const auto entry = ReadCoordinateEntry("26.5", "14", "28.25", "29");
  EXPECT_EQ(ComposeGridReference(entry, ","), "26,528,25AB25");
  EXPECT_EQ(ComposeGridReference(entry, "\u066B"), "26\u066B528\u066B25AB25");
}

struct TextCase {
  const char* tag;
  float value;
  const char* expected;
};

TEST(NumberText, GeneralFormWithSevenDigits) {
  const TextCase cases[] = {
      {"whole", 26, "26"},
      {"zero", 0, "0"},
      {"negative zero", -0.0f, "0"},
      {"half", 26.5f, "26.5"},
      {"quarter", 20.25f, "20.25"},
      {"26.1 not its expansion", 26.1f, "26.1"},
      {"negative", -3.5f, "-3.5"},
      {"below one", 0.5f, "0.5"},
      {"1E-4 still fixed", 0.0001f, "0.0001"},
      {"1E-5 exponent", 0.00001f, "1E-05"},
      {"seven digits fixed", 1234567, "1234567"},
      {"eight digits exponent", 12345678, "1.234568E+07"},
      {"float max", kFloatMax, "3.402823E+38"},
      {"infinity", kInf, "Inf"},
      {"minus infinity", -kInf, "-Inf"},
      {"NaN", std::numeric_limits<float>::quiet_NaN(), "NaN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(NumberText(c.value), c.expected);
  }
  EXPECT_EQ(NumberText(26.5f, ","), "26,5");
  EXPECT_EQ(NumberText(15e9f, ","), "1,5E+10");
}

TEST(NumberText, AgreesWithPrintfForRandomFloats) {
  // Tests run in the "C" locale, where %.7G is the reference.
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::uint32_t> bits;
  int compared = 0;
  while (compared < 200000) {
    const float value = std::bit_cast<float>(bits(random));
    if (!std::isfinite(value) || value == 0.0f) continue;
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(value));
    ASSERT_EQ(NumberText(value), expected) << std::hexfloat << value;
    ++compared;
  }
}

TEST(NearestFloat, RoundsToNearestAndOverflowsToInfinity) {
  const double max = static_cast<double>(kFloatMax);
  const double threshold = 0x1.ffffffp+127; // max + half an ulp
  const struct {
    const char* tag;
    double in;
    float out;
  } cases[] = {
      {"exact", 26.5, 26.5f},
      {"59.9990003 onto 59.999", 59.9990003, 59.999f},
      {"float max", max, kFloatMax},
      {"just below the tie", std::nextafter(threshold, 0.0), kFloatMax},
      {"tie goes to infinity", threshold, kInf},
      {"negative tie", -threshold, -kInf},
      {"negative just below", -std::nextafter(threshold, 0.0), -kFloatMax},
      {"double max", std::numeric_limits<double>::max(), kInf},
      {"infinity", std::numeric_limits<double>::infinity(), kInf},
      {"below the float range", 1e-50, 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(NearestFloat(c.in), c.out);
  }
}

} // namespace
} // namespace gridref
