#include "Simulator/SimulatedWorkspace.hpp"

#include <algorithm>
#include <cctype>

namespace lumivane::sim {

namespace {

using namespace std::chrono;

// The simulated machine booted at this instant; uptime counts from it.
const system_clock::time_point bootDate = sys_days{year{2024} / June / 1} + hours{8};

// Like URL(string:): a scheme, a colon and a rest without spaces or control characters.
bool parsesAsURL(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 >= url.size() ||
      !std::isalpha(static_cast<unsigned char>(url.front()))) {
    return false;
  }
  const auto schemeChar = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  };
  const std::string_view scheme = url.substr(0, colon);
  return std::all_of(scheme.begin(), scheme.end(), schemeChar) &&
         std::none_of(url.begin(), url.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return byte <= 0x20 || byte == 0x7F;
         });
}

} // namespace

std::vector<platform::ApplicationInfo> SimulatedWorkspace::runningApplications() {
  std::vector<platform::ApplicationInfo> result;
  const double now = runLoop_.uptime();
  for (const Process& process : processes_) {
    if (isListed(process, now)) {
      result.push_back(info(process));
    }
  }
  return result;
}

std::optional<platform::ApplicationInfo> SimulatedWorkspace::application(int32_t pid) {
  if (const Process* process = running(pid)) {
    return info(*process);
  }
  const Process* ended = latest(pid);
  if (ended != nullptr && ended->foundWhileListed && isListed(*ended, runLoop_.uptime())) {
    return info(*ended);
  }
  return std::nullopt;
}

std::vector<platform::ApplicationInfo>
SimulatedWorkspace::applications(std::string_view bundleIdentifier) {
  std::vector<platform::ApplicationInfo> result;
  for (const Process& process : processes_) {
    if (process.running && !bundleIdentifier.empty() &&
        process.profile.bundleIdentifier == bundleIdentifier) {
      result.push_back(info(process));
    }
  }
  return result;
}

bool SimulatedWorkspace::terminate(int32_t pid) {
  Process* process = running(pid);
  if (process == nullptr) {
    return false;
  }
  const bool delivered = process->profile.quit != QuitBehaviour::refuse;
  QuitRequestRecord record{runLoop_.uptime(), pid, process->profile.name, delivered,
                           info(*process)};
  if (const std::optional<std::string> bundle = bundleOf(*process)) {
    for (const Process& other : processes_) {
      if (other.running && bundleOf(other) == bundle) {
        ++record.copies;
      }
    }
  }
  quitRequests_.push_back(std::move(record));
  if (!delivered || process->quitting || process->profile.quit == QuitBehaviour::never) {
    return delivered;
  }
  process->quitting = true;
  // The request reaches the application after this call; it ends from there.
  const auto endThisInstance = [this, pid, date = process->launchDate] {
    const Process* current = running(pid);
    if (current != nullptr && current->launchDate == date) {
      end(pid);
    }
  };
  if (process->profile.quit == QuitBehaviour::immediately) {
    runLoop_.async(endThisInstance);
  } else {
    runLoop_.schedule(process->profile.quitDelay, endThisInstance);
  }
  return true;
}

