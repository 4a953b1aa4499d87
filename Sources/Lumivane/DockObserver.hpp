#pragma once

#include "Lumivane/Platform/Platform.hpp"
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

// The only reader of the Dock. Every public query runs under its own 65 ms budget and every
// Accessibility message under a 0.02 s time-out. Between queries it keeps the Dock's process id,
// the display geometry and the last full measurement of the Dock's item list (see Reading).
// Main thread only; public queries must not nest.
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
  enum class Miss { nothing, offScreenItem, unreadable };
  using Look = std::variant<Hit, Miss>;

  static constexpr double queryBudget = 0.065;
  static constexpr float messagingTimeout = 0.02f;
  static constexpr std::size_t maxItems = 128;
  static constexpr double edgeMargin = 200;
  static constexpr double minimumOnScreenShare = 0.85;
  // Seconds the last full measurement may stand in for a new one (Reading::snapshot).
  static constexpr double snapshotLifetime = 2.0;

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
    notAnItem,          // a spacer or a Dock extra: no item at all to a hit test
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

  // One item of the Dock's list as the observer reads it. Top-left space.
  struct ItemReading {
    std::optional<std::string> subrole;
    std::optional<std::string> title;
    std::optional<Rect> frame;
    std::optional<std::string> url; // "AXURL" as its text
    Resolution resolution = NoApplication::unreadable;
  };
  struct DockReading {
    Rect listFrame;
    DockEdge edge = DockEdge::bottom;
    std::vector<ItemReading> items;
  };

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
  std::optional<Hit> hit(Point point, const std::optional<HoverLayoutOptions>& layout,
                         Reading reading = Reading::fresh);
  // The same, telling why nothing was found.
  Look look(Point point, const std::optional<HoverLayoutOptions>& layout,
            Reading reading = Reading::fresh);
  // The remembered item measured again; absent when it no longer shows the same application.
  std::optional<DockTarget> refresh(const DockTarget& target, const HoverLayoutOptions& layout,
                                    Reading reading = Reading::fresh);
  // The application a click on the target's × may quit now (read fresh), or, with a snapshot
  // reading, the one the × may stay up for.
  std::optional<RunningApp> selectedApplication(const DockTarget& target,
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
  // Every item of the Dock's list read afresh, each as a query of its own, for the diagnostics
  // report; absent when the list cannot be found (no permission, no Dock, no list on a screen).
  std::optional<DockReading> readDock();
  // The item under `point` (top-left space) read as readDock reads each item, for the
  // diagnostics' hit tests; absent where hit() finds no Dock item to walk up to.
  std::optional<ItemReading> readItemAt(Point point);

  // True for a bundle identifier the user asked Lumivane to leave alone: its item resolves to
  // no application, like an excluded system process's. Absent: none is.
  std::function<bool(std::string_view bundleIdentifier)> isProtected;

  // One frame per display, top-left space, primary first.
  const std::vector<Rect>& screens() const { return screens_; }
  // The primary display's top edge in the bottom-left space.
  double primaryTop() const { return primaryTop_; }

private:
  // The last full measurement of the Dock's item list, and what was learnt of its items since.
  struct Snapshot {
    int32_t dockPID = 0;
    platform::ElementRef list;
    Rect listFrame;
    std::vector<platform::ElementRef> children;
    std::vector<Rect> frames;    // one per child
    std::vector<Rect> obstacles; // the frames that have an area
    double measuredAt = 0;
    // Per child: its role reads "AXDockItem"; the canonical bundle path of an application item.
    // Only answers that were read successfully are kept, and only until factsSince expires.
    std::vector<bool> isItem;
    std::vector<std::optional<std::string>> bundlePaths;
    double factsSince = 0;
  };

  bool beginQuery();
  bool withinBudget();
  // The Dock item at or above the element under `point`; within a query's budget.
  std::variant<platform::ElementRef, Miss> itemAt(Point point, Reading reading);
  ItemReading readItem(const platform::ElementRef& item);
  std::optional<Rect> frame(const platform::ElementRef& element);
  // Brings the snapshot to the frames of the items in `list` for `item` (whose frame was just
  // read as `icon`): true when they are reused because the reading allows it and the Dock has
  // not visibly changed, false when they were measured now, absent when they cannot be read.
  std::optional<bool> currentFrames(const platform::ElementRef& list, const Rect& listFrame,
                                    const platform::ElementRef& item, const Rect& icon,
                                    Reading reading);
  // Reads again the items other than `item` that share `rect`'s lane across the Dock; whether
  // any had moved, absent when one cannot be read. Needs a snapshot.
  std::optional<bool> refreshLane(const Rect& rect, const platform::ElementRef& item,
                                  DockEdge edge);
  std::optional<HoverPlacement> place(const platform::ElementRef& item, const Rect& icon,
                                      DockEdge edge, const Rect& screen,
                                      const HoverLayoutOptions& layout, bool reused);
  std::optional<std::vector<platform::ElementRef>> children(const platform::ElementRef& list);
  // Measures every child into a new snapshot; false, and the snapshot kept, when one fails.
  bool measure(const platform::ElementRef& list, const Rect& listFrame,
               std::vector<platform::ElementRef> elements);
  // The item's application URL as a file path, when it is a file URL of an ".app" bundle.
  std::optional<std::string> appURL(const platform::ElementRef& element);
  std::optional<RunningApp> resolveApp(const platform::ElementRef& element, Reading reading);
  Resolution resolution(const platform::ElementRef& element, Reading reading);
  std::variant<std::string, NoApplication> bundlePath(const platform::ElementRef& element,
                                                      Reading reading);
  // The Dock's item list: its first top-level element of role "AXList" with a frame on a screen,
  // that frame and the screen. Opens a query.
  struct List {
    platform::ElementRef element;
    Rect frame;
    Rect screen;
  };
  std::optional<List> dockList();
  std::optional<std::string> text(const platform::ElementRef& element, std::string_view name);
  std::optional<platform::ElementRef> parent(const platform::ElementRef& element, Reading reading);
  std::optional<Rect> screenHolding(const Rect& frame);
  std::optional<DockTarget> target(const platform::ElementRef& item, const RunningApp& app,
                                   const Rect& frame, const HoverLayoutOptions& layout,
                                   Reading reading);
  // Where the element sits among the snapshot's children, while the snapshot is of this Dock.
  std::optional<std::size_t> snapshotIndex(const platform::ElementRef& element);
  // The same, for the facts learnt of the element: they are all forgotten first once they are
  // older than the snapshot lifetime.
  std::optional<std::size_t> knownIndex(const platform::ElementRef& element);
  // Taken `since` no longer ago than the snapshot lifetime.
  bool isYoung(double since);

  platform::Platform& platform_;
  platform::ElementRef system_;
  double deadline_ = 0;
  bool sharing_ = false;    // a SharedBudget exists
  bool budgetOpen_ = false; // ...and a query has opened the budget they share
  int32_t dockPID_ = 0;
  std::vector<Rect> screens_;
  double primaryTop_ = 0;
  std::optional<Snapshot> snapshot_;
};

} // namespace lumivane
