#include "Simulator/DesktopState.hpp"

#include <algorithm>
#include <cmath>

// The Desktop's construction, clock, displays and Dock, and the records of what Lumivane showed
// and logged. Applications, input and the system's settings have files of their own
// (DesktopApplications.cpp, DesktopInput.cpp, DesktopSystem.cpp).

namespace lumivane::sim {

namespace {

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

} // namespace

void Desktop::State::startDock() {
  dock.start(workspace.launch(dockProfile()));
}

std::vector<platform::ApplicationInfo> Desktop::State::processesOf(const DockItem& item) {
  std::vector<platform::ApplicationInfo> running;
  if (!item.bundlePath.empty()) {
    std::erase_if(running = workspace.runningFrom(item.bundlePath),
                  [](const platform::ApplicationInfo& info) { return info.isTerminated; });
  }
  return running;
}

std::pair<bool, bool> Desktop::State::activityOf(const DockItem& item) {
  const std::vector<platform::ApplicationInfo> running = processesOf(item);
  return {!running.empty(), std::ranges::any_of(running, [](const platform::ApplicationInfo& info) {
            return !info.isFinishedLaunching;
          })};
}

void Desktop::State::syncDock() {
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

std::optional<DockItemKind> Desktop::dockItemKind(int index) const {
  const auto& items = state_->dock.items();
  return index >= 0 && static_cast<std::size_t>(index) < items.size()
             ? std::optional(items[static_cast<std::size_t>(index)].kind)
             : std::nullopt;
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
