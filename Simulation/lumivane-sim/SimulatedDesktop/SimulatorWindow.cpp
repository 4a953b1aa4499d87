#include "SimulatedDesktop/SimulatorWindow.hpp"

#include "LumivaneCore/DockGeometry.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/StatusItem.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"
#include "SimulatedDesktop/SimulatedOverlayHost.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

namespace lumivane::shell {

namespace {

constexpr double menuBarHeight = 25;
constexpr double statusItemLength = 25;
// Room right of the status item for the menu bar's clock.
constexpr double clockWidth = 70;
// The largest size a Dock icon grows to under the pointer.
constexpr double magnifiedIconSize = 112;

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

// The status item's button in the simulated menu bar. Its symbol is a template: drawn in the
// menu bar's text colour, and inverted on a pill of that colour while highlighted (the popover
// it opened is shown) or pressed. Highlighted is its checked state, which only the status item
// sets: a click does not toggle it.
class MenuBarButton : public QAbstractButton {
public:
  std::string symbol;
  bool badge = false;

  explicit MenuBarButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setCheckable(true);
  }

protected:
  void nextCheckState() override {}

  // The item has no menu of its own: a right click is a click too. A press that something else
  // took (the open popover, which closes on it) makes no click.
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      rightDown_ = true;
      return;
    }
    QAbstractButton::mousePressEvent(event);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      if (std::exchange(rightDown_, false) && rect().contains(event->position().toPoint())) {
        click();
      }
      return;
    }
    QAbstractButton::mouseReleaseEvent(event);
  }

  void paintEvent(QPaintEvent*) override {
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

private:
  bool rightDown_ = false;
};

} // namespace

// The simulated displays as one canvas: canvas point = top-left point − the bounding box's
// top-left corner.
class DesktopCanvas : public QWidget {
public:
  bool locked = false;
  bool asleep = false;
  QMenu* applicationMenu = nullptr;
  // Lumivane is the active application: from its own activation until a press on the desktop,
  // which goes to another application (the Dock's, the desktop's, or one under the pointer).
  bool lumivaneActive = false;

  DesktopCanvas(sim::Desktop& desktop, std::vector<DockTile> tiles)
      : desktop_(desktop), tiles_(std::move(tiles)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const Rect box = bounds(desktop_.screenFrames());
    setFixedSize(static_cast<int>(std::ceil(box.width)), static_cast<int>(std::ceil(box.height)));
  }

  std::vector<DockTile>& tiles() { return tiles_; }

  Point origin() const {
    const Rect box = bounds(desktop_.screenFrames());
    return {box.x, box.y};
  }
  QPointF toCanvas(Point point) const {
    const Point zero = origin();
    return QPointF(point.x - zero.x, point.y - zero.y);
  }
  Point fromCanvas(QPointF point) const {
    const Point zero = origin();
    return {point.x() + zero.x, point.y() + zero.y};
  }

  MenuBarButton* addStatusButton() {
    auto* button = new MenuBarButton(this);
    button->setGeometry(statusItemFrame().toRect());
    button->show();
    return button;
  }

