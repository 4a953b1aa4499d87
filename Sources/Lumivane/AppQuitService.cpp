#include "Lumivane/AppQuitService.hpp"

#include "Lumivane/RunningApplication.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace lumivane {

std::shared_ptr<AppQuitService> AppQuitService::create(platform::Platform& platform) {
  auto service = std::make_shared<AppQuitService>(platform);
  // Any application ending triggers a full check; which one ended is not read.
  service->terminationObserver_ = platform.notifications.subscribe(
      platform::NotificationCenter::workspace, platform::Notification::didTerminateApplication,
      [weak = std::weak_ptr<AppQuitService>(service)] {
        if (const auto self = weak.lock()) {
          self->checkPending();
          self->checkLateTermination();
        }
      });
  return service;
}

AppQuitService::AppQuitService(platform::Platform& platform) : platform_(platform) {}

// Every failed check ends the request silently: the snapshot no longer names a process that
// may be quit this way.
void AppQuitService::request(const RunningApp& app) {
  const AppIdentity& identity = app.identity;
  if (!platform_.accessibility.isProcessTrusted()) {
    return;
  }
  const std::optional<platform::ApplicationInfo> live =
      platform_.workspace.application(identity.pid());
  if (!live || live->isTerminated || !live->isFinishedLaunching ||
      live->activationPolicy != platform::ActivationPolicy::regular) {
    return;
  }
  // A different launch instant means the pid now belongs to another process.
  if (live->launchDate != identity.launchedAt()) {
    return;
  }
  // Port paths are canonical already (standardised, symlinks resolved, NFC).
  if (applicationBundlePath(*live) != identity.bundlePath()) {
    return;
  }
  const std::string bundleIdentifier = live->bundleIdentifier.value_or("");
  if (live->pid == platform_.process.pid() || AppResolver::isExcluded(bundleIdentifier) ||
      (isProtected && isProtected(bundleIdentifier))) {
    return;
  }
  // Two running copies of one bundle: neither is quit this way.
  const std::vector<platform::ApplicationInfo> running = platform_.workspace.runningApplications();
  const auto copies = std::ranges::count_if(running, [&](const platform::ApplicationInfo& other) {
    return !other.isTerminated && applicationBundlePath(other) == identity.bundlePath();
  });
  if (copies != 1) {
    return;
  }
  // A repeated request keeps the first deadline; it must not extend the wait.
  if (!ledger_.begin(identity, platform_.runLoop.uptime())) {
    return;
  }
  const Target target{app.name, bundleIdentifier};
  targets_.emplace(identity, target);
  if (!platform_.workspace.terminate(live->pid)) {
    ledger_.finish(identity);
    targets_.erase(identity);
    report(QuitOutcome::refused, identity, target);
    return;
  }
  if (onRequest) {
    onRequest(identity);
  }
  if (!isPending(identity)) {
    return;
  }
  report(QuitOutcome::waiting, identity, target);
  if (!timer_) {
    timer_ = platform_.runLoop.scheduleRepeating(pendingCheckInterval, pendingCheckTolerance,
                                                 [weak = weak_from_this()] {
                                                   if (const auto self = weak.lock()) {
                                                     self->checkPending();
                                                   }
                                                 });
  }
}

bool AppQuitService::isPending(const AppIdentity& identity) const {
  return ledger_.pending().contains(identity);
}

void AppQuitService::stop() {
  if (timer_) {
    timer_->invalidate();
    timer_.reset();
  }
  if (terminationObserver_) {
    platform_.notifications.unsubscribe(platform::NotificationCenter::workspace,
                                        *terminationObserver_);
    terminationObserver_.reset();
  }
  lastTimedOut_.reset();
}

// Ends are looked for before time-outs, so an application that ended by the tick on which its
// time runs out is reported as ended.
void AppQuitService::checkPending() {
  std::vector<AppIdentity> pending;
  pending.reserve(ledger_.pending().size());
  for (const auto& entry : ledger_.pending()) {
    pending.push_back(entry.first);
  }
  for (const AppIdentity& identity : pending) {
    if (hasEnded(identity)) {
      ledger_.finish(identity);
      report(QuitOutcome::ended, identity, takeTarget(identity));
    }
  }
  for (const AppIdentity& identity : ledger_.expire(platform_.runLoop.uptime(), quitTimeout)) {
    report(QuitOutcome::timedOut, identity, takeTarget(identity));
  }
  if (ledger_.pending().empty() && timer_) {
    timer_->invalidate();
    timer_.reset();
  }
}

// A request that timed out may still end later; its end is reported once, unless another
// report came in between.
void AppQuitService::checkLateTermination() {
  if (lastTimedOut_ && hasEnded(lastTimedOut_->identity)) {
    const TimedOut timedOut = *lastTimedOut_;
    report(QuitOutcome::ended, timedOut.identity, timedOut.target);
  }
}

// Every report replaces the one timed-out request whose late end may still be told.
void AppQuitService::report(QuitOutcome outcome, const AppIdentity& identity, Target target) {
  if (outcome == QuitOutcome::timedOut) {
    lastTimedOut_ = TimedOut{identity, target};
  } else {
    lastTimedOut_.reset();
  }
  if (onStatus) {
    onStatus(
        QuitReport{outcome, identity, std::move(target.name), std::move(target.bundleIdentifier)});
  }
}

// The same process instance is gone: no process with that pid, a terminated one, or another
// process that reuses the pid (a different launch instant).
bool AppQuitService::hasEnded(const AppIdentity& identity) {
  const std::optional<platform::ApplicationInfo> live =
      platform_.workspace.application(identity.pid());
  return !live || live->isTerminated || live->launchDate != identity.launchedAt();
}

AppQuitService::Target AppQuitService::takeTarget(const AppIdentity& identity) {
  const auto found = targets_.find(identity);
  if (found == targets_.end()) {
    return {};
  }
  Target target = std::move(found->second);
  targets_.erase(found);
  return target;
}

} // namespace lumivane