// As openApplicationAtURL:configuration:completionHandler: does by Apple's documentation: a copy
// already running is opened rather than a new one launched (createsNewApplicationInstance is NO
// by default), and the handler is called asynchronously, on a concurrent queue; the adapter hops
// to the main queue, which the simulator's later main-queue turn stands for.
void SimulatedWorkspace::openApplication(
    std::string_view bundlePath,
    std::function<void(std::optional<platform::ApplicationInfo> application)> completion) {
  const std::optional<std::string> path = files_.canonicalPath(bundlePath);
  OpenRequestRecord record{
      runLoop_.uptime(), path.value_or(std::string(bundlePath)), "", 0, 0, false};
  const Process* launchedFrom = nullptr;
  const Process* runningFrom = nullptr;
  for (const Process& process : processes_) {
    if (path && info(process).bundlePath == path) {
      launchedFrom = &process;
      if (process.running) {
        ++record.copies;
        runningFrom = runningFrom != nullptr ? runningFrom : &process;
      }
    }
  }
  if (launchedFrom != nullptr) {
    record.name = launchedFrom->profile.name;
  }
  // Nothing is there to open once the bundle is gone, whatever still runs from it.
  const bool removed = path && removedBundles_.contains(*path);
  std::optional<platform::ApplicationInfo> opened;
  if (!removed && runningFrom != nullptr) {
    record.pid = runningFrom->pid;
    opened = info(*runningFrom);
  } else if (!removed && launchedFrom != nullptr) {
    // A copy: launching may move processes_.
    const AppProfile profile = launchedFrom->profile;
    record.pid = launch(profile);
    record.launched = true;
    opened = application(record.pid);
  }
  openRequests_.push_back(std::move(record));
  runLoop_.async([completion = std::move(completion), opened = std::move(opened)] {
    if (completion) {
      completion(opened);
    }
  });
}

void SimulatedWorkspace::removeBundle(std::string_view path) {
  if (const std::optional<std::string> canonical = files_.canonicalPath(path)) {
    removedBundles_.insert(*canonical);
  }
}

std::optional<std::string> SimulatedWorkspace::canonicalPath(std::string_view path) {
  return files_.canonicalPath(path);
}

bool SimulatedWorkspace::openURL(std::string_view url) {
  if (!parsesAsURL(url)) {
    return false;
  }
  openedURLs_.emplace_back(url);
  return true;
}

void SimulatedWorkspace::revealInFileViewer(std::string_view path) {
  revealedPaths_.emplace_back(path);
}

int32_t SimulatedWorkspace::launch(const AppProfile& profile, std::optional<int32_t> pid,
                                   double unlistedFor) {
  if (pid && (*pid <= 0 || running(*pid) != nullptr)) {
    return 0;
  }
  int32_t chosen = 0;
  if (pid) {
    chosen = *pid;
  } else {
    while (running(nextPID_) != nullptr) {
      ++nextPID_;
    }
    chosen = nextPID_++;
  }
  auto date =
      bootDate + duration_cast<system_clock::duration>(duration<double>(runLoop_.wallClock()));
  if (!processes_.empty() && date <= lastLaunchDate_) {
    date = lastLaunchDate_ + milliseconds{1};
  }
  lastLaunchDate_ = date;
  const double listedFrom = runLoop_.uptime() + std::max(unlistedFor, 0.0);
  processes_.push_back({profile, chosen, date, true, profile.finishedLaunching, false, listedFrom,
                        0, false, nfc(profile.name)});
  latest_.insert_or_assign(chosen, processes_.size() - 1);
  ++changes_;
  if (onChanged) {
    onChanged();
  }
  return chosen;
}

bool SimulatedWorkspace::end(int32_t pid, double listedFor, bool foundByPID) {
  Process* process = running(pid);
  if (process == nullptr) {
    return false;
  }
  process->running = false;
  process->listedUntil = runLoop_.uptime() + std::max(listedFor, 0.0);
  process->foundWhileListed = foundByPID;
  ++changes_;
  if (onEnded) {
    onEnded(pid);
  }
  notifications_.post(platform::Notification::didTerminateApplication);
  if (onChanged) {
    onChanged();
  }
  return true;
}

bool SimulatedWorkspace::execInPlace(int32_t pid, const AppProfile& profile) {
  Process* process = running(pid);
  if (process == nullptr) {
    return false;
  }
  process->profile = profile;
  process->name = nfc(profile.name);
  process->finishedLaunching = profile.finishedLaunching;
  ++changes_;
  if (onChanged) {
    onChanged();
  }
  return true;
}

void SimulatedWorkspace::finishLaunching(int32_t pid) {
  if (Process* process = running(pid)) {
    process->finishedLaunching = true;
    ++changes_;
    if (onChanged) {
      onChanged();
    }
  }
}

