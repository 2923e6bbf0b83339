// The conversion window's behaviour that no toolkit owns: the guarded entry
// check, Convert, Copy and the end of the run. Each frontend renders the
// window and drives this from its own events, lending the host operations.
#pragma once

#include "core/entry_checks.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// What the behaviour needs of the window on a toolkit.
class ConversionWindowHost {
public:
  virtual ~ConversionWindowHost() = default;
  virtual std::string FieldText(gridref::EntryField field) = 0;
  virtual void SetFieldText(gridref::EntryField field, std::string_view text) = 0;
  // Also makes the window active again, so that typing goes to the field.
  virtual void FocusField(gridref::EntryField field) = 0;
  virtual void Beep() = 0;
  virtual gridref::DialogAnswer AskRetryOrCancel(std::string_view prompt,
                                                 std::string_view title) = 0;
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

// Runs the window's own loss-of-focus handler of the field (the handlers
// carry the field's name: txtDegSouth_LostFocus, ...).
template <typename Window> void RunLostFocusHandler(Window& window, gridref::EntryField field) {
  switch (field) {
  case gridref::EntryField::txtDegSouth:
    window.txtDegSouth_LostFocus();
    break;
  case gridref::EntryField::txtMinSouth:
    window.txtMinSouth_LostFocus();
    break;
  case gridref::EntryField::txtDegEast:
    window.txtDegEast_LostFocus();
    break;
  case gridref::EntryField::txtMinEast:
    window.txtMinEast_LostFocus();
    break;
  }
}

enum class KeyMotion { Press, Repeat, Release };

class ConversionWindow final : private gridref::EntryCheckHost {
public:
  explicit ConversionWindow(ConversionWindowHost& host) : host_(host) {}

  // The user left an entry field: checks it. Focus moves caused by a check
  // itself (its box, the focus given back after Retry) check nothing, or two
  // refused fields would hand the focus and a box back and forth forever.
  // True when the value was refused: the click that left the field must not
  // take effect.
  bool FieldLeft(gridref::EntryField field);

  void Convert();
  void Copy();
  void Exit();

  // A key held down as the title window goes keeps repeating into this
  // window, which opened under it: "2" held there would type "2222", Enter
  // convert, Escape end the run. Those repeats belong to the press that
  // dismissed the title; until a key is pressed or released afresh, repeats
  // do nothing here. X11 repeats a key as a release and a press at the same
  // time, which a toolkit does not always mark: such a pair is a repeat too.
  // `key` and `time` (milliseconds) are the platform's. True: drop the event.
  bool DropsKey(KeyMotion motion, int key, std::uint32_t time);

  bool CheckRunning() const { return checkRunning_; }
  int BoxesShown() const { return boxesShown_; }

private:
  std::string ReadText(gridref::EntryField field) override;
  void SetText(gridref::EntryField field, std::string_view text) override;
  void GiveFocus(gridref::EntryField field) override;
  void Beep() override;
  gridref::DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) override;
  void EndProgram() override;

  ConversionWindowHost& host_;
  bool checkRunning_ = false;
  int boxesShown_ = 0;
  bool freshKeysOnly_ = true;
  bool released_ = false; // the last release, perhaps X11's half of a repeat
  int releasedKey_ = 0;
  std::uint32_t releasedAt_ = 0;
};

} // namespace ui
