// The program's side of the page, in WebAssembly: the two windows' layout
// tables handed to the page's script as one JSON text, and the conversion
// window's shared behaviour over a host whose operations the script lends
// (the imports below). The script renders the tables and calls the exports
// from its events; a plain C interface, numbers and UTF-8 in linear memory.
#include "ui/shared/conversion_window.h"
#include "ui/shared/layouts.h"
#include "ui/shared/window_rules.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#define QD_IMPORT(name) __attribute__((import_module("env"), import_name(#name)))
#define QD_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Controls are named by their row in the table, -1 for none. Texts the
// script hands back (a field's text, the result's, the decimal separator)
// are written into the inbox, their length returned.
extern "C" {
QD_IMPORT(host_read_text) std::uint32_t HostReadText(int row);
QD_IMPORT(host_set_text) void HostSetText(int row, const char* text, std::size_t n);
QD_IMPORT(host_give_focus) void HostGiveFocus(int row);
QD_IMPORT(host_beep) void HostBeep();
// Returns when the user has answered: the page's box is asynchronous, and the
// call is suspended meanwhile (Asyncify), with the whole check around it.
QD_IMPORT(host_ask_retry_or_cancel)
int HostAskRetryOrCancel(const char* prompt, std::size_t promptN, const char* title,
                         std::size_t titleN);
QD_IMPORT(host_grid_reference_shown) std::uint32_t HostGridReferenceShown(int row);
QD_IMPORT(host_show_grid_reference)
void HostShowGridReference(int row, const char* text, std::size_t n);
QD_IMPORT(host_put_on_clipboard) void HostPutOnClipboard(const char* text, std::size_t n);
QD_IMPORT(host_decimal_separator) std::uint32_t HostDecimalSeparator();
QD_IMPORT(host_close_all_windows) void HostCloseAllWindows();
}

namespace ui::web {
namespace {

using gridref::EntryField;

// A CSS pixel is 1/96 inch.
constexpr int kCssDpi = 96;
constexpr int kRetry = 0;

std::string inbox;

std::string FromInbox(std::uint32_t length) {
  return inbox.substr(0, length);
}

std::uint32_t Length(std::string_view text) {
  return static_cast<std::uint32_t>(text.size());
}

int ScriptRow(std::size_t row) {
  return row == kNoRow ? -1 : static_cast<int>(row);
}

std::size_t TableRow(int row) {
  return row < 0 ? kNoRow : static_cast<std::size_t>(row);
}

int FieldRow(EntryField field) {
  return ScriptRow(RowOf(kGridrefLayout, field));
}

int ResultRow() {
  return ScriptRow(RowOf(kGridrefLayout, Role::Result));
}

// The conversion window's control in the row; none outside the table.
const ControlLayout* GridrefRow(int row) {
  const std::size_t at = TableRow(row);
  return at < kGridrefLayout.controls.size() ? &kGridrefLayout.controls[at] : nullptr;
}

class frmGridref final : private ConversionWindowHost {
public:
  frmGridref() : window_(*this) {}
  ConversionWindow& Window() { return window_; }

private:
  std::string ReadText(EntryField field) override {
    return FromInbox(HostReadText(FieldRow(field)));
  }
  void SetText(EntryField field, std::string_view text) override {
    HostSetText(FieldRow(field), text.data(), text.size());
  }
  void GiveFocus(EntryField field) override { HostGiveFocus(FieldRow(field)); }
  void Beep() override { HostBeep(); }
  gridref::DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) override {
    return HostAskRetryOrCancel(prompt.data(), prompt.size(), title.data(), title.size()) == kRetry
               ? gridref::DialogAnswer::Retry
               : gridref::DialogAnswer::Cancel;
  }
  std::string GridReferenceShown() override {
    return FromInbox(HostGridReferenceShown(ResultRow()));
  }
  void ShowGridReference(std::string_view text) override {
    HostShowGridReference(ResultRow(), text.data(), text.size());
  }
  void PutOnClipboard(std::string_view text) override {
    HostPutOnClipboard(text.data(), text.size());
  }
  std::string DecimalSeparator() override { return FromInbox(HostDecimalSeparator()); }
  void CloseAllWindows() override { HostCloseAllWindows(); }

