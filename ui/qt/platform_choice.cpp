#include "ui/qt/platform_choice.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace ui {
namespace {

// A variable's text, empty where it is not set.
std::string_view Text(const std::optional<std::string>& value) {
  return value ? std::string_view(*value) : std::string_view();
}

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

// A Unix socket that takes a connection; a socket file left behind by an X
// server that is gone refuses it. Abstract names start with a NUL.
bool SocketAccepts(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (offset + path.size() + 1 > sizeof address.sun_path) return false;
  path.copy(address.sun_path + offset, path.size());
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool accepted = connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
  close(fd);
  return accepted;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(separator, at), text.size());
    if (end > at) parts.push_back(text.substr(at, end - at));
    at = end + separator.size();
  }
  return parts;
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// Why one platform of Qt's could not start; `available` is empty when Qt
// did not say which it has.
std::string Reason(std::string_view platform, const PlatformEnvironment& env,
                   const std::vector<std::string_view>& available,
                   const std::function<bool(std::string_view display)>& xServerAnswers) {
  if (!available.empty() &&
      std::find(available.begin(), available.end(), platform) == available.end()) {
    std::string names;
    for (std::string_view name : available)
      names += (names.empty() ? "" : ", ") + std::string(name);
    return "Qt has no platform " + Quoted(platform) + " (it has " + names + ")";
  }
  if (platform == "xcb") {
    const std::string_view display = Text(env.display);
    if (display.empty()) return "DISPLAY is not set";
    if (xServerAnswers(display))
      return "the Qt platform plugin \"xcb\" could not be loaded, though the X display " +
             Quoted(display) + " answers (QT_DEBUG_PLUGINS=1 shows why)";
    return "the X display " + Quoted(display) + " does not answer";
  }
  if (platform.substr(0, 7) == "wayland")
    return "no Wayland compositor answers at " +
           Quoted(Text(env.waylandDisplay).empty() ? "wayland-0" : Text(env.waylandDisplay));
  return "the Qt platform " + Quoted(platform) + " did not start";
}

} // namespace

std::optional<std::string>
ChooseQtPlatform(const PlatformEnvironment& env, std::span<const std::string_view> arguments,
                 const std::function<bool(std::string_view display)>& xServerReachable) {
  if (!Text(env.qpaPlatform).empty()) return std::nullopt;
  for (std::string_view argument : arguments)
    if (argument == "-platform" || argument == "--platform") return std::nullopt;
  if (!Text(env.display).empty() && xServerReachable(Text(env.display))) return "xcb";
  return std::nullopt;
}

bool XServerReachable(std::string_view display) {
  return XServerReachableIn(display, "/tmp/.X11-unix");
}

bool LocalXServerAnswers(std::string_view display) {
  const std::string_view host = display.substr(0, display.rfind(':'));
  return (host.empty() || host == "unix") && XServerReachable(display);
}

bool XServerReachableIn(std::string_view display, const std::string& socketDirectory) {
  // [host]:number[.screen]; "unix:" and an empty host are local.
  const std::size_t colon = display.rfind(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view host = display.substr(0, colon);
  std::string_view number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  if (!host.empty() && host != "unix") return true;
  const std::string socket = socketDirectory + "/X" + std::string(number);
  return SocketAccepts(socket, false) || SocketAccepts(socket, true);
}

std::string NoDisplayLine(const PlatformEnvironment& env,
                          std::span<const std::string_view> arguments, std::string_view qtMessage,
                          const std::function<bool(std::string_view display)>& xServerAnswers) {
  // Qt takes -platform over QT_QPA_PLATFORM; either may list several
  // platforms to try, each with options after a colon.
  std::string_view requested;
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
    if (arguments[i] == "-platform" || arguments[i] == "--platform") requested = arguments[i + 1];
  if (requested.empty()) requested = Text(env.qpaPlatform);

  constexpr std::string_view kListed = "Available platform plugins are: ";
  std::vector<std::string_view> available;
  if (const std::size_t at = qtMessage.find(kListed); at != std::string_view::npos) {
    std::string_view list = qtMessage.substr(at + kListed.size());
    list = list.substr(0, list.find_first_of(".\n"));
    available = Split(list, ", ");
  }

  std::string reasons;
  const auto add = [&](std::string_view platform, const std::vector<std::string_view>& known) {
    reasons += (reasons.empty() ? "" : ", and ") + Reason(platform, env, known, xServerAnswers);
  };
  if (!requested.empty()) {
    for (std::string_view platform : Split(requested, ";"))
      add(platform.substr(0, platform.find(':')), available);
  } else if (Text(env.display).empty() && Text(env.waylandDisplay).empty()) {
    reasons = "neither DISPLAY nor WAYLAND_DISPLAY is set";
  } else {
    // Qt's own choice: Wayland first where a compositor is named, then X11.
    if (!Text(env.waylandDisplay).empty()) add("wayland", {});
    add("xcb", {});
  }
  return "quadrangler: cannot open a window: " + reasons;
}

PlatformEnvironment CurrentPlatformEnvironment() {
  return {Variable("QT_QPA_PLATFORM"), Variable("DISPLAY"), Variable("WAYLAND_DISPLAY")};
}

} // namespace ui
