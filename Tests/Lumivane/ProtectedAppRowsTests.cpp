#include "Lumivane/ProtectedAppRows.hpp"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace lumivane {

void PrintTo(const ProtectedAppRow& row, std::ostream* out) {
  *out << "{" << row.identifier << ", " << row.displayName << (row.isRunning ? ", running" : "")
       << (row.isProtected ? ", protected" : "") << ", " << row.bundlePath << "}";
}

} // namespace lumivane

namespace lumivane::test {
namespace {

using Rows = std::vector<ProtectedAppRow>;

ProtectableApp app(std::string identifier, std::string name, std::string path = {}) {
  return {std::move(identifier), std::move(name), std::move(path)};
}

ProtectedAppRow running(std::string identifier, std::string name, bool isProtected = false,
                        std::string path = {}) {
  return {std::move(identifier), std::move(name), true, isProtected, std::move(path)};
}

ProtectedAppRow notRunning(std::string identifier, std::string name, bool isProtected = true,
                           std::string path = {}) {
  return {std::move(identifier), std::move(name), false, isProtected, std::move(path)};
}

TEST(ProtectedAppRows, RunningByNameThenTheProtectedOnesNotRunning) {
  const std::vector<ProtectableApp> apps{
      app("com.apple.Terminal", "终端"), app("com.apple.Safari", "safari"),
      app("com.utmapp.UTM", "UTM"), app("com.apple.mail", "Mail")};
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
  const std::vector<ProtectableApp> apps{
      app("", "Script"), app("com.example.Editor", ""), app("com.example.editor", "Editor"),
      app("COM.EXAMPLE.EDITOR", "Editor 2"), app("com.example.Nameless", "")};
  const ProtectedApps list({"Com.Example.Editor"});
  EXPECT_EQ(protectedAppRows(apps, list),
            (Rows{running("com.example.Nameless", "com.example.Nameless"),
                  running("com.example.Editor", "Editor", true)}));
}

// They are never quit anyway; a stored one still shows, so that it can be taken off.
TEST(ProtectedAppRows, SystemProcessesOnlyWhenListed) {
  const std::vector<ProtectableApp> apps{app("com.apple.finder", "Finder"),
                                         app("com.apple.dock", "Dock")};
  EXPECT_TRUE(protectedAppRows(apps, {}).empty());
  EXPECT_EQ(protectedAppRows(apps, ProtectedApps({"com.apple.Finder"})),
            (Rows{running("com.apple.finder", "Finder", true)}));
}

// While the editor is open its rows keep their places: a switch turned off stays to be turned
// on again, and an application that ended keeps its name.
TEST(ProtectedAppRows, RowsShownBeforeStay) {
  const std::vector<ProtectableApp> apps{app("com.apple.Safari", "Safari"),
                                         app("com.apple.finder", "Finder")};
  const Rows shown{running("com.apple.Safari", "Safari"),
                   running("com.apple.finder", "Finder", true),
                   running("com.utmapp.UTM", "UTM", true), notRunning("com.example.Backup", "")};
  const ProtectedApps list({"com.utmapp.UTM"});
  EXPECT_EQ(protectedAppRows(apps, list, shown),
            (Rows{running("com.apple.finder", "Finder"), running("com.apple.Safari", "Safari"),
                  notRunning("com.example.Backup", "com.example.Backup", false),
                  notRunning("com.utmapp.UTM", "UTM")}));
}

// A row's icon comes from its application's bundle: the first running copy with one gives it,
// and a row shown before keeps it after its application ended.
TEST(ProtectedAppRows, CarryTheBundleForTheIcon) {
  const std::vector<ProtectableApp> apps{app("com.example.Editor", "Editor"),
                                         app("com.example.Editor", "Editor", "/Apps/Editor.app"),
                                         app("com.example.Editor", "Editor", "/Old/Editor.app")};
  const Rows shown{running("com.utmapp.UTM", "UTM", true, "/Applications/UTM.app")};
  EXPECT_EQ(protectedAppRows(apps, ProtectedApps({"com.utmapp.UTM"}), shown),
            (Rows{running("com.example.Editor", "Editor", false, "/Apps/Editor.app"),
                  notRunning("com.utmapp.UTM", "UTM", true, "/Applications/UTM.app")}));
}

} // namespace
} // namespace lumivane::test
