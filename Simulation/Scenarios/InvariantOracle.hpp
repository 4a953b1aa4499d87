#pragma once

#include "Lumivane/Platform/Workspace.hpp"
#include "LumivaneCore/AppIdentity.hpp"
#include "Simulator/Desktop.hpp"

#include <optional>
#include <string>
#include <string_view>

// What the invariant checks know of the system for themselves, rather than taking it from
// Lumivane: the checks are an independent oracle.

namespace lumivane::sim::oracle {

// Times the checks compare are sums of the same slices; this absorbs their rounding.
inline constexpr double epsilon = 1e-6;

// Bundle identifiers compare without regard to ASCII letter case.
std::string lowerASCII(std::string_view text);

// One of the system processes that must never be asked to quit.
bool isExcluded(std::string_view bundleIdentifier);

// A process by the bundle the system knows it by, whatever bundle URL the workspace gives it.
std::optional<AppIdentity> identityOf(const Desktop& desktop,
                                      const platform::ApplicationInfo& info);

// "1.250 s".
std::string seconds(double value);

} // namespace lumivane::sim::oracle
