// Opens the first window and runs the event loop; everything after that
// happens in the windows' handlers.
#include "ui/frm_gridref.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quadrangler"));
  QApplication::setApplicationVersion(QStringLiteral(QUADRANGLER_VERSION));

  (new ui::frmGridref)->show();
  const int status = QApplication::exec();

  QList<QPointer<QWidget>> windows;
  for (QWidget *window : QApplication::topLevelWidgets())
    windows.append(window);
  for (const QPointer<QWidget> &window : windows)
    delete window.data();
  return status;
}
