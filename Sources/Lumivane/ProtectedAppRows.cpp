#include "Lumivane/ProtectedAppRows.hpp"

#include "LumivaneCore/ASCIICase.hpp"
#include "LumivaneCore/AppIdentity.hpp"

#include <algorithm>
#include <string_view>

namespace lumivane {

namespace {

// The row for `identifier`, ASCII letter case aside; null when there is none. Rows: a vector
// to change the row in, or a span of rows to read.
template <typename Rows> auto* findRow(Rows& rows, std::string_view identifier) {
  const auto found = std::ranges::find_if(rows, [&](const ProtectedAppRow& row) {
    return equalsIgnoringASCIICase(row.identifier, identifier);
  });
  return found == rows.end() ? nullptr : &*found;
}

bool foldedLess(std::string_view a, std::string_view b) {
  // Bytes compared unsigned: UTF-8 then orders by code point.
  const auto folded = [](char c) { return static_cast<unsigned char>(asciiLower(c)); };
  return std::ranges::lexicographical_compare(a, b, {}, folded, folded);
}

void sortByName(std::vector<ProtectedAppRow>& rows) {
  std::ranges::sort(rows, [](const ProtectedAppRow& a, const ProtectedAppRow& b) {
    if (!equalsIgnoringASCIICase(a.displayName, b.displayName)) {
      return foldedLess(a.displayName, b.displayName);
    }
    return foldedLess(a.identifier, b.identifier);
  });
}

} // namespace

std::vector<ProtectedAppRow> protectedAppRows(std::span<const ProtectableApp> running,
                                              const ProtectedApps& protectedApps,
                                              std::span<const ProtectedAppRow> shown) {
  const auto shownRow = [&](std::string_view identifier) { return findRow(shown, identifier); };
  // A row that was shown keeps its name and path when its application has ended.
  const auto nameOf = [&](const std::string& identifier) {
    const ProtectedAppRow* row = shownRow(identifier);
    return row != nullptr && !row->displayName.empty() ? row->displayName : identifier;
  };
  const auto pathOf = [&](const std::string& identifier) {
    const ProtectedAppRow* row = shownRow(identifier);
    return row != nullptr ? row->bundlePath : std::string();
  };
  std::vector<ProtectedAppRow> runningRows;
  for (const ProtectableApp& app : running) {
    if (app.bundleIdentifier.empty()) {
      continue;
    }
    const bool isProtected = protectedApps.contains(app.bundleIdentifier);
    if (AppResolver::isExcluded(app.bundleIdentifier) && !isProtected &&
        shownRow(app.bundleIdentifier) == nullptr) {
      continue;
    }
    if (ProtectedAppRow* row = findRow(runningRows, app.bundleIdentifier)) {
      if (row->displayName.empty()) {
        row->displayName = app.name;
      }
      if (row->bundlePath.empty()) {
        row->bundlePath = app.bundlePath;
      }
      continue;
    }
    runningRows.push_back({.identifier = app.bundleIdentifier,
                           .displayName = app.name,
                           .isRunning = true,
                           .isProtected = isProtected,
                           .bundlePath = app.bundlePath});
  }
  for (ProtectedAppRow& row : runningRows) {
    if (row.displayName.empty()) {
      row.displayName = row.identifier;
    }
  }

  std::vector<ProtectedAppRow> otherRows;
  const auto listed = [&](std::string_view identifier) {
    return findRow(runningRows, identifier) != nullptr || findRow(otherRows, identifier) != nullptr;
  };
  for (const std::string& identifier : protectedApps.identifiers()) {
    if (!listed(identifier)) {
      otherRows.push_back({identifier, nameOf(identifier), false, true, pathOf(identifier)});
    }
  }
  for (const ProtectedAppRow& row : shown) {
    if (!row.identifier.empty() && !listed(row.identifier)) {
      otherRows.push_back(
          {row.identifier, nameOf(row.identifier), false, false, pathOf(row.identifier)});
    }
  }

  sortByName(runningRows);
  sortByName(otherRows);
  runningRows.insert(runningRows.end(), otherRows.begin(), otherRows.end());
  return runningRows;
}

} // namespace lumivane
