#include "Lumivane/Observable.hpp"

#include <algorithm>

namespace lumivane {

Observable::Token Observable::observe(std::function<void()> changed) {
  const Token token = nextToken_++;
  observers_.emplace_back(token, std::move(changed));
  return token;
}

void Observable::removeObserver(Token token) {
  std::erase_if(observers_, [token](const auto& entry) { return entry.first == token; });
}

void Observable::publish() {
  // An observer may add or remove observers while it is told; work on a copy.
  const auto observers = observers_;
  for (const auto& [token, changed] : observers) {
    changed();
  }
}

} // namespace lumivane
