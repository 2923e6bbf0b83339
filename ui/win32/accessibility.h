// What a screen reader meets beyond the system's own reading of the controls.
#pragma once

#include "ui/win32/win32_support.h"

#include <string_view>

namespace ui::win32 {

// The window (a label) keeps its text as its accessible name (what a screen
// reader reads) unless given one, and gets this description (what the text
// is, or what to do). The system's own object answers everything else.
void DescribeToScreenReaders(HWND window, std::string_view description, std::string_view name = {});

} // namespace ui::win32
