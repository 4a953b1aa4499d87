#include "Runner.hpp"

#include "Verbs.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lumivane::sim {

namespace {

// Steps and waits advance the clock in slices this long, so that the timeline has real times.
constexpr double slice = 1.0 / 60;
// The display used when a script declares none.
constexpr Rect defaultScreen{0, 0, 1440, 900};
constexpr std::string_view lumivaneExecutable =
    "/Applications/Lumivane.app/Contents/MacOS/Lumivane";

// A step that needs Lumivane after a shutdown.
Failure notRunning() {
  return std::string("Lumivane is not running");
}

// Desktop set-up, not echoed before the first launch.
bool isSetUp(const Action& action) {
  const verbs::Verb* verb = verbs::of(action);
  return verb != nullptr &&
         (verb->phase == verbs::Phase::setUp || verb->phase == verbs::Phase::either);
}

} // namespace

ScenarioRunner::Impl::Impl(ScenarioRunner& owner, std::ostream& timeline)
    : owner_(owner), timeline_(desktop_, timeline) {
  // Lumivane as set up by its user: both permissions granted until a script says otherwise.
  desktop_.setAccessibility(true);
  desktop_.setInputMonitoring(true);
}

ScenarioRunner::Impl::~Impl() {
  if (delegate_) {
    quitLumivane();
  }
}

ScenarioResult ScenarioRunner::Impl::run(const Scenario& scenario) {
  setUpDisplays(scenario);
  for (const Command& command : scenario.commands) {
    if (ScenarioResult result = run(command); !result.passed) {
      return result;
    }
  }
  return {};
}

ScenarioResult ScenarioRunner::Impl::run(const Command& command) {
  if (owner_.onCommand) {
    owner_.onCommand(command);
  }
  launched_ = launched_ || std::holds_alternative<command::Launch>(command.action);
  if (launched_ || !isSetUp(command.action)) {
    timeline_.write(timeline_.now(), "> " + command.source);
  }
  // Each step is a new entry into the main thread, as an event from the user or the system.
  desktop_.runLoop().beginCall();
  auto failure = std::visit([this](const auto& action) { return perform(action); }, command.action);
  if (!held_) {
    desktop_.runLoop().drain();
  }
  timeline_.flush();
  if (!failure) {
    failure = check();
  }
  if (failure) {
    return {false, "line " + std::to_string(command.line) + ": " + syntax::printable(*failure)};
  }
  return {};
}

// The file system's links, the displays and the Dock come first whatever their place among the
// set-up lines.
void ScenarioRunner::Impl::setUpDisplays(const Scenario& scenario) {
  std::optional<command::Dock> dock;
  for (const Command& command : scenario.commands) {
    if (const auto* link = std::get_if<command::Symlink>(&command.action)) {
      desktop_.addSymlink(link->from, link->to);
    } else if (const auto* screen = std::get_if<command::Screen>(&command.action)) {
      desktop_.addScreen(screen->frame);
    } else if (const auto* placement = std::get_if<command::Dock>(&command.action)) {
      dock = *placement;
    }
  }
  if (desktop_.screenFrames().empty()) {
    desktop_.addScreen(defaultScreen);
  }
  const command::Dock placement = dock.value_or(command::Dock{});
  desktop_.placeDock(placement.edge, placement.screen, placement.iconSize, placement.magnifiedSize,
                     placement.autohide);
}

// Done by setUpDisplays.
Failure ScenarioRunner::Impl::perform(const command::Symlink&) {
  return std::nullopt;
}

