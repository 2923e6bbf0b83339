#include "ui/win32/event_loop.h"

#include "ui/win32/frm_gridref.h"
#include "ui/win32/frm_splash.h"

#include <commctrl.h>

namespace ui::win32 {

bool TakeDialogKey(MSG& message) {
  frmGridref* gridref = frmGridref::Current();
  if (!gridref) return false;
  return gridref->TakeAccessKey(message) || IsDialogMessageW(gridref->Handle(), &message);
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
