// What must hold after every user event of a random walk over the program,
// whatever the toolkit: the Qt walk and the Win32 walk report what their
// windows show, and this says whether it is allowed. Each check returns ""
// when it holds and otherwise says what is wrong.
#pragma once

#include "core/entry_checks.h"
#include "core/grid_reference.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace gridref::testing {

// The conversion window as the user sees it.
struct WindowState {
  std::array<std::string, 4> fields; // in the order of kAllEntryFields
  std::string label;
  std::string focus; // the focused control's name; "" when none of ours
  std::vector<std::string> pressedButtons;
};

inline constexpr std::array<const char*, 4> kFieldNames = {"txtDegSouth", "txtMinSouth",
                                                           "txtDegEast", "txtMinEast"};

// What both walks type into the fields and click on; Exit comes last, so
// that a walk can click it far less often than the rest and runs get long.
inline constexpr std::array<const char*, 27> kWalkTexts = {
    "0",       "5",   "14",  "20", "26",   "29",     "36",      "59",      "60",
    "-5",      "+3",  ".",   "-",  "26.5", ".5",     "abc",     "20,5",    "59.999",
    "59.9991", " 20", "1e3", "x",  "X",    "2.9999", "29.9999", "14.9999", "75"};
// What a walk pastes: the texts of other scripts and keyboards that the
// entry checks read as they look (no-break and ideographic spaces, a
// byte-order mark, direction marks, full-width and Arabic-Indic digits).
inline constexpr std::array<const char*, 9> kWalkPastes = {"\u00a026",
                                                           "\ufeff14",
                                                           "\u200e28.5",
                                                           "\u3000"
                                                           "36",
                                                           "\uff12\uff16",
                                                           "\u0662\u0669",
                                                           "\u200f59.999\u200f",
                                                           "26\u00a014",
                                                           "\u2066"
                                                           "20,5\u2069"};
inline constexpr std::array<const char*, 11> kWalkControls = {
    "txtDegSouth", "txtMinSouth", "txtDegEast",  "txtMinEast", "cmdConvert", "CmdClipboard",
    "lblHeader",   "lblGridRef",  "lblDegSouth", "lblMinEast", "cmdExit"};

class WalkProperties {
public:
  explicit WalkProperties(std::string separator) : separator_(std::move(separator)) {}

  void ProgramStarted() {
    expectedLabel_.clear();
    retried_ = false;
    mayEnd_ = false;
  }

  // Before each event: whether it is one that may end the run (Exit,
  // Escape, Alt+X, closing the window), and one that may press Convert (a
  // click on it; Enter in a field or on it; Space on it).
  void EventStarts(bool mayEnd, bool mayConvert) {
    mayEnd_ = mayEnd;
    mayConvert_ = mayConvert;
  }

  // Convert ran on these texts: the label must show their conversion.
  std::string Converted(const std::array<std::string, 4>& fields) {
    expectedLabel_ = ComposeGridReference(
        ReadCoordinateEntry(fields[0], fields[1], fields[2], fields[3]), separator_);
    return mayConvert_ ? "" : "Convert ran";
  }

  // A box is open (with this many of the program's boxes open at once) and
  // about to be answered; the window as it stands before the answer.
  std::string BoxAnswering(bool retry, int boxesOpen, const WindowState& window) {
    if (boxesOpen > 1) return std::to_string(boxesOpen) + " boxes open at once";
    if (retry) {
      retried_ = true;
      atBox_ = window;
    } else {
      mayEnd_ = true; // Cancel ends the run
    }
    return "";
  }

  // After an event that left the conversion window open.
  std::string CheckWindow(const WindowState& now) {
    if (now.label != expectedLabel_)
      return "label '" + now.label + "', the last Convert gave '" + expectedLabel_ + "'";
    if (!now.pressedButtons.empty()) return now.pressedButtons.front() + " is left drawn pressed";
    if (!retried_) return "";
    retried_ = false;
    // Retry empties the refused field, gives it the focus and changes
    // nothing else.
    int changed = 0;
    for (std::size_t i = 0; i < now.fields.size(); ++i) {
      if (now.fields[i] == atBox_.fields[i]) continue;
      ++changed;
      if (!now.fields[i].empty()) return "Retry left '" + now.fields[i] + "' in " + kFieldNames[i];
      if (now.focus != kFieldNames[i])
        return std::string("Retry emptied ") + kFieldNames[i] + " but the focus is on '" +
               now.focus + "'";
    }
    if (changed > 1) return "Retry changed " + std::to_string(changed) + " fields";
    if (now.label != atBox_.label) return "Retry changed the label";
    bool focusInEmptyField = false;
    for (std::size_t i = 0; i < now.fields.size(); ++i)
      focusInEmptyField |= now.focus == kFieldNames[i] && now.fields[i].empty();
    if (!focusInEmptyField) return "after Retry the focus is on '" + now.focus + "'";
    return "";
  }

  // A field was left holding `text` (the focus went to another control or
  // to nothing): the box comes for a value the checks refuse, and only then.
  static std::string FieldLeft(std::size_t field, const std::string& text, bool boxShown) {
    const bool refused = !IsWithinLimits(kAllEntryFields.at(field), NumericValue(text));
    if (refused == boxShown) return "";
    return "'" + text + "' left in " + kFieldNames.at(field) +
           (boxShown ? " brought the box" : " without the box");
  }

  // After an event that ended the run; windowsLeft counts what still shows.
  std::string CheckEnded(int windowsLeft) const {
    if (!mayEnd_) return "the run ended by itself";
    if (windowsLeft > 0) return std::to_string(windowsLeft) + " windows outlived the run";
    return "";
  }

private:
  std::string separator_;
  std::string expectedLabel_;
  bool retried_ = false;
  bool mayEnd_ = false;
  bool mayConvert_ = false;
  WindowState atBox_;
};

} // namespace gridref::testing
