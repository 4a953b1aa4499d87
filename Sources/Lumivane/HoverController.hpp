#pragma once

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/DockObserver.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/QuitOverlay.hpp"
#include "LumivaneCore/HoverLayout.hpp"
#include "LumivaneCore/HoverState.hpp"

#include <memory>
#include <optional>

namespace lumivane {

// Hover to quit: watches the mouse and, while the pointer is near a Dock edge or a × is tracked,
// runs a 30 Hz loop that asks the Dock observer what lies under the pointer and shows, moves or
// hides the × as the hover state decides. The loop's steps read the Dock through the observer's
// last measurement where the Dock has not visibly changed, and only five times a second while
// the pointer rests on a shown × or on its way there; a click is always checked against a fresh
// reading. Main thread; monitor handlers and the loop's timer reach it weakly.
class HoverController : public std::enable_shared_from_this<HoverController> {
public:
  static constexpr double tickInterval = 1.0 / 30.0;
  static constexpr double tickTolerance = 0.004;
  // While the pointer rests on a shown × or its icon, the loop reads the Dock only this often
  // (every sixth step): a change of the Dock under a resting pointer still shows within 0.2 s.
  static constexpr double restingReadInterval = 0.2 - tickInterval / 2;
  static constexpr double showDelay = 0.25;
  static constexpr double hideDelay = 0.15;
  // Left and right mouse down, mouse moved, left and right dragged, scroll wheel, other dragged.
  static constexpr uint64_t eventMask = 0x84000EA;

  // Creates the controller and installs the overlay's onClick.
  static std::shared_ptr<HoverController> create(std::shared_ptr<DockObserver> observer,
                                                 std::shared_ptr<QuitOverlay> overlay,
                                                 std::shared_ptr<AppQuitService> quitter,
                                                 platform::Platform& platform);

  void start();
  void stop();
  // Forgets the target and hides the × at once; the feature stays on.
  void reset();

  bool isEnabled() const { return enabled_; }
  // True while the loop's timer exists.
  bool isLooping() const { return timer_ != nullptr; }

  // The × layout in force; the coordinator resets the controller before changing it.
  HoverLayoutOptions layout = HoverLayoutOptions::defaults;

  HoverController(std::shared_ptr<DockObserver> observer, std::shared_ptr<QuitOverlay> overlay,
                  std::shared_ptr<AppQuitService> quitter, platform::Platform& platform);

private:
  void mouseChanged(int eventType);
  void wake();
  void tick();
  bool isResting(Point point, double now);
  void step(Point point, double now);
  bool isHeadingForButton(Point point);
  bool isStillSelectable();
  std::optional<DockObserver::Hit> passedOver(std::optional<DockObserver::Hit> hit,
                                              bool heading) const;
  void click();
  Point pointer();
  // The pointer is on the visible × panel.
  bool isOnVisibleButton(Point point);
  void hidePanel();

  std::shared_ptr<DockObserver> observer_;
  std::shared_ptr<QuitOverlay> overlay_;
  std::shared_ptr<AppQuitService> quitter_;
  platform::Platform& platform_;
  HoverState state_{showDelay, hideDelay};
  std::optional<DockTarget> target_;
  bool retainingSelection_ = false;
  std::unique_ptr<platform::Timer> timer_;
  double lastReading_ = 0;           // when a step last read the Dock
  std::optional<Point> lastPointer_; // ...and where the pointer was then
  std::optional<platform::MonitorToken> globalMonitor_;
  std::optional<platform::MonitorToken> localMonitor_;
  bool enabled_ = false;
  double lastTick_ = 0;
};

} // namespace lumivane
