#include "Lumivane/PermissionManager.hpp"

#include <string>

namespace lumivane {

PermissionManager::PermissionManager(platform::Platform& platform)
    : platform_(platform), accessibility_(liveAccessibility()),
      inputMonitoring_(platform.eventTaps.preflightListenEventAccess()) {}

bool PermissionManager::liveAccessibility() {
  // A no is taken as it is: the switch turned off shows in the answer at once, and only a yes
  // is known to outlive the grant.
  return platform_.accessibility.isProcessTrusted() && platform_.eventTaps.canCreateActiveTap();
}

void PermissionManager::setMiddleAvailable(bool available) {
  if (middleAvailable_ == available) {
    return;
  }
  middleAvailable_ = available;
  publish();
}

void PermissionManager::start() {
  refresh();
  // Replacing the handle stops an earlier poll, so a repeated start never runs two polls.
  timer_ =
      platform_.runLoop.scheduleRepeating(pollInterval, pollTolerance, [weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
          self->refresh();
        }
      });
}

void PermissionManager::stop() {
  if (timer_) {
    timer_->invalidate();
    timer_.reset();
  }
}

void PermissionManager::refresh() {
  const bool granted = liveAccessibility();
  const bool listening = platform_.eventTaps.preflightListenEventAccess();
  if (granted == accessibility_ && listening == inputMonitoring_) {
    return;
  }
  accessibility_ = granted;
  inputMonitoring_ = listening;
  publish();
  if (onChange) {
    onChange();
  }
}

void PermissionManager::requestAccessibility() {
  // The outcome is not awaited: the poll picks up a grant.
  askOnceThenOpenPane(!platform_.accessibility.isProcessTrusted(),
                      [this] { platform_.accessibility.promptForTrust(); });
}

void PermissionManager::requestMiddleClickAccess() {
  askOnceThenOpenPane(!platform_.eventTaps.preflightPostEventAccess(),
                      [this] { platform_.eventTaps.requestPostEventAccess(); });
}

void PermissionManager::askOnceThenOpenPane(bool missing, const std::function<void()>& ask) {
  // Opened together, the pane lands under the alert. And macOS shows the alert only the first
  // time an app asks (electron #20787, PushText #148): a later request would show nothing, so
  // it opens the pane instead. Both requests lead to the same switch, and so to one alert.
  if (missing && !askedForAlert_) {
    askedForAlert_ = true;
    ask();
    return;
  }
  openPrivacy(accessibilityPane);
}

void PermissionManager::revealCurrentApplication() {
  platform_.workspace.revealInFileViewer(platform_.process.bundlePath());
}

void PermissionManager::openPrivacy(std::string_view pane) {
  std::string url(privacyLinkPrefix);
  url += pane;
  // A link that does not open leaves the flags as they are; the next poll shows the real state.
  if (!platform_.workspace.openURL(url)) {
    platform_.logger.log(platform::LogCategory::permission, platform::LogLevel::error,
                         "System Settings did not open the privacy pane");
  }
}

} // namespace lumivane
