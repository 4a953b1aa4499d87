#include "Simulator/SimulatedSystem.hpp"

#include <algorithm>

namespace lumivane::sim {

std::vector<Rect> Displays::frames() {
  std::vector<Rect> result;
  result.reserve(frames_.size());
  for (const Rect& frame : frames_) {
    result.push_back(toBottomLeft(frame));
  }
  return result;
}

std::optional<Rect> Displays::mainVisibleFrame() {
  if (frames_.empty()) {
    return std::nullopt;
  }
  Rect visible = standardized(toBottomLeft(frames_.front()));
  visible.height -= menuBarHeight;
  const auto layout = dock_.layout(frames_);
  if (dock_.running() && !dock_.hidden() && !dock_.autohides() && layout &&
      dock_.screenIndex(frames_) == 0) {
    switch (dock_.edge()) {
    case DockEdge::bottom:
      visible.y += layout->thickness;
      visible.height -= layout->thickness;
      break;
    case DockEdge::left:
      visible.x += layout->thickness;
      visible.width -= layout->thickness;
      break;
    case DockEdge::right:
      visible.width -= layout->thickness;
      break;
    }
  }
  visible.width = std::max(visible.width, 0.0);
  visible.height = std::max(visible.height, 0.0);
  return visible;
}

int Displays::add(const Rect& frame) {
  frames_.push_back(frame);
  return static_cast<int>(frames_.size()) - 1;
}

double Displays::primaryTop() const {
  return frames_.empty() ? 0 : standardized(frames_.front()).height;
}

Rect Displays::toBottomLeft(const Rect& rect) const {
  const Rect r = standardized(rect);
  return {r.x, primaryTop() - r.maxY(), r.width, r.height};
}

platform::SubscriptionToken SimulatedNotifications::subscribe(platform::NotificationCenter center,
                                                              platform::Notification name,
                                                              std::function<void()> action) {
  const platform::SubscriptionToken token = nextToken_++;
  subscriptions_.push_back(
      {token, center, name, std::make_shared<std::function<void()>>(std::move(action))});
  return token;
}

void SimulatedNotifications::unsubscribe(platform::NotificationCenter center,
                                         platform::SubscriptionToken token) {
  std::erase_if(subscriptions_, [&](const Subscription& subscription) {
    return subscription.token == token && subscription.center == center;
  });
}

void SimulatedNotifications::post(platform::Notification name) {
  const platform::NotificationCenter center = centerOf(name);
  for (const Subscription& subscription : subscriptions_) {
    if (subscription.center != center || subscription.name != name) {
      continue;
    }
    runLoop_.async([this, token = subscription.token] {
      const auto found = std::find_if(subscriptions_.begin(), subscriptions_.end(),
                                      [&](const Subscription& s) { return s.token == token; });
      if (found != subscriptions_.end()) {
        const auto action = found->action;
        (*action)();
      }
    });
  }
}

platform::NotificationCenter SimulatedNotifications::centerOf(platform::Notification name) {
  switch (name) {
  case platform::Notification::screenParametersDidChange:
    return platform::NotificationCenter::application;
  case platform::Notification::screenIsLocked:
  case platform::Notification::screenIsUnlocked:
    return platform::NotificationCenter::distributed;
  default:
    return platform::NotificationCenter::workspace;
  }
}

void SimulatedLogger::log(std::string_view category, platform::LogLevel level,
                          std::string_view message) {
  records_.push_back({runLoop_.uptime(), std::string(category), level, std::string(message)});
}

std::vector<std::string> SimulatedProcess::arguments() {
  std::vector<std::string> all{std::string(executablePath)};
  all.insert(all.end(), arguments_.begin(), arguments_.end());
  return all;
}

} // namespace lumivane::sim
