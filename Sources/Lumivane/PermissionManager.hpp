#pragma once

#include "Lumivane/Observable.hpp"
#include "Lumivane/Platform/Platform.hpp"

#include <functional>
#include <memory>
#include <string_view>

namespace lumivane {

// The one permission Lumivane needs, Accessibility, polled every 2 s so that a grant or a
// revocation in the system settings is noticed without a restart, and the actions that lead to
// it. Accessibility is the live grant: AXIsProcessTrusted may go on answering yes from a cache
// after Lumivane's row is removed from the Accessibility list, so while it says yes the poll also
// asks the system whether an active tap can be made now (the middle-click tap is one, and macOS
// gates it by that same grant, not by Input Monitoring). That costs one tap made and released
// every 2 s, never run. Listen access (Input Monitoring) is published too, as the platform
// reports it; no feature needs it and nothing asks for it. Main thread; onChange fires from
// refresh() (the poll, or a caller) only on a change. Create with make_shared.
class PermissionManager : public Observable,
                          public std::enable_shared_from_this<PermissionManager> {
public:
  static constexpr double pollInterval = 2.0;
  static constexpr double pollTolerance = 0.4;
  static constexpr std::string_view privacyLinkPrefix =
      "x-apple.systempreferences:com.apple.preference.security?";
  static constexpr std::string_view accessibilityPane = "Privacy_Accessibility";

  explicit PermissionManager(platform::Platform& platform);

  // Published fields.
  // The Accessibility grant as it is now, not as the process's cached answer has it.
  bool accessibility() const { return accessibility_; }
  bool inputMonitoring() const { return inputMonitoring_; }
  // Whether the middle-click event tap runs; written by the coordinator only.
  bool middleAvailable() const { return middleAvailable_; }
  void setMiddleAvailable(bool available);

  void start();
  void stop();
  bool isPolling() const { return timer_ != nullptr; }
  void refresh();
  // One prompt at a time: while the permission is missing, the first request of this run asks
  // the system for its alert, which has its own button to System Settings, and nothing else;
  // any other request opens the Accessibility pane.
  void requestAccessibility();
  // The action of the middle-click notice: asks for what the tap needs, post-event access, in
  // the same way: the system's alert while that access is missing and no alert was asked for
  // in this run, otherwise the Accessibility pane, where that access is granted and where
  // switching Lumivane off and on renews a grant that an earlier build of the app left behind.
  void requestMiddleClickAccess();
  void revealCurrentApplication();

  std::function<void()> onChange;

private:
  void openPrivacy(std::string_view pane);
  // Runs `ask` (the system's alert) when `missing` and no alert was asked for yet in this run;
  // otherwise opens the Accessibility pane.
  void askOnceThenOpenPane(bool missing, const std::function<void()>& ask);
  // The cached answer, and while it says yes, whether the system lets an active tap be made.
  bool liveAccessibility();

  platform::Platform& platform_;
  bool accessibility_;
  bool inputMonitoring_;
  bool middleAvailable_ = false;
  bool askedForAlert_ = false;
  std::unique_ptr<platform::Timer> timer_;
};

} // namespace lumivane
