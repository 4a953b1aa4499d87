#include "LumivaneCore/AppIdentity.hpp"
#include "TestIdentities.hpp"

#include <gtest/gtest.h>
#include <vector>

namespace lumivane {
namespace {

using test::identity;

constexpr int32_t ownPID = 500;
const std::string safariPath = "/Applications/Safari.app";

RunningApp app(int32_t pid, std::string path, std::string bundleIdentifier = "com.example.app") {
  return {identity(pid, std::move(path)), std::move(bundleIdentifier), "App", true, true, false};
}

std::optional<int32_t> resolvedPID(const std::vector<RunningApp>& apps,
                                   const std::string& path = safariPath) {
  const auto resolved = AppResolver::resolve(path, apps, ownPID);
  return resolved ? std::optional(resolved->identity.pid()) : std::nullopt;
}

TEST(AppResolverMatching, NeedsExactlyOneLiveInstance) {
  EXPECT_EQ(resolvedPID({}), std::nullopt);
  EXPECT_EQ(resolvedPID({app(1, "/Applications/Mail.app"), app(2, safariPath)}), 2);

  // Ambiguous even when only one of the two could be quit.
  RunningApp background = app(3, safariPath);
  background.isRegular = false;
  EXPECT_EQ(resolvedPID({app(2, safariPath), background}), std::nullopt);

  // A terminated instance is dropped before counting.
  RunningApp terminated = app(4, safariPath);
  terminated.isTerminated = true;
  EXPECT_EQ(resolvedPID({terminated, app(2, safariPath)}), 2);
  EXPECT_EQ(resolvedPID({terminated}), std::nullopt);
}

TEST(AppResolverMatching, PathsCompareExactly) {
  const std::vector<RunningApp> apps{app(2, safariPath)};
  EXPECT_EQ(resolvedPID(apps, "/applications/safari.app"), std::nullopt);
  EXPECT_EQ(resolvedPID(apps, safariPath + "/"), std::nullopt);
  EXPECT_EQ(resolvedPID(apps, "/Applications/Safari"), std::nullopt);
}

TEST(AppResolverEligibility, RefusesWhatMustNotBeQuit) {
  EXPECT_EQ(resolvedPID({app(ownPID, safariPath)}), std::nullopt);

  RunningApp background = app(2, safariPath);
  background.isRegular = false;
  EXPECT_EQ(resolvedPID({background}), std::nullopt);

  RunningApp launching = app(2, safariPath);
  launching.isFinishedLaunching = false;
  EXPECT_EQ(resolvedPID({launching}), std::nullopt);
}

TEST(AppResolverEligibility, ResultIsTheWholeSnapshot) {
  RunningApp safari = app(2, safariPath, "com.apple.Safari");
  safari.name = "Safari";
  const auto resolved = AppResolver::resolve(safariPath, std::vector{safari}, ownPID);
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->identity, safari.identity);
  EXPECT_EQ(resolved->bundleIdentifier, "com.apple.Safari");
  EXPECT_EQ(resolved->name, "Safari");
}

// The reason decide() gives is the first check that fails, in the order the checks are made.
TEST(AppResolverReasons, NameTheFirstCheckThatFails) {
  const auto reason =
      [](const std::vector<RunningApp>& apps) -> std::optional<AppResolver::Refusal> {
    const auto decision = AppResolver::decide(safariPath, apps, ownPID);
    const auto* refusal = std::get_if<AppResolver::Refusal>(&decision);
    return refusal ? std::optional(*refusal) : std::nullopt;
  };
  using AppResolver::Refusal;
  EXPECT_EQ(reason({}), Refusal::notRunning);
  EXPECT_EQ(reason({app(2, safariPath), app(3, safariPath)}), Refusal::severalCopies);
  RunningApp own = app(ownPID, safariPath);
  own.isRegular = false;
  EXPECT_EQ(reason({own}), Refusal::ownProcess);
  RunningApp background = app(2, safariPath);
  background.isRegular = false;
  background.isFinishedLaunching = false;
  EXPECT_EQ(reason({background}), Refusal::notRegular);
  RunningApp launching = app(2, safariPath, "com.apple.finder");
  launching.isFinishedLaunching = false;
  EXPECT_EQ(reason({launching}), Refusal::stillLaunching);
  EXPECT_EQ(reason({app(2, safariPath, "com.apple.Finder")}), Refusal::excluded);
  EXPECT_EQ(reason({app(2, safariPath)}), std::nullopt);
}

class AppResolverExclusion : public ::testing::TestWithParam<std::string> {};

TEST_P(AppResolverExclusion, SystemProcessesInAnyCaseAreRefused) {
  EXPECT_TRUE(AppResolver::isExcluded(GetParam()));
  EXPECT_EQ(resolvedPID({app(2, "/System/Library/CoreServices/X.app", GetParam())},
                        "/System/Library/CoreServices/X.app"),
            std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Identifiers, AppResolverExclusion,
                         ::testing::Values("com.apple.finder", "COM.APPLE.FINDER",
                                           "Com.Apple.Finder", "com.apple.dock",
                                           "com.apple.loginwindow", "com.apple.SystemUIServer",
                                           "com.apple.controlcenter"));

TEST(AppResolverExclusionSet, HoldsExactlyTheFiveSystemProcesses) {
  EXPECT_EQ(AppResolver::excludedBundleIDs(),
            (std::unordered_set<std::string>{"com.apple.finder", "com.apple.dock",
                                             "com.apple.loginwindow", "com.apple.systemuiserver",
                                             "com.apple.controlcenter"}));
  EXPECT_FALSE(AppResolver::isExcluded("com.apple.finde"));
  EXPECT_FALSE(AppResolver::isExcluded("com.apple.finder2"));
  EXPECT_FALSE(AppResolver::isExcluded("com.apple.Safari"));
  EXPECT_FALSE(AppResolver::isExcluded(""));
}

} // namespace
} // namespace lumivane
