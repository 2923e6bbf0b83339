// A seeded random walk of user events over the splash and the conversion
// window, checking after every event what must always hold. Replay a run
// with SOAK_SEED (and SOAK_EVENTS) as printed; SOAK_SEED=random for a new walk.
#include "core/grid_reference.h"
#include "ui/qt/entry_line_edit.h"
#include "ui/qt/frm_gridref.h"
#include "ui/qt/frm_splash.h"
#include "ui/qt/program_end.h"

#include "box_answerer.h"
#include "walk_properties.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <random>

using ui::frmGridref;
using ui::frmSplash;

class UserEventSoak : public QObject {
  Q_OBJECT

private slots:
  void randomWalk();

private:
  void StartProgram();
  void EndedProgram();
  void SplashEvent();
  void WindowEvent();
  gridref::testing::WindowState State() const;
  void Verify(const std::string& error) {
    QVERIFY2(error.empty(), qPrintable(QString::fromStdString(error) + " at " + Describe()));
  }
  int Pick(qsizetype n) { return std::uniform_int_distribution<int>(0, int(n) - 1)(rng_); }
  QString Describe() const {
    return QStringLiteral("event %1 (seed %2): %3").arg(event_).arg(seed_).arg(last_);
  }

  std::mt19937 rng_;
  unsigned seed_ = 0;
  int event_ = 0;
  QString last_;
  QPointer<frmSplash> splash_;
  QPointer<frmGridref> window_;
  gridref::testing::WalkProperties properties_{QLocale().decimalPoint().toStdString()};
  int runs_ = 0, boxes_ = 0, retries_ = 0;
};

gridref::testing::WindowState UserEventSoak::State() const {
  gridref::testing::WindowState state;
  for (auto field : gridref::kAllEntryFields)
    state.fields[static_cast<std::size_t>(field)] =
        window_->FieldWidget(field)->text().toStdString();
  state.label = window_->findChild<QLabel*>("lblGridRef")->text().toStdString();
  if (QWidget* focus = QApplication::focusWidget(); focus && window_->isAncestorOf(focus))
    state.focus = focus->objectName().toStdString();
  for (auto* button : window_->findChildren<QPushButton*>())
    if (button->isDown()) state.pressedButtons.push_back(button->objectName().toStdString());
  return state;
}

void UserEventSoak::StartProgram() {
  ui::ResetProgramEnd();
  properties_.ProgramStarted();
  splash_ = new frmSplash;
  splash_->show();
  QVERIFY(QTest::qWaitForWindowActive(splash_));
  ++runs_;
}

void UserEventSoak::EndedProgram() {
  int visible = 0;
  for (QWidget* window : QApplication::topLevelWidgets())
    visible += window->isVisible();
  Verify(properties_.CheckEnded(visible));
  qDeleteAll(QApplication::topLevelWidgets());
  // qWaitFor rather than QTRY_*: Qt 6.8's macros narrow their timeout to int.
  QVERIFY(QTest::qWaitFor([] { return QApplication::topLevelWidgets().isEmpty(); }));
}

void UserEventSoak::SplashEvent() {
  auto* frame = splash_->findChild<QFrame*>("Frame1");
  bool dismisses = false;
  if (Pick(2) == 0) {
    static const struct {
      Qt::Key key;
      const char* text;
      bool character;
    } keys[] = {
        {Qt::Key_A, "a", true},       {Qt::Key_5, "5", true},          {Qt::Key_Space, " ", true},
        {Qt::Key_Return, "\r", true}, {Qt::Key_Escape, "\x1b", true},  {Qt::Key_Left, "", false},
        {Qt::Key_F1, "", false},      {Qt::Key_Delete, "\x7f", false}, {Qt::Key_Shift, "", false}};
    const auto& k = keys[Pick(qsizetype(std::size(keys)))];
    last_ = QStringLiteral("splash key %1").arg(int(k.key));
    QTest::keyClick(splash_, k.key, {}, 0);
    dismisses = k.character;
  } else {
    const QList<QLabel*> labels = frame->findChildren<QLabel*>();
    const int choice = Pick(labels.size() + 2);
    if (choice < labels.size()) {
      last_ = "splash click on " + labels[choice]->objectName();
      QTest::mouseClick(frame, Qt::LeftButton, {}, labels[choice]->geometry().center());
    } else if (choice == labels.size()) {
      last_ = QStringLiteral("splash click on the frame");
      QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(frame->width() / 2, frame->height() - 8));
      dismisses = true;
    } else {
      last_ = QStringLiteral("splash click on the margin");
      QTest::mouseClick(splash_, Qt::LeftButton, {}, QPoint(2, 2));
    }
  }
  QCoreApplication::processEvents();
  if (!dismisses) {
    QVERIFY2(splash_ && splash_->isVisible(), qPrintable("dismissed by " + Describe()));
    return;
  }
  QVERIFY2(QTest::qWaitFor([this] { return splash_.isNull(); }),
           qPrintable("not dismissed by " + Describe()));
  QList<frmGridref*> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* g = qobject_cast<frmGridref*>(w)) windows << g;
  QCOMPARE(windows.size(), 1);
  window_ = windows.first();
  QVERIFY(QTest::qWaitForWindowActive(window_));
  connect(window_->findChild<QPushButton*>("cmdConvert"), &QPushButton::clicked, this,
          [this] { Verify(properties_.Converted(State().fields)); });
}

