#pragma once

#include "LumivaneCore/ProtectedApps.hpp"

#include <span>
#include <string>
#include <vector>

namespace lumivane {

// A running application the user could protect, as the workspace names it.
struct ProtectableApp {
  std::string bundleIdentifier; // empty: it has none and cannot be protected
  std::string name;             // its localized name; empty: none
  std::string bundlePath;       // where its bundle is, for its icon; empty: unknown

  friend bool operator==(const ProtectableApp&, const ProtectableApp&) = default;
};

// One row of the protected-apps editor: an application and its switch.
struct ProtectedAppRow {
  std::string identifier;  // the bundle identifier the switch adds to or takes off the list
  std::string displayName; // the application's name; its identifier when it has none
  bool isRunning = false;
  bool isProtected = false;
  std::string bundlePath; // the application's bundle, for its icon; empty: unknown

  friend bool operator==(const ProtectedAppRow&, const ProtectedAppRow&) = default;
};

// The editor's rows, in two groups:
//  1. every running application with a bundle identifier, except the system processes that are
//     never quit anyway (unless the list holds one, so that it can be taken off, or it was
//     shown);
//  2. every protected application that is not running, and every row in `shown` (what the
//     editor showed before) that neither the running applications nor the list name any more,
//     unprotected: a switch turned off by mistake stays where it was until the editor closes.
// One row per identifier, ASCII letter case aside; the first running copy with a name names it
// (and the first with a bundle path gives the path), and a row that was shown keeps its name and
// path after its application ended.
// Each group is ordered by display name, then identifier, ASCII letter case aside (other
// characters compare by code point), so that rows keep their places while switches flip.
std::vector<ProtectedAppRow> protectedAppRows(std::span<const ProtectableApp> running,
                                              const ProtectedApps& protectedApps,
                                              std::span<const ProtectedAppRow> shown = {});

} // namespace lumivane
