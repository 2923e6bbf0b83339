#include "ui/window_support.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace ui {

void CentreOnScreen(QWidget& window) {
  const QRect screen = window.screen()->geometry();
  const QSize outer = window.frameGeometry().size();
  const float left = (static_cast<float>(screen.width()) - static_cast<float>(outer.width())) / 2;
  const float top = (static_cast<float>(screen.height()) - static_cast<float>(outer.height())) / 2;
  window.move(screen.x() + qRound(left), screen.y() + qRound(top));
}

namespace {
class CentreOnceFramed : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    auto* window = static_cast<QWidget*>(watched);
    if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) &&
        window->isVisible() && window->frameGeometry().size() != window->size()) {
      CentreOnScreen(*window);
      deleteLater(); // once: later moves are the user's
    }
    return false;
  }
};

class ActivateOnShow : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      auto* window = static_cast<QWidget*>(watched);
      // After the show has reached the platform.
      QTimer::singleShot(0, window, [window] { window->activateWindow(); });
    }
    return false;
  }
};
} // namespace

void RecentreOnceFramed(QWidget& window) {
  window.installEventFilter(new CentreOnceFramed(&window));
}

void ActivateWhenShown(QWidget& window) {
  window.installEventFilter(new ActivateOnShow(&window));
}

void FillBackground(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

QFont FontOf(const QStringList& faces, qreal points, bool bold) {
  QFont font;
  font.setFamilies(faces);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QFont Arial(qreal points, bool bold) {
  return FontOf({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}, points, bold);
}

QIcon ApplicationIcon() {
  // The sizes title bars and task bars ask for. X11 gets every size an icon
  // holds, each decoded and converted at start-up; launchers take the larger
  // ones from the installed icon theme instead.
  QIcon icon;
  for (int size : {16, 24, 32, 48})
    icon.addFile(QStringLiteral(":/icons/hicolor/%1.png").arg(size), QSize(size, size));
  return icon;
}

} // namespace ui
