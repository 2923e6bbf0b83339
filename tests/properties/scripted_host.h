// A host for the entry checks that records every call as a line and answers
// the Retry/Cancel box from a script. Shared by the tests and the fuzzers.
#pragma once

#include "core/entry_checks.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace gridref::testing {

inline std::string FieldName(EntryField field) {
  static const char* const names[] = {"txtDegSouth", "txtMinSouth", "txtDegEast", "txtMinEast"};
  return names[static_cast<std::size_t>(field)];
}

class ScriptedHost : public EntryCheckHost {
public:
  std::array<std::string, 4> texts;
  std::deque<DialogAnswer> answers;
  std::vector<std::string> calls;

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
    const DialogAnswer answer = answers.empty() ? DialogAnswer::Cancel : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void EndProgram() override { calls.push_back("end"); }
};

} // namespace gridref::testing
