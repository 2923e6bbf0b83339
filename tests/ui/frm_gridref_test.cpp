// The conversion window driven by keys and clicks on the offscreen platform.
#include "ui/qt/entry_line_edit.h"
#include "ui/qt/frm_gridref.h"
#include "ui/qt/frm_splash.h"
#include "ui/qt/program_end.h"
#include "ui/qt/window_support.h"
#include "ui/shared/layouts.h"

#include "box_answerer.h"
#include "user_script.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QtTest>
// A screen reader's bridge, switched on as an assistive tool would.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <memory>
#include <utility>

using ui::frmGridref;

class FrmGridrefTest : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();
  void userScripts_data();
  void userScripts();
  void lostFocusHandlers_data();
  void lostFocusHandlers();
  void decimalSeparatorFollowsTheLocale();
  void centresByTheOuterSize_data();
  void centresByTheOuterSize();
  void nothingRunsAfterTheEnd();
  void screenReader_data();
  void screenReader();
  void leftFieldShowsItsStart_data();
  void leftFieldShowsItsStart();
  void captionsFit_data();
  void captionsFit();
  void facesFallBack();

private:
  std::unique_ptr<frmGridref> window_;
};

void FrmGridrefTest::init() {
  ui::ResetProgramEnd();
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  window_ = std::make_unique<frmGridref>();
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void FrmGridrefTest::cleanup() {
  window_.reset();
  QLocale::setDefault(QLocale::c());
  // No window or box may outlive its test.
  // qWaitFor rather than QTRY_*: Qt 6.8's macros narrow their timeout to int.
  QVERIFY(QTest::qWaitFor([] { return QApplication::topLevelWidgets().isEmpty(); }));
}

void FrmGridrefTest::userScripts_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QStringList>("answers");
  QTest::addColumn<QStringList>("fields"); // the four texts afterwards
  QTest::addColumn<QString>("label");
  QTest::addColumn<QStringList>("boxes"); // titles, in order
  QTest::addColumn<QString>("focus");     // empty once the program ended
  QTest::addColumn<QString>("clipboard");

  const QStringList none;
  const QStringList empty4{"", "", "", ""};
  const QString sa = "SA Limits?", inv = "Invalid Data?", before = "before";
  const QString typeAll = "type 26|key Tab|type 14|key Tab|type 28|key Tab|type 29";

  QTest::newRow("Enter at start shows 00AA1")
      << "key Return" << none << empty4 << "00AA1" << none << "txtDegSouth" << before;
  QTest::newRow("worked example, Tab and Enter")
      << typeAll + "|key Return" << none << QStringList{"26", "14", "28", "29"} << "2628AB25"
      << none << "txtMinEast" << before;
  QTest::newRow("Enter while typing converts unchecked")
      << "type 5|key Return" << none << QStringList{"5", "", "", ""} << "50AA1" << none
      << "txtDegSouth" << before;
  QTest::newRow("click on Convert checks first, click dropped")
      << "type 5|click cmdConvert" << QStringList{"Retry"} << empty4 << "" << QStringList{sa}
      << "txtDegSouth" << before;
  QTest::newRow("click on Convert with a passing value converts")
      << "type 26|click cmdConvert" << none << QStringList{"26", "", "", ""} << "260AA1" << none
      << "cmdConvert" << before;
  QTest::newRow("Retry empties the field, typing goes there")
      << "type 99|key Tab|type 20" << QStringList{"Retry"} << QStringList{"20", "", "", ""} << ""
      << QStringList{sa} << "txtDegSouth" << before;
  QTest::newRow("refused minutes, Retry")
      << "type 20|key Tab|type 60|key Tab" << QStringList{"Retry"} << QStringList{"20", "", "", ""}
      << "" << QStringList{inv} << "txtMinSouth" << before;
  QTest::newRow("emptied degrees refused again")
      << "type 5|key Tab|key Tab" << QStringList{"Retry", "Retry"} << empty4 << ""
      << QStringList{sa, sa} << "txtDegSouth" << before;
  QTest::newRow("59.9990003 refused, 59.999 passes")
      << "type 20|key Tab|type 59.9990003|key Tab|type 59.999|key Tab" << QStringList{"Retry"}
      << QStringList{"20", "59.999", "", ""} << "" << QStringList{inv} << "txtDegEast" << before;
  QTest::newRow("passing text stays as typed")
      << "type  020|key Tab" << none << QStringList{" 020", "", "", ""} << "" << none
      << "txtMinSouth" << before;
  QTest::newRow("Cancel ends the program")
      << "type 5|key Tab" << QStringList{"Cancel"} << QStringList{"5", "", "", ""} << ""
      << QStringList{sa} << "" << before;
  QTest::newRow("Escape on the box is Cancel")
      << "type 5|key Tab" << QStringList{"Escape"} << QStringList{"5", "", "", ""} << ""
      << QStringList{sa} << "" << before;
  QTest::newRow("closing the box is Cancel")
      << "type 5|key Tab" << QStringList{"Close"} << QStringList{"5", "", "", ""} << ""
      << QStringList{sa} << "" << before;
  QTest::newRow("Escape exits over a refused value")
      << "type 5|key Escape" << none << QStringList{"5", "", "", ""} << "" << none << "" << before;
  QTest::newRow("Alt+X exits over a refused value")
      << "type 5|key Alt+X" << none << QStringList{"5", "", "", ""} << "" << none << "" << before;
  QTest::newRow("Alt+Shift+X exits too")
      << "type 5|key Alt+Shift+X" << none << QStringList{"5", "", "", ""} << "" << none << ""
      << before;
  QTest::newRow("click on Exit exits")
      << "type 20|click cmdExit" << none << QStringList{"20", "", "", ""} << "" << none << ""
      << before;
  QTest::newRow("Enter on focused Exit exits")
      << typeAll + "|key Tab|key Tab|key Return" << none << QStringList{"26", "14", "28", "29"}
      << "" << none << "" << before;
  QTest::newRow("Enter on focused Copy copies")
      << typeAll + "|key Return|key Tab|key Tab|key Tab|key Return" << none
      << QStringList{"26", "14", "28", "29"} << "2628AB25" << none << "CmdClipboard"
      << "2628AB25";
  QTest::newRow("click on Copy leaving a refused field is dropped")
      << "click CmdClipboard" << QStringList{"Retry"} << empty4 << "" << QStringList{sa}
      << "txtDegSouth" << before;
  QTest::newRow("Copy before any Convert, from a passing field")
      << "type 20|click CmdClipboard" << none << QStringList{"20", "", "", ""} << "" << none
      << "CmdClipboard"
      << "";
  QTest::newRow("converting twice shows the same")
      << "type 26|key Return|key Return" << none << QStringList{"26", "", "", ""} << "260AA1"
      << none << "txtDegSouth" << before;
  QTest::newRow("label keeps its text until the next Convert")
      << "type 26|key Tab|type 10|key Return|key Backspace|type 1|click CmdClipboard" << none
      << QStringList{"26", "11", "", ""} << "260AA16" << none << "CmdClipboard"
      << "260AA16";
  QTest::newRow("Shift+Tab from the first field wraps to Copy")
      << "type 20|key Shift+Tab" << none << QStringList{"20", "", "", ""} << "" << none
      << "CmdClipboard" << before;
  QTest::newRow("Tab cycle wraps to the first field")
      << typeAll + "|key Tab|key Tab|key Tab|key Tab" << none << QStringList{"26", "14", "28", "29"}
      << "" << none << "txtDegSouth" << before;
  // Retry gives the focus back to Degrees South, which takes it from
  // Degrees East: that is no leaving by the user and checks nothing.
  QTest::newRow("two refused fields: one box, no loop")
      << "type 5|click txtDegEast" << QStringList{"Retry"} << empty4 << "" << QStringList{sa}
      << "txtDegSouth" << before;
  QTest::newRow("the untouched field is checked when left later")
      << "type 5|click txtDegEast|type 20|click txtDegEast|key Tab" << QStringList{"Retry", "Retry"}
      << QStringList{"20", "", "", ""} << "" << QStringList{sa, sa} << "txtDegEast" << before;
}

