#include "InvariantOracle.hpp"
#include "Invariants.hpp"
#include "Lumivane/AppDelegate.hpp"
#include "LumivaneCore/DockGeometry.hpp"

#include <algorithm>

// Invariants 5 and 6: the timers Lumivane keeps running, and how long the main thread blocks.

namespace lumivane::sim {

std::optional<std::string> InvariantChecker::Impl::checkTimers() {
  if (attached_ == nullptr) {
    const std::size_t left = desktop_.runLoop().activeTimerCount();
    if (session_ > 0 && left != 0) {
      return "invariant 5: " + std::to_string(left) + " timer(s) left after shutdown";
    }
    return std::nullopt;
  }
  const std::vector<Rect> screens = desktop_.screenFrames();
  const bool far =
      !DockGeometry::nearDockEdge(desktop_.pointer(), screens, DockObserver::edgeMargin);
  if (lasting("idle loop", attached_->hover().isLooping() && far && !desktop_.panel().visible,
              idleLoopGrace)) {
    return std::string("invariant 5: the hover loop runs with the pointer far from every Dock "
                       "edge and no ×");
  }
  const bool waiting = std::ranges::any_of(
      requests_, [](const Request& request) { return request.state == Request::State::waiting; });
  if (attached_->quitter()->isChecking() && !waiting) {
    return std::string("invariant 5: the pending check runs while nothing is pending");
  }
  if (attached_->reopener()->isChecking() && !attached_->runtime()->offersReopen()) {
    return std::string("invariant 5: the check of 重新打开 runs while the line offers none");
  }
  return std::nullopt;
}

std::optional<std::string> InvariantChecker::Impl::checkStall() {
  const double longest = desktop_.runLoop().longestStall();
  if (!stallReported_ && longest > stallLimit + oracle::epsilon) {
    stallReported_ = true;
    return "invariant 6: a main-thread call blocked " + oracle::seconds(longest) + ", more than " +
           oracle::seconds(stallLimit);
  }
  return std::nullopt;
}

} // namespace lumivane::sim
