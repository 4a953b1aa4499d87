#pragma once

#include "LumivaneCore/Geometry.hpp"
#include "Shell/ScreenSpace.hpp"
#include "SimulatedDesktop/SimulatedOverlayHost.hpp"
#include "Simulator/Desktop.hpp"

#include <QPointer>
#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

namespace lumivane::shell {

class DesktopCanvas;

// Lumivane's windows over the canvas: bottom-left frames become top-left ones about the
// primary display's top, then canvas points, then Qt's global space.
class SimulatorScreenSpace final : public ScreenSpace {
public:
  SimulatorScreenSpace(sim::Desktop& desktop, DesktopCanvas& canvas)
      : desktop_(desktop), canvas_(canvas) {}

  QRectF toGlobal(const Rect& frame) const override;
  Rect fromGlobal(const QRectF& rect) const override;
  std::optional<QRectF> mainVisibleArea() const override;

  // The primary display's visible frame is the simulator's; every other display has a menu bar
  // of its own, as macOS draws one on each.
  std::vector<ScreenArea> screens() const override;
  std::unique_ptr<StatusButton> createStatusItem() override;
  void activateIgnoringOtherApps() const override;
  void orderFront(QWidget& window) const override;
  std::unique_ptr<native::OverlayHost> hostOverlay(QWidget& content) const override;

private:
  // The primary display's top edge in the bottom-left space.
  double primaryTop() const;

  sim::Desktop& desktop_;
  DesktopCanvas& canvas_;
  mutable std::vector<QPointer<SimulatedOverlayHost>> hosts_;
};

} // namespace lumivane::shell
