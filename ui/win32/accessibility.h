// What a screen reader meets beyond the system's own reading of the controls.
#pragma once

#include "ui/win32/win32_support.h"

#include <string_view>

namespace ui::win32 {

// The label keeps its text as its accessible name (what a screen reader
// reads) and gets this description (what the text is). The system's own
// object of the label answers everything else.
void DescribeToScreenReaders(HWND label, std::string_view description);

} // namespace ui::win32
