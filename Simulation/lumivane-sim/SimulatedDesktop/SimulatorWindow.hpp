#pragma once

#include "LumivaneCore/Geometry.hpp"
#include "Simulator/Desktop.hpp"

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace lumivane::shell {

class ScreenSpace;
class DesktopCanvas;

// One Dock item as the simulated desktop draws it.
struct DockTile {
  std::string name;
  sim::DockItemKind kind = sim::DockItemKind::application;
  int32_t pid = 0; // the application's process; 0 for other kinds
  QColor colour;
};

// Fills a desktop with one display of `screenSize` and a Dock of applications that quit in each
// of the ways an application can (at once, after a delay, never: a save prompt, refusing),
// a folder and the trash. Returns the tiles in Dock order.
std::vector<DockTile> populateDesktop(sim::Desktop& desktop, QSize screenSize);

// The interactive simulated desktop: draws the simulated displays, the menu bar with Lumivane's
// status item and the Dock (its items, running dots and magnification) from the Desktop's
// frames; feeds the real mouse into the simulator and runs its virtual clock in real time.
// Lumivane's real windows (× panel, popover, welcome and settings) appear above it, placed
// through space(): the simulator's top-left space maps one to one onto the canvas, whose
// top-left corner is the top-left corner of the displays' bounding box.
class SimulatorWindow : public QWidget {
  Q_OBJECT

public:
  SimulatorWindow(sim::Desktop& desktop, std::vector<DockTile> tiles, QWidget* parent = nullptr);
  ~SimulatorWindow() override;

  // The placement of Lumivane's windows over this window, for QtWindows. This window outlives
  // everything made through it (the status item lives in its menu bar).
  ScreenSpace& space() const { return *space_; }
  // Shows the application menu's title in the simulated menu bar; a click on it opens `menu`.
  void setApplicationMenu(QMenu* menu);
  // Runs the virtual clock in real time, about 60 steps a second.
  void startClock();
  // The canvas, with Lumivane's visible windows that lie over it drawn in.
  QImage snapshot() const;
  QWidget& canvas() const;

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* controls();
  void step();
  void setPermissions(bool granted);

  sim::Desktop& desktop_;
  DesktopCanvas* canvas_;
  std::unique_ptr<ScreenSpace> space_;
  QTimer clock_;
  QElapsedTimer elapsed_;
  bool permissionsGranted_ = false;
};

} // namespace lumivane::shell
