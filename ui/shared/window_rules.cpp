#include "ui/shared/window_rules.h"

#include <algorithm>
#include <cmath>

namespace ui {

std::size_t RowOf(const WindowLayout& window, Role role) {
  for (std::size_t row = 0; row < window.controls.size(); ++row)
    if (window.controls[row].role == role) return row;
  return kNoRow;
}

std::size_t RowOf(const WindowLayout& window, gridref::EntryField field) {
  for (std::size_t row = 0; row < window.controls.size(); ++row)
    if (window.controls[row].role == Role::Entry && window.controls[row].field == field) return row;
  return kNoRow;
}

std::size_t ParentRow(const WindowLayout& window, std::size_t row) {
  const std::string_view parent = window.controls[row].parent;
  if (parent.empty()) return kNoRow;
  return static_cast<std::size_t>(&ControlNamed(window, parent) - window.controls.data());
}

std::vector<std::size_t> TabOrder(const WindowLayout& window) {
  std::vector<std::size_t> order;
  for (std::size_t row = 0; row < window.controls.size(); ++row)
    if (TakesFocus(window.controls[row])) order.push_back(row);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return window.controls[a].tabIndex < window.controls[b].tabIndex;
  });
  return order;
}

std::size_t NextInTabOrder(const WindowLayout& window, std::size_t from, bool backwards) {
  const std::vector<std::size_t> order = TabOrder(window);
  if (order.empty()) return kNoRow;
  const auto at = std::find(order.begin(), order.end(), from);
  if (at == order.end()) return backwards ? order.back() : order.front();
  const auto index = static_cast<std::size_t>(at - order.begin());
  const std::size_t n = order.size();
  return order[backwards ? (index + n - 1) % n : (index + 1) % n];
}

AccessKey AccessKeyOf(std::string_view caption) {
  const std::size_t marker = caption.find('&');
  if (marker == std::string_view::npos || marker + 1 >= caption.size()) return {};
  const char key = caption[marker + 1];
  return {marker, key >= 'A' && key <= 'Z' ? static_cast<char>(key - 'A' + 'a') : key};
}

std::size_t RowWithAccessKey(const WindowLayout& window, char32_t typed) {
  if (typed >= U'A' && typed <= U'Z') typed += U'a' - U'A';
  for (std::size_t row = 0; row < window.controls.size(); ++row) {
    const ControlLayout& control = window.controls[row];
    if (control.kind != ControlKind::Button) continue;
    const AccessKey access = AccessKeyOf(control.caption);
    if (access.key != 0 && static_cast<char32_t>(static_cast<unsigned char>(access.key)) == typed)
      return row;
  }
  return kNoRow;
}

std::size_t DefaultBorderRow(const WindowLayout& window, std::size_t focusRow) {
  if (focusRow < window.controls.size() && window.controls[focusRow].kind == ControlKind::Button)
    return focusRow;
  for (std::size_t row = 0; row < window.controls.size(); ++row)
    if (window.controls[row].isDefault) return row;
  return kNoRow;
}

int CentredStart(int areaStart, int areaExtent, int outerExtent) {
  const float margin = (static_cast<float>(areaExtent) - static_cast<float>(outerExtent)) / 2;
  return areaStart + static_cast<int>(std::lround(margin));
}

} // namespace ui
