// What both Qt windows share: rendering the layout tables, centring on the
// screen, the border, activation where no window manager does it, the icon.
#pragma once

#include "ui/shared/layouts.h"

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include <string_view>

class QWidget;

namespace ui {

// A text of the layout tables (UTF-8) as Qt holds it.
inline QString QtText(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Twips at 96 dpi; Qt's own high-DPI scaling keeps the proportions on
// denser screens.
inline constexpr int kLayoutDpi = 96;
QRect PixelRect(const ControlLayout& control);
QSize ClientSize(const WindowLayout& window);

inline constexpr float kPointsPerInch = 72;

// The face and its stand-ins, or the platform's dialog face for none, at
// the layout's size.
QFont FontOf(const FontSpec& spec);

// Applies the control's name, geometry, font and colours.
void ApplyLayout(QWidget& widget, const ControlLayout& control);

// The window's flags for the table's border. Wayland compositors leave
// decorations to the client, and Qt's ignore the flags of a window without
// a title bar: a title bar with window buttons would appear, one of them a
// way out the window does not have. Frameless there, drawing its own border.
Qt::WindowFlags WindowFlagsOf(Border border);
bool DrawsOwnBorder(Border border);

// The table's client size; fixed where the border does not size.
void SetClientSize(QWidget& window, const WindowLayout& layout);

// Centres the window by its outer size, halving in single precision; not
// clamped, so a window larger than the screen gets a negative left or top.
void CentreOnScreen(QWidget& window);

// The frame's size is unknown until a window manager has framed the window
// (on X11 only once it is shown): centres it again then, once.
void RecentreOnceFramed(QWidget& window);

// Activates the window once it is shown; without a window manager a new
// window is not active and gets no keys.
void ActivateWhenShown(QWidget& window);

// An opaque background of this colour.
void FillBackground(QWidget& widget, const QColor& colour);

QIcon ApplicationIcon();

} // namespace ui
