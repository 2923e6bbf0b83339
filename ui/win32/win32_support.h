// What both Win32 windows share: text conversion, rendering the layout
// tables at the window's DPI (fonts, colours, rectangles), centring.
#pragma once

#include "ui/shared/layouts.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace ui::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

std::wstring WindowText(HWND window);

// The per-monitor DPI functions of Windows 10 (1607), looked up at run time:
// a load-time import of them would stop the program before its first window
// on Windows 7 to 8.1. Where one is missing, the system DPI stands in.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
};
// Looked up once; a test empties it to take the older systems' path.
DpiFunctions& Dpi();

// The window's DPI; the screen's (system) DPI where Windows has no other.
UINT WindowDpi(HWND window);

// The control's rectangle in pixels at this DPI.
RECT PixelRect(const ControlLayout& control, UINT dpi);

// The window style of the table's border: a title bar with a sizing border
// (and the buttons that go with them), or a dialog frame and nothing else.
DWORD StyleOf(Border border);

// The outer size that holds the layout's client area with this style.
SIZE OuterSize(const WindowLayout& layout, DWORD style, DWORD exStyle, UINT dpi);

// Where the user's settings are read. Wine never reports high contrast, so
// a test stands in for the system here.
struct SystemSettings {
  BOOL(WINAPI* systemParametersInfo)(UINT, UINT, PVOID, UINT) = &SystemParametersInfoW;
};
SystemSettings& Settings();

// The user has turned high contrast on: the program's own fixed colours
// give way to the system's.
bool HighContrastOn();

// The face this font asks for at this DPI: the first, unless it is a bitmap
// face, which is drawn for 96 dpi only; then its TrueType successor, next in
// the list.
std::string_view FaceAt(const FontSpec& spec, UINT dpi);

// The designed face at this DPI; where none is named, the dialog face (the
// message font's) at the size the layout was drawn for. The caller deletes it.
HFONT CreateLayoutFont(const FontSpec& spec, UINT dpi);

// Solid colour of a layout colour; the window's own where Default.
COLORREF ColourOf(const Colour& colour, COLORREF fallback);

// Centres the window by its outer size on the screen, as the shared rule
// places it; a window larger than the screen gets a negative left or top.
void CentreOnScreen(HWND window);

// No handler traps errors: a failure is reported (in a box modal to the
// owner, where there is one) and the run ends.
[[noreturn]] void ReportAndEnd(const wchar_t* what, HWND owner = nullptr);

// The icon picture of this size from the program's icon group.
HICON ProgramIcon(int size);

// A control made from its row of a layout table, with the font it owns.
struct RenderedControl {
  const ControlLayout* layout = nullptr;
  HWND hwnd = nullptr;
  HFONT font = nullptr;
};

// Places the control at this DPI and gives it its font (made anew); a text
// box gets no inner margins, so that as much of its text shows as fits.
void PlaceControl(RenderedControl& control, UINT dpi);

void DeleteFont(RenderedControl& control);

} // namespace ui::win32
