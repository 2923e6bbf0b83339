// The windows' rules that no toolkit owns, over the layout tables: which
// row does what, the tab order, access keys, the default border, centring,
// the border, and the title window's one dismissal. Each frontend asks these
// and renders the answer.
#pragma once

#include "ui/shared/layouts.h"

#include <cstddef>
#include <vector>

namespace ui {

inline constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

// The first row of the role, or of the entry field; kNoRow if none.
std::size_t RowOf(const WindowLayout& window, Role role);
std::size_t RowOf(const WindowLayout& window, gridref::EntryField field);

// The row of the control the row lies on; kNoRow: the window itself.
std::size_t ParentRow(const WindowLayout& window, std::size_t row);

// Fields and buttons take the focus; nothing else does.
constexpr bool TakesFocus(const ControlLayout& control) {
  return control.kind == ControlKind::TextBox || control.kind == ControlKind::Button;
}

// The rows that take the focus, by their tab index (ties in table order).
std::vector<std::size_t> TabOrder(const WindowLayout& window);

// Where Tab (or Shift+Tab, `backwards`) goes from the row, round the tab
// order; from a row outside it (kNoRow too), the first (or the last).
std::size_t NextInTabOrder(const WindowLayout& window, std::size_t from, bool backwards);

// "E&xit": the '&' at `marker` and the key it marks, lower-cased; key 0 where
// the caption marks none ("&" last, or no '&').
struct AccessKey {
  std::size_t marker = 0;
  char key = 0;
};
AccessKey AccessKeyOf(std::string_view caption);

// The button whose access key is the typed character (any case); kNoRow.
std::size_t RowWithAccessKey(const WindowLayout& window, char32_t typed);

// The button that wears the default border, and that Enter presses: the
// focused button; with the focus elsewhere, the window's default button.
std::size_t DefaultBorderRow(const WindowLayout& window, std::size_t focusRow);

// The start of a window's outer extent centred on an area's: the margin
// halved in single precision, rounded to nearest (halves away from zero).
// Not clamped: a window larger than the area starts before it.
int CentredStart(int areaStart, int areaExtent, int outerExtent);

// What the table's border gives the window.
struct BorderTraits {
  bool titleBar;  // with the caption, the system menu and the close button
  bool resizable; // sizing border, minimise and maximise
};
constexpr BorderTraits TraitsOf(Border border) {
  return border == Border::Resizable ? BorderTraits{true, true} : BorderTraits{false, false};
}

// The title window goes once, however many keys and clicks arrive.
class Dismissal {
public:
  // True the first time only: then hand over to the conversion window.
  bool Dismiss() {
    if (dismissed_) return false;
    dismissed_ = true;
    return true;
  }
  bool Dismissed() const { return dismissed_; }

private:
  bool dismissed_ = false;
};

// A click on a surface: the main button pressed and released on the
// surface itself, not on what lies in front of it.
class SurfaceClick {
public:
  void Press(bool onSurface) { pressed_ = onSurface; }
  // True: the surface was clicked.
  bool Release(bool onSurface) {
    const bool click = pressed_ && onSurface;
    pressed_ = false;
    return click;
  }
  void Cancel() { pressed_ = false; } // the press was taken away

private:
  bool pressed_ = false;
};

} // namespace ui
