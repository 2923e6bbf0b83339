#include "ui/win32/frm_splash.h"

#include "ui/win32/accessibility.h"
#include "ui/win32/frm_gridref.h"

namespace ui::win32 {
namespace {

constexpr wchar_t kClassName[] = L"QuadranglerSplash";
constexpr wchar_t kFrameClassName[] = L"QuadranglerFrame";

// The splash window's instance, per window handle.
template <typename T> T* Self(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The one colour the labels share (the platform's control face).
Colour LabelBackground(const WindowLayout& layout) {
  for (const ControlLayout& row : layout.controls)
    if (row.kind == ControlKind::Label) return row.background;
  return layout.background;
}

} // namespace

void frmSplash::Open() {
  (new frmSplash)->Create();
}

void frmSplash::Create() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  static const bool registered = [instance] {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    cls.lpfnWndProc = &frmSplash::Procedure;
    cls.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
    cls.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = kClassName;
    RegisterClassExW(&cls);
    cls.lpfnWndProc = &frmSplash::FrameProcedure;
    cls.hIcon = cls.hIconSm = nullptr;
    cls.hbrBackground = nullptr;
    cls.lpszClassName = kFrameClassName;
    return RegisterClassExW(&cls) != 0;
  }();
  (void)registered;

  const WindowLayout& layout = kSplashLayout;
  hwnd_ = CreateWindowExW(0, kClassName, Wide(layout.caption).c_str(), StyleOf(layout.border), 0, 0,
                          0, 0, nullptr, nullptr, instance, this);
  // Without it the run could never reach the conversion window nor end.
  if (!hwnd_) ReportAndEnd(L"The title window could not be created.");
  DescribeToScreenReaders(hwnd_, layout.accessibleDescription, layout.accessibleName);
  frameBrush_ =
      CreateSolidBrush(ColourOf(layout.controls[RowOf(layout, Role::Surface)].background, 0));
  labelColour_ = ColourOf(LabelBackground(layout), 0);
  labelBrush_ = CreateSolidBrush(labelColour_);

  // In the window's own order, each in its parent, created before it. The
  // picture and the labels take their own clicks (SS_NOTIFY): a static
  // control otherwise lets them through to the frame beneath.
  controls_.resize(layout.controls.size());
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlLayout& row = layout.controls[i];
    controls_[i].layout = &row;
    const std::size_t parentRow = ParentRow(layout, i);
    const HWND parent = parentRow == kNoRow ? hwnd_ : controls_[parentRow].hwnd;
    if (row.kind == ControlKind::Frame) {
      controls_[i].hwnd = CreateWindowExW(0, kFrameClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                          0, parent, nullptr, instance, this);
      continue;
    }
    DWORD style = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX;
    if (row.kind == ControlKind::Image)
      style |= SS_OWNERDRAW;
    else
      style |= row.align == Align::Right ? SS_RIGHT : SS_LEFT;
    controls_[i].hwnd = CreateWindowExW(0, L"STATIC", Wide(row.caption).c_str(), style, 0, 0, 0, 0,
                                        parent, nullptr, instance, nullptr);
  }
  // Centred first, then laid out at the DPI of where it stands.
  UINT dpi = 0;
  for (int pass = 0; pass < 2 && dpi != WindowDpi(hwnd_); ++pass) {
    dpi = WindowDpi(hwnd_);
    Layout(dpi);
    CentreOnScreen(hwnd_);
  }
  ShowWindow(hwnd_, SW_SHOW);
  // Keys come to the window itself: nothing on it takes the focus.
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

void frmSplash::Layout(UINT dpi) {
  const SIZE outer = OuterSize(kSplashLayout, StyleOf(kSplashLayout.border), 0, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (RenderedControl& control : controls_)
    PlaceControl(control, dpi);
}

void frmSplash::Form_KeyPress() {
  Dismiss();
}

void frmSplash::Frame1_Click() {
  Dismiss();
}

HWND frmSplash::Surface() const {
  return controls_[RowOf(kSplashLayout, Role::Surface)].hwnd;
}

void frmSplash::Dismiss() {
  if (!dismissal_.Dismiss()) return;
  DestroyWindow(hwnd_); // discarded: the window's last message deletes this
  frmGridref::Open();   // no owner: it outlives this one
}

LRESULT CALLBACK frmSplash::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  frmSplash* self = Self<frmSplash>(hwnd, message, lParam);
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->OnMessage(message, wParam, lParam);
}

LRESULT frmSplash::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CHAR: // exactly the keys that produce a character
    Form_KeyPress();
    return 0;
  case WM_ACTIVATE:
    if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd_);
    return 0;
  case WM_DPICHANGED: {
    if (!IsWindowVisible(hwnd_)) return 0; // the start lays it out
    Layout(HIWORD(wParam));
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
  }
  case WM_DESTROY:
    for (RenderedControl& control : controls_)
      DeleteFont(control);
    DeleteObject(frameBrush_);
    DeleteObject(labelBrush_);
    // Closed by other means than a dismissal, it was the last window.
    if (!dismissal_.Dismissed()) PostQuitMessage(0);
    return 0;
  case WM_NCDESTROY: {
    const HWND hwnd = hwnd_;
    delete this;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  default:
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

LRESULT CALLBACK frmSplash::FrameProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  frmSplash* self = Self<frmSplash>(hwnd, message, lParam);
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->OnFrameMessage(hwnd, message, wParam, lParam);
}

LRESULT frmSplash::OnFrameMessage(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_ERASEBKGND: {
    RECT client{};
    GetClientRect(frame, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, frameBrush_);
    DrawEdge(reinterpret_cast<HDC>(wParam), &client, EDGE_ETCHED, BF_RECT);
    return 1;
  }
  case WM_CTLCOLORSTATIC:
    // Both colours, or a scheme with a dark face shows the DC's black text
    // on it.
    SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
    SetBkColor(reinterpret_cast<HDC>(wParam), labelColour_);
    return reinterpret_cast<LRESULT>(labelBrush_);
  case WM_DRAWITEM: { // the picture, stretched to its box over the frame
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    FillRect(item->hDC, &item->rcItem, frameBrush_);
    DrawIconEx(item->hDC, 0, 0, ProgramIcon(32), item->rcItem.right - item->rcItem.left,
               item->rcItem.bottom - item->rcItem.top, 0, nullptr, DI_NORMAL);
    return TRUE;
  }
  case WM_LBUTTONDOWN:
    // Only the frame's own surface: the picture and the labels take their
    // own clicks.
    surfaceClick_.Press(frame == Surface());
    SetCapture(frame);
    return 0;
  case WM_LBUTTONUP: {
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client{};
    GetClientRect(frame, &client);
    const bool click =
        surfaceClick_.Release(frame == Surface() && PtInRect(&client, at) &&
                              ChildWindowFromPointEx(frame, at, CWP_SKIPINVISIBLE) == frame);
    // After the release is read: losing the capture cancels a press.
    if (GetCapture() == frame) ReleaseCapture();
    if (click) Frame1_Click();
    return 0;
  }
  case WM_CAPTURECHANGED:
    surfaceClick_.Cancel();
    return 0;
  default:
    return DefWindowProcW(frame, message, wParam, lParam);
  }
}

} // namespace ui::win32