void FrmGridrefTest::userScripts() {
  QFETCH(QString, script);
  QFETCH(QStringList, answers);
  QFETCH(QStringList, fields);
  QFETCH(QString, label);
  QFETCH(QStringList, boxes);
  QFETCH(QString, focus);
  QFETCH(QString, clipboard);

  BoxAnswerer answerer(answers, window_.get());
  RunUserScript(*window_, script);

  QCOMPARE(answerer.titles(), boxes);
  QCOMPARE(answerer.mostOpenAtOnce(), boxes.isEmpty() ? 0 : 1);
  QVERIFY(answerer.unusedAnswers().isEmpty());
  QStringList texts;
  for (auto field : gridref::kAllEntryFields)
    texts << window_->FieldWidget(field)->text();
  QCOMPARE(texts, fields);
  QCOMPARE(window_->findChild<QLabel*>("lblGridRef")->text(), label);
  QCOMPARE(ui::ProgramEnding(), focus.isEmpty());
  QCOMPARE(window_->isVisible(), !focus.isEmpty());
  if (!focus.isEmpty()) {
    QVERIFY(window_->isActiveWindow());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
  }
  QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
  for (auto* button : window_->findChildren<QPushButton*>())
    QVERIFY2(!button->isDown(), qPrintable(button->objectName()));
}

