// The splash window: what dismisses it, what does not, and the hand-over.
#include "ui/qt/frm_gridref.h"
#include "ui/qt/frm_splash.h"
#include "ui/qt/program_end.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QtTest>

using ui::frmGridref;
using ui::frmSplash;

class FrmSplashTest : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();
  void keys_data();
  void keys();
  void clicks_data();
  void clicks();
  void staysOpenWithoutInput();
  void dismissingTwiceOpensOneWindow();
  void programKeepsRunningAfterTheHandOver();
  void namedForAScreenReader();

private:
  QList<frmGridref*> ConversionWindows() const;
  void VerifyHandedOver();
  QPointer<frmSplash> splash_;
};

void FrmSplashTest::init() {
  ui::ResetProgramEnd();
  splash_ = new frmSplash;
  splash_->show();
  QVERIFY(QTest::qWaitForWindowActive(splash_));
}

void FrmSplashTest::cleanup() {
  const QList<QWidget*> windows = QApplication::topLevelWidgets();
  for (QWidget* window : windows)
    delete window;
  // qWaitFor rather than QTRY_*: Qt 6.8's macros narrow their timeout to int.
  QVERIFY(QTest::qWaitFor([] { return QApplication::topLevelWidgets().isEmpty(); }));
}

QList<frmGridref*> FrmSplashTest::ConversionWindows() const {
  QList<frmGridref*> found;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* gridref = qobject_cast<frmGridref*>(window)) found << gridref;
  return found;
}

void FrmSplashTest::VerifyHandedOver() {
  QVERIFY(QTest::qWaitFor([this] { return splash_.isNull(); })); // closed and discarded
  const auto windows = ConversionWindows();
  QCOMPARE(windows.size(), 1);
  frmGridref* gridref = windows.first();
  QVERIFY(gridref->isVisible());
  QVERIFY(!gridref->isModal());
  QVERIFY(gridref->parentWidget() == nullptr);
  QVERIFY(QTest::qWaitFor([gridref] { return gridref->isActiveWindow(); }));
  QCOMPARE(QApplication::focusWidget()->objectName(), QString("txtDegSouth"));
  const QRect screen = gridref->screen()->geometry(), outer = gridref->frameGeometry();
  QVERIFY(qAbs(outer.center().x() - screen.center().x()) <= 1);
  QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 1);
  QVERIFY(!ui::ProgramEnding());
}

void FrmSplashTest::keys_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<bool>("dismisses");
  const int none = Qt::NoModifier;
  QTest::newRow("letter") << int(Qt::Key_Q) << "q" << none << true;
  QTest::newRow("capital") << int(Qt::Key_Q) << "Q" << int(Qt::ShiftModifier) << true;
  QTest::newRow("digit") << int(Qt::Key_7) << "7" << none << true;
  QTest::newRow("keypad digit") << int(Qt::Key_7) << "7" << int(Qt::KeypadModifier) << true;
  QTest::newRow("punctuation") << int(Qt::Key_Comma) << "," << none << true;
  QTest::newRow("non-ASCII letter") << int(Qt::Key_Eacute) << "\u00e9" << none << true;
  QTest::newRow("Space") << int(Qt::Key_Space) << " " << none << true;
  QTest::newRow("Enter does not end the program") << int(Qt::Key_Return) << "\r" << none << true;
  QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << "\r" << int(Qt::KeypadModifier) << true;
  QTest::newRow("Escape does not end the program") << int(Qt::Key_Escape) << "\x1b" << none << true;
  QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "\b" << none << true;
  QTest::newRow("Tab") << int(Qt::Key_Tab) << "\t" << none << true;
  QTest::newRow("Ctrl+C") << int(Qt::Key_C) << "\x03" << int(Qt::ControlModifier) << true;
  QTest::newRow("arrow") << int(Qt::Key_Left) << "" << none << false;
  QTest::newRow("Shift alone") << int(Qt::Key_Shift) << "" << int(Qt::ShiftModifier) << false;
  QTest::newRow("F1") << int(Qt::Key_F1) << "" << none << false;
  QTest::newRow("Delete, text or not") << int(Qt::Key_Delete) << "\x7f" << none << false;
  QTest::newRow("Home") << int(Qt::Key_Home) << "" << none << false;
  QTest::newRow("Alt+letter") << int(Qt::Key_A) << "a" << int(Qt::AltModifier) << false;
}

