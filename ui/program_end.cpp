#include "ui/program_end.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace ui {
namespace {
bool ending = false;

// Guarded: hiding or deleting one window may take others with it.
QList<QPointer<QWidget>> TopLevelWindows() {
  QList<QPointer<QWidget>> windows;
  for (QWidget* window : QApplication::topLevelWidgets())
    windows.append(window);
  return windows;
}
} // namespace

bool ProgramEnding() {
  return ending;
}

void EndProgram() {
  if (ending) return;
  ending = true;
  for (const QPointer<QWidget>& window : TopLevelWindows())
    if (window) window->hide();
  // exit() with no loop running would leave a quit pending for the next one.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void DeleteAllWindows() {
  for (const QPointer<QWidget>& window : TopLevelWindows())
    delete window.data();
}

void ResetProgramEnd() {
  ending = false;
}

} // namespace ui
