#include "ui/win32/frm_gridref.h"

#include "ui/win32/accessibility.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <string_view>

namespace ui::win32 {
namespace {

using gridref::EntryField;

constexpr wchar_t kClassName[] = L"QuadranglerGridref";
constexpr int kFirstControlId = 100;
// Posted when a field is left (wParam: the field): the check, and its box,
// wait until the focus change is complete. Posted messages come before
// input, so nothing typed or clicked meanwhile slips past it.
constexpr UINT kCheckField = WM_APP + 1;

std::unique_ptr<frmGridref> theWindow;

// A second click in a row is a click like the first: it takes the focus,
// so that the field being left is checked first. (BS_NOTIFY would make it a
// BN_DOUBLECLICKED that does neither.)
LRESULT CALLBACK SingleClicks(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR /*data*/) {
  if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, SingleClicks, id);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Where Ctrl+Backspace deletes back to: over the blanks before the caret,
// then over the word (a number with its point or comma counts as one).
std::size_t StartOfWordBefore(std::wstring_view text, std::size_t caret) {
  const auto inWord = [](wchar_t c) { return std::iswalnum(c) || c == L'.' || c == L','; };
  std::size_t start = std::min(caret, text.size());
  while (start > 0 && std::iswspace(text[start - 1]))
    --start;
  const bool word = start > 0 && inWord(text[start - 1]);
  while (start > 0 && !std::iswspace(text[start - 1]) && inWord(text[start - 1]) == word)
    --start;
  return start;
}

// A standard EDIT takes Ctrl+Backspace as the character 0x7F and shows it as
// a box: the key deletes the word before the caret instead, as richer edits
// do, and the character it makes is dropped (Wine makes it a backspace).
LRESULT CALLBACK WordDeletion(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR /*data*/) {
  const bool controlOnly = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
  if (message == WM_KEYDOWN && wParam == VK_BACK && controlOnly) {
    DWORD from = 0, to = 0;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    if (from == to) from = static_cast<DWORD>(StartOfWordBefore(WindowText(hwnd), to));
    SendMessageW(hwnd, EM_SETSEL, from, to);
    SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    return 0;
  }
  if (message == WM_CHAR && (wParam == 0x7F || (wParam == VK_BACK && controlOnly))) return 0;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, WordDeletion, id);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Numbered by row; the button that Escape presses is IDCANCEL, which is
// what IsDialogMessageW sends for Escape.
int ControlId(const ControlLayout& control, std::size_t row) {
  return control.isCancel ? IDCANCEL : kFirstControlId + static_cast<int>(row);
}

} // namespace

frmGridref* frmGridref::Open() {
  theWindow.reset(new frmGridref);
  theWindow->Create();
  return theWindow.get();
}

frmGridref* frmGridref::Current() {
  return theWindow.get();
}

void frmGridref::Create() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  static const ATOM registered = [instance] {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &frmGridref::Procedure;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    cls.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
    cls.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    cls.lpszClassName = kClassName;
    return RegisterClassExW(&cls);
  }();
  (void)registered;

  const WindowLayout& layout = kGridrefLayout;
  ReadColours();
  const DWORD style = StyleOf(layout.border);
  hwnd_ = CreateWindowExW(0, kClassName, Wide(layout.caption).c_str(), style, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                          this);
  if (!hwnd_) ReportAndEnd(L"The conversion window could not be created.");
  controls_.resize(layout.controls.size());
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlLayout& row = layout.controls[i];
    const wchar_t* cls = L"STATIC";
    DWORD controlStyle = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (row.kind) {
    case ControlKind::Label:
      controlStyle |=
          SS_NOPREFIX | SS_CENTERIMAGE | (row.align == Align::Centre ? SS_CENTER : SS_LEFT);
      break;
    case ControlKind::TextBox:
      cls = L"EDIT";
      controlStyle |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Button:
      cls = L"BUTTON";
      // BS_NOTIFY: the default border follows the focus (BN_SETFOCUS).
      controlStyle |= WS_TABSTOP | BS_NOTIFY | (row.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
    case ControlKind::Frame:
    case ControlKind::Image:
      break;
    }
    controls_[i].layout = &row;
    controls_[i].hwnd = CreateWindowExW(
        exStyle, cls, Wide(row.caption).c_str(), controlStyle, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(row, i))), instance, nullptr);
    if (!controls_[i].hwnd) ReportAndEnd(L"A control could not be created.");
    // Unlimited length, as far as the system allows.
    if (row.kind == ControlKind::TextBox) {
      SendMessageW(controls_[i].hwnd, EM_SETLIMITTEXT, 0, 0);
      SetWindowSubclass(controls_[i].hwnd, WordDeletion, 1, 0);
    }
    if (row.kind == ControlKind::Label && !row.accessibleName.empty())
      DescribeToScreenReaders(controls_[i].hwnd, row.accessibleName);
    if (row.kind == ControlKind::Button) SetWindowSubclass(controls_[i].hwnd, SingleClicks, 1, 0);
  }
  // Centred first, then laid out at the DPI of where it stands: on screens
  // of mixed DPI the move can change it.
  UINT dpi = 0;
  for (int pass = 0; pass < 2 && dpi != WindowDpi(hwnd_); ++pass) {
    dpi = WindowDpi(hwnd_);
    const SIZE outer = OuterSize(layout, style, 0, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
    Form_Load();
  }
  Layout(dpi);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(controls_[NextInTabOrder(layout, kNoRow, false)].hwnd);
}

