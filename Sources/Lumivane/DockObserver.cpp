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

constexpr std::string_view dockBundleIdentifier = "com.apple.dock";

constexpr std::string_view listRole = "AXList";
constexpr std::string_view dockItemRole = "AXDockItem";
constexpr std::string_view applicationItemSubrole = "AXApplicationDockItem";
// Elements in the Dock's tree that are not items: a menu open beside an item is its child, and
// the pointer on the menu is not on the item (Apple's documentation; neru #386).
constexpr std::array<std::string_view, 2> menuRoles{"AXMenu", "AXMenuItem"};
// Items that are none to act on: an empty tile between icons, and a Dock extra, whose purpose no
// documentation gives (nayzak/DockUtils; hs._asm.axuielement #20).
constexpr std::array<std::string_view, 2> refusedSubroles{"AXSpacerDockItem",
                                                          "AXDockExtraDockItem"};

constexpr std::string_view identityBudgetExhausted = "Dock identity query budget exhausted";
constexpr std::string_view incompleteSnapshot =
    "Hover layout unavailable: incomplete Dock geometry snapshot";
constexpr std::string_view noSafePlacement = "Hover layout unavailable: no safe placement";
constexpr std::string_view layoutBudgetExhausted = "Hover layout query budget exhausted";

// The element at a point, its parent and grandparent and great-grandparent: a Dock item is
// never deeper than that below the point.
constexpr int maxWalk = 4;

constexpr std::array<std::string_view, 2> frameAttributes{"AXPosition", "AXSize"};

bool isFinite(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height);
}

// The frame tests every measured item must pass: more than a point wide and high, with at least
// 85 percent of its area on its screen.
bool isUsableItemFrame(const Rect& frame) {
  return frame.absWidth() > 1 && frame.absHeight() > 1;
}

bool isMostlyOn(const Rect& frame, const Rect& screen) {
  return area(intersection(frame, screen)) >= DockObserver::minimumOnScreenShare * area(frame);
}

// An attribute value that is an element; a null handle is no element.
std::optional<platform::ElementRef> asElement(const std::optional<platform::AXValue>& value) {
  const auto* element = value ? std::get_if<platform::ElementRef>(&*value) : nullptr;
  if (element == nullptr || *element == nullptr) {
    return std::nullopt;
  }
  return *element;
}

// An attribute value that is a list of elements, every one of them a real handle.
std::optional<std::vector<platform::ElementRef>>
asElements(std::optional<platform::AXValue>&& value) {
  auto* elements = value ? std::get_if<std::vector<platform::ElementRef>>(&*value) : nullptr;
  if (elements == nullptr ||
      std::ranges::any_of(*elements, [](const auto& element) { return element == nullptr; })) {
    return std::nullopt;
  }
  return std::move(*elements);
}

bool isText(const std::optional<platform::AXValue>& value, std::string_view expected) {
  const auto* text = value ? std::get_if<platform::AXText>(&*value) : nullptr;
  return text != nullptr && text->value == expected;
}

// Single-precision coordinates for the element-at-position message; a value out of float range
// cannot name a position on any display.
std::optional<std::pair<float, float>> asFloats(Point point) {
  constexpr double limit = std::numeric_limits<float>::max();
  if (!(std::fabs(point.x) <= limit && std::fabs(point.y) <= limit)) {
    return std::nullopt;
  }
  return std::pair{static_cast<float>(point.x), static_cast<float>(point.y)};
}

} // namespace

DockObserver::DockObserver(platform::Platform& platform)
    : platform_(platform), system_(platform.accessibility.systemWide()) {
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
  const std::optional<List> list = dockList();
  return list ? DockGeometry::edge(list->frame, list->screen) : DockEdge::bottom;
}

