#include "SimulatedDesktop/SimulatorWindow.hpp"

#include "Shell/Text.hpp"
#include "SimulatedDesktop/DesktopCanvas.hpp"
#include "SimulatedDesktop/SimulatorScreenSpace.hpp"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <utility>

namespace lumivane::shell {

namespace {

// The largest size a Dock icon grows to under the pointer.
constexpr double magnifiedIconSize = 112;

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
