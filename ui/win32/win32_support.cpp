#include "ui/win32/win32_support.h"

#include "ui/shared/window_rules.h"

#include <cmath>
#include <type_traits>

namespace ui::win32 {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

DpiFunctions& Dpi() {
  static DpiFunctions functions = [] {
    DpiFunctions f;
    if (const HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      // Through void(*)() to say that the signatures are the documented ones.
      const auto find = [user32](auto& pointer, const char* name) {
        pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(
            reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
      };
      find(f.getDpiForWindow, "GetDpiForWindow");
      find(f.adjustWindowRectExForDpi, "AdjustWindowRectExForDpi");
    }
    return f;
  }();
  return functions;
}

namespace {
UINT SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}
} // namespace

UINT WindowDpi(HWND window) {
  if (Dpi().getDpiForWindow) {
    if (const UINT dpi = Dpi().getDpiForWindow(window)) return dpi;
  }
  return SystemDpi();
}

RECT PixelRect(const ControlLayout& c, UINT dpi) {
  const int d = static_cast<int>(dpi);
  const int left = TwipsToPixels(c.left, d), top = TwipsToPixels(c.top, d);
  return {left, top, left + TwipsToPixels(c.width, d), top + TwipsToPixels(c.height, d)};
}

DWORD StyleOf(Border border) {
  const BorderTraits traits = TraitsOf(border);
  if (traits.titleBar)
    return traits.resizable ? WS_OVERLAPPEDWINDOW : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  // A border, no caption, no system menu: no title bar.
  return WS_POPUP | (traits.resizable ? WS_THICKFRAME : WS_DLGFRAME);
}

SIZE OuterSize(const WindowLayout& layout, DWORD style, DWORD exStyle, UINT dpi) {
  const int d = static_cast<int>(dpi);
  RECT rect{0, 0, TwipsToPixels(layout.clientWidth, d), TwipsToPixels(layout.clientHeight, d)};
  if (Dpi().adjustWindowRectExForDpi)
    Dpi().adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi);
  else // the frame at the system DPI, the only one there
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

SystemSettings& Settings() {
  static SystemSettings settings;
  return settings;
}

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return Settings().systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

std::string_view FaceAt(const FontSpec& spec, UINT dpi) {
  // GDI scales a bitmap face's pixels at any other DPI.
  constexpr std::string_view kBitmapFaces[] = {"MS Sans Serif"};
  if (dpi == USER_DEFAULT_SCREEN_DPI || spec.faces[1].empty()) return spec.faces[0];
  for (const std::string_view bitmap : kBitmapFaces)
    if (spec.faces[0] == bitmap) return spec.faces[1];
  return spec.faces[0];
}

HFONT CreateLayoutFont(const FontSpec& spec, UINT dpi) {
  LOGFONTW font{};
  if (spec.IsDefault()) {
    // Only the face: the desktop's usual size may be larger than the one the
    // twips were laid out for, and would clip the captions.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Settings().systemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
      font = metrics.lfMessageFont;
    font.lfWidth = 0;
  } else {
    font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = Wide(FaceAt(spec, dpi));
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
  }
  const float points = spec.IsDefault() ? kDefaultFontPoints : spec.points;
  font.lfHeight = -static_cast<LONG>(std::lround(points * static_cast<float>(dpi) / 72.0f));
  return CreateFontIndirectW(&font);
}

COLORREF ColourOf(const Colour& colour, COLORREF fallback) {
  switch (colour.kind) {
  case Colour::Kind::Rgb:
    return RGB(colour.red, colour.green, colour.blue);
  case Colour::Kind::ButtonFace:
    return GetSysColor(COLOR_BTNFACE);
  case Colour::Kind::MenuBackground:
    return GetSysColor(COLOR_MENU);
  case Colour::Kind::Default:
  case Colour::Kind::Transparent:
    break;
  }
  return fallback;
}

void CentreOnScreen(HWND window) {
  RECT outer{};
  GetWindowRect(window, &outer);
  SetWindowPos(window, nullptr,
               CentredStart(0, GetSystemMetrics(SM_CXSCREEN), outer.right - outer.left),
               CentredStart(0, GetSystemMetrics(SM_CYSCREEN), outer.bottom - outer.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ReportAndEnd(const wchar_t* what, HWND owner) {
  // Modal to the window: no further click reaches it while the box shows.
  MessageBoxW(owner, what, L"3 x 3-Minute Quadrangler", MB_OK | MB_ICONERROR | MB_APPLMODAL);
  ExitProcess(1);
}

HICON ProgramIcon(int size) {
  // Shared: loaded once, never destroyed.
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                       size, size, LR_SHARED));
}

void PlaceControl(RenderedControl& control, UINT dpi) {
  const ControlLayout& layout = *control.layout;
  RECT rect = PixelRect(layout, dpi);
  DeleteFont(control);
  control.font = CreateLayoutFont(layout.font, dpi);
  SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(control.font), FALSE);
  // After the font, which sets the margins anew.
  if (layout.kind == ControlKind::TextBox)
    SendMessageW(control.hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
  if (layout.sizesItself) {
    // Keeps its left and top, takes the size of its text in its font.
    const std::wstring text = Wide(layout.caption);
    HDC dc = GetDC(control.hwnd);
    const HGDIOBJ old = SelectObject(dc, control.font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control.hwnd, dc);
    rect.right = rect.left + extent.cx;
    rect.bottom = rect.top + extent.cy;
  }
  SetWindowPos(control.hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void DeleteFont(RenderedControl& control) {
  if (control.font) DeleteObject(control.font);
  control.font = nullptr;
}

} // namespace ui::win32
