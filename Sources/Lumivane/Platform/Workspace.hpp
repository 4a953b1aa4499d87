#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::platform {

enum class ActivationPolicy { regular, accessory, prohibited };

// One running application as the workspace reports it (NSRunningApplication).
struct ApplicationInfo {
  int32_t pid = 0;
  // The bundle URL's path, standardised, with symbolic links resolved, in NFC; absent when the
  // application has no bundle URL.
  std::optional<std::string> bundlePath;
  std::optional<std::chrono::system_clock::time_point> launchDate;
  std::optional<std::string> bundleIdentifier;
  std::optional<std::string> localizedName; // NFC
  ActivationPolicy activationPolicy = ActivationPolicy::regular;
  bool isFinishedLaunching = false;
  bool isTerminated = false;
};

// NSWorkspace and NSRunningApplication.
class Workspace {
public:
  virtual ~Workspace() = default;

  // All running applications, in the workspace's order.
  virtual std::vector<ApplicationInfo> runningApplications() = 0;
  // runningApplicationWithProcessIdentifier:.
  [[nodiscard]] virtual std::optional<ApplicationInfo> application(int32_t pid) = 0;
  // runningApplicationsWithBundleIdentifier:.
  virtual std::vector<ApplicationInfo> applications(std::string_view bundleIdentifier) = 0;
  // The normal quit request (terminate), never a forced one. True when it was delivered.
  [[nodiscard]] virtual bool terminate(int32_t pid) = 0;
  // openApplicationAtURL:configuration:completionHandler:, bringing the application to the front:
  // launches the application bundle at `bundlePath`, or brings up the copy already running from
  // it. `completion` runs once on the main thread, never inside this call, with the application
  // that came up, or with nothing when none could be opened from there.
  virtual void
  openApplication(std::string_view bundlePath,
                  std::function<void(std::optional<ApplicationInfo> application)> completion) = 0;

  // A file path standardised, with symbolic links resolved, in NFC; the same form as
  // ApplicationInfo::bundlePath. Absent when the path is not absolute.
  [[nodiscard]] virtual std::optional<std::string> canonicalPath(std::string_view path) = 0;
  // openURL:. False when the URL does not parse or nothing opened it.
  [[nodiscard]] virtual bool openURL(std::string_view url) = 0;
  // activateFileViewerSelectingURLs: with one file.
  virtual void revealInFileViewer(std::string_view path) = 0;
  // accessibilityDisplayShouldReduceMotion.
  virtual bool reduceMotion() = 0;
};

} // namespace lumivane::platform
