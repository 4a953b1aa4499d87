#include "Lumivane/RuntimeStatus.hpp"

#include <utility>

namespace lumivane {

void RuntimeStatus::show(StatusLine line) {
  if (line == line_) {
    return;
  }
  message_ = texts::statusLine(line);
  line_ = std::move(line);
  offersReopen_ = false;
  publish();
}

void RuntimeStatus::setOffersReopen(bool offers) {
  if (offers == offersReopen_) {
    return;
  }
  offersReopen_ = offers;
  publish();
}

void RuntimeStatus::setSuspended(bool isSuspended) {
  if (isSuspended == isSuspended_) {
    return;
  }
  isSuspended_ = isSuspended;
  publish();
}

} // namespace lumivane
