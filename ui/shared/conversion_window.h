// The conversion window's behaviour that no toolkit owns: the guarded entry
// check, Convert, Copy and the end of the run. Each frontend renders the
// window and drives this from its own events, lending the host operations.
#pragma once

#include "core/entry_checks.h"
#include "ui/shared/layouts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// What the window on a toolkit lends the entry checks and the behaviour:
// its fields, a beep and the box (the checks'), the result label, the
// clipboard, the decimal separator and the end of the run.
class ConversionWindowHost : public gridref::EntryCheckHost {
public:
  virtual std::string GridReferenceShown() = 0;
  virtual void ShowGridReference(std::string_view text) = 0;
  // Clears the clipboard, then puts the text on it as plain text.
  virtual void PutOnClipboard(std::string_view text) = 0;
  virtual std::string DecimalSeparator() = 0;
  // Hides every window and leaves the event loop with status 0; may return.
  virtual void CloseAllWindows() = 0;
};

// The end of the run is decided once per process: afterwards no handler of
// the program does anything, whichever window or event calls it.
bool ProgramEnding();
void ResetProgramEnd(); // for a fresh window in the same process (tests)

enum class KeyMotion { Press, Repeat, Release };

class ConversionWindow final {
public:
  explicit ConversionWindow(ConversionWindowHost& host) : host_(host) {}

  // The user left an entry field: runs its handler, which checks it. Focus
  // moves caused by a check itself (its box, the focus given back after
  // Retry) check nothing, or two refused fields would hand the focus and a
  // box back and forth forever. True when the value was refused: the click
  // that left the field must not take effect.
  bool FieldLeft(gridref::EntryField field);
  // A control of the role was clicked (Enter, Escape and access keys too).
  void Clicked(Role role);

  // Handlers, named after their control and event.
  void txtDegSouth_LostFocus();
  void txtMinSouth_LostFocus();
  void txtDegEast_LostFocus();
  void txtMinEast_LostFocus();
  void cmdConvert_Click();
  void CmdClipboard_Click();
  void cmdExit_Click();

  // A key held down as the title window goes keeps repeating into this
  // window, which opened under it: "2" held there would type "2222", Enter
  // convert, Escape end the run. Those repeats belong to the press that
  // dismissed the title; until a key is pressed or released afresh, repeats
  // do nothing here. X11 repeats a key as a release and a press at the same
  // time, which a toolkit does not always mark: such a pair is a repeat too.
  // `key` and `time` (milliseconds) are the platform's. True: drop the event.
  bool DropsKey(KeyMotion motion, int key, std::uint32_t time);

  bool CheckRunning() const { return checkRunning_; }
  // How many leaves have been refused in the run: a press that sees it grow
  // before its click left a refused field, and the click does nothing.
  unsigned RefusedLeaves() const { return refusedLeaves_; }

private:
  void Check(gridref::EntryField field);

  ConversionWindowHost& host_;
  bool checkRunning_ = false;
  bool lastRefused_ = false;
  unsigned refusedLeaves_ = 0;
  bool freshKeysOnly_ = true;
  bool released_ = false; // the last release, perhaps X11's half of a repeat
  int releasedKey_ = 0;
  std::uint32_t releasedAt_ = 0;
};

} // namespace ui
