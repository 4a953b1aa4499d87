#include "Lumivane/RunningApplication.hpp"

#include "LumivaneCore/FileURL.hpp"

#include <utility>

namespace lumivane {

std::optional<std::string> applicationBundlePath(const platform::ApplicationInfo& info) {
  if (!info.bundlePath) {
    return std::nullopt;
  }
  return FileURL::applicationBundle(*info.bundlePath);
}

std::optional<RunningApp> runningApp(const platform::ApplicationInfo& info) {
  std::optional<std::string> bundlePath = applicationBundlePath(info);
  if (!bundlePath || !info.launchDate || !info.bundleIdentifier) {
    return std::nullopt;
  }
  std::string name = info.localizedName && !info.localizedName->empty()
                         ? *info.localizedName
                         : FileURL::bundleName(*bundlePath);
  return RunningApp{AppIdentity(info.pid, std::move(*bundlePath), *info.launchDate),
                    *info.bundleIdentifier,
                    std::move(name),
                    info.activationPolicy == platform::ActivationPolicy::regular,
                    info.isFinishedLaunching,
                    info.isTerminated};
}

} // namespace lumivane
