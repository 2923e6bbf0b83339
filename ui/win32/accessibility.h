// What a screen reader meets beyond the system's own reading of the controls.
#pragma once

#include "ui/win32/win32_support.h"

#include <oleauto.h>

#include <string_view>

struct IRawElementProviderSimple;

namespace ui::win32 {

// The window (a label) keeps its text as its accessible name (what a screen
// reader reads) unless given one, and gets this description (what the text
// is, or what to do). The system's own object answers everything else.
void DescribeToScreenReaders(HWND window, std::string_view description, std::string_view name = {});

// The UI Automation notification of Windows 10 (1709), looked up at run time
// like the DPI functions: a load-time import would stop the program on
// Windows 7. Where one is missing, nothing is raised.
struct NotificationFunctions {
  BOOL(WINAPI* clientsAreListening)() = nullptr;
  HRESULT(WINAPI* hostProviderFromHwnd)(HWND, IRawElementProviderSimple**) = nullptr;
  // The provider, NotificationKind, NotificationProcessing, the text and the
  // activity.
  HRESULT(WINAPI* raiseNotificationEvent)
  (IRawElementProviderSimple*, int, int, BSTR, BSTR) = nullptr;
  BSTR(WINAPI* sysAllocString)(const OLECHAR*) = nullptr;
  void(WINAPI* sysFreeString)(BSTR) = nullptr;
};
// Looked up at the first announcement; a test stands in for the system here.
NotificationFunctions& Notifications();

// Has a screen reader say the text, politely, wherever the focus is: the
// window (a label) need not have it.
void AnnounceToScreenReaders(HWND window, std::string_view text);

} // namespace ui::win32