void UserEventSoak::WindowEvent() {
  const auto& texts = gridref::testing::kWalkTexts;
  const auto& controls = gridref::testing::kWalkControls;
  QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : window_.data();
  // A field this event may leave: its text now, and the boxes so far.
  const auto fieldAt =
      std::find(std::begin(gridref::testing::kFieldNames), std::end(gridref::testing::kFieldNames),
                focus->objectName().toStdString());
  const auto field = static_cast<std::size_t>(fieldAt - std::begin(gridref::testing::kFieldNames));
  const std::string fieldText =
      fieldAt == std::end(gridref::testing::kFieldNames) ? "" : State().fields.at(field);
  const int boxesBefore = boxes_;
  const bool onExit = focus->objectName() == QLatin1String("cmdExit");
  const bool onConvert = focus->objectName() == QLatin1String("cmdConvert");
  const bool onOtherButton =
      !onConvert && qobject_cast<QPushButton*>(focus) != nullptr; // Enter presses that one
  const int kind = Pick(100);
  bool endAllowed = false, convertAllowed = false;
  if (kind < 38) {
    const QString text = texts[Pick(texts.size())];
    last_ = "type '" + text + "'";
    endAllowed = onExit && text.contains(QLatin1Char(' ')); // Space presses the button
    convertAllowed = onConvert && text.contains(QLatin1Char(' '));
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClicks(focus, text);
  } else if (kind < 40) {
    QString paste;
    for (int i = 0; i < 1024; ++i)
      paste += QChar("0123456789.,-+ aZ"[Pick(17)]);
    last_ = QStringLiteral("paste 1 kB");
    QGuiApplication::clipboard()->setText(paste);
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClick(focus, Qt::Key_V, Qt::ControlModifier);
  } else if (kind < 52) {
    last_ = QStringLiteral("Tab");
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClick(focus, Qt::Key_Tab);
  } else if (kind < 58) {
    last_ = QStringLiteral("Shift+Tab");
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClick(focus, Qt::Key_Tab, Qt::ShiftModifier);
  } else if (kind < 66) {
    last_ = QStringLiteral("Enter");
    endAllowed = onExit;
    convertAllowed = !onOtherButton;
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClick(focus, Qt::Key_Return);
  } else if (kind < 70) {
    last_ = QStringLiteral("Backspace");
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClick(focus, Qt::Key_Backspace);
  } else if (kind < 71) {
    last_ = QStringLiteral("Escape");
    endAllowed = true;
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClick(focus, Qt::Key_Escape);
  } else if (kind < 72) {
    last_ = QStringLiteral("Alt+X");
    endAllowed = true;
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::keyClick(focus, Qt::Key_X, Qt::AltModifier);
  } else {
    // Exit is clicked far less often than the rest, so that runs get long.
    const int n = Pick(100) == 0 ? int(std::size(controls)) : int(std::size(controls)) - 1;
    const QString name = controls[Pick(n)];
    last_ = "click " + name;
    endAllowed = name == QLatin1String("cmdExit");
    convertAllowed = name == QLatin1String("cmdConvert");
    properties_.EventStarts(endAllowed, convertAllowed);
    QTest::mouseClick(window_->findChild<QWidget*>(name), Qt::LeftButton);
  }
  QCoreApplication::processEvents();
  // Left: the focus went elsewhere, or a box came (Retry brings it back).
  if (fieldAt == std::end(gridref::testing::kFieldNames) || ui::ProgramEnding() || !window_) return;
  const bool boxShown = boxes_ != boxesBefore;
  if (boxShown || QApplication::focusWidget() != focus)
    Verify(gridref::testing::WalkProperties::FieldLeft(field, fieldText, boxShown));
}

void UserEventSoak::randomWalk() {
  // A fixed walk unless told otherwise, so that a run is repeatable as it
  // stands; SOAK_SEED=random draws a new one.
  const QString seedText = qEnvironmentVariable("SOAK_SEED", QStringLiteral("20261208"));
  seed_ = seedText == QLatin1String("random") ? std::random_device{}() : seedText.toUInt();
  const int events = qEnvironmentVariableIntValue("SOAK_EVENTS") > 0
                         ? qEnvironmentVariableIntValue("SOAK_EVENTS")
                         : 10000;
  rng_.seed(seed_);
  qInfo("soak: seed %u, %d events (replay: SOAK_SEED=%u SOAK_EVENTS=%d)", seed_, events, seed_,
        events);

  BoxAnswerer answerer(
      [this] {
        const int roll = Pick(20);
        return roll == 0   ? QStringLiteral("Cancel")
               : roll == 1 ? QStringLiteral("Escape")
                           : QStringLiteral("Retry");
      },
      nullptr);
  answerer.beforeAnswer = [this](QMessageBox*, const QString& answer) {
    ++boxes_;
    const bool retry = answer == QLatin1String("Retry");
    retries_ += retry;
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
      open += qobject_cast<QMessageBox*>(widget) && widget->isVisible();
    Verify(properties_.BoxAnswering(retry, open, State()));
  };

  StartProgram();
  for (event_ = 1; event_ <= events; ++event_) {
    if (splash_) {
      SplashEvent();
      answerer.setWindow(window_);
    } else {
      WindowEvent();
    }
    if (QTest::currentTestFailed()) return;
    QVERIFY2(answerer.mostOpenAtOnce() <= 1, qPrintable("two boxes at once at " + Describe()));
    if (ui::ProgramEnding()) {
      EndedProgram();
      if (QTest::currentTestFailed()) return;
      StartProgram();
    } else if (window_) {
      Verify(properties_.CheckWindow(State()));
    }
    if (QTest::currentTestFailed()) return;
  }
  qInfo("soak: %d events over %d runs, %d boxes, %d answered Retry", events, runs_, boxes_,
        retries_);
}

QTEST_MAIN(UserEventSoak)
#include "user_event_soak.moc"
