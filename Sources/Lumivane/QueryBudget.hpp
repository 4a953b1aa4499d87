#pragma once

#include "Lumivane/Platform/RunLoop.hpp"

namespace lumivane {

// The time one query of the Dock may hold the main thread: 65 ms from its start, after which
// its reads give up and the query answers that it could not read the Dock. Several queries of
// one step may share one budget (Shared). Main thread.
class QueryBudget {
public:
  static constexpr double seconds = 0.065;

  explicit QueryBudget(platform::RunLoop& clock) : clock_(clock) {}

  // Opens the budget of one query; under a Shared budget, goes on with the one the first query
  // opened, and refuses once that is spent.
  [[nodiscard]] bool open();
  // The open budget is not spent yet.
  [[nodiscard]] bool isLeft();

  // While one exists, the queries share the budget the first of them opens, so that a caller's
  // step of several queries holds the main thread no longer than one query may. Not nested.
  class Shared {
  public:
    explicit Shared(QueryBudget& budget);
    ~Shared();
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

  private:
    QueryBudget& budget_;
  };

private:
  platform::RunLoop& clock_;
  double deadline_ = 0;
  bool sharing_ = false; // a Shared budget exists
  bool opened_ = false;  // ...and a query has opened the budget they share
};

} // namespace lumivane