void frmGridref::Layout(UINT dpi) {
  for (RenderedControl& control : controls_)
    PlaceControl(control, dpi);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void frmGridref::ReadColours() {
  // High contrast: the window is a surface of the system's buttons and
  // boxes, the bands stand out in its highlight.
  highContrast_ = HighContrastOn();
  const COLORREF window =
      highContrast_ ? GetSysColor(COLOR_BTNFACE) : ColourOf(kGridrefLayout.background, 0);
  bandColour_ =
      highContrast_
          ? GetSysColor(COLOR_HIGHLIGHT)
          : ColourOf(kGridrefLayout.controls[RowOf(kGridrefLayout, Role::Result)].background, 0);
  if (windowBrush_) DeleteObject(windowBrush_);
  if (bandBrush_) DeleteObject(bandBrush_);
  windowBrush_ = CreateSolidBrush(window);
  bandBrush_ = CreateSolidBrush(bandColour_);
}

COLORREF frmGridref::TextColour(const ControlLayout& control) const {
  const bool band = control.background.kind == Colour::Kind::Rgb;
  if (highContrast_) return GetSysColor(band ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  return ColourOf(control.foreground, GetSysColor(COLOR_BTNTEXT));
}

HWND frmGridref::Control(std::string_view name) const {
  for (const RenderedControl& control : controls_)
    if (control.layout->name == name) return control.hwnd;
  return nullptr;
}

HWND frmGridref::Field(EntryField field) const {
  return controls_[RowOf(kGridrefLayout, field)].hwnd;
}

HWND frmGridref::Result() const {
  return controls_[RowOf(kGridrefLayout, Role::Result)].hwnd;
}

std::size_t frmGridref::RowOfId(int id) const {
  for (std::size_t row = 0; row < controls_.size(); ++row)
    if (ControlId(*controls_[row].layout, row) == id) return row;
  return kNoRow;
}

std::size_t frmGridref::RowOfWindow(HWND control) const {
  for (std::size_t row = 0; row < controls_.size(); ++row)
    if (control && controls_[row].hwnd == control) return row;
  return kNoRow;
}

bool frmGridref::DropsKey(const MSG& message) {
  KeyMotion motion = KeyMotion::Press;
  switch (message.message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
    if (message.lParam & (LPARAM{1} << 30)) motion = KeyMotion::Repeat; // was down already
    break;
  case WM_KEYUP:
  case WM_SYSKEYUP:
    motion = KeyMotion::Release;
    break;
  default:
    return false;
  }
  return behaviour_.DropsKey(motion, static_cast<int>(message.wParam), message.time);
}

bool frmGridref::TakeNavigationKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || !hwnd_) return false;
  if (message.wParam == VK_RETURN) {
    // As a dialog presses it: the button's command, sent to the window.
    const HWND button = DefaultButton();
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
  }
  if (message.wParam != VK_TAB) return false;
  const std::size_t row =
      NextInTabOrder(kGridrefLayout, RowOfWindow(GetFocus()), GetKeyState(VK_SHIFT) < 0);
  if (row == kNoRow) return true;
  const HWND next = controls_[row].hwnd;
  // Entering a field by the keyboard selects its whole text, as in a dialog.
  if (controls_[row].layout->kind == ControlKind::TextBox) SendMessageW(next, EM_SETSEL, 0, -1);
  SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  SetFocus(next);
  return true;
}

