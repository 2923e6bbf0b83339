// Launches a program and reports how long until its first window is mapped
// on the X display, and its peak resident memory a moment later.
// Usage: map_watcher SETTLE_MS PROGRAM [ARGS...]; prints "MILLISECONDS KIB".
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

long PeakResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

} // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: map_watcher SETTLE_MS PROGRAM [ARGS...]\n");
    return 2;
  }
  const int settleMs = std::atoi(argv[1]);
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "map_watcher: no X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
  free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[2], nullptr, nullptr, argv + 2, environ) != 0) {
    std::fprintf(stderr, "map_watcher: cannot start %s\n", argv[2]);
    return 1;
  }
  double ms = -1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
    const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                        reinterpret_cast<xcb_map_notify_event_t*>(event)->event == root;
    free(event);
    if (mapped) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
      break;
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
  const long kib = PeakResidentKib(pid);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  xcb_disconnect(connection);
  if (ms < 0) return 1;
  std::printf("%.2f %ld\n", ms, kib);
  return 0;
}
