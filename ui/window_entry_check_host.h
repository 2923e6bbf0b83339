// Lends the entry checks the conversion window's fields, a beep, the
// Retry/Cancel box and the end of the program.
#pragma once

#include "core/entry_checks.h"

namespace ui {

class frmGridref;

class WindowEntryCheckHost final : public gridref::EntryCheckHost {
public:
  explicit WindowEntryCheckHost(frmGridref& window) : window_(window) {}

  std::string ReadText(gridref::EntryField field) override;
  void SetText(gridref::EntryField field, std::string_view text) override;
  void GiveFocus(gridref::EntryField field) override;
  void Beep() override;
  gridref::DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) override;
  void EndProgram() override;

  int BoxesShown() const { return boxesShown_; }

private:
  frmGridref& window_;
  int boxesShown_ = 0;
};

} // namespace ui
