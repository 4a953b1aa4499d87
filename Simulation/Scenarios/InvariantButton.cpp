#include "InvariantOracle.hpp"
#include "Invariants.hpp"
#include "Lumivane/AppDelegate.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "Timeline.hpp"

#include <algorithm>

// Invariants 4 and 8 as the user sees the ×: whether it may show, and where it is against the
// pointer and the Dock's items.

namespace lumivane::sim {

using oracle::identityOf;
using oracle::isExcluded;

std::optional<AppIdentity> InvariantChecker::Impl::quittable(const std::string& name) {
  const Quittable key{name, desktop_.processChanges(), desktop_.dockConcealing(),
                      desktop_.dockPID(), desktop_.dockItemNamed(name).has_value()};
  if (!quittable_ || quittable_->first != key) {
    quittable_.emplace(key, findQuittable(name));
  }
  return quittable_->second;
}

std::optional<AppIdentity> InvariantChecker::Impl::findQuittable(const std::string& name) {
  const auto path = bundlePaths_.find(name);
  if (path == bundlePaths_.end() || desktop_.dockConcealing() || desktop_.dockPID() == 0 ||
      !desktop_.dockItemNamed(name)) {
    return std::nullopt;
  }
  // The processes of the item's bundle as the system knows them, whatever bundle URL the
  // workspace gives them.
  std::optional<platform::ApplicationInfo> found;
  int copies = 0;
  for (platform::ApplicationInfo& info : desktop_.processesFrom(path->second)) {
    if (!info.isTerminated) {
      ++copies;
      found = std::move(info);
    }
  }
  if (copies != 1 || found->activationPolicy != platform::ActivationPolicy::regular ||
      !found->isFinishedLaunching || isExcluded(found->bundleIdentifier.value_or("")) ||
      found->pid == desktop_.ownPID()) {
    return std::nullopt;
  }
  return identityOf(desktop_, *found);
}

std::optional<std::string> InvariantChecker::Impl::checkOverlay() {
  const PanelRecord& panel = desktop_.panel();
  if (!panel.visible) {
    shownPID_.reset();
    shownFor_.reset();
    forgetLasting();
    return std::nullopt;
  }
  if (shownPID_ != panel.pid) {
    shownPID_ = panel.pid;
    shownName_ = desktop_.appName(panel.pid).value_or("pid " + std::to_string(panel.pid));
    shownFor_ = quittable(shownName_);
  }
  const std::string& name = shownName_;
  const std::optional<AppIdentity> current = quittable(name);
  const std::string shows = "invariant 4: a × for " + name + " shows";
  if (attached_ == nullptr) {
    return shows + " while Lumivane is not running";
  }
  if (!suspensions_.empty()) {
    return shows + " while suspended (" + *suspensions_.begin() + ")";
  }
  if (!attached_->settings()->hoverEnabled()) {
    return shows + " while hover is switched off";
  }
  const bool pending = std::ranges::any_of(requests_, [&](const Request& request) {
    return request.state == Request::State::waiting && request.identity.pid() == panel.pid &&
           desktop_.isRunning(request.identity.pid()) &&
           desktop_.launchDate(request.identity.pid()) == request.identity.launchedAt();
  });
  if (pending) {
    return shows + " while its quit request is pending";
  }
  // Protecting an app takes its × away at once, even from under a pressed button.
  if (!protected_.empty()) {
    const auto process = desktop_.platform().workspace.application(panel.pid);
    if (process && isProtected(process->bundleIdentifier)) {
      return "invariant 7: a × for " + name + " shows though the user protected it";
    }
  }
  // A left press held on the × freezes the hover loop until the click lands, whose own checks
  // decide then: what only the loop would notice cannot be asked of it meanwhile.
  const Rect button = DockGeometry::appKitRect(panel.frame, primaryTop(desktop_));
  if (desktop_.platform().mouse.pressedButtons() == 1 && contains(button, desktop_.pointer())) {
    forgetLasting();
    return std::nullopt;
  }
  if (lasting("concealed", desktop_.dockConcealing(), loopGrace)) {
    return shows + " while the Dock is out of sight or sliding away";
  }
  if (lasting("accessibility", !desktop_.accessibilityGranted(), loopGrace)) {
    return shows + " without Accessibility";
  }
  if (lasting("quittable", !current || current != shownFor_, loopGrace)) {
    return shows + " though its item is not one quittable application" +
           (shownFor_ && current != shownFor_ ? " (the process it showed for is gone)" : "");
  }
  return std::nullopt;
}

// Where the × is against the pointer and the Dock, as the user sees them: it appears only
// beside the icon under the pointer, goes once the pointer has rested on another item for the
// hide delay, and never covers another item. Frames are the Dock's as it shows them now.
std::optional<std::string> InvariantChecker::Impl::checkButtonPlace() {
  const PanelRecord& panel = desktop_.panel();
  const Point pointer = desktop_.pointer();
  // An open item menu lies above the icons: the pointer on it is on no item.
  const std::optional<Rect> menu = desktop_.dockMenuFrame();
  const bool onMenu = menu && contains(*menu, pointer);
  const auto onItem = [&](int item, double margin) {
    const Rect frame = desktop_.itemFrame(item);
    return !onMenu && area(frame) > 0 &&
           contains(Rect{frame.minX() - margin, frame.minY() - margin,
                         frame.absWidth() + 2 * margin, frame.absHeight() + 2 * margin},
                    pointer);
  };
  std::set<std::string> underPointer;
  for (int item = 0; item < static_cast<int>(desktop_.dockItemCount()); ++item) {
    if (onItem(item, iconMargin)) {
      underPointer.insert(desktop_.dockItemName(item));
    }
  }
  const std::set<std::string> underPointerBefore =
      std::exchange(itemsSeenUnderPointer_, std::move(underPointer));
  const int32_t shown = panel.visible ? panel.pid : 0;
  const bool appeared = shown != 0 && shown != buttonSeenFor_;
  buttonSeenFor_ = shown;
  if (shown == 0 || attached_ == nullptr) {
    since_.erase("rests elsewhere");
    since_.erase("covers");
    return std::nullopt;
  }
  const std::string name = desktop_.appName(shown).value_or("pid " + std::to_string(shown));
  const std::optional<int> own = desktop_.dockItemNamed(name);
  if (appeared &&
      (!own || (!itemsSeenUnderPointer_.contains(name) && !underPointerBefore.contains(name)))) {
    return "invariant 8: a × for " + name + " appeared with the pointer off its icon";
  }
  std::optional<std::string> elsewhere;
  bool covers = false;
  const Rect button = DockGeometry::appKitRect(panel.frame, primaryTop(desktop_));
  for (int item = 0; item < static_cast<int>(desktop_.dockItemCount()); ++item) {
    if (item == own || !(area(desktop_.itemFrame(item)) > 0)) {
      continue;
    }
    // A spacer shows nothing: a rest there is a rest in the gap between icons.
    if (!elsewhere && onItem(item, 0) && desktop_.dockItemKind(item) != DockItemKind::spacer) {
      elsewhere = desktop_.dockItemName(item);
    }
    covers = covers || intersects(desktop_.itemFrame(item), button);
  }
  // A left press held on the × freezes the hover loop until the click lands.
  if (desktop_.platform().mouse.pressedButtons() == 1 && contains(button, pointer)) {
    since_.erase("covers");
    return std::nullopt;
  }
  // The rest is counted from when the pointer was first seen still on that item: an item that
  // slides under a resting pointer starts a rest of its own.
  if (elsewhere != restingOn_) {
    since_.erase("rests elsewhere");
    restingOn_ = elsewhere;
  }
  if (lasting("rests elsewhere", elsewhere.has_value(), hideDelay + restGrace)) {
    return "invariant 8: a × for " + name + " shows while the pointer has rested on " + *elsewhere +
           " for longer than the hide delay";
  }
  if (lasting("covers", covers, coverGrace)) {
    return "invariant 8: the × for " + name + " covers another Dock item";
  }
  return std::nullopt;
}

} // namespace lumivane::sim
