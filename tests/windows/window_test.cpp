// The live Win32 windows read back in-process: what a screen reader walks and
// names, and the layout at the process's DPI on both DPI paths. window_test.sh
// runs it once per DPI; the argument is the DPI the Wine prefix was set to.
#include "ui/shared/window_rules.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/event_loop.h"
#include "ui/win32/frm_gridref.h"
#include "ui/win32/frm_splash.h"
#include "ui/win32/win32_support.h"

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace ui;
using namespace ui::win32;

UINT expectedDpi = 0;

// Handles the messages queued within about this time; a closed splash's quit
// message is dropped, the test run goes on.
void Pump(DWORD milliseconds = 100) {
  const DWORD start = GetTickCount();
  MSG message{};
  do {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

bool IsClass(HWND hwnd, const wchar_t* name) {
  return lstrcmpiW(ClassOf(hwnd).c_str(), name) == 0;
}

std::wstring WithoutAmpersand(std::wstring text) {
  std::erase(text, L'&');
  return text;
}

// The children in Z order, each followed by its own: the order a screen
// reader walks them in, and the order of the layout table's rows.
void Walk(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    out.push_back(child);
    Walk(child, out);
  }
}

struct Search {
  const wchar_t* cls;
  HWND found;
};

BOOL CALLBACK FirstVisible(HWND hwnd, LPARAM search) {
  auto& s = *reinterpret_cast<Search*>(search);
  if (!IsWindowVisible(hwnd) || (s.cls && !IsClass(hwnd, s.cls))) return TRUE;
  s.found = hwnd;
  return FALSE;
}

// The thread's first visible top-level window, of this class if one is named.
HWND VisibleWindowOfThread(DWORD thread, const wchar_t* cls = nullptr) {
  Search search{cls, nullptr};
  EnumThreadWindows(thread, &FirstVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One of the two windows, opened as the program opens it, destroyed after.
class Opened {
public:
  explicit Opened(const WindowLayout& layout) : layout_(layout) {
    if (&layout == &kSplashLayout) {
      frmSplash::Open();
      hwnd_ = VisibleWindowOfThread(GetCurrentThreadId());
    } else {
      hwnd_ = frmGridref::Open()->Handle();
    }
    Pump();
    if (hwnd_) Walk(hwnd_, controls_);
  }
  ~Opened() {
    DestroyWindow(hwnd_);
    Pump();
  }
  Opened(const Opened&) = delete;
  Opened& operator=(const Opened&) = delete;

  HWND Handle() const { return hwnd_; }
  // The window's control of this row of its layout.
  HWND Control(std::size_t row) const { return row < controls_.size() ? controls_[row] : nullptr; }
  HWND Control(std::string_view name) const {
    return Control(
        static_cast<std::size_t>(&ControlNamed(layout_, name) - layout_.controls.data()));
  }
  std::size_t Count() const { return controls_.size(); }

private:
  const WindowLayout& layout_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;
};

// Takes the older systems' DPI path (no per-monitor functions) while alive.
class OlderSystemPath {
public:
  OlderSystemPath() { Dpi() = {}; }
  ~OlderSystemPath() { Dpi() = saved_; }
  OlderSystemPath(const OlderSystemPath&) = delete;
  OlderSystemPath& operator=(const OlderSystemPath&) = delete;

private:
  DpiFunctions saved_ = Dpi();
};

RECT RectInParent(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT ClientRect(HWND hwnd) {
  RECT rect{};
  GetClientRect(hwnd, &rect);
  return rect;
}

HFONT FontOf(HWND control) {
  return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

SIZE TextExtent(HWND control, const std::wstring& text) {
  const HDC dc = GetDC(control);
  const HFONT font = FontOf(control);
  const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return extent;
}

LONG FontHeight(HWND control) {
  LOGFONTW font{};
  return GetObjectW(FontOf(control), sizeof font, &font) ? font.lfHeight : 0;
}

// What oleacc gives for the control, by one of IAccessible's getters; empty
// where it gives nothing. __uuidof: MinGW's liboleacc.a resolves
// IID_IAccessible to a code thunk, not the GUID.
std::wstring Accessible(HWND hwnd, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                        LONG part = OBJID_CLIENT) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(part), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))))
    return {};
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  const bool given = (object->*get)(self, &text) == S_OK && text;
  object->Release();
  std::wstring out = given ? text : L"";
  SysFreeString(text);
  return out;
}

std::wstring AccessibleName(HWND hwnd, LONG part = OBJID_CLIENT) {
  return Accessible(hwnd, &IAccessible::get_accName, part);
}

