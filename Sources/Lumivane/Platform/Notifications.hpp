#pragma once

#include <cstdint>
#include <functional>

namespace lumivane::platform {

enum class NotificationCenter { workspace, application, distributed };

// The notifications Lumivane listens to, by our own names.
enum class Notification {
  willSleep,                 // NSWorkspaceWillSleepNotification
  didWake,                   // NSWorkspaceDidWakeNotification
  screensDidSleep,           // NSWorkspaceScreensDidSleepNotification
  screensDidWake,            // NSWorkspaceScreensDidWakeNotification
  sessionDidResignActive,    // NSWorkspaceSessionDidResignActiveNotification
  sessionDidBecomeActive,    // NSWorkspaceSessionDidBecomeActiveNotification
  activeSpaceDidChange,      // NSWorkspaceActiveSpaceDidChangeNotification
  didTerminateApplication,   // NSWorkspaceDidTerminateApplicationNotification
  screenParametersDidChange, // NSApplicationDidChangeScreenParametersNotification
  screenIsLocked,            // distributed "com.apple.screenIsLocked"
  screenIsUnlocked,          // distributed "com.apple.screenIsUnlocked"
};

using SubscriptionToken = uint64_t;

// The workspace, default and distributed notification centres, delivering on the main queue.
class Notifications {
public:
  virtual ~Notifications() = default;
  // Subscribes with no sender filter; `action` runs on the main thread for every delivery.
  virtual SubscriptionToken subscribe(NotificationCenter center, Notification name,
                                      std::function<void()> action) = 0;
  virtual void unsubscribe(NotificationCenter center, SubscriptionToken token) = 0;
};

} // namespace lumivane::platform
