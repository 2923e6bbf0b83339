// The desktop walks' model and properties, for the page's walk: compiled to
// WebAssembly and called by the walk's driver under Node.js, so that the
// page is held to the very rules (and the core's own conversion) the Qt and
// Win32 windows are. Strings go in through one buffer, as texts separated by
// NUL; each check answers a NUL-terminated text, empty when it holds.
#include "walk_properties.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::array<char, 1 << 16> buffer;
std::optional<gridref::testing::WalkProperties> properties;
std::string answer;

std::vector<std::string> Texts(std::size_t count) {
  std::vector<std::string> texts;
  std::string_view rest(buffer.data(), buffer.size());
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t end = rest.find('\0');
    texts.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end + 1);
  }
  return texts;
}

// The window as the driver read it: four fields, the label, the focus, then
// how many buttons are drawn pressed and their names.
gridref::testing::WindowState State(std::size_t pressed) {
  const auto texts = Texts(6 + pressed);
  gridref::testing::WindowState state;
  for (std::size_t i = 0; i < 4; ++i)
    state.fields[i] = texts[i];
  state.label = texts[4];
  state.focus = texts[5];
  state.pressedButtons.assign(texts.begin() + 6, texts.end());
  return state;
}

const char* Answer(std::string text) {
  answer = std::move(text);
  return answer.c_str();
}

template <std::size_t N> const char* Joined(const std::array<const char*, N>& table) {
  std::string text;
  for (const char* entry : table)
    text.append(entry).push_back('\n');
  return Answer(text);
}

} // namespace

extern "C" {

__attribute__((export_name("wm_buffer"))) char* WmBuffer() {
  return buffer.data();
}
__attribute__((export_name("wm_buffer_size"))) std::size_t WmBufferSize() {
  return buffer.size();
}

// The walk's texts, controls and pastes, one to a line.
__attribute__((export_name("wm_texts"))) const char* WmTexts() {
  return Joined(gridref::testing::kWalkTexts);
}
__attribute__((export_name("wm_controls"))) const char* WmControls() {
  return Joined(gridref::testing::kWalkControls);
}
__attribute__((export_name("wm_pastes"))) const char* WmPastes() {
  return Joined(gridref::testing::kWalkPastes);
}

// A new model with the buffer's decimal separator.
__attribute__((export_name("wm_new"))) void WmNew() {
  properties.emplace(Texts(1)[0]);
}
__attribute__((export_name("wm_program_started"))) void WmProgramStarted() {
  properties->ProgramStarted();
}
__attribute__((export_name("wm_event_starts"))) void WmEventStarts(bool mayEnd, bool mayConvert) {
  properties->EventStarts(mayEnd, mayConvert);
}
// The four fields' texts in the buffer.
__attribute__((export_name("wm_converted"))) const char* WmConverted() {
  const auto texts = Texts(4);
  return Answer(properties->Converted({texts[0], texts[1], texts[2], texts[3]}));
}
__attribute__((export_name("wm_box_answering"))) const char*
WmBoxAnswering(bool retry, int boxesOpen, std::size_t pressed) {
  return Answer(properties->BoxAnswering(retry, boxesOpen, State(pressed)));
}
__attribute__((export_name("wm_check_window"))) const char* WmCheckWindow(std::size_t pressed) {
  return Answer(properties->CheckWindow(State(pressed)));
}
// The field's text in the buffer.
__attribute__((export_name("wm_field_left"))) const char* WmFieldLeft(std::size_t field,
                                                                      bool boxShown) {
  return Answer(gridref::testing::WalkProperties::FieldLeft(field, Texts(1)[0], boxShown));
}
__attribute__((export_name("wm_check_ended"))) const char* WmCheckEnded(int windowsLeft) {
  return Answer(properties->CheckEnded(windowsLeft));
}
}
