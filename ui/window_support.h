// What both windows share: centring on the screen, activation where no
// window manager does it, fonts by face with local stand-ins, the icon.
#pragma once

#include <QFont>
#include <QIcon>
#include <QStringList>

class QWidget;

namespace ui {

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

QFont FontOf(const QStringList& faces, qreal points, bool bold);

// Arial, with its metric-compatible stand-in.
QFont Arial(qreal points, bool bold);

QIcon ApplicationIcon();

} // namespace ui
