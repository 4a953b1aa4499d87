#include "Lumivane/ProtectedAppRows.hpp"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace lumivane {

void PrintTo(const ProtectedAppRow& row, std::ostream* out) {
  *out << "{" << row.identifier << ", " << row.displayName << (row.isRunning ? ", running" : "")
       << (row.isProtected ? ", protected" : "") << "}";
}

} // namespace lumivane

namespace lumivane::test {
namespace {

using Rows = std::vector<ProtectedAppRow>;

ProtectedAppRow running(std::string identifier, std::string name, bool isProtected = false) {
  return {std::move(identifier), std::move(name), true, isProtected};
}

ProtectedAppRow notRunning(std::string identifier, std::string name, bool isProtected = true) {
  return {std::move(identifier), std::move(name), false, isProtected};
}

TEST(ProtectedAppRows, RunningByNameThenTheProtectedOnesNotRunning) {
  const std::vector<ProtectableApp> apps{{"com.apple.Terminal", "终端"},
                                         {"com.apple.Safari", "safari"},
                                         {"com.utmapp.UTM", "UTM"},
                                         {"com.apple.mail", "Mail"}};
  const ProtectedApps list({"com.example.Recorder", "com.utmapp.UTM", "com.example.Backup"});
  EXPECT_EQ(protectedAppRows(apps, list),
            (Rows{running("com.apple.mail", "Mail"), running("com.apple.Safari", "safari"),
                  running("com.utmapp.UTM", "UTM", true), running("com.apple.Terminal", "终端"),
                  notRunning("com.example.Backup", "com.example.Backup"),
                  notRunning("com.example.Recorder", "com.example.Recorder")}));
  EXPECT_TRUE(protectedAppRows({}, {}).empty());
}

// Only a bundle identifier can be protected; copies and spellings of one are one application.
TEST(ProtectedAppRows, OneRowPerIdentifierAndNoneWithoutOne) {
  const std::vector<ProtectableApp> apps{{"", "Script"},
                                         {"com.example.Editor", ""},
                                         {"com.example.editor", "Editor"},
                                         {"COM.EXAMPLE.EDITOR", "Editor 2"},
                                         {"com.example.Nameless", ""}};
  const ProtectedApps list({"Com.Example.Editor"});
  EXPECT_EQ(protectedAppRows(apps, list),
            (Rows{running("com.example.Nameless", "com.example.Nameless"),
                  running("com.example.Editor", "Editor", true)}));
}

// They are never quit anyway; a stored one still shows, so that it can be taken off.
TEST(ProtectedAppRows, SystemProcessesOnlyWhenListed) {
  const std::vector<ProtectableApp> apps{{"com.apple.finder", "Finder"},
                                         {"com.apple.dock", "Dock"}};
  EXPECT_TRUE(protectedAppRows(apps, {}).empty());
  EXPECT_EQ(protectedAppRows(apps, ProtectedApps({"com.apple.Finder"})),
            (Rows{running("com.apple.finder", "Finder", true)}));
}

// While the editor is open its rows keep their places: a switch turned off stays to be turned
// on again, and an application that ended keeps its name.
TEST(ProtectedAppRows, RowsShownBeforeStay) {
  const std::vector<ProtectableApp> apps{{"com.apple.Safari", "Safari"},
                                         {"com.apple.finder", "Finder"}};
  const Rows shown{running("com.apple.Safari", "Safari"),
                   running("com.apple.finder", "Finder", true),
                   running("com.utmapp.UTM", "UTM", true), notRunning("com.example.Backup", "")};
  const ProtectedApps list({"com.utmapp.UTM"});
  EXPECT_EQ(protectedAppRows(apps, list, shown),
            (Rows{running("com.apple.finder", "Finder"), running("com.apple.Safari", "Safari"),
                  notRunning("com.example.Backup", "com.example.Backup", false),
                  notRunning("com.utmapp.UTM", "UTM")}));
}

} // namespace
} // namespace lumivane::test
