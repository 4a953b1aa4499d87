#include "LumivaneCore/QuitLedger.hpp"

namespace lumivane {

bool QuitLedger::begin(const AppIdentity& identity, double now) {
  return pending_.try_emplace(identity, now).second;
}

bool QuitLedger::finish(const AppIdentity& identity) {
  return pending_.erase(identity) > 0;
}

std::vector<AppIdentity> QuitLedger::expire(double now, double timeout) {
  std::vector<AppIdentity> expired;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (now - it->second >= timeout) {
      expired.push_back(it->first);
      it = pending_.erase(it);
    } else {
      ++it;
    }
  }
  return expired;
}

} // namespace lumivane
