// Plays a user's keys and clicks: steps separated by '|', each one of
// "type TEXT", "key KEYS" (as QKeySequence writes them) or "click NAME".
#pragma once

#include <QApplication>
#include <QKeySequence>
#include <QtTest>

inline void RunUserScript(QWidget& window, const QString& script) {
  for (const QString& step : script.split(QLatin1Char('|'))) {
    const QString command = step.section(QLatin1Char(' '), 0, 0);
    const QString argument = step.section(QLatin1Char(' '), 1);
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
    if (command == QLatin1String("type")) {
      QTest::keyClicks(focus, argument);
    } else if (command == QLatin1String("key")) {
      const QKeyCombination combo = QKeySequence::fromString(argument)[0];
      QTest::keyClick(focus, combo.key(), combo.keyboardModifiers());
    } else if (command == QLatin1String("click")) {
      auto* target = window.findChild<QWidget*>(argument);
      QVERIFY2(target, qPrintable(argument));
      QTest::mouseClick(target, Qt::LeftButton);
    } else {
      QFAIL(qPrintable("unknown step: " + step));
    }
    QCoreApplication::processEvents();
  }
}
