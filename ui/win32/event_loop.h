// The run's event loop and the key handling it gives the conversion window:
// the keyboard of a dialog on a plain top-level window.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace ui::win32 {

// Takes the message when it is one of the conversion window's dialog keys
// (Tab, Enter, Escape, access keys); then it must not be dispatched again.
bool TakeDialogKey(MSG& message);

// Opens the title window and runs until the run ends; the exit status.
int RunProgram();

} // namespace ui::win32