// Types the text into the field as keys would, one character at a time.
void Type(HWND field, std::wstring_view text) {
  SetFocus(field);
  for (const wchar_t c : text)
    SendMessageW(field, WM_CHAR, c, 1);
}

// Fills the four fields and presses Convert.
void Convert(const Opened& window, const std::array<const wchar_t*, 4>& position) {
  const char* const fields[] = {"txtDegSouth", "txtMinSouth", "txtDegEast", "txtMinEast"};
  for (std::size_t i = 0; i < 4; ++i)
    SetWindowTextW(window.Control(fields[i]), position[i]);
  const HWND convert = window.Control("cmdConvert");
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(convert), BN_CLICKED),
               reinterpret_cast<LPARAM>(convert));
  Pump();
}

const WindowLayout* const kWindows[] = {&kSplashLayout, &kGridrefLayout};

std::string WindowName(const testing::TestParamInfo<const WindowLayout*>& info) {
  return std::string(info.param->name);
}

// --- What a screen reader sees -------------------------------------------

class ScreenReader : public testing::TestWithParam<const WindowLayout*> {};

TEST_P(ScreenReader, WalksTheControlsInTheLayoutsOrder) {
  const WindowLayout& layout = *GetParam();
  const Opened window(layout);
  ASSERT_EQ(window.Count(), layout.controls.size());
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlLayout& row = layout.controls[i];
    SCOPED_TRACE(std::string(row.name));
    const HWND control = window.Control(i);
    const wchar_t* cls = row.kind == ControlKind::TextBox  ? L"Edit"
                         : row.kind == ControlKind::Button ? L"Button"
                         : row.kind == ControlKind::Frame  ? nullptr // a window class of its own
                                                           : L"Static";
    if (cls) {
      EXPECT_TRUE(IsClass(control, cls)) << Utf8(ClassOf(control));
    }
    EXPECT_EQ(Utf8(WindowText(control)), row.caption);
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, ScreenReader, testing::ValuesIn(kWindows), WindowName);

// Windows names a field after the static created just before it, a button
// after its caption without the access key's ampersand.
struct Spoken {
  std::string_view control;
  const wchar_t* cls;
  const wchar_t* name;
};
constexpr Spoken kSpoken[] = {
    {"txtDegSouth", L"Edit", L"Degrees South:"},
    {"txtMinSouth", L"Edit", L"Minutes South:"},
    {"txtDegEast", L"Edit", L"Degrees East:"},
    {"txtMinEast", L"Edit", L"Minutes East:"},
    {"cmdConvert", L"Button", L"Convert"},
    {"CmdClipboard", L"Button", L"Copy to Clipboard"},
    {"cmdExit", L"Button", L"Exit"},
};

TEST(ScreenReaderNames, EachFieldAfterItsLabelEachButtonByItsCaption) {
  const Opened window(kGridrefLayout);
  for (const Spoken& spoken : kSpoken) {
    SCOPED_TRACE(std::string(spoken.control));
    const HWND control = window.Control(spoken.control);
    ASSERT_TRUE(control);
    EXPECT_TRUE(IsClass(control, spoken.cls)) << Utf8(ClassOf(control));
    const bool field = lstrcmpiW(spoken.cls, L"Edit") == 0;
    const HWND namer = field ? GetWindow(control, GW_HWNDPREV) : control;
    if (field) {
      EXPECT_TRUE(IsClass(namer, L"Static")) << Utf8(ClassOf(namer));
    }
    EXPECT_EQ(WithoutAmpersand(WindowText(namer)), spoken.name);
    EXPECT_EQ(AccessibleName(control), spoken.name);
  }
}

// The refused entry's box, as read from a second thread while it is open.
struct BoxSeen {
  std::wstring cls, title;
  std::vector<std::pair<std::wstring, std::wstring>> children; // class, text
  std::wstring retry, cancel;
};

BoxSeen AnswerRetryOnceOpen(DWORD thread, const std::atomic<bool>& stop) {
  BoxSeen seen;
  while (!stop) {
    if (const HWND box = VisibleWindowOfThread(thread, L"#32770")) {
      seen.cls = ClassOf(box);
      seen.title = WindowText(box);
      std::vector<HWND> children;
      Walk(box, children);
      for (const HWND child : children)
        seen.children.emplace_back(ClassOf(child), WindowText(child));
      seen.retry = WindowText(GetDlgItem(box, IDRETRY));
      seen.cancel = WindowText(GetDlgItem(box, IDCANCEL));
      // Retry: Cancel would end the run.
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDRETRY, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, IDRETRY)));
      break;
    }
    Sleep(20);
  }
  return seen;
}

