#pragma once

#include "Lumivane/Platform/Notifications.hpp"

#include <memory>

namespace lumivane::mac {

// The Notifications port on the workspace, default and distributed notification centres. Every
// action runs on the main thread. Token 0 is never a subscription: subscribing without an action
// subscribes nothing and answers 0. Destroying the adapter removes what is still subscribed.
class MacNotifications final : public platform::Notifications {
public:
  MacNotifications();
  ~MacNotifications() override;
  MacNotifications(const MacNotifications&) = delete;
  MacNotifications& operator=(const MacNotifications&) = delete;

  platform::SubscriptionToken subscribe(platform::NotificationCenter center,
                                        platform::Notification name,
                                        std::function<void()> action) override;
  // Does nothing for a token that is not subscribed on `center`.
  void unsubscribe(platform::NotificationCenter center, platform::SubscriptionToken token) override;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace lumivane::mac
