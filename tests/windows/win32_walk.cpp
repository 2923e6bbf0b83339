// A seeded random walk of user events over the real Win32 windows, in this
// process: keys and clicks go through SendInput and the program's own loop
// with its dialog keys; a second thread answers the boxes the same way. After
// every event what must always hold is checked (the same properties as the
// Qt walk). Replay with SOAK_SEED and SOAK_EVENTS as printed.
#include "ui/shared/conversion_window.h"
#include "ui/win32/event_loop.h"
#include "ui/win32/frm_gridref.h"
#include "ui/win32/frm_splash.h"

#include "walk_properties.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using gridref::testing::WalkProperties;
using gridref::testing::WindowState;
using ui::win32::frmGridref;

const bool verbose = std::getenv("SOAK_VERBOSE") != nullptr;
constexpr int kIdleMs = 3; // the queue stays empty this long: the event is handled

std::mutex propertiesMutex;
WalkProperties* properties = nullptr;
DWORD uiThread = 0;
std::string failure;      // the first property broken, with the event
std::string convertError; // a Convert that the event should not have run
std::atomic<int> boxesAnswered{0};

// ---- input, as the system delivers it ----

void SendKey(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0)); // MAPVK_VK_TO_VSC
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

void Press(std::initializer_list<WORD> modifiers, WORD vk) {
  for (WORD m : modifiers)
    SendKey(m, false);
  SendKey(vk, false);
  SendKey(vk, true);
  for (auto m = modifiers.end(); m != modifiers.begin();)
    SendKey(*--m, true);
}

void TypeText(const std::string& text) {
  for (char c : text) {
    const SHORT scan = VkKeyScanW(static_cast<wchar_t>(c));
    if (scan == -1) continue;
    const auto vk = static_cast<WORD>(scan & 0xff);
    if (scan & 0x100)
      Press({VK_SHIFT}, vk);
    else
      Press({}, vk);
  }
}

