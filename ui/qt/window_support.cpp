#include "ui/qt/window_support.h"

#include "ui/shared/window_rules.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace ui {

QRect PixelRect(const ControlLayout& c) {
  return {TwipsToPixels(c.left, kLayoutDpi), TwipsToPixels(c.top, kLayoutDpi),
          TwipsToPixels(c.width, kLayoutDpi), TwipsToPixels(c.height, kLayoutDpi)};
}

QSize ClientSize(const WindowLayout& window) {
  return {TwipsToPixels(window.clientWidth, kLayoutDpi),
          TwipsToPixels(window.clientHeight, kLayoutDpi)};
}

QFont FontOf(const FontSpec& spec) {
  QFont font = QApplication::font(); // the platform's dialog face
  float points = kDefaultFontPoints;
  if (!spec.IsDefault()) {
    QStringList faces;
    for (std::string_view face : spec.faces)
      if (!face.empty()) faces << QtText(face);
    // Qt takes the first face of the list that is installed; fontconfig's
    // stand-in for a missing face comes only after the whole list.
    font.setFamilies(faces);
    font.setBold(spec.bold);
    points = spec.points;
  }
  // In pixels at the layout's DPI, like the twips: a desktop's own font size
  // or font DPI would outgrow the controls, while Qt's scaling enlarges both
  // alike.
  font.setPixelSize(qRound(points * static_cast<float>(kLayoutDpi) / kPointsPerInch));
  return font;
}

void ApplyLayout(QWidget& widget, const ControlLayout& control) {
  widget.setObjectName(QtText(control.name));
  widget.setGeometry(PixelRect(control));
  widget.setFont(FontOf(control.font));
  if (!control.accessibleName.empty()) {
    // A label's own text is what a screen reader reads, as it changes; the
    // name in the table says what that text is.
    if (control.kind == ControlKind::Label)
      widget.setAccessibleDescription(QtText(control.accessibleName));
    else
      widget.setAccessibleName(QtText(control.accessibleName));
  }
  const Colour& bg = control.background;
  switch (bg.kind) {
  case Colour::Kind::Rgb:
    FillBackground(widget, QColor(bg.red, bg.green, bg.blue));
    break;
  case Colour::Kind::ButtonFace:
    FillBackground(widget, widget.palette().color(QPalette::Button));
    widget.setForegroundRole(QPalette::ButtonText); // the text colour made for that face
    break;
  case Colour::Kind::MenuBackground:
    FillBackground(widget, QApplication::palette("QMenu").color(QPalette::Window));
    break;
  case Colour::Kind::Default:
  case Colour::Kind::Transparent:
    break;
  }
  const Colour& fg = control.foreground;
  if (fg.kind == Colour::Kind::Rgb) {
    QPalette palette = widget.palette();
    palette.setColor(widget.foregroundRole(), QColor(fg.red, fg.green, fg.blue));
    widget.setPalette(palette);
  }
}

bool DrawsOwnBorder(Border border) {
  return !TraitsOf(border).titleBar &&
         QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

Qt::WindowFlags WindowFlagsOf(Border border) {
  const BorderTraits traits = TraitsOf(border);
  if (!traits.titleBar)
    return DrawsOwnBorder(border) ? Qt::Dialog | Qt::FramelessWindowHint
                                  : Qt::Dialog | Qt::CustomizeWindowHint; // a border, no title
  Qt::WindowFlags flags =
      Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (traits.resizable) flags |= Qt::WindowMinMaxButtonsHint;
  return flags;
}

void SetClientSize(QWidget& window, const WindowLayout& layout) {
  if (TraitsOf(layout.border).resizable)
    window.resize(ClientSize(layout));
  else
    window.setFixedSize(ClientSize(layout));
}

void CentreOnScreen(QWidget& window) {
  const QRect screen = window.screen()->geometry();
  const QSize outer = window.frameGeometry().size();
  window.move(CentredStart(screen.x(), screen.width(), outer.width()),
              CentredStart(screen.y(), screen.height(), outer.height()));
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
