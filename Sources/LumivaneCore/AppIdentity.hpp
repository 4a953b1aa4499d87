#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <variant>

namespace lumivane {

// One process instance of an application.
//
// Texts compare as bytes. Canonically equivalent paths still compare equal because every port
// that hands a path or a name to the core hands it in Unicode Normalization Form C (the macOS
// adapters and the simulator normalise at the boundary), so equal texts are equal bytes.
class AppIdentity {
public:
  AppIdentity(int32_t pid, std::string bundlePath,
              std::chrono::system_clock::time_point launchedAt);

  int32_t pid() const { return pid_; }
  // Standardised, with symbolic links resolved, NFC.
  const std::string& bundlePath() const { return bundlePath_; }
  std::chrono::system_clock::time_point launchedAt() const { return launchedAt_; }

  // Equal only when pid, path and launch date are all equal, compared in that order.
  friend bool operator==(const AppIdentity&, const AppIdentity&) = default;

private:
  int32_t pid_;
  std::string bundlePath_;
  std::chrono::system_clock::time_point launchedAt_;
};

// A snapshot of one running application. Compare two of them through their identities.
struct RunningApp {
  AppIdentity identity;
  std::string bundleIdentifier;
  std::string name;
  bool isRegular = false;
  bool isFinishedLaunching = false;
  bool isTerminated = false;
};

namespace AppResolver {

// The system processes that are never asked to quit, in lower case.
const std::unordered_set<std::string>& excludedBundleIDs();

// True when the bundle identifier, in lower case, is one of excludedBundleIDs().
bool isExcluded(std::string_view bundleIdentifier);

// Why a bundle path resolves to no application.
enum class Refusal {
  notRunning,     // no instance runs from it
  severalCopies,  // two or more do: the item is ambiguous
  ownProcess,     // it is this program itself
  notRegular,     // a background process
  stillLaunching, // it has not finished launching
  excluded,       // an excluded system process
};

// The one quittable application running from `bundlePath`, or why there is none.
std::variant<RunningApp, Refusal> decide(std::string_view bundlePath,
                                         std::span<const RunningApp> applications, int32_t ownPID);

// decide(), without the reason: the one quittable application or nothing.
[[nodiscard]] std::optional<RunningApp>
resolve(std::string_view bundlePath, std::span<const RunningApp> applications, int32_t ownPID);

} // namespace AppResolver

} // namespace lumivane

template <> struct std::hash<lumivane::AppIdentity> {
  std::size_t operator()(const lumivane::AppIdentity& identity) const noexcept;
};
