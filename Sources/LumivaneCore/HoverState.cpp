#include "LumivaneCore/HoverState.hpp"

#include <utility>

namespace lumivane {

HoverState::HoverState(double showDelay, double hideDelay)
    : showDelay_(showDelay), hideDelay_(hideDelay) {}

void HoverState::update(const std::optional<AppIdentity>& candidate, bool retainingCurrent,
                        bool layoutAvailable, double now) {
  if (!candidate) {
    if (!isVisible_) {
      // A × that never showed needs no hide delay.
      reset();
    } else if (retainingCurrent) {
      // On the way to the ×: the hide delay starts afresh once the pointer leaves the path.
      leftAt_.reset();
    } else {
      if (!leftAt_) {
        leftAt_ = now;
      }
      if (now - *leftAt_ >= hideDelay_) {
        reset();
      }
    }
    return;
  }

  if (target_ != candidate) {
    // Another icon: hide at once and restart the show delay.
    target_ = candidate;
    enteredAt_ = now;
    isVisible_ = false;
    layoutWaitSince_.reset();
  }
  leftAt_.reset();

  if (layoutAvailable) {
    layoutWaitSince_.reset();
    if (now - enteredAt_ >= showDelay_) {
      isVisible_ = true;
    }
    return;
  }
  isVisible_ = false;
  if (!layoutWaitSince_) {
    layoutWaitSince_ = now;
  }
  if (now - *layoutWaitSince_ >= layoutWaitLimit) {
    reset();
  }
}

void HoverState::reset() {
  target_.reset();
  isVisible_ = false;
  enteredAt_ = 0;
  leftAt_.reset();
  layoutWaitSince_.reset();
}

} // namespace lumivane
