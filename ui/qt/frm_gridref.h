// The conversion window: four entry fields, Convert, the result label, Copy
// to Clipboard and Exit.
#pragma once

#include "core/entry_checks.h"
#include "ui/shared/conversion_window.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;

namespace ui {

class EntryLineEdit;
class QtConversionWindowHost;

// Control names follow the program's conventions (kind prefix, mixed case).
// NOLINTNEXTLINE(readability-identifier-naming)
class frmGridref : public QDialog {
  Q_OBJECT
public:
  explicit frmGridref(QWidget* parent = nullptr);
  ~frmGridref() override;

  // Handlers, named after their control and event.
  void Form_Load();
  void txtDegSouth_LostFocus();
  void txtMinSouth_LostFocus();
  void txtDegEast_LostFocus();
  void txtMinEast_LostFocus();
  void cmdConvert_Click();
  void CmdClipboard_Click();
  void cmdExit_Click();

  EntryLineEdit* FieldWidget(gridref::EntryField field) const;

public slots:
  void reject() override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void BuildControls();
  void OnFieldLostFocus(gridref::EntryField field, Qt::FocusReason reason);

  QLabel* lblHeader = nullptr;
  QLabel* lblDegSouth = nullptr;
  EntryLineEdit* txtDegSouth = nullptr;
  QLabel* lblMinSouth = nullptr;
  EntryLineEdit* txtMinSouth = nullptr;
  QLabel* lblDegEast = nullptr;
  EntryLineEdit* txtDegEast = nullptr;
  QLabel* lblMinEast = nullptr;
  EntryLineEdit* txtMinEast = nullptr;
  QPushButton* cmdConvert = nullptr;
  QLabel* lblGridRef = nullptr;
  QPushButton* cmdExit = nullptr;
  QPushButton* CmdClipboard = nullptr;

  std::unique_ptr<QtConversionWindowHost> host_;
  ConversionWindow behaviour_;
  bool swallowPress_ = false;
  bool lastLeaveRefused_ = false;
};

} // namespace ui
