#pragma once

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/DockObserver.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/QuitOverlay.hpp"
#include "LumivaneCore/HoverDecision.hpp"
#include "LumivaneCore/HoverLayout.hpp"

#include <memory>
#include <optional>

namespace lumivane {

// Hover to quit: watches the mouse and, while the pointer is near a Dock edge or a × is tracked,
// runs a 30 Hz loop that asks the Dock observer what lies under the pointer, hands what it sees
// to the hover decision and shows, moves or hides the × as that decides. The loop's steps read
// the Dock through the observer's last measurement where the Dock has not visibly changed; while
// the pointer rests with nothing due, every other step reads only the target's icon and the
// items that could reach its × (every step once one has moved), and a whole step follows when
// any of them moved (and twice a second regardless). A click is always checked against a fresh
// reading. Main thread; monitor handlers and the loop's timer reach it weakly.
class HoverController : public std::enable_shared_from_this<HoverController> {
public:
  static constexpr double tickInterval = 1.0 / 30.0;
  static constexpr double tickTolerance = 0.004;
  // While the pointer rests with nothing due, a whole step runs at least this often (every
  // fifteenth step); the steps between look only at what can move the × (isUnchanged).
  static constexpr double restingReadInterval = 0.5 - tickInterval / 2;
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
  void step(HoverSample sample);
  // What lies under the pointer, as the decision sees it.
  HoverSighting sight(const DockObserver::Look& look);
  // The item the × stands for (or will): the memory's mark with the element it was read from.
  [[nodiscard]] std::optional<DockTarget> target() const;
  void act(const HoverVerdict& verdict, const std::optional<DockObserver::Hit>& hit);
  void click();
  Point pointer();
  // The pointer is on the visible × panel.
  bool isOnVisibleButton(Point point);
  void hidePanel();

  std::shared_ptr<DockObserver> observer_;
  std::shared_ptr<QuitOverlay> overlay_;
  std::shared_ptr<AppQuitService> quitter_;
  platform::Platform& platform_;
  HoverMemory memory_;
  // The application and Dock item behind memory_.mark.
  std::optional<RunningApp> app_;
  platform::ElementRef element_;
  std::unique_ptr<platform::Timer> timer_;
  double lastReading_ = 0;           // when a step last read the Dock
  std::optional<Point> lastPointer_; // ...and where the pointer was then
  bool lastLookQuiet_ = false;       // the last step's look found nothing of the × moved
  std::optional<platform::MonitorToken> globalMonitor_;
  std::optional<platform::MonitorToken> localMonitor_;
  bool enabled_ = false;
  double lastTick_ = 0;
};

} // namespace lumivane
