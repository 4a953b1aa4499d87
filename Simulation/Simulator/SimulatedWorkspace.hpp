#pragma once

#include "Lumivane/Platform/Workspace.hpp"
#include "Simulator/Desktop.hpp"
#include "Simulator/Paths.hpp"
#include "Simulator/SimulatedSystem.hpp"
#include "Simulator/VirtualRunLoop.hpp"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lumivane::sim {

// The running applications and the workspace (NSWorkspace, NSRunningApplication).
//
// Process ids count up from `firstPID` and are never handed out while in use. Launch dates are
// the simulated boot date plus the wall clock at launch, strictly increasing (a launch in the same
// instant as the previous one comes 1 ms later). An application that ends leaves the list at
// once and the workspace centre posts didTerminateApplication. Bundle paths, names and texts
// handed out are NFC; bundle paths are standardised with symbolic links resolved. A process's
// bundle URL names its executable inside the bundle when its profile says so (executableURL);
// the system itself (the Dock, the records) still knows the process by its bundle.
//
// Opening a bundle launches what was last launched from it, or brings up the copy running from
// it; a bundle never launched from, or one moved away or deleted (removeBundle), opens nothing.
class SimulatedWorkspace final : public platform::Workspace {
public:
  static constexpr int32_t firstPID = 400;

  SimulatedWorkspace(VirtualRunLoop& runLoop, SimulatedNotifications& notifications,
                     const FileSystem& files)
      : runLoop_(runLoop), notifications_(notifications), files_(files) {}

  std::vector<platform::ApplicationInfo> runningApplications() override;
  std::optional<platform::ApplicationInfo> application(int32_t pid) override;
  std::vector<platform::ApplicationInfo> applications(std::string_view bundleIdentifier) override;
  // Delivers the request as the application's quit behaviour says; see QuitBehaviour.
  bool terminate(int32_t pid) override;
  void openApplication(std::string_view bundlePath,
                       std::function<void(std::optional<platform::ApplicationInfo> application)>
                           completion) override;
  std::optional<std::string> canonicalPath(std::string_view path) override;
  bool openURL(std::string_view url) override;
  void revealInFileViewer(std::string_view path) override;
  bool reduceMotion() override { return reduceMotion_; }

  // A new process; with `pid`, that exact id (0 when it is in use). With `unlistedFor`, a lookup
  // of its pid finds it at once while runningApplications() leaves it out that long: the list
  // changes only as the main run loop turns (Apple's runningApplications documentation); whether
  // runningApplicationWithProcessIdentifier: may answer sooner is not documented, a possibility
  // Lumivane must be safe against.
  int32_t launch(const AppProfile& profile, std::optional<int32_t> pid = std::nullopt,
                 double unlistedFor = 0);
  // Ends a running process and posts didTerminateApplication; false when it was not running.
  // With `listedFor`, it stays that long among the running applications, terminated; with
  // `foundByPID` as well, a lookup of its pid answers that terminated record meanwhile (until a
  // new process takes the pid). An NSRunningApplication stays valid after its application exits
  // (Apple's NSRunningApplication overview); whether the lookup hands such an instance out is not
  // documented, a possibility Lumivane must be safe against.
  bool end(int32_t pid, double listedFor = 0, bool foundByPID = false);
  // The running process becomes another application in place, as execve(2) makes it: the same
  // pid, and the kernel keeps the process's start time. Here the workspace then reports the new
  // bundle, name and identifiers with the old launch date; what NSRunningApplication reports for
  // such a process is not documented, a possibility Lumivane must be safe against. False when it
  // was not running.
  bool execInPlace(int32_t pid, const AppProfile& profile);
  void finishLaunching(int32_t pid);
  bool isRunning(int32_t pid) const;
  // The processes running from the bundle at `bundlePath` (canonical paths equal), and those
  // still listed after their end, as runningApplications() reports them.
  std::vector<platform::ApplicationInfo> runningFrom(std::string_view bundlePath);
  // The canonical bundle path of the process with this pid launched at that date, running or not.
  std::optional<std::string> bundleOf(int32_t pid,
                                      std::chrono::system_clock::time_point launchDate) const;
  // The AppProfile a process was launched with, running or not.
  std::optional<AppProfile> profileOf(int32_t pid) const;
  std::optional<int32_t> pidOf(std::string_view name) const;
  std::optional<std::chrono::system_clock::time_point> launchDate(int32_t pid) const;
  const std::vector<QuitRequestRecord>& quitRequests() const { return quitRequests_; }
  const std::vector<OpenRequestRecord>& openRequests() const { return openRequests_; }
  // The bundle at `path` is moved away or deleted: nothing opens from there any more. What runs
  // from it keeps running.
  void removeBundle(std::string_view path);
  // Counts launches, ends, finished launches and processes become another application: equal
  // counts, an unchanged process table.
  uint64_t changes() const { return changes_; }

  void setReduceMotion(bool reduce) { reduceMotion_ = reduce; }
  void recordOpenedURL(std::string url) { openedURLs_.push_back(std::move(url)); }
  const std::vector<std::string>& openedURLs() const { return openedURLs_; }
  const std::vector<std::string>& revealedPaths() const { return revealedPaths_; }

  // Told after a process ended (before the notification is delivered).
  std::function<void(int32_t pid)> onEnded;
  // Told after a process started, ended or finished launching.
  std::function<void()> onChanged;

private:
  struct Process {
    AppProfile profile;
    int32_t pid = 0;
    std::chrono::system_clock::time_point launchDate;
    bool running = true;
    bool finishedLaunching = false;
    bool quitting = false;           // a delivered quit request will end it
    double listedFrom = 0;           // uptime from which a running process is listed
    double listedUntil = 0;          // uptime until which an ended process is still listed
    bool foundWhileListed = false;   // ...and a lookup of its pid answers it meanwhile
    std::optional<std::string> name; // profile.name in NFC, made at launch and at an exec
  };

  Process* running(int32_t pid);
  const Process* running(int32_t pid) const;
  bool isListed(const Process& process, double now) const;
  // The latest process launched with this pid, running or not.
  const Process* latest(int32_t pid) const;
  platform::ApplicationInfo info(const Process& process);
  // The canonical path of the bundle the process runs from.
  std::optional<std::string> bundleOf(const Process& process) const;

  VirtualRunLoop& runLoop_;
  SimulatedNotifications& notifications_;
  const FileSystem& files_;
  std::vector<Process> processes_;        // every process ever launched, in launch order
  std::map<int32_t, std::size_t> latest_; // pid: index of its latest process in processes_
  int32_t nextPID_ = firstPID;
  std::chrono::system_clock::time_point lastLaunchDate_;
  std::vector<QuitRequestRecord> quitRequests_;
  std::vector<OpenRequestRecord> openRequests_;
  std::set<std::string, std::less<>> removedBundles_; // canonical paths
  uint64_t changes_ = 0;
  bool reduceMotion_ = false;
  std::vector<std::string> openedURLs_;
  std::vector<std::string> revealedPaths_;
};

} // namespace lumivane::sim
