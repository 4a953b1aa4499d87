#include "Lumivane/MiddleClickMonitor.hpp"

#include <utility>

namespace lumivane {

namespace {

std::optional<MiddleGesture::Phase> phase(uint32_t type) {
  switch (type) {
  case platform::tapEventType::otherMouseDown:
    return MiddleGesture::Phase::down;
  case platform::tapEventType::otherMouseDragged:
    return MiddleGesture::Phase::dragged;
  case platform::tapEventType::otherMouseUp:
    return MiddleGesture::Phase::up;
  default:
    return std::nullopt;
  }
}

} // namespace

MiddleClickMonitor::MiddleClickMonitor(platform::EventTaps& eventTaps, platform::RunLoop& runLoop)
    : eventTaps_(eventTaps), runLoop_(runLoop) {}

// The tap must not outlive the monitor it calls back into.
MiddleClickMonitor::~MiddleClickMonitor() {
  stop(Stop::immediately);
}

bool MiddleClickMonitor::start() {
  if (!accepting_) {
    // While stopped, a kept tap may have missed the release of a press it swallowed (a revoked
    // Accessibility grant keeps events from it).
    gesture_.resume();
  }
  accepting_ = true;
  if (tap_ && tap_->isValid()) {
    if (!tap_->isEnabled()) {
      tap_->setEnabled(true);
    }
    if (tap_->isEnabled()) {
      return true;
    }
  }
  if (tap_) {
    // Invalid, or it would not enable: discard it and make a new one.
    stop(Stop::immediately);
    accepting_ = true;
  }

  if (!install()) {
    accepting_ = false;
    return false;
  }
  if (isRunning()) {
    return true;
  }
  stop(Stop::immediately);
  return false;
}

bool MiddleClickMonitor::install() {
  // The tap reaches the monitor weakly: an event after the monitor is gone simply passes.
  tap_ = eventTaps_.createSessionTap(eventMask,
                                     [weak = weak_from_this()](const platform::TapEvent& event) {
                                       const auto self = weak.lock();
                                       return self && self->handle(event);
                                     });
  if (!tap_) {
    return false;
  }
  tap_->addToMainRunLoop();
  tap_->setEnabled(true);
  return true;
}

void MiddleClickMonitor::stop(Stop when) {
  accepting_ = false;
  if (gesture_.isConsuming() && when == Stop::afterGesture) {
    // Keep the tap so that the release of the swallowed press is swallowed too; handle()
    // finishes the stop once the gesture ends. One that went with the grant comes back for it;
    // when none can be made, nothing will see the release, and the gesture is over.
    if (tap_ || install()) {
      return;
    }
    gesture_ = MiddleGesture();
    return;
  }
  removeTap();
  if (when != Stop::withoutGrant) {
    gesture_ = MiddleGesture();
  }
}

void MiddleClickMonitor::removeTap() {
  if (!tap_) {
    return;
  }
  tap_->setEnabled(false);
  if (handling_) {
    // Disabled, it gets no further events meanwhile; one still queued reaches handle() without
    // a tap and passes.
    runLoop_.async([retired = std::shared_ptr<platform::EventTap>(std::move(tap_))] {
      retired->invalidate();
      retired->removeFromMainRunLoop();
    });
    return;
  }
  tap_->invalidate();
  tap_->removeFromMainRunLoop();
  tap_.reset();
}

bool MiddleClickMonitor::isRunning() const {
  return accepting_ && tap_ && tap_->isValid() && tap_->isEnabled();
}

bool MiddleClickMonitor::handle(const platform::TapEvent& event) {
  handling_ = true;
  const bool swallow = decide(event);
  handling_ = false;
  return swallow;
}

bool MiddleClickMonitor::decide(const platform::TapEvent& event) {
  if (event.type == platform::tapEventType::disabledByTimeout ||
      event.type == platform::tapEventType::disabledByUserInput) {
    // A tap turned back on without the grant would hold every event of its mask back from
    // everything: it goes instead, and the next start() makes a new one.
    const bool granted = eventTaps_.canCreateActiveTap();
    if (tap_ && granted) {
      tap_->setEnabled(true);
    }
    const bool restored = granted && tap_ && tap_->isValid() && tap_->isEnabled();
    if (restored) {
      // Events passed the disabled tap by, a release among them perhaps.
      gesture_.resume();
    } else if (!granted) {
      stop(Stop::withoutGrant);
    } else {
      // The tap stays in place, disabled: the next start() replaces it, stop() removes it.
      accepting_ = false;
    }
    if (onFailure) {
      onFailure(restored);
    }
    return false;
  }
  if (event.button != MiddleGesture::middleButton) {
    return false;
  }
  const auto eventPhase = phase(event.type);
  if (!eventPhase) {
    return false;
  }

  // Resolve only the first press of a sequence, so the callback stays quick.
  std::optional<DockObserver::Hit> hit;
  if (*eventPhase == MiddleGesture::Phase::down && accepting_ && !gesture_.isDown() && resolve) {
    hit = resolve(event.location);
  }
  const bool isDockItem = hit.has_value();
  const bool canQuit = isDockItem && hit->application.has_value();
  const auto decision = gesture_.handle(MiddleGesture::middleButton, *eventPhase, isDockItem,
                                        canQuit, event.pressNumber);

  if (decision.requestQuit && canQuit) {
    // Never quit from inside the tap's callback: one main-queue turn later, and only if the
    // monitor is still accepting by then.
    runLoop_.async([weak = weak_from_this(), app = *hit->application] {
      const auto self = weak.lock();
      if (self && self->accepting_ && self->onQuit) {
        self->onQuit(app);
      }
    });
  }
  if (!accepting_ && !gesture_.isConsuming()) {
    stop(Stop::afterGesture);
  }
  return decision.consume;
}

} // namespace lumivane
