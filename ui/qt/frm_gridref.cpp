#include "ui/qt/frm_gridref.h"

#include "ui/qt/conversion_window_host.h"
#include "ui/qt/entry_line_edit.h"
#include "ui/qt/program_end.h"
#include "ui/qt/window_support.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <limits>

namespace ui {
namespace {

using gridref::EntryField;

template <typename Widget> Widget* Place(QWidget* parent, const ControlLayout& control) {
  auto* widget = new Widget(parent);
  ApplyLayout(*widget, control);
  return widget;
}

} // namespace

frmGridref::frmGridref(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      host_(std::make_unique<QtConversionWindowHost>(*this)), behaviour_(*host_) {
  const WindowLayout& layout = kGridrefLayout;
  setObjectName(QtText(layout.name));
  setWindowTitle(QtText(layout.caption));
  setWindowIcon(ApplicationIcon());
  // An inactive window gets neither keys nor focus changes.
  ActivateWhenShown(*this);
  FillBackground(*this,
                 QColor(layout.background.red, layout.background.green, layout.background.blue));
  resize(ClientSize(layout));
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
  for (const ControlLayout& control : kGridrefLayout.controls) {
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
      widget = field;
      break;
    }
    case ControlKind::Button: {
      auto* button = Place<QPushButton>(this, control);
      button->setText(QtText(control.caption));
      button->setDefault(control.isDefault);
      widget = button;
      break;
    }
    case ControlKind::Frame:
    case ControlKind::Image:
      break;
    }
    if (widget) widget->show();
  }
  auto named = [this](const char* name) { return findChild<QWidget*>(QLatin1String(name)); };
  lblHeader = static_cast<QLabel*>(named("lblHeader"));
  lblDegSouth = static_cast<QLabel*>(named("lblDegSouth"));
  txtDegSouth = static_cast<EntryLineEdit*>(named("txtDegSouth"));
  lblMinSouth = static_cast<QLabel*>(named("lblMinSouth"));
  txtMinSouth = static_cast<EntryLineEdit*>(named("txtMinSouth"));
  lblDegEast = static_cast<QLabel*>(named("lblDegEast"));
  txtDegEast = static_cast<EntryLineEdit*>(named("txtDegEast"));
  lblMinEast = static_cast<QLabel*>(named("lblMinEast"));
  txtMinEast = static_cast<EntryLineEdit*>(named("txtMinEast"));
  cmdConvert = static_cast<QPushButton*>(named("cmdConvert"));
  lblGridRef = static_cast<QLabel*>(named("lblGridRef"));
  cmdExit = static_cast<QPushButton*>(named("cmdExit"));
  CmdClipboard = static_cast<QPushButton*>(named("CmdClipboard"));

  QWidget* const focusCycle[] = {txtDegSouth, txtMinSouth, txtDegEast,  txtMinEast,
                                 cmdConvert,  cmdExit,     CmdClipboard};
  for (std::size_t i = 0; i + 1 < std::size(focusCycle); ++i)
    setTabOrder(focusCycle[i], focusCycle[i + 1]);
  for (QWidget* control : focusCycle)
    control->installEventFilter(this);

  for (EntryField field : gridref::AllEntryFields)
    connect(FieldWidget(field), &EntryLineEdit::focusLost, this,
            [this, field](Qt::FocusReason reason) { OnFieldLostFocus(field, reason); });
  connect(cmdConvert, &QPushButton::clicked, this, &frmGridref::cmdConvert_Click);
  connect(CmdClipboard, &QPushButton::clicked, this, &frmGridref::CmdClipboard_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmGridref::cmdExit_Click);
  txtDegSouth->setFocus(Qt::OtherFocusReason);
}

EntryLineEdit* frmGridref::FieldWidget(EntryField field) const {
  switch (field) {
  case EntryField::txtDegSouth:
    return txtDegSouth;
  case EntryField::txtMinSouth:
    return txtMinSouth;
  case EntryField::txtDegEast:
    return txtDegEast;
  case EntryField::txtMinEast:
    return txtMinEast;
  }
  return txtDegSouth;
}

void frmGridref::Form_Load() {
  CentreOnScreen(*this);
}

void frmGridref::txtDegSouth_LostFocus() {
  lastLeaveRefused_ = behaviour_.FieldLeft(EntryField::txtDegSouth);
}
void frmGridref::txtMinSouth_LostFocus() {
  lastLeaveRefused_ = behaviour_.FieldLeft(EntryField::txtMinSouth);
}
void frmGridref::txtDegEast_LostFocus() {
  lastLeaveRefused_ = behaviour_.FieldLeft(EntryField::txtDegEast);
}
void frmGridref::txtMinEast_LostFocus() {
  lastLeaveRefused_ = behaviour_.FieldLeft(EntryField::txtMinEast);
}

void frmGridref::OnFieldLostFocus(EntryField field, Qt::FocusReason reason) {
  // A box opening, or the window losing activation, takes the focus away
  // without the user leaving the field.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  lastLeaveRefused_ = false;
  RunLostFocusHandler(*this, field);
  // The click that left a refused field does not take effect: the press
  // that caused this focus change comes next, to one of the filtered
  // controls, and is dropped there, so no button stays down.
  if (reason == Qt::MouseFocusReason && lastLeaveRefused_) swallowPress_ = true;
}

void frmGridref::cmdConvert_Click() {
  behaviour_.Convert();
}

void frmGridref::CmdClipboard_Click() {
  behaviour_.Copy();
}

void frmGridref::cmdExit_Click() {
  behaviour_.Exit();
}

void frmGridref::reject() {
  // Escape and the window's close button end the program, never just hide
  // this window.
  if (ProgramEnding())
    QDialog::reject();
  else
    cmdExit_Click();
}

void frmGridref::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    cmdExit_Click();
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
    break;
  }
  case QEvent::Shortcut:
    // Alt+X ends at once, like Escape: no focus move to the button first
    // (which would check the field being left), no animated click.
    if (watched == cmdExit) {
      cmdExit_Click();
      return true;
    }
    break;
  default:
    break;
  }
  return QDialog::eventFilter(watched, event);
}

} // namespace ui
