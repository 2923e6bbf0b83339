// Lends the shared conversion-window behaviour the Qt window's fields and
// label, a beep, the Retry/Cancel box, the clipboard and the end of the run.
#pragma once

#include "ui/shared/conversion_window.h"

namespace ui {

class frmGridref;

class QtConversionWindowHost final : public ConversionWindowHost {
public:
  explicit QtConversionWindowHost(frmGridref& window) : window_(window) {}

  std::string FieldText(gridref::EntryField field) override;
  void SetFieldText(gridref::EntryField field, std::string_view text) override;
  void FocusField(gridref::EntryField field) override;
  void Beep() override;
  gridref::DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) override;
  std::string GridReferenceShown() override;
  void ShowGridReference(std::string_view text) override;
  void PutOnClipboard(std::string_view text) override;
  std::string DecimalSeparator() override;
  void CloseAllWindows() override;

private:
  frmGridref& window_;
};

} // namespace ui
