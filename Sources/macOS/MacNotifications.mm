#include "macOS/MacNotifications.hpp"

#import <AppKit/AppKit.h>
#include <map>
#include <utility>

// Receives one distributed notification name for the adapter.
@interface LMVDistributedObserver : NSObject
- (instancetype)initWithAction:(std::function<void()>)action;
- (void)deliver:(NSNotification*)notification;
@end

@implementation LMVDistributedObserver {
  std::function<void()> _action;
}

- (instancetype)initWithAction:(std::function<void()>)action {
  if ((self = [super init])) {
    _action = std::move(action);
  }
  return self;
}

- (void)deliver:(NSNotification*)notification {
  (void)notification;
  // The action may unsubscribe, releasing this observer: it runs from a copy.
  const std::function<void()> action = _action;
  action();
}

@end

namespace lumivane::mac {

namespace {

NSNotificationCenter* notificationCenter(platform::NotificationCenter center) {
  switch (center) {
  case platform::NotificationCenter::workspace:
    return NSWorkspace.sharedWorkspace.notificationCenter;
  case platform::NotificationCenter::application:
    return NSNotificationCenter.defaultCenter;
  case platform::NotificationCenter::distributed:
    break;
  }
  return NSDistributedNotificationCenter.defaultCenter;
}

NSNotificationName notificationName(platform::Notification name) {
  using platform::Notification;
  switch (name) {
  case Notification::willSleep:
    return NSWorkspaceWillSleepNotification;
  case Notification::didWake:
    return NSWorkspaceDidWakeNotification;
  case Notification::screensDidSleep:
    return NSWorkspaceScreensDidSleepNotification;
  case Notification::screensDidWake:
    return NSWorkspaceScreensDidWakeNotification;
  case Notification::sessionDidResignActive:
    return NSWorkspaceSessionDidResignActiveNotification;
  case Notification::sessionDidBecomeActive:
    return NSWorkspaceSessionDidBecomeActiveNotification;
  case Notification::activeSpaceDidChange:
    return NSWorkspaceActiveSpaceDidChangeNotification;
  case Notification::didTerminateApplication:
    return NSWorkspaceDidTerminateApplicationNotification;
  case Notification::screenParametersDidChange:
    return NSApplicationDidChangeScreenParametersNotification;
  case Notification::screenIsLocked:
    return @"com.apple.screenIsLocked";
  case Notification::screenIsUnlocked:
    break;
  }
  return @"com.apple.screenIsUnlocked";
}

} // namespace

struct MacNotifications::Impl {
  struct Subscription {
    platform::NotificationCenter center;
    NSNotificationCenter* notificationCenter;
    id observer;
  };
  std::map<platform::SubscriptionToken, Subscription> subscriptions;
  platform::SubscriptionToken lastToken = 0;
};

MacNotifications::MacNotifications() : impl_(std::make_unique<Impl>()) {}

MacNotifications::~MacNotifications() {
  for (const auto& [token, subscription] : impl_->subscriptions) {
    [subscription.notificationCenter removeObserver:subscription.observer];
  }
}

platform::SubscriptionToken MacNotifications::subscribe(platform::NotificationCenter center,
                                                        platform::Notification name,
                                                        std::function<void()> action) {
  if (!action) {
    return 0;
  }
  NSNotificationCenter* notifications = notificationCenter(center);
  id observer = nil;
  if (center == platform::NotificationCenter::distributed) {
    // AppKit suspends distributed delivery while this program is not the active one, which for
    // a menu-bar utility is nearly always; the lock and unlock notifications must still arrive
    // when they happen. Foundation delivers distributed notifications on the main thread.
    observer = [[LMVDistributedObserver alloc] initWithAction:std::move(action)];
    [static_cast<NSDistributedNotificationCenter*>(notifications)
               addObserver:observer
                  selector:@selector(deliver:)
                      name:notificationName(name)
                    object:nil
        suspensionBehavior:NSNotificationSuspensionBehaviorDeliverImmediately];
  } else {
    observer = [notifications addObserverForName:notificationName(name)
                                          object:nil
                                           queue:NSOperationQueue.mainQueue
                                      usingBlock:^(NSNotification*) {
                                        // Unsubscribing from inside releases this block.
                                        const std::function<void()> run = action;
                                        run();
                                      }];
  }
  const platform::SubscriptionToken token = ++impl_->lastToken;
  impl_->subscriptions.emplace(token, Impl::Subscription{center, notifications, observer});
  return token;
}

void MacNotifications::unsubscribe(platform::NotificationCenter center,
                                   platform::SubscriptionToken token) {
  const auto found = impl_->subscriptions.find(token);
  if (found == impl_->subscriptions.end() || found->second.center != center) {
    return;
  }
  [found->second.notificationCenter removeObserver:found->second.observer];
  impl_->subscriptions.erase(found);
}

} // namespace lumivane::mac
