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
  lastRefused_ = false;
  switch (field) {
  case gridref::EntryField::txtDegSouth:
    txtDegSouth_LostFocus();
    break;
  case gridref::EntryField::txtMinSouth:
    txtMinSouth_LostFocus();
    break;
  case gridref::EntryField::txtDegEast:
    txtDegEast_LostFocus();
    break;
  case gridref::EntryField::txtMinEast:
    txtMinEast_LostFocus();
    break;
  }
  return lastRefused_;
}

void ConversionWindow::Clicked(Role role) {
  switch (role) {
  case Role::Convert:
    cmdConvert_Click();
    break;
  case Role::Copy:
    CmdClipboard_Click();
    break;
  case Role::Exit:
    cmdExit_Click();
    break;
  case Role::Caption:
  case Role::Entry:
  case Role::Result:
  case Role::Surface:
    break;
  }
}

void ConversionWindow::Check(gridref::EntryField field) {
  if (checkRunning_ || ending) return;
  checkRunning_ = true;
  const gridref::CheckOutcome outcome = gridref::CheckEntry(field, host_);
  if (outcome == gridref::CheckOutcome::Cancelled) cmdExit_Click();
  checkRunning_ = false;
  lastRefused_ = outcome == gridref::CheckOutcome::Retried && !ending;
  if (lastRefused_) ++refusedLeaves_;
}

void ConversionWindow::txtDegSouth_LostFocus() {
  Check(gridref::EntryField::txtDegSouth);
}
void ConversionWindow::txtMinSouth_LostFocus() {
  Check(gridref::EntryField::txtMinSouth);
}
void ConversionWindow::txtDegEast_LostFocus() {
  Check(gridref::EntryField::txtDegEast);
}
void ConversionWindow::txtMinEast_LostFocus() {
  Check(gridref::EntryField::txtMinEast);
}

void ConversionWindow::cmdConvert_Click() {
  if (ending) return;
  const auto entry = gridref::ReadCoordinateEntry(host_.ReadText(gridref::EntryField::txtDegSouth),
                                                  host_.ReadText(gridref::EntryField::txtMinSouth),
                                                  host_.ReadText(gridref::EntryField::txtDegEast),
                                                  host_.ReadText(gridref::EntryField::txtMinEast));
  host_.ShowGridReference(gridref::ComposeGridReference(entry, host_.DecimalSeparator()));
}

void ConversionWindow::CmdClipboard_Click() {
  if (ending) return;
  host_.PutOnClipboard(host_.GridReferenceShown());
}

void ConversionWindow::cmdExit_Click() {
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

} // namespace ui
