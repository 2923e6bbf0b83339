// The conversion window on Win32: standard EDIT, BUTTON and STATIC controls
// rendered from the layout table, driven through the shared behaviour.
#pragma once

#include "ui/shared/conversion_window.h"
#include "ui/shared/window_rules.h"
#include "ui/win32/win32_support.h"

#include <cstddef>
#include <vector>

namespace ui::win32 {

class frmGridref final : private ConversionWindowHost {
public:
  // Creates, centres and shows the window, with the focus on txtDegSouth.
  static frmGridref* Open();
  // The one conversion window of the run, once opened.
  static frmGridref* Current();

  HWND Handle() const { return hwnd_; }
  // The control of this name in the layout table, as tools name it.
  HWND Control(std::string_view name) const;

  // For the message loop, before IsDialogMessageW: a button's access key
  // (Alt+X) presses it at once, like Escape, without moving the focus
  // (which would check the field being left).
  bool TakeAccessKey(const MSG& message);
  // The title window's held key repeating into this one: dropped.
  bool DropsKey(const MSG& message);
  // Tab and Shift+Tab along the tab order; Enter presses the button that
  // wears the default border (Convert while the focus is in a field).
  bool TakeNavigationKey(const MSG& message);

  void Form_Load();

private:
  frmGridref() : behaviour_(*this) {}
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Create();
  void Layout(UINT dpi);
  void OnCommand(int id, int code);
  void FieldLeft(gridref::EntryField field);
  void CheckField(gridref::EntryField field);
  // The row of a control's id or handle; kNoRow where none is ours.
  std::size_t RowOfId(int id) const;
  std::size_t RowOfWindow(HWND control) const;
  // The button that wears the default border and that Enter presses.
  HWND DefaultButton() const;
  void ShowDefaultBorder();
  HWND Field(gridref::EntryField field) const;
  HWND Result() const;
  // The fixed colours, or the system's under high contrast.
  void ReadColours();
  COLORREF TextColour(const ControlLayout& control) const;

  // ConversionWindowHost
  std::string ReadText(gridref::EntryField field) override;
  void SetText(gridref::EntryField field, std::string_view text) override;
  void GiveFocus(gridref::EntryField field) override;
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
  std::size_t focusRow_ = kNoRow;         // the row that last took the focus
  HBRUSH windowBrush_ = nullptr, bandBrush_ = nullptr;
  COLORREF bandColour_ = 0;
  bool highContrast_ = false;
  HWND focusBeforeDeactivation_ = nullptr;
};

} // namespace ui::win32
