#pragma once

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/Platform/Mouse.hpp"
#include "Lumivane/Platform/Workspace.hpp"
#include "LumivaneCore/AppIdentity.hpp"
#include "Scenarios/Scenarios.hpp"

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

// The invariant checks behind InvariantChecker (Scenarios.hpp lists the invariants), one file
// for each group of them.

namespace lumivane::sim {

class InvariantChecker::Impl {
public:
  // Watches the runner: takes its onCommand and onCheck slots.
  explicit Impl(ScenarioRunner& runner);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

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
    std::optional<std::string> bundleIdentifier;
    std::optional<double> endedAt; // when the message said it had quit
    bool reopened = false;         // Lumivane has asked to open it again since
  };
  struct Press {
    bool listened = false;
    bool swallowed = false;
    bool toDock = false;
    uint64_t session = 0;
    uint64_t grantLosses = 0; // grantLosses_ at the press
  };

  // Invariants.cpp: the commands and notices followed, the order of the checks.
  void willRun(const Command& command);
  std::optional<std::string> check();
  void attach();
  void followProtectedList(const Action& action);
  // The user protected the process's bundle identifier.
  bool isProtected(const std::optional<std::string>& bundleIdentifier) const;
  // Notes where the pointer moved, which starts any rest afresh; called at every check and
  // every pointer movement.
  void watchPointer();
  // True while `condition` has held for longer than `grace`, counted from its first check.
  bool lasting(const std::string& key, bool condition, double grace);
  // The × has gone or the loop cannot look: the conditions about it start afresh.
  void forgetLasting();

  // InvariantQuits.cpp: quit requests and their messages (invariants 1, 3 and 7).
  std::optional<std::string> checkRequestsAndMessages();
  std::optional<std::string> checkQuitRequest(const QuitRequestRecord& record);
  std::optional<std::string> checkStatus(const Status& status);
  std::optional<std::string> checkOutstanding();

  // InvariantPresses.cpp: presses of the other buttons and the taps (invariants 2 and 10).
  std::optional<std::string> checkPresses();
  std::optional<std::string> checkHeldPresses();

  // InvariantButton.cpp: the × against the pointer and the Dock (invariants 4 and 8).
  std::optional<std::string> checkOverlay();
  std::optional<std::string> checkButtonPlace();
  // The one process the user can quit from the item named `name` now, if there is one.
  std::optional<AppIdentity> quittable(const std::string& name);
  std::optional<AppIdentity> findQuittable(const std::string& name);

  // InvariantTimers.cpp: timers and the main thread (invariants 5 and 6).
  std::optional<std::string> checkTimers();
  std::optional<std::string> checkStall();

  // InvariantReopen.cpp: what is opened again, and 重新打开 (invariant 9).
  std::optional<std::string> checkOpenRequests();
  std::optional<std::string> checkReopenOffer();

  ScenarioRunner& runner_;
  Desktop& desktop_;
  AppDelegate* attached_ = nullptr;
  uint64_t attachedSession_ = 0;
  std::shared_ptr<std::vector<Status>> statuses_;
  std::size_t statusesSeen_ = 0;
  std::size_t quitRequestsSeen_ = 0;
  std::size_t openRequestsSeen_ = 0;
  std::size_t otherMouseSeen_ = 0;
  std::optional<std::size_t> awaitedMessage_; // the quit request whose message must come next

  // The world as the commands made it.
  std::map<std::string, std::string, std::less<>> bundlePaths_;       // by app name, as declared
  std::map<std::string, std::string, std::less<>> bundleIdentifiers_; // the same
  std::set<std::string> protected_; // the bundle identifiers the user protected, in lower case
  std::set<std::string> suspensions_;
  uint64_t session_ = 0; // bumped at every launch and shutdown

  bool queueHeld_ = false;
  // At the start of the current step (or of the held queue's steps).
  int panelClicksBefore_ = 0;
  std::optional<AppIdentity> shownBefore_;
  std::size_t otherMouseBefore_ = 0;

  // The visible ×: the process its panel stands for, that process's name, and the one quittable
  // process of that name's item when it showed.
  std::optional<int32_t> shownPID_;
  std::string shownName_;
  std::optional<AppIdentity> shownFor_;

  // Where the pointer was at its last movement.
  Point pointerAt_;
  // The Dock item other than the ×'s own that the still pointer is on.
  std::optional<std::string> restingOn_;
  // At the last check: the process the visible × stood for (0: none shown), and the Dock items
  // under the pointer, within iconMargin. A step moves the pointer after the time it lets pass,
  // so the loop's steps before a check saw the pointer where the check before found it.
  int32_t buttonSeenFor_ = 0;
  std::set<std::string> itemsSeenUnderPointer_;
  std::vector<platform::MonitorToken> monitors_;

  std::vector<Request> requests_;
  std::optional<std::size_t> lateEnd_;   // the request whose late end may still be reported
  std::optional<std::size_t> lastEnded_; // the request whose end was reported last
  std::map<int64_t, Press> presses_;     // by button, while it is down
  std::map<std::string, double, std::less<>> since_;
  bool stallReported_ = false;
  // When the grant an active tap needs went, while it stays away.
  std::optional<double> grantLostAt_;
  uint64_t grantLosses_ = 0; // times the grant went
  std::size_t heldPressesSeen_ = 0;

  // The last answer of quittable() and what it depended on.
  struct Quittable {
    std::string name;
    uint64_t processChanges = 0;
    bool concealing = false;
    int32_t dockPID = 0;
    bool inDock = false;
    friend bool operator==(const Quittable&, const Quittable&) = default;
  };
  std::optional<std::pair<Quittable, std::optional<AppIdentity>>> quittable_;
};

} // namespace lumivane::sim
