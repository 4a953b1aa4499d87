#include "InvariantOracle.hpp"
#include "Invariants.hpp"
#include "Lumivane/AppDelegate.hpp"

// Invariant 9: what Lumivane opens again, and how long 重新打开 shows.

namespace lumivane::sim {

namespace {

using oracle::epsilon;
using oracle::seconds;

// How long after the message that an application has quit the status line may offer to open it
// again, and how much later than that, or than the application's return, the offer may still
// show before the next look at it takes it away.
constexpr double reopenWindow = 60;
constexpr double reopenGrace = 1.1;

} // namespace

// Lumivane opens an application only to take back one of its own quits, as the user saw them: the
// bundle of a process its quit request ended, after the message said so, within a minute of it,
// once per quit, never while a copy of the application runs or once the user protected it.
std::optional<std::string> InvariantChecker::Impl::checkOpenRequests() {
  const auto& records = desktop_.openRequests();
  while (openRequestsSeen_ < records.size()) {
    const OpenRequestRecord& record = records[openRequestsSeen_++];
    const std::string opened = "invariant 9: Lumivane asked at " + seconds(record.time) +
                               " to open " +
                               (record.name.empty() ? record.bundlePath : record.name);
    if (runner_.coordinator() == nullptr) {
      return opened + " while it was not running";
    }
    if (record.copies > 0) {
      return opened + " while " + std::to_string(record.copies) + " of its processes ran";
    }
    Request* quit = nullptr;
    bool again = false;
    bool late = false;
    for (auto request = requests_.rbegin(); request != requests_.rend() && quit == nullptr;
         ++request) {
      if (!request->endedAt || request->identity.bundlePath() != record.bundlePath ||
          *request->endedAt > record.time + epsilon) {
        continue;
      }
      if (request->reopened) {
        again = true;
      } else if (record.time - *request->endedAt > reopenWindow + epsilon) {
        late = true;
      } else {
        quit = &*request;
      }
    }
    if (quit == nullptr) {
      return opened + (again  ? " a second time for one quit"
                       : late ? " more than 60 s after it quit"
                              : ", which it had not quit");
    }
    if (isProtected(quit->bundleIdentifier)) {
      return opened + ", which the user protected (" + quit->bundleIdentifier.value_or("") + ")";
    }
    quit->reopened = true;
  }
  return std::nullopt;
}

// 重新打开 shows only for a while after a quit it can take back, and not once the application
// runs again: the next look at the offer, a second later, takes it away.
std::optional<std::string> InvariantChecker::Impl::checkReopenOffer() {
  const bool offered = attached_ != nullptr && attached_->runtime()->offersReopen();
  const Request* latest = lastEnded_ ? &requests_[*lastEnded_] : nullptr;
  if (offered && (latest == nullptr ||
                  desktop_.now() - *latest->endedAt > reopenWindow + reopenGrace + epsilon)) {
    return std::string("invariant 9: 重新打开 shows with no quit of the last minute to take back");
  }
  bool runsAgain = false;
  if (offered) {
    for (const platform::ApplicationInfo& info :
         desktop_.platform().workspace.runningApplications()) {
      runsAgain =
          runsAgain || (!info.isTerminated && info.bundlePath == latest->identity.bundlePath());
    }
  }
  if (lasting("runs again", runsAgain, reopenGrace)) {
    return "invariant 9: 重新打开 still shows for " + latest->name + ", which runs again";
  }
  return std::nullopt;
}

} // namespace lumivane::sim
