// The conversion window's shared behaviour on a scripted host: what every
// frontend relies on, without a toolkit (and so also under Wine).
#include "ui/shared/conversion_window.h"
#include "ui/shared/window_rules.h"

#include "scripted_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using gridref::DialogAnswer;
using gridref::EntryField;
using gridref::testing::ScriptedHost;

const std::string kDegreesAsk = "ask This Grid is not in Southern Africa! | SA Limits?";

class ConversionWindowTest : public ::testing::Test {
protected:
  void SetUp() override { ui::ResetProgramEnd(); }
  void TearDown() override { ui::ResetProgramEnd(); }
  ScriptedHost host;
  ui::ConversionWindow window{host};
};

TEST_F(ConversionWindowTest, RetryEmptiesTheFieldAndTheLeavingClickIsDropped) {
  host.texts = {"5", "", "", ""};
  host.answers = {DialogAnswer::Retry};
  EXPECT_TRUE(window.FieldLeft(EntryField::txtDegSouth));
  EXPECT_EQ(host.texts[0], "");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"read txtDegSouth", "beep", kDegreesAsk,
                                                  "set txtDegSouth ''", "focus txtDegSouth"}));
  EXPECT_FALSE(ui::ProgramEnding());
}

TEST_F(ConversionWindowTest, APassingValueShowsNothing) {
  host.texts = {" 20", "", "", ""};
  EXPECT_FALSE(window.FieldLeft(EntryField::txtDegSouth));
  EXPECT_EQ(host.calls, std::vector<std::string>{"read txtDegSouth"});
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
  EXPECT_EQ(window.RefusedLeaves(), 1u);
  // Left later by the user, it is checked.
  host.duringBox = nullptr;
  EXPECT_TRUE(window.FieldLeft(EntryField::txtDegEast));
  EXPECT_EQ(window.RefusedLeaves(), 2u);
}

TEST_F(ConversionWindowTest, CancelEndsTheRunAndNothingRunsAfter) {
  host.texts = {"26", "14", "99", "29"};
  EXPECT_FALSE(window.FieldLeft(EntryField::txtDegEast)); // answered Cancel
  EXPECT_TRUE(ui::ProgramEnding());
  window.cmdConvert_Click();
  window.CmdClipboard_Click();
  window.cmdExit_Click();
  EXPECT_FALSE(window.FieldLeft(EntryField::txtDegSouth));
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"read txtDegEast", "beep", kDegreesAsk, "close all"}));
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
    window.CmdClipboard_Click(); // before the Convert: the label as it was
    const std::string before = host.label;
    EXPECT_EQ(host.clipboard, before);
    window.cmdConvert_Click();
    EXPECT_EQ(host.label, c.shown);
    window.CmdClipboard_Click();
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

TEST_F(ConversionWindowTest, AClickGoesToTheHandlerOfItsRole) {
  using ui::Role;
  struct Case {
    const char* tag;
    Role role;
    const char* lastCall; // nullptr: nothing happens
  };
  const Case cases[] = {
      {"Convert", Role::Convert, "show '2628AB25'"},
      {"Copy", Role::Copy, "clipboard '2628AB25'"},
      {"a caption", Role::Caption, nullptr},
      {"a field", Role::Entry, nullptr},
      {"the result", Role::Result, nullptr},
      {"a surface", Role::Surface, nullptr},
      {"Exit, last: the run ends", Role::Exit, "close all"},
  };
  host.texts = {"26", "14", "28", "29"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    host.calls.clear();
    window.Clicked(c.role);
    if (c.lastCall) {
      EXPECT_EQ(host.calls.empty() ? "" : host.calls.back(), c.lastCall);
    } else {
      EXPECT_TRUE(host.calls.empty());
    }
  }
  EXPECT_TRUE(ui::ProgramEnding());
}

// The rules every frontend asks of the tables.
std::size_t Row(const ui::WindowLayout& window, std::string_view name) {
  return static_cast<std::size_t>(&ui::ControlNamed(window, name) - window.controls.data());
}

