#include "ui/window_entry_check_host.h"

#include "ui/entry_line_edit.h"
#include "ui/frm_gridref.h"
#include "ui/program_end.h"
#include "ui/window_support.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {
namespace {
QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

std::string WindowEntryCheckHost::ReadText(gridref::EntryField field) {
  return window_.FieldWidget(field)->text().toStdString();
}

void WindowEntryCheckHost::SetText(gridref::EntryField field, std::string_view text) {
  window_.FieldWidget(field)->setText(FromUtf8(text));
}

void WindowEntryCheckHost::GiveFocus(gridref::EntryField field) {
  // Without a window manager nothing re-activates the window after the box;
  // the user must be able to type into the field at once.
  window_.activateWindow();
  window_.FieldWidget(field)->setFocus(Qt::OtherFocusReason);
}

void WindowEntryCheckHost::Beep() {
  QApplication::beep();
}

gridref::DialogAnswer WindowEntryCheckHost::AskRetryOrCancel(std::string_view prompt,
                                                             std::string_view title) {
  ++boxesShown_;
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), FromUtf8(prompt),
                  QMessageBox::Retry | QMessageBox::Cancel, &window_);
  box.setDefaultButton(QMessageBox::Retry);
  box.setEscapeButton(QMessageBox::Cancel); // also closing the box
  // Without a window manager nothing activates the box, and keys would still
  // go to the blocked window.
  ActivateWhenShown(box);
  return box.exec() == QMessageBox::Retry ? gridref::DialogAnswer::Retry
                                          : gridref::DialogAnswer::Cancel;
}

void WindowEntryCheckHost::EndProgram() {
  ui::EndProgram();
}

} // namespace ui
