#pragma once

#include "Lumivane/Platform/Workspace.hpp"
#include "LumivaneCore/AppIdentity.hpp"

#include <optional>
#include <string>

// A running application as the workspace reports it, in the terms the core and the services
// compare: its application bundle, and the RunningApp the core resolves items to.

namespace lumivane {

// The application bundle the workspace's bundle path stands for: the path itself, or the ".app"
// around the executable when the bundle URL names that (FileURL::applicationBundle). Absent when
// the application has no bundle URL.
[[nodiscard]] std::optional<std::string>
applicationBundlePath(const platform::ApplicationInfo& info);

// The application as the core knows it; nothing without a bundle path, a launch date or a
// bundle identifier.
[[nodiscard]] std::optional<RunningApp> runningApp(const platform::ApplicationInfo& info);

} // namespace lumivane
