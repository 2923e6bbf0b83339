// A text box that reports the loss of focus after it has handled it itself,
// so that a dialog opened by the report finds the box in a settled state.
// Once left, it shows its text from the start.
#pragma once

#include <QFocusEvent>
#include <QLineEdit>

namespace ui {

class EntryLineEdit : public QLineEdit {
  Q_OBJECT
public:
  using QLineEdit::QLineEdit;

signals:
  void focusLost(Qt::FocusReason reason);

protected:
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    // A narrow field would go on showing the end of what was typed. Not
    // when the window merely loses activation: the user is still in it.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      setCursorPosition(0);
    emit focusLost(reason);
  }
};

} // namespace ui
