// A text box that reports the loss of focus after it has handled it itself,
// so that a dialog opened by the report finds the box in a settled state.
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
    emit focusLost(event->reason());
  }
};

} // namespace ui
