#include "Shell/ScreenSpace.hpp"

#include "Shell/NativeWindow.hpp"
#include "Shell/StatusItem.hpp"

#include <QGuiApplication>
#include <QScreen>

namespace lumivane::shell {

namespace {

// Qt's global frame of the primary display; empty without a screen.
QRectF primaryGeometry() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? QRectF(screen->geometry()) : QRectF();
}

} // namespace

std::optional<ScreenArea> screenUnder(const QRectF& anchor,
                                      const std::vector<ScreenArea>& screens) {
  const QPointF centre = anchor.center();
  for (const ScreenArea& screen : screens) {
    if (screen.frame.contains(centre)) {
      return screen;
    }
  }
  return std::nullopt;
}

QRectF flipToTopLeft(const Rect& frame, const QRectF& primary) {
  const Rect flipped = standardized(frame);
  return QRectF(primary.x() + flipped.x, primary.y() + primary.height() - flipped.maxY(),
                flipped.width, flipped.height);
}

Rect flipToBottomLeft(const QRectF& rect, const QRectF& primary) {
  const QRectF normal = rect.normalized();
  return Rect{normal.x() - primary.x(), primary.y() + primary.height() - normal.bottom(),
              normal.width(), normal.height()};
}

QRectF SystemScreenSpace::toGlobal(const Rect& frame) const {
  return flipToTopLeft(frame, primaryGeometry());
}

Rect SystemScreenSpace::fromGlobal(const QRectF& rect) const {
  return flipToBottomLeft(rect, primaryGeometry());
}

std::optional<QRectF> SystemScreenSpace::mainVisibleArea() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return std::nullopt;
  }
  return QRectF(screen->availableGeometry());
}

std::vector<ScreenArea> SystemScreenSpace::screens() const {
  std::vector<ScreenArea> result;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr) {
    result.push_back({QRectF(primary->geometry()), QRectF(primary->availableGeometry())});
  }
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen != primary) {
      result.push_back({QRectF(screen->geometry()), QRectF(screen->availableGeometry())});
    }
  }
  return result;
}

std::unique_ptr<StatusButton> SystemScreenSpace::createStatusItem() {
  if (auto button = native::createStatusButton()) {
    return button;
  }
  return std::make_unique<TrayStatusItem>(*this);
}

void SystemScreenSpace::activateIgnoringOtherApps() const {
  native::activateIgnoringOtherApps();
}

void SystemScreenSpace::orderFront(QWidget& window) const {
  native::orderFront(window);
}

std::unique_ptr<native::OverlayHost> SystemScreenSpace::hostOverlay(QWidget& content) const {
  return native::hostOverlay(content);
}

} // namespace lumivane::shell
