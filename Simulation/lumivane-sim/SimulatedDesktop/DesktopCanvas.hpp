#pragma once

#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "SimulatedDesktop/SimulatorWindow.hpp"
#include "Simulator/Desktop.hpp"

#include <QAbstractButton>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class QMenu;
class QPainter;

namespace lumivane::shell {

// The status item's button in the simulated menu bar. Its symbol is a template: drawn in the
// menu bar's text colour, and inverted on a pill of that colour while highlighted (the popover
// it opened is shown) or pressed. Highlighted is its checked state, which only the status item
// sets: a click does not toggle it.
class MenuBarButton : public QAbstractButton {
public:
  std::string symbol;
  bool badge = false;

  explicit MenuBarButton(QWidget* parent);

protected:
  void nextCheckState() override {}

  // The item has no menu of its own: a right click is a click too. A press that something else
  // took (the open popover, which closes on it) makes no click.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent*) override;

private:
  bool rightDown_ = false;
};

// The simulated displays as one canvas: canvas point = top-left point − the bounding box's
// top-left corner.
class DesktopCanvas : public QWidget {
public:
  // The height of the menu bar on every display, in points.
  static constexpr double menuBarHeight = 25;

  bool locked = false;
  bool asleep = false;
  QMenu* applicationMenu = nullptr;
  // Lumivane is the active application: from its own activation until a press on the desktop,
  // which goes to another application (the Dock's, the desktop's, or one under the pointer).
  bool lumivaneActive = false;

  DesktopCanvas(sim::Desktop& desktop, std::vector<DockTile> tiles);

  std::vector<DockTile>& tiles() { return tiles_; }
  Point origin() const;
  QPointF toCanvas(Point point) const;
  Point fromCanvas(QPointF point) const;
  MenuBarButton* addStatusButton();

  // Moves the simulated pointer to a global position when it lies on a display.
  void syncPointer(QPointF global);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

private:
  QRectF primaryFrame() const;
  QRectF statusItemFrame() const;
  QRectF menuTitleFrame() const;
  void paintScreen(QPainter& painter, const QRectF& frame, bool primary) const;
  void paintDock(QPainter& painter) const;
  DockEdge dockEdge() const;
  static QPointF runningDot(const QRectF& list, const QRectF& frame, DockEdge edge);
  static void paintTile(QPainter& painter, const QRectF& frame, const DockTile& tile);
  void paintNameTag(QPainter& painter, const QRectF& icon, DockEdge edge,
                    const QString& name) const;

  sim::Desktop& desktop_;
  std::vector<DockTile> tiles_;
};

} // namespace lumivane::shell
