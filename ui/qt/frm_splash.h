// The title window: a key press or a click on its frame hands over to the
// conversion window.
#pragma once

#include "ui/shared/window_rules.h"

#include <QDialog>

#include <vector>

namespace ui {

class frmSplash : public QDialog {
  Q_OBJECT
public:
  explicit frmSplash(QWidget* parent = nullptr);

  // Whether the key produces a character (and so dismisses the window).
  static bool ProducesCharacter(const QKeyEvent& event);

  void Form_KeyPress();
  void Frame1_Click();

protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  void Dismiss();
  QWidget* Surface() const;

  std::vector<QWidget*> controls_; // by row of the table
  Dismissal dismissal_;
  SurfaceClick surfaceClick_;
  bool ownBorder_ = false; // where the platform draws none (Wayland)
};

} // namespace ui
