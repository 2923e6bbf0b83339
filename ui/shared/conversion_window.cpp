#include "ui/shared/conversion_window.h"

#include "core/grid_reference.h"

namespace ui {
namespace {
bool ending = false;
} // namespace

bool ProgramEnding() {
  return ending;
}

void ResetProgramEnd() {
  ending = false;
}

bool ConversionWindow::FieldLeft(gridref::EntryField field) {
  if (checkRunning_ || ending) return false;
  const int boxesBefore = boxesShown_;
  checkRunning_ = true;
  gridref::CheckEntry(field, *this);
  checkRunning_ = false;
  return boxesShown_ != boxesBefore && !ending;
}

void ConversionWindow::Convert() {
  if (ending) return;
  const auto entry = gridref::ReadCoordinateEntry(host_.FieldText(gridref::EntryField::txtDegSouth),
                                                  host_.FieldText(gridref::EntryField::txtMinSouth),
                                                  host_.FieldText(gridref::EntryField::txtDegEast),
                                                  host_.FieldText(gridref::EntryField::txtMinEast));
  host_.ShowGridReference(gridref::ComposeGridReference(entry, host_.DecimalSeparator()));
}

void ConversionWindow::Copy() {
  if (ending) return;
  host_.PutOnClipboard(host_.GridReferenceShown());
}

void ConversionWindow::Exit() {
  if (ending) return;
  ending = true;
  host_.CloseAllWindows();
}

bool ConversionWindow::DropsKey(KeyMotion motion, int key, std::uint32_t time) {
  if (!freshKeysOnly_) return false;
  switch (motion) {
  case KeyMotion::Repeat:
    return true;
  case KeyMotion::Release:
    released_ = true;
    releasedKey_ = key;
    releasedAt_ = time;
    return false;
  case KeyMotion::Press:
    if (released_ && releasedKey_ == key && releasedAt_ == time) return true;
    break;
  }
  freshKeysOnly_ = false;
  return false;
}

std::string ConversionWindow::ReadText(gridref::EntryField field) {
  return host_.FieldText(field);
}
void ConversionWindow::SetText(gridref::EntryField field, std::string_view text) {
  host_.SetFieldText(field, text);
}
void ConversionWindow::GiveFocus(gridref::EntryField field) {
  host_.FocusField(field);
}
void ConversionWindow::Beep() {
  host_.Beep();
}
gridref::DialogAnswer ConversionWindow::AskRetryOrCancel(std::string_view prompt,
                                                         std::string_view title) {
  ++boxesShown_;
  return host_.AskRetryOrCancel(prompt, title);
}
void ConversionWindow::EndProgram() {
  Exit();
}

} // namespace ui
