#include "Invariants.hpp"

#include "Lumivane/AppDelegate.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "Timeline.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>
#include <string_view>
#include <utility>
#include <variant>

namespace lumivane::sim {

namespace {

// The system processes that must never be asked to quit, in lower case. Kept here on purpose
// rather than taken from Lumivane: the checks are an independent oracle.
constexpr std::array<std::string_view, 5> excludedBundleIDs{
    "com.apple.finder", "com.apple.dock", "com.apple.loginwindow", "com.apple.systemuiserver",
    "com.apple.controlcenter"};

constexpr double quitTimeout = 12;
// How long after the message that an application has quit the status line may offer to open it
// again, and how much later than that, or than the application's return, the offer may still
// show before the next look at it takes it away.
constexpr double reopenWindow = 60;
constexpr double reopenGrace = 1.1;
// Times the checks compare are sums of the same slices; this absorbs their rounding.
constexpr double epsilon = 1e-6;

// Bundle identifiers compare without regard to ASCII letter case.
std::string lowerASCII(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

bool isExcluded(std::string_view bundleIdentifier) {
  return std::ranges::find(excludedBundleIDs, lowerASCII(bundleIdentifier)) !=
         excludedBundleIDs.end();
}

// The key Lumivane keeps its protected-apps list under. Spelled out here rather than taken
// from Lumivane, like the excluded identifiers.
constexpr std::string_view protectedAppsKey = "protectedApps";

// A process by the bundle the system knows it by, whatever bundle URL the workspace gives it.
std::optional<AppIdentity> identityOf(const Desktop& desktop,
                                      const platform::ApplicationInfo& info) {
  const std::optional<std::string> bundle =
      info.launchDate ? desktop.bundleOf(info.pid, *info.launchDate) : std::nullopt;
  if (!bundle) {
    return std::nullopt;
  }
  return AppIdentity(info.pid, *bundle, *info.launchDate);
}

// The processes of the item under a press are exactly this one.
bool onlyOne(const Desktop& desktop, const std::vector<platform::ApplicationInfo>& processes,
             const AppIdentity& identity) {
  return processes.size() == 1 && identityOf(desktop, processes.front()) == identity;
}

// The name Lumivane knows a process by: its localized name, else its bundle's file name without
// the extension; empty when it has neither.
std::string appName(const platform::ApplicationInfo& info) {
  if (info.localizedName && !info.localizedName->empty()) {
    return *info.localizedName;
  }
  const std::string bundlePath = info.bundlePath.value_or("");
  std::string_view path = bundlePath;
  path = path.substr(path.find_last_of('/') + 1);
  return std::string(path.substr(0, std::min(path.find_last_of('.'), path.size())));
}

// What the checks call a process in their reports.
std::string displayName(const platform::ApplicationInfo& info) {
  std::string name = appName(info);
  return name.empty() ? "pid " + std::to_string(info.pid) : name;
}

std::string describe(const AppIdentity& identity) {
  const double launched =
      std::chrono::duration<double>(identity.launchedAt().time_since_epoch()).count();
  char date[32];
  std::snprintf(date, sizeof date, "%.3f", launched);
  return "pid " + std::to_string(identity.pid()) + " " + identity.bundlePath() + " launched at " +
         date;
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", value);
  return text;
}

std::string_view outcomeName(QuitOutcome outcome) {
  switch (outcome) {
  case QuitOutcome::refused:
    return "refusal";
  case QuitOutcome::waiting:
    return "waiting";
  case QuitOutcome::ended:
    return "end";
  case QuitOutcome::timedOut:
    return "time-out";
  }
  return "";
}

std::string describe(const QuitReport& report) {
  return "the " + std::string(outcomeName(report.outcome)) + " report for " + report.name + " (" +
         describe(report.identity) + ")";
}

bool endedIn(const AppIdentity& identity, const std::vector<platform::ApplicationInfo>& running) {
  // A terminated process the workspace still lists has ended.
  return std::ranges::none_of(running, [&](const platform::ApplicationInfo& info) {
    return !info.isTerminated && info.pid == identity.pid() &&
           info.launchDate == identity.launchedAt();
  });
}

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
        &InvariantChecker::Impl::checkHeldPresses}) {
    if (failure) {
      return failure;
    }
    failure = (this->*part)();
  }
  if (!failure && !stallReported_ && desktop_.runLoop().longestStall() > stallLimit + epsilon) {
    stallReported_ = true;
    failure = "invariant 6: a main-thread call blocked " +
              seconds(desktop_.runLoop().longestStall()) + ", more than " + seconds(stallLimit);
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

std::optional<std::string> InvariantChecker::Impl::checkRequestsAndMessages() {
  const auto& records = desktop_.quitRequests();
  const auto unanswered = [&] {
    return "invariant 3: the quit request to " + records[*awaitedMessage_].name +
           " got neither its waiting nor its refusal message";
  };
  // Requests and messages in the order they happened: each request's message comes next.
  const auto requestsUpTo = [&](std::size_t end) -> std::optional<std::string> {
    for (; quitRequestsSeen_ < end; ++quitRequestsSeen_) {
      if (awaitedMessage_) {
        return unanswered();
      }
      auto failure = checkQuitRequest(records[quitRequestsSeen_]);
      awaitedMessage_ = quitRequestsSeen_;
      if (failure) {
        ++quitRequestsSeen_;
        return failure;
      }
    }
    return std::nullopt;
  };
  if (statuses_) {
    for (; statusesSeen_ < statuses_->size(); ++statusesSeen_) {
      const Status& status = (*statuses_)[statusesSeen_];
      if (auto failure = requestsUpTo(status.quitRequestsBefore)) {
        return failure;
      }
      if (auto failure = checkStatus(status)) {
        ++statusesSeen_;
        return failure;
      }
    }
  }
  if (auto failure = requestsUpTo(records.size())) {
    return failure;
  }
  // The message comes within the same call as the request.
  if (awaitedMessage_) {
    return unanswered();
  }
  return std::nullopt;
}

std::optional<std::string>
InvariantChecker::Impl::checkQuitRequest(const QuitRequestRecord& record) {
  const platform::ApplicationInfo& process = record.process;
  const std::string who =
      "a quit request to " + displayName(process) + " (pid " + std::to_string(record.pid) + ")";
  const auto refuse = [&](const std::string& why) { return "invariant 1: " + who + " " + why; };
  if (attached_ == nullptr) {
    return refuse("while Lumivane is not running");
  }
  if (record.pid == desktop_.ownPID()) {
    return refuse("that is Lumivane itself");
  }
  const std::optional<AppIdentity> identity = identityOf(desktop_, process);
  if (!identity) {
    return refuse("without a bundle path or launch date");
  }
  if (process.activationPolicy != platform::ActivationPolicy::regular) {
    return refuse("that is not a regular application");
  }
  if (!process.isFinishedLaunching) {
    return refuse("that has not finished launching");
  }
  if (isExcluded(process.bundleIdentifier.value_or(""))) {
    return refuse("that is the excluded " + process.bundleIdentifier.value_or(""));
  }
  if (record.copies != 1) {
    return refuse("while " + std::to_string(record.copies) + " copies of its bundle run");
  }
  if (isProtected(process.bundleIdentifier)) {
    return "invariant 7: " + who + " that the user protected (" +
           process.bundleIdentifier.value_or("") + ")";
  }
  const bool clicked = desktop_.panel().clicks > panelClicksBefore_ && shownBefore_ == identity;
  const auto& events = desktop_.otherMouseEvents();
  const bool pressed =
      std::any_of(events.begin() + static_cast<std::ptrdiff_t>(otherMouseBefore_), events.end(),
                  [&](const OtherMouseRecord& event) {
                    return event.type == platform::tapEventType::otherMouseDown &&
                           event.button == 2 &&
                           (onlyOne(desktop_, event.itemProcesses, *identity) ||
                            onlyOne(desktop_, event.itemProcessesAfter, *identity));
                  });
  if (!clicked && !pressed) {
    const std::string shown = shownBefore_ ? describe(*shownBefore_) : "nothing";
    return refuse("(" + describe(*identity) + ") the user did not point at; the × stood for " +
                  shown);
  }
  if (record.delivered) {
    const bool repeated = std::ranges::any_of(requests_, [&](const Request& request) {
      return request.state == Request::State::waiting && request.identity == *identity;
    });
    if (repeated) {
      return "invariant 3: " + who + " while its earlier request is still pending";
    }
    requests_.push_back({*identity, displayName(process), record.time, Request::State::waiting,
                         std::nullopt, process.bundleIdentifier, std::nullopt, false});
  }
  return std::nullopt;
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

std::optional<std::string> InvariantChecker::Impl::checkStatus(const Status& status) {
  const QuitReport& report = status.report;
  // Every report replaces the one time-out whose late end may still come.
  const std::optional<std::size_t> lateEnd = std::exchange(lateEnd_, std::nullopt);

  if (awaitedMessage_) {
    const QuitRequestRecord& record = desktop_.quitRequests()[*awaitedMessage_];
    const QuitOutcome expected = record.delivered ? QuitOutcome::waiting : QuitOutcome::refused;
    const std::string name = displayName(record.process);
    awaitedMessage_.reset();
    if (report.outcome != expected || report.identity != identityOf(desktop_, record.process) ||
        report.name != appName(record.process)) {
      return "invariant 3: the quit request to " + name + " was followed by " + describe(report) +
             " instead of its " + std::string(outcomeName(expected)) + " report";
    }
    return std::nullopt;
  }
  const auto pending = [&](const Request& request) {
    return request.state == Request::State::waiting && request.identity == report.identity;
  };
  switch (report.outcome) {
  case QuitOutcome::refused:
  case QuitOutcome::waiting:
    return "invariant 3: " + describe(report) + " without a quit request";
  case QuitOutcome::ended: {
    const auto ended = std::ranges::find_if(requests_, [&](const Request& request) {
      return pending(request) && endedIn(request.identity, status.running);
    });
    if (ended != requests_.end()) {
      ended->state = Request::State::ended;
      ended->endedAt = status.time;
      lastEnded_ = static_cast<std::size_t>(ended - requests_.begin());
      return std::nullopt;
    }
    if (lateEnd && requests_[*lateEnd].identity == report.identity &&
        endedIn(report.identity, status.running)) {
      requests_[*lateEnd].state = Request::State::ended;
      requests_[*lateEnd].endedAt = status.time;
      lastEnded_ = lateEnd;
      return std::nullopt;
    }
    return "invariant 3: " + describe(report) + " at " + seconds(status.time) +
           " for no request whose application had ended unreported";
  }
  case QuitOutcome::timedOut: {
    const auto timedOut = std::ranges::find_if(requests_, [&](const Request& request) {
      return pending(request) && status.time - request.begin >= quitTimeout - epsilon &&
             !endedIn(request.identity, status.running);
    });
    if (timedOut == requests_.end()) {
      return "invariant 3: " + describe(report) + " at " + seconds(status.time) +
             " for no request pending 12 s whose application still ran";
    }
    timedOut->state = Request::State::timedOut;
    lateEnd_ = static_cast<std::size_t>(timedOut - requests_.begin());
    return std::nullopt;
  }
  }
  return std::nullopt;
}

std::optional<std::string> InvariantChecker::Impl::checkOutstanding() {
  const double now = desktop_.now();
  for (Request& request : requests_) {
    if (request.state != Request::State::waiting) {
      continue;
    }
    const int32_t pid = request.identity.pid();
    const bool gone =
        !desktop_.isRunning(pid) || desktop_.launchDate(pid) != request.identity.launchedAt();
    if (gone && !request.goneSince) {
      request.goneSince = now;
    }
    if (request.goneSince && now - *request.goneSince > messageGrace) {
      return "invariant 3: " + request.name + " ended at " + seconds(*request.goneSince) +
             " and no message said so";
    }
    if (now - request.begin > quitTimeout + messageGrace) {
      return "invariant 3: the request to " + request.name + " at " + seconds(request.begin) +
             " had no outcome 12 s later";
    }
  }
  return std::nullopt;
}

std::optional<std::string> InvariantChecker::Impl::checkPresses() {
  const auto& events = desktop_.otherMouseEvents();
  for (; otherMouseSeen_ < events.size(); ++otherMouseSeen_) {
    const OtherMouseRecord& event = events[otherMouseSeen_];
    if (event.type == platform::tapEventType::otherMouseDown) {
      presses_[event.button] = {event.listened, event.swallowed, event.toDock, session_,
                                grantLosses_};
      continue;
    }
    const auto press = presses_.find(event.button);
    if (event.type != platform::tapEventType::otherMouseUp || press == presses_.end()) {
      continue;
    }
    const Press down = press->second;
    presses_.erase(press);
    // Only Lumivane's own gestures, and only while the system let taps see both halves and all
    // between them.
    if (down.session != session_ || attached_ == nullptr || !down.listened || !event.listened ||
        down.grantLosses != grantLosses_) {
      continue;
    }
    const std::string button = "button " + std::to_string(event.button);
    if (down.swallowed && event.toDock) {
      return "invariant 2: the Dock received the release of " + button +
             " whose press was swallowed";
    }
    if (down.toDock && event.swallowed) {
      return "invariant 2: the release of " + button +
             " was swallowed though the Dock received its press";
    }
  }
  return std::nullopt;
}

// Seen from the user's side: a press away from the Dock must reach what is under the pointer.
// A tap whose process lost the grant keeps it from everything; Lumivane has one poll to notice.
std::optional<std::string> InvariantChecker::Impl::checkHeldPresses() {
  const double now = desktop_.now();
  if (desktop_.platform().eventTaps.preflightPostEventAccess()) {
    grantLostAt_.reset();
  } else if (!grantLostAt_) {
    grantLostAt_ = now;
    ++grantLosses_;
  }
  const auto& events = desktop_.otherMouseEvents();
  for (; heldPressesSeen_ < events.size(); ++heldPressesSeen_) {
    const OtherMouseRecord& event = events[heldPressesSeen_];
    if (event.type == platform::tapEventType::otherMouseDown && event.heldBack && !event.overDock &&
        grantLostAt_ && now - *grantLostAt_ > pollGrace + epsilon) {
      ++heldPressesSeen_;
      return "invariant 10: a press of button " + std::to_string(event.button) +
             " away from the Dock was held back " + seconds(now - *grantLostAt_) +
             " after the grant went, longer than one permission poll";
    }
  }
  return std::nullopt;
}

std::optional<AppIdentity> InvariantChecker::Impl::quittable(const std::string& name) {
  const Quittable key{name, desktop_.processChanges(), desktop_.dockConcealing(),
                      desktop_.dockPID(), desktop_.dockItemNamed(name).has_value()};
  if (!quittable_ || quittable_->first != key) {
    quittable_.emplace(key, findQuittable(name));
  }
  return quittable_->second;
}

std::optional<AppIdentity> InvariantChecker::Impl::findQuittable(const std::string& name) {
  const auto path = bundlePaths_.find(name);
  if (path == bundlePaths_.end() || desktop_.dockConcealing() || desktop_.dockPID() == 0 ||
      !desktop_.dockItemNamed(name)) {
    return std::nullopt;
  }
  // The processes of the item's bundle as the system knows them, whatever bundle URL the
  // workspace gives them.
  std::optional<platform::ApplicationInfo> found;
  int copies = 0;
  for (platform::ApplicationInfo& info : desktop_.processesFrom(path->second)) {
    if (!info.isTerminated) {
      ++copies;
      found = std::move(info);
    }
  }
  if (copies != 1 || found->activationPolicy != platform::ActivationPolicy::regular ||
      !found->isFinishedLaunching || isExcluded(found->bundleIdentifier.value_or("")) ||
      found->pid == desktop_.ownPID()) {
    return std::nullopt;
  }
  return identityOf(desktop_, *found);
}

std::optional<std::string> InvariantChecker::Impl::checkOverlay() {
  const PanelRecord& panel = desktop_.panel();
  if (!panel.visible) {
    shownPID_.reset();
    shownFor_.reset();
    forgetLasting();
    return std::nullopt;
  }
  if (shownPID_ != panel.pid) {
    shownPID_ = panel.pid;
    shownName_ = desktop_.appName(panel.pid).value_or("pid " + std::to_string(panel.pid));
    shownFor_ = quittable(shownName_);
  }
  const std::string& name = shownName_;
  const std::optional<AppIdentity> current = quittable(name);
  const std::string shows = "invariant 4: a × for " + name + " shows";
  if (attached_ == nullptr) {
    return shows + " while Lumivane is not running";
  }
  if (!suspensions_.empty()) {
    return shows + " while suspended (" + *suspensions_.begin() + ")";
  }
  if (!attached_->settings()->hoverEnabled()) {
    return shows + " while hover is switched off";
  }
  const bool pending = std::ranges::any_of(requests_, [&](const Request& request) {
    return request.state == Request::State::waiting && request.identity.pid() == panel.pid &&
           desktop_.isRunning(request.identity.pid()) &&
           desktop_.launchDate(request.identity.pid()) == request.identity.launchedAt();
  });
  if (pending) {
    return shows + " while its quit request is pending";
  }
  // Protecting an app takes its × away at once, even from under a pressed button.
  if (!protected_.empty()) {
    const auto process = desktop_.platform().workspace.application(panel.pid);
    if (process && isProtected(process->bundleIdentifier)) {
      return "invariant 7: a × for " + name + " shows though the user protected it";
    }
  }
  // A left press held on the × freezes the hover loop until the click lands, whose own checks
  // decide then: what only the loop would notice cannot be asked of it meanwhile.
  const Rect button = DockGeometry::appKitRect(panel.frame, primaryTop(desktop_));
  if (desktop_.platform().mouse.pressedButtons() == 1 && contains(button, desktop_.pointer())) {
    forgetLasting();
    return std::nullopt;
  }
  if (lasting("concealed", desktop_.dockConcealing(), loopGrace)) {
    return shows + " while the Dock is out of sight or sliding away";
  }
  if (lasting("accessibility", !desktop_.accessibilityGranted(), loopGrace)) {
    return shows + " without Accessibility";
  }
  if (lasting("quittable", !current || current != shownFor_, loopGrace)) {
    return shows + " though its item is not one quittable application" +
           (shownFor_ && current != shownFor_ ? " (the process it showed for is gone)" : "");
  }
  return std::nullopt;
}

std::optional<std::string> InvariantChecker::Impl::checkTimers() {
  if (attached_ == nullptr) {
    const std::size_t left = desktop_.runLoop().activeTimerCount();
    if (session_ > 0 && left != 0) {
      return "invariant 5: " + std::to_string(left) + " timer(s) left after shutdown";
    }
    return std::nullopt;
  }
  const std::vector<Rect> screens = desktop_.screenFrames();
  const bool far =
      !DockGeometry::nearDockEdge(desktop_.pointer(), screens, DockObserver::edgeMargin);
  if (lasting("idle loop", attached_->hover().isLooping() && far && !desktop_.panel().visible,
              idleLoopGrace)) {
    return std::string("invariant 5: the hover loop runs with the pointer far from every Dock "
                       "edge and no ×");
  }
  const bool waiting = std::ranges::any_of(
      requests_, [](const Request& request) { return request.state == Request::State::waiting; });
  if (attached_->quitter()->isChecking() && !waiting) {
    return std::string("invariant 5: the pending check runs while nothing is pending");
  }
  if (attached_->reopener()->isChecking() && !attached_->runtime()->offersReopen()) {
    return std::string("invariant 5: the check of 重新打开 runs while the line offers none");
  }
  return std::nullopt;
}

// Lumivane opens an application only to take back one of its own quits, as the user saw them: the
// bundle of a process its quit request ended, after the message said so, within a minute of it,
// once per quit, never while a copy of the application runs or once the user protected it.
std::optional<std::string> InvariantChecker::Impl::checkOpenRequests() {
  const auto& records = desktop_.openRequests();
  while (openRequestsSeen_ < records.size()) {
    const OpenRequestRecord& record = records[openRequestsSeen_++];
    const std::string opened = "invariant 9: Lumivane asked at " + seconds(record.time) +
                               " to open " +
                               (record.name.empty() ? record.bundlePath : record.name);
    if (runner_.coordinator() == nullptr) {
      return opened + " while it was not running";
    }
    if (record.copies > 0) {
      return opened + " while " + std::to_string(record.copies) + " of its processes ran";
    }
    Request* quit = nullptr;
    bool again = false;
    bool late = false;
    for (auto request = requests_.rbegin(); request != requests_.rend() && quit == nullptr;
         ++request) {
      if (!request->endedAt || request->identity.bundlePath() != record.bundlePath ||
          *request->endedAt > record.time + epsilon) {
        continue;
      }
      if (request->reopened) {
        again = true;
      } else if (record.time - *request->endedAt > reopenWindow + epsilon) {
        late = true;
      } else {
        quit = &*request;
      }
    }
    if (quit == nullptr) {
      return opened + (again  ? " a second time for one quit"
                       : late ? " more than 60 s after it quit"
                              : ", which it had not quit");
    }
    if (isProtected(quit->bundleIdentifier)) {
      return opened + ", which the user protected (" + quit->bundleIdentifier.value_or("") + ")";
    }
    quit->reopened = true;
  }
  return std::nullopt;
}

// 重新打开 shows only for a while after a quit it can take back, and not once the application
// runs again: the next look at the offer, a second later, takes it away.
std::optional<std::string> InvariantChecker::Impl::checkReopenOffer() {
  const bool offered = attached_ != nullptr && attached_->runtime()->offersReopen();
  const Request* latest = lastEnded_ ? &requests_[*lastEnded_] : nullptr;
  if (offered && (latest == nullptr ||
                  desktop_.now() - *latest->endedAt > reopenWindow + reopenGrace + epsilon)) {
    return std::string("invariant 9: 重新打开 shows with no quit of the last minute to take back");
  }
  bool runsAgain = false;
  if (offered) {
    for (const platform::ApplicationInfo& info :
         desktop_.platform().workspace.runningApplications()) {
      runsAgain =
          runsAgain || (!info.isTerminated && info.bundlePath == latest->identity.bundlePath());
    }
  }
  if (lasting("runs again", runsAgain, reopenGrace)) {
    return "invariant 9: 重新打开 still shows for " + latest->name + ", which runs again";
  }
  return std::nullopt;
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

// Where the × is against the pointer and the Dock, as the user sees them: it appears only
// beside the icon under the pointer, goes once the pointer has rested on another item for the
// hide delay, and never covers another item. Frames are the Dock's as it shows them now.
std::optional<std::string> InvariantChecker::Impl::checkButtonPlace() {
  const PanelRecord& panel = desktop_.panel();
  const Point pointer = desktop_.pointer();
  // An open item menu lies above the icons: the pointer on it is on no item.
  const std::optional<Rect> menu = desktop_.dockMenuFrame();
  const bool onMenu = menu && contains(*menu, pointer);
  const auto onItem = [&](int item, double margin) {
    const Rect frame = desktop_.itemFrame(item);
    return !onMenu && area(frame) > 0 &&
           contains(Rect{frame.minX() - margin, frame.minY() - margin,
                         frame.absWidth() + 2 * margin, frame.absHeight() + 2 * margin},
                    pointer);
  };
  std::set<std::string> underPointer;
  for (int item = 0; item < static_cast<int>(desktop_.dockItemCount()); ++item) {
    if (onItem(item, iconMargin)) {
      underPointer.insert(desktop_.dockItemName(item));
    }
  }
  const std::set<std::string> underPointerBefore =
      std::exchange(itemsSeenUnderPointer_, std::move(underPointer));
  const int32_t shown = panel.visible ? panel.pid : 0;
  const bool appeared = shown != 0 && shown != buttonSeenFor_;
  buttonSeenFor_ = shown;
  if (shown == 0 || attached_ == nullptr) {
    since_.erase("rests elsewhere");
    since_.erase("covers");
    return std::nullopt;
  }
  const std::string name = desktop_.appName(shown).value_or("pid " + std::to_string(shown));
  const std::optional<int> own = desktop_.dockItemNamed(name);
  if (appeared &&
      (!own || (!itemsSeenUnderPointer_.contains(name) && !underPointerBefore.contains(name)))) {
    return "invariant 8: a × for " + name + " appeared with the pointer off its icon";
  }
  std::optional<std::string> elsewhere;
  bool covers = false;
  const Rect button = DockGeometry::appKitRect(panel.frame, primaryTop(desktop_));
  for (int item = 0; item < static_cast<int>(desktop_.dockItemCount()); ++item) {
    if (item == own || !(area(desktop_.itemFrame(item)) > 0)) {
      continue;
    }
    if (!elsewhere && onItem(item, 0)) {
      elsewhere = desktop_.dockItemName(item);
    }
    covers = covers || intersects(desktop_.itemFrame(item), button);
  }
  // A left press held on the × freezes the hover loop until the click lands.
  if (desktop_.platform().mouse.pressedButtons() == 1 && contains(button, pointer)) {
    since_.erase("covers");
    return std::nullopt;
  }
  // The rest is counted from when the pointer was first seen still on that item: an item that
  // slides under a resting pointer starts a rest of its own.
  if (elsewhere != restingOn_) {
    since_.erase("rests elsewhere");
    restingOn_ = elsewhere;
  }
  if (lasting("rests elsewhere", elsewhere.has_value(), hideDelay + restGrace)) {
    return "invariant 8: a × for " + name + " shows while the pointer has rested on " + *elsewhere +
           " for longer than the hide delay";
  }
  if (lasting("covers", covers, coverGrace)) {
    return "invariant 8: the × for " + name + " covers another Dock item";
  }
  return std::nullopt;
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