  ConversionWindow window_;
};

std::optional<frmGridref> theWindow;

// The tables as JSON: geometry in CSS pixels, as the twips give them at 96 dpi.
class JsonWriter {
public:
  void Text(std::string_view text) {
    out_ += '"';
    for (const char c : text) {
      if (c == '"' || c == '\\') {
        out_ += '\\';
        out_ += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        constexpr std::string_view kHex = "0123456789abcdef";
        out_ += "\\u00";
        out_ += kHex[static_cast<unsigned char>(c) >> 4];
        out_ += kHex[static_cast<unsigned char>(c) & 0xf];
      } else {
        out_ += c; // UTF-8 as it is
      }
    }
    out_ += '"';
  }
  void Key(std::string_view key) {
    Separate();
    Text(key);
    out_ += ':';
    fresh_ = true;
  }
  void Number(float value) {
    Separate();
    std::array<char, 32> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    out_.append(buffer.data(), end);
  }
  void Number(int value) {
    Separate();
    out_ += std::to_string(value);
  }
  void Bool(bool value) {
    Separate();
    out_ += value ? "true" : "false";
  }
  void String(std::string_view text) {
    Separate();
    Text(text);
  }
  void Null() {
    Separate();
    out_ += "null";
  }
  void Open(char bracket) {
    Separate();
    out_ += bracket;
    fresh_ = true;
  }
  void Close(char bracket) {
    out_ += bracket;
    fresh_ = false;
  }
  const std::string& Result() const { return out_; }

private:
  void Separate() {
    if (!fresh_) out_ += ',';
    fresh_ = false;
  }
  std::string out_;
  bool fresh_ = true;
};

std::string_view KindName(ControlKind kind) {
  switch (kind) {
  case ControlKind::Label:
    return "label";
  case ControlKind::TextBox:
    return "textBox";
  case ControlKind::Button:
    return "button";
  case ControlKind::Frame:
    return "frame";
  case ControlKind::Image:
    return "image";
  }
  return "label";
}

void WriteColour(JsonWriter& json, const Colour& colour) {
  switch (colour.kind) {
  case Colour::Kind::Rgb: {
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string text = "#";
    for (const std::uint8_t part : {colour.red, colour.green, colour.blue}) {
      text += kHex[part >> 4];
      text += kHex[part & 0xf];
    }
    json.String(text);
    return;
  }
  case Colour::Kind::ButtonFace:
    json.String("buttonFace");
    return;
  case Colour::Kind::MenuBackground:
    json.String("menuBackground");
    return;
  case Colour::Kind::Transparent:
    json.String("transparent");
    return;
  case Colour::Kind::Default:
    break;
  }
  json.String("default");
}

std::string_view RoleName(Role role) {
  switch (role) {
  case Role::Caption:
    return "caption";
  case Role::Entry:
    return "entry";
  case Role::Convert:
    return "convert";
  case Role::Copy:
    return "copy";
  case Role::Exit:
    return "exit";
  case Role::Result:
    return "result";
  case Role::Surface:
    return "surface";
  }
  return "caption";
}

// The script indexes a caption in UTF-16 code units, not in bytes.
int Utf16Length(std::string_view utf8) {
  int units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xc0) != 0x80) units += byte >= 0xf0 ? 2 : 1;
  }
  return units;
}

std::string_view AlignName(Align align) {
  switch (align) {
  case Align::Left:
    return "left";
  case Align::Centre:
    return "centre";
  case Align::Right:
    return "right";
  }
  return "left";
}

void WriteControl(JsonWriter& json, const ControlLayout& c) {
  json.Open('{');
  json.Key("kind");
  json.String(KindName(c.kind));
  json.Key("role");
  json.String(RoleName(c.role));
  json.Key("name");
  json.String(c.name);
  json.Key("caption");
  json.String(c.caption);
  if (c.kind == ControlKind::Button) {
    // A key outside ASCII would be half a character here: none.
    const AccessKey access = AccessKeyOf(c.caption);
    const bool marked = access.key != 0 && static_cast<unsigned char>(access.key) < 0x80;
    json.Key("accessKey");
    json.String(marked ? std::string_view(&access.key, 1) : std::string_view());
    json.Key("accessKeyAt");
    json.Number(marked ? Utf16Length(c.caption.substr(0, access.marker)) : -1);
  }
  json.Key("left");
  json.Number(TwipsToPixels(c.left, kCssDpi));
  json.Key("top");
  json.Number(TwipsToPixels(c.top, kCssDpi));
  json.Key("width");
  json.Number(TwipsToPixels(c.width, kCssDpi));
  json.Key("height");
  json.Number(TwipsToPixels(c.height, kCssDpi));
  json.Key("tabIndex");
  json.Number(c.tabIndex);
  json.Key("font");
  if (c.font.IsDefault()) {
    json.Null();
  } else {
    json.Open('{');
    json.Key("faces");
    json.Open('[');
    for (const std::string_view face : c.font.faces)
      if (!face.empty()) json.String(face);
    json.Close(']');
    json.Key("points");
    json.Number(c.font.points);
    json.Key("bold");
    json.Bool(c.font.bold);
    json.Close('}');
  }
  json.Key("background");
  WriteColour(json, c.background);
  json.Key("foreground");
  WriteColour(json, c.foreground);
  json.Key("align");
  json.String(AlignName(c.align));
  json.Key("parent");
  json.String(c.parent);
  json.Key("sizesItself");
  json.Bool(c.sizesItself);
  json.Key("isDefault");
  json.Bool(c.isDefault);
  json.Key("isCancel");
  json.Bool(c.isCancel);
  json.Key("accessibleName");
  json.String(c.accessibleName);
  json.Close('}');
}

