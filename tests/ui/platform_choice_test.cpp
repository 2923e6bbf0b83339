// The platform the program asks Qt for, over the sessions a user may have.
#include "ui/qt/platform_choice.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstddef>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

class PlatformChoiceTest : public QObject {
  Q_OBJECT

private slots:
  void choice_data();
  void choice();
  void reachability_data();
  void reachability();
  void noDisplayLine_data();
  void noDisplayLine();
};

void PlatformChoiceTest::choice_data() {
  QTest::addColumn<QString>("qpa");     // "-" for unset
  QTest::addColumn<QString>("display"); // "-" for unset
  QTest::addColumn<QString>("wayland"); // "-" for unset
  QTest::addColumn<bool>("reachable");  // the X server of DISPLAY
  QTest::addColumn<QString>("argument");
  QTest::addColumn<QString>("chosen"); // "-" for Qt's own choice
  QTest::newRow("Wayland with XWayland: X11") << "-"
                                              << ":1"
                                              << "wayland-0" << true << ""
                                              << "xcb";
  QTest::newRow("Wayland without XWayland: Qt's choice") << "-"
                                                         << "-"
                                                         << "wayland-0" << false << ""
                                                         << "-";
  QTest::newRow("Wayland, stale DISPLAY: Qt's choice") << "-"
                                                       << ":7"
                                                       << "wayland-0" << false << ""
                                                       << "-";
  QTest::newRow("X11 only: X11") << "-"
                                 << ":0"
                                 << "-" << true << ""
                                 << "xcb";
  QTest::newRow("QT_QPA_PLATFORM chosen by the user") << "wayland"
                                                      << ":1"
                                                      << "wayland-0" << true << ""
                                                      << "-";
  QTest::newRow("empty QT_QPA_PLATFORM is no choice") << ""
                                                      << ":1"
                                                      << "wayland-0" << true << ""
                                                      << "xcb";
  QTest::newRow("-platform chosen by the user") << "-"
                                                << ":1"
                                                << "wayland-0" << true << "-platform"
                                                << "-";
  QTest::newRow("--platform chosen by the user") << "-"
                                                 << ":1"
                                                 << "wayland-0" << true << "--platform"
                                                 << "-";
  QTest::newRow("no display at all: Qt's choice") << "-"
                                                  << "-"
                                                  << "-" << false << ""
                                                  << "-";
}

void PlatformChoiceTest::choice() {
  QFETCH(QString, qpa);
  QFETCH(QString, display);
  QFETCH(QString, wayland);
  QFETCH(bool, reachable);
  QFETCH(QString, argument);
  QFETCH(QString, chosen);
  auto value = [](const QString& v) {
    return v == QLatin1String("-") ? std::nullopt : std::optional<std::string>(v.toStdString());
  };
  const ui::PlatformEnvironment env{value(qpa), value(display), value(wayland)};
  const std::string arg = argument.toStdString();
  std::vector<std::string_view> arguments{"quadrangler"};
  if (!arg.empty()) arguments.insert(arguments.end(), {arg, "wayland"});
  const auto got =
      ui::ChooseQtPlatform(env, arguments, [&](std::string_view) { return reachable; });
  QCOMPARE(got.has_value() ? QString::fromStdString(*got) : QStringLiteral("-"), chosen);
}

void PlatformChoiceTest::reachability_data() {
  QTest::addColumn<QString>("display");
  QTest::addColumn<QString>("socket"); // what serves display 5 in the socket folder
  QTest::addColumn<bool>("reachable");
  QTest::newRow("remote host taken on trust") << "remotehost:0"
                                              << "none" << true;
  QTest::newRow("no colon") << "nonsense"
                            << "none" << false;
  QTest::newRow("no number") << ":"
                             << "none" << false;
  QTest::newRow("local display without a server") << ":65000"
                                                  << "none" << false;
  QTest::newRow("unix: display without a server") << "unix:65001.0"
                                                  << "none" << false;
  QTest::newRow("stale socket file: no server") << ":5"
                                                << "stale" << false;
  QTest::newRow("listening socket file") << ":5.0"
                                         << "listening" << true;
  QTest::newRow("listening abstract socket") << "unix:5"
                                             << "abstract" << true;
  QTest::newRow("another display's socket") << ":6"
                                            << "listening" << false;
}

