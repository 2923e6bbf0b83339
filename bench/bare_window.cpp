// The floor to compare start-up against: a Qt Widgets program that shows one
// empty window and runs its event loop.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(492, 283);
  window.show();
  return QApplication::exec();
}