// Done by setUpDisplays.
Failure ScenarioRunner::Impl::perform(const command::Screen&) {
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Dock&) {
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::App& app) {
  profiles_.insert_or_assign(app.profile.name, app.profile);
  for (int copy = 0; copy < app.copies; ++copy) {
    timeline_.launched(desktop_.launch(app.profile), app.profile.name);
  }
  desktop_.addDockApplication(
      app.profile.name, app.itemPath.empty() ? app.profile.bundlePath : app.itemPath, app.pinned);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::DockItem& item) {
  if (item.kind == DockItemKind::application) {
    desktop_.addDockApplication(item.name, item.target);
  } else {
    desktop_.addDockItem(item.kind, item.name, item.target);
  }
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Default& value) {
  if (const auto* flag = std::get_if<bool>(&value.value)) {
    desktop_.setDefault(value.key, *flag);
  } else if (const auto* text = std::get_if<std::string>(&value.value)) {
    desktop_.setDefault(value.key, std::string_view(*text));
  } else {
    desktop_.setDefault(value.key, std::get<std::vector<std::string>>(value.value));
  }
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Permission& permission) {
  if (permission.removed) {
    desktop_.removeFromAccessibilityList();
  } else if (permission.kind == command::Permission::Kind::accessibility) {
    desktop_.setAccessibility(permission.granted);
  } else {
    desktop_.setInputMonitoring(permission.granted);
  }
  return std::nullopt;
}

// A second launch quits the running Lumivane first; the defaults it wrote stay.
Failure ScenarioRunner::Impl::perform(const command::Launch& launch) {
  if (delegate_) {
    quitLumivane();
  }
  stopped_.reset();
  std::vector<std::string> arguments{std::string(lumivaneExecutable)};
  if (launch.welcome) {
    arguments.emplace_back(AppDelegate::welcomeArgument);
  }
  desktop_.setArguments(std::move(arguments));
  firstWindow_ = desktop_.shell().windows.size();
  timeline_.forgetStatus();
  delegate_ = std::make_shared<AppDelegate>(desktop_.platform(), desktop_.windows());
  RuntimeStatus* runtime = delegate_->runtime().get();
  statusToken_ = runtime->observe([this, runtime] { timeline_.statusChanged(*runtime); });
  delegate_->applicationDidFinishLaunching();
  return std::nullopt;
}

void ScenarioRunner::Impl::quitLumivane() {
  delegate_->runtime()->removeObserver(statusToken_);
  delegate_->applicationWillTerminate();
  delegate_.reset();
}

Failure ScenarioRunner::Impl::perform(const command::Wait& wait) {
  return passTime(wait.seconds, nullptr);
}

// Lumivane quits; its services stay until the next launch, so what it left running shows.
Failure ScenarioRunner::Impl::perform(const command::Shutdown&) {
  if (!delegate_) {
    return notRunning();
  }
  delegate_->runtime()->removeObserver(statusToken_);
  delegate_->applicationWillTerminate();
  stopped_ = std::move(delegate_);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Switch& change) {
  if (!delegate_) {
    return notRunning();
  }
  if (change.feature == command::Switch::Feature::hover) {
    delegate_->settings()->setHoverEnabled(change.on);
  } else {
    delegate_->settings()->setMiddleEnabled(change.on);
  }
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Layout& layout) {
  if (!delegate_) {
    return notRunning();
  }
  delegate_->settings()->setHoverLayout(layout.options);
  return std::nullopt;
}

// By the app's bundle identifier, as the list editor's switch does.
Failure ScenarioRunner::Impl::perform(const command::Protect& change) {
  const auto profile = profiles_.find(change.name);
  if (profile == profiles_.end()) {
    return "no app '" + change.name + "'";
  }
  if (!delegate_) {
    return notRunning();
  }
  delegate_->settings()->setProtected(profile->second.bundleIdentifier, change.isProtected);
  return std::nullopt;
}

