#include "ui/win32/event_loop.h"

#include "ui/win32/frm_gridref.h"
#include "ui/win32/frm_splash.h"

#include <commctrl.h>

namespace ui::win32 {

bool TakeDialogKey(MSG& message) {
  frmGridref* gridref = frmGridref::Current();
  if (!gridref) return false;
  const HWND window = gridref->Handle();
  if (!window || (message.hwnd != window && !IsChild(window, message.hwnd))) return false;
  if (gridref->DropsKey(message) || gridref->TakeAccessKey(message) ||
      gridref->TakeNavigationKey(message))
    return true;
  // IsDialogMessageW reads a character that the focused control does not
  // take as an access key: without Alt, a letter must never press a button.
  if ((message.message == WM_CHAR || message.message == WM_DEADCHAR) &&
      !(SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam,
                     reinterpret_cast<LPARAM>(&message)) &
        DLGC_WANTCHARS))
    return false;
  return IsDialogMessageW(window, &message);
}

int RunProgram() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  frmSplash::Open();
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (TakeDialogKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

} // namespace ui::win32