HWND frmGridref::DefaultButton() const {
  const std::size_t row = DefaultBorderRow(kGridrefLayout, focusRow_);
  return row == kNoRow ? nullptr : controls_[row].hwnd;
}

void frmGridref::ShowDefaultBorder() {
  const std::size_t wearer = DefaultBorderRow(kGridrefLayout, focusRow_);
  for (std::size_t row = 0; row < controls_.size(); ++row) {
    const RenderedControl& control = controls_[row];
    if (control.layout->kind != ControlKind::Button) continue;
    const LONG_PTR type = row == wearer ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongPtrW(control.hwnd, GWL_STYLE) & BS_TYPEMASK) != type)
      SendMessageW(control.hwnd, BM_SETSTYLE, static_cast<WPARAM>(type | BS_NOTIFY), TRUE);
  }
}

bool frmGridref::TakeAccessKey(const MSG& message) {
  if (message.message != WM_SYSCHAR || !hwnd_ ||
      (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd)))
    return false;
  const std::size_t row = RowWithAccessKey(kGridrefLayout, static_cast<char32_t>(message.wParam));
  if (row == kNoRow) return false;
  behaviour_.Clicked(controls_[row].layout->role);
  return true;
}

void frmGridref::Form_Load() {
  CentreOnScreen(hwnd_);
}

void frmGridref::FieldLeft(EntryField field) {
  // Only a move to another of our controls is the user leaving the field:
  // not the window losing activation, nor a box taking the focus, nor the
  // focus given back by a check.
  const HWND focus = GetFocus();
  if (!focus || !IsChild(hwnd_, focus)) return;
  // A field left shows its text from the start, to be checked by eye.
  SendMessageW(Field(field), EM_SETSEL, 0, 0);
  SendMessageW(Field(field), EM_SCROLLCARET, 0, 0);
  if (behaviour_.CheckRunning()) return;
  PostMessageW(hwnd_, kCheckField, static_cast<WPARAM>(field), 0);
}

void frmGridref::CheckField(EntryField field) {
  if (!behaviour_.FieldLeft(field) || ProgramEnding()) return;
  // The click that left a refused field does not take effect: the control
  // under it lets go of the mouse, and no button stays drawn pressed.
  if (const HWND captured = GetCapture(); captured && IsChild(hwnd_, captured)) ReleaseCapture();
  for (const RenderedControl& control : controls_)
    if (control.layout->kind == ControlKind::Button)
      SendMessageW(control.hwnd, BM_SETSTATE, FALSE, 0);
}

void frmGridref::OnCommand(int id, int code) {
  const std::size_t row = RowOfId(id); // Escape comes as the IDCANCEL button's
  if (row == kNoRow) return;
  const ControlLayout& control = *controls_[row].layout;
  const bool field = control.kind == ControlKind::TextBox;
  const bool button = control.kind == ControlKind::Button;
  if ((field && code == EN_SETFOCUS) || (button && code == BN_SETFOCUS)) {
    focusRow_ = row;
    ShowDefaultBorder();
  }
  if (field && code == EN_KILLFOCUS && control.role == Role::Entry) FieldLeft(control.field);
  // A click released while a check's box is open is the click that left
  // the refused field: it does not take effect.
  if (button && code == BN_CLICKED && !behaviour_.CheckRunning()) behaviour_.Clicked(control.role);
}

