#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

// The applications the user asked Lumivane to leave alone, by bundle identifier: they get no ×,
// a middle click on them sends nothing, and the quit service refuses them. Identifiers compare
// without regard to ASCII letter case, as the system treats them; the list keeps the spelling
// and order in which they were added.
class ProtectedApps {
public:
  ProtectedApps() = default;
  // Empty identifiers and repeats of an earlier one are left out.
  explicit ProtectedApps(const std::vector<std::string>& identifiers);

  bool contains(std::string_view bundleIdentifier) const;
  // Adds or removes one identifier; false when the list already said so. An empty identifier
  // is never added.
  bool set(std::string_view bundleIdentifier, bool isProtected);

  const std::vector<std::string>& identifiers() const { return identifiers_; }
  friend bool operator==(const ProtectedApps&, const ProtectedApps&) = default;

private:
  std::vector<std::string> identifiers_;
};

} // namespace lumivane