void FrmGridrefTest::lostFocusHandlers_data() {
  QTest::addColumn<int>("field");
  QTest::addColumn<QString>("refused");
  QTest::addColumn<QString>("title");
  QTest::newRow("txtDegSouth_LostFocus") << 0 << "13.9999"
                                         << "SA Limits?";
  QTest::newRow("txtMinSouth_LostFocus") << 1 << "-0.001"
                                         << "Invalid Data?";
  QTest::newRow("txtDegEast_LostFocus") << 2 << "36.0001"
                                        << "SA Limits?";
  QTest::newRow("txtMinEast_LostFocus") << 3 << "59.9995"
                                        << "Invalid Data?";
}

void FrmGridrefTest::lostFocusHandlers() {
  QFETCH(int, field);
  QFETCH(QString, refused);
  QFETCH(QString, title);
  const auto entry = gridref::kAllEntryFields[static_cast<std::size_t>(field)];
  BoxAnswerer answerer({"Retry", "Retry"}, window_.get());
  // Passing values on the way to the field, then the user leaves it by Tab.
  const QStringList passing{"26", "14", "28", "29"};
  QString script;
  for (int before = 0; before < field; ++before)
    script += "type " + passing[before] + "|key Tab|";
  RunUserScript(*window_, script + "type " + refused);
  QCOMPARE(QApplication::focusWidget(), window_->FieldWidget(entry));
  QVERIFY(answerer.titles().isEmpty());
  RunUserScript(*window_, "key Tab");
  QCOMPARE(answerer.titles(), QStringList{title});
  QCOMPARE(window_->FieldWidget(entry)->text(), QString());
  QVERIFY(
      QTest::qWaitFor([&] { return QApplication::focusWidget() == window_->FieldWidget(entry); }));
  // The emptied field now holds 0: minutes pass, degrees are refused again.
  RunUserScript(*window_, "key Tab");
  const bool degrees = field % 2 == 0;
  QCOMPARE(answerer.titles().size(), degrees ? 2 : 1);
  QCOMPARE(answerer.unusedAnswers().size(), degrees ? 0 : 1);
}

void FrmGridrefTest::decimalSeparatorFollowsTheLocale() {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  // The entry itself is always read with a full stop.
  RunUserScript(*window_, "type 26.5|key Tab|type 14,5|key Tab|type 28|key Tab|type 29|"
                          "key Return|click CmdClipboard");
  QCOMPARE(window_->findChild<QLabel*>("lblGridRef")->text(), QString("26,528AB25"));
  QCOMPARE(QGuiApplication::clipboard()->text(), QString("26,528AB25"));
}

void FrmGridrefTest::centresByTheOuterSize_data() {
  QTest::addColumn<QSize>("size");
  QTest::newRow("the designed size") << QSize(514, 334);
  QTest::newRow("odd size") << QSize(515, 335);
  QTest::newRow("wider and taller than the screen") << QSize(1000, 900);
}

void FrmGridrefTest::centresByTheOuterSize() {
  QFETCH(QSize, size);
  window_->resize(size);
  window_->Form_Load();
  const QRect screen = window_->screen()->geometry();
  const QRect outer = window_->frameGeometry();
  // Both margins equal, to the pixel; negative where the window is larger.
  QVERIFY(qAbs((outer.left() - screen.left()) - (screen.right() - outer.right())) <= 1);
  QVERIFY(qAbs((outer.top() - screen.top()) - (screen.bottom() - outer.bottom())) <= 1);
  QCOMPARE(outer.left() < 0, size.width() > screen.width());
  QCOMPARE(outer.top() < 0, size.height() > screen.height());
}

