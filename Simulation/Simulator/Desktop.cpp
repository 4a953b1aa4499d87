#include "Simulator/Desktop.hpp"

#include "Simulator/AccessibilityTree.hpp"
#include "Simulator/DockModel.hpp"
#include "Simulator/Paths.hpp"
#include "Simulator/SimulatedDefaults.hpp"
#include "Simulator/SimulatedInput.hpp"
#include "Simulator/SimulatedSystem.hpp"
#include "Simulator/SimulatedWindows.hpp"
#include "Simulator/SimulatedWorkspace.hpp"

#include <cmath>
#include <set>

namespace lumivane::sim {

namespace {

// Dragged events a drag() sends on its way.
constexpr int dragSteps = 4;

AppProfile dockProfile() {
  AppProfile profile;
  profile.name = "Dock";
  profile.bundleIdentifier = "com.apple.dock";
  profile.bundlePath = "/System/Library/CoreServices/Dock.app";
  profile.quit = QuitBehaviour::never;
  profile.policy = platform::ActivationPolicy::prohibited;
  return profile;
}

AppProfile ownProfile() {
  AppProfile profile;
  profile.name = "Lumivane";
  profile.bundleIdentifier = "com.lumivane.app";
  profile.bundlePath = std::string(SimulatedProcess::mainBundlePath);
  profile.quit = QuitBehaviour::never;
  profile.policy = platform::ActivationPolicy::accessory;
  return profile;
}

// Exact at both ends, whatever the distance.
Point between(Point from, Point to, double share) {
  return {std::lerp(from.x, to.x, share), std::lerp(from.y, to.y, share)};
}

} // namespace

struct Desktop::State {
  VirtualRunLoop runLoop;
  FileSystem files;
  DockModel dock{runLoop};
  Displays displays{dock};
  SimulatedNotifications notifications{runLoop};
  SimulatedLogger logger{runLoop};
  SimulatedProcess process;
  SimulatedWorkspace workspace{runLoop, notifications, files};
  SimulatedWindows windows{runLoop, displays};
  AccessibilityTree accessibility{runLoop, dock, displays, workspace, windows, process};
  SimulatedInput input{dock, displays, windows, accessibility};
  SimulatedDefaults defaults;
  SimulatedLoginItems loginItems{workspace};
  platform::Platform platform{accessibility, workspace, input,      runLoop, notifications, input,
                              displays,      defaults,  loginItems, logger,  process};
  uint64_t glide = 0;          // the glide in progress; bumped to end it
  uint64_t restarts = 0;       // Dock restarts; a later one cancels an earlier one's pending start
  std::set<uint64_t> unpinned; // ids of the application items that come and go with their app

  const DockLayout* layout() const { return dock.layout(displays.topLeftFrames()); }
  void startDock() { dock.start(workspace.launch(dockProfile())); }

  // The processes running from an application item's bundle, as the Dock knows them: by their
  // bundle, whatever their bundle URL says.
  std::vector<platform::ApplicationInfo> processesOf(const DockItem& item) {
    std::vector<platform::ApplicationInfo> running;
    if (!item.bundlePath.empty()) {
      std::erase_if(running = workspace.runningFrom(item.bundlePath),
                    [](const platform::ApplicationInfo& info) { return info.isTerminated; });
    }
    return running;
  }
  // Whether processes run from an application item's bundle, and whether one is launching.
  std::pair<bool, bool> activityOf(const DockItem& item) {
    const std::vector<platform::ApplicationInfo> running = processesOf(item);
    return {!running.empty(),
            std::ranges::any_of(running, [](const platform::ApplicationInfo& info) {
              return !info.isFinishedLaunching;
            })};
  }

  // The Dock follows the process table: indicators, launch bounces, unpinned tiles.
  void syncDock() {
    for (std::size_t i = 0; i < dock.items().size(); ++i) {
      const DockItem& item = dock.items()[i];
      if (item.kind != DockItemKind::application) {
        continue;
      }
      const auto [any, launching] = activityOf(item);
      dock.setProcesses(i, any, launching);
      if (unpinned.contains(item.id)) {
        dock.setInDock(i, any);
      }
    }
  }
  void screensChanged() { notifications.post(platform::Notification::screenParametersDidChange); }
};

Desktop::Desktop() : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.workspace.onChanged = [&s] { s.syncDock(); };
  s.workspace.onEnded = [&s](int32_t pid) {
    if (s.dock.running() && pid == s.dock.pid()) {
      s.dock.stop();
    }
  };
  s.input.processesOfItem = [&s](std::size_t item) { return s.processesOf(s.dock.items()[item]); };
  s.startDock();
  s.process.setPID(s.workspace.launch(ownProfile()));
}