std::optional<DockObserver::List> DockObserver::dockList() {
  if (!platform_.accessibility.isProcessTrusted() || !beginQuery()) {
    return std::nullopt;
  }
  const platform::ElementRef dock = platform_.accessibility.application(dockPID_);
  if (dock == nullptr || !withinBudget()) {
    return std::nullopt;
  }
  const auto children = asElements(platform_.accessibility.attribute(dock, "AXChildren"));
  if (!children) {
    return std::nullopt;
  }
  // The item list is found by its role: the Dock has other top-level elements at times, such as
  // Mission Control's group over the whole display (Hammerspoon spaces.lua, #3897).
  for (const platform::ElementRef& child : *children) {
    if (!withinBudget()) {
      return std::nullopt;
    }
    if (!isText(platform_.accessibility.attribute(child, "AXRole"), listRole)) {
      continue;
    }
    const std::optional<Rect> childFrame = frame(child);
    if (!childFrame) {
      continue;
    }
    if (const std::optional<Rect> screen = screenHolding(*childFrame)) {
      return List{child, *childFrame, *screen};
    }
  }
  return std::nullopt;
}

std::optional<DockObserver::DockReading> DockObserver::readDock() {
  const std::optional<List> list = dockList();
  if (!list) {
    return std::nullopt;
  }
  DockReading reading{list->frame, DockGeometry::edge(list->frame, list->screen), {}};
  const auto elements = asElements(platform_.accessibility.attribute(list->element, "AXChildren"));
  if (!elements) {
    return reading;
  }
  for (const platform::ElementRef& item : *elements) {
    // A budget for each item: the report reads far more than one query may.
    if (!beginQuery()) {
      break;
    }
    reading.items.push_back(readItem(item));
  }
  return reading;
}

std::optional<DockObserver::ItemReading> DockObserver::readItemAt(Point point) {
  if (!platform_.accessibility.isProcessTrusted() ||
      !DockGeometry::nearDockEdge(point, screens_, edgeMargin) || !beginQuery()) {
    return std::nullopt;
  }
  const auto item = itemAt(point, Reading::fresh);
  const auto* element = std::get_if<platform::ElementRef>(&item);
  return element != nullptr ? std::optional(readItem(*element)) : std::nullopt;
}

DockObserver::ItemReading DockObserver::readItem(const platform::ElementRef& item) {
  ItemReading read;
  read.subrole = text(item, "AXSubrole");
  read.title = text(item, "AXTitle");
  read.frame = frame(item);
  if (const auto value = platform_.accessibility.attribute(item, "AXURL")) {
    if (const auto* url = std::get_if<platform::AXURL>(&*value)) {
      read.url = url->absoluteString;
    } else if (const auto* urlText = std::get_if<platform::AXText>(&*value)) {
      read.url = urlText->value;
    }
  }
  read.resolution = resolution(item, Reading::fresh);
  return read;
}

