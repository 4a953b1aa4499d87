#pragma once

#include "Lumivane/DockReader.hpp"
#include "Lumivane/DockSnapshot.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/QueryBudget.hpp"
#include "LumivaneCore/AppIdentity.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
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

// Answers the triggers' questions about the Dock: what lies under a point, where an
// application's × goes, whether a remembered item still holds. It reads through a DockReader,
// each public query under its own QueryBudget (65 ms; every Accessibility message under a
// 0.02 s time-out), and keeps the display geometry and a DockSnapshot of the item list between
// queries (see Reading). Main thread only; public queries must not nest.
class DockObserver {
public:
  struct Hit {
    // The quittable application behind the item; absent for other items.
    std::optional<RunningApp> application;
    // The full description for the hover feature; absent without layout options.
    std::optional<DockTarget> target;
  };
  // Why a hit test found no item: none is there (a gap, the list's padding, a window above the
  // Dock, a point far from it); there is one, but mostly off its display (a Dock sliding out of
  // sight, a magnified row running over the display's edge), which the user sees and may rest
  // on while Lumivane acts on none of it; or the Dock could not be read there (no permission,
  // an error, a time-out, the budget spent).
  // offScreenItem and dockExtra: an item the pointer may rest on, though none to act on.
  enum class Miss { nothing, offScreenItem, dockExtra, unreadable };
  using Look = std::variant<Hit, Miss>;

  static constexpr double queryBudget = QueryBudget::seconds;
  static constexpr float messagingTimeout = DockReader::messagingTimeout;
  static constexpr double edgeMargin = 200;
  static constexpr double minimumOnScreenShare = 0.85;
  // Seconds the last full measurement may stand in for a new one (Reading::snapshot).
  static constexpr double snapshotLifetime = DockSnapshot::lifetime;

  // How much of the Dock a query reads again.
  //  - fresh: everything, as before a click is honoured or a middle click quits.
  //  - snapshot: while the Dock shows the same item list, list frame and children, the asked
  //    item still has the frame last measured for it and the measurement is younger than
  //    snapshotLifetime, the other items' frames are taken from it; an item found to be an
  //    application's item in that time keeps its bundle path (its application is still resolved
  //    against the running applications of the moment). Every change the checks can see costs
  //    a full measurement, so the × never rests on frames the Dock has visibly changed.
  enum class Reading { fresh, snapshot };

  // Why an item resolves to no application.
  enum class NoApplication {
    unreadable,         // a message failed, or the budget ran out
    notAnItem,          // a spacer: an empty tile, no item at all to a hit test
    dockExtra,          // a Dock extra: a tile the pointer may rest on, none to act on
    notApplicationItem, // a folder, the trash, a separator, another kind of item
    noApplicationURL,   // "AXURL" names no local ".app" bundle
    noCanonicalPath,    // the bundle's path cannot be put in canonical form
    notRunning,
    severalCopies,
    ownProcess,
    notRegular,
    stillLaunching,
    excluded,
    protectedByUser,
  };
  using Resolution = std::variant<RunningApp, NoApplication>;

  explicit DockObserver(platform::Platform& platform);

  // While one exists, the queries share the budget the first of them opens, so that a caller's
  // step of several queries holds the main thread no longer than one query may. Not nested.
  class SharedBudget : public QueryBudget::Shared {
  public:
    explicit SharedBudget(DockObserver& observer) : QueryBudget::Shared(observer.budget_) {}
  };

  // Re-reads the display geometry into screens() and primaryTop().
  void updateScreens();

  // What lies under `point` (top-left space). Without layout options no target is built.
  [[nodiscard]] std::optional<Hit> hit(Point point, const std::optional<HoverLayoutOptions>& layout,
                                       Reading reading = Reading::fresh);
  // The same, telling why nothing was found.
  Look look(Point point, const std::optional<HoverLayoutOptions>& layout,
            Reading reading = Reading::fresh);
  // The remembered item measured again; absent when it no longer shows the same application.
  [[nodiscard]] std::optional<DockTarget> refresh(const DockTarget& target,
                                                  const HoverLayoutOptions& layout,
                                                  Reading reading = Reading::fresh);
  // The application a click on the target's × may quit now (read fresh), or, with a snapshot
  // reading, the one the × may stay up for.
  [[nodiscard]] std::optional<RunningApp> selectedApplication(const DockTarget& target,
                                                              Reading reading = Reading::fresh);

  // The cheapest look that tells whether a step of the hover loop would see the target as it
  // was: its icon's frame read again, its application resolved again, and the items that could
  // have come onto its × (those in its lane across the Dock) read again; true when none has
  // changed since the snapshot. False when anything changed, cannot be read, or no snapshot of
  // this Dock holds the target's item.
  bool isUnchanged(const DockTarget& target);

  // Right after refresh(): whether an item of the Dock now covers the remembered target's ×, the
  // items in its lane read again; true when they cannot be read.
  bool isButtonCovered(const DockTarget& target);

  std::vector<RunningApp> runningApps();
  // The Dock's edge now; bottom when it cannot be read.
  DockEdge currentEdge();

  // For the diagnostics report, which reads the Dock through the observer's own code: the reader
  // (a query opened with its begin()), the Dock's item list, the application an item resolves to
  // or why none, read afresh, and the item the hit test walks up to from a point (absent where it
  // finds none).
  DockReader& reader() { return reader_; }
  [[nodiscard]] std::optional<DockReader::List> dockList();
  Resolution resolution(const platform::ElementRef& item, Reading reading = Reading::fresh);
  [[nodiscard]] std::optional<platform::ElementRef> itemUnder(Point point);

  // True for a bundle identifier the user asked Lumivane to leave alone: its item resolves to
  // no application, like an excluded system process's. Absent: none is.
  std::function<bool(std::string_view bundleIdentifier)> isProtected;

  // One frame per display, top-left space, primary first.
  const std::vector<Rect>& screens() const { return screens_; }
  // The primary display's top edge in the bottom-left space.
  double primaryTop() const { return primaryTop_; }

private:
  // The Dock item at or above the element under `point`; within a query's budget.
  std::variant<platform::ElementRef, Miss> itemAt(Point point, Reading reading);
  [[nodiscard]] std::optional<RunningApp> resolveApp(const platform::ElementRef& element,
                                                     Reading reading);
  std::variant<std::string, NoApplication> bundlePath(const platform::ElementRef& element,
                                                      Reading reading);
  [[nodiscard]] std::optional<platform::ElementRef> parent(const platform::ElementRef& element,
                                                           Reading reading);
  [[nodiscard]] std::optional<Rect> screenHolding(const Rect& frame);
  [[nodiscard]] std::optional<HoverPlacement> place(const platform::ElementRef& item,
                                                    const Rect& icon, DockEdge edge,
                                                    const Rect& screen,
                                                    const HoverLayoutOptions& layout, bool reused);
  [[nodiscard]] std::optional<DockTarget> target(const platform::ElementRef& item,
                                                 const RunningApp& app, const Rect& frame,
                                                 const HoverLayoutOptions& layout, Reading reading);

  platform::Platform& platform_;
  QueryBudget budget_;
  DockReader reader_;
  DockSnapshot snapshot_;
  std::vector<Rect> screens_;
  double primaryTop_ = 0;
};

} // namespace lumivane