TEST(ScreenReaderNames, TheRefusedEntrysBoxIsTheSystemsWithItsPromptAndButtons) {
  const Opened window(kGridrefLayout);
  const HWND degSouth = window.Control("txtDegSouth");
  std::atomic<bool> stop = false;
  BoxSeen seen;
  std::thread answerer(
      [&, thread = GetCurrentThreadId()] { seen = AnswerRetryOnceOpen(thread, stop); });
  SetWindowTextW(degSouth, L"5");
  SetFocus(window.Control("txtMinSouth")); // the check runs, and its box, in here
  Pump();
  stop = true;
  answerer.join();

  EXPECT_EQ(seen.cls, L"#32770");
  EXPECT_EQ(seen.title, L"SA Limits?");
  const std::pair<std::wstring, std::wstring> prompt{L"Static",
                                                     L"This Grid is not in Southern Africa!"};
  bool promptFound = false;
  for (const auto& [cls, text] : seen.children)
    promptFound |= lstrcmpiW(cls.c_str(), prompt.first.c_str()) == 0 && text == prompt.second;
  EXPECT_TRUE(promptFound);
  EXPECT_EQ(WithoutAmpersand(seen.retry), L"Retry");
  EXPECT_EQ(WithoutAmpersand(seen.cancel), L"Cancel");
  // Retry empties the field and gives it the focus again.
  EXPECT_EQ(WindowText(degSouth), L"");
  EXPECT_EQ(GetFocus(), degSouth);
}

// The result is what a screen reader reads (the label's name, as Windows
// names a static by its text), with what it is as its description, and a
// name change announced on every Convert, even to the same text.
HWND watchedLabel = nullptr;
int nameChanges = 0;
void CALLBACK CountNameChanges(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                               DWORD) {
  if (hwnd == watchedLabel && object == OBJID_CLIENT && child == CHILDID_SELF) ++nameChanges;
}

TEST(ScreenReaderNames, TheResultIsReadAndAnnouncedOnEachConvert) {
  const Opened window(kGridrefLayout);
  watchedLabel = window.Control("lblGridRef");
  nameChanges = 0;
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, CountNameChanges,
                      GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  for (int converts = 1; converts <= 2; ++converts) {
    Convert(window, {L"26", L"14", L"28", L"29"});
    EXPECT_EQ(nameChanges, converts);
  }
  UnhookWinEvent(hook);
  EXPECT_EQ(AccessibleName(watchedLabel), L"2628AB25");
  EXPECT_EQ(Accessible(watchedLabel, &IAccessible::get_accDescription), L"Grid reference");
}

// On Windows 10 (1709) and later a UI Automation notification says the
// result too, wherever the focus is: the system's functions, as found, with
// stand-ins that record what is raised and whether a client listens.
struct Raised {
  bool provider;
  int kind, processing;
  std::wstring text, activity;
  bool operator==(const Raised&) const = default;
};
void PrintTo(const Raised& r, std::ostream* out) {
  *out << (r.provider ? "" : "no provider, ") << "kind " << r.kind << ", processing "
       << r.processing << ", " << testing::PrintToString(r.text) << ", "
       << testing::PrintToString(r.activity);
}
std::vector<Raised> raised;
BOOL clientsListening = TRUE;
BOOL WINAPI StandInListening() {
  return clientsListening;
}
HRESULT WINAPI StandInProvider(HWND hwnd, IRawElementProviderSimple** provider) {
  // Any object will do: only released.
  return CreateStdAccessibleObject(hwnd, OBJID_CLIENT, IID_IUnknown,
                                   reinterpret_cast<void**>(provider));
}
HRESULT WINAPI RecordNotification(IRawElementProviderSimple* provider, int kind, int processing,
                                  BSTR text, BSTR activity) {
  raised.push_back(
      {provider != nullptr, kind, processing, text ? text : L"", activity ? activity : L""});
  return S_OK;
}

TEST(ScreenReaderNames, TheResultIsSaidWhereverTheFocusIsOnEachConvert) {
  const NotificationFunctions found = Notifications();
  // ActionCompleted (2), MostRecent (3): polite, the newest of the activity.
  const Raised result{true, 2, 3, L"2628AB25", L"Quadrangler.GridReference"};
  struct Case {
    const char* system;
    bool listening, raise;
    std::vector<Raised> expected;
  } cases[] = {
      {"Windows 10 1709 and later, a screen reader running", true, true, {result, result}},
      {"no UI Automation client listening", false, true, {}},
      {"before Windows 10 1709: no notification to raise", true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.system);
    const Opened window(kGridrefLayout);
    raised.clear();
    clientsListening = c.listening;
    Notifications() = {&StandInListening, &StandInProvider, c.raise ? &RecordNotification : nullptr,
                       found.sysAllocString, found.sysFreeString};
    Convert(window, {L"26", L"14", L"28", L"29"});
    Convert(window, {L"26", L"14", L"28", L"29"});
    Notifications() = found;
    EXPECT_EQ(raised, c.expected);
  }
}