// The content models hold services; they go first, while every port they may call still exists.
Desktop::~Desktop() {
  state_->windows.releaseContent();
}

presentation::Windows& Desktop::windows() {
  return state_->windows;
}

platform::Platform& Desktop::platform() {
  return state_->platform;
}
VirtualRunLoop& Desktop::runLoop() {
  return state_->runLoop;
}
double Desktop::now() {
  return state_->runLoop.uptime();
}
void Desktop::advance(double seconds) {
  state_->runLoop.advance(seconds);
}

int Desktop::addScreen(const Rect& frame) {
  const int index = state_->displays.add(frame);
  state_->screensChanged();
  return index;
}

void Desktop::setScreens(const std::vector<Rect>& frames) {
  setScreensWithoutNotice(frames);
  state_->screensChanged();
}

void Desktop::setScreensWithoutNotice(const std::vector<Rect>& frames) {
  state_->displays.set(frames);
}

std::vector<Rect> Desktop::screenFrames() const {
  return state_->displays.topLeftFrames();
}

void Desktop::placeDock(DockEdge edge, int screen, double iconSize,
                        std::optional<double> magnifiedSize, bool autohide) {
  state_->dock.place(edge, screen, iconSize, magnifiedSize, autohide);
  state_->process.setDockMagnification(magnifiedSize && *magnifiedSize > iconSize);
}

int Desktop::addDockApplication(std::string name, std::string bundlePath, bool pinned) {
  State& s = *state_;
  DockItem item{DockItemKind::application, nfc(name).value_or(""), bundlePath,
                bundlePath.empty() ? "" : fileURL(bundlePath, true)};
  const auto [running, launching] = s.activityOf(item);
  const int index = s.dock.add(std::move(item), pinned || running);
  s.dock.setProcesses(static_cast<std::size_t>(index), running, launching);
  if (!pinned) {
    s.unpinned.insert(s.dock.items().back().id);
  }
  return index;
}

int Desktop::addDockItem(DockItemKind kind, std::string name, std::string target) {
  std::string url;
  if (kind == DockItemKind::document && !target.empty()) {
    url = fileURL(target, false);
  } else if (kind == DockItemKind::url) {
    url = std::move(target);
  }
  return state_->dock.add({kind, nfc(name).value_or(""), "", std::move(url)});
}

void Desktop::setDockItemInDock(int index, bool inDock) {
  State& s = *state_;
  if (index < 0 || static_cast<std::size_t>(index) >= s.dock.items().size()) {
    return;
  }
  const auto at = static_cast<std::size_t>(index);
  const DockItem& item = s.dock.items()[at];
  if (item.kind != DockItemKind::application) {
    s.dock.setInDock(at, inDock);
    return;
  }
  if (inDock) {
    s.unpinned.erase(item.id);
  } else {
    s.unpinned.insert(item.id);
  }
  s.dock.setInDock(at, inDock || s.dock.isRunning(at));
}

void Desktop::moveDockItem(int index, int to) {
  if (index >= 0 && to >= 0) {
    state_->dock.move(static_cast<std::size_t>(index), static_cast<std::size_t>(to));
  }
}

void Desktop::bounceDockItem(int index, int hops) {
  if (index >= 0) {
    state_->dock.bounce(static_cast<std::size_t>(index), hops);
  }
}

void Desktop::setDockItemBadge(int index, std::string badge) {
  if (index >= 0) {
    state_->dock.setBadge(static_cast<std::size_t>(index), std::move(badge));
  }
}

void Desktop::openDockMenu(int index) {
  if (index >= 0) {
    state_->dock.openMenu(static_cast<std::size_t>(index), state_->displays.topLeftFrames());
  }
}

void Desktop::closeDockMenu() {
  state_->dock.closeMenu();
}

std::optional<Rect> Desktop::dockMenuFrame() const {
  const DockMenu* menu = state_->dock.menu();
  return menu != nullptr ? std::optional(menu->frame) : std::nullopt;
}

void Desktop::setMissionControl(bool open) {
  state_->accessibility.setMissionControl(open);
}

void Desktop::setItemDepth(int depth) {
  state_->accessibility.setItemDepth(depth);
}
std::size_t Desktop::dockItemCount() const {
  return state_->dock.items().size();
}

