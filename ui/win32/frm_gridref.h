// The conversion window on Win32: standard EDIT, BUTTON and STATIC controls
// rendered from the layout table, driven through the shared behaviour.
#pragma once

#include "ui/shared/conversion_window.h"
#include "ui/win32/win32_support.h"

#include <vector>

namespace ui::win32 {

// NOLINTNEXTLINE(readability-identifier-naming)
class frmGridref final : private ConversionWindowHost {
public:
  // Creates, centres and shows the window, with the focus on txtDegSouth.
  static frmGridref* Open();
  // The one conversion window of the run, once opened.
  static frmGridref* Current();

  HWND Handle() const { return hwnd_; }
  // The control of this name in the layout table.
  HWND Control(std::string_view name) const;

  // For the message loop, before IsDialogMessageW: Alt+X ends the run at
  // once, like Escape, without moving the focus (which would check the field
  // being left).
  bool TakeAccessKey(const MSG& message);
  // The title window's held key repeating into this one: dropped.
  bool DropsKey(const MSG& message);
  // Tab and Shift+Tab along the tab order; Enter presses the button that
  // wears the default border (Convert while the focus is in a field).
  bool TakeNavigationKey(const MSG& message);

  // Handlers, named after their control and event.
  void Form_Load();
  void txtDegSouth_LostFocus();
  void txtMinSouth_LostFocus();
  void txtDegEast_LostFocus();
  void txtMinEast_LostFocus();
  void cmdConvert_Click();
  void CmdClipboard_Click();
  void cmdExit_Click();

private:
  frmGridref() : behaviour_(*this) {}
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Create();
  void Layout(UINT dpi);
  void OnCommand(int id, int code);
  void FieldLeft(gridref::EntryField field);
  void CheckField(gridref::EntryField field);
  HWND DefaultButton() const;
  void ShowDefaultBorder(HWND focus);
  HWND Field(gridref::EntryField field) const;
  // The fixed colours, or the system's under high contrast.
  void ReadColours();
  COLORREF TextColour(const ControlLayout& control) const;

  // ConversionWindowHost
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

  ConversionWindow behaviour_;
  HWND hwnd_ = nullptr;
  std::vector<RenderedControl> controls_; // one for each row of the table
  HBRUSH windowBrush_ = nullptr, bandBrush_ = nullptr;
  COLORREF bandColour_ = 0;
  bool highContrast_ = false;
  HWND focusBeforeDeactivation_ = nullptr;
};

} // namespace ui::win32