void WriteWindow(JsonWriter& json, const WindowLayout& window) {
  json.Key(window.name);
  json.Open('{');
  json.Key("name");
  json.String(window.name);
  json.Key("caption");
  json.String(window.caption);
  json.Key("clientWidth");
  json.Number(TwipsToPixels(window.clientWidth, kCssDpi));
  json.Key("clientHeight");
  json.Number(TwipsToPixels(window.clientHeight, kCssDpi));
  json.Key("background");
  WriteColour(json, window.background);
  json.Key("border");
  json.String(window.border == Border::Resizable ? "resizable" : "fixedDialogNoTitle");
  json.Key("accessibleName");
  json.String(window.accessibleName);
  json.Key("accessibleDescription");
  json.String(window.accessibleDescription);
  json.Key("controls");
  json.Open('[');
  for (const ControlLayout& control : window.controls)
    WriteControl(json, control);
  json.Close(']');
  json.Key("tabOrder");
  json.Open('[');
  for (const std::size_t row : TabOrder(window))
    json.Number(ScriptRow(row));
  json.Close(']');
  json.Key("defaultRow");
  json.Number(ScriptRow(DefaultBorderRow(window, kNoRow)));
  json.Close('}');
}

const std::string& LayoutsJson() {
  static const std::string text = [] {
    JsonWriter json;
    json.Open('{');
    WriteWindow(json, kSplashLayout);
    WriteWindow(json, kGridrefLayout);
    json.Key("defaultFontPoints");
    json.Number(kDefaultFontPoints);
    json.Close('}');
    return json.Result();
  }();
  return text;
}

// Where the suspended check keeps its stack while the box is open.
alignas(16) std::array<std::uint8_t, 16384> asyncifyData;

} // namespace
} // namespace ui::web

using ui::web::GridrefRow;
using ui::web::theWindow;

QD_EXPORT(qd_layouts) const char* QdLayouts() {
  return ui::web::LayoutsJson().c_str();
}
QD_EXPORT(qd_layouts_length) std::uint32_t QdLayoutsLength() {
  return ui::web::Length(ui::web::LayoutsJson());
}
QD_EXPORT(qd_inbox) char* QdInbox(std::uint32_t size) {
  ui::web::inbox.resize(size);
  return ui::web::inbox.data();
}
QD_EXPORT(qd_asyncify_data) std::uint8_t* QdAsyncifyData() {
  return ui::web::asyncifyData.data();
}
QD_EXPORT(qd_asyncify_data_size) std::uint32_t QdAsyncifyDataSize() {
  return static_cast<std::uint32_t>(ui::web::asyncifyData.size());
}

// The title window's dismissal opens the conversion window, once a run.
QD_EXPORT(qd_open_conversion_window) void QdOpenConversionWindow() {
  if (!theWindow) theWindow.emplace();
}

// The user left the row's field (the focus now on another control).
QD_EXPORT(qd_field_left) void QdFieldLeft(int row) {
  const ui::ControlLayout* control = GridrefRow(row);
  if (theWindow && control && control->role == ui::Role::Entry)
    theWindow->Window().FieldLeft(control->field);
}
// The row's control was clicked, by the pointer or by a key.
QD_EXPORT(qd_clicked) void QdClicked(int row) {
  const ui::ControlLayout* control = GridrefRow(row);
  if (theWindow && control) theWindow->Window().Clicked(control->role);
}
// Refused leaves so far: one more at a click than at its press, and the
// press left a refused field; its click does nothing.
QD_EXPORT(qd_refused_leaves) std::uint32_t QdRefusedLeaves() {
  return theWindow ? theWindow->Window().RefusedLeaves() : 0;
}
QD_EXPORT(qd_default_border_row) int QdDefaultBorderRow(int focusRow) {
  return ui::web::ScriptRow(ui::DefaultBorderRow(ui::kGridrefLayout, ui::web::TableRow(focusRow)));
}
QD_EXPORT(qd_next_in_tab_order) int QdNextInTabOrder(int row, int backwards) {
  return ui::web::ScriptRow(
      ui::NextInTabOrder(ui::kGridrefLayout, ui::web::TableRow(row), backwards != 0));
}
// The button whose access key the typed character (a code point) is.
QD_EXPORT(qd_row_with_access_key) int QdRowWithAccessKey(std::uint32_t typed) {
  return ui::web::ScriptRow(ui::RowWithAccessKey(ui::kGridrefLayout, typed));
}
// A key event in the window (0 press, 1 auto-repeat, 2 release), its key
// code and time in milliseconds; 1: drop it.
QD_EXPORT(qd_drops_key) int QdDropsKey(int motion, int key, std::uint32_t time) {
  if (!theWindow || motion < 0 || motion > 2) return 0;
  return theWindow->Window().DropsKey(static_cast<ui::KeyMotion>(motion), key, time) ? 1 : 0;
}
