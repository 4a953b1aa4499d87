#include "SimulatedDesktop/DesktopCanvas.hpp"

#include "Shell/StatusItem.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTime>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace lumivane::shell {

namespace {

constexpr double statusItemLength = 25;
// Room right of the status item for the menu bar's clock.
constexpr double clockWidth = 70;

QRectF qrect(const Rect& rect) {
  return QRectF(rect.x, rect.y, rect.width, rect.height);
}

// The bounding box of the displays, top-left space.
Rect bounds(const std::vector<Rect>& screens) {
  if (screens.empty()) {
    return {};
  }
  double minX = screens.front().minX(), minY = screens.front().minY();
  double maxX = screens.front().maxX(), maxY = screens.front().maxY();
  for (const Rect& screen : screens) {
    minX = std::min(minX, screen.minX());
    minY = std::min(minY, screen.minY());
    maxX = std::max(maxX, screen.maxX());
    maxY = std::max(maxY, screen.maxY());
  }
  return {minX, minY, maxX - minX, maxY - minY};
}

std::optional<int> mouseButton(Qt::MouseButton button) {
  switch (button) {
  case Qt::LeftButton:
    return 0;
  case Qt::RightButton:
    return 1;
  case Qt::MiddleButton:
    return 2;
  case Qt::BackButton:
    return 3;
  case Qt::ForwardButton:
    return 4;
  default:
    return std::nullopt;
  }
}

// The menu bar follows the appearance: light with dark text, or dark with light text.
QColor menuBarColour(const QPalette& palette) {
  return style::isDark(palette) ? QColor(30, 30, 32, 210) : QColor(246, 246, 248, 200);
}

QColor menuBarText(const QPalette& palette) {
  return style::isDark(palette) ? QColor(255, 255, 255, 230) : QColor(0, 0, 0, 220);
}

} // namespace

MenuBarButton::MenuBarButton(QWidget* parent) : QAbstractButton(parent) {
  setAttribute(Qt::WA_Hover);
  setCursor(Qt::PointingHandCursor);
  setCheckable(true);
}

void MenuBarButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    rightDown_ = true;
    return;
  }
  QAbstractButton::mousePressEvent(event);
}

void MenuBarButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    if (std::exchange(rightDown_, false) && rect().contains(event->position().toPoint())) {
      click();
    }
    return;
  }
  QAbstractButton::mouseReleaseEvent(event);
}

void MenuBarButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor text = menuBarText(palette());
  const QRectF pill = QRectF(rect()).adjusted(1, 2, -1, -2);
  QColor ink = text;
  if (isChecked() || isDown()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(text);
    painter.drawRoundedRect(pill, 4, 4);
    ink = menuBarColour(palette());
    ink.setAlpha(255);
  } else if (underMouse()) {
    QColor hover = text;
    hover.setAlphaF(0.12f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(hover);
    painter.drawRoundedRect(pill, 4, 4);
  }
  const double glyph = 16;
  const std::optional<QColor> dot =
      badge ? std::optional<QColor>(style::orange(palette())) : std::nullopt;
  painter.drawPixmap(QRectF(rect()).center() - QPointF(glyph / 2, glyph / 2),
                     statusItemImage(symbol, glyph, ink, dot,
                                     2 * std::max(1.0, devicePixelRatioF()), QFont::Medium));
}

DesktopCanvas::DesktopCanvas(sim::Desktop& desktop, std::vector<DockTile> tiles)
    : desktop_(desktop), tiles_(std::move(tiles)) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  const Rect box = bounds(desktop_.screenFrames());
  setFixedSize(static_cast<int>(std::ceil(box.width)), static_cast<int>(std::ceil(box.height)));
}

Point DesktopCanvas::origin() const {
  const Rect box = bounds(desktop_.screenFrames());
  return {box.x, box.y};
}

QPointF DesktopCanvas::toCanvas(Point point) const {
  const Point zero = origin();
  return QPointF(point.x - zero.x, point.y - zero.y);
}

Point DesktopCanvas::fromCanvas(QPointF point) const {
  const Point zero = origin();
  return {point.x() + zero.x, point.y() + zero.y};
}

MenuBarButton* DesktopCanvas::addStatusButton() {
  auto* button = new MenuBarButton(this);
  button->setGeometry(statusItemFrame().toRect());
  button->show();
  return button;
}

