#include "ui/qt/frm_gridref.h"

#include "ui/qt/entry_line_edit.h"
#include "ui/qt/program_end.h"
#include "ui/qt/window_support.h"
#include "ui/shared/window_rules.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <limits>

namespace ui {
namespace {

using gridref::EntryField;

template <typename Widget> Widget* Place(QWidget* parent, const ControlLayout& control) {
  auto* widget = new Widget(parent);
  ApplyLayout(*widget, control);
  return widget;
}

// Around the box for a refused field, Qt tells a screen reader of focus
// changes the user never sees settle: back to the control the user was
// moving to, where the box's closing re-activates the window at once, and,
// once the focus-out handler has returned, of the focus change that was
// under way when the field was left. The wrong field would be named before
// the refused one, so these are held back.
struct HeldFocus {
  int boxes = 0; // held while above 0
  QPointer<QWidget> window;
  bool all = false; // until the refused field is focused
  QAccessible::UpdateHandler next = nullptr;
} held;

void HoldFocusChanges(QAccessibleEvent* event) {
  if (event->type() == QAccessible::Focus) {
    auto* control = qobject_cast<QWidget*>(event->object());
    if (control && held.window && held.window->isAncestorOf(control) &&
        (held.all || control != QApplication::focusWidget()))
      return;
  }
  if (held.next) {
    held.next(event);
    return;
  }
  // Without a handler Qt hands the event to the platform's bridge.
  QAccessible::installUpdateHandler(nullptr);
  QAccessible::updateAccessibility(event);
  QAccessible::installUpdateHandler(HoldFocusChanges);
}

void HoldFocusAnnouncements(QWidget& window) {
  if (!QAccessible::isActive()) return;
  if (held.boxes++ == 0) held.next = QAccessible::installUpdateHandler(HoldFocusChanges);
  held.window = &window;
  held.all = true;
}

// Once the events of the handler that opened the box have been handled.
void ReleaseFocusAnnouncementsLater() {
  if (held.boxes == 0) return;
  QTimer::singleShot(0, [] {
    if (--held.boxes == 0) {
      QAccessible::installUpdateHandler(held.next);
      held = {};
    }
  });
}

} // namespace

frmGridref::frmGridref(QWidget* parent) : QDialog(parent, WindowFlagsOf(kGridrefLayout.border)) {
  const WindowLayout& layout = kGridrefLayout;
  setObjectName(QtText(layout.name));
  setWindowTitle(QtText(layout.caption));
  setWindowIcon(ApplicationIcon());
  // An inactive window gets neither keys nor focus changes.
  ActivateWhenShown(*this);
  FillBackground(*this,
                 QColor(layout.background.red, layout.background.green, layout.background.blue));
  SetClientSize(*this, layout);
  BuildControls();
  Form_Load();
  RecentreOnceFramed(*this);
}

frmGridref::~frmGridref() {
  // The controls outlive this part of the window while the base classes are
  // destroyed, and a focused field still reports its loss of focus then.
  for (QObject* control : children()) {
    control->disconnect(this);
    control->removeEventFilter(this);
  }
}

void frmGridref::BuildControls() {
  // Created in the table's (tab) order, so a later control lies in front of
  // an earlier one (each minutes field in front of the label under it).
  const WindowLayout& layout = kGridrefLayout;
  controls_.assign(layout.controls.size(), nullptr);
  for (std::size_t row = 0; row < layout.controls.size(); ++row) {
    const ControlLayout& control = layout.controls[row];
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Label: {
      auto* label = Place<QLabel>(this, control);
      label->setText(QtText(control.caption));
      if (control.align == Align::Centre) label->setAlignment(Qt::AlignCenter);
      widget = label;
      break;
    }
    case ControlKind::TextBox: {
      auto* field = Place<EntryLineEdit>(this, control);
      field->setMaxLength(std::numeric_limits<int>::max()); // unlimited length
      if (control.role == Role::Entry)
        connect(field, &EntryLineEdit::focusLost, this,
                [this, entry = control.field](Qt::FocusReason reason) {
                  OnFieldLostFocus(entry, reason);
                });
      widget = field;
      break;
    }
    case ControlKind::Button: {
      auto* button = Place<QPushButton>(this, control);
      button->setText(QtText(control.caption));
      button->setDefault(control.isDefault);
      connect(button, &QPushButton::clicked, this,
              [this, role = control.role] { behaviour_.Clicked(role); });
      widget = button;
      break;
    }
    case ControlKind::Frame:
    case ControlKind::Image:
      break;
    }
    if (widget) widget->show();
    controls_[row] = widget;
  }

  const std::vector<std::size_t> order = TabOrder(layout);
  for (std::size_t i = 0; i + 1 < order.size(); ++i)
    setTabOrder(controls_[order[i]], controls_[order[i + 1]]);
  for (std::size_t row : order)
    controls_[row]->installEventFilter(this);
  if (!order.empty()) controls_[order.front()]->setFocus(Qt::OtherFocusReason);
}

EntryLineEdit* frmGridref::FieldWidget(EntryField field) const {
  return static_cast<EntryLineEdit*>(controls_[RowOf(kGridrefLayout, field)]);
}

QLabel* frmGridref::ResultLabel() const {
  return static_cast<QLabel*>(controls_[RowOf(kGridrefLayout, Role::Result)]);
}

