// Ending the program at once. Once decided, no handler of ours runs again:
// not the focus-outs of closing windows, not the code after the event loop.
#pragma once

namespace ui {

bool ProgramEnding();

// Marks the end, hides every window and leaves the event loop with status 0.
void EndProgram();

// Deletes every remaining window, once the event loop has ended.
void DeleteAllWindows();

// For a fresh window in the same process (tests, the soak).
void ResetProgramEnd();

} // namespace ui
