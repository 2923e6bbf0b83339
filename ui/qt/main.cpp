// Opens the splash window and runs the event loop; everything after that
// happens in the windows' handlers. The run ends when the last window closes.
#include "ui/qt/frm_splash.h"
#include "ui/qt/platform_choice.h"
#include "ui/qt/program_end.h"
#include "ui/qt/window_support.h"

#include <QApplication>

#include <string_view>
#include <vector>

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> arguments(argv, argv + argc);
  if (const auto platform =
          ui::ChooseQtPlatform(ui::CurrentPlatformEnvironment(), arguments, ui::XServerReachable))
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
  QApplication app(argc, argv);
  // Also what X11 shows for the splash window, which has no caption.
  QApplication::setApplicationName(QStringLiteral("Quadrangler"));
  QApplication::setApplicationVersion(QStringLiteral(QUADRANGLER_VERSION));
  QApplication::setDesktopFileName(QStringLiteral(QUADRANGLER_APP_ID));
  QApplication::setWindowIcon(ui::ApplicationIcon());

  (new ui::frmSplash)->show();
  const int status = QApplication::exec();

  ui::DeleteAllWindows();
  return status;
}
