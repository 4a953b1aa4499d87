#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lumivane::sim {
namespace {

TEST(Notifications, ReachTheirOwnCentreOnTheMainQueueAndSkipRemovedSubscribers) {
  Desktop desktop;
  platform::Notifications& centres = desktop.platform().notifications;
  std::vector<std::string> heard;
  centres.subscribe(platform::NotificationCenter::distributed,
                    platform::Notification::screenIsLocked, [&] { heard.push_back("locked"); });
  centres.subscribe(platform::NotificationCenter::workspace, platform::Notification::screenIsLocked,
                    [&] { heard.push_back("wrong centre"); });
  const auto removed = centres.subscribe(platform::NotificationCenter::distributed,
                                         platform::Notification::screenIsLocked,
                                         [&] { heard.push_back("removed"); });

  desktop.post(platform::Notification::screenIsLocked);
  EXPECT_TRUE(heard.empty());
  centres.unsubscribe(platform::NotificationCenter::distributed, removed);
  desktop.runLoop().drain();
  EXPECT_EQ(heard, std::vector<std::string>{"locked"});
  EXPECT_EQ(desktop.subscriptionCount(), 2u);
}

} // namespace
} // namespace lumivane::sim
