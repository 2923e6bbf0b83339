// The conversion window: four entry fields, Convert, the result label, Copy
// to Clipboard and Exit, rendered from its table. It lends the shared
// behaviour its fields, label, box, clipboard and end of the run.
#pragma once

#include "core/entry_checks.h"
#include "ui/shared/conversion_window.h"

#include <QDialog>

#include <cstddef>
#include <vector>

class QLabel;

namespace ui {

class EntryLineEdit;

// Control names follow the program's conventions (kind prefix, mixed case).
class frmGridref : public QDialog, private ConversionWindowHost {
  Q_OBJECT
public:
  explicit frmGridref(QWidget* parent = nullptr);
  ~frmGridref() override;

  void Form_Load();

  // The shared behaviour, with the controls' handlers.
  ConversionWindow& Behaviour() { return behaviour_; }
  EntryLineEdit* FieldWidget(gridref::EntryField field) const;

public slots:
  void reject() override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void BuildControls();
  void OnFieldLostFocus(gridref::EntryField field, Qt::FocusReason reason);
  QLabel* ResultLabel() const;

  std::string ReadText(gridref::EntryField field) override;
  void SetText(gridref::EntryField field, std::string_view text) override;
  void GiveFocus(gridref::EntryField field) override;
  void Beep() override;
  gridref::DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) override;
  std::string GridReferenceShown() override;
  void ShowGridReference(std::string_view text) override;
  void PutOnClipboard(std::string_view text) override;
  std::string DecimalSeparator() override;
  void CloseAllWindows() override;

  std::vector<QWidget*> controls_; // by row of the table; null where nothing is rendered
  ConversionWindow behaviour_{*this};
  bool swallowPress_ = false;
};

} // namespace ui
