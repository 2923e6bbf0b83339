// Layouts are given in twips; 15 twips make one logical pixel at 96 dpi, and
// Qt's own high-DPI scaling keeps the proportions on denser screens.
#pragma once

#include <QRect>

namespace ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr QRect FromTwips(int left, int top, int width, int height) {
  return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
          height / kTwipsPerPixel};
}

} // namespace ui
