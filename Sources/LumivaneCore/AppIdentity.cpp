#include "LumivaneCore/AppIdentity.hpp"

#include "LumivaneCore/ASCIICase.hpp"

#include <algorithm>
#include <functional>
#include <utility>

namespace lumivane {

AppIdentity::AppIdentity(int32_t pid, std::string bundlePath,
                         std::chrono::system_clock::time_point launchedAt)
    : pid_(pid), bundlePath_(std::move(bundlePath)), launchedAt_(launchedAt) {}

namespace AppResolver {

const std::unordered_set<std::string>& excludedBundleIDs() {
  static const std::unordered_set<std::string> ids{
      "com.apple.finder",         "com.apple.dock",          "com.apple.loginwindow",
      "com.apple.systemuiserver", "com.apple.controlcenter",
  };
  return ids;
}

// Compares against each entry instead of building a lower-cased copy, so that the check
// never allocates; the set holds only five identifiers.
bool isExcluded(std::string_view bundleIdentifier) {
  return std::ranges::any_of(excludedBundleIDs(), [&](const std::string& excluded) {
    return equalsIgnoringASCIICase(bundleIdentifier, excluded);
  });
}

std::variant<RunningApp, Refusal> decide(std::string_view bundlePath,
                                         std::span<const RunningApp> applications, int32_t ownPID) {
  const RunningApp* survivor = nullptr;
  for (const RunningApp& app : applications) {
    if (app.isTerminated || app.identity.bundlePath() != bundlePath) {
      continue;
    }
    if (survivor != nullptr) {
      // Several instances run from one bundle: the Dock item is ambiguous.
      return Refusal::severalCopies;
    }
    survivor = &app;
  }
  if (survivor == nullptr) {
    return Refusal::notRunning;
  }
  if (survivor->identity.pid() == ownPID) {
    return Refusal::ownProcess;
  }
  if (!survivor->isRegular) {
    return Refusal::notRegular;
  }
  if (!survivor->isFinishedLaunching) {
    return Refusal::stillLaunching;
  }
  if (isExcluded(survivor->bundleIdentifier)) {
    return Refusal::excluded;
  }
  return *survivor;
}

std::optional<RunningApp> resolve(std::string_view bundlePath,
                                  std::span<const RunningApp> applications, int32_t ownPID) {
  std::variant<RunningApp, Refusal> decision = decide(bundlePath, applications, ownPID);
  if (auto* app = std::get_if<RunningApp>(&decision)) {
    return std::move(*app);
  }
  return std::nullopt;
}

} // namespace AppResolver

} // namespace lumivane

namespace {

void combineHash(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

} // namespace

std::size_t
std::hash<lumivane::AppIdentity>::operator()(const lumivane::AppIdentity& identity) const noexcept {
  std::size_t seed = std::hash<int32_t>{}(identity.pid());
  combineHash(seed, std::hash<std::string>{}(identity.bundlePath()));
  combineHash(seed, std::hash<std::chrono::system_clock::rep>{}(
                        identity.launchedAt().time_since_epoch().count()));
  return seed;
}