std::optional<int> Desktop::dockItemIndex(std::string_view name) const {
  const auto normalized = nfc(name);
  return normalized ? state_->dock.indexNamed(*normalized) : std::nullopt;
}

std::string Desktop::dockItemName(int index) const {
  const auto& items = state_->dock.items();
  return index >= 0 && static_cast<std::size_t>(index) < items.size()
             ? items[static_cast<std::size_t>(index)].name
             : std::string();
}

std::optional<int> Desktop::dockItemNamed(std::string_view name) const {
  const auto normalized = nfc(name);
  const auto index = normalized ? state_->dock.indexNamed(*normalized) : std::nullopt;
  if (!index || !state_->dock.inDock(static_cast<std::size_t>(*index))) {
    return std::nullopt;
  }
  return index;
}

Rect Desktop::itemFrame(int index) const {
  const auto layout = state_->layout();
  if (!layout || index < 0 || static_cast<std::size_t>(index) >= layout->items.size()) {
    return {};
  }
  return layout->items[static_cast<std::size_t>(index)];
}

Rect Desktop::dockListFrame() const {
  const auto layout = state_->layout();
  return layout ? layout->list : Rect{};
}

std::optional<Point> Desktop::restingPoint(int index) const {
  if (index < 0) {
    return std::nullopt;
  }
  return state_->dock.restingPoint(static_cast<std::size_t>(index),
                                   state_->displays.topLeftFrames());
}

void Desktop::setDockHidden(bool hidden) {
  state_->dock.setHidden(hidden);
}

double Desktop::dockShown() const {
  return state_->dock.shown(state_->displays.topLeftFrames());
}

bool Desktop::dockConcealing() const {
  return state_->dock.concealing(state_->displays.topLeftFrames());
}

void Desktop::restartDock(double absentFor) {
  State& s = *state_;
  const uint64_t restart = ++s.restarts;
  if (s.dock.running()) {
    s.workspace.end(s.dock.pid());
  }
  if (!(absentFor > 0) || !std::isfinite(absentFor)) {
    s.startDock();
    return;
  }
  s.runLoop.schedule(absentFor, [&s, restart] {
    if (s.restarts == restart && !s.dock.running()) {
      s.startDock();
    }
  });
}

void Desktop::setDockRunning(bool running) {
  ++state_->restarts;
  if (running && !state_->dock.running()) {
    state_->startDock();
  } else if (!running && state_->dock.running()) {
    state_->workspace.end(state_->dock.pid());
  }
}

int32_t Desktop::dockPID() const {
  return state_->dock.running() ? state_->dock.pid() : 0;
}

std::size_t Desktop::addWindow(int32_t pid, const Rect& frame) {
  return state_->accessibility.addWindow(pid, frame);
}

void Desktop::removeWindow(std::size_t index) {
  state_->accessibility.removeWindow(index);
}

int32_t Desktop::launch(const AppProfile& profile) {
  return state_->workspace.launch(profile);
}

int32_t Desktop::launchWithPID(const AppProfile& profile, int32_t pid, double unlistedFor) {
  return state_->workspace.launch(profile, pid, unlistedFor);
}

int32_t Desktop::relaunch(int32_t pid) {
  if (state_->dock.running() && pid == state_->dock.pid()) {
    restartDock();
    return dockPID();
  }
  const auto profile = state_->workspace.profileOf(pid);
  if (!profile) {
    return 0;
  }
  state_->workspace.end(pid);
  return state_->workspace.launch(*profile);
}

void Desktop::endByItself(int32_t pid, double listedFor, bool foundByPID) {
  state_->workspace.end(pid, listedFor, foundByPID);
}

void Desktop::execInPlace(int32_t pid, const AppProfile& profile) {
  state_->workspace.execInPlace(pid, profile);
}

void Desktop::sleepFor(double seconds) {
  state_->runLoop.sleep(seconds);
}
void Desktop::finishLaunching(int32_t pid) {
  state_->workspace.finishLaunching(pid);
}
bool Desktop::isRunning(int32_t pid) const {
  return state_->workspace.isRunning(pid);
}

std::optional<int32_t> Desktop::pidOf(std::string_view name) const {
  return state_->workspace.pidOf(name);
}

std::optional<std::string> Desktop::appName(int32_t pid) const {
  const std::optional<AppProfile> profile = state_->workspace.profileOf(pid);
  return profile ? std::optional(profile->name) : std::nullopt;
}

