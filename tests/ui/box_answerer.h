// Answers each Retry/Cancel box as soon as it opens, from a script or a
// chooser, and records the titles and how many boxes were ever open at once.
// Like a window manager, it re-activates the window once the box has closed,
// before the check goes on, so that focus moves after the box send their
// events.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

class BoxAnswerer : public QObject {
public:
  using Chooser = std::function<QString()>;

  // Answers from the list ("Retry", "Cancel", "Escape" or "Close"); a box
  // beyond the list is cancelled, so that a loop of boxes cannot hang.
  BoxAnswerer(QStringList answers, QWidget* window)
      : answers_(std::move(answers)), window_(window) {
    Start([this] { return answers_.isEmpty() ? QStringLiteral("Cancel") : answers_.takeFirst(); });
  }
  BoxAnswerer(Chooser choose, QWidget* window) : window_(window) { Start(std::move(choose)); }

  // Called with each box and its answer, just before the answer is given.
  std::function<void(QMessageBox*, const QString&)> beforeAnswer;

  QStringList titles() const { return titles_; }
  int mostOpenAtOnce() const { return mostOpen_; }
  QStringList unusedAnswers() const { return answers_; }
  void setWindow(QWidget* window) { window_ = window; }

private:
  void Start(Chooser choose) {
    choose_ = std::move(choose);
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::Poll);
    timer_.start(1);
  }

  void Poll() {
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (qobject_cast<QMessageBox*>(widget) && widget->isVisible()) ++open;
    mostOpen_ = qMax(mostOpen_, open);

    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    titles_ << box->windowTitle();
    const QString answer = choose_();
    if (beforeAnswer) beforeAnswer(box, answer);
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
  Chooser choose_;
  QStringList answers_, titles_;
  QPointer<QWidget> window_;
  int mostOpen_ = 0;
};
