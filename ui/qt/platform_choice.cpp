#include "ui/qt/platform_choice.h"

#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ui {
namespace {

bool Present(const std::optional<std::string>& value) {
  return value.has_value() && !value->empty();
}

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

// An abstract socket, as XWayland and recent X servers also listen on.
bool AbstractSocketAccepts(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() + 1 >= sizeof address.sun_path) {
    close(fd);
    return false;
  }
  path.copy(address.sun_path + 1, path.size()); // leading NUL: abstract
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
  const bool accepted = connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
  close(fd);
  return accepted;
}

} // namespace

std::optional<std::string>
ChooseQtPlatform(const PlatformEnvironment& env, std::span<const std::string_view> arguments,
                 const std::function<bool(std::string_view display)>& xServerReachable) {
  if (Present(env.qpaPlatform)) return std::nullopt;
  for (std::string_view argument : arguments)
    if (argument == "-platform" || argument == "--platform") return std::nullopt;
  if (Present(env.display) && xServerReachable(*env.display)) return "xcb";
  return std::nullopt;
}

bool XServerReachable(std::string_view display) {
  // [host]:number[.screen]; "unix:" and an empty host are local.
  const std::size_t colon = display.rfind(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view host = display.substr(0, colon);
  std::string_view number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  if (!host.empty() && host != "unix") return true;
  const std::string socket = "/tmp/.X11-unix/X" + std::string(number);
  std::error_code error;
  return std::filesystem::exists(socket, error) || AbstractSocketAccepts(socket);
}

PlatformEnvironment CurrentPlatformEnvironment() {
  return {Variable("QT_QPA_PLATFORM"), Variable("DISPLAY"), Variable("WAYLAND_DISPLAY")};
}

} // namespace ui
