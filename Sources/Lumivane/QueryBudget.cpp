#include "Lumivane/QueryBudget.hpp"

namespace lumivane {

bool QueryBudget::open() {
  if (!sharing_ || !opened_) {
    deadline_ = clock_.uptime() + seconds;
    opened_ = sharing_;
    return true;
  }
  return isLeft();
}

bool QueryBudget::isLeft() {
  return clock_.uptime() <= deadline_;
}

QueryBudget::Shared::Shared(QueryBudget& budget) : budget_(budget) {
  budget_.sharing_ = true;
  budget_.opened_ = false;
}

QueryBudget::Shared::~Shared() {
  budget_.sharing_ = false;
}

} // namespace lumivane