TEST(WindowRules, TabGoesRoundTheFieldsAndButtonsByTabIndex) {
  const ui::WindowLayout& w = ui::kGridrefLayout;
  std::vector<std::string_view> order;
  for (const std::size_t row : ui::TabOrder(w))
    order.push_back(w.controls[row].name);
  EXPECT_EQ(order,
            (std::vector<std::string_view>{"txtDegSouth", "txtMinSouth", "txtDegEast", "txtMinEast",
                                           "cmdConvert", "cmdExit", "CmdClipboard"}));
  struct Case {
    const char* tag;
    std::string_view from; // empty: no row
    bool backwards;
    std::string_view to;
  };
  const Case cases[] = {
      {"field to field", "txtDegSouth", false, "txtMinSouth"},
      {"last field to Convert", "txtMinEast", false, "cmdConvert"},
      {"round from the last", "CmdClipboard", false, "txtDegSouth"},
      {"back round from the first", "txtDegSouth", true, "CmdClipboard"},
      {"back from Exit", "cmdExit", true, "cmdConvert"},
      {"from a label: the first", "lblHeader", false, "txtDegSouth"},
      {"back from a label: the last", "lblGridRef", true, "CmdClipboard"},
      {"from nothing: the first", "", false, "txtDegSouth"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    const std::size_t from = c.from.empty() ? ui::kNoRow : Row(w, c.from);
    EXPECT_EQ(w.controls[ui::NextInTabOrder(w, from, c.backwards)].name, c.to);
  }
  // By tab index, not by the table's order.
  constexpr ui::ControlLayout rows[] = {
      {.kind = ui::ControlKind::Button, .tabIndex = 2},
      {.kind = ui::ControlKind::TextBox, .tabIndex = 0},
      {.kind = ui::ControlKind::Label, .tabIndex = 1},
      {.kind = ui::ControlKind::Button, .tabIndex = 1},
  };
  const ui::WindowLayout shuffled{.name = "",
                                  .caption = "",
                                  .clientWidth = 0,
                                  .clientHeight = 0,
                                  .background = {},
                                  .border = ui::Border::Resizable,
                                  .controls = rows};
  EXPECT_EQ(ui::TabOrder(shuffled), (std::vector<std::size_t>{1, 3, 0}));
}

TEST(WindowRules, AccessKeysFromTheCaptions) {
  struct Case {
    const char* caption;
    std::size_t marker;
    char key;
  };
  const Case cases[] = {
      {"E&xit", 1, 'x'}, {"&Copy", 0, 'c'}, {"Convert", 0, 0}, {"Exit&", 0, 0}, {"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    const ui::AccessKey access = ui::AccessKeyOf(c.caption);
    EXPECT_EQ(access.key, c.key);
    if (c.key) {
      EXPECT_EQ(access.marker, c.marker);
    }
  }
  const ui::WindowLayout& w = ui::kGridrefLayout;
  EXPECT_EQ(ui::RowWithAccessKey(w, U'x'), Row(w, "cmdExit"));
  EXPECT_EQ(ui::RowWithAccessKey(w, U'X'), Row(w, "cmdExit"));
  EXPECT_EQ(ui::RowWithAccessKey(w, U'e'), ui::kNoRow);
  EXPECT_EQ(ui::RowWithAccessKey(w, U'c'), ui::kNoRow) << "Copy marks no key";
  EXPECT_EQ(ui::RowWithAccessKey(w, U'\u0078' + 0x10000), ui::kNoRow);
}

TEST(WindowRules, TheDefaultBorderIsOnTheFocusedButtonElseOnConvert) {
  const ui::WindowLayout& w = ui::kGridrefLayout;
  struct Case {
    std::string_view focus; // empty: no row
    std::string_view wearer;
  };
  const Case cases[] = {
      {"cmdExit", "cmdExit"},       {"CmdClipboard", "CmdClipboard"}, {"cmdConvert", "cmdConvert"},
      {"txtMinEast", "cmdConvert"}, {"lblGridRef", "cmdConvert"},     {"", "cmdConvert"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.focus);
    const std::size_t focus = c.focus.empty() ? ui::kNoRow : Row(w, c.focus);
    EXPECT_EQ(w.controls[ui::DefaultBorderRow(w, focus)].name, c.wearer);
  }
}

TEST(WindowRules, CentringHalvesTheMarginAndMayStartBeforeTheArea) {
  struct Case {
    const char* tag;
    int areaStart, areaExtent, outerExtent, start;
  };
  const Case cases[] = {
      {"even margin", 0, 1920, 514, 703},
      {"odd margin: half away from zero", 0, 1920, 515, 703},
      {"a second screen's offset", 1920, 1280, 514, 2303},
      {"as large as the area", 0, 800, 800, 0},
      {"larger: before the area", 0, 800, 1000, -100},
      {"larger by an odd pixel", 100, 1024, 1025, 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(ui::CentredStart(c.areaStart, c.areaExtent, c.outerExtent), c.start);
  }
}

TEST(WindowRules, TheTitleWindowGoesOnceOnAClickOfItsOwnSurface) {
  struct Case {
    const char* tag;
    bool pressedOn, releasedOn, clicked;
  };
  const Case cases[] = {
      {"pressed and released on it", true, true, true},
      {"pressed on a label", false, true, false},
      {"released off it", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    ui::SurfaceClick click;
    click.Press(c.pressedOn);
    EXPECT_EQ(click.Release(c.releasedOn), c.clicked);
    EXPECT_FALSE(click.Release(true)) << "a release without its press";
  }
  ui::SurfaceClick taken;
  taken.Press(true);
  taken.Cancel();
  EXPECT_FALSE(taken.Release(true)) << "the press taken away";
  ui::Dismissal dismissal;
  EXPECT_TRUE(dismissal.Dismiss());
  EXPECT_FALSE(dismissal.Dismiss());
  EXPECT_TRUE(dismissal.Dismissed());
  const ui::WindowLayout& splash = ui::kSplashLayout;
  EXPECT_EQ(ui::ParentRow(splash, Row(splash, "imgLogo")), ui::RowOf(splash, ui::Role::Surface));
  EXPECT_EQ(ui::ParentRow(splash, ui::RowOf(splash, ui::Role::Surface)), ui::kNoRow);
  EXPECT_FALSE(ui::TraitsOf(ui::kSplashLayout.border).titleBar);
  EXPECT_TRUE(ui::TraitsOf(ui::kGridrefLayout.border).resizable);
}

} // namespace
