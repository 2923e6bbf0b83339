// The baseline for the Windows start-up benchmark: an empty Win32 window of
// the title window's size and frame, shown at once.
#include <windows.h>

namespace {
LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = Procedure;
  cls.hInstance = instance;
  cls.lpszClassName = L"BareWindow";
  RegisterClassW(&cls);
  RECT outer{0, 0, 492, 283};
  AdjustWindowRect(&outer, WS_POPUP | WS_DLGFRAME, FALSE);
  HWND hwnd =
      CreateWindowW(L"BareWindow", L"", WS_POPUP | WS_DLGFRAME, 0, 0, outer.right - outer.left,
                    outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0)
    DispatchMessageW(&message);
  return 0;
}
