#pragma once

#include "LumivaneCore/AppIdentity.hpp"

#include <unordered_map>
#include <vector>

namespace lumivane {

// The quit requests in flight and when each began, in seconds of the caller's monotonic clock.
class QuitLedger {
public:
  // Records a new request. A repeated request keeps the first begin time, so it never extends
  // the wait; it answers false.
  [[nodiscard]] bool begin(const AppIdentity& identity, double now);
  // Retires a request; false when there was none.
  bool finish(const AppIdentity& identity);
  // Retires and returns every request at least `timeout` old, in no meaningful order.
  std::vector<AppIdentity> expire(double now, double timeout);

  const std::unordered_map<AppIdentity, double>& pending() const { return pending_; }

private:
  std::unordered_map<AppIdentity, double> pending_;
};

} // namespace lumivane
