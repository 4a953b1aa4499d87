#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace lumivane {

// Lets views follow a service's published fields: a service calls publish() after a published
// field changed, and every observer is told. Main thread only.
class Observable {
public:
  using Token = uint64_t;

  Token observe(std::function<void()> changed);
  void removeObserver(Token token);

protected:
  Observable() = default;
  ~Observable() = default;
  void publish();

private:
  std::vector<std::pair<Token, std::function<void()>>> observers_;
  Token nextToken_ = 1;
};

} // namespace lumivane
