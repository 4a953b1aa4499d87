#pragma once

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/DockObserver.hpp"
#include "Lumivane/HoverController.hpp"
#include "Lumivane/MiddleClickMonitor.hpp"
#include "Lumivane/QuitOverlay.hpp"
#include "RewritingAccessibility.hpp"
#include "Simulator/Desktop.hpp"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::test {

struct DockSetup {
  std::vector<Rect> screens{{0, 0, 1440, 900}};
  DockEdge edge = DockEdge::bottom;
  double iconSize = 64;
  std::optional<double> magnifiedSize = std::nullopt;
};

// A simulated desktop with a Dock of the Finder, Safari, Mail and Notes (Notes keeps a save
// prompt open, so its quit request stays pending), a folder and the trash, and both triggers
// wired the way the coordinator wires them. Nothing is started.
class TriggerDesktop {
public:
  explicit TriggerDesktop(const DockSetup& setup = {});

  // Top-left space, with magnification at the current pointer.
  Rect icon(std::string_view item) const;
  Point centre(std::string_view item) const;
  // Where the default layout puts the × of a bottom Dock's icon when nothing is in the way:
  // centred over the icon, above the icon gap, the name band and the band gap.
  static Rect buttonAbove(const Rect& icon);
  Rect panelFrame() const; // top-left space
  bool panelVisible() const { return desktop.panel().visible; }
  int32_t pid(std::string_view name) const;
  // What was logged on the hover channel, in order.
  std::vector<sim::LogRecord> hoverLog() const;

  // Declared first: the services hold its ports and go before it.
  sim::Desktop desktop;
  // The services' ports: the desktop's, with Accessibility answers a test may rewrite.
  test::RewritingAccessibility accessibility{desktop.platform().accessibility};
  platform::Platform platform = test::withAccessibility(desktop.platform(), accessibility);
  std::shared_ptr<DockObserver> observer;
  std::shared_ptr<QuitOverlay> overlay;
  std::shared_ptr<AppQuitService> quitter;
  std::shared_ptr<HoverController> hover;
  std::shared_ptr<MiddleClickMonitor> monitor;
};

} // namespace lumivane::test
