#include "ui/qt/conversion_window_host.h"

#include "ui/qt/entry_line_edit.h"
#include "ui/qt/frm_gridref.h"
#include "ui/qt/program_end.h"
#include "ui/qt/window_support.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace ui {
namespace {

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

std::string QtConversionWindowHost::FieldText(gridref::EntryField field) {
  return window_.FieldWidget(field)->text().toStdString();
}

void QtConversionWindowHost::SetFieldText(gridref::EntryField field, std::string_view text) {
  window_.FieldWidget(field)->setText(QtText(text));
}

void QtConversionWindowHost::FocusField(gridref::EntryField field) {
  // Without a window manager nothing re-activates the window after the box;
  // the user must be able to type into the field at once.
  window_.activateWindow();
  held.all = false; // the refused field's focus is announced
  window_.FieldWidget(field)->setFocus(Qt::OtherFocusReason);
}

void QtConversionWindowHost::Beep() {
  QApplication::beep();
}

gridref::DialogAnswer QtConversionWindowHost::AskRetryOrCancel(std::string_view prompt,
                                                               std::string_view title) {
  QMessageBox box(QMessageBox::NoIcon, QtText(title), QtText(prompt),
                  QMessageBox::Retry | QMessageBox::Cancel, &window_);
  box.setDefaultButton(QMessageBox::Retry);
  box.setEscapeButton(QMessageBox::Cancel); // also closing the box
  // Without a window manager nothing activates the box, and keys would still
  // go to the blocked window.
  ActivateWhenShown(box);
  HoldFocusAnnouncements(window_);
  const int answer = box.exec();
  ReleaseFocusAnnouncementsLater();
  return answer == QMessageBox::Retry ? gridref::DialogAnswer::Retry
                                      : gridref::DialogAnswer::Cancel;
}

std::string QtConversionWindowHost::GridReferenceShown() {
  return window_.findChild<QLabel*>(QStringLiteral("lblGridRef"))->text().toStdString();
}

void QtConversionWindowHost::ShowGridReference(std::string_view text) {
  auto* label = window_.findChild<QLabel*>(QStringLiteral("lblGridRef"));
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

void QtConversionWindowHost::PutOnClipboard(std::string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(QtText(text));
}

std::string QtConversionWindowHost::DecimalSeparator() {
  return QLocale().decimalPoint().toStdString();
}

void QtConversionWindowHost::CloseAllWindows() {
  ui::CloseAllWindows();
}

} // namespace ui
