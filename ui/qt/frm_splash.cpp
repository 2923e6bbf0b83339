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
    : QDialog(parent, WindowFlagsOf(kSplashLayout.border)),
      ownBorder_(DrawsOwnBorder(kSplashLayout.border)) {
  const WindowLayout& layout = kSplashLayout;
  setObjectName(QtText(layout.name));
  setWindowTitle(QString());
  setAccessibleName(QtText(layout.accessibleName));
  setAccessibleDescription(QtText(layout.accessibleDescription));
  setWindowIcon(ApplicationIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  FillBackground(*this, palette().color(QPalette::Button));
  SetClientSize(*this, layout);

  // The frame first, then its controls in the window's own order: each
  // later control lies in front.
  controls_.assign(layout.controls.size(), nullptr);
  for (std::size_t row = 0; row < layout.controls.size(); ++row) {
    const ControlLayout& control = layout.controls[row];
    const std::size_t parent = ParentRow(layout, row);
    QWidget* container = parent == kNoRow ? this : controls_[parent];
    if (control.kind == ControlKind::Frame) {
      auto* frame = new QFrame(container);
      frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
      ApplyLayout(*frame, control);
      controls_[row] = frame;
    } else {
      auto* label = new QLabel(container);
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
      controls_[row] = label;
    }
    // A click on the picture or a label is not a click on the surface.
    controls_[row]->installEventFilter(this);
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
  if (!dismissal_.Dismiss()) return;
  close(); // discarded: deleted on close
  // No owner: the conversion window outlives this one.
  (new frmGridref)->show();
}

QWidget* frmSplash::Surface() const {
  const std::size_t row = RowOf(kSplashLayout, Role::Surface);
  return row == kNoRow ? nullptr : controls_[row];
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
  QWidget* const surface = Surface();
  if (watched != surface) return true; // a label or the picture: swallowed
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton) return true;
  // Only the frame's own surface: not where a label or the picture lies,
  // however the event got here.
  const QPoint at = mouse->position().toPoint();
  const bool onSurface = surface->rect().contains(at) && surface->childAt(at) == nullptr;
  if (type == QEvent::MouseButtonPress)
    surfaceClick_.Press(onSurface);
  else if (type == QEvent::MouseButtonRelease && surfaceClick_.Release(onSurface))
    Frame1_Click();
  return true;
}

} // namespace ui
