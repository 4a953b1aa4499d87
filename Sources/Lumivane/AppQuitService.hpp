#pragma once

#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/Texts.hpp"
#include "LumivaneCore/AppIdentity.hpp"
#include "LumivaneCore/QuitLedger.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace lumivane {

// What became of one quit request, reported as it happens: the outcome, the process instance it
// was sent to, and the name and bundle identifier it had when it was sent (empty when it had
// none).
struct QuitReport {
  QuitOutcome outcome = QuitOutcome::waiting;
  AppIdentity identity;
  std::string name;
  std::string bundleIdentifier;
};

// The one place that asks another application to quit: re-checks the snapshot against the live
// process table, sends the normal quit request, and follows it until the application ends or
// the time-out passes. Main thread; onStatus and onRequest fire from request(), from the pending
// check's timer and from the termination notification.
class AppQuitService : public std::enable_shared_from_this<AppQuitService> {
public:
  static constexpr double pendingCheckInterval = 0.25;
  static constexpr double pendingCheckTolerance = 0.05;
  static constexpr double quitTimeout = 12.0;

  // Creates the service and registers its termination observer.
  static std::shared_ptr<AppQuitService> create(platform::Platform& platform);

  void request(const RunningApp& app);
  bool isPending(const AppIdentity& identity) const;
  // Stops the timer and the termination observer; pending requests are no longer followed.
  void stop();
  // True while the pending check's timer exists.
  bool isChecking() const { return timer_ != nullptr; }

  std::function<void(const QuitReport& report)> onStatus;
  std::function<void(const AppIdentity& identity)> onRequest;
  // True for a bundle identifier the user asked Lumivane to leave alone: such an application is
  // refused like an excluded system process. Absent: none is.
  std::function<bool(std::string_view bundleIdentifier)> isProtected;

  explicit AppQuitService(platform::Platform& platform);

private:
  // What a request was sent to, as its reports name it.
  struct Target {
    std::string name;
    std::string bundleIdentifier;
  };
  struct TimedOut {
    AppIdentity identity;
    Target target;
  };

  void checkPending();
  void checkLateTermination();
  void report(QuitOutcome outcome, const AppIdentity& identity, Target target);
  bool hasEnded(const AppIdentity& identity);
  // Forgets the pending request's target; an unnamed one when none was kept.
  Target takeTarget(const AppIdentity& identity);

  platform::Platform& platform_;
  QuitLedger ledger_;
  std::unordered_map<AppIdentity, Target> targets_;
  std::unique_ptr<platform::Timer> timer_;
  std::optional<platform::SubscriptionToken> terminationObserver_;
  std::optional<TimedOut> lastTimedOut_;
};

} // namespace lumivane
