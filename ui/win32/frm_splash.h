// The title window on Win32: a fixed dialog border without a title bar,
// the frame and its picture and labels. A character (WM_CHAR) or a click on
// the frame's own surface hands over to the conversion window.
#pragma once

#include "ui/shared/window_rules.h"
#include "ui/win32/win32_support.h"

#include <vector>

namespace ui::win32 {

class frmSplash final {
public:
  // Creates, centres and shows the window; it owns itself until dismissed.
  static void Open();

  void Form_KeyPress();
  void Frame1_Click();

private:
  frmSplash() = default;
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnFrameMessage(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
  void Create();
  void Layout(UINT dpi);
  void Dismiss();
  // The frame whose click dismisses the window.
  HWND Surface() const;

  HWND hwnd_ = nullptr;
  std::vector<RenderedControl> controls_; // one for each row of the table
  HBRUSH frameBrush_ = nullptr, labelBrush_ = nullptr;
  COLORREF labelColour_ = 0;
  SurfaceClick surfaceClick_;
  Dismissal dismissal_;
};

} // namespace ui::win32