TEST(ScreenReaderNames, TheTitleWindowSaysWhatItIsAndWhatToDo) {
  const Opened window(kSplashLayout);
  for (const LONG part : {OBJID_WINDOW, OBJID_CLIENT}) {
    SCOPED_TRACE(part == OBJID_WINDOW ? "window" : "client");
    EXPECT_EQ(AccessibleName(window.Handle(), part), L"3 x 3-Minute Quadrangler");
    EXPECT_EQ(Accessible(window.Handle(), &IAccessible::get_accDescription, part),
              L"Press Enter to continue.");
  }
}

// --- Presses ---------------------------------------------------------------

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"(the clipboard could not be opened)";
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void PutOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  CopyMemory(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

// How a control of the window is pressed: by its own command, as a click
// sends it, or by a key through the program's loop to the focused field.
struct Press {
  std::string tag;
  std::size_t row;
  UINT message = 0; // 0: the row's command; else WM_KEYDOWN or WM_SYSCHAR
  WPARAM key = 0;
};
void PrintTo(const Press& press, std::ostream* out) {
  *out << press.tag;
}

std::size_t RowWhere(bool (*holds)(const ControlLayout&)) {
  for (std::size_t row = 0; row < kGridrefLayout.controls.size(); ++row)
    if (holds(kGridrefLayout.controls[row])) return row;
  return kNoRow;
}

std::vector<Press> Presses() {
  std::vector<Press> presses;
  for (std::size_t row = 0; row < kGridrefLayout.controls.size(); ++row) {
    const ControlLayout& control = kGridrefLayout.controls[row];
    if (control.kind != ControlKind::Button) continue;
    presses.push_back({std::string(control.name) + "_Command", row});
    if (const AccessKey access = AccessKeyOf(control.caption); access.key != 0)
      presses.push_back({std::string(control.name) + "_AltKey", row, WM_SYSCHAR,
                         static_cast<WPARAM>(access.key)});
  }
  presses.push_back({"Escape", RowWhere([](const ControlLayout& c) { return c.isCancel; }),
                     WM_KEYDOWN, VK_ESCAPE});
  presses.push_back({"EnterInAField", RowWhere([](const ControlLayout& c) { return c.isDefault; }),
                     WM_KEYDOWN, VK_RETURN});
  return presses;
}

class Pressed : public testing::TestWithParam<Press> {};

// Each press reaches the behaviour as its row's role, and no other role:
// Convert shows the entry's reference, Copy puts the label's text on the
// clipboard, Exit ends the run.
TEST_P(Pressed, DoesWhatItsRowsRoleDoes) {
  const Press& press = GetParam();
  ASSERT_NE(press.row, kNoRow);
  const Role role = kGridrefLayout.controls[press.row].role;
  PutOnClipboard(L"held before");
  {
    const Opened window(kGridrefLayout);
    const HWND result = window.Control(RowOf(kGridrefLayout, Role::Result));
    const std::array<const wchar_t*, 4> entry = {L"26", L"14", L"28", L"29"};
    for (std::size_t i = 0; i < entry.size(); ++i)
      SetWindowTextW(window.Control(RowOf(kGridrefLayout, gridref::kAllEntryFields[i])), entry[i]);
    SetWindowTextW(result, L"shown before");
    const HWND field = window.Control(RowOf(kGridrefLayout, gridref::EntryField::txtDegSouth));
    SetFocus(field);
    Pump();
    if (press.message == 0) {
      const HWND button = window.Control(press.row);
      SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    } else {
      MSG key{field, press.message, press.key, 1, GetTickCount(), {}};
      ASSERT_TRUE(ui::win32::TakeDialogKey(key));
    }
    Pump();
    EXPECT_EQ(WindowText(result), role == Role::Convert ? L"2628AB25" : L"shown before");
    EXPECT_EQ(ClipboardText(), role == Role::Copy ? L"shown before" : L"held before");
    EXPECT_EQ(ProgramEnding(), role == Role::Exit);
    EXPECT_EQ(IsWindowVisible(window.Handle()) != FALSE, role != Role::Exit);
  }
  ResetProgramEnd(); // for the windows of the tests after
}

INSTANTIATE_TEST_SUITE_P(Gridref, Pressed, testing::ValuesIn(Presses()),
                         [](const testing::TestParamInfo<Press>& info) { return info.param.tag; });

// --- Fields ----------------------------------------------------------------

// The character at the left edge of the field's text.
int FirstVisibleCharacter(HWND field) {
  RECT text{};
  SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  const LRESULT at = SendMessageW(field, EM_CHARFROMPOS, 0,
                                  MAKELPARAM(text.left + 1, (text.top + text.bottom) / 2));
  return LOWORD(at);
}

// Typed past its width, a field scrolls; left, it shows its text from the
// start, so that the entry can be checked by eye, and as much of it as fits.
TEST(Fields, ALeftFieldShowsItsTextFromTheStart) {
  const Opened window(kGridrefLayout);
  const HWND field = window.Control("txtDegSouth");
  Type(field, L"14.253");
  Pump();
  ASSERT_GT(FirstVisibleCharacter(field), 0) << "the text fits: nothing to scroll";
  SetFocus(window.Control("txtMinSouth"));
  Pump();
  EXPECT_EQ(FirstVisibleCharacter(field), 0);
  EXPECT_EQ(WindowText(field), L"14.253");
  // Its text takes the whole field, but for a pixel each side at most: no
  // inner margins (the font's would be 3 pixels each side at 96 dpi).
  RECT text{};
  SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_GE(text.right - text.left, ClientRect(field).right - 2);
}

// --- The layout at this DPI, on both DPI paths ----------------------------

// Takes the desktop's message font at this size while alive, as a desktop
// whose usual font is larger than the one the layout was drawn for.
float desktopFontPoints = 0;
BOOL WINAPI WithDesktopFont(UINT action, UINT size, PVOID data, UINT flags) {
  const BOOL got = SystemParametersInfoW(action, size, data, flags);
  if (got && action == SPI_GETNONCLIENTMETRICS)
    static_cast<NONCLIENTMETRICSW*>(data)->lfMessageFont.lfHeight =
        -static_cast<LONG>(std::lround(desktopFontPoints * static_cast<float>(expectedDpi) / 72));
  return got;
}
class DesktopFont {
public:
  explicit DesktopFont(float points) {
    desktopFontPoints = points;
    Settings().systemParametersInfo = &WithDesktopFont;
  }
  ~DesktopFont() { Settings() = {}; }
  DesktopFont(const DesktopFont&) = delete;
  DesktopFont& operator=(const DesktopFont&) = delete;
};

struct Case {
  const WindowLayout* window;
  bool olderPath;
  float desktopFontPoints = 0; // 0: as the system has it
};

class Layout : public testing::TestWithParam<Case> {};

// The widest grid reference a valid entry gives: lblGridRef starts empty.
constexpr wchar_t kWidestReference[] = L"3636DD25";

TEST_P(Layout, AsTheTwipsSayAtTheDpi) {
  const WindowLayout& layout = *GetParam().window;
  std::optional<OlderSystemPath> older;
  if (GetParam().olderPath) older.emplace();
  std::optional<DesktopFont> desktopFont;
  if (GetParam().desktopFontPoints > 0) desktopFont.emplace(GetParam().desktopFontPoints);
  const Opened window(layout);
  const int dpi = static_cast<int>(expectedDpi);
  ASSERT_EQ(WindowDpi(window.Handle()), expectedDpi);
  ASSERT_EQ(window.Count(), layout.controls.size());

  const RECT client = ClientRect(window.Handle());
  EXPECT_EQ(client.right, TwipsToPixels(layout.clientWidth, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(layout.clientHeight, dpi));

  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlLayout& row = layout.controls[i];
    SCOPED_TRACE(std::string(row.name));
    const HWND control = window.Control(i);
    const RECT rect = RectInParent(control);
    const RECT parent = ClientRect(GetParent(control));
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.right, parent.right);
    EXPECT_LE(rect.bottom, parent.bottom);
    if (!row.sizesItself) {
      // Within a pixel: the window rounds the size, not the far edge.
      EXPECT_EQ(rect.left, TwipsToPixels(row.left, dpi));
      EXPECT_EQ(rect.top, TwipsToPixels(row.top, dpi));
      EXPECT_NEAR(rect.right, TwipsToPixels(row.left + row.width, dpi), 1);
      EXPECT_NEAR(rect.bottom, TwipsToPixels(row.top + row.height, dpi), 1);
    }
    // Without a font of its own: the dialog face at the layout's size.
    if (row.font.IsDefault() && row.kind != ControlKind::Frame && row.kind != ControlKind::Image) {
      EXPECT_EQ(FontHeight(control),
                -std::lround(kDefaultFontPoints * static_cast<float>(dpi) / 72));
    }
    std::wstring text = WithoutAmpersand(Wide(row.caption));
    if (row.name == "lblGridRef") text = kWidestReference;
    if (!text.empty()) {
      const SIZE extent = TextExtent(control, text);
      const RECT inside = ClientRect(control);
      EXPECT_LE(extent.cx, inside.right) << "caption clipped";
      EXPECT_LE(extent.cy, inside.bottom) << "caption clipped";
    }
  }

  if (&layout == &kSplashLayout) {
    // The frame's margins: 120 left and top, 180 right, 75 bottom.
    const RECT frame = RectInParent(window.Control("Frame1"));
    const std::pair<LONG, int> margins[] = {{frame.left, 120},
                                            {frame.top, 120},
                                            {client.right - frame.right, 180},
                                            {client.bottom - frame.bottom, 75}};
    for (const auto& [pixels, twips] : margins)
      EXPECT_NEAR(pixels, TwipsToPixels(twips, dpi), 1) << twips << " twips";
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, Layout,
                         testing::Values(Case{&kSplashLayout, false}, Case{&kSplashLayout, true},
                                         Case{&kGridrefLayout, false}, Case{&kGridrefLayout, true},
                                         Case{&kGridrefLayout, false, 11}),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.window->name) +
                                  (info.param.olderPath ? "_OlderSystems" : "_Windows10") +
                                  (info.param.desktopFontPoints > 0 ? "_DesktopFont11pt" : "");
                         });

