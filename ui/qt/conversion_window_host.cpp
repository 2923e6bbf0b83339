#include "ui/qt/conversion_window_host.h"

#include "ui/qt/entry_line_edit.h"
#include "ui/qt/frm_gridref.h"
#include "ui/qt/program_end.h"
#include "ui/qt/window_support.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>

namespace ui {
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
  return box.exec() == QMessageBox::Retry ? gridref::DialogAnswer::Retry
                                          : gridref::DialogAnswer::Cancel;
}

std::string QtConversionWindowHost::GridReferenceShown() {
  return window_.findChild<QLabel*>(QStringLiteral("lblGridRef"))->text().toStdString();
}

void QtConversionWindowHost::ShowGridReference(std::string_view text) {
  window_.findChild<QLabel*>(QStringLiteral("lblGridRef"))->setText(QtText(text));
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
