#include "ui/frm_splash.h"

#include "ui/frm_gridref.h"
#include "ui/twips.h"
#include "ui/window_support.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace ui {
namespace {

QLabel* Label(QWidget* frame, const char* name, const QString& text, QRect twips, const QFont& font,
              bool sizesItself) {
  auto* label = new QLabel(text, frame);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  label->setGeometry(twips);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  FillBackground(*label, frame->palette().color(QPalette::Button));
  if (sizesItself) label->adjustSize(); // keeps left and top
  return label;
}

} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint) { // a border, no title bar
  setObjectName(QStringLiteral("frmSplash"));
  setWindowTitle(QString());
  setWindowIcon(ApplicationIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  FillBackground(*this, palette().color(QPalette::Button));
  setFixedSize(FromTwips(0, 0, 7380, 4245).size());

  Frame1 = new QFrame(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Frame1->setGeometry(FromTwips(120, 120, 7080, 4050));
  FillBackground(*Frame1, QApplication::palette("QMenu").color(QPalette::Window));
  Frame1->installEventFilter(this);

  // In the window's own order: each later control lies in front.
  imgLogo = new QLabel(Frame1);
  imgLogo->setObjectName(QStringLiteral("imgLogo"));
  imgLogo->setGeometry(FromTwips(360, 795, 1815, 2385));
  imgLogo->setPixmap(QPixmap(QStringLiteral(":/icons/logo.png")));
  imgLogo->setScaledContents(true);
  lblCopyright = Label(Frame1, "lblCopyright", QStringLiteral("Copyright \u00A9 2026"),
                       FromTwips(4560, 3060, 2415, 255), Arial(8.25, false), false);
  lblCompany = Label(Frame1, "lblCompany", QStringLiteral("by the Quadrangler developers"),
                     FromTwips(4560, 3270, 2415, 255), Arial(8.25, false), false);
  lblProgVersion = Label(Frame1, "lblProgVersion", QStringLiteral("Version 1.05"),
                         FromTwips(5445, 2700, 1410, 285), Arial(12, true), true);
  lblProgVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);
  lblTitle2 = Label(Frame1, "lblTitle2", QStringLiteral("Quadrangler"),
                    FromTwips(2520, 1140, 3030, 765), Arial(32.25, true), true);
  lblTitle1 = Label(Frame1, "lblTitle1", QStringLiteral("3 x 3-Minute"),
                    FromTwips(1920, 720, 4875, 435), Arial(18, true), true);
  // A click on the picture or a label is not a click on the frame.
  for (QLabel* child : {imgLogo, lblCopyright, lblCompany, lblProgVersion, lblTitle2, lblTitle1})
    child->installEventFilter(this);

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
