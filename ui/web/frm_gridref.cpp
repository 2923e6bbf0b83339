// The program's side of the page, in WebAssembly: the two windows' layout
// tables handed to the page's script as one JSON text, and the conversion
// window's shared behaviour over a host whose operations the script lends
// (the imports below). The script renders the tables and calls the exports
// from its events; a plain C interface, numbers and UTF-8 in linear memory.
#include "ui/shared/conversion_window.h"
#include "ui/shared/layouts.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#define QD_IMPORT(name) __attribute__((import_module("env"), import_name(#name)))
#define QD_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Texts the script hands back (a field's text, the label's caption, the
// decimal separator) are written into the inbox, their length returned.
extern "C" {
QD_IMPORT(host_field_text) std::uint32_t HostFieldText(int field);
QD_IMPORT(host_set_field_text) void HostSetFieldText(int field, const char* text, std::size_t n);
QD_IMPORT(host_focus_field) void HostFocusField(int field);
QD_IMPORT(host_beep) void HostBeep();
// Returns when the user has answered: the page's box is asynchronous, and the
// call is suspended meanwhile (Asyncify), with the whole check around it.
QD_IMPORT(host_ask_retry_or_cancel)
int HostAskRetryOrCancel(const char* prompt, std::size_t promptN, const char* title,
                         std::size_t titleN);
QD_IMPORT(host_grid_reference_shown) std::uint32_t HostGridReferenceShown();
QD_IMPORT(host_show_grid_reference) void HostShowGridReference(const char* text, std::size_t n);
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

// NOLINTNEXTLINE(readability-identifier-naming): the window's own name
class frmGridref final : private ConversionWindowHost {
public:
  frmGridref() : behaviour_(*this) {}

  // Handlers, named after their control and event.
  void txtDegSouth_LostFocus() { behaviour_.FieldLeft(EntryField::txtDegSouth); }
  void txtMinSouth_LostFocus() { behaviour_.FieldLeft(EntryField::txtMinSouth); }
  void txtDegEast_LostFocus() { behaviour_.FieldLeft(EntryField::txtDegEast); }
  void txtMinEast_LostFocus() { behaviour_.FieldLeft(EntryField::txtMinEast); }
  void cmdConvert_Click() { behaviour_.Convert(); }
  void CmdClipboard_Click() { behaviour_.Copy(); }
  void cmdExit_Click() { behaviour_.Exit(); }
  bool DropsKey(ui::KeyMotion motion, int key, std::uint32_t time) {
    return behaviour_.DropsKey(motion, key, time);
  }

private:
  std::string FieldText(EntryField field) override {
    return FromInbox(HostFieldText(static_cast<int>(field)));
  }
  void SetFieldText(EntryField field, std::string_view text) override {
    HostSetFieldText(static_cast<int>(field), text.data(), text.size());
  }
  void FocusField(EntryField field) override { HostFocusField(static_cast<int>(field)); }
  void Beep() override { HostBeep(); }
  gridref::DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) override {
    return HostAskRetryOrCancel(prompt.data(), prompt.size(), title.data(), title.size()) == kRetry
               ? gridref::DialogAnswer::Retry
               : gridref::DialogAnswer::Cancel;
  }
  std::string GridReferenceShown() override { return FromInbox(HostGridReferenceShown()); }
  void ShowGridReference(std::string_view text) override {
    HostShowGridReference(text.data(), text.size());
  }
  void PutOnClipboard(std::string_view text) override {
    HostPutOnClipboard(text.data(), text.size());
  }
  std::string DecimalSeparator() override { return FromInbox(HostDecimalSeparator()); }
  void CloseAllWindows() override { HostCloseAllWindows(); }

  ConversionWindow behaviour_;
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
  json.Key("name");
  json.String(c.name);
  json.Key("caption");
  json.String(c.caption);
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
  json.Close('}');
}

std::string_view FieldName(EntryField field) {
  switch (field) {
  case EntryField::txtDegSouth:
    return "txtDegSouth";
  case EntryField::txtMinSouth:
    return "txtMinSouth";
  case EntryField::txtDegEast:
    return "txtDegEast";
  case EntryField::txtMinEast:
    return "txtMinEast";
  }
  return "";
}

const std::string& LayoutsJson() {
  static const std::string text = [] {
    JsonWriter json;
    json.Open('{');
    WriteWindow(json, kSplashLayout);
    WriteWindow(json, kGridrefLayout);
    // The controls of the entry fields, by their number in the calls.
    json.Key("entryFields");
    json.Open('[');
    for (const EntryField field : gridref::AllEntryFields)
      json.String(FieldName(field));
    json.Close(']');
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

// The splash window's dismissal opens the conversion window, once a run.
QD_EXPORT(qd_open_conversion_window) void QdOpenConversionWindow() {
  if (!theWindow) theWindow.emplace();
}
// The user left a field. The page itself drops a click whose press left a
// refused field: it counts the boxes.
QD_EXPORT(qd_field_left) void QdFieldLeft(int field) {
  if (!theWindow || field < 0 || field >= static_cast<int>(gridref::AllEntryFields.size())) return;
  ui::RunLostFocusHandler(*theWindow, static_cast<gridref::EntryField>(field));
}
// A key event in the window (0 press, 1 auto-repeat, 2 release), its key
// code and time in milliseconds; 1: drop it.
QD_EXPORT(qd_drops_key) int QdDropsKey(int motion, int key, std::uint32_t time) {
  if (!theWindow || motion < 0 || motion > 2) return 0;
  return theWindow->DropsKey(static_cast<ui::KeyMotion>(motion), key, time) ? 1 : 0;
}
QD_EXPORT(qd_convert) void QdConvert() {
  if (theWindow) theWindow->cmdConvert_Click();
}
QD_EXPORT(qd_copy) void QdCopy() {
  if (theWindow) theWindow->CmdClipboard_Click();
}
QD_EXPORT(qd_exit) void QdExit() {
  if (theWindow) theWindow->cmdExit_Click();
}
