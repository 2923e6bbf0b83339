// Opens the title window and runs the event loop; everything after that
// happens in the windows' handlers. The run ends when the conversion window
// ends it, or when the last window closes.
#include "ui/win32/event_loop.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*command*/,
                    int /*show*/) {
#ifndef _WIN64
  // The 32-bit program computes on SSE2 (this file alone is built without
  // it, so that an older processor hears why instead of faulting).
  if (!IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE)) {
    MessageBoxW(nullptr, L"This program needs a processor with SSE2.", L"3 x 3-Minute Quadrangler",
                MB_OK | MB_ICONERROR);
    return 1;
  }
#endif
  return ui::win32::RunProgram();
}