std::optional<std::string> DockObserver::text(const platform::ElementRef& element,
                                              std::string_view name) {
  const std::optional<platform::AXValue> value = platform_.accessibility.attribute(element, name);
  const auto* found = value ? std::get_if<platform::AXText>(&*value) : nullptr;
  return found != nullptr ? std::optional(found->value) : std::nullopt;
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
  if (!platform_.accessibility.isProcessTrusted()) {
    return Miss::unreadable;
  }
  // No Accessibility message while the pointer is far from where a Dock could be.
  if (!DockGeometry::nearDockEdge(point, screens_, edgeMargin)) {
    return Miss::nothing;
  }
  // No Dock process: nothing there to be on.
  if (!beginQuery()) {
    return Miss::nothing;
  }
  const std::variant<platform::ElementRef, Miss> item = itemAt(point, reading);
  if (const Miss* miss = std::get_if<Miss>(&item)) {
    return *miss;
  }
  const platform::ElementRef& element = std::get<platform::ElementRef>(item);
  const std::optional<Rect> itemFrame = frame(element);
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
  if (const auto* refusal = std::get_if<NoApplication>(&resolved);
      refusal != nullptr && *refusal == NoApplication::notAnItem) {
    return Miss::nothing;
  }
  Hit result;
  if (auto* app = std::get_if<RunningApp>(&resolved)) {
    result.application = std::move(*app);
  }
  if (!withinBudget()) {
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
  const std::optional<std::pair<float, float>> position = asFloats(point);
  if (!position) {
    return Miss::nothing;
  }
  const std::optional<platform::ElementRef> atPoint =
      platform_.accessibility.elementAtPosition(system_, position->first, position->second);
  if (!atPoint) {
    return Miss::unreadable;
  }
  if (*atPoint == nullptr) {
    return Miss::nothing;
  }
  platform::ElementRef current = *atPoint;
  bool answered = true;
  for (int depth = 0; depth < maxWalk; ++depth) {
    const std::optional<int32_t> pid = platform_.accessibility.processID(current);
    if (!pid) {
      return Miss::unreadable;
    }
    if (*pid != dockPID_) {
      return Miss::nothing;
    }
    if (reading == Reading::snapshot) {
      if (const std::optional<std::size_t> known = knownIndex(current);
          known && snapshot_->isItem[*known]) {
        return current;
      }
    }
    if (!withinBudget()) {
      return Miss::unreadable;
    }
    const std::optional<platform::AXValue> role =
        platform_.accessibility.attribute(current, "AXRole");
    if (isText(role, dockItemRole)) {
      return current;
    }
    if (std::ranges::any_of(menuRoles, [&](std::string_view menu) { return isText(role, menu); })) {
      return Miss::nothing;
    }
    // An unreadable role counts as not being the item, but leaves the walk's answer in doubt.
    answered = answered && role.has_value();
    if (depth + 1 == maxWalk || !withinBudget()) {
      break;
    }
    const std::optional<platform::ElementRef> above = parent(current, reading);
    if (!above) {
      break;
    }
    current = *above;
  }
  return answered && withinBudget() ? Miss::nothing : Miss::unreadable;
}

std::optional<DockTarget> DockObserver::refresh(const DockTarget& remembered,
                                                const HoverLayoutOptions& layout, Reading reading) {
  if (remembered.element == nullptr || !platform_.accessibility.isProcessTrusted() ||
      !beginQuery()) {
    return std::nullopt;
  }
  // No test against the pointer: the item is followed wherever it has moved.
  const std::optional<Rect> iconFrame = frame(remembered.element);
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
  if (selected.element == nullptr || !platform_.accessibility.isProcessTrusted() || !beginQuery()) {
    return std::nullopt;
  }
  std::optional<RunningApp> app = resolveApp(selected.element, reading);
  if (!app || app->identity != selected.app.identity) {
    return std::nullopt;
  }
  const std::optional<Rect> icon = frame(selected.element);
  if (!icon || !withinBudget()) {
    return std::nullopt;
  }
  const std::optional<platform::ElementRef> list = parent(selected.element, reading);
  const std::optional<Rect> listFrame = list ? frame(*list) : std::nullopt;
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
      currentFrames(*list, *listFrame, selected.element, *icon, reading);
  if (!reused || (*reused && !refreshLane(selected.buttonFrame, selected.element, selected.edge)) ||
      std::ranges::any_of(snapshot_->obstacles, [&](const Rect& item) {
        return intersects(item, selected.buttonFrame);
      })) {
    return std::nullopt;
  }
  if (!withinBudget()) {
    return std::nullopt;
  }
  return app;
}

DockObserver::SharedBudget::SharedBudget(DockObserver& observer) : observer_(observer) {
  observer_.sharing_ = true;
  observer_.budgetOpen_ = false;
}

DockObserver::SharedBudget::~SharedBudget() {
  observer_.sharing_ = false;
}

// Opens the 65 ms budget of one public query (or, under a SharedBudget, goes on with the one
// already open, refusing when it is spent) and finds the Dock's current process, which may
// have changed since the last query (a Dock restart).
bool DockObserver::beginQuery() {
  if (!sharing_ || !budgetOpen_) {
    deadline_ = platform_.runLoop.uptime() + queryBudget;
    budgetOpen_ = sharing_;
  } else if (!withinBudget()) {
    return false;
  }
  const std::vector<platform::ApplicationInfo> docks =
      platform_.workspace.applications(dockBundleIdentifier);
  if (docks.empty()) {
    return false;
  }
  dockPID_ = docks.front().pid;
  // Bounds every later Accessibility message of the process, not only those to `system_`.
  platform_.accessibility.setMessagingTimeout(system_, messagingTimeout);
  return true;
}

bool DockObserver::withinBudget() {
  return platform_.runLoop.uptime() <= deadline_;
}

// Position and size in one message, so both describe the same moment of an animating Dock.
std::optional<Rect> DockObserver::frame(const platform::ElementRef& element) {
  if (!withinBudget()) {
    return std::nullopt;
  }
  const std::optional<std::vector<platform::AXValue>> values =
      platform_.accessibility.attributes(element, frameAttributes);
  if (!values || values->size() != frameAttributes.size()) {
    return std::nullopt;
  }
  const auto* position = std::get_if<Point>(&(*values)[0]);
  const auto* size = std::get_if<platform::AXSize>(&(*values)[1]);
  if (position == nullptr || size == nullptr) {
    return std::nullopt;
  }
  const Rect result{position->x, position->y, size->width, size->height};
  if (!isFinite(result)) {
    return std::nullopt;
  }
  return result;
}

// The list's children, when there is at least one and no more than can be measured.
std::optional<std::vector<platform::ElementRef>>
DockObserver::children(const platform::ElementRef& list) {
  if (!withinBudget()) {
    return std::nullopt;
  }
  auto elements = asElements(platform_.accessibility.attribute(list, "AXChildren"));
  if (!elements || elements->empty() || elements->size() > maxItems) {
    return std::nullopt;
  }
  return elements;
}

// Every child's frame, or nothing: one unreadable child, or a budget that runs out half way,
// spoils the whole measurement, and the snapshot stays as it was. Items of zero size
// (separators) are no obstacles.
bool DockObserver::measure(const platform::ElementRef& list, const Rect& listFrame,
                           std::vector<platform::ElementRef> elements) {
  Snapshot measured;
  measured.dockPID = dockPID_;
  measured.list = list;
  measured.listFrame = listFrame;
  measured.frames.reserve(elements.size());
  for (const platform::ElementRef& child : elements) {
    const std::optional<Rect> childFrame = frame(child);
    if (!childFrame) {
      return false;
    }
    measured.frames.push_back(*childFrame);
    if (childFrame->absWidth() > 0 && childFrame->absHeight() > 0) {
      measured.obstacles.push_back(*childFrame);
    }
  }
  measured.measuredAt = platform_.runLoop.uptime();
  // What was learnt of the items stays with them while the children are the same elements.
  if (snapshot_ && snapshot_->dockPID == dockPID_ && isYoung(snapshot_->factsSince) &&
      std::ranges::equal(snapshot_->children, elements, [&](const auto& a, const auto& b) {
        return platform_.accessibility.isSameElement(a, b);
      })) {
    measured.isItem = std::move(snapshot_->isItem);
    measured.bundlePaths = std::move(snapshot_->bundlePaths);
    measured.factsSince = snapshot_->factsSince;
  } else {
    measured.isItem.assign(elements.size(), false);
    measured.bundlePaths.assign(elements.size(), std::nullopt);
    measured.factsSince = measured.measuredAt;
  }
  measured.children = std::move(elements);
  snapshot_ = std::move(measured);
  return true;
}

std::optional<bool> DockObserver::currentFrames(const platform::ElementRef& list,
                                                const Rect& listFrame,
                                                const platform::ElementRef& item, const Rect& icon,
                                                Reading reading) {
  std::optional<std::vector<platform::ElementRef>> elements = children(list);
  if (!elements) {
    return std::nullopt;
  }
  const auto sameElement = [&](const platform::ElementRef& a, const platform::ElementRef& b) {
    return platform_.accessibility.isSameElement(a, b);
  };
  const auto holds = [&] {
    if (reading != Reading::snapshot || !snapshot_ || snapshot_->dockPID != dockPID_ ||
        !isYoung(snapshot_->measuredAt) || !sameElement(snapshot_->list, list) ||
        snapshot_->listFrame != listFrame ||
        !std::ranges::equal(snapshot_->children, *elements, sameElement)) {
      return false;
    }
    const std::optional<std::size_t> index = snapshotIndex(item);
    return index && snapshot_->frames[*index] == icon;
  };
  if (holds()) {
    return true;
  }
  if (!measure(list, listFrame, std::move(*elements))) {
    return std::nullopt;
  }
  return false;
}

// The snapshot's frames may be as old as the snapshot; of the items other than `item`, those that
// share `rect`'s lane across the Dock are the only ones whose own motion (a bounce) can bring
// them onto it without the Dock visibly changing otherwise. They are read again.
std::optional<bool> DockObserver::refreshLane(const Rect& rect, const platform::ElementRef& item,
                                              DockEdge edge) {
  const std::optional<std::size_t> own = snapshotIndex(item);
  bool changed = false;
  for (std::size_t index = 0; index < snapshot_->children.size(); ++index) {
    const Rect& known = snapshot_->frames[index];
    if (index == own || !(area(known) > 0) || !DockGeometry::sharesLane(known, rect, edge)) {
      continue;
    }
    const std::optional<Rect> now = frame(snapshot_->children[index]);
    if (!now) {
      return std::nullopt;
    }
    if (*now != known) {
      snapshot_->frames[index] = *now;
      changed = true;
    }
  }
  if (changed) {
    snapshot_->obstacles.clear();
    for (const Rect& known : snapshot_->frames) {
      if (area(known) > 0) {
        snapshot_->obstacles.push_back(known);
      }
    }
  }
  return changed;
}

bool DockObserver::isButtonCovered(const DockTarget& target) {
  if (!snapshot_ || !snapshotIndex(target.element) ||
      !refreshLane(target.buttonFrame, target.element, target.edge)) {
    return true;
  }
  return std::ranges::any_of(
      snapshot_->obstacles, [&](const Rect& item) { return intersects(item, target.buttonFrame); });
}

bool DockObserver::isUnchanged(const DockTarget& target) {
  if (target.element == nullptr || !platform_.accessibility.isProcessTrusted() || !beginQuery() ||
      !snapshot_ || !isYoung(snapshot_->measuredAt) || !snapshotIndex(target.element)) {
    return false;
  }
  const std::optional<Rect> icon = frame(target.element);
  if (icon != target.iconFrame) {
    return false;
  }
  // The application is resolved against the running applications of the moment, from the
  // bundle path the snapshot knows: no message while that is young.
  const std::optional<RunningApp> app = resolveApp(target.element, Reading::snapshot);
  if (!app || app->identity != target.app.identity) {
    return false;
  }
  const std::optional<bool> changed = refreshLane(target.buttonFrame, target.element, target.edge);
  return changed == false && withinBudget();
}

std::optional<std::size_t> DockObserver::snapshotIndex(const platform::ElementRef& element) {
  if (!snapshot_ || snapshot_->dockPID != dockPID_) {
    return std::nullopt;
  }
  const auto found = std::ranges::find_if(snapshot_->children, [&](const auto& child) {
    return platform_.accessibility.isSameElement(child, element);
  });
  if (found == snapshot_->children.end()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - snapshot_->children.begin());
}

std::optional<std::size_t> DockObserver::knownIndex(const platform::ElementRef& element) {
  const std::optional<std::size_t> index = snapshotIndex(element);
  if (index && !isYoung(snapshot_->factsSince)) {
    snapshot_->isItem.assign(snapshot_->children.size(), false);
    snapshot_->bundlePaths.assign(snapshot_->children.size(), std::nullopt);
    snapshot_->factsSince = platform_.runLoop.uptime();
  }
  return index;
}

bool DockObserver::isYoung(double since) {
  return platform_.runLoop.uptime() - since <= snapshotLifetime;
}

// "AXURL" comes as a URL, or from some items as its text.
std::optional<std::string> DockObserver::appURL(const platform::ElementRef& element) {
  if (!withinBudget()) {
    return std::nullopt;
  }
  const std::optional<platform::AXValue> value =
      platform_.accessibility.attribute(element, "AXURL");
  if (!value) {
    return std::nullopt;
  }
  if (const auto* url = std::get_if<platform::AXURL>(&*value)) {
    return FileURL::applicationBundlePath(url->absoluteString);
  }
  if (const auto* text = std::get_if<platform::AXText>(&*value)) {
    return FileURL::applicationBundlePath(text->value);
  }
  return std::nullopt;
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
  if (platform_.accessibility.processID(element) != dockPID_ || !withinBudget()) {
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
    if (const std::optional<std::size_t> known = knownIndex(element);
        known && snapshot_->bundlePaths[*known]) {
      return *snapshot_->bundlePaths[*known];
    }
  }
  const std::optional<platform::AXValue> subrole =
      platform_.accessibility.attribute(element, "AXSubrole");
  if (!subrole) {
    return NoApplication::unreadable;
  }
  if (std::ranges::any_of(refusedSubroles,
                          [&](std::string_view refused) { return isText(subrole, refused); })) {
    return NoApplication::notAnItem;
  }
  if (!isText(subrole, applicationItemSubrole)) {
    return NoApplication::notApplicationItem;
  }
  const std::optional<std::string> url = appURL(element);
  if (!url) {
    return NoApplication::noApplicationURL;
  }
  std::optional<std::string> path = platform_.workspace.canonicalPath(*url);
  if (!path) {
    return NoApplication::noCanonicalPath;
  }
  return std::move(*path);
}

// A child of the snapshot's list has that list as its parent, while the snapshot lives.
std::optional<platform::ElementRef> DockObserver::parent(const platform::ElementRef& element,
                                                         Reading reading) {
  if (reading == Reading::snapshot && snapshot_ && isYoung(snapshot_->measuredAt) &&
      snapshotIndex(element)) {
    return snapshot_->list;
  }
  return asElement(platform_.accessibility.attribute(element, "AXParent"));
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
    return HoverLayout::placement(icon, edge, screen, layout, snapshot_->obstacles);
  };
  if (!reused) {
    return placed();
  }
  const std::optional<HoverPlacement> unobstructed =
      HoverLayout::placement(icon, edge, screen, layout, {});
  if (unobstructed && !refreshLane(unobstructed->frame, item, edge)) {
    snapshot_.reset();
    return std::nullopt;
  }
  std::optional<HoverPlacement> placement = placed();
  if (!placement) {
    const platform::ElementRef list = snapshot_->list;
    const Rect listFrame = snapshot_->listFrame;
    std::vector<platform::ElementRef> elements = snapshot_->children;
    if (!measure(list, listFrame, std::move(elements))) {
      snapshot_.reset();
      return std::nullopt;
    }
    return placed();
  }
  // A lane brought up to date may move the × to its fallback place, whose lane is read next.
  constexpr int maxRounds = 3;
  for (int round = 0;
       round < maxRounds && placement && (!unobstructed || placement->frame != unobstructed->frame);
       ++round) {
    const std::optional<bool> changed = refreshLane(placement->frame, item, edge);
    if (!changed) {
      snapshot_.reset();
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
  if (!withinBudget()) {
    return std::nullopt;
  }
  const std::optional<platform::ElementRef> list = parent(item, reading);
  const std::optional<Rect> listFrame = list ? frame(*list) : std::nullopt;
  if (!listFrame) {
    return std::nullopt;
  }
  const std::optional<Rect> screen = screenHolding(icon);
  if (!screen) {
    return std::nullopt;
  }
  const DockEdge edge = DockGeometry::edge(*listFrame, *screen);
  // Every Dock item is an obstacle: the × never covers another icon.
  const std::optional<bool> reused = currentFrames(*list, *listFrame, item, icon, reading);
  const std::optional<HoverPlacement> placement =
      reused ? place(item, icon, edge, *screen, layout, *reused) : std::nullopt;
  if (!reused || !snapshot_) {
    platform_.logger.log(platform::LogCategory::geometry, platform::LogLevel::debug,
                         incompleteSnapshot);
    return std::nullopt;
  }
  if (!placement) {
    platform_.logger.log(platform::LogCategory::geometry, platform::LogLevel::debug,
                         noSafePlacement);
    return std::nullopt;
  }
  if (!withinBudget()) {
    platform_.logger.log(platform::LogCategory::geometry, platform::LogLevel::debug,
                         layoutBudgetExhausted);
    return std::nullopt;
  }
  // An item that got a × is known from now on: its role, and the bundle its application was
  // resolved from. Refusals are not kept; they may have been passing faults.
  if (const std::optional<std::size_t> known = knownIndex(item)) {
    snapshot_->isItem[*known] = true;
    snapshot_->bundlePaths[*known] = app.identity.bundlePath();
  }
  return DockTarget{app, item, icon, placement->frame, edge};
}

} // namespace lumivane
