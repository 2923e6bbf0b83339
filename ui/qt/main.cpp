// Opens the splash window and runs the event loop; everything after that
// happens in the windows' handlers. The run ends when the last window closes.
#include "ui/qt/frm_splash.h"
#include "ui/qt/platform_choice.h"
#include "ui/qt/program_end.h"
#include "ui/qt/window_support.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// When no platform starts, Qt and the libraries under it write several lines
// to stderr and Qt aborts. What they write while the application starts is
// held back here: passed on once it has started, or replaced by one line
// that says what is missing.
class HeldStderr {
public:
  HeldStderr() : file_(std::tmpfile()) {
    if (!file_) return;
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    if (saved_ < 0 || dup2(fileno(file_), STDERR_FILENO) < 0) Restore();
  }
  HeldStderr(const HeldStderr&) = delete;
  HeldStderr& operator=(const HeldStderr&) = delete;
  ~HeldStderr() {
    PassOn();
    if (file_) std::fclose(file_);
  }

  void PassOn() {
    if (!Restore() || std::fseek(file_, 0, SEEK_SET) != 0) return;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0;)
      std::fwrite(buffer, 1, n, stderr);
  }
  void Drop() { Restore(); }

private:
  bool Restore() {
    if (saved_ < 0) return false;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
    return true;
  }

  std::FILE* file_;
  int saved_ = -1;
};

HeldStderr* heldStderr = nullptr;
std::vector<std::string_view> arguments;
QtMessageHandler qtHandler = nullptr;

void ReportMissingDisplay(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
  if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
    // Asked for, Qt's own account of its plugins comes first.
    if (qEnvironmentVariableIsSet("QT_DEBUG_PLUGINS"))
      heldStderr->PassOn();
    else
      heldStderr->Drop();
    const std::string line = ui::NoDisplayLine(ui::CurrentPlatformEnvironment(), arguments,
                                               message.toStdString(), ui::LocalXServerAnswers) +
                             "\n";
    std::fputs(line.c_str(), stderr);
    std::_Exit(EXIT_FAILURE);
  }
  if (type == QtFatalMsg) heldStderr->PassOn();
  if (qtHandler) qtHandler(type, context, message);
}

} // namespace

int main(int argc, char* argv[]) {
  arguments.assign(argv, argv + argc);
  if (const auto platform =
          ui::ChooseQtPlatform(ui::CurrentPlatformEnvironment(), arguments, ui::XServerReachable))
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
  HeldStderr held;
  heldStderr = &held;
  qtHandler = qInstallMessageHandler(ReportMissingDisplay);
  QApplication app(argc, argv);
  qInstallMessageHandler(qtHandler);
  held.PassOn();
  heldStderr = nullptr;

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
