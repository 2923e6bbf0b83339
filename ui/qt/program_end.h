// Ending the program at once. Once decided (ProgramEnding()), no handler of
// ours runs again: not the focus-outs of closing windows, not the code after
// the event loop.
#pragma once

#include "ui/shared/conversion_window.h"

namespace ui {

// Hides every window and leaves the event loop with status 0.
void CloseAllWindows();

// Deletes every remaining window, once the event loop has ended.
void DeleteAllWindows();

} // namespace ui
