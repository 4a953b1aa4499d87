#pragma once

#include "Lumivane/Platform/Platform.hpp"
#include "LumivaneCore/AppIdentity.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"

#include <optional>
#include <string>
#include <vector>

namespace lumivane {

// One application's Dock item as measured at one moment. Top-left space. Copies share the
// element handle.
struct DockTarget {
  RunningApp app;
  platform::ElementRef element;
  Rect iconFrame;
  Rect buttonFrame;
  DockEdge edge = DockEdge::bottom;
};

// The only reader of the Dock. Every public query runs under its own 65 ms budget and every
// Accessibility message under a 0.02 s time-out; nothing about the Dock is kept between queries
// but its process id and the display geometry. Main thread only; public queries must not nest.
class DockObserver {
public:
  struct Hit {
    // The quittable application behind the item; absent for other items.
    std::optional<RunningApp> application;
    // The full description for the hover feature; absent without layout options.
    std::optional<DockTarget> target;
  };

  static constexpr double queryBudget = 0.065;
  static constexpr float messagingTimeout = 0.02f;
  static constexpr std::size_t maxItems = 128;
  static constexpr double edgeMargin = 200;
  static constexpr double minimumOnScreenShare = 0.85;

  explicit DockObserver(platform::Platform& platform);

  // While one exists, the queries share the budget the first of them opens, so that a caller's
  // step of several queries holds the main thread no longer than one query may. Not nested.
  class SharedBudget {
  public:
    explicit SharedBudget(DockObserver& observer);
    ~SharedBudget();
    SharedBudget(const SharedBudget&) = delete;
    SharedBudget& operator=(const SharedBudget&) = delete;

  private:
    DockObserver& observer_;
  };

  // Re-reads the display geometry into screens() and primaryTop().
  void updateScreens();

  // What lies under `point` (top-left space). Without layout options no target is built.
  std::optional<Hit> hit(Point point, const std::optional<HoverLayoutOptions>& layout);
  // The remembered item measured again; absent when it no longer shows the same application.
  std::optional<DockTarget> refresh(const DockTarget& target, const HoverLayoutOptions& layout);
  // The application a click on the target's × may quit now.
  std::optional<RunningApp> selectedApplication(const DockTarget& target);

  std::vector<RunningApp> runningApps();
  // The Dock's edge now; bottom when it cannot be read.
  DockEdge currentEdge();

  // One frame per display, top-left space, primary first.
  const std::vector<Rect>& screens() const { return screens_; }
  // The primary display's top edge in the bottom-left space.
  double primaryTop() const { return primaryTop_; }

private:
  bool beginQuery();
  bool withinBudget();
  std::optional<Rect> frame(const platform::ElementRef& element);
  std::optional<std::vector<Rect>> itemFrames(const platform::ElementRef& list);
  // The item's application URL as a file path, when it is a file URL of an ".app" bundle.
  std::optional<std::string> appURL(const platform::ElementRef& element);
  std::optional<RunningApp> resolveApp(const platform::ElementRef& element);
  std::optional<platform::ElementRef> parent(const platform::ElementRef& element);
  std::optional<Rect> screenHolding(const Rect& frame);
  std::optional<DockTarget> target(const platform::ElementRef& item, const RunningApp& app,
                                   const Rect& frame, const HoverLayoutOptions& layout);

  platform::Platform& platform_;
  platform::ElementRef system_;
  double deadline_ = 0;
  bool sharing_ = false;    // a SharedBudget exists
  bool budgetOpen_ = false; // ...and a query has opened the budget they share
  int32_t dockPID_ = 0;
  std::vector<Rect> screens_;
  double primaryTop_ = 0;
};

} // namespace lumivane
