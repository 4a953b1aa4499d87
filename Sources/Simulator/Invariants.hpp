#pragma once

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/Platform/Workspace.hpp"
#include "LumivaneCore/AppIdentity.hpp"
#include "Simulator/Scenario.hpp"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What must hold on the simulated desktop whatever the user and the system do, checked between
// the steps of a scenario (and between the slices of time a step lets pass):
//
//  1. A quit request goes only to the exact process (pid, canonical bundle path, launch date)
//     the user pointed at (the × clicked, or the Dock item under a middle press), and only when
//     that process is regular, finished launching, not excluded, not Lumivane and the only
//     running copy of its bundle. (The workspace port knows no other request than the normal
//     one.)
//  2. The Dock never receives a release whose press a tap swallowed, and receives every release
//     whose press it received, while Input Monitoring lets taps see both.
//  3. Every accepted request gets its waiting or refusal message at once and then exactly one
//     outcome: the end, or the time-out and at most one late end; texts and error flags exact,
//     none missing, none twice.
//  4. No × shows while suspended, without Accessibility, with hover switched off, for an item
//     that is not one quittable application, or for an application with a pending request.
//  5. No hover loop while the pointer is far from every Dock edge and no × shows; no pending
//     check while nothing is pending; no timer after shutdown.
//  6. No main-thread call blocks the clock longer than one Dock query's budget plus one
//     Accessibility message time-out.
//
// Where Lumivane can only notice a change on its next look (a permission poll is not needed:
// the hover loop's next step sees it), the condition must last longer than a short grace before
// it counts. Main thread.

namespace lumivane::sim {

class InvariantChecker {
public:
  // Seconds a condition that only the hover loop's next steps can notice may last.
  static constexpr double loopGrace = 0.3;
  // Seconds a hover loop without a × may run far from the Dock: the hide delay and a few steps.
  static constexpr double idleLoopGrace = 0.6;
  // Seconds after an application's end, or after its time-out is due, for the message.
  static constexpr double messageGrace = 0.5;
  // One Dock query's budget plus one Accessibility message time-out.
  static constexpr double stallLimit = 0.065 + 0.02;

  // Watches the runner: takes its onCommand and onCheck slots.
  explicit InvariantChecker(ScenarioRunner& runner);
  InvariantChecker(const InvariantChecker&) = delete;
  InvariantChecker& operator=(const InvariantChecker&) = delete;

  // Quit requests seen so far.
  std::size_t quitRequests() const { return quitRequestsSeen_; }

  // A report of the quit service and the processes running when it came.
  struct Status {
    QuitReport report;
    double time = 0;
    std::size_t quitRequestsBefore = 0; // terminate calls made before it
    std::vector<platform::ApplicationInfo> running;
  };

private:
  struct Request {
    AppIdentity identity;
    std::string name;
    double begin = 0;
    enum class State { waiting, timedOut, ended } state = State::waiting;
    std::optional<double> goneSince; // when a check first found the process gone
  };
  struct Press {
    bool listened = false;
    bool swallowed = false;
    bool toDock = false;
    uint64_t session = 0;
  };

  void willRun(const Command& command);
  std::optional<std::string> check();
  void attach();
  std::optional<std::string> checkRequestsAndMessages();
  std::optional<std::string> checkQuitRequest(const QuitRequestRecord& record);
  std::optional<std::string> checkStatus(const Status& status);
  std::optional<std::string> checkOutstanding();
  std::optional<std::string> checkPresses();
  std::optional<std::string> checkOverlay();
  std::optional<std::string> checkTimers();
  // The one process the user can quit from the item named `name` now, if there is one.
  std::optional<AppIdentity> quittable(const std::string& name);
  std::optional<AppIdentity> findQuittable(const std::string& name);
  // True while `condition` has held for longer than `grace`, counted from its first check.
  bool lasting(const std::string& key, bool condition, double grace);

  ScenarioRunner& runner_;
  Desktop& desktop_;
  AppDelegate* attached_ = nullptr;
  uint64_t attachedSession_ = 0;
  std::shared_ptr<std::vector<Status>> statuses_;
  std::size_t statusesSeen_ = 0;
  std::size_t quitRequestsSeen_ = 0;
  std::size_t otherMouseSeen_ = 0;
  std::optional<std::size_t> awaitedMessage_; // the quit request whose message must come next

  // The world as the commands made it.
  std::map<std::string, std::string, std::less<>> bundlePaths_; // by app name, as declared
  std::set<std::string> suspensions_;
  bool dockHidden_ = false;
  uint64_t session_ = 0; // bumped at every launch and shutdown

  // At the start of the current step.
  int panelClicksBefore_ = 0;
  std::optional<AppIdentity> shownBefore_;
  std::size_t otherMouseBefore_ = 0;

  // The visible ×: the process its panel stands for, that process's name, and the one quittable
  // process of that name's item when it showed.
  std::optional<int32_t> shownPID_;
  std::string shownName_;
  std::optional<AppIdentity> shownFor_;

  std::vector<Request> requests_;
  std::optional<std::size_t> lateEnd_; // the request whose late end may still be reported
  std::map<int64_t, Press> presses_;   // by button, while it is down
  std::map<std::string, double, std::less<>> since_;
  bool stallReported_ = false;

  // The last answer of quittable() and what it depended on.
  struct Quittable {
    std::string name;
    uint64_t processChanges = 0;
    bool dockHidden = false;
    int32_t dockPID = 0;
    friend bool operator==(const Quittable&, const Quittable&) = default;
  };
  std::optional<std::pair<Quittable, std::optional<AppIdentity>>> quittable_;
};

// Parses and runs a script as runScenarioText does, with the invariants checked throughout: the
// replay of a soak's violation. Returns scenarioPassed, scenarioFailed or scenarioMalformed.
int runCheckedScenarioText(std::string_view text, std::ostream& timeline, std::ostream& errors);

} // namespace lumivane::sim