void DesktopCanvas::syncPointer(QPointF global) {
  const Point point = fromCanvas(mapFromGlobal(global));
  const auto screens = desktop_.screenFrames();
  const bool onScreen = std::any_of(screens.begin(), screens.end(), [point](const Rect& screen) {
    return contains(screen, point);
  });
  if (onScreen && !(desktop_.pointer() == point)) {
    desktop_.movePointer(point);
  }
}

void DesktopCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), QColor(24, 24, 28));
  const auto screens = desktop_.screenFrames();
  for (std::size_t index = 0; index < screens.size(); ++index) {
    paintScreen(painter, qrect(screens[index]).translated(toCanvas({0, 0})), index == 0);
  }
  paintDock(painter);
  if (asleep || locked) {
    painter.fillRect(rect(), asleep ? QColor(0, 0, 0, 235) : QColor(0, 0, 0, 150));
    painter.setPen(QColor(255, 255, 255, 200));
    painter.setFont(style::font(20, QFont::Medium));
    painter.drawText(rect(), Qt::AlignCenter,
                     asleep ? QStringLiteral("Asleep") : QStringLiteral("Locked"));
  }
}

void DesktopCanvas::mousePressEvent(QMouseEvent* event) {
  if (applicationMenu != nullptr && menuTitleFrame().contains(event->position())) {
    applicationMenu->popup(mapToGlobal(menuTitleFrame().bottomLeft().toPoint()));
    return;
  }
  lumivaneActive = false;
  syncPointer(event->globalPosition());
  if (const auto button = mouseButton(event->button())) {
    desktop_.press(*button);
  }
}

void DesktopCanvas::mouseReleaseEvent(QMouseEvent* event) {
  syncPointer(event->globalPosition());
  if (const auto button = mouseButton(event->button())) {
    desktop_.release(*button);
  }
}

void DesktopCanvas::mouseMoveEvent(QMouseEvent* event) {
  syncPointer(event->globalPosition());
}

void DesktopCanvas::wheelEvent(QWheelEvent* event) {
  syncPointer(event->globalPosition());
  desktop_.scroll();
}

QRectF DesktopCanvas::primaryFrame() const {
  const auto screens = desktop_.screenFrames();
  return screens.empty() ? QRectF() : qrect(screens.front()).translated(toCanvas({0, 0}));
}

QRectF DesktopCanvas::statusItemFrame() const {
  const QRectF primary = primaryFrame();
  return QRectF(primary.right() - clockWidth - statusItemLength, primary.top(), statusItemLength,
                menuBarHeight);
}

QRectF DesktopCanvas::menuTitleFrame() const {
  const QRectF primary = primaryFrame();
  return QRectF(primary.left() + 8, primary.top(), 80, menuBarHeight);
}

void DesktopCanvas::paintScreen(QPainter& painter, const QRectF& frame, bool primary) const {
  QLinearGradient wallpaper(frame.topLeft(), frame.bottomRight());
  wallpaper.setColorAt(0, QColor(74, 108, 168));
  wallpaper.setColorAt(0.55, QColor(128, 104, 170));
  wallpaper.setColorAt(1, QColor(226, 148, 120));
  painter.fillRect(frame, wallpaper);
  if (!primary) {
    return;
  }
  const QRectF bar(frame.left(), frame.top(), frame.width(), menuBarHeight);
  painter.fillRect(bar, menuBarColour(palette()));
  painter.setPen(menuBarText(palette()));
  if (applicationMenu != nullptr) {
    painter.setFont(style::font(13, QFont::DemiBold));
    painter.drawText(menuTitleFrame(), Qt::AlignLeft | Qt::AlignVCenter, applicationMenu->title());
  }
  painter.setFont(style::font(13));
  painter.drawText(QRectF(bar.right() - clockWidth, bar.top(), clockWidth - 10, bar.height()),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QTime::currentTime().toString(QStringLiteral("HH:mm")));
}