// The button the view shows beside the line, clicked where the line is in view.
Failure ScenarioRunner::Impl::perform(const command::Reopen&) {
  if (!delegate_) {
    return notRunning();
  }
  if (!desktop_.shell().popoverShown && !shownWindow(ShellWindow::settings)) {
    return std::string("the status line is not shown: no popover or settings window is open");
  }
  const RuntimeStatus& runtime = *delegate_->runtime();
  if (!runtime.offersReopen() || !runtime.onReopen) {
    return std::string("the status line offers no 重新打开");
  }
  runtime.onReopen();
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Close& close) {
  const auto index = shownWindow(close.window);
  if (!index) {
    return "no " + std::string(windowName(close.window)) + " window is shown";
  }
  desktop_.closeWindow(*index);
  return std::nullopt;
}

// One click on the status item, whose action opens the popover or closes it.
Failure ScenarioRunner::Impl::perform(const command::Popover& popover) {
  if (!delegate_) {
    return notRunning();
  }
  if (desktop_.shell().popoverShown == popover.shown) {
    return std::string(popover.shown ? "the popover is already shown" : "no popover is shown");
  }
  if (!desktop_.clickStatusItem()) {
    return std::string("Lumivane has no status item");
  }
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::StatusBar& bar) {
  desktop_.setStatusBarAvailable(bar.available);
  return std::nullopt;
}

// Advances `seconds` in slices of about 1/60 s; `sample` runs after each with the share of
// the way done, and the timeline is written and the run checked after each.
Failure ScenarioRunner::Impl::passTime(double seconds, const std::function<void(double)>& sample) {
  if (held_ && seconds > 0) {
    return std::string("no time can pass while the main queue is held");
  }
  if (asleep_) {
    // Nothing runs on a sleeping Mac; a movement lands where it was going.
    desktop_.sleepFor(seconds);
    if (sample) {
      sample(1);
    }
    desktop_.runLoop().drain();
    timeline_.flush();
    return check();
  }
  const double begin = desktop_.now();
  const int count = std::max(1, static_cast<int>(std::ceil(seconds / slice - 1e-9)));
  for (int step = 1; step <= count; ++step) {
    const double fraction = static_cast<double>(step) / count;
    // A clock that a blocked main thread moved past this slice still gives the run loop its
    // turn: the timers that fell due run before the next sample.
    desktop_.advance(std::max(0.0, begin + seconds * fraction - desktop_.now()));
    if (sample) {
      sample(fraction);
    }
    desktop_.runLoop().drain();
    timeline_.flush();
    if (auto failure = check()) {
      return failure;
    }
  }
  return std::nullopt;
}

// The index of the shown window of that kind opened by the running Lumivane.
std::optional<std::size_t> ScenarioRunner::Impl::shownWindow(ShellWindow kind) const {
  const auto& windows = desktop_.shell().windows;
  for (std::size_t i = windows.size(); i > firstWindow_; --i) {
    if (windows[i - 1].visible && kindOf(windows[i - 1]) == kind) {
      return i - 1;
    }
  }
  return std::nullopt;
}

ScenarioRunner::ScenarioRunner(std::ostream& timeline)
    : impl_(std::make_unique<Impl>(*this, timeline)) {}

ScenarioRunner::~ScenarioRunner() = default;

ScenarioResult ScenarioRunner::run(const Scenario& scenario) {
  return impl_->run(scenario);
}

ScenarioResult ScenarioRunner::run(const Command& command) {
  return impl_->run(command);
}

Desktop& ScenarioRunner::desktop() {
  return impl_->desktop();
}

AppDelegate* ScenarioRunner::coordinator() const {
  return impl_->coordinator();
}

ScenarioResult runScenario(const Scenario& scenario, std::ostream& timeline) {
  ScenarioRunner runner(timeline);
  return runner.run(scenario);
}

int runScenarioText(std::string_view text, std::ostream& timeline, std::ostream& errors) {
  const auto parsed = parseScenario(text);
  if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
    errors << error->describe() << '\n';
    return scenarioMalformed;
  }
  const ScenarioResult result = runScenario(std::get<Scenario>(parsed), timeline);
  if (!result.passed) {
    errors << result.failure << '\n';
    return scenarioFailed;
  }
  return scenarioPassed;
}

} // namespace lumivane::sim
