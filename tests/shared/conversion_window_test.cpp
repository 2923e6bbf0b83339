// The conversion window's shared behaviour on a scripted host: what both
// frontends rely on, without a toolkit (and so also under Wine).
#include "ui/shared/conversion_window.h"

#include "scripted_host.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using gridref::DialogAnswer;
using gridref::EntryField;
using gridref::testing::FieldName;

// The window's side: four texts, the label, the clipboard; every call that
// shows something to the user is logged. `duringBox` runs while a box is open,
// as a toolkit's focus changes do.
class FakeWindow : public ui::ConversionWindowHost {
public:
  std::array<std::string, 4> texts;
  std::deque<DialogAnswer> answers;
  std::vector<std::string> log;
  std::string label, clipboard = "before", separator = ".";
  std::function<void()> duringBox;

  std::string FieldText(EntryField f) override { return texts[static_cast<std::size_t>(f)]; }
  void SetFieldText(EntryField f, std::string_view text) override {
    texts[static_cast<std::size_t>(f)] = text;
  }
  void FocusField(EntryField f) override { log.push_back("focus " + FieldName(f)); }
  void Beep() override { log.push_back("beep"); }
  DialogAnswer AskRetryOrCancel(std::string_view, std::string_view title) override {
    log.push_back("box " + std::string(title));
    if (duringBox) duringBox();
    const DialogAnswer answer = answers.empty() ? DialogAnswer::Cancel : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::string GridReferenceShown() override { return label; }
  void ShowGridReference(std::string_view text) override { label = text; }
  void PutOnClipboard(std::string_view text) override { clipboard = text; }
  std::string DecimalSeparator() override { return separator; }
  void CloseAllWindows() override { log.push_back("close all"); }
};

class ConversionWindowTest : public ::testing::Test {
protected:
  void SetUp() override { ui::ResetProgramEnd(); }
  void TearDown() override { ui::ResetProgramEnd(); }
  FakeWindow host;
  ui::ConversionWindow window{host};
};

TEST_F(ConversionWindowTest, RetryEmptiesTheFieldAndTheLeavingClickIsDropped) {
  host.texts = {"5", "", "", ""};
  host.answers = {DialogAnswer::Retry};
  EXPECT_TRUE(window.FieldLeft(EntryField::txtDegSouth));
  EXPECT_EQ(host.texts[0], "");
  EXPECT_EQ(host.log, (std::vector<std::string>{"beep", "box SA Limits?", "focus txtDegSouth"}));
  EXPECT_FALSE(ui::ProgramEnding());
}

TEST_F(ConversionWindowTest, APassingValueShowsNothing) {
  host.texts = {" 20", "", "", ""};
  EXPECT_FALSE(window.FieldLeft(EntryField::txtDegSouth));
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(host.texts[0], " 20");
}

// The box and the focus given back move the focus: a toolkit reports the
// other field's loss of focus meanwhile. It checks nothing: one box only.
TEST_F(ConversionWindowTest, FocusMovesDuringACheckCheckNothing) {
  host.texts = {"5", "", "", ""}; // Degrees East is empty: refused when checked
  host.answers = {DialogAnswer::Retry, DialogAnswer::Retry};
  int boxes = 0;
  host.duringBox = [&] {
    if (++boxes == 1) {
      EXPECT_FALSE(window.FieldLeft(EntryField::txtDegEast));
    }
  };
  EXPECT_TRUE(window.FieldLeft(EntryField::txtDegSouth));
  EXPECT_EQ(window.BoxesShown(), 1);
  // Left later by the user, it is checked.
  host.duringBox = nullptr;
  EXPECT_TRUE(window.FieldLeft(EntryField::txtDegEast));
  EXPECT_EQ(window.BoxesShown(), 2);
}

TEST_F(ConversionWindowTest, CancelEndsTheRunAndNothingRunsAfter) {
  host.texts = {"26", "14", "99", "29"};
  EXPECT_FALSE(window.FieldLeft(EntryField::txtDegEast)); // answered Cancel
  EXPECT_TRUE(ui::ProgramEnding());
  window.Convert();
  window.Copy();
  window.Exit();
  EXPECT_FALSE(window.FieldLeft(EntryField::txtDegSouth));
  EXPECT_EQ(host.log, (std::vector<std::string>{"beep", "box SA Limits?", "close all"}));
  EXPECT_EQ(host.label, "");
  EXPECT_EQ(host.clipboard, "before");
}

TEST_F(ConversionWindowTest, ConvertAndCopyUseTheFieldsAndTheLocaleSeparator) {
  struct Case {
    const char* name;
    std::array<std::string, 4> texts;
    const char* separator;
    const char* shown;
  };
  const Case cases[] = {
      {"worked example", {"26", "14", "28", "29"}, ".", "2628AB25"},
      {"fractional degrees, German separator", {"26.5", "14", "28", "29"}, ",", "26,528AB25"},
      {"refused values are converted unchecked", {"5", "75", "", "10"}, ".", "50C"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.texts = c.texts;
    host.separator = c.separator;
    window.Copy(); // before the Convert: the label as it was
    const std::string before = host.label;
    EXPECT_EQ(host.clipboard, before);
    window.Convert();
    EXPECT_EQ(host.label, c.shown);
    window.Copy();
    EXPECT_EQ(host.clipboard, c.shown);
  }
}

TEST_F(ConversionWindowTest, RepeatsOfTheTitleWindowsKeyAreDroppedUntilAFreshKey) {
  using ui::KeyMotion;
  struct Step {
    const char* name;
    KeyMotion motion;
    int key;
    std::uint32_t time;
    bool dropped;
  };
  const Step steps[] = {
      {"X11's first repeat: a release, unmarked", KeyMotion::Release, '2', 700, false},
      {"and a press at the same time", KeyMotion::Press, '2', 700, true},
      {"marked repeats", KeyMotion::Repeat, '2', 740, true},
      {"released for real", KeyMotion::Release, '2', 900, false},
      {"a fresh press of the same key", KeyMotion::Press, '2', 1200, false},
      {"its own repeats type", KeyMotion::Repeat, '2', 1900, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(window.DropsKey(step.motion, step.key, step.time), step.dropped);
  }
  ui::ConversionWindow otherKey{host};
  EXPECT_FALSE(otherKey.DropsKey(KeyMotion::Release, '2', 700));
  EXPECT_FALSE(otherKey.DropsKey(KeyMotion::Press, '6', 700)) << "another key at once";
  EXPECT_FALSE(otherKey.DropsKey(KeyMotion::Repeat, '6', 740));
}

} // namespace