void FrmGridrefTest::nothingRunsAfterTheEnd() {
  RunUserScript(*window_, "type 26|key Return|type 5");
  window_->Behaviour().cmdExit_Click();
  QVERIFY(ui::ProgramEnding());
  BoxAnswerer answerer(QStringList(), window_.get());
  window_->Behaviour().txtDegSouth_LostFocus();
  window_->Behaviour().cmdConvert_Click();
  window_->Behaviour().CmdClipboard_Click();
  window_->show();
  QTest::keyClick(window_.get(), Qt::Key_Return);
  QTest::mouseClick(window_->findChild<QPushButton*>("cmdConvert"), Qt::LeftButton);
  QVERIFY(answerer.titles().isEmpty());
  QCOMPARE(window_->findChild<QLabel*>("lblGridRef")->text(), QString("260AA1"));
  QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
}

namespace {
QStringList announced; // "event control", for the conversion window's controls
QPointer<QWidget> listenedWindow;

void RecordAnnouncement(QAccessibleEvent* event) {
  auto* control = qobject_cast<QWidget*>(event->object());
  if (!control || !listenedWindow || !listenedWindow->isAncestorOf(control)) return;
  if (event->type() == QAccessible::Focus)
    announced << "focus " + control->objectName();
  else if (event->type() == QAccessible::NameChanged)
    announced << "name " + control->objectName();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  else if (event->type() == QAccessible::Announcement) {
    const auto* announcement = static_cast<QAccessibleAnnouncementEvent*>(event);
    const bool polite = announcement->politeness() == QAccessible::AnnouncementPoliteness::Polite;
    announced << QStringLiteral("%1 %2 %3")
                     .arg(polite ? "polite" : "assertive", control->objectName(),
                          announcement->message());
  }
#endif
}
} // namespace

void FrmGridrefTest::screenReader_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QStringList>("answers");
  QTest::addColumn<QStringList>("events");
  QTest::addColumn<QString>("result"); // what is read for lblGridRef
  const QStringList typed{"focus txtMinSouth", "focus txtDegEast", "focus txtMinEast"};
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  // Spoken wherever the focus is, the same result again too.
  const QStringList twice{"name lblGridRef", "polite lblGridRef 2628AB25",
                          "polite lblGridRef 2628AB25"};
  const QStringList changed{"name lblGridRef", "polite lblGridRef 2628AB23"};
#else
  // Name changes only: read as the answer by a screen reader that follows
  // the label.
  const QStringList twice{"name lblGridRef", "name lblGridRef"};
  const QStringList changed{"name lblGridRef"};
#endif
  QTest::newRow("the result is read and announced on each Convert")
      << "type 26|key Tab|type 14|key Tab|type 28|key Tab|type 29|key Return|key Return"
      << QStringList() << typed + twice << "2628AB25";
  QTest::newRow("a new result, the focus left in the field")
      << "type 26|key Tab|type 14|key Tab|type 28|key Tab|type 29|key Return|key Return|"
         "key Backspace|type 1|key Return"
      << QStringList() << typed + twice + changed << "2628AB23";
  // Not the field Tab was moving to, before the refused one.
  QTest::newRow("after Retry only the refused field is announced")
      << "type 5|key Tab" << QStringList{"Retry"} << QStringList{"focus txtDegSouth"} << "";
  QTest::newRow("after Retry by a click, only the refused field")
      << "type 5|click cmdConvert" << QStringList{"Retry"} << QStringList{"focus txtDegSouth"}
      << "";
}

void FrmGridrefTest::screenReader() {
  QFETCH(QString, script);
  QFETCH(QStringList, answers);
  QFETCH(QStringList, events);
  QFETCH(QString, result);
  QPlatformAccessibility* bridge = QGuiApplicationPrivate::platformIntegration()->accessibility();
  QVERIFY(bridge);
  bridge->setActive(true);
  announced.clear();
  listenedWindow = window_.get();
  const QAccessible::UpdateHandler before = QAccessible::installUpdateHandler(RecordAnnouncement);
  BoxAnswerer answerer(answers, window_.get());
  RunUserScript(*window_, script);
  QVERIFY(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }));
  QTest::qWait(20); // the activation after the box
  QAccessible::installUpdateHandler(before);
  bridge->setActive(false);
  QCOMPARE(announced, events);
  QAccessibleInterface* label =
      QAccessible::queryAccessibleInterface(window_->findChild<QLabel*>("lblGridRef"));
  QVERIFY(label);
  QCOMPARE(label->text(QAccessible::Name), result);
  QCOMPARE(label->text(QAccessible::Description), QString("Grid reference"));
}

