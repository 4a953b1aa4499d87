#include "Lumivane/HoverController.hpp"

#include "LumivaneCore/DockGeometry.hpp"

#include <utility>

namespace lumivane {

namespace {

using platform::LogLevel;
using Reading = DockObserver::Reading;
namespace mouseEventType = platform::mouseEventType;

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
  memory_ = HoverMemory();
  app_.reset();
  element_.reset();
  hidePanel();
}

// Top-left space, like every Dock frame.
Point HoverController::pointer() {
  const Point location = platform_.mouse.location();
  return {location.x, observer_->primaryTop() - location.y};
}

bool HoverController::isOnVisibleButton(Point point) {
  return HoverDecision::isOnVisibleButton(memory_, point, overlay_->panel().isVisible());
}

std::optional<DockTarget> HoverController::target() const {
  if (!memory_.mark || !app_) {
    return std::nullopt;
  }
  const HoverMark& mark = *memory_.mark;
  return DockTarget{*app_, element_, mark.icon, mark.button, mark.edge};
}

void HoverController::hidePanel() {
  overlay_->panel().orderOut();
}

void HoverController::mouseChanged(int eventType) {
  switch (eventType) {
  case mouseEventType::rightMouseDown:
  case mouseEventType::scrollWheel:
  case mouseEventType::leftMouseDragged:
    reset();
    break;
  case mouseEventType::leftMouseDown:
    // Only a press on the visible × keeps it; a click anywhere else withdraws it.
    if (isOnVisibleButton(pointer())) {
      wake();
    } else {
      reset();
    }
    break;
  case mouseEventType::mouseMoved:
  case mouseEventType::rightMouseDragged:
  case mouseEventType::otherMouseDragged:
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
  if (!memory_.mark &&
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
  // The hit test and a validation or re-measure after it hold the main thread no longer
  // together than one query may.
  const DockObserver::SharedBudget budget(*observer_);
  lastTick_ = platform_.runLoop.uptime();
  HoverSample sample;
  sample.pointer = pointer();
  sample.panelVisible = overlay_->panel().isVisible();
  if (const uint64_t buttons = platform_.mouse.pressedButtons(); buttons != 0) {
    sample.pressed = buttons == leftButtonOnly ? PressedButtons::leftOnly : PressedButtons::other;
    sample.now = lastTick_;
    act(HoverDecision::decide(memory_, sample), std::nullopt);
    return;
  }
  sample.now = platform_.runLoop.uptime();
  if (isResting(sample.pointer, sample.now)) {
    return;
  }
  lastReading_ = sample.now;
  lastPointer_ = sample.pointer;
  step(std::move(sample));
}

// The step would come to the same decision: the pointer is where the last whole step found it,
// nothing is due, what can change on this side of the Dock (the permission, a pending request)
// has not, and neither has anything of the Dock that places the ×: the target's icon and the
// items in its ×'s lane. Those are looked at every other step while they keep still and every
// step once they have moved; everything else of the Dock is read again every
// restingReadInterval.
bool HoverController::isResting(Point point, double now) {
  const std::optional<DockTarget> current = target();
  if (!current || !memory_.state.isVisible() || !HoverDecision::isSettled(memory_) ||
      lastPointer_ != point || now - lastReading_ >= restingReadInterval ||
      !platform_.accessibility.isProcessTrusted() || quitter_->isPending(current->app.identity)) {
    lastLookQuiet_ = false;
    return false;
  }
  if (lastLookQuiet_) {
    lastLookQuiet_ = false;
    return true;
  }
  lastLookQuiet_ = observer_->isUnchanged(*current);
  return lastLookQuiet_;
}

void HoverController::step(HoverSample sample) {
  // Over the visible × the element at the point is our own panel's, and the question would go
  // to this very process, which cannot answer while its main thread waits for the answer. The
  // Dock is not under the pointer there.
  std::optional<DockObserver::Hit> hit;
  if (!isOnVisibleButton(sample.pointer)) {
    DockObserver::Look look = observer_->look(sample.pointer, layout, Reading::snapshot);
    sample.sighting = sight(look);
    if (auto* found = std::get_if<DockObserver::Hit>(&look)) {
      hit = std::move(*found);
    }
  }
  const std::optional<DockTarget> current = target();
  switch (HoverDecision::check(memory_, sample)) {
  case HoverDecision::Check::none:
    break;
  case HoverDecision::Check::validate: {
    const auto app = observer_->selectedApplication(*current, Reading::snapshot);
    sample.validated = app && !quitter_->isPending(app->identity);
    break;
  }
  case HoverDecision::Check::remeasure:
    if (const auto fresh = observer_->refresh(*current, layout, Reading::snapshot);
        fresh && !quitter_->isPending(fresh->app.identity)) {
      sample.remeasured =
          HoverMark{fresh->app.identity, fresh->iconFrame, fresh->buttonFrame, fresh->edge};
      sample.rememberedButtonCovered = observer_->isButtonCovered(*current);
    }
    break;
  }
  act(HoverDecision::decide(memory_, sample), hit);
}

HoverSighting HoverController::sight(const DockObserver::Look& look) {
  if (const auto* miss = std::get_if<DockObserver::Miss>(&look)) {
    switch (*miss) {
    case DockObserver::Miss::nothing:
      return HoverSighting::nothing();
    case DockObserver::Miss::offScreenItem:
    case DockObserver::Miss::dockExtra:
      return HoverSighting::item();
    case DockObserver::Miss::unreadable:
      return HoverSighting::unreadable();
    }
  }
  const DockObserver::Hit& hit = std::get<DockObserver::Hit>(look);
  if (!hit.application || quitter_->isPending(hit.application->identity)) {
    return HoverSighting::item();
  }
  if (!hit.target) {
    return HoverSighting::appWithoutButton(hit.application->identity);
  }
  const DockTarget& found = *hit.target;
  return HoverSighting::app(
      HoverMark{found.app.identity, found.iconFrame, found.buttonFrame, found.edge});
}

void HoverController::act(const HoverVerdict& verdict,
                          const std::optional<DockObserver::Hit>& hit) {
  if (verdict.effect == HoverEffect::reset) {
    reset();
    return;
  }
  memory_ = verdict.memory;
  if (verdict.adoptedSighting) {
    app_ = hit->target->app;
    element_ = hit->target->element;
  } else if (!memory_.mark) {
    app_.reset();
    element_.reset();
  }
  switch (verdict.effect) {
  case HoverEffect::show:
    overlay_->show(*target(), observer_->primaryTop());
    break;
  case HoverEffect::hide:
    hidePanel();
    break;
  case HoverEffect::keep:
  case HoverEffect::reset:
    break;
  }
}

void HoverController::click() {
  auto& log = platform_.logger;
  const std::optional<DockTarget> current = target();
  if (!enabled_ || !memory_.state.isVisible() || !overlay_->panel().isVisible() || !current) {
    log.log(platform::LogCategory::hover, LogLevel::standard,
            "Quit button rejected: inactive interaction");
    reset();
    return;
  }
  const auto app = observer_->selectedApplication(*current);
  if (!app) {
    log.log(platform::LogCategory::hover, LogLevel::standard,
            "Quit button rejected: target could not be refreshed");
    reset();
    return;
  }
  if (!contains(current->buttonFrame, pointer()) || quitter_->isPending(app->identity)) {
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