void FrmSplashTest::keys() {
  QFETCH(int, key);
  QFETCH(QString, text);
  QFETCH(int, modifiers);
  QFETCH(bool, dismisses);
  // Sent as the platform delivers them, text included, to the window.
  QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
  QApplication::sendEvent(splash_, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers), text);
  if (splash_) QApplication::sendEvent(splash_, &release);
  if (dismisses) {
    VerifyHandedOver();
  } else {
    QTest::qWait(20);
    QVERIFY(splash_ && splash_->isVisible());
    QVERIFY(ConversionWindows().isEmpty());
  }
}

void FrmSplashTest::clicks_data() {
  QTest::addColumn<QString>("where");
  QTest::addColumn<bool>("dismisses");
  for (const char* control :
       {"imgLogo", "lblTitle1", "lblTitle2", "lblProgVersion", "lblCopyright", "lblCompany"})
    QTest::newRow(control) << control << false;
  QTest::newRow("frame between the labels") << "frame" << true;
  QTest::newRow("window margin outside the frame") << "margin" << false;
}

void FrmSplashTest::clicks() {
  QFETCH(QString, where);
  QFETCH(bool, dismisses);
  auto* frame = splash_->findChild<QFrame*>("Frame1");
  QVERIFY(frame);
  // Clicked through the window at a point, so Qt routes the click to
  // whatever lies there, as it does for a user.
  if (where == "margin") {
    QTest::mouseClick(splash_, Qt::LeftButton, {}, QPoint(3, 3));
  } else if (where == "frame") {
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(frame->width() / 2, frame->height() - 10));
  } else {
    auto* control = splash_->findChild<QLabel*>(where);
    QVERIFY(control);
    QTest::mouseClick(frame, Qt::LeftButton, {}, control->geometry().center());
  }
  if (dismisses) {
    VerifyHandedOver();
  } else {
    QTest::qWait(20);
    QVERIFY(splash_ && splash_->isVisible());
    QVERIFY(ConversionWindows().isEmpty());
  }
}

void FrmSplashTest::staysOpenWithoutInput() {
  const QRect screen = splash_->screen()->geometry(), outer = splash_->frameGeometry();
  QVERIFY(qAbs(outer.center().x() - screen.center().x()) <= 1);
  QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 1);
  QTest::qWait(500);
  QVERIFY(splash_ && splash_->isVisible());
  QVERIFY(ConversionWindows().isEmpty());
}

void FrmSplashTest::dismissingTwiceOpensOneWindow() {
  splash_->Form_KeyPress();
  if (splash_) splash_->Frame1_Click();
  VerifyHandedOver();
}

void FrmSplashTest::programKeepsRunningAfterTheHandOver() {
  // Between closing the last window and showing the next, the event loop
  // must not take the closed splash for the end of the run.
  QTimer::singleShot(0, splash_, [this] { QTest::keyClick(splash_, Qt::Key_A); });
  QTimer::singleShot(500, [] { QCoreApplication::exit(7); });
  QCOMPARE(QApplication::exec(), 7);
  VerifyHandedOver();
}

void FrmSplashTest::namedForAScreenReader() {
  // No caption on the screen, yet a name and a hint how to go on.
  QCOMPARE(splash_->windowTitle(), QString());
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(splash_);
  QVERIFY(window);
  QVERIFY(!window->text(QAccessible::Name).isEmpty());
  QVERIFY(window->text(QAccessible::Description).contains("Enter"));
}

QTEST_MAIN(FrmSplashTest)
#include "frm_splash_test.moc"
