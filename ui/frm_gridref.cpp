#include "ui/frm_gridref.h"

#include "core/grid_reference.h"
#include "ui/entry_line_edit.h"
#include "ui/program_end.h"
#include "ui/twips.h"
#include "ui/window_entry_check_host.h"
#include "ui/window_support.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <limits>

namespace ui {
namespace {

using gridref::EntryField;

const QColor kWindowGrey(224, 224, 224);
const QColor kBandTeal(0, 192, 192);

// Fontconfig maps Comic Sans MS to Comic Neue where that is installed.
QFont ComicSans(qreal points, bool bold) {
  return FontOf({"Comic Sans MS", "Comic Neue"}, points, bold);
}

QFont PlainSans(qreal points, bool bold) {
  return FontOf({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans"}, points,
                bold);
}

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, const QString& text, QRect twips) {
  auto* widget = new Widget(text, parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(twips);
  return widget;
}

QLabel* CaptionLabel(QWidget* parent, const char* name, const QString& text, QRect twips) {
  auto* label = Place<QLabel>(parent, name, text, twips);
  label->setFont(PlainSans(12, true));
  return label;
}

QLabel* BandLabel(QWidget* parent, const char* name, const QString& text, QRect twips,
                  const QFont& font) {
  auto* label = Place<QLabel>(parent, name, text, twips);
  label->setFont(font);
  label->setAlignment(Qt::AlignCenter);
  FillBackground(*label, kBandTeal);
  return label;
}

EntryLineEdit* Field(QWidget* parent, const char* name, const QString& accessibleName,
                     QRect twips) {
  auto* field = Place<EntryLineEdit>(parent, name, QString(), twips);
  field->setMaxLength(std::numeric_limits<int>::max());
  field->setAccessibleName(accessibleName);
  return field;
}

} // namespace

frmGridref::frmGridref(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      host_(std::make_unique<WindowEntryCheckHost>(*this)) {
  setObjectName(QStringLiteral("frmGridref"));
  setWindowTitle(QStringLiteral("Grid Reference Conversion"));
  setWindowIcon(ApplicationIcon());
  // An inactive window gets neither keys nor focus changes.
  ActivateWhenShown(*this);
  FillBackground(*this, kWindowGrey);
  resize(FromTwips(0, 0, 7710, 5010).size());
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
  // Created in tab order, so a later control lies in front of an earlier one
  // (each minutes field in front of the label that reaches under it).
  lblHeader = BandLabel(this, "lblHeader", QStringLiteral("3 x 3 min Grid Reference Conversion"),
                        FromTwips(120, 0, 7545, 570), ComicSans(20.25, true));
  lblDegSouth = CaptionLabel(this, "lblDegSouth", QStringLiteral("Degrees South:"),
                             FromTwips(480, 960, 2295, 375));
  txtDegSouth =
      Field(this, "txtDegSouth", QStringLiteral("Degrees South"), FromTwips(2880, 960, 495, 375));
  lblMinSouth = CaptionLabel(this, "lblMinSouth", QStringLiteral("Minutes South:"),
                             FromTwips(4200, 960, 2295, 375));
  txtMinSouth =
      Field(this, "txtMinSouth", QStringLiteral("Minutes South"), FromTwips(6480, 960, 495, 375));
  lblDegEast = CaptionLabel(this, "lblDegEast", QStringLiteral("Degrees East:"),
                            FromTwips(480, 1680, 2295, 375));
  txtDegEast =
      Field(this, "txtDegEast", QStringLiteral("Degrees East"), FromTwips(2880, 1680, 495, 375));
  lblMinEast = CaptionLabel(this, "lblMinEast", QStringLiteral("Minutes East:"),
                            FromTwips(4200, 1680, 2295, 375));
  txtMinEast =
      Field(this, "txtMinEast", QStringLiteral("Minutes East"), FromTwips(6480, 1680, 495, 375));
  cmdConvert = Place<QPushButton>(this, "cmdConvert", QStringLiteral("Convert"),
                                  FromTwips(2760, 2520, 2055, 615));
  lblGridRef = BandLabel(this, "lblGridRef", QString(), FromTwips(2400, 3480, 2775, 735),
                         ComicSans(24, false));
  cmdExit = Place<QPushButton>(this, "cmdExit", QStringLiteral("E&xit"),
                               FromTwips(6360, 4200, 1215, 615));
  CmdClipboard = Place<QPushButton>(this, "CmdClipboard", QStringLiteral("Copy to Clipboard"),
                                    FromTwips(2880, 4440, 1935, 375));

  cmdConvert->setDefault(true);
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
  RunCheck(EntryField::txtDegSouth);
}
void frmGridref::txtMinSouth_LostFocus() {
  RunCheck(EntryField::txtMinSouth);
}
void frmGridref::txtDegEast_LostFocus() {
  RunCheck(EntryField::txtDegEast);
}
void frmGridref::txtMinEast_LostFocus() {
  RunCheck(EntryField::txtMinEast);
}

void frmGridref::OnFieldLostFocus(EntryField field, Qt::FocusReason reason) {
  // A box opening, or the window losing activation, takes the focus away
  // without the user leaving the field.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  const int boxesBefore = host_->BoxesShown();
  switch (field) {
  case EntryField::txtDegSouth:
    txtDegSouth_LostFocus();
    break;
  case EntryField::txtMinSouth:
    txtMinSouth_LostFocus();
    break;
  case EntryField::txtDegEast:
    txtDegEast_LostFocus();
    break;
  case EntryField::txtMinEast:
    txtMinEast_LostFocus();
    break;
  }
  if (reason == Qt::MouseFocusReason && host_->BoxesShown() != boxesBefore) {
    // The click that left a refused field does not take effect: the press
    // that caused this focus change comes next, to one of the filtered
    // controls, and is dropped there, so no button stays down.
    swallowPress_ = true;
  }
}

void frmGridref::RunCheck(EntryField field) {
  // The box and the focus return of a running check move the focus too;
  // checking those would bounce between two refused fields forever.
  if (checkRunning_ || ProgramEnding()) return;
  checkRunning_ = true;
  gridref::CheckEntry(field, *host_);
  checkRunning_ = false;
}

void frmGridref::cmdConvert_Click() {
  if (ProgramEnding()) return;
  const auto entry = gridref::ReadCoordinateEntry(
      txtDegSouth->text().toStdString(), txtMinSouth->text().toStdString(),
      txtDegEast->text().toStdString(), txtMinEast->text().toStdString());
  const std::string separator = QLocale().decimalPoint().toStdString();
  lblGridRef->setText(QString::fromStdString(gridref::ComposeGridReference(entry, separator)));
}

void frmGridref::CmdClipboard_Click() {
  if (ProgramEnding()) return;
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(lblGridRef->text());
}

void frmGridref::cmdExit_Click() {
  EndProgram();
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
    if (ProgramEnding()) return true;
    break;
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