void FrmGridrefTest::leftFieldShowsItsStart_data() {
  QTest::addColumn<QString>("text");
  QTest::newRow("14.253") << "14.253";
  QTest::newRow("26.25") << "26.25";
  QTest::newRow("far wider than the field") << "26.000000000000000000000000000000000000000001";
}

void FrmGridrefTest::leftFieldShowsItsStart() {
  QFETCH(QString, text);
  RunUserScript(*window_, "type " + text + "|key Tab");
  QLineEdit* field = window_->FieldWidget(gridref::EntryField::txtDegSouth);
  QCOMPARE(field->text(), text);
  field->grab(); // the scroll follows the cursor when painted
  QCOMPARE(field->cursorPosition(), 0);
  const QRect cursor = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  QVERIFY2(cursor.center().x() >= field->contentsRect().left(),
           "the first character is scrolled out of sight");
  // Coming back by the keyboard still selects the whole text.
  RunUserScript(*window_, "key Shift+Tab");
  QCOMPARE(QApplication::focusWidget(), field);
  QCOMPARE(field->selectedText(), text);
}

void FrmGridrefTest::captionsFit_data() {
  QTest::addColumn<qreal>("points"); // the desktop's font; 0: the platform's own
  QTest::newRow("the platform's font") << 0.0;
  QTest::newRow("10 pt desktop font (KDE)") << 10.0;
  QTest::newRow("11 pt desktop font (GNOME)") << 11.0;
}

void FrmGridrefTest::captionsFit() {
  QFETCH(qreal, points);
  const QFont desktop = QApplication::font();
  QFont font = desktop;
  if (points > 0) font.setPointSizeF(points);
  QApplication::setFont(font);
  const auto restore = qScopeGuard([&] { QApplication::setFont(desktop); });
  window_ = std::make_unique<frmGridref>();
  const auto splash = std::make_unique<ui::frmSplash>();
  for (QWidget* window :
       {static_cast<QWidget*>(window_.get()), static_cast<QWidget*>(splash.get())}) {
    for (auto* label : window->findChildren<QLabel*>()) {
      if (label->text().isEmpty()) continue;
      const QFontMetricsF metrics(label->font());
      const QRect room = label->contentsRect();
      QVERIFY2(metrics.horizontalAdvance(label->text()) <= room.width() &&
                   metrics.height() <= room.height(),
               qPrintable(label->objectName()));
    }
    for (auto* button : window->findChildren<QPushButton*>()) {
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = button->text();
      const QRect room =
          button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
      const QFontMetricsF metrics(button->font());
      const QString shown = QString(button->text()).remove(QLatin1Char('&'));
      QVERIFY2(metrics.horizontalAdvance(shown) <= room.width() &&
                   metrics.height() <= room.height(),
               qPrintable(button->objectName()));
    }
  }
}

void FrmGridrefTest::facesFallBack() {
  // Run also where a designed face and its first stand-in are missing: the
  // face shown is one of the list, never fontconfig's own choice.
  const auto splash = std::make_unique<ui::frmSplash>();
  const std::pair<const ui::WindowLayout*, QWidget*> windows[] = {
      {&ui::kGridrefLayout, window_.get()}, {&ui::kSplashLayout, splash.get()}};
  for (const auto& [layout, window] : windows) {
    for (const ui::ControlLayout& control : layout->controls) {
      if (control.font.IsDefault()) continue;
      auto* widget = window->findChild<QWidget*>(ui::QtText(control.name));
      QVERIFY(widget);
      QStringList faces;
      for (std::string_view face : control.font.faces)
        if (!face.empty()) faces << ui::QtText(face);
      const QString shown = QFontInfo(widget->font()).family();
      QVERIFY2(faces.contains(shown), qPrintable(widget->objectName() + ": " + shown));
    }
  }
}

QTEST_MAIN(FrmGridrefTest)
#include "frm_gridref_test.moc"
