// Which Qt platform to run on, decided before the QApplication exists. On a
// Wayland desktop the windows would lose their designed frames (a title bar
// on the title window) and their positions (a Wayland client cannot place
// its windows), so the program runs on X11 wherever an X server is
// reachable — on a Wayland desktop that is XWayland — unless the user chose.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ui {

struct PlatformEnvironment {
  std::optional<std::string> qpaPlatform;    // QT_QPA_PLATFORM
  std::optional<std::string> display;        // DISPLAY
  std::optional<std::string> waylandDisplay; // WAYLAND_DISPLAY
};

// The platform to ask Qt for, or none to leave Qt's own choice (the user's
// QT_QPA_PLATFORM or -platform, a Wayland session without XWayland, no
// display at all). `xServerReachable` answers for a DISPLAY value.
std::optional<std::string>
ChooseQtPlatform(const PlatformEnvironment& env, std::span<const std::string_view> arguments,
                 const std::function<bool(std::string_view display)>& xServerReachable);

// Whether the X server of a DISPLAY value takes connections: for a local
// display, its socket in /tmp/.X11-unix (or the abstract socket of that
// name) accepts one; a remote one is taken on trust.
bool XServerReachable(std::string_view display);
bool XServerReachableIn(std::string_view display, const std::string& socketDirectory);

// Whether a local X server of a DISPLAY value takes connections; a remote
// one cannot be told.
bool LocalXServerAnswers(std::string_view display);

// The one line the program ends with when Qt could start none of the
// platforms it was asked for, saying what is missing. `env` and `arguments`
// are what Qt was started with; `qtMessage` is Qt's own report, which names
// the platform plugins it has. `xServerAnswers` tells a plugin that failed
// to load from a display that is not there.
std::string NoDisplayLine(const PlatformEnvironment& env,
                          std::span<const std::string_view> arguments, std::string_view qtMessage,
                          const std::function<bool(std::string_view display)>& xServerAnswers);

PlatformEnvironment CurrentPlatformEnvironment();

} // namespace ui
