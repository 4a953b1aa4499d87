#include "Lumivane/DockObserver.hpp"

#include "Lumivane/RunningApplication.hpp"
#include "LumivaneCore/FileURL.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>
#include <variant>

namespace lumivane {

namespace {

constexpr std::string_view dockItemRole = "AXDockItem";
constexpr std::string_view applicationItemSubrole = "AXApplicationDockItem";
// Elements in the Dock's tree that are not items: a menu open beside an item is its child, and
// the pointer on the menu is not on the item (Apple's documentation; neru #386).
constexpr std::array<std::string_view, 2> menuRoles{"AXMenu", "AXMenuItem"};
// Items that are none to act on: an empty tile between icons, and a Dock extra, whose purpose no
// documentation gives (nayzak/DockUtils; hs._asm.axuielement #20).
constexpr std::string_view spacerSubrole = "AXSpacerDockItem";
constexpr std::string_view extraSubrole = "AXDockExtraDockItem";

constexpr std::string_view identityBudgetExhausted = "Dock identity query budget exhausted";
constexpr std::string_view incompleteSnapshot =
    "Hover layout unavailable: incomplete Dock geometry snapshot";
constexpr std::string_view noSafePlacement = "Hover layout unavailable: no safe placement";
constexpr std::string_view layoutBudgetExhausted = "Hover layout query budget exhausted";

// The element at a point, its parent and grandparent and great-grandparent: a Dock item is
// never deeper than that below the point.
constexpr int maxWalk = 4;

// An item's frame is measured only when it is more than a point wide and high.
bool isUsableItemFrame(const Rect& frame) {
  return frame.absWidth() > 1 && frame.absHeight() > 1;
}

// At least 85 percent of the frame's area lies on the screen.
bool isMostlyOn(const Rect& frame, const Rect& screen) {
  return area(intersection(frame, screen)) >= DockObserver::minimumOnScreenShare * area(frame);
}

bool isText(const std::optional<platform::AXValue>& value, std::string_view expected) {
  return DockReader::isText(value, expected);
}

} // namespace

DockObserver::DockObserver(platform::Platform& platform)
    : platform_(platform), budget_(platform.runLoop), reader_(platform, budget_),
      snapshot_(reader_, platform.runLoop) {
  updateScreens();
}

// Bottom-left display frames become top-left rectangles: y = primaryTop - maxY.
void DockObserver::updateScreens() {
  const std::vector<Rect> frames = platform_.screens.frames();
  primaryTop_ = frames.empty() ? 0 : frames.front().maxY();
  screens_.clear();
  screens_.reserve(frames.size());
  for (const Rect& frame : frames) {
    screens_.push_back(
        {frame.minX(), primaryTop_ - frame.maxY(), frame.absWidth(), frame.absHeight()});
  }
}

std::vector<RunningApp> DockObserver::runningApps() {
  std::vector<RunningApp> apps;
  for (const platform::ApplicationInfo& info : platform_.workspace.runningApplications()) {
    if (std::optional<RunningApp> app = runningApp(info)) {
      apps.push_back(std::move(*app));
    }
  }
  return apps;
}

DockEdge DockObserver::currentEdge() {
  const std::optional<DockReader::List> list = dockList();
  return list ? DockGeometry::edge(list->frame, list->screen) : DockEdge::bottom;
}

std::optional<DockReader::List> DockObserver::dockList() {
  if (!reader_.isTrusted() || !reader_.begin()) {
    return std::nullopt;
  }
  return reader_.list(screens_);
}

std::optional<platform::ElementRef> DockObserver::itemUnder(Point point) {
  if (!reader_.isTrusted() || !DockGeometry::nearDockEdge(point, screens_, edgeMargin) ||
      !reader_.begin()) {
    return std::nullopt;
  }
  const auto item = itemAt(point, Reading::fresh);
  const auto* element = std::get_if<platform::ElementRef>(&item);
  return element != nullptr ? std::optional(*element) : std::nullopt;
}

std::optional<DockObserver::Hit>
DockObserver::hit(Point point, const std::optional<HoverLayoutOptions>& layout, Reading reading) {
  Look found = look(point, layout, reading);
  if (auto* hit = std::get_if<Hit>(&found)) {
    return std::move(*hit);
  }
  return std::nullopt;
}

DockObserver::Look DockObserver::look(Point point, const std::optional<HoverLayoutOptions>& layout,
                                      Reading reading) {
  if (!reader_.isTrusted()) {
    return Miss::unreadable;
  }
  // No Accessibility message while the pointer is far from where a Dock could be.
  if (!DockGeometry::nearDockEdge(point, screens_, edgeMargin)) {
    return Miss::nothing;
  }
  // No Dock process: nothing there to be on.
  if (!reader_.begin()) {
    return Miss::nothing;
  }
  const std::variant<platform::ElementRef, Miss> item = itemAt(point, reading);
  if (const Miss* miss = std::get_if<Miss>(&item)) {
    return *miss;
  }
  const platform::ElementRef& element = std::get<platform::ElementRef>(item);
  const std::optional<Rect> itemFrame = reader_.frame(element);
  if (!itemFrame) {
    return Miss::unreadable;
  }
  if (!contains(*itemFrame, point) || !isUsableItemFrame(*itemFrame)) {
    return Miss::nothing;
  }
  const std::optional<Rect> screen = screenHolding(*itemFrame);
  if (!screen || !isMostlyOn(*itemFrame, *screen)) {
    return Miss::offScreenItem;
  }
  Resolution resolved = resolution(element, reading);
  // Neither is a Dock item to a press; a rest on an extra is a rest on an item all the same,
  // while a spacer shows nothing and is as the gap between icons.
  if (const auto* refusal = std::get_if<NoApplication>(&resolved)) {
    if (*refusal == NoApplication::notAnItem) {
      return Miss::nothing;
    }
    if (*refusal == NoApplication::dockExtra) {
      return Miss::dockExtra;
    }
  }
  Hit result;
  if (auto* app = std::get_if<RunningApp>(&resolved)) {
    result.application = std::move(*app);
  }
  if (!reader_.isWithinBudget()) {
    platform_.logger.log(platform::LogCategory::geometry, platform::LogLevel::debug,
                         identityBudgetExhausted);
    return Miss::unreadable;
  }
  if (result.application && layout) {
    result.target = target(element, *result.application, *itemFrame, *layout, reading);
  }
  return result;
}

// Walks up from the element at the point to its Dock item, through the Dock's elements only. The
// walk finds nothing when it reaches the top of the tree, another process's element or its
// fourth element with every read answered, and finds the Dock unreadable when a read failed or
// the budget ran out on the way.
std::variant<platform::ElementRef, DockObserver::Miss> DockObserver::itemAt(Point point,
                                                                            Reading reading) {
  const std::optional<platform::ElementRef> atPoint = reader_.elementAt(point);
  if (!atPoint) {
    return Miss::unreadable;
  }
  if (*atPoint == nullptr) {
    return Miss::nothing;
  }
  platform::ElementRef current = *atPoint;
  bool answered = true;
  for (int depth = 0; depth < maxWalk; ++depth) {
    const std::optional<int32_t> pid = reader_.processID(current);
    if (!pid) {
      return Miss::unreadable;
    }
    if (*pid != reader_.dockPID()) {
      return Miss::nothing;
    }
    if (reading == Reading::snapshot && snapshot_.isKnownItem(current)) {
      return current;
    }
    if (!reader_.isWithinBudget()) {
      return Miss::unreadable;
    }
    const std::optional<platform::AXValue> role = reader_.attribute(current, "AXRole");
    if (isText(role, dockItemRole)) {
      return current;
    }
    if (std::ranges::any_of(menuRoles, [&](std::string_view menu) { return isText(role, menu); })) {
      return Miss::nothing;
    }
    // An unreadable role counts as not being the item, but leaves the walk's answer in doubt.
    answered = answered && role.has_value();
    if (depth + 1 == maxWalk || !reader_.isWithinBudget()) {
      break;
    }
    const std::optional<platform::ElementRef> above = parent(current, reading);
    if (!above) {
      break;
    }
    current = *above;
  }
  return answered && reader_.isWithinBudget() ? Miss::nothing : Miss::unreadable;
}

std::optional<DockTarget> DockObserver::refresh(const DockTarget& remembered,
                                                const HoverLayoutOptions& layout, Reading reading) {
  if (remembered.element == nullptr || !reader_.isTrusted() || !reader_.begin()) {
    return std::nullopt;
  }
  // No test against the pointer: the item is followed wherever it has moved.
  const std::optional<Rect> iconFrame = reader_.frame(remembered.element);
  if (!iconFrame || !isUsableItemFrame(*iconFrame)) {
    return std::nullopt;
  }
  const std::optional<Rect> screen = screenHolding(*iconFrame);
  if (!screen || !isMostlyOn(*iconFrame, *screen)) {
    return std::nullopt;
  }
  const std::optional<RunningApp> app = resolveApp(remembered.element, reading);
  if (!app) {
    return std::nullopt;
  }
  std::optional<DockTarget> measured =
      target(remembered.element, *app, *iconFrame, layout, reading);
  // The item now shows another instance (a relaunch): the remembered target is gone.
  if (!measured || measured->app.identity != remembered.app.identity) {
    return std::nullopt;
  }
  return measured;
}

std::optional<RunningApp> DockObserver::selectedApplication(const DockTarget& selected,
                                                            Reading reading) {
  if (selected.element == nullptr || !reader_.isTrusted() || !reader_.begin()) {
    return std::nullopt;
  }
  std::optional<RunningApp> app = resolveApp(selected.element, reading);
  if (!app || app->identity != selected.app.identity) {
    return std::nullopt;
  }
  const std::optional<Rect> icon = reader_.frame(selected.element);
  if (!icon || !reader_.isWithinBudget()) {
    return std::nullopt;
  }
  const std::optional<platform::ElementRef> list = parent(selected.element, reading);
  const std::optional<Rect> listFrame = list ? reader_.frame(*list) : std::nullopt;
  if (!listFrame) {
    return std::nullopt;
  }
  // An icon sliding off its screen (a Dock that hides itself) stops standing for its × as soon
  // as the hit test would stop finding it there.
  const std::optional<Rect> screen = screenHolding(selected.iconFrame);
  if (!screen || !isMostlyOn(*icon, *screen) ||
      DockGeometry::edge(*listFrame, *screen) != selected.edge ||
      !DockGeometry::canRetainSelection(selected.buttonFrame, selected.iconFrame, *icon,
                                        selected.edge, *screen)) {
    return std::nullopt;
  }
  // The × may not cover any Dock item now, whichever item moved under it.
  const std::optional<bool> reused =
      snapshot_.update(*list, *listFrame, selected.element, *icon, reading == Reading::snapshot);
  if (!reused ||
      (*reused && !snapshot_.refreshLane(selected.buttonFrame, selected.element, selected.edge)) ||
      std::ranges::any_of(snapshot_.obstacles(), [&](const Rect& item) {
        return intersects(item, selected.buttonFrame);
      })) {
    return std::nullopt;
  }
  if (!reader_.isWithinBudget()) {
    return std::nullopt;
  }
  return app;
}

bool DockObserver::isButtonCovered(const DockTarget& target) {
  if (!snapshot_.contains(target.element) ||
      !snapshot_.refreshLane(target.buttonFrame, target.element, target.edge)) {
    return true;
  }
  return std::ranges::any_of(snapshot_.obstacles(), [&](const Rect& item) {
    return intersects(item, target.buttonFrame);
  });
}

bool DockObserver::isUnchanged(const DockTarget& target) {
  if (target.element == nullptr || !reader_.isTrusted() || !reader_.begin() ||
      !snapshot_.holds(target.element)) {
    return false;
  }
  const std::optional<Rect> icon = reader_.frame(target.element);
  if (icon != target.iconFrame) {
    return false;
  }
  // The application is resolved against the running applications of the moment, from the
  // bundle path the snapshot knows: no message while that is young.
  const std::optional<RunningApp> app = resolveApp(target.element, Reading::snapshot);
  if (!app || app->identity != target.app.identity) {
    return false;
  }
  const std::optional<bool> changed =
      snapshot_.refreshLane(target.buttonFrame, target.element, target.edge);
  return changed == false && reader_.isWithinBudget();
}

// Only application items stand for a running application; folders, the trash, separators and
// other items are refused before their URL is read. The application is always resolved against
// the running applications of the moment.
std::optional<RunningApp> DockObserver::resolveApp(const platform::ElementRef& element,
                                                   Reading reading) {
  Resolution resolved = resolution(element, reading);
  if (auto* app = std::get_if<RunningApp>(&resolved)) {
    return std::move(*app);
  }
  return std::nullopt;
}

DockObserver::Resolution DockObserver::resolution(const platform::ElementRef& element,
                                                  Reading reading) {
  if (reader_.processID(element) != reader_.dockPID() || !reader_.isWithinBudget()) {
    return NoApplication::unreadable;
  }
  const std::variant<std::string, NoApplication> path = bundlePath(element, reading);
  if (const auto* refusal = std::get_if<NoApplication>(&path)) {
    return *refusal;
  }
  const std::string& bundle = std::get<std::string>(path);
  // The resolver looks at instances of this bundle only; the others need no conversion.
  std::vector<RunningApp> instances;
  for (const platform::ApplicationInfo& info : platform_.workspace.runningApplications()) {
    if (applicationBundlePath(info) != bundle) {
      continue;
    }
    if (std::optional<RunningApp> app = runningApp(info)) {
      instances.push_back(std::move(*app));
    }
  }
  std::variant<RunningApp, AppResolver::Refusal> decision =
      AppResolver::decide(bundle, instances, platform_.process.pid());
  if (const auto* refusal = std::get_if<AppResolver::Refusal>(&decision)) {
    switch (*refusal) {
    case AppResolver::Refusal::notRunning:
      return NoApplication::notRunning;
    case AppResolver::Refusal::severalCopies:
      return NoApplication::severalCopies;
    case AppResolver::Refusal::ownProcess:
      return NoApplication::ownProcess;
    case AppResolver::Refusal::notRegular:
      return NoApplication::notRegular;
    case AppResolver::Refusal::stillLaunching:
      return NoApplication::stillLaunching;
    case AppResolver::Refusal::excluded:
      return NoApplication::excluded;
    }
  }
  RunningApp& app = std::get<RunningApp>(decision);
  if (isProtected && isProtected(app.bundleIdentifier)) {
    return NoApplication::protectedByUser;
  }
  return std::move(app);
}

// The canonical bundle path of an application item, in the same normal form as the bundle paths
// of runningApps().
std::variant<std::string, DockObserver::NoApplication>
DockObserver::bundlePath(const platform::ElementRef& element, Reading reading) {
  if (reading == Reading::snapshot) {
    if (std::optional<std::string> known = snapshot_.knownBundlePath(element)) {
      return std::move(*known);
    }
  }
  const std::optional<platform::AXValue> subrole = reader_.attribute(element, "AXSubrole");
  if (!subrole) {
    return NoApplication::unreadable;
  }
  if (isText(subrole, spacerSubrole)) {
    return NoApplication::notAnItem;
  }
  if (isText(subrole, extraSubrole)) {
    return NoApplication::dockExtra;
  }
  if (!isText(subrole, applicationItemSubrole)) {
    return NoApplication::notApplicationItem;
  }
  const std::optional<std::string> url = reader_.url(element);
  const std::optional<std::string> bundleURL =
      url ? FileURL::applicationBundlePath(*url) : std::nullopt;
  if (!bundleURL) {
    return NoApplication::noApplicationURL;
  }
  std::optional<std::string> path = platform_.workspace.canonicalPath(*bundleURL);
  if (!path) {
    return NoApplication::noCanonicalPath;
  }
  return std::move(*path);
}

// A child of the snapshot's list has that list as its parent, while the snapshot lives.
std::optional<platform::ElementRef> DockObserver::parent(const platform::ElementRef& element,
                                                         Reading reading) {
  if (reading == Reading::snapshot) {
    if (std::optional<platform::ElementRef> list = snapshot_.listOf(element)) {
      return list;
    }
  }
  return reader_.parent(element);
}

std::optional<Rect> DockObserver::screenHolding(const Rect& frame) {
  return DockGeometry::screen(frame, screens_);
}

// The × for `icon` against the snapshot's frames. Frames reused from the snapshot are first
// brought up to date in the lanes of the place the × takes when nothing is in its way and of
// the place it gets; when nothing fits, everything is measured again before the answer stands.
// Absent when nothing fits or a frame cannot be read (then the snapshot is dropped, so that the
// caller reports it incomplete).
std::optional<HoverPlacement> DockObserver::place(const platform::ElementRef& item,
                                                  const Rect& icon, DockEdge edge,
                                                  const Rect& screen,
                                                  const HoverLayoutOptions& layout, bool reused) {
  const auto placed = [&] {
    return HoverLayout::placement(icon, edge, screen, layout, snapshot_.obstacles());
  };
  if (!reused) {
    return placed();
  }
  const std::optional<HoverPlacement> unobstructed =
      HoverLayout::placement(icon, edge, screen, layout, {});
  if (unobstructed && !snapshot_.refreshLane(unobstructed->frame, item, edge)) {
    snapshot_.drop();
    return std::nullopt;
  }
  std::optional<HoverPlacement> placement = placed();
  if (!placement) {
    return snapshot_.remeasure() ? placed() : std::nullopt;
  }
  // A lane brought up to date may move the × to its fallback place, whose lane is read next.
  constexpr int maxRounds = 3;
  for (int round = 0;
       round < maxRounds && placement && (!unobstructed || placement->frame != unobstructed->frame);
       ++round) {
    const std::optional<bool> changed = snapshot_.refreshLane(placement->frame, item, edge);
    if (!changed) {
      snapshot_.drop();
      return std::nullopt;
    }
    if (!*changed) {
      break;
    }
    placement = placed();
  }
  return placement;
}

std::optional<DockTarget> DockObserver::target(const platform::ElementRef& item,
                                               const RunningApp& app, const Rect& icon,
                                               const HoverLayoutOptions& layout, Reading reading) {
  if (!reader_.isWithinBudget()) {
    return std::nullopt;
  }
  const std::optional<platform::ElementRef> list = parent(item, reading);
  const std::optional<Rect> listFrame = list ? reader_.frame(*list) : std::nullopt;
  if (!listFrame) {
    return std::nullopt;
  }
  const std::optional<Rect> screen = screenHolding(icon);
  if (!screen) {
    return std::nullopt;
  }
  const DockEdge edge = DockGeometry::edge(*listFrame, *screen);
  // Every Dock item is an obstacle: the × never covers another icon.
  const std::optional<bool> reused =
      snapshot_.update(*list, *listFrame, item, icon, reading == Reading::snapshot);
  const std::optional<HoverPlacement> placement =
      reused ? place(item, icon, edge, *screen, layout, *reused) : std::nullopt;
  if (!reused || !snapshot_.exists()) {
    platform_.logger.log(platform::LogCategory::geometry, platform::LogLevel::debug,
                         incompleteSnapshot);
    return std::nullopt;
  }
  if (!placement) {
    platform_.logger.log(platform::LogCategory::geometry, platform::LogLevel::debug,
                         noSafePlacement);
    return std::nullopt;
  }
  if (!reader_.isWithinBudget()) {
    platform_.logger.log(platform::LogCategory::geometry, platform::LogLevel::debug,
                         layoutBudgetExhausted);
    return std::nullopt;
  }
  // An item that got a × is known from now on: its role, and the bundle its application was
  // resolved from. Refusals are not kept; they may have been passing faults.
  snapshot_.learn(item, app.identity.bundlePath());
  return DockTarget{app, item, icon, placement->frame, edge};
}

} // namespace lumivane