std::wstring FaceOf(HWND control) {
  LOGFONTW font{};
  return GetObjectW(FontOf(control), sizeof font, &font) ? font.lfFaceName : L"";
}

// The face each caption asks for: the bitmap face of the design only at the
// 96 dpi it is drawn for, its TrueType successor at any other.
struct Face {
  std::string_view control;
  const wchar_t* at96;
  const wchar_t* elsewhere;
};
constexpr Face kFaces[] = {
    {"lblDegSouth", L"MS Sans Serif", L"Microsoft Sans Serif"},
    {"lblMinSouth", L"MS Sans Serif", L"Microsoft Sans Serif"},
    {"lblDegEast", L"MS Sans Serif", L"Microsoft Sans Serif"},
    {"lblMinEast", L"MS Sans Serif", L"Microsoft Sans Serif"},
    {"lblHeader", L"Comic Sans MS", L"Comic Sans MS"},
    {"lblGridRef", L"Comic Sans MS", L"Comic Sans MS"},
};

TEST(Fonts, EachCaptionInAFaceDrawnForTheDpi) {
  const Opened window(kGridrefLayout);
  for (const Face& face : kFaces) {
    SCOPED_TRACE(std::string(face.control));
    EXPECT_EQ(FaceOf(window.Control(face.control)), expectedDpi == 96 ? face.at96 : face.elsewhere);
  }
}

