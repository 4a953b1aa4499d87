#include "Lumivane/AppReopenService.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace lumivane {

AppReopenService::AppReopenService(platform::Platform& platform) : platform_(platform) {}

void AppReopenService::offer(const QuitReport& ended) {
  if (stopped_ || ended.outcome != QuitOutcome::ended || ended.identity.bundlePath().empty()) {
    return;
  }
  Offer offer{ended.identity, ended.name, ended.bundleIdentifier,
              platform_.runLoop.uptime() + offerDuration};
  // An application that came straight back (one that restarts itself) needs no way back.
  if (hasLapsed(offer) || runsAgain(offer)) {
    setOffer(std::nullopt);
    return;
  }
  setOffer(std::move(offer));
}

void AppReopenService::withdraw() {
  setOffer(std::nullopt);
}

void AppReopenService::refresh() {
  if (offer_ && (hasLapsed(*offer_) || runsAgain(*offer_))) {
    setOffer(std::nullopt);
  }
}

void AppReopenService::reopen() {
  if (!offer_) {
    return;
  }
  // Once per quit: the offer is used up whatever comes of it.
  const Offer taken = *offer_;
  setOffer(std::nullopt);
  if (hasLapsed(taken)) {
    return;
  }
  // The user started it again since the last check: nothing to open, and nothing to launch twice.
  if (runsAgain(taken)) {
    report(ReopenOutcome::runningAgain, taken.name);
    return;
  }
  platform_.workspace.openApplication(
      taken.identity.bundlePath(),
      [weak = weak_from_this(),
       name = taken.name](const std::optional<platform::ApplicationInfo>& application) {
        if (const auto self = weak.lock()) {
          self->report(application ? ReopenOutcome::opened : ReopenOutcome::gone, name);
        }
      });
}

void AppReopenService::stop() {
  setOffer(std::nullopt);
  stopped_ = true;
}

bool AppReopenService::hasLapsed(const Offer& offer) const {
  return platform_.runLoop.uptime() >= offer.expiresAt ||
         AppResolver::isExcluded(offer.bundleIdentifier) ||
         (isProtected && isProtected(offer.bundleIdentifier));
}

bool AppReopenService::runsAgain(const Offer& offer) {
  const std::vector<platform::ApplicationInfo> running = platform_.workspace.runningApplications();
  return std::ranges::any_of(running, [&](const platform::ApplicationInfo& application) {
    return !application.isTerminated && application.bundlePath == offer.identity.bundlePath();
  });
}

// The check timer runs exactly while an offer stands. Each new offer starts it afresh, so that its
// sixtieth check falls due as the minute ends.
void AppReopenService::setOffer(std::optional<Offer> offer) {
  const bool wasOffered = offer_.has_value();
  offer_ = std::move(offer);
  if (timer_) {
    timer_->invalidate();
    timer_.reset();
  }
  if (offer_) {
    timer_ = platform_.runLoop.scheduleRepeating(checkInterval, checkTolerance,
                                                 [weak = weak_from_this()] {
                                                   if (const auto self = weak.lock()) {
                                                     self->refresh();
                                                   }
                                                 });
  }
  if ((offer_ || wasOffered) && onOfferChange) {
    onOfferChange(offer_.has_value());
  }
}

void AppReopenService::report(ReopenOutcome outcome, std::string name) {
  if (!stopped_ && onStatus) {
    onStatus(ReopenLine{outcome, std::move(name)});
  }
}

} // namespace lumivane