  // Moves the simulated pointer to a global position when it lies on a display.
  void syncPointer(QPointF global) {
    const Point point = fromCanvas(mapFromGlobal(global));
    const auto screens = desktop_.screenFrames();
    const bool onScreen = std::any_of(screens.begin(), screens.end(), [point](const Rect& screen) {
      return contains(screen, point);
    });
    if (onScreen && !(desktop_.pointer() == point)) {
      desktop_.movePointer(point);
    }
  }

protected:
  void paintEvent(QPaintEvent*) override {
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

  void mousePressEvent(QMouseEvent* event) override {
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

  void mouseReleaseEvent(QMouseEvent* event) override {
    syncPointer(event->globalPosition());
    if (const auto button = mouseButton(event->button())) {
      desktop_.release(*button);
    }
  }

  void mouseMoveEvent(QMouseEvent* event) override { syncPointer(event->globalPosition()); }

  void wheelEvent(QWheelEvent* event) override {
    syncPointer(event->globalPosition());
    desktop_.scroll();
  }

private:
  QRectF primaryFrame() const {
    const auto screens = desktop_.screenFrames();
    return screens.empty() ? QRectF() : qrect(screens.front()).translated(toCanvas({0, 0}));
  }

  QRectF statusItemFrame() const {
    const QRectF primary = primaryFrame();
    return QRectF(primary.right() - clockWidth - statusItemLength, primary.top(), statusItemLength,
                  menuBarHeight);
  }

  QRectF menuTitleFrame() const {
    const QRectF primary = primaryFrame();
    return QRectF(primary.left() + 8, primary.top(), 80, menuBarHeight);
  }

  void paintScreen(QPainter& painter, const QRectF& frame, bool primary) const {
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
      painter.drawText(menuTitleFrame(), Qt::AlignLeft | Qt::AlignVCenter,
                       applicationMenu->title());
    }
    painter.setFont(style::font(13));
    painter.drawText(QRectF(bar.right() - clockWidth, bar.top(), clockWidth - 10, bar.height()),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QTime::currentTime().toString(QStringLiteral("HH:mm")));
  }

  void paintDock(QPainter& painter) const {
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
      paintNameTag(
          painter,
          qrect(desktop_.itemFrame(static_cast<int>(*hovered))).translated(toCanvas({0, 0})), edge,
          qtext(tiles_[*hovered].name));
    }
  }

  DockEdge dockEdge() const {
    const Rect list = desktop_.dockListFrame();
    const auto screens = desktop_.screenFrames();
    const auto screen = DockGeometry::screen(list, screens);
    return screen ? DockGeometry::edge(list, *screen) : DockEdge::bottom;
  }

