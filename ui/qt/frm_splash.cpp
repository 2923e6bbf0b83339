#include "ui/qt/frm_splash.h"

#include "ui/qt/frm_gridref.h"
#include "ui/qt/window_support.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace ui {

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint) { // a border, no title bar
  // Wayland compositors leave decorations to the client, and Qt's ignore
  // these flags: a title bar with window buttons would appear, one of them a
  // way out the window does not have. Frameless there, with its own border.
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    ownBorder_ = true;
  }
  const WindowLayout& layout = kSplashLayout;
  setObjectName(QtText(layout.name));
  setWindowTitle(QString());
  setAccessibleName(QtText(layout.accessibleName));
  setAccessibleDescription(QtText(layout.accessibleDescription));
  setWindowIcon(ApplicationIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  FillBackground(*this, palette().color(QPalette::Button));
  setFixedSize(ClientSize(layout));

  // The frame first, then its controls in the window's own order: each
  // later control lies in front.
  for (const ControlLayout& control : layout.controls) {
    if (control.kind == ControlKind::Frame) {
      Frame1 = new QFrame(this);
      Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
      ApplyLayout(*Frame1, control);
      Frame1->installEventFilter(this);
      continue;
    }
    auto* label = new QLabel(Frame1);
    ApplyLayout(*label, control);
    if (control.kind == ControlKind::Image) {
      label->setPixmap(QPixmap(QStringLiteral(":/icons/logo.png")));
      label->setScaledContents(true); // stretched to its box
    } else {
      label->setText(QtText(control.caption));
      label->setAlignment((control.align == Align::Right ? Qt::AlignRight : Qt::AlignLeft) |
                          Qt::AlignTop);
      if (control.sizesItself) label->adjustSize(); // keeps left and top
    }
    // A click on the picture or a label is not a click on the frame.
    label->installEventFilter(this);
  }

  CentreOnScreen(*this);
  RecentreOnceFramed(*this);
  ActivateWhenShown(*this);
}

bool frmSplash::ProducesCharacter(const QKeyEvent& event) {
  // Decided by the key, not by text(): platforms disagree on the text of
  // Delete, and Escape, Enter and Backspace count as characters here.
  const Qt::KeyboardModifiers mods = event.modifiers();
  if ((mods & (Qt::AltModifier | Qt::MetaModifier)) && !(mods & Qt::ControlModifier)) return false;
  switch (event.key()) {
  case Qt::Key_Escape:
  case Qt::Key_Return:
  case Qt::Key_Enter:
  case Qt::Key_Backspace:
  case Qt::Key_Tab:
  case Qt::Key_Backtab:
    return true;
  default:
    // Qt's codes for keys without a character start at 0x01000000; below
    // are the Unicode values of the characters keys produce.
    return event.key() >= Qt::Key_Space && event.key() < Qt::Key_Escape;
  }
}

void frmSplash::Form_KeyPress() {
  Dismiss();
}
void frmSplash::Frame1_Click() {
  Dismiss();
}

void frmSplash::Dismiss() {
  if (dismissed_) return;
  dismissed_ = true;
  close(); // discarded: deleted on close
  // No owner: the conversion window outlives this one.
  (new frmGridref)->show();
}

bool frmSplash::event(QEvent* event) {
  // Tab would otherwise move the focus, which nothing here takes.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QDialog::event(event);
}

void frmSplash::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!ownBorder_) return;
  QPainter painter(this);
  qDrawWinPanel(&painter, rect(), palette(), false); // a fixed dialog border
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
  // Escape and Enter dismiss like any other character; they never reach
  // QDialog, which would reject or accept.
  if (ProducesCharacter(*event)) Form_KeyPress();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseButtonDblClick)
    return QDialog::eventFilter(watched, event);
  if (watched != Frame1) return true; // a label or the picture: swallowed
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton) return true;
  // Only the frame's own surface: not where a label or the picture lies,
  // however the event got here.
  const QPoint at = mouse->position().toPoint();
  const bool onSurface = Frame1->rect().contains(at) && Frame1->childAt(at) == nullptr;
  if (type == QEvent::MouseButtonPress) {
    framePressed_ = onSurface;
  } else if (type == QEvent::MouseButtonRelease) {
    const bool click = framePressed_ && onSurface;
    framePressed_ = false;
    if (click) Frame1_Click();
  }
  return true;
}

} // namespace ui
