#pragma once

#include "Lumivane/Platform/Logger.hpp"
#include "Lumivane/Platform/Notifications.hpp"
#include "Lumivane/Platform/Process.hpp"
#include "Lumivane/Platform/Screens.hpp"
#include "Simulator/Desktop.hpp"
#include "Simulator/DockModel.hpp"
#include "Simulator/VirtualRunLoop.hpp"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The small system services of the simulated desktop: displays, notification centres, the
// unified log and the process itself.

namespace lumivane::sim {

// The displays. Frames are kept in the top-left space, whose origin is the primary display's
// top-left corner (so the primary display should sit at y = 0); the port reports them in the
// bottom-left space, where the primary display's top edge is at y = its height.
class Displays final : public platform::Screens {
public:
  static constexpr double menuBarHeight = 25;

  explicit Displays(const DockModel& dock) : dock_(dock) {}

  std::vector<Rect> frames() override;
  std::optional<Rect> mainVisibleFrame() override;

  int add(const Rect& frame);
  void set(std::vector<Rect> frames) { frames_ = std::move(frames); }
  const std::vector<Rect>& topLeftFrames() const { return frames_; }

  // The primary display's top edge in the bottom-left space; 0 without displays.
  double primaryTop() const;
  Point toBottomLeft(Point point) const { return {point.x, primaryTop() - point.y}; }
  Point toTopLeft(Point point) const { return toBottomLeft(point); }
  Rect toBottomLeft(const Rect& rect) const;
  Rect toTopLeft(const Rect& rect) const { return toBottomLeft(rect); }

private:
  const DockModel& dock_;
  std::vector<Rect> frames_;
};

// The workspace, default and distributed notification centres. A post reaches the centre its
// notification belongs to, and each subscriber there on the main queue (the next drain or
// advance); a subscription removed before then is skipped.
class SimulatedNotifications final : public platform::Notifications {
public:
  explicit SimulatedNotifications(VirtualRunLoop& runLoop) : runLoop_(runLoop) {}

  platform::SubscriptionToken subscribe(platform::NotificationCenter center,
                                        platform::Notification name,
                                        std::function<void()> action) override;
  void unsubscribe(platform::NotificationCenter center, platform::SubscriptionToken token) override;

  void post(platform::Notification name);
  std::size_t count() const { return subscriptions_.size(); }
  static platform::NotificationCenter centerOf(platform::Notification name);

private:
  struct Subscription {
    platform::SubscriptionToken token;
    platform::NotificationCenter center;
    platform::Notification name;
    std::shared_ptr<std::function<void()>> action;
  };
  VirtualRunLoop& runLoop_;
  std::vector<Subscription> subscriptions_;
  platform::SubscriptionToken nextToken_ = 1;
};

// The unified log: every message, stamped with the virtual uptime.
class SimulatedLogger final : public platform::Logger {
public:
  explicit SimulatedLogger(VirtualRunLoop& runLoop) : runLoop_(runLoop) {}
  void log(std::string_view category, platform::LogLevel level, std::string_view message) override;
  const std::vector<LogRecord>& records() const { return records_; }

private:
  VirtualRunLoop& runLoop_;
  std::vector<LogRecord> records_;
};

// Lumivane's own process.
class SimulatedProcess final : public platform::Process {
public:
  static constexpr std::string_view executablePath =
      "/Applications/Lumivane.app/Contents/MacOS/Lumivane";
  static constexpr std::string_view mainBundlePath = "/Applications/Lumivane.app";

  int32_t pid() override { return pid_; }
  std::vector<std::string> arguments() override;
  std::string bundlePath() override { return std::string(mainBundlePath); }
  std::string systemVersion() override { return "simulated macOS (lumivane-sim)"; }
  // The simulated Dock's preference follows the Dock as it was last placed.
  std::optional<bool> dockMagnification() override { return dockMagnification_; }
  void setDockMagnification(bool magnifies) { dockMagnification_ = magnifies; }

  void setPID(int32_t pid) { pid_ = pid; }
  // The arguments after the program's path.
  void setArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }

private:
  int32_t pid_ = 0;
  std::vector<std::string> arguments_;
  bool dockMagnification_ = false;
};

} // namespace lumivane::sim
