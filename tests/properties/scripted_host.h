// A window for the entry checks and the shared window behaviour: four texts,
// the label, the clipboard; it records every call that reads or shows
// something as a line and answers the Retry/Cancel box from a script. Shared
// by the tests and the fuzzers; the checks alone use it as an EntryCheckHost.
#pragma once

#include "core/entry_checks.h"
#include "ui/shared/conversion_window.h"

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace gridref::testing {

inline std::string FieldName(EntryField field) {
  static const char* const names[] = {"txtDegSouth", "txtMinSouth", "txtDegEast", "txtMinEast"};
  return names[static_cast<std::size_t>(field)];
}

class ScriptedHost : public ui::ConversionWindowHost {
public:
  std::array<std::string, 4> texts;
  std::deque<DialogAnswer> answers;
  std::vector<std::string> calls;
  std::string label, clipboard = "before", separator = ".";
  // Runs while the box is open, as a toolkit's focus changes do.
  std::function<void()> duringBox;

  std::string& Text(EntryField field) { return texts[static_cast<std::size_t>(field)]; }

  std::string ReadText(EntryField field) override {
    calls.push_back("read " + FieldName(field));
    return Text(field);
  }
  void SetText(EntryField field, std::string_view text) override {
    calls.push_back("set " + FieldName(field) + " '" + std::string(text) + "'");
    Text(field) = text;
  }
  void GiveFocus(EntryField field) override { calls.push_back("focus " + FieldName(field)); }
  void Beep() override { calls.push_back("beep"); }
  DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) override {
    calls.push_back("ask " + std::string(prompt) + " | " + std::string(title));
    if (duringBox) duringBox();
    const DialogAnswer answer = answers.empty() ? DialogAnswer::Cancel : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::string GridReferenceShown() override { return label; }
  void ShowGridReference(std::string_view text) override {
    calls.push_back("show '" + std::string(text) + "'");
    label = text;
  }
  void PutOnClipboard(std::string_view text) override {
    calls.push_back("clipboard '" + std::string(text) + "'");
    clipboard = text;
  }
  std::string DecimalSeparator() override { return separator; }
  void CloseAllWindows() override { calls.push_back("close all"); }

  // The check alone, with the end of the program it asks for logged as "end".
  CheckOutcome Check(EntryField field) {
    const CheckOutcome outcome = CheckEntry(field, *this);
    if (outcome == CheckOutcome::Cancelled) calls.push_back("end");
    return outcome;
  }
};

} // namespace gridref::testing
