// The platform the program asks Qt for, over the sessions a user may have.
#include "ui/qt/platform_choice.h"

#include <QtTest>

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
  QTest::addColumn<bool>("reachable");
  QTest::newRow("remote host taken on trust") << "remotehost:0" << true;
  QTest::newRow("no colon") << "nonsense" << false;
  QTest::newRow("no number") << ":" << false;
  QTest::newRow("local display without a server") << ":65000" << false;
  QTest::newRow("unix: display without a server") << "unix:65001.0" << false;
}

void PlatformChoiceTest::reachability() {
  QFETCH(QString, display);
  QFETCH(bool, reachable);
  QCOMPARE(ui::XServerReachable(display.toStdString()), reachable);
}

QTEST_MAIN(PlatformChoiceTest)
#include "platform_choice_test.moc"
