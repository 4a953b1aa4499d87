#include "Simulator/DesktopState.hpp"

// The Desktop's applications: launching, ending and relaunching them, and what the workspace
// knows of them.

namespace lumivane::sim {

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

} // namespace lumivane::sim