LRESULT CALLBACK frmGridref::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<frmGridref*>(create->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<frmGridref*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->OnMessage(message, wParam, lParam)
              : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT frmGridref::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND:
    OnCommand(LOWORD(wParam), HIWORD(wParam));
    return 0;
  case DM_GETDEFID: // the button that wears the default border
    return MAKELRESULT(GetDlgCtrlID(DefaultButton()), DC_HASDEFID);
  case WM_ERASEBKGND: {
    RECT client{};
    GetClientRect(hwnd_, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, windowBrush_);
    return 1;
  }
  case WM_CTLCOLORSTATIC: {
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (const std::size_t row = RowOfWindow(reinterpret_cast<HWND>(lParam)); row != kNoRow) {
      const ControlLayout& control = *controls_[row].layout;
      SetTextColor(dc, TextColour(control));
      if (control.background.kind == Colour::Kind::Rgb) {
        SetBkColor(dc, bandColour_);
        return reinterpret_cast<LRESULT>(bandBrush_);
      }
    }
    SetBkMode(dc, TRANSPARENT); // the window's own colour shows through
    return reinterpret_cast<LRESULT>(windowBrush_);
  }
  case WM_SYSCOLORCHANGE:
  case WM_SETTINGCHANGE: // high contrast turned on or off
    ReadColours();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  case WM_ACTIVATE:
    // A plain window does not keep its focused control over a box or a
    // switch to another program by itself.
    if (LOWORD(wParam) == WA_INACTIVE) {
      const HWND focus = GetFocus();
      if (focus && IsChild(hwnd_, focus)) focusBeforeDeactivation_ = focus;
    } else {
      SetFocus(focusBeforeDeactivation_
                   ? focusBeforeDeactivation_
                   : controls_[NextInTabOrder(kGridrefLayout, kNoRow, false)].hwnd);
    }
    return 0;
  case kCheckField:
    CheckField(static_cast<EntryField>(wParam));
    return 0;
  case WM_DPICHANGED: {
    if (!IsWindowVisible(hwnd_)) return 0; // the load step lays it out
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(HIWORD(wParam));
    return 0;
  }
  case WM_CLOSE: // closing the last window ends the run
    behaviour_.Clicked(Role::Exit);
    return 0;
  case WM_DESTROY:
    for (RenderedControl& control : controls_)
      DeleteFont(control);
    DeleteObject(windowBrush_);
    DeleteObject(bandBrush_);
    return 0;
  default:
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

std::string frmGridref::ReadText(EntryField field) {
  return Utf8(WindowText(Field(field)));
}

void frmGridref::SetText(EntryField field, std::string_view text) {
  SetWindowTextW(Field(field), Wide(text).c_str());
}

void frmGridref::GiveFocus(EntryField field) {
  // The window must be active again after the box, so that typing goes to
  // the field at once.
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  SetFocus(Field(field));
  focusBeforeDeactivation_ = Field(field);
}

void frmGridref::Beep() {
  MessageBeep(MB_OK);
}

gridref::DialogAnswer frmGridref::AskRetryOrCancel(std::string_view prompt,
                                                   std::string_view title) {
  // MB_RETRYCANCEL (5), no icon, Retry the default; closing the box
  // answers IDCANCEL.
  const int answer =
      MessageBoxW(hwnd_, Wide(prompt).c_str(), Wide(title).c_str(), MB_RETRYCANCEL | MB_APPLMODAL);
  return answer == IDRETRY ? gridref::DialogAnswer::Retry : gridref::DialogAnswer::Cancel;
}

std::string frmGridref::GridReferenceShown() {
  return Utf8(WindowText(Result()));
}

void frmGridref::ShowGridReference(std::string_view text) {
  const HWND label = Result();
  SetWindowTextW(label, Wide(text).c_str());
  // The result is the label's name: a screen reader announces it on every
  // Convert, even when it is the same as before.
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, label, OBJID_CLIENT, CHILDID_SELF);
  // Screen readers that follow only the focused control hear it too.
  AnnounceToScreenReaders(label, text);
}

void frmGridref::PutOnClipboard(std::string_view text) {
  // The text is ready before the clipboard opens, and the clipboard is
  // closed before any report: no box shows while it stays open and emptied.
  const std::wstring wide = Wide(text);
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  void* locked = memory ? GlobalLock(memory) : nullptr;
  if (!locked) {
    if (memory) GlobalFree(memory);
    ReportAndEnd(L"No memory for the clipboard.", hwnd_);
  }
  CopyMemory(locked, wide.c_str(), bytes);
  GlobalUnlock(memory);
  // Another program may hold the clipboard for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 20 && !(open = OpenClipboard(hwnd_)); ++attempt)
    Sleep(10);
  if (!open) {
    GlobalFree(memory);
    ReportAndEnd(L"The clipboard could not be opened.", hwnd_);
  }
  EmptyClipboard();
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!put) {
    GlobalFree(memory);
    ReportAndEnd(L"The text could not be put on the clipboard.", hwnd_);
  }
}

std::string frmGridref::DecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 1) return ".";
  return Utf8(separator);
}

void frmGridref::CloseAllWindows() {
  ShowWindow(hwnd_, SW_HIDE);
  PostQuitMessage(0);
}

} // namespace ui::win32
