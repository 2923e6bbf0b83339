#include "ui/qt/program_end.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace ui {
namespace {

// Guarded: hiding or deleting one window may take others with it.
QList<QPointer<QWidget>> TopLevelWindows() {
  QList<QPointer<QWidget>> windows;
  for (QWidget* window : QApplication::topLevelWidgets())
    windows.append(window);
  return windows;
}
} // namespace

void CloseAllWindows() {
  for (const QPointer<QWidget>& window : TopLevelWindows())
    if (window) window->hide();
  // exit() with no loop running would leave a quit pending for the next one.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void DeleteAllWindows() {
  for (const QPointer<QWidget>& window : TopLevelWindows())
    delete window.data();
}

} // namespace ui
