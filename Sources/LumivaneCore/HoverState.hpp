#pragma once

#include "LumivaneCore/AppIdentity.hpp"

#include <optional>

namespace lumivane {

// Turns the stream of hover samples into a stable decision: which application the × belongs to
// and whether it shows. Times are seconds of the caller's monotonic clock.
class HoverState {
public:
  // How long the target may wait for a × layout before it is given up.
  static constexpr double layoutWaitLimit = 0.5;

  HoverState(double showDelay, double hideDelay);

  // One sample. `retainingCurrent` counts only without a candidate, `layoutAvailable` only
  // with one.
  void update(const std::optional<AppIdentity>& candidate, bool retainingCurrent,
              bool layoutAvailable, double now);
  void reset();

  const std::optional<AppIdentity>& target() const { return target_; }
  // Nothing is due: no later sample of the same kind can change the decision by the passing of
  // time alone (idle, or visible with the pointer on the target or its path). False while the
  // show delay, the hide delay or the layout wait runs.
  bool isSettled() const { return !target_ || (isVisible_ && !leftAt_); }
  bool isVisible() const { return isVisible_; }
  // The times the delays run from: when the target was first seen (0 without one), when the
  // pointer left the visible target, when the target was first seen without a layout.
  double enteredAt() const { return enteredAt_; }
  const std::optional<double>& leftAt() const { return leftAt_; }
  const std::optional<double>& layoutWaitSince() const { return layoutWaitSince_; }
  double showDelay() const { return showDelay_; }
  double hideDelay() const { return hideDelay_; }

  friend bool operator==(const HoverState&, const HoverState&) = default;

private:
  std::optional<AppIdentity> target_;
  bool isVisible_ = false;
  double enteredAt_ = 0;
  std::optional<double> leftAt_;
  std::optional<double> layoutWaitSince_;
  double showDelay_;
  double hideDelay_;
};

} // namespace lumivane
