// Opens the title window and runs the event loop; everything after that
// happens in the windows' handlers. The run ends when the conversion window
// ends it, or when the last window closes.
#include "ui/win32/event_loop.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*command*/,
                    int /*show*/) {
  return ui::win32::RunProgram();
}