void DesktopCanvas::paintDock(QPainter& painter) const {
  const std::size_t count = std::min(desktop_.dockItemCount(), tiles_.size());
  if (count == 0) {
    return;
  }
  const QRectF list = qrect(desktop_.dockListFrame()).translated(toCanvas({0, 0}));
  painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
  painter.setBrush(QColor(255, 255, 255, 70));
  painter.drawRoundedRect(list, 16, 16);

  const DockEdge edge = dockEdge();
  std::optional<std::size_t> hovered;
  for (std::size_t index = 0; index < count; ++index) {
    const Rect item = desktop_.itemFrame(static_cast<int>(index));
    const QRectF frame = qrect(item).translated(toCanvas({0, 0}));
    const DockTile& tile = tiles_[index];
    if (tile.kind == sim::DockItemKind::separator) {
      painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
      if (edge == DockEdge::bottom) {
        painter.drawLine(QPointF(frame.center().x(), frame.top() + 6),
                         QPointF(frame.center().x(), frame.bottom() - 6));
      } else {
        painter.drawLine(QPointF(frame.left() + 6, frame.center().y()),
                         QPointF(frame.right() - 6, frame.center().y()));
      }
      continue;
    }
    paintTile(painter, frame, tile);
    if (tile.pid != 0 && desktop_.isRunning(tile.pid)) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(20, 20, 20, 200));
      painter.drawEllipse(runningDot(list, frame, edge), 2, 2);
    }
    if (contains(item, desktop_.pointer())) {
      hovered = index;
    }
  }
  if (hovered) {
    paintNameTag(painter,
                 qrect(desktop_.itemFrame(static_cast<int>(*hovered))).translated(toCanvas({0, 0})),
                 edge, qtext(tiles_[*hovered].name));
  }
}

DockEdge DesktopCanvas::dockEdge() const {
  const Rect list = desktop_.dockListFrame();
  const auto screens = desktop_.screenFrames();
  const auto screen = DockGeometry::screen(list, screens);
  return screen ? DockGeometry::edge(list, *screen) : DockEdge::bottom;
}

QPointF DesktopCanvas::runningDot(const QRectF& list, const QRectF& frame, DockEdge edge) {
  switch (edge) {
  case DockEdge::left:
    return QPointF(list.left() + 3, frame.center().y());
  case DockEdge::right:
    return QPointF(list.right() - 3, frame.center().y());
  case DockEdge::bottom:
    break;
  }
  return QPointF(frame.center().x(), list.bottom() - 3);
}

void DesktopCanvas::paintTile(QPainter& painter, const QRectF& frame, const DockTile& tile) {
  const QRectF square = frame.adjusted(frame.width() * 0.06, frame.height() * 0.06,
                                       -frame.width() * 0.06, -frame.height() * 0.06);
  QLinearGradient fill(square.topLeft(), square.bottomLeft());
  fill.setColorAt(0, tile.colour.lighter(125));
  fill.setColorAt(1, tile.colour);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  const double radius = square.width() * 0.225;
  painter.drawRoundedRect(square, radius, radius);
  if (tile.kind == sim::DockItemKind::folder) {
    symbols::paint(painter,
                   square.adjusted(square.width() * 0.2, square.height() * 0.2,
                                   -square.width() * 0.2, -square.height() * 0.2),
                   symbols::folderFill, QColor(255, 255, 255, 230));
    return;
  }
  painter.setPen(QColor(255, 255, 255, 235));
  painter.setFont(style::font(std::max(8, static_cast<int>(square.height() * 0.45)), QFont::Bold));
  const QString name = qtext(tile.name);
  painter.drawText(square, Qt::AlignCenter, name.left(1));
}

void DesktopCanvas::paintNameTag(QPainter& painter, const QRectF& icon, DockEdge edge,
                                 const QString& name) const {
  const QFont font = style::font(13);
  const double width = QFontMetricsF(font).horizontalAdvance(name) + 24;
  const double height = 26;
  QPointF centre(icon.center().x(), icon.top() - 5 - height / 2);
  if (edge == DockEdge::left) {
    centre = QPointF(icon.right() + 10 + width / 2, icon.center().y());
  } else if (edge == DockEdge::right) {
    centre = QPointF(icon.left() - 10 - width / 2, icon.center().y());
  }
  const QRectF tag(centre.x() - width / 2, centre.y() - height / 2, width, height);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(236, 236, 238, 235));
  painter.drawRoundedRect(tag, 6, 6);
  painter.setPen(QColor(0, 0, 0, 220));
  painter.setFont(font);
  painter.drawText(tag, Qt::AlignCenter, name);
}

} // namespace lumivane::shell
