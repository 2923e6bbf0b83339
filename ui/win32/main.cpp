// Opens the title window and runs the event loop; everything after that
// happens in the windows' handlers. The run ends when the conversion window
// ends it, or when the last window closes.
#include "ui/win32/frm_gridref.h"
#include "ui/win32/frm_splash.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*command*/,
                    int /*show*/) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  ui::win32::frmSplash::Open();
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The conversion window keeps the keyboard of a dialog: Tab, Enter on
    // the default or focused button, Escape on Exit.
    ui::win32::frmGridref* gridref = ui::win32::frmGridref::Current();
    if (gridref && gridref->TakeAccessKey(message)) continue;
    if (gridref && IsDialogMessageW(gridref->Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
