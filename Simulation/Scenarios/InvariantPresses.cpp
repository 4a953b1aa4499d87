#include "InvariantOracle.hpp"
#include "Invariants.hpp"

// Invariants 2 and 10 as the other mouse buttons show them: what the Dock and everything else
// received of each press and its release.

namespace lumivane::sim {

using oracle::epsilon;
using oracle::seconds;

std::optional<std::string> InvariantChecker::Impl::checkPresses() {
  const auto& events = desktop_.otherMouseEvents();
  for (; otherMouseSeen_ < events.size(); ++otherMouseSeen_) {
    const OtherMouseRecord& event = events[otherMouseSeen_];
    if (event.type == platform::tapEventType::otherMouseDown) {
      presses_[event.button] = {event.listened, event.swallowed, event.toDock, session_,
                                grantLosses_};
      continue;
    }
    const auto press = presses_.find(event.button);
    if (event.type != platform::tapEventType::otherMouseUp || press == presses_.end()) {
      continue;
    }
    const Press down = press->second;
    presses_.erase(press);
    // Only Lumivane's own gestures, and only while the system let taps see both halves and all
    // between them.
    if (down.session != session_ || attached_ == nullptr || !down.listened || !event.listened ||
        down.grantLosses != grantLosses_) {
      continue;
    }
    const std::string button = "button " + std::to_string(event.button);
    if (down.swallowed && event.toDock) {
      return "invariant 2: the Dock received the release of " + button +
             " whose press was swallowed";
    }
    if (down.toDock && event.swallowed) {
      return "invariant 2: the release of " + button +
             " was swallowed though the Dock received its press";
    }
  }
  return std::nullopt;
}

// Seen from the user's side: a press away from the Dock must reach what is under the pointer.
// A tap whose process lost the grant keeps it from everything; Lumivane has one poll to notice.
std::optional<std::string> InvariantChecker::Impl::checkHeldPresses() {
  const double now = desktop_.now();
  if (desktop_.platform().eventTaps.preflightPostEventAccess()) {
    grantLostAt_.reset();
  } else if (!grantLostAt_) {
    grantLostAt_ = now;
    ++grantLosses_;
  }
  const auto& events = desktop_.otherMouseEvents();
  for (; heldPressesSeen_ < events.size(); ++heldPressesSeen_) {
    const OtherMouseRecord& event = events[heldPressesSeen_];
    if (event.type == platform::tapEventType::otherMouseDown && event.heldBack && !event.overDock &&
        grantLostAt_ && now - *grantLostAt_ > pollGrace + epsilon) {
      ++heldPressesSeen_;
      return "invariant 10: a press of button " + std::to_string(event.button) +
             " away from the Dock was held back " + seconds(now - *grantLostAt_) +
             " after the grant went, longer than one permission poll";
    }
  }
  return std::nullopt;
}

} // namespace lumivane::sim
