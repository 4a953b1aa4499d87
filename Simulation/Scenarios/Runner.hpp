#pragma once

#include "Lumivane/AppDelegate.hpp"
#include "Scenarios/Scenarios.hpp"
#include "Timeline.hpp"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

// The scenario runner's state and its steps. Runner.cpp runs commands, sets the desktop up and
// starts and stops Lumivane; Steps.cpp performs the user's and the system's actions;
// Expectations.cpp compares what the desktop shows with what a script expects.

namespace lumivane::sim {

// Why a step could not run or an expectation did not hold; nothing when all is well.
using Failure = std::optional<std::string>;

class ScenarioRunner::Impl {
public:
  Impl(ScenarioRunner& owner, std::ostream& timeline);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  ScenarioResult run(const Scenario& scenario);
  ScenarioResult run(const Command& command);

  Desktop& desktop() { return desktop_; }
  AppDelegate* coordinator() const { return delegate_.get(); }

private:
  Failure check() { return owner_.onCheck ? owner_.onCheck() : std::nullopt; }

  void setUpDisplays(const Scenario& scenario);
  Failure perform(const command::Symlink&);
  Failure perform(const command::Screen&);
  Failure perform(const command::Dock&);
  Failure perform(const command::App& app);
  Failure perform(const command::DockItem& item);
  Failure perform(const command::Default& value);
  Failure perform(const command::Permission& permission);
  Failure perform(const command::Launch& launch);
  void quitLumivane();
  std::variant<Point, std::string> locate(const PointerTarget& target) const;
  Failure perform(const command::Pointer& pointer);
  Failure perform(const command::Glide& glide);
  Failure perform(const command::Wait& wait);
  Failure perform(const command::Mouse& mouse);
  Failure perform(const command::Post& post);
  Failure perform(const command::AppEvent& event);
  Failure perform(const command::ReusePID& reuse);
  Failure perform(const command::DockRestart& restart);
  Failure perform(const command::DockChange& change);
  Failure perform(const command::Bounce& bounce);
  Failure perform(const command::Queue& queue);
  Failure perform(const command::DockHidden& dock);
  Failure perform(const command::MissionControl& missionControl);
  Failure perform(const command::ItemMenu& menu);
  Failure perform(const command::DockBadge& badge);
  Failure perform(const command::MoveDock& move);
  Failure perform(const command::Screens& screens);
  Failure perform(const command::InjectFault& inject);
  Failure perform(const command::Latency& latency);
  Failure perform(const command::ExtraChildren& extra);
  Failure perform(const command::TapDisable& disable);
  Failure perform(const command::Button& button);
  Failure perform(const command::Shutdown&);
  Failure perform(const command::Switch& change);
  Failure perform(const command::Layout& layout);
  Failure perform(const command::Close& close);
  Failure perform(const command::Popover& popover);
  Failure perform(const command::StatusBar& bar);
  Failure perform(const command::Protect& change);
  Failure perform(const command::Reopen&);
  Failure perform(const command::DeleteApp& remove);
  Failure perform(const command::ExpectOverlay& expect) const;
  Failure perform(const command::ExpectStatus& expect) const;
  Failure perform(const command::ExpectApp& expect) const;
  Failure perform(const command::ExpectQuitRequests& expect) const;
  Failure perform(const command::ExpectSymbol& expect) const;
  Failure perform(const command::ExpectTooltip& expect) const;
  Failure perform(const command::ExpectWindow& expect) const;
  Failure perform(const command::ExpectBadge& expect) const;
  Failure perform(const command::ExpectPopover& expect) const;
  Failure perform(const command::ExpectReopen& expect) const;
  Failure perform(const command::ExpectPointer& expect) const;
  Failure perform(const command::ExpectDockEvents& expect) const;
  Failure perform(const command::ExpectPreviewEdge& expect) const;
  Failure passTime(double seconds, const std::function<void(double)>& sample);
  std::optional<std::size_t> shownWindow(ShellWindow kind) const;

  ScenarioRunner& owner_;
  Desktop desktop_;
  Timeline timeline_;
  bool launched_ = false;
  bool asleep_ = false; // between sleep and wake: no uptime passes
  bool held_ = false;   // the main queue does not turn
  std::shared_ptr<AppDelegate> delegate_;
  // After a shutdown, until the next launch.
  std::shared_ptr<AppDelegate> stopped_;
  std::map<std::string, AppProfile, std::less<>> profiles_;
  Observable::Token statusToken_ = 0;
  // Windows before this index belong to an earlier launch.
  std::size_t firstWindow_ = 0;
};

} // namespace lumivane::sim