void frmGridref::Form_Load() {
  CentreOnScreen(*this);
}

void frmGridref::OnFieldLostFocus(EntryField field, Qt::FocusReason reason) {
  // A box opening, or the window losing activation, takes the focus away
  // without the user leaving the field.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  const bool refused = behaviour_.FieldLeft(field);
  // The click that left a refused field does not take effect: the press
  // that caused this focus change comes next, to one of the filtered
  // controls, and is dropped there, so no button stays down.
  if (reason == Qt::MouseFocusReason && refused) swallowPress_ = true;
}

void frmGridref::reject() {
  // Escape and the window's close button end the program, never just hide
  // this window.
  if (ProgramEnding())
    QDialog::reject();
  else
    behaviour_.Clicked(Role::Exit);
}

void frmGridref::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    behaviour_.Clicked(Role::Exit);
    return;
  }
  QDialog::keyPressEvent(event);
}

bool frmGridref::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
    if (ProgramEnding()) return true;
    if (swallowPress_) {
      swallowPress_ = false;
      return true;
    }
    break;
  case QEvent::MouseButtonRelease:
    swallowPress_ = false;
    if (ProgramEnding()) return true;
    break;
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride: {
    if (ProgramEnding()) return true;
    auto* key = static_cast<QKeyEvent*>(event);
    const KeyMotion motion = key->isAutoRepeat()                   ? KeyMotion::Repeat
                             : event->type() == QEvent::KeyRelease ? KeyMotion::Release
                                                                   : KeyMotion::Press;
    if (behaviour_.DropsKey(motion, key->key(), static_cast<std::uint32_t>(key->timestamp()))) {
      event->accept(); // an override taken here: no shortcut (Alt+X) acts on it
      return true;
    }
    // Alt+Shift with an access key is the access key too, as on the other
    // platforms; Qt's shortcut takes Alt alone.
    if (event->type() == QEvent::KeyPress &&
        (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == Qt::AltModifier) {
      const std::size_t row = RowWithAccessKey(kGridrefLayout, static_cast<char32_t>(key->key()));
      if (row != kNoRow) {
        behaviour_.Clicked(kGridrefLayout.controls[row].role);
        return true;
      }
    }
    break;
  }
  case QEvent::Shortcut: {
    // An access key (Alt+X) acts at once, like Escape: no focus move to the
    // button first (which would check the field being left), no animated
    // click.
    const QKeySequence& keys = static_cast<QShortcutEvent*>(event)->key();
    const std::size_t row =
        keys.isEmpty() ? kNoRow
                       : RowWithAccessKey(kGridrefLayout, static_cast<char32_t>(keys[0].key()));
    if (row != kNoRow && watched == controls_[row]) {
      behaviour_.Clicked(kGridrefLayout.controls[row].role);
      return true;
    }
    break;
  }
  default:
    break;
  }
  return QDialog::eventFilter(watched, event);
}

std::string frmGridref::ReadText(EntryField field) {
  return FieldWidget(field)->text().toStdString();
}

void frmGridref::SetText(EntryField field, std::string_view text) {
  FieldWidget(field)->setText(QtText(text));
}

void frmGridref::GiveFocus(EntryField field) {
  // Without a window manager nothing re-activates the window after the box;
  // the user must be able to type into the field at once.
  activateWindow();
  held.all = false; // the refused field's focus is announced
  FieldWidget(field)->setFocus(Qt::OtherFocusReason);
}

void frmGridref::Beep() {
  QApplication::beep();
}

gridref::DialogAnswer frmGridref::AskRetryOrCancel(std::string_view prompt,
                                                   std::string_view title) {
  QMessageBox box(QMessageBox::NoIcon, QtText(title), QtText(prompt),
                  QMessageBox::Retry | QMessageBox::Cancel, this);
  box.setDefaultButton(QMessageBox::Retry);
  box.setEscapeButton(QMessageBox::Cancel); // also closing the box
  // Without a window manager nothing activates the box, and keys would still
  // go to the blocked window.
  ActivateWhenShown(box);
  HoldFocusAnnouncements(*this);
  const int answer = box.exec();
  ReleaseFocusAnnouncementsLater();
  return answer == QMessageBox::Retry ? gridref::DialogAnswer::Retry
                                      : gridref::DialogAnswer::Cancel;
}

std::string frmGridref::GridReferenceShown() {
  return ResultLabel()->text().toStdString();
}

void frmGridref::ShowGridReference(std::string_view text) {
  QLabel* label = ResultLabel();
  const QString shown = QtText(text);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  label->setText(shown);
  // A screen reader speaks name changes only of the focused control, and the
  // focus stays where the user left it: the result is announced, politely,
  // on every Convert, the same result again too.
  QAccessibleAnnouncementEvent announcement(label, shown);
  announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
  QAccessible::updateAccessibility(&announcement);
#else
  // The label's text is its accessible name. A new text announces itself;
  // the same result again is announced too, as the answer to this Convert.
  const bool same = label->text() == shown;
  label->setText(shown);
  if (same) {
    QAccessibleEvent changed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
  }
#endif
}

void frmGridref::PutOnClipboard(std::string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(QtText(text));
}

std::string frmGridref::DecimalSeparator() {
  return QLocale().decimalPoint().toStdString();
}

void frmGridref::CloseAllWindows() {
  ui::CloseAllWindows();
}

} // namespace ui
