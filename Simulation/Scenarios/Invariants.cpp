#include "Invariants.hpp"

#include "InvariantOracle.hpp"
#include "Lumivane/AppDelegate.hpp"

#include <ostream>
#include <utility>
#include <variant>

// The checker itself: what it follows of the commands and the notices, the order of the checks,
// and the conditions that must last before they count. Invariants.hpp says where each group of
// checks lives.

namespace lumivane::sim {

namespace {

using oracle::lowerASCII;

// The key Lumivane keeps its protected-apps list under. Spelled out here rather than taken
// from Lumivane, like the excluded identifiers.
constexpr std::string_view protectedAppsKey = "protectedApps";

std::optional<std::string> suspensionReason(platform::Notification notification, bool& begins) {
  using platform::Notification;
  switch (notification) {
  case Notification::willSleep:
  case Notification::didWake:
    begins = notification == Notification::willSleep;
    return "sleep";
  case Notification::screensDidSleep:
  case Notification::screensDidWake:
    begins = notification == Notification::screensDidSleep;
    return "display sleep";
  case Notification::sessionDidResignActive:
  case Notification::sessionDidBecomeActive:
    begins = notification == Notification::sessionDidResignActive;
    return "session switched away";
  case Notification::screenIsLocked:
  case Notification::screenIsUnlocked:
    begins = notification == Notification::screenIsLocked;
    return "lock";
  default:
    return std::nullopt;
  }
}

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

InvariantChecker::Impl::Impl(ScenarioRunner& runner) : runner_(runner), desktop_(runner.desktop()) {
  runner_.onCommand = [this](const Command& command) { willRun(command); };
  runner_.onCheck = [this] { return check(); };
  // Suspended as Lumivane can know it: from the notices as they are delivered, which may be a
  // turn of the main queue after the event.
  using platform::Notification;
  for (const Notification notification :
       {Notification::willSleep, Notification::didWake, Notification::screensDidSleep,
        Notification::screensDidWake, Notification::sessionDidResignActive,
        Notification::sessionDidBecomeActive, Notification::screenIsLocked,
        Notification::screenIsUnlocked}) {
    const auto centre = notification == Notification::screenIsLocked ||
                                notification == Notification::screenIsUnlocked
                            ? platform::NotificationCenter::distributed
                            : platform::NotificationCenter::workspace;
    desktop_.platform().notifications.subscribe(centre, notification, [this, notification] {
      bool begins = false;
      if (const auto reason = suspensionReason(notification, begins)) {
        if (begins) {
          suspensions_.insert(*reason);
        } else {
          suspensions_.erase(*reason);
        }
      }
    });
  }
  // Every movement of the pointer that reaches the monitors, over Lumivane's panel or elsewhere,
  // and every left press: a tap may swallow the drags of a held middle button, never the press
  // that clicks the ×.
  using namespace platform::mouseEventType;
  constexpr uint64_t looks = uint64_t{1} << mouseMoved | uint64_t{1} << leftMouseDragged |
                             uint64_t{1} << rightMouseDragged | uint64_t{1} << otherMouseDragged |
                             uint64_t{1} << leftMouseDown;
  platform::Mouse& mouse = desktop_.platform().mouse;
  monitors_ = {mouse.addGlobalMonitor(looks, [this](int) { watchPointer(); }),
               mouse.addLocalMonitor(looks, [this](int) { watchPointer(); })};
}

InvariantChecker::Impl::~Impl() {
  for (const platform::MonitorToken token : monitors_) {
    desktop_.platform().mouse.removeMonitor(token);
  }
}

void InvariantChecker::Impl::willRun(const Command& command) {
  std::visit(Overloaded{
                 // Where each item says its bundle is: what the user points at.
                 [&](const command::App& app) {
                   bundlePaths_.insert_or_assign(app.profile.name, app.itemPath.empty()
                                                                       ? app.profile.bundlePath
                                                                       : app.itemPath);
                 },
                 [&](const command::DockItem& item) {
                   if (item.kind == DockItemKind::application) {
                     bundlePaths_.insert_or_assign(item.name, item.target);
                   }
                 },
                 [&](const command::Launch&) {
                   ++session_;
                   suspensions_.clear();
                 },
                 [&](const command::Shutdown&) { ++session_; },
                 [](const auto&) {},
             },
             command.action);
  followProtectedList(command.action);
  // While the main queue is held, what the user pointed at waits with it: a quit deferred by a
  // press runs in the turn at the release.
  const auto* queue = std::get_if<command::Queue>(&command.action);
  if (!queueHeld_) {
    panelClicksBefore_ = desktop_.panel().clicks;
    shownBefore_ = desktop_.panel().visible ? shownFor_ : std::nullopt;
    otherMouseBefore_ = desktop_.otherMouseEvents().size();
  }
  if (queue != nullptr) {
    queueHeld_ = queue->hold;
  }
}

std::optional<std::string> InvariantChecker::Impl::check() {
  watchPointer();
  auto failure = checkRequestsAndMessages();
  // Judged against the quits of the Lumivane that asked, before a new one is attached.
  if (!failure) {
    failure = checkOpenRequests();
  }
  attach();
  for (const auto part :
       {&InvariantChecker::Impl::checkOutstanding, &InvariantChecker::Impl::checkPresses,
        &InvariantChecker::Impl::checkOverlay, &InvariantChecker::Impl::checkButtonPlace,
        &InvariantChecker::Impl::checkTimers, &InvariantChecker::Impl::checkReopenOffer,
        &InvariantChecker::Impl::checkHeldPresses, &InvariantChecker::Impl::checkStall}) {
    if (failure) {
      return failure;
    }
    failure = (this->*part)();
  }
  return failure;
}

// A new coordinator gets its quit service's messages recorded on their way to the status line;
// requests of one that quit are no longer followed.
void InvariantChecker::Impl::attach() {
  AppDelegate* coordinator = runner_.coordinator();
  // A new coordinator may take the address of the one before it.
  if (coordinator == attached_ && attachedSession_ == session_) {
    return;
  }
  attached_ = coordinator;
  attachedSession_ = session_;
  requests_.clear();
  lateEnd_.reset();
  lastEnded_.reset();
  if (coordinator == nullptr) {
    return;
  }
  statuses_ = std::make_shared<std::vector<Status>>();
  statusesSeen_ = 0;
  AppQuitService& quitter = *coordinator->quitter();
  quitter.onStatus = [original = std::move(quitter.onStatus), sink = statuses_,
                      &desktop = desktop_](const QuitReport& report) {
    sink->push_back({report, desktop.now(), desktop.quitRequests().size(),
                     desktop.platform().workspace.runningApplications()});
    if (original) {
      original(report);
    }
  };
}

// The list as Lumivane reads it at launch (a stored list of texts; nothing from any other
// value), then as the user changes it.
void InvariantChecker::Impl::followProtectedList(const Action& action) {
  if (const auto* app = std::get_if<command::App>(&action)) {
    bundleIdentifiers_.insert_or_assign(app->profile.name, app->profile.bundleIdentifier);
  }
  if (const auto* value = std::get_if<command::Default>(&action);
      value != nullptr && value->key == protectedAppsKey) {
    protected_.clear();
    if (const auto* list = std::get_if<std::vector<std::string>>(&value->value)) {
      for (const std::string& identifier : *list) {
        if (!identifier.empty()) {
          protected_.insert(lowerASCII(identifier));
        }
      }
    }
  }
  if (const auto* change = std::get_if<command::Protect>(&action)) {
    const auto identifier = bundleIdentifiers_.find(change->name);
    if (identifier == bundleIdentifiers_.end()) {
      return;
    }
    if (change->isProtected) {
      protected_.insert(lowerASCII(identifier->second));
    } else {
      protected_.erase(lowerASCII(identifier->second));
    }
  }
}

bool InvariantChecker::Impl::isProtected(const std::optional<std::string>& bundleIdentifier) const {
  return bundleIdentifier && protected_.contains(lowerASCII(*bundleIdentifier));
}

void InvariantChecker::Impl::watchPointer() {
  const Point pointer = desktop_.pointer();
  if (pointer != pointerAt_) {
    pointerAt_ = pointer;
    // A rest starts afresh wherever the pointer stops next.
    since_.erase("rests elsewhere");
    restingOn_.reset();
  }
}

void InvariantChecker::Impl::forgetLasting() {
  for (const std::string_view key : {"accessibility", "concealed", "quittable"}) {
    since_.erase(std::string(key));
  }
}

bool InvariantChecker::Impl::lasting(const std::string& key, bool condition, double grace) {
  if (!condition) {
    since_.erase(key);
    return false;
  }
  const double now = desktop_.now();
  const auto entry = since_.try_emplace(key, now).first;
  return now - entry->second > grace;
}

InvariantChecker::InvariantChecker(ScenarioRunner& runner)
    : impl_(std::make_unique<Impl>(runner)) {}

InvariantChecker::~InvariantChecker() = default;

std::size_t InvariantChecker::quitRequests() const {
  return impl_->quitRequests();
}

int runCheckedScenarioText(std::string_view text, std::ostream& timeline, std::ostream& errors) {
  const auto parsed = parseScenario(text);
  if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
    errors << error->describe() << '\n';
    return scenarioMalformed;
  }
  ScenarioRunner runner(timeline);
  InvariantChecker checker(runner);
  const ScenarioResult result = runner.run(std::get<Scenario>(parsed));
  if (!result.passed) {
    errors << result.failure << '\n';
    return scenarioFailed;
  }
  return scenarioPassed;
}

} // namespace lumivane::sim
