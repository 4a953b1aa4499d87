#include "LumivaneCore/ProtectedApps.hpp"

#include <algorithm>

namespace lumivane {

namespace {

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIdentifier(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

} // namespace

ProtectedApps::ProtectedApps(const std::vector<std::string>& identifiers) {
  for (const std::string& identifier : identifiers) {
    set(identifier, /*isProtected=*/true);
  }
}

bool ProtectedApps::contains(std::string_view bundleIdentifier) const {
  return std::ranges::any_of(identifiers_, [&](const std::string& identifier) {
    return sameIdentifier(identifier, bundleIdentifier);
  });
}

bool ProtectedApps::set(std::string_view bundleIdentifier, bool isProtected) {
  if (bundleIdentifier.empty() || contains(bundleIdentifier) == isProtected) {
    return false;
  }
  if (isProtected) {
    identifiers_.emplace_back(bundleIdentifier);
  } else {
    std::erase_if(identifiers_, [&](const std::string& identifier) {
      return sameIdentifier(identifier, bundleIdentifier);
    });
  }
  return true;
}

} // namespace lumivane
