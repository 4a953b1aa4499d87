#include "Lumivane/HoverController.hpp"

#include "LumivaneCore/DockGeometry.hpp"

#include <utility>

namespace lumivane {

namespace {

using platform::LogLevel;
using Reading = DockObserver::Reading;
namespace MouseEventType = platform::MouseEventType;

constexpr uint64_t leftButtonOnly = 1;

} // namespace

std::shared_ptr<HoverController> HoverController::create(std::shared_ptr<DockObserver> observer,
                                                         std::shared_ptr<QuitOverlay> overlay,
                                                         std::shared_ptr<AppQuitService> quitter,
                                                         platform::Platform& platform) {
  auto controller =
      std::make_shared<HoverController>(std::move(observer), overlay, std::move(quitter), platform);
  overlay->onClick = [weak = std::weak_ptr<HoverController>(controller)] {
    if (const auto self = weak.lock()) {
      self->click();
    }
  };
  return controller;
}

HoverController::HoverController(std::shared_ptr<DockObserver> observer,
                                 std::shared_ptr<QuitOverlay> overlay,
                                 std::shared_ptr<AppQuitService> quitter,
                                 platform::Platform& platform)
    : observer_(std::move(observer)), overlay_(std::move(overlay)), quitter_(std::move(quitter)),
      platform_(platform) {}

void HoverController::start() {
  if (enabled_) {
    return;
  }
  enabled_ = true;
  const auto handler = [weak = weak_from_this()](int eventType) {
    if (const auto self = weak.lock()) {
      self->mouseChanged(eventType);
    }
  };
  globalMonitor_ = platform_.mouse.addGlobalMonitor(eventMask, handler);
  localMonitor_ = platform_.mouse.addLocalMonitor(eventMask, handler);
  wake();
}

void HoverController::stop() {
  enabled_ = false;
  if (globalMonitor_) {
    platform_.mouse.removeMonitor(*globalMonitor_);
    globalMonitor_.reset();
  }
  if (localMonitor_) {
    platform_.mouse.removeMonitor(*localMonitor_);
    localMonitor_.reset();
  }
  reset();
}

void HoverController::reset() {
  if (timer_) {
    timer_->invalidate();
    timer_.reset();
  }
  lastPointer_.reset();
  state_.reset();
  target_.reset();
  retainingSelection_ = false;
  hidePanel();
}

// Top-left space, like every Dock frame.
Point HoverController::pointer() {
  const Point location = platform_.mouse.location();
  return {location.x, observer_->primaryTop() - location.y};
}

bool HoverController::isOnVisibleButton(Point point) {
  return target_ && contains(target_->buttonFrame, point) && overlay_->panel().isVisible();
}

void HoverController::hidePanel() {
  overlay_->panel().orderOut();
}

void HoverController::mouseChanged(int eventType) {
  switch (eventType) {
  case MouseEventType::rightMouseDown:
  case MouseEventType::scrollWheel:
  case MouseEventType::leftMouseDragged:
    reset();
    break;
  case MouseEventType::leftMouseDown:
    // Only a press on the visible × keeps it; a click anywhere else withdraws it.
    if (isOnVisibleButton(pointer())) {
      wake();
    } else {
      reset();
    }
    break;
  case MouseEventType::mouseMoved:
  case MouseEventType::rightMouseDragged:
  case MouseEventType::otherMouseDragged:
    wake();
    break;
  default:
    break;
  }
}

void HoverController::wake() {
  if (!enabled_ || timer_) {
    return;
  }
  // Without a target the loop runs only near a Dock edge, so an idle pointer costs nothing.
  if (!target_ &&
      !DockGeometry::nearDockEdge(pointer(), observer_->screens(), DockObserver::edgeMargin)) {
    return;
  }
  timer_ =
      platform_.runLoop.scheduleRepeating(tickInterval, tickTolerance, [weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
          self->tick();
        }
      });
  if (platform_.runLoop.uptime() - lastTick_ >= tickInterval) {
    tick();
  }
}

void HoverController::tick() {
  // The hit test and a re-measure or validation after it hold the main thread no longer
  // together than one query may.
  const DockObserver::SharedBudget budget(*observer_);
  lastTick_ = platform_.runLoop.uptime();
  const Point point = pointer();

  if (const uint64_t buttons = platform_.mouse.pressedButtons(); buttons != 0) {
    // A left press on the × is a click under way: leave everything as it is until it lands.
    if (buttons != leftButtonOnly || !isOnVisibleButton(point)) {
      reset();
    }
    return;
  }

  const double now = platform_.runLoop.uptime();
  if (isResting(point, now)) {
    return;
  }
  lastReading_ = now;
  lastPointer_ = point;
  step(point, now);
}

// The step would read the same Dock and come to the same decision: the pointer is where the last
// reading found it, the × shows with nothing due, and what can change on this side of the Dock
// (the permission, a pending request) has not. Only the Dock itself can have changed, and it is
// read again every restingReadInterval.
bool HoverController::isResting(Point point, double now) {
  return target_ && state_.isVisible() && state_.isSettled() && lastPointer_ == point &&
         now - lastReading_ < restingReadInterval && platform_.accessibility.isProcessTrusted() &&
         !quitter_->isPending(target_->app.identity);
}

