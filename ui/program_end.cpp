#include "ui/program_end.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace ui {
namespace {
bool ending = false;
} // namespace

bool ProgramEnding() {
  return ending;
}

void EndProgram() {
  if (ending) return;
  ending = true;
  QList<QPointer<QWidget>> windows;
  for (QWidget* window : QApplication::topLevelWidgets())
    windows.append(window);
  for (const QPointer<QWidget>& window : windows)
    if (window) window->hide();
  // exit() with no loop running would leave a quit pending for the next one.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void ResetProgramEnd() {
  ending = false;
}

} // namespace ui