// Moved to a screen of another DPI, a window takes the rectangle the system
// suggests and lays itself out anew at that DPI.
class DpiChange : public testing::TestWithParam<const WindowLayout*> {};

TEST_P(DpiChange, TakesTheSuggestedRectangleAndLaysOutAnew) {
  const WindowLayout& layout = *GetParam();
  const Opened window(layout);
  // The window manager places a new window a moment after it maps: the move
  // to another screen comes later.
  Pump(1000);
  const UINT dpi = expectedDpi == 192 ? 120 : 192;
  const auto style = static_cast<DWORD>(GetWindowLongW(window.Handle(), GWL_STYLE));
  const SIZE outer = OuterSize(layout, style, 0, dpi);
  RECT suggested{40, 30, 40 + outer.cx, 30 + outer.cy};
  SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  Pump();
  RECT now{};
  GetWindowRect(window.Handle(), &now);
  EXPECT_EQ(now.left, suggested.left);
  EXPECT_EQ(now.top, suggested.top);
  EXPECT_EQ(now.right - now.left, outer.cx);
  EXPECT_EQ(now.bottom - now.top, outer.cy);
  const ControlLayout& first = layout.controls.front();
  const RECT rect = RectInParent(window.Control(0));
  EXPECT_EQ(rect.left, TwipsToPixels(first.left, static_cast<int>(dpi))) << first.name;
  EXPECT_EQ(rect.top, TwipsToPixels(first.top, static_cast<int>(dpi))) << first.name;
}

INSTANTIATE_TEST_SUITE_P(Windows, DpiChange, testing::ValuesIn(kWindows), WindowName);

// --- Colours ---------------------------------------------------------------

// The window's client area as drawn.
class Shot {
public:
  explicit Shot(HWND hwnd) {
    const RECT client = ClientRect(hwnd);
    width_ = client.right;
    height_ = client.bottom;
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const HDC window = GetDC(hwnd);
    const HDC memory = CreateCompatibleDC(window);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, window, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < pixels_.size(); ++i)
      pixels_[i] = RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(hwnd, window);
  }
  COLORREF At(LONG x, LONG y) const {
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
  }

