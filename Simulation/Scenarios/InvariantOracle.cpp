#include "InvariantOracle.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

namespace lumivane::sim::oracle {

namespace {

// The system processes that must never be asked to quit, in lower case.
constexpr std::array<std::string_view, 5> excludedBundleIDs{
    "com.apple.finder", "com.apple.dock", "com.apple.loginwindow", "com.apple.systemuiserver",
    "com.apple.controlcenter"};

} // namespace

std::string lowerASCII(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

bool isExcluded(std::string_view bundleIdentifier) {
  return std::ranges::find(excludedBundleIDs, lowerASCII(bundleIdentifier)) !=
         excludedBundleIDs.end();
}

std::optional<AppIdentity> identityOf(const Desktop& desktop,
                                      const platform::ApplicationInfo& info) {
  const std::optional<std::string> bundle =
      info.launchDate ? desktop.bundleOf(info.pid, *info.launchDate) : std::nullopt;
  if (!bundle) {
    return std::nullopt;
  }
  return AppIdentity(info.pid, *bundle, *info.launchDate);
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", value);
  return text;
}

} // namespace lumivane::sim::oracle
