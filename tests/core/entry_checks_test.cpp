#include "core/entry_checks.h"

#include "properties.h"
#include "scripted_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace gridref {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += piece;
  return text;
}

struct ValueCase {
  const char* tag;
  std::string text;
  double expected;
};

const std::vector<ValueCase>& ValueCases() {
  static const std::vector<ValueCase> cases = {
      {"empty is 0", "", 0.0},
      {"blanks are 0", "  \t ", 0.0},
      {"letters are 0", "abc", 0.0},
      {"trailing letters ignored", "25abc", 25.0},
      {"comma ends the number", "20,5", 20.0},
      {"second point ends the number", "1.2.3", 1.2},
      {"leading blank skipped", " 20", 20.0},
      {"leading tab skipped", "\t7", 7.0},
      {"newline is not a blank", "\n7", 0.0},
      {"trailing point", "5.", 5.0},
      {"leading point", ".5", 0.5},
      {"signed leading point", "-.5", -0.5},
      {"plus sign", "+14", 14.0},
      {"point alone is 0", ".", 0.0},
      {"sign alone is 0", "-", 0.0},
      {"two signs are 0", "+-5", 0.0},
      {"blank after sign is 0", "- 5", 0.0},
      {"blank inside ends the number", "1 2", 1.0},
      {"no exponent", "1e3", 1.0},
      {"no radix prefix", "&H10", 0.0},
      {"no hex", "0x10", 0.0},
      {"correctly rounded", "59.9990003", 59.9990003},
      {"many digits", "26.000000000000000000000000000000000001", 26.0},
      {"beyond double is +inf", "1" + std::string(400, '0'), kInf},
      {"beyond double is -inf", "-1" + std::string(400, '0'), -kInf},
      {"underflow is 0", "0." + std::string(400, '0') + "1", 0.0},
      {"subnormal kept", "0." + std::string(323, '0') + "5", 5e-324},
      {"zeros before a huge fraction", std::string(400, '0') + ".5", 0.5},
      {"1 MB of digits", "1." + std::string(1 << 20, '0') + "9x", 1.0},
      {"1 MB of blanks", std::string(1 << 20, ' ') + "7", 7.0},
      // Pasted and input-method text: blanks and digits of every script,
      // invisible marks passed over; as UTF-8, which every frontend hands over.
      {"no-break space before 14 reads 14", "\u00A014", 14.0},
      {"narrow no-break space before 29", "\u202F29", 29.0},
      {"ideographic space before 26", "\u300026", 26.0},
      {"ogham, em and hair spaces before 28", "\u1680\u2003\u200A28", 28.0},
      {"BOM before 29", "\uFEFF29", 29.0},
      {"BOM, no-break space, BOM before 20.5", "\uFEFF\u00A0\uFEFF20.5", 20.5},
      {"zero-width space before 14", "\u200B14", 14.0},
      {"left-to-right mark before -5 reads -5", "\u200E-5", -5.0},
      {"right-to-left mark between sign and digits", "-\u200F5", -5.0},
      {"Arabic letter mark among the digits", "2\u061C6", 26.0},
      {"soft hyphen among the digits", "2\u00AD6", 26.0},
      {"Mongolian vowel separator before 14", "\u180E14", 14.0},
      {"isolate around the number", "\u2068 26.5\u2069", 26.5},
      {"embedding before the point", "26\u202B.5\u202C", 26.5},
      {"word joiner and invisible times between blanks", " \u2060\u2062 7", 7.0},
      {"marks alone are 0", "\uFEFF\u200E\u2069", 0.0},
      {"no-break space after sign is 0", "-\u00A05", 0.0},
      {"no-break space inside ends the number", "1\u00A02", 1.0},
      {"full-width \uFF12\uFF16", "\uFF12\uFF16", 26.0},
      {"full-width \uFF11\uFF14.\uFF12\uFF15\uFF13 with ASCII point",
       "\uFF11\uFF14.\uFF12\uFF15\uFF13", 14.253},
      {"full-width point ends the number", "\uFF12\uFF16\uFF0E\uFF15", 26.0},
      {"Arabic-Indic \u0662\u0666", "\u0662\u0666", 26.0},
      {"Arabic decimal separator ends the number", "\u0662\u0666\u066B\u0665", 26.0},
      {"extended Arabic-Indic \u06F2\u06F8 after RLM", "\u200F\u06F2\u06F8", 28.0},
      {"Devanagari \u0968\u096F", "\u0968\u096F", 29.0},
      {"Bengali \u09E7\u09EA", "\u09E7\u09EA", 14.0},
      {"Thai and ASCII mixed", "\u0E526", 26.0},
      {"N'Ko 9 and Meetei Mayek 0", "\u07C9\uABF0", 90.0},
      {"mathematical monospace nine, beyond the BMP", "\U0001D7FF", 9.0},
      {"mathematical bold digits", "\U0001D7D0\U0001D7D4", 26.0},
      {"character before Arabic-Indic zero is no digit", "\u065F5", 0.0},
      {"character after extended Arabic-Indic nine is no digit", "\u06FA5", 0.0},
      {"superscript two is no decimal digit", "\u00B26", 0.0},
      {"full-width beyond double is +inf", "\uFF11" + std::string(400, '0'), kInf},
      {"full-width zeros underflow to 0", "0.\uFF10" + std::string(400, '0') + "1", 0.0},
      {"full-width rounded correctly", "\uFF15\uFF19.\uFF19\uFF19\uFF190003", 59.9990003},
      {"64 kB number with full-width digits", "1.\uFF10" + std::string(1 << 16, '0') + "\uFF19",
       1.0},
      {"1 MB of no-break spaces", Repeat("\u00A0", 1 << 19) + "7", 7.0},
      // Bytes that are not well-formed UTF-8 end the reading.
      {"overlong space is no blank", std::string("\xC0\xA0") + "5", 0.0},
      {"overlong zero is no digit", "\xC0\xB0", 0.0},
      {"three-byte overlong nine is no digit", "2\xE0\x80\xB9", 2.0},
      {"encoded surrogate ends the number", std::string("2\xED\xA0\x80") + "6", 2.0},
      {"beyond U+10FFFF is no character", std::string("\xF4\x90\x80\x80") + "5", 0.0},
      {"lone continuation byte", std::string("\x80") + "5", 0.0},
      {"byte F5 and above never lead", std::string("\xF5\x80\x80\x80") + "5", 0.0},
      {"cut BOM is no BOM", std::string("\xEF\xBB") + "29", 0.0},
      {"cut full-width digit at the end", "26\xEF\xBC", 26.0},
      {"full-width digit cut before a digit", std::string("2\xEF\xBC") + "6", 2.0},
      {"NUL ends the number", std::string{'2', '\0', '6'}, 2.0},
  };
  return cases;
}

