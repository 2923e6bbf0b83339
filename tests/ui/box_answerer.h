// Answers each Retry/Cancel box from a script as soon as it opens, and
// records the titles and how many boxes were ever open at once. Like a window
// manager, it re-activates the window once the box has closed, before the
// check goes on, so that focus moves after the box send their events.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class BoxAnswerer : public QObject {
public:
  BoxAnswerer(QStringList answers, QWidget* window)
      : answers_(std::move(answers)), window_(window) {
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::Poll);
    timer_.start(1);
  }

  QStringList titles() const { return titles_; }
  int mostOpenAtOnce() const { return mostOpen_; }
  QStringList unusedAnswers() const { return answers_; }

private:
  void Poll() {
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (qobject_cast<QMessageBox*>(widget) && widget->isVisible()) ++open;
    mostOpen_ = qMax(mostOpen_, open);

    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    titles_ << box->windowTitle();
    // An unexpected box is cancelled, so that a loop of boxes cannot hang.
    const QString answer = answers_.isEmpty() ? QStringLiteral("Cancel") : answers_.takeFirst();
    if (answer == QLatin1String("Retry"))
      box->button(QMessageBox::Retry)->click();
    else if (answer == QLatin1String("Cancel"))
      box->button(QMessageBox::Cancel)->click();
    else if (answer == QLatin1String("Escape"))
      QTest::keyClick(box, Qt::Key_Escape);
    else
      box->close();
    if (window_ && window_->isVisible()) {
      window_->activateWindow();
      (void)QTest::qWaitForWindowActive(window_);
    }
  }

  QTimer timer_;
  QStringList answers_, titles_;
  QPointer<QWidget> window_;
  int mostOpen_ = 0;
};