void ClickAt(POINT at) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input[3]{};
  for (INPUT& i : input)
    i.type = INPUT_MOUSE;
  input[0].mi.dx = static_cast<LONG>((at.x * 65535 + width / 2) / (width - 1));
  input[0].mi.dy = static_cast<LONG>((at.y * 65535 + height / 2) / (height - 1));
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, input, sizeof input[0]);
}

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void PutOnClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    CopyMemory(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

// Runs the program's own loop until the input is handled; false once the
// run has posted its end.
bool Pump() {
  bool running = true;
  const auto start = std::chrono::steady_clock::now();
  do {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (verbose && std::chrono::steady_clock::now() - start > std::chrono::seconds(2))
        std::fprintf(stderr, "    busy: message 0x%x to %p\n", message.message,
                     static_cast<void*>(message.hwnd));
      if (message.message == WM_QUIT) {
        running = false;
        continue;
      }
      if (ui::win32::TakeDialogKey(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  } while (MsgWaitForMultipleObjectsEx(0, nullptr, kIdleMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
           WAIT_TIMEOUT);
  return running;
}

// ---- what the windows show ----

std::wstring TextOf(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return text;
}

std::string Narrow(const std::wstring& wide) {
  return {wide.begin(), wide.end()}; // the walk types ASCII only
}

bool IsOpen(HWND window) {
  return window && IsWindow(window) && IsWindowVisible(window);
}

frmGridref* OpenGridref() {
  frmGridref* window = frmGridref::Current();
  return window && IsOpen(window->Handle()) ? window : nullptr;
}

WindowState StateOf(const frmGridref& window) {
  WindowState state;
  for (std::size_t i = 0; i < state.fields.size(); ++i)
    state.fields[i] = Narrow(TextOf(window.Control(gridref::testing::kFieldNames[i])));
  state.label = Narrow(TextOf(window.Control("lblGridRef")));
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(uiThread, &info);
  for (const ui::ControlLayout& control : ui::kGridrefLayout.controls) {
    const HWND hwnd = window.Control(control.name);
    if (hwnd == info.hwndFocus) state.focus = control.name;
    if (control.kind == ui::ControlKind::Button &&
        (SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED))
      state.pressedButtons.emplace_back(control.name);
  }
  return state;
}

struct WindowSearch {
  const wchar_t* className; // any class when null
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM search) {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (IsWindowVisible(hwnd) && (!s->className || lstrcmpiW(cls, s->className) == 0))
    s->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> VisibleWindows(const wchar_t* className) {
  WindowSearch search{className, {}};
  EnumThreadWindows(uiThread, CollectVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Sees every Convert as the window receives it, with the texts it reads.
LRESULT CALLBACK WatchConvert(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  const frmGridref* window = frmGridref::Current();
  if (code == HC_ACTION && window && sent->hwnd == window->Handle() &&
      sent->message == WM_COMMAND && HIWORD(sent->wParam) == BN_CLICKED &&
      LOWORD(sent->wParam) == GetDlgCtrlID(window->Control("cmdConvert")) && !ui::ProgramEnding()) {
    const WindowState state = StateOf(*window);
    std::lock_guard lock(propertiesMutex);
    if (const std::string error = properties->Converted(state.fields); !error.empty())
      convertError = error;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string DecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 1) return ".";
  return Narrow(separator);
}

// ---- the walk ----

class Walk {
public:
  explicit Walk(unsigned seed) : rng_(seed), seed_(seed) {}

  // The number of events walked: all, unless something broke.
  int Run(int events);
  int runs = 0, boxes = 0, retries = 0;

private:
  // Both threads draw from the one generator, never at once: the walk's
  // thread waits inside the box while the other answers it.
  int Pick(int n) {
    std::lock_guard lock(rngMutex_);
    return std::uniform_int_distribution<int>(0, n - 1)(rng_);
  }
  void Start();
  void EndRun();
  void SplashEvent(HWND splash);
  void WindowEvent(frmGridref& window);
  void AnswerBoxes();
  bool Fail(const std::string& what) {
    if (failure.empty())
      failure = what + " at event " + std::to_string(event_) + " (seed " + std::to_string(seed_) +
                "): " + last_;
    return false;
  }

  std::mt19937 rng_;
  std::mutex rngMutex_;
  unsigned seed_;
  int event_ = 0;
  std::string last_;
  bool running_ = false;
  std::atomic<bool> stop_{false};
};

void Walk::Start() {
  ui::ResetProgramEnd();
  {
    std::lock_guard lock(propertiesMutex);
    properties->ProgramStarted();
  }
  ui::win32::frmSplash::Open();
  running_ = true;
  ++runs;
  Pump();
}

// Clears away what the ended run left: its hidden window.
void Walk::EndRun() {
  if (frmGridref* window = frmGridref::Current(); window && IsWindow(window->Handle()))
    DestroyWindow(window->Handle());
  Pump();
  running_ = false;
}

void Walk::SplashEvent(HWND splash) {
  HWND frame = GetWindow(splash, GW_CHILD);
  bool dismisses = false;
  if (Pick(2) == 0) {
    static const struct {
      WORD vk;
      const char* name;
      bool character;
    } keys[] = {{'A', "a", true},
                {'5', "5", true},
                {VK_SPACE, "Space", true},
                {VK_RETURN, "Enter", true},
                {VK_ESCAPE, "Escape", true},
                {VK_BACK, "Backspace", true},
                {VK_LEFT, "Left", false},
                {VK_F1, "F1", false},
                {VK_DELETE, "Delete", false},
                {VK_SHIFT, "Shift", false},
                {VK_CONTROL, "Ctrl", false}};
    const auto& k = keys[Pick(static_cast<int>(std::size(keys)))];
    last_ = std::string("splash key ") + k.name;
    Press({}, k.vk);
    dismisses = k.character;
  } else {
    std::vector<HWND> parts;
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      parts.push_back(child);
    const int choice = Pick(static_cast<int>(parts.size()) + 2);
    RECT r{};
    if (choice < static_cast<int>(parts.size())) {
      last_ = "splash click on " + Narrow(TextOf(parts[static_cast<std::size_t>(choice)])) +
              " (a picture or label)";
      ClickAt(CentreOf(parts[static_cast<std::size_t>(choice)]));
    } else if (choice == static_cast<int>(parts.size())) {
      last_ = "splash click on the frame";
      GetWindowRect(frame, &r);
      ClickAt({(r.left + r.right) / 2, r.bottom - 6});
      dismisses = true;
    } else {
      last_ = "splash click on the margin";
      GetWindowRect(splash, &r);
      ClickAt({r.left + 4, r.top + 4});
    }
  }
  Pump();
  if (verbose) std::fprintf(stderr, "  %s\n", last_.c_str());
  const bool gone = !IsWindow(splash);
  if (gone != dismisses) {
    Fail(dismisses ? "the splash stayed" : "the splash was dismissed");
    return;
  }
  if (gone && !OpenGridref()) Fail("no conversion window after the splash");
}

void Walk::WindowEvent(frmGridref& window) {
  const auto& texts = gridref::testing::kWalkTexts;
  const auto& controls = gridref::testing::kWalkControls;
  const std::string focus = StateOf(window).focus;
  const bool onExit = focus == "cmdExit", onConvert = focus == "cmdConvert";
  const bool onOtherButton = onExit || focus == "CmdClipboard"; // Enter presses that one
  const int kind = Pick(1000);
  auto announce = [&](std::string what, bool mayEnd, bool mayConvert = false) {
    last_ = std::move(what);
    std::lock_guard lock(propertiesMutex);
    properties->EventStarts(mayEnd, mayConvert);
  };
  if (kind < 380) {
    const std::string text = texts[Pick(static_cast<int>(std::size(texts)))];
    // Space presses a focused button.
    const bool space = text.find(' ') != std::string::npos;
    announce("type '" + text + "' on " + focus, onExit && space, onConvert && space);
    TypeText(text);
  } else if (kind < 400) {
    std::wstring paste;
    for (int i = 0; i < 1024; ++i)
      paste += L"0123456789.,-+ aZ"[Pick(17)];
    announce("paste 1 kB on " + focus, false);
    PutOnClipboard(paste);
    Press({VK_CONTROL}, 'V');
  } else if (kind < 520) {
    announce("Tab from " + focus, false);
    Press({}, VK_TAB);
  } else if (kind < 580) {
    announce("Shift+Tab from " + focus, false);
    Press({VK_SHIFT}, VK_TAB);
  } else if (kind < 660) {
    announce("Enter on " + focus, onExit, !onOtherButton);
    Press({}, VK_RETURN);
  } else if (kind < 700) {
    announce("Backspace on " + focus, false);
    Press({}, VK_BACK);
  } else if (kind < 710) {
    announce("Escape", true);
    Press({}, VK_ESCAPE);
  } else if (kind < 720) {
    announce("Alt+X", true);
    Press({VK_MENU}, 'X');
  } else if (kind < 730) {
    static const WORD letters[] = {'C', 'E', 'R', 'F', 'T'};
    const WORD letter = letters[Pick(5)];
    announce(std::string("Alt+") + static_cast<char>(letter), false);
    Press({VK_MENU}, letter);
  } else if (kind < 732) {
    announce("Alt+F4", true);
    Press({VK_MENU}, VK_F4);
  } else if (kind < 745) {
    RECT client{};
    GetClientRect(window.Handle(), &client);
    POINT at{client.right / 2, client.bottom - 4}; // below the buttons, left of Exit
    at.x = 8;
    ClientToScreen(window.Handle(), &at);
    announce("click on the window's surface", false);
    ClickAt(at);
  } else {
    // Exit is clicked far less often than the rest, so that runs get long.
    const int n = Pick(100) == 0 ? static_cast<int>(std::size(controls))
                                 : static_cast<int>(std::size(controls)) - 1;
    const std::string name = controls[Pick(n)];
    announce("click " + name + " from " + focus, name == "cmdExit", name == "cmdConvert");
    ClickAt(CentreOf(window.Control(name)));
  }
  const int boxesBefore = boxesAnswered;
  bool stillRunning = Pump();
  // After a box the window is activated again by the window manager, some
  // time after the box has gone: what the user then sees is what counts.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (stillRunning && boxesAnswered != boxesBefore && !ui::ProgramEnding() &&
         StateOf(window).focus.empty() && std::chrono::steady_clock::now() < deadline)
    stillRunning = Pump();
  if (verbose) std::fprintf(stderr, "  %s\n", last_.c_str());
  std::string error;
  const bool ended = !stillRunning || ui::ProgramEnding();
  {
    std::lock_guard lock(propertiesMutex);
    error = ended ? properties->CheckEnded(static_cast<int>(VisibleWindows(nullptr).size()))
                  : properties->CheckWindow(StateOf(window));
  }
  if (!error.empty()) Fail(error);
  if (!convertError.empty()) Fail(std::exchange(convertError, ""));
  if (ended) EndRun();
}

// On its own thread: answers each box as soon as it is the active window,
// by the keys or the click a user would give.
void Walk::AnswerBoxes() {
  HWND answered = nullptr;
  bool answeredRetry = false;
  int attempts = 0;
  auto answeredAt = std::chrono::steady_clock::now();
  while (!stop_) {
    const std::vector<HWND> open = VisibleWindows(L"#32770");
    if (!open.empty() && open.front() == answered &&
        std::chrono::steady_clock::now() - answeredAt > std::chrono::seconds(2)) {
      // On a loaded machine a key can reach the box before its buttons do:
      // the same answer again, by keys that do not depend on its focus.
      if (++attempts == 4) {
        Fail("a box did not take its answer");
        PostMessageW(answered, WM_COMMAND, IDRETRY, 0);
      } else if (answeredRetry) {
        Press({VK_MENU}, 'R');
      } else {
        Press({}, VK_ESCAPE);
      }
      answeredAt = std::chrono::steady_clock::now();
    }
    if (open.empty() || open.front() == answered) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    // Keys go to the active window: wait until the box is.
    const HWND box = open.front();
    const int roll = Pick(20);
    const bool retry = roll >= 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (GetForegroundWindow() != box && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    answered = box;
    answeredRetry = retry;
    attempts = 0;
    ++boxesAnswered;
    answeredAt = std::chrono::steady_clock::now();
    if (verbose) std::fprintf(stderr, "    box: answered by roll %d\n", roll);
    if (GetForegroundWindow() != box) {
      Fail("a box never became the active window");
      PostMessageW(box, WM_COMMAND, IDRETRY, 0);
      continue;
    }
    frmGridref* window = frmGridref::Current();
    {
      std::lock_guard lock(propertiesMutex);
      ++boxes;
      retries += retry;
      const std::string error =
          properties->BoxAnswering(retry, static_cast<int>(open.size()), StateOf(*window));
      if (!error.empty()) Fail(error);
    }
    // By the keys a user would press: the box's buttons sit where the
    // window manager put the box, which its Win32 rectangle learns late.
    if (roll == 0) {
      Press({}, VK_ESCAPE);
    } else if (roll == 1) {
      Press({}, VK_TAB); // from Retry to Cancel
      Press({}, VK_SPACE);
    } else if (roll < 12) {
      Press({}, VK_RETURN); // Retry is the default
    } else {
      Press({VK_MENU}, 'R'); // "&Retry"
    }
  }
}

int Walk::Run(int events) {
  std::thread answerer([this] { AnswerBoxes(); });
  Start();
  for (event_ = 1; event_ <= events && failure.empty(); ++event_) {
    if (!running_) Start();
    const HWND splash = FindWindowW(L"QuadranglerSplash", nullptr);
    if (verbose) std::fprintf(stderr, "event %d\n", event_);
    if (IsOpen(splash)) {
      SplashEvent(splash);
    } else if (frmGridref* window = OpenGridref()) {
      WindowEvent(*window);
    } else {
      Fail("neither window is open");
    }
  }
  stop_ = true;
  answerer.join();
  if (running_) {
    if (frmGridref* window = OpenGridref()) DestroyWindow(window->Handle());
    if (const HWND splash = FindWindowW(L"QuadranglerSplash", nullptr)) DestroyWindow(splash);
    Pump();
  }
  return event_ - 1;
}

unsigned SeedFromEnvironment() {
  const char* seed = std::getenv("SOAK_SEED");
  if (seed && std::string(seed) == "random") return std::random_device{}();
  return seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261209u;
}

TEST(Win32Walk, WhatMustHoldHoldsAfterEveryEvent) {
  const unsigned seed = SeedFromEnvironment();
  const char* count = std::getenv("SOAK_EVENTS");
  const int events = count && std::atoi(count) > 0 ? std::atoi(count) : 10000;
  std::printf("walk: seed %u, %d events (replay: SOAK_SEED=%u SOAK_EVENTS=%d)\n", seed, events,
              seed, events);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  uiThread = GetCurrentThreadId();
  WalkProperties walkProperties(DecimalSeparator());
  properties = &walkProperties;
  const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchConvert, nullptr, uiThread);
  ASSERT_NE(hook, nullptr);
  Walk walk(seed);
  const auto start = std::chrono::steady_clock::now();
  const int walked = walk.Run(events);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(failure, "");
  std::printf("walk: %d events over %d runs, %d boxes, %d answered Retry, %.0f s\n", walked,
              walk.runs, walk.boxes, walk.retries, seconds);
}

} // namespace