TEST(NumericValue, ReadsTheLeadingNumber) {
  for (const auto& c : ValueCases()) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(NumericValue(c.text), c.expected);
  }
}

// The fuzzers trust the independent reading: it must agree on every case.
TEST(NumericValue, IndependentReadingAgrees) {
  for (const auto& c : ValueCases()) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(testing::NumericValueError(c.text), "");
  }
}

TEST(NumericValue, NegativeZeroAndUnderflowKeepTheirSign) {
  EXPECT_TRUE(std::signbit(NumericValue("-0")));
  EXPECT_TRUE(std::signbit(NumericValue("-0." + std::string(400, '0') + "1")));
  EXPECT_FALSE(std::signbit(NumericValue("0")));
}

struct LimitCase {
  const char* tag;
  EntryField field;
  const char* text;
  bool passes;
};

TEST(IsWithinLimits, BoundsAreAcceptedAndJustOutsideRefused) {
  using F = EntryField;
  const LimitCase cases[] = {
      {"14 passes degrees south", F::txtDegSouth, "14", true},
      {"36 passes degrees south", F::txtDegSouth, "36", true},
      {"13.9999 refused south", F::txtDegSouth, "13.9999", false},
      {"36.0001 refused south", F::txtDegSouth, "36.0001", false},
      {"empty refused south", F::txtDegSouth, "", false},
      {"abc refused south", F::txtDegSouth, "abc", false},
      {"20.5 passes south", F::txtDegSouth, "20.5", true},
      {"negative refused south", F::txtDegSouth, "-20", false},
      {"10 passes degrees east", F::txtDegEast, "10", true},
      {"36 passes degrees east", F::txtDegEast, "36", true},
      {"9.9999 refused east", F::txtDegEast, "9.9999", false},
      {"36.0001 refused east", F::txtDegEast, "36.0001", false},
      {"12 passes east, not south", F::txtDegEast, "12", true},
      {"12 refused south", F::txtDegSouth, "12", false},
      {"20.5 passes east", F::txtDegEast, "20.5", true},
      {"0 passes minutes", F::txtMinSouth, "0", true},
      {"empty passes minutes", F::txtMinEast, "", true},
      {"-0 passes minutes", F::txtMinSouth, "-0", true},
      {"59.999 passes", F::txtMinSouth, "59.999", true},
      {"59.999 passes east", F::txtMinEast, "59.999", true},
      {"-0.001 refused", F::txtMinSouth, "-0.001", false},
      {"59.9991 refused", F::txtMinEast, "59.9991", false},
      {"59.9995 refused", F::txtMinSouth, "59.9995", false},
      {"60 refused", F::txtMinEast, "60", false},
      {"59.9990003 refused in double", F::txtMinSouth, "59.9990003", false},
      {"infinity refused", F::txtMinSouth,
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "9999999999999999999999999999999"
       "99999999999999999999999999999999",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(IsWithinLimits(c.field, NumericValue(c.text)), c.passes);
  }
}

TEST(IsWithinLimits, LadderAroundEveryBound) {
  for (EntryField field : kAllEntryFields) {
    const EntryLimit& limit = LimitOf(field);
    for (double bound : {limit.lowest, limit.highest}) {
      SCOPED_TRACE(bound);
      EXPECT_TRUE(IsWithinLimits(field, bound));
    }
    EXPECT_FALSE(IsWithinLimits(field, std::nextafter(limit.lowest, -kInf)));
    EXPECT_TRUE(IsWithinLimits(field, std::nextafter(limit.lowest, kInf)));
    EXPECT_TRUE(IsWithinLimits(field, std::nextafter(limit.highest, -kInf)));
    EXPECT_FALSE(IsWithinLimits(field, std::nextafter(limit.highest, kInf)));
  }
}

using testing::ScriptedHost;

struct CheckCase {
  const char* tag;
  EntryField field;
  const char* text;
  std::vector<DialogAnswer> answers;
  std::vector<std::string> calls;
  const char* textAfter;
};

TEST(CheckEntry, RunsTheDialogStepsInOrder) {
  using F = EntryField;
  using A = DialogAnswer;
  const std::string degAsk = "ask This Grid is not in Southern Africa! | SA Limits?";
  const std::string minAsk = "ask Error! Out of Limit | Invalid Data?";
  const CheckCase cases[] = {
      {"passing value only reads", F::txtDegSouth, " 20", {}, {"read txtDegSouth"}, " 20"},
      {"empty minutes pass", F::txtMinEast, "", {}, {"read txtMinEast"}, ""},
      {"refused degrees, Retry",
       F::txtDegEast,
       "5",
       {A::Retry},
       {"read txtDegEast", "beep", degAsk, "set txtDegEast ''", "focus txtDegEast"},
       ""},
      {"refused minutes, Retry",
       F::txtMinSouth,
       "60",
       {A::Retry},
       {"read txtMinSouth", "beep", minAsk, "set txtMinSouth ''", "focus txtMinSouth"},
       ""},
      {"Cancel ends, nothing after",
       F::txtDegSouth,
       "abc",
       {A::Cancel},
       {"read txtDegSouth", "beep", degAsk, "end"},
       "abc"},
      {"Cancel on minutes",
       F::txtMinEast,
       "-1",
       {A::Cancel},
       {"read txtMinEast", "beep", minAsk, "end"},
       "-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    ScriptedHost host;
    host.Text(c.field) = c.text;
    host.answers.assign(c.answers.begin(), c.answers.end());
    host.Check(c.field);
    EXPECT_EQ(host.calls, c.calls);
    EXPECT_EQ(host.Text(c.field), c.textAfter);
    EXPECT_TRUE(host.answers.empty());
  }
}

TEST(CheckEntry, EmptiedFieldIsCheckedAgainOnTheNextLeave) {
  // A degree field emptied by Retry is refused again (value 0); a minute
  // field emptied by Retry then passes.
  ScriptedHost host;
  host.Text(EntryField::txtDegSouth) = "5";
  host.Text(EntryField::txtMinSouth) = "61";
  host.answers = {DialogAnswer::Retry, DialogAnswer::Retry, DialogAnswer::Retry};
  host.Check(EntryField::txtDegSouth);
  host.Check(EntryField::txtDegSouth);
  host.Check(EntryField::txtMinSouth);
  const auto beforeLast = host.calls.size();
  host.Check(EntryField::txtMinSouth);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "beep"), 3);
  EXPECT_EQ(host.calls.size(), beforeLast + 1);
  EXPECT_EQ(host.Text(EntryField::txtMinSouth), "");
}

} // namespace
} // namespace gridref