void PlatformChoiceTest::reachability() {
  QFETCH(QString, display);
  QFETCH(QString, socket);
  QFETCH(bool, reachable);
  QTemporaryDir folder;
  QVERIFY(folder.isValid());
  const std::string path = folder.filePath(QStringLiteral("X5")).toStdString();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  QVERIFY(fd >= 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const bool abstract = socket == QLatin1String("abstract");
  path.copy(address.sun_path + (abstract ? 1 : 0), path.size());
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) + path.size());
  if (socket != QLatin1String("none"))
    QCOMPARE(bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
  if (socket == QLatin1String("listening") || abstract) QCOMPARE(listen(fd, 1), 0);
  const bool got = ui::XServerReachableIn(display.toStdString(), folder.path().toStdString());
  close(fd); // a bound socket file outlives its socket: "stale" is that
  QCOMPARE(got, reachable);
}

void PlatformChoiceTest::noDisplayLine_data() {
  const QString qtSays = QStringLiteral(
      "This application failed to start because no Qt platform plugin could be initialized. "
      "Reinstalling the application may fix this problem.\n\n"
      "Available platform plugins are: wayland-egl, offscreen, xcb, wayland.\n");
  QTest::addColumn<QString>("qpa");     // "-" for unset
  QTest::addColumn<QString>("display"); // "-" for unset
  QTest::addColumn<QString>("wayland"); // "-" for unset
  QTest::addColumn<QString>("argument");
  QTest::addColumn<QString>("qtMessage");
  QTest::addColumn<QString>("line");
  const QString prefix = QStringLiteral("quadrangler: cannot open a window: ");
  QTest::newRow("no display at all")
      << "-"
      << "-"
      << "-"
      << "" << qtSays << prefix + "neither DISPLAY nor WAYLAND_DISPLAY is set";
  QTest::newRow("empty variables are unset")
      << "-"
      << ""
      << ""
      << "" << qtSays << prefix + "neither DISPLAY nor WAYLAND_DISPLAY is set";
  QTest::newRow("dead DISPLAY chosen as X11")
      << "xcb"
      << "remote:3"
      << "-"
      << "" << qtSays << prefix + "the X display \"remote:3\" does not answer";
  QTest::newRow("dead DISPLAY, Qt's choice")
      << "-"
      << ":7"
      << "-"
      << "" << qtSays << prefix + "the X display \":7\" does not answer";
  QTest::newRow("dead Wayland display, no DISPLAY")
      << "-"
      << "-"
      << "wayland-9"
      << "" << qtSays
      << prefix + "no Wayland compositor answers at \"wayland-9\", and DISPLAY is not set";
  QTest::newRow("QT_QPA_PLATFORM=wayland, no compositor")
      << "wayland"
      << ":0"
      << "-"
      << "" << qtSays << prefix + "no Wayland compositor answers at \"wayland-0\"";
  QTest::newRow("-platform foo: no such plugin")
      << "wayland"
      << ":0"
      << "-"
      << "foo" << qtSays
      << prefix + "Qt has no platform \"foo\" (it has wayland-egl, offscreen, xcb, wayland)";
  QTest::newRow("a list with options")
      << "wayland:foo=1;xcb"
      << "-"
      << "-"
      << "" << qtSays
      << prefix + "no Wayland compositor answers at \"wayland-0\", "
                  "and DISPLAY is not set";
  QTest::newRow("xcb plugin not loaded, the X display answers")
      << "-"
      << ":1"
      << "-"
      << "" << qtSays
      << prefix + "the Qt platform plugin \"xcb\" could not be loaded, though the X display "
                  "\":1\" answers (QT_DEBUG_PLUGINS=1 shows why)";
  QTest::newRow("a plugin that did not start, Qt silent on plugins")
      << "vnc"
      << ":0"
      << "-"
      << ""
      << "failed" << prefix + "the Qt platform \"vnc\" did not start";
}

void PlatformChoiceTest::noDisplayLine() {
  QFETCH(QString, qpa);
  QFETCH(QString, display);
  QFETCH(QString, wayland);
  QFETCH(QString, argument);
  QFETCH(QString, qtMessage);
  QFETCH(QString, line);
  auto value = [](const QString& v) {
    return v == QLatin1String("-") ? std::nullopt : std::optional<std::string>(v.toStdString());
  };
  const ui::PlatformEnvironment env{value(qpa), value(display), value(wayland)};
  const std::string arg = argument.toStdString();
  std::vector<std::string_view> arguments{"quadrangler"};
  if (!arg.empty()) arguments.insert(arguments.end(), {"-platform", arg});
  const auto answers = [](std::string_view display) { return display == ":1"; };
  QCOMPARE(
      QString::fromStdString(ui::NoDisplayLine(env, arguments, qtMessage.toStdString(), answers)),
      line);
}

QTEST_MAIN(PlatformChoiceTest)
#include "platform_choice_test.moc"