private:
  LONG width_ = 0, height_ = 0;
  std::vector<COLORREF> pixels_;
};

double Luminance(COLORREF colour) {
  const auto linear = [](BYTE channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(GetRValue(colour)) + 0.7152 * linear(GetGValue(colour)) +
         0.0722 * linear(GetBValue(colour));
}

double Contrast(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The text inside the rectangle against its background: the commonest colour
// is the background, the text the colour that stands out most from it.
// Pixels of the other controls (a neighbour's border) do not count.
double TextContrast(const Shot& shot, RECT rect, const std::vector<RECT>& others) {
  std::map<COLORREF, int> counts;
  for (LONG y = rect.top; y < rect.bottom; ++y)
    for (LONG x = rect.left; x < rect.right; ++x) {
      const POINT at{x, y};
      if (std::none_of(others.begin(), others.end(),
                       [at](const RECT& other) { return PtInRect(&other, at); }))
        ++counts[shot.At(x, y)];
    }
  if (counts.empty()) return 0;
  const COLORREF background =
      std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
      })->first;
  double most = 1;
  for (const auto& [colour, count] : counts)
    most = std::max(most, Contrast(colour, background));
  return most;
}

// The system's colours of a scheme, and whether the user has turned high
// contrast on with it. Wine never reports high contrast: the test says it.
struct Scheme {
  const char* name;
  bool highContrast;
  COLORREF buttonFace, buttonText, window, windowText, highlight, highlightText;
};
constexpr Scheme kSchemes[] = {
    {"DarkWithoutHighContrast", false, RGB(32, 32, 32), RGB(255, 255, 255), RGB(0, 0, 0),
     RGB(255, 255, 255), RGB(0, 120, 215), RGB(255, 255, 255)},
    {"HighContrastBlack", true, RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255),
     RGB(26, 235, 255), RGB(0, 0, 0)},
    {"HighContrastWhite", true, RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0),
     RGB(55, 0, 110), RGB(255, 255, 255)},
};

bool highContrastOn = false;
BOOL WINAPI ReportingHighContrast(UINT action, UINT size, PVOID data, UINT flags) {
  const BOOL got = SystemParametersInfoW(action, size, data, flags);
  if (got && action == SPI_GETHIGHCONTRAST)
    static_cast<HIGHCONTRASTW*>(data)->dwFlags = highContrastOn ? HCF_HIGHCONTRASTON : 0;
  return got;
}