std::chrono::system_clock::time_point Desktop::launchDate(int32_t pid) const {
  return state_->workspace.launchDate(pid).value_or(std::chrono::system_clock::time_point{});
}

int32_t Desktop::ownPID() const {
  return state_->process.pid();
}

const std::vector<QuitRequestRecord>& Desktop::quitRequests() const {
  return state_->workspace.quitRequests();
}

const std::vector<OpenRequestRecord>& Desktop::openRequests() const {
  return state_->workspace.openRequests();
}

void Desktop::removeBundle(std::string_view path) {
  state_->workspace.removeBundle(path);
}

std::vector<platform::ApplicationInfo> Desktop::processesFrom(std::string_view bundlePath) const {
  return state_->workspace.runningFrom(bundlePath);
}

std::optional<std::string>
Desktop::bundleOf(int32_t pid, std::chrono::system_clock::time_point launchDate) const {
  return state_->workspace.bundleOf(pid, launchDate);
}

uint64_t Desktop::processChanges() const {
  return state_->workspace.changes();
}

void Desktop::addSymlink(std::string from, std::string to) {
  state_->files.addSymlink(from, to);
}

void Desktop::setAccessibility(bool granted) {
  state_->accessibility.setTrusted(granted);
  state_->input.setPostAccess(granted);
}
void Desktop::removeFromAccessibilityList() {
  state_->accessibility.removeGrant();
  state_->input.setPostAccess(false);
}
bool Desktop::accessibilityGranted() const {
  return state_->accessibility.isGranted();
}
std::size_t Desktop::activeTapProbes() const {
  return state_->input.activeTapProbes();
}
void Desktop::setPostEventAccess(bool granted) {
  state_->input.setPostAccess(granted);
}
void Desktop::setInputMonitoring(bool granted) {
  state_->input.setListenAccess(granted);
}
std::size_t Desktop::trustPrompts() const {
  return state_->accessibility.trustPrompts();
}
std::size_t Desktop::postEventRequests() const {
  return state_->input.postRequests();
}

Point Desktop::pointer() const {
  return state_->input.pointer();
}

void Desktop::movePointer(Point to) {
  state_->runLoop.beginCall();
  ++state_->glide;
  state_->input.movePointer(to);
}

void Desktop::glide(Point to, double seconds, double rate) {
  if (!(seconds > 0) || !(rate > 0) || !std::isfinite(seconds) || !std::isfinite(rate)) {
    movePointer(to);
    return;
  }
  const uint64_t glide = ++state_->glide;
  const Point from = state_->input.pointer();
  // Whole samples only, so the last lands exactly at the end.
  const int samples = std::max(1, static_cast<int>(std::ceil(seconds * rate - 1e-9)));
  for (int k = 1; k <= samples; ++k) {
    const double share = static_cast<double>(k) / samples;
    state_->runLoop.schedule(seconds * share, [&s = *state_, glide, from, to, share] {
      if (s.glide == glide) {
        s.input.movePointer(between(from, to, share));
      }
    });
  }
}

void Desktop::press(int button) {
  state_->runLoop.beginCall();
  state_->input.press(button);
}
void Desktop::release(int button) {
  state_->runLoop.beginCall();
  state_->input.release(button);
}

void Desktop::click() {
  press(0);
  release(0);
}

void Desktop::rightClick() {
  press(1);
  release(1);
}

void Desktop::scroll() {
  state_->runLoop.beginCall();
  state_->input.scroll();
}

void Desktop::drag(Point to) {
  const Point from = pointer();
  press(0);
  for (int step = 1; step <= dragSteps; ++step) {
    movePointer(between(from, to, static_cast<double>(step) / dragSteps));
  }
  release(0);
}

void Desktop::middleClick() {
  press(2);
  release(2);
}

const std::vector<Desktop::DockEvent>& Desktop::dockEvents() const {
  return state_->input.dockEvents();
}

const std::vector<OtherMouseRecord>& Desktop::otherMouseEvents() const {
  return state_->input.otherMouseEvents();
}

void Desktop::disableTap(bool byTimeout) {
  state_->runLoop.beginCall();
  state_->input.disableTaps(byTimeout);
}
void Desktop::setTapReenableFails(bool fails) {
  state_->input.setReenableFails(fails);
}
bool Desktop::tapInstalled() const {
  return state_->input.tapInstalled();
}
bool Desktop::tapEnabled() const {
  return state_->input.tapEnabled();
}
std::size_t Desktop::tapsCreated() const {
  return state_->input.tapsCreated();
}
std::size_t Desktop::tapTeardownsInsideCallback() const {
  return state_->input.teardownsInCallback();
}