void HoverController::step(Point point, double now) {
  const bool heading = isHeadingForButton(point);
  // Over the visible × the element at the point is our own panel's, and the question would go
  // to this very process, which cannot answer while its main thread waits for the answer. The
  // Dock is not under the pointer there.
  const std::optional<DockObserver::Hit> hit =
      isOnVisibleButton(point)
          ? std::nullopt
          : passedOver(observer_->hit(point, layout, Reading::snapshot), heading);
  std::optional<DockTarget> candidate;
  if (hit && hit->target && !quitter_->isPending(hit->target->app.identity)) {
    candidate = hit->target;
  }

  if (heading && candidate && candidate->edge == target_->edge &&
      DockGeometry::canRetain(target_->buttonFrame, target_->iconFrame, candidate->iconFrame,
                              target_->edge)) {
    // Its own icon, grown or shrunk under the pointer on the way: the × stays where the pointer
    // is heading, and so does the path to it, as long as the × still validates there.
    if (!isStillSelectable()) {
      reset();
      return;
    }
    retainingSelection_ = false;
    state_.update(candidate->app.identity, false, true, now);
    return;
  }

  if (hit && !candidate) {
    // An item under the pointer, but no usable × for it.
    if (!hit->application || quitter_->isPending(hit->application->identity)) {
      reset();
      return;
    }
    hidePanel();
    target_.reset();
    retainingSelection_ = false;
    state_.update(hit->application->identity, false, false, now);
    if (!state_.target()) {
      reset();
    }
    return;
  }

  if (!candidate && target_) {
    // The pointer left the remembered item.
    const bool onPath = DockGeometry::isOnButtonPath(point, target_->iconFrame,
                                                     target_->buttonFrame, target_->edge);
    if (state_.isVisible() && (onPath || retainingSelection_)) {
      // Heading for the ×: validate the remembered item instead of re-measuring it.
      if (!isStillSelectable()) {
        reset();
        return;
      }
      retainingSelection_ = true;
      state_.update(std::nullopt, onPath, true, now);
      if (!state_.target()) {
        reset();
      }
      return;
    }

    const auto fresh = observer_->refresh(*target_, layout, Reading::snapshot);
    if (!fresh || quitter_->isPending(fresh->app.identity)) {
      reset();
      return;
    }
    if (state_.isVisible()) {
      if (fresh->edge != target_->edge ||
          !DockGeometry::canRetain(target_->buttonFrame, target_->iconFrame, fresh->iconFrame,
                                   target_->edge)) {
        reset();
        return;
      }
      // The icon moved under the pointer (magnification): keep the × where it is while the
      // pointer is on its way there.
      if (DockGeometry::isOnButtonPath(point, fresh->iconFrame, target_->buttonFrame,
                                       target_->edge) &&
          !contains(fresh->iconFrame, point)) {
        state_.update(std::nullopt, true, true, now);
        return;
      }
    }
  }

  std::optional<AppIdentity> sample;
  if (candidate) {
    sample = candidate->app.identity;
    target_ = std::move(candidate);
    retainingSelection_ = false;
  }
  state_.update(std::move(sample), false, true, now);
  if (state_.isVisible() && target_) {
    overlay_->show(*target_, observer_->primaryTop());
  } else {
    hidePanel();
  }
  if (!state_.target()) {
    reset();
  }
}

// On the way from an icon to its shown ×: the pointer is on the path from the icon, as it was
// when the × was placed, to the ×. On a magnifying Dock the icons grow and shrink under the
// pointer meanwhile, and a neighbour may grow into the path; the × stays with the application it
// was shown for while the pointer is on the path, wherever the icons have gone.
bool HoverController::isHeadingForButton(Point point) {
  return target_ && state_.isVisible() &&
         DockGeometry::isOnButtonPath(point, target_->iconFrame, target_->buttonFrame,
                                      target_->edge);
}

// The remembered item still validates for its × (against the observer's snapshot) and has no
// quit request pending.
bool HoverController::isStillSelectable() {
  const auto app = observer_->selectedApplication(*target_, Reading::snapshot);
  return app && !quitter_->isPending(app->identity);
}

// Another item on the way to the ×: passed over, as if nothing were under the pointer.
std::optional<DockObserver::Hit> HoverController::passedOver(std::optional<DockObserver::Hit> hit,
                                                             bool heading) const {
  if (heading && hit &&
      (!hit->application || hit->application->identity != target_->app.identity)) {
    return std::nullopt;
  }
  return hit;
}

void HoverController::click() {
  auto& log = platform_.logger;
  if (!enabled_ || !state_.isVisible() || !overlay_->panel().isVisible() || !target_) {
    log.log(platform::LogCategory::hover, LogLevel::standard,
            "Quit button rejected: inactive interaction");
    reset();
    return;
  }
  const auto app = observer_->selectedApplication(*target_);
  if (!app) {
    log.log(platform::LogCategory::hover, LogLevel::standard,
            "Quit button rejected: target could not be refreshed");
    reset();
    return;
  }
  if (!contains(target_->buttonFrame, pointer()) || quitter_->isPending(app->identity)) {
    log.log(platform::LogCategory::hover, LogLevel::standard,
            "Quit button rejected: geometry, pointer, or pending request changed");
    reset();
    return;
  }
  log.log(platform::LogCategory::hover, LogLevel::debug, "Quit button accepted");
  reset();
  quitter_->request(*app);
}

} // namespace lumivane