// Switches the system to the scheme while alive, as the user does with the
// window open: the system's colours, then the messages that announce them.
class SchemeSwitched {
public:
  SchemeSwitched(const Scheme& scheme, HWND window) : window_(window) {
    for (std::size_t i = 0; i < kElements.size(); ++i)
      saved_[i] = GetSysColor(kElements[i]);
    Apply({scheme.buttonFace, scheme.buttonText, scheme.window, scheme.windowText, scheme.highlight,
           scheme.highlightText},
          scheme.highContrast);
  }
  ~SchemeSwitched() {
    Apply(saved_, false);
    Settings() = {};
  }
  SchemeSwitched(const SchemeSwitched&) = delete;
  SchemeSwitched& operator=(const SchemeSwitched&) = delete;

private:
  static constexpr std::array<int, 6> kElements = {COLOR_BTNFACE,   COLOR_BTNTEXT,
                                                   COLOR_WINDOW,    COLOR_WINDOWTEXT,
                                                   COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
  void Apply(const std::array<COLORREF, 6>& colours, bool highContrast) {
    SetSysColors(static_cast<int>(kElements.size()), kElements.data(), colours.data());
    highContrastOn = highContrast;
    Settings().systemParametersInfo = &ReportingHighContrast;
    SendMessageW(window_, WM_SYSCOLORCHANGE, 0, 0);
    SendMessageW(window_, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    Pump();
    UpdateWindow(window_);
  }
  HWND window_;
  std::array<COLORREF, 6> saved_{};
};

std::string SchemeName(const testing::TestParamInfo<Scheme>& info) {
  return info.param.name;
}

class Colours : public testing::TestWithParam<Scheme> {};

// Every text at least 4.5:1 against what is behind it; under high contrast
// the fixed grey and teal give way to the system's colours.
TEST_P(Colours, EveryTextReadableUnderTheScheme) {
  const Scheme& scheme = GetParam();
  const Opened window(kGridrefLayout);
  Convert(window, {L"26", L"14", L"28", L"29"});
  const SchemeSwitched switched(scheme, window.Handle());
  const Shot shot(window.Handle());

  const RECT client = ClientRect(window.Handle());
  const COLORREF surface = scheme.highContrast ? scheme.buttonFace : RGB(224, 224, 224);
  const COLORREF band = scheme.highContrast ? scheme.highlight : RGB(0, 192, 192);
  EXPECT_EQ(shot.At(2, client.bottom - 3), surface) << "the window's own surface";
  const RECT header = RectInParent(window.Control("lblHeader"));
  EXPECT_EQ(shot.At(header.left + 2, header.top + 2), band) << "the header's band";

  for (const ControlLayout& row : kGridrefLayout.controls) {
    SCOPED_TRACE(std::string(row.name));
    std::vector<RECT> others;
    for (const ControlLayout& other : kGridrefLayout.controls)
      if (other.name != row.name) others.push_back(RectInParent(window.Control(other.name)));
    RECT rect = RectInParent(window.Control(row.name));
    // Inside the sunken border of a field, the raised one of a button.
    const int border = row.kind == ControlKind::TextBox  ? 2
                       : row.kind == ControlKind::Button ? 4
                                                         : 0;
    InflateRect(&rect, -border, -border);
    EXPECT_GE(TextContrast(shot, rect, others), 4.5);
  }
}

INSTANTIATE_TEST_SUITE_P(Schemes, Colours, testing::ValuesIn(kSchemes), SchemeName);

// When another program holds the clipboard, Copy reports it in a box that is
// modal to the window (no second Copy can be clicked meanwhile), and leaves
// the clipboard to its holder; the run then ends with status 1.
void CopyWhileAnotherHoldsTheClipboard() {
  const Opened window(kGridrefLayout);
  std::atomic<bool> held{false};
  std::thread holder([&held] {
    const HWND own =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    held = OpenClipboard(own) != FALSE;
    Sleep(INFINITE); // until the run ends
  });
  while (!held)
    Sleep(1);
  std::thread answerer([&window, thread = GetCurrentThreadId()] {
    HWND box = nullptr;
    while (!(box = VisibleWindowOfThread(thread, L"#32770")))
      Sleep(1);
    std::fprintf(stderr, "owned by the window: %s; the window takes input: %s; clipboard: %s\n",
                 GetWindow(box, GW_OWNER) == window.Handle() ? "yes" : "no",
                 IsWindowEnabled(window.Handle()) ? "yes" : "no",
                 GetOpenClipboardWindow() == window.Handle() ? "held by the window" : "not ours");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  answerer.detach();
  holder.detach();
  const HWND copy = window.Control("CmdClipboard");
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(copy), BN_CLICKED),
               reinterpret_cast<LPARAM>(copy));
}

TEST(ClipboardHeldElsewhere, TheReportIsModalAndTheRunEndsWithStatus1) {
  EXPECT_EXIT(CopyWhileAnotherHoldsTheClipboard(), testing::ExitedWithCode(1),
              "owned by the window: yes; the window takes input: no; clipboard: not ours");
}

// Client size, then each control's rectangle and font height.
std::vector<std::array<LONG, 5>> Geometry(const WindowLayout& layout) {
  const Opened window(layout);
  const RECT client = ClientRect(window.Handle());
  std::vector<std::array<LONG, 5>> out = {{client.right, client.bottom, 0, 0, 0}};
  for (std::size_t i = 0; i < window.Count(); ++i) {
    const RECT rect = RectInParent(window.Control(i));
    out.push_back({rect.left, rect.top, rect.right, rect.bottom, FontHeight(window.Control(i))});
  }
  return out;
}

class OlderSystems : public testing::TestWithParam<const WindowLayout*> {};

TEST_P(OlderSystems, LayOutAsWindows10) {
  const auto newer = Geometry(*GetParam());
  const OlderSystemPath older;
  EXPECT_EQ(Geometry(*GetParam()), newer);
}

INSTANTIATE_TEST_SUITE_P(Windows, OlderSystems, testing::ValuesIn(kWindows), WindowName);

} // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2 || std::atoi(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: window_test DPI   (the DPI the Wine prefix is set to)\n");
    return 2;
  }
  expectedDpi = static_cast<UINT>(std::atoi(argv[1]));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitialize(nullptr);
  const DpiFunctions& found = Dpi();
  std::printf("per-monitor DPI functions: GetDpiForWindow %s, AdjustWindowRectExForDpi %s\n",
              found.getDpiForWindow ? "found" : "missing",
              found.adjustWindowRectExForDpi ? "found" : "missing");
  const NotificationFunctions& uia = Notifications();
  std::printf("UI Automation: UiaRaiseNotificationEvent %s, UiaClientsAreListening %s\n",
              uia.raiseNotificationEvent ? "found" : "missing",
              !uia.clientsAreListening    ? "missing"
              : uia.clientsAreListening() ? "says a client listens"
                                          : "says no client listens");
  return RUN_ALL_TESTS();
}