void Desktop::post(platform::Notification notification) {
  state_->notifications.post(notification);
}

void Desktop::addFault(const Fault& fault) {
  state_->accessibility.addFault(fault);
}
void Desktop::clearFaults() {
  state_->accessibility.clearFaults();
}
void Desktop::setMessageLatency(double seconds) {
  state_->accessibility.setMessageLatency(seconds);
}
void Desktop::setExtraListChildren(int count) {
  state_->accessibility.setExtraListChildren(count);
}

std::size_t Desktop::accessibilityMessageCount() const {
  return state_->accessibility.messageCount();
}

void Desktop::setDefault(std::string_view key, bool value) {
  state_->defaults.store(key, value);
}

void Desktop::setDefault(std::string_view key, std::string_view value) {
  state_->defaults.store(key, std::string(value));
}

void Desktop::setDefault(std::string_view key, const char* value) {
  setDefault(key, std::string_view(value == nullptr ? "" : value));
}

void Desktop::setDefault(std::string_view key, double number) {
  state_->defaults.store(key, number);
}

void Desktop::setDefault(std::string_view key, const std::vector<std::string>& texts, bool mixed) {
  if (mixed) {
    state_->defaults.store(key, SimulatedDefaults::Mixed{});
  } else {
    state_->defaults.store(key, texts);
  }
}

std::size_t Desktop::defaultsWriteCount() const {
  return state_->defaults.writeCount();
}

std::optional<std::string> Desktop::storedText(std::string_view key) const {
  const SimulatedDefaults::Value* value = state_->defaults.stored(key);
  const std::string* text = value ? std::get_if<std::string>(value) : nullptr;
  return text ? std::optional(*text) : std::nullopt;
}

std::optional<bool> Desktop::storedBool(std::string_view key) const {
  const SimulatedDefaults::Value* value = state_->defaults.stored(key);
  const bool* flag = value ? std::get_if<bool>(value) : nullptr;
  return flag ? std::optional(*flag) : std::nullopt;
}

std::optional<std::vector<std::string>> Desktop::storedTexts(std::string_view key) const {
  const SimulatedDefaults::Value* value = state_->defaults.stored(key);
  const auto* texts = value ? std::get_if<SimulatedDefaults::Texts>(value) : nullptr;
  return texts ? std::optional(*texts) : std::nullopt;
}

void Desktop::setLoginItemStatus(platform::LoginItemStatus status) {
  state_->loginItems.setStatus(status);
}

void Desktop::setLoginItemFailure(std::optional<std::string> description) {
  state_->loginItems.setFailure(std::move(description));
}

void Desktop::setReduceMotion(bool reduce) {
  state_->workspace.setReduceMotion(reduce);
}

void Desktop::setArguments(std::vector<std::string> arguments) {
  state_->process.setArguments(std::move(arguments));
}

void Desktop::setStatusBarAvailable(bool available) {
  state_->windows.setStatusBarAvailable(available);
}

const std::vector<std::string>& Desktop::openedURLs() const {
  return state_->workspace.openedURLs();
}

const std::vector<std::string>& Desktop::revealedPaths() const {
  return state_->workspace.revealedPaths();
}

const PanelRecord& Desktop::panel() const {
  return state_->windows.panel();
}
void Desktop::activatePanelButton() {
  state_->runLoop.beginCall();
  state_->windows.clickPanel();
}
const ShellRecord& Desktop::shell() const {
  return state_->windows.shell();
}
void Desktop::closeWindow(std::size_t index) {
  state_->runLoop.beginCall();
  state_->windows.closeWindow(index);
}
bool Desktop::clickStatusItem() {
  state_->runLoop.beginCall();
  return state_->windows.clickStatusItem();
}
bool Desktop::chooseMenuItem(std::string_view title) {
  state_->runLoop.beginCall();
  return state_->windows.chooseMenuItem(title);
}
const std::vector<LogRecord>& Desktop::logs() const {
  return state_->logger.records();
}
std::size_t Desktop::subscriptionCount() const {
  return state_->notifications.count();
}
std::size_t Desktop::monitorCount() const {
  return state_->input.monitorCount();
}

} // namespace lumivane::sim