bool SimulatedWorkspace::isRunning(int32_t pid) const {
  return running(pid) != nullptr;
}

std::vector<platform::ApplicationInfo>
SimulatedWorkspace::runningFrom(std::string_view bundlePath) {
  std::vector<platform::ApplicationInfo> result;
  const std::optional<std::string> bundle = files_.canonicalPath(bundlePath);
  const double now = runLoop_.uptime();
  for (const Process& process : processes_) {
    if (bundle && (process.running || now < process.listedUntil) && bundleOf(process) == bundle) {
      result.push_back(info(process));
    }
  }
  return result;
}

std::optional<std::string> SimulatedWorkspace::bundleOf(int32_t pid,
                                                        system_clock::time_point launchDate) const {
  const auto found = std::ranges::find_if(processes_, [&](const Process& process) {
    return process.pid == pid && process.launchDate == launchDate;
  });
  return found == processes_.end() ? std::nullopt : bundleOf(*found);
}

std::optional<std::string> SimulatedWorkspace::bundleOf(const Process& process) const {
  if (process.profile.bundlePath.empty()) {
    return std::nullopt;
  }
  return files_.canonicalPath(process.profile.bundlePath);
}

std::optional<AppProfile> SimulatedWorkspace::profileOf(int32_t pid) const {
  const Process* process = latest(pid);
  return process ? std::optional(process->profile) : std::nullopt;
}

std::optional<int32_t> SimulatedWorkspace::pidOf(std::string_view name) const {
  const auto wanted = nfc(name);
  for (const Process& process : processes_) {
    if (process.running && wanted && process.name == wanted) {
      return process.pid;
    }
  }
  return std::nullopt;
}

std::optional<system_clock::time_point> SimulatedWorkspace::launchDate(int32_t pid) const {
  const Process* process = latest(pid);
  return process ? std::optional(process->launchDate) : std::nullopt;
}

const SimulatedWorkspace::Process* SimulatedWorkspace::latest(int32_t pid) const {
  const auto found = latest_.find(pid);
  return found == latest_.end() ? nullptr : &processes_[found->second];
}

// A pid is never handed out while in use, so only its latest process can be running.
SimulatedWorkspace::Process* SimulatedWorkspace::running(int32_t pid) {
  const auto found = latest_.find(pid);
  Process* process = found == latest_.end() ? nullptr : &processes_[found->second];
  return process != nullptr && process->running ? process : nullptr;
}

const SimulatedWorkspace::Process* SimulatedWorkspace::running(int32_t pid) const {
  return const_cast<SimulatedWorkspace*>(this)->running(pid);
}

bool SimulatedWorkspace::isListed(const Process& process, double now) const {
  return process.running ? now >= process.listedFrom : now < process.listedUntil;
}

platform::ApplicationInfo SimulatedWorkspace::info(const Process& process) {
  const AppProfile& profile = process.profile;
  platform::ApplicationInfo result;
  result.pid = process.pid;
  result.bundlePath = bundleOf(process);
  if (result.bundlePath && profile.executableURL) {
    // The executable is named after the bundle.
    const std::string& bundle = *result.bundlePath;
    std::string name = bundle.substr(bundle.find_last_of('/') + 1);
    name = name.substr(0, std::min(name.find_last_of('.'), name.size()));
    *result.bundlePath += "/Contents/MacOS/" + name;
  }
  if (profile.hasLaunchDate) {
    result.launchDate = process.launchDate;
  }
  if (!profile.bundleIdentifier.empty()) {
    result.bundleIdentifier = profile.bundleIdentifier;
  }
  if (!profile.name.empty()) {
    result.localizedName = process.name;
  }
  result.activationPolicy = profile.policy;
  result.isFinishedLaunching = process.finishedLaunching;
  result.isTerminated = !process.running;
  return result;
}

} // namespace lumivane::sim