  static QPointF runningDot(const QRectF& list, const QRectF& frame, DockEdge edge) {
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

  static void paintTile(QPainter& painter, const QRectF& frame, const DockTile& tile) {
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
    painter.setFont(
        style::font(std::max(8, static_cast<int>(square.height() * 0.45)), QFont::Bold));
    const QString name = qtext(tile.name);
    painter.drawText(square, Qt::AlignCenter, name.left(1));
  }

  void paintNameTag(QPainter& painter, const QRectF& icon, DockEdge edge,
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

  sim::Desktop& desktop_;
  std::vector<DockTile> tiles_;
};

namespace {

// Lumivane's status item in the simulated menu bar.
class SimulatedStatusItem final : public StatusButton {
public:
  SimulatedStatusItem(MenuBarButton* button, const ScreenSpace& space)
      : button_(button), space_(space) {
    QObject::connect(button_, &QAbstractButton::clicked, button_, [this] {
      if (action_) {
        const auto action = action_;
        action();
      }
    });
  }

  ~SimulatedStatusItem() override {
    if (button_) {
      button_->deleteLater();
    }
  }

  bool hasButton() override { return button_ != nullptr; }
  void setButtonAction(std::function<void()> action) override { action_ = std::move(action); }
  void setButtonAccessibilityIdentifier(std::string_view identifier) override {
    if (button_) {
      button_->setObjectName(qtext(identifier));
    }
  }
  void setSymbol(std::string_view symbolName, std::string_view description) override {
    if (button_) {
      button_->symbol = symbolName;
      button_->setAccessibleName(qtext(description));
      button_->update();
    }
  }
  void setToolTip(std::string_view toolTip) override {
    if (button_) {
      button_->setToolTip(qtext(toolTip));
    }
  }
  void setBadge(bool badge) override {
    if (button_) {
      button_->badge = badge;
      button_->update();
    }
  }
  Rect buttonScreenFrame() override {
    if (!button_) {
      return {};
    }
    return space_.fromGlobal(QRectF(button_->mapToGlobal(QPointF(0, 0)), QSizeF(button_->size())));
  }
  void setHighlighted(bool highlighted) override {
    if (button_) {
      button_->setChecked(highlighted);
    }
  }

private:
  QPointer<MenuBarButton> button_;
  const ScreenSpace& space_;
  std::function<void()> action_;
};

// Lumivane's windows over the canvas: bottom-left frames become top-left ones about the
// primary display's top, then canvas points, then Qt's global space.
class SimulatorScreenSpace final : public ScreenSpace {
public:
  SimulatorScreenSpace(sim::Desktop& desktop, DesktopCanvas& canvas)
      : desktop_(desktop), canvas_(canvas) {}

  QRectF toGlobal(const Rect& frame) const override {
    const Rect topLeft = DockGeometry::appKitRect(standardized(frame), primaryTop());
    const QPointF corner = canvas_.mapToGlobal(canvas_.toCanvas({topLeft.x, topLeft.y}));
    return QRectF(corner, QSizeF(topLeft.width, topLeft.height));
  }

  Rect fromGlobal(const QRectF& rect) const override {
    const QRectF normal = rect.normalized();
    const Point corner = canvas_.fromCanvas(canvas_.mapFromGlobal(normal.topLeft()));
    return DockGeometry::appKitRect({corner.x, corner.y, normal.width(), normal.height()},
                                    primaryTop());
  }

  std::optional<QRectF> mainVisibleArea() const override {
    const auto visible = desktop_.platform().screens.mainVisibleFrame();
    if (!visible) {
      return std::nullopt;
    }
    return toGlobal(*visible);
  }

  // The primary display's visible frame is the simulator's; every other display has a menu bar
  // of its own, as macOS draws one on each.
  std::vector<ScreenArea> screens() const override {
    std::vector<ScreenArea> result;
    const auto frames = desktop_.platform().screens.frames();
    for (std::size_t index = 0; index < frames.size(); ++index) {
      const QRectF frame = toGlobal(frames[index]);
      const auto primaryVisible = index == 0 ? mainVisibleArea() : std::nullopt;
      result.push_back(
          {frame, primaryVisible ? *primaryVisible : frame.adjusted(0, menuBarHeight, 0, 0)});
    }
    return result;
  }

  std::unique_ptr<StatusButton> createStatusItem() override {
    return std::make_unique<SimulatedStatusItem>(canvas_.addStatusButton(), *this);
  }

  void activateIgnoringOtherApps() const override { canvas_.lumivaneActive = true; }

  void orderFront(QWidget& window) const override {
    for (const QPointer<SimulatedOverlayHost>& host : hosts_) {
      if (host && host->hosts(window)) {
        host->orderFrontRegardless();
        return;
      }
    }
    window.raise();
  }

  std::unique_ptr<native::OverlayHost> hostOverlay(QWidget& content) const override {
    auto host = std::make_unique<SimulatedOverlayHost>(
        content,
        [canvas = QPointer<DesktopCanvas>(&canvas_)] { return canvas && canvas->lumivaneActive; });
    std::erase_if(hosts_, [](const QPointer<SimulatedOverlayHost>& known) { return !known; });
    hosts_.emplace_back(host.get());
    return host;
  }

private:
  // The primary display's top edge in the bottom-left space.
  double primaryTop() const {
    const auto frames = desktop_.platform().screens.frames();
    return frames.empty() ? 0 : frames.front().maxY();
  }

  sim::Desktop& desktop_;
  DesktopCanvas& canvas_;
  mutable std::vector<QPointer<SimulatedOverlayHost>> hosts_;
};

} // namespace

std::vector<DockTile> populateDesktop(sim::Desktop& desktop, QSize screenSize) {
  desktop.setScreens(
      {{0, 0, static_cast<double>(screenSize.width()), static_cast<double>(screenSize.height())}});
  desktop.placeDock(DockEdge::bottom, 0, 64, magnifiedIconSize);
  struct App {
    const char* name;
    const char* identifier;
    const char* path;
    sim::QuitBehaviour quit;
    double delay;
    QColor colour;
  };
  const App apps[] = {
      {"Finder", "com.apple.finder", "/System/Library/CoreServices/Finder.app",
       sim::QuitBehaviour::immediately, 0, QColor(38, 132, 235)},
      {"Safari", "com.apple.Safari", "/Applications/Safari.app", sim::QuitBehaviour::immediately, 0,
       QColor(30, 160, 220)},
      {"Notes", "com.apple.Notes", "/Applications/Notes.app", sim::QuitBehaviour::afterDelay, 1.5,
       QColor(236, 180, 40)},
      {"TextEdit", "com.apple.TextEdit", "/Applications/TextEdit.app", sim::QuitBehaviour::never, 0,
       QColor(120, 126, 140)},
      {"Music", "com.apple.Music", "/Applications/Music.app", sim::QuitBehaviour::refuse, 0,
       QColor(245, 70, 90)},
      {"Terminal", "com.apple.Terminal", "/Applications/Utilities/Terminal.app",
       sim::QuitBehaviour::immediately, 0, QColor(50, 50, 56)},
  };
  std::vector<DockTile> tiles;
  for (const App& app : apps) {
    const int32_t pid = desktop.launch({.name = app.name,
                                        .bundleIdentifier = app.identifier,
                                        .bundlePath = app.path,
                                        .quit = app.quit,
                                        .quitDelay = app.delay});
    desktop.addDockApplication(app.name, app.path);
    tiles.push_back({app.name, sim::DockItemKind::application, pid, app.colour});
  }
  desktop.addDockItem(sim::DockItemKind::separator, "");
  tiles.push_back({"", sim::DockItemKind::separator, 0, QColor()});
  desktop.addDockItem(sim::DockItemKind::folder, "Downloads");
  tiles.push_back({"Downloads", sim::DockItemKind::folder, 0, QColor(70, 150, 240)});
  desktop.addDockItem(sim::DockItemKind::trash, "Trash");
  tiles.push_back({"Trash", sim::DockItemKind::trash, 0, QColor(150, 156, 166)});
  return tiles;
}

SimulatorWindow::SimulatorWindow(sim::Desktop& desktop, std::vector<DockTile> tiles,
                                 QWidget* parent)
    : QWidget(parent), desktop_(desktop), canvas_(new DesktopCanvas(desktop, std::move(tiles))),
      space_(std::make_unique<SimulatorScreenSpace>(desktop, *canvas_)) {
  setWindowTitle(QStringLiteral("lumivane-sim — simulated desktop"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->setSizeConstraint(QLayout::SetFixedSize);
  column->addWidget(canvas_);
  column->addWidget(controls());
  clock_.setTimerType(Qt::PreciseTimer);
  clock_.setInterval(16);
  connect(&clock_, &QTimer::timeout, this, [this] { step(); });
  // Lumivane's own windows sit outside this widget; the pointer follows the mouse over them too.
  qApp->installEventFilter(this);
}

SimulatorWindow::~SimulatorWindow() {
  qApp->removeEventFilter(this);
}

QWidget& SimulatorWindow::canvas() const {
  return *canvas_;
}

void SimulatorWindow::setApplicationMenu(QMenu* menu) {
  canvas_->applicationMenu = menu;
  canvas_->update();
}

void SimulatorWindow::startClock() {
  elapsed_.start();
  clock_.start();
}

void SimulatorWindow::step() {
  // A stalled event loop (a debugger, a suspended machine) resumes without a burst of time.
  const double seconds = std::min(static_cast<double>(elapsed_.restart()) / 1000.0, 0.25);
  desktop_.advance(seconds);
  canvas_->update();
}

void SimulatorWindow::closeEvent(QCloseEvent* event) {
  // The desktop is the program's main window: closing it ends the program, Lumivane included.
  QWidget::closeEvent(event);
  QCoreApplication::quit();
}

bool SimulatorWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != canvas_ && watched->isWidgetType() &&
      (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
    canvas_->syncPointer(static_cast<QMouseEvent*>(event)->globalPosition());
  }
  return QWidget::eventFilter(watched, event);
}

void SimulatorWindow::setPermissions(bool granted) {
  permissionsGranted_ = granted;
  desktop_.setAccessibility(granted);
  desktop_.setInputMonitoring(granted);
}

QWidget* SimulatorWindow::controls() {
  auto* strip = new QWidget;
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(10, 6, 10, 6);
  row->setSpacing(8);

  auto* lock = new QPushButton(QStringLiteral("Lock"));
  lock->setCheckable(true);
  connect(lock, &QPushButton::toggled, this, [this, lock](bool on) {
    desktop_.post(on ? platform::Notification::screenIsLocked
                     : platform::Notification::screenIsUnlocked);
    lock->setText(on ? QStringLiteral("Unlock") : QStringLiteral("Lock"));
    canvas_->locked = on;
  });
  row->addWidget(lock);

  auto* sleep = new QPushButton(QStringLiteral("Sleep"));
  sleep->setCheckable(true);
  connect(sleep, &QPushButton::toggled, this, [this, sleep](bool on) {
    desktop_.post(on ? platform::Notification::willSleep : platform::Notification::didWake);
    sleep->setText(on ? QStringLiteral("Wake") : QStringLiteral("Sleep"));
    canvas_->asleep = on;
  });
  row->addWidget(sleep);

  auto* permissions = new QPushButton;
  const auto labelPermissions = [this, permissions] {
    permissions->setText(permissionsGranted_ ? QStringLiteral("Revoke permissions")
                                             : QStringLiteral("Grant permissions"));
  };
  connect(permissions, &QPushButton::clicked, this, [this, labelPermissions] {
    setPermissions(!permissionsGranted_);
    labelPermissions();
  });
  permissionsGranted_ = desktop_.platform().accessibility.isProcessTrusted();
  labelPermissions();
  row->addWidget(permissions);

  auto* apps = new QComboBox;
  for (const DockTile& tile : canvas_->tiles()) {
    if (tile.kind == sim::DockItemKind::application) {
      apps->addItem(qtext(tile.name));
    }
  }
  row->addWidget(apps);
  auto* relaunch = new QPushButton(QStringLiteral("Relaunch"));
  connect(relaunch, &QPushButton::clicked, this, [this, apps] {
    for (DockTile& tile : canvas_->tiles()) {
      if (tile.kind == sim::DockItemKind::application && qtext(tile.name) == apps->currentText()) {
        if (const int32_t pid = desktop_.relaunch(tile.pid); pid != 0) {
          tile.pid = pid;
        }
      }
    }
  });
  row->addWidget(relaunch);

  auto* edge = new QComboBox;
  edge->addItems({QStringLiteral("Dock: bottom"), QStringLiteral("Dock: left"),
                  QStringLiteral("Dock: right")});
  connect(edge, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(std::size(allDockEdges))) {
      desktop_.placeDock(allDockEdges[index], 0, 64, magnifiedIconSize);
      canvas_->update();
    }
  });
  row->addWidget(edge);
  row->addStretch(1);
  row->addWidget(
      new QLabel(QStringLiteral("Rest on an icon and click the ×, or middle-click it.")));
  return strip;
}

QImage SimulatorWindow::snapshot() const {
  QImage image = canvas_->grab().toImage();
  QPainter painter(&image);
  const QPoint corner = canvas_->mapToGlobal(QPoint(0, 0));
  for (QWidget* window : QApplication::topLevelWidgets()) {
    // A window whose content a host shows is drawn as the host.
    if (window != this && window->isVisible() && !window->testAttribute(Qt::WA_DontShowOnScreen) &&
        window->geometry().intersects(QRect(corner, canvas_->size()))) {
      painter.setOpacity(window->windowOpacity());
      painter.drawPixmap(window->geometry().topLeft() - corner, window->grab());
    }
  }
  return image;
}

} // namespace lumivane::shell
