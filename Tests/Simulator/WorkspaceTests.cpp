#include "Simulator/Desktop.hpp"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace lumivane::sim {
namespace {

AppProfile notes(QuitBehaviour quit = QuitBehaviour::immediately, double delay = 0) {
  return {.name = "Notes",
          .bundleIdentifier = "com.apple.Notes",
          .bundlePath = "/System/Applications/Notes.app",
          .quit = quit,
          .quitDelay = delay};
}

class QuitBehaviours : public ::testing::Test {
protected:
  QuitBehaviours() {
    desktop.platform().notifications.subscribe(platform::NotificationCenter::workspace,
                                               platform::Notification::didTerminateApplication,
                                               [this] { ++terminations; });
  }
  platform::Workspace& workspace() { return desktop.platform().workspace; }

  Desktop desktop;
  int terminations = 0;
};

TEST_F(QuitBehaviours, AnAppThatQuitsAtOnceEndsOnTheNextTurnAndIsAnnounced) {
  const int32_t pid = desktop.launch(notes());
  EXPECT_TRUE(workspace().terminate(pid));
  EXPECT_TRUE(desktop.isRunning(pid));
  desktop.runLoop().drain();
  EXPECT_FALSE(desktop.isRunning(pid));
  EXPECT_FALSE(workspace().application(pid));
  EXPECT_EQ(terminations, 1);
  ASSERT_EQ(desktop.quitRequests().size(), 1u);
  EXPECT_TRUE(desktop.quitRequests()[0].delivered);
}

TEST_F(QuitBehaviours, ADelayedQuitEndsAfterItsDelayAndARepeatedRequestDoesNotExtendIt) {
  const int32_t pid = desktop.launch(notes(QuitBehaviour::afterDelay, 2));
  workspace().terminate(pid);
  desktop.advance(1.5);
  workspace().terminate(pid);
  desktop.advance(0.4);
  EXPECT_TRUE(desktop.isRunning(pid));
  desktop.advance(0.1);
  EXPECT_FALSE(desktop.isRunning(pid));
  EXPECT_EQ(desktop.quitRequests().size(), 2u);
  EXPECT_EQ(terminations, 1);
}

TEST_F(QuitBehaviours, ASavePromptKeepsTheAppAndARefusalIsNotDelivered) {
  const int32_t prompt = desktop.launch(notes(QuitBehaviour::never));
  const int32_t refusing = desktop.launch(notes(QuitBehaviour::refuse));
  EXPECT_TRUE(workspace().terminate(prompt));
  EXPECT_FALSE(workspace().terminate(refusing));
  EXPECT_FALSE(workspace().terminate(99999));
  desktop.advance(60);
  EXPECT_TRUE(desktop.isRunning(prompt));
  EXPECT_TRUE(desktop.isRunning(refusing));
  ASSERT_EQ(desktop.quitRequests().size(), 2u);
  EXPECT_FALSE(desktop.quitRequests()[1].delivered);
  EXPECT_EQ(terminations, 0);
}

TEST_F(QuitBehaviours, AnAppEndingByItselfIsAnnouncedOnce) {
  const int32_t pid = desktop.launch(notes());
  desktop.endByItself(pid);
  desktop.endByItself(pid);
  desktop.runLoop().drain();
  EXPECT_EQ(terminations, 1);
}

TEST(Processes, RelaunchAndReuseMakeNewIdentities) {
  Desktop desktop;
  const int32_t first = desktop.launch(notes());
  const auto firstDate = desktop.launchDate(first);
  const int32_t second = desktop.relaunch(first);
  EXPECT_NE(second, first);
  EXPECT_FALSE(desktop.isRunning(first));
  EXPECT_GT(desktop.launchDate(second), firstDate);

  // The same pid again, in the same instant: the launch date still differs.
  EXPECT_EQ(desktop.launchWithPID(notes(), second), 0);
  desktop.endByItself(second);
  EXPECT_EQ(desktop.launchWithPID(notes(), second), second);
  EXPECT_GT(desktop.launchDate(second), firstDate);
  EXPECT_EQ(desktop.relaunch(424242), 0);

  // New pids never collide with a reused one.
  const int32_t third = desktop.launch(notes());
  EXPECT_NE(third, second);
}

TEST(Processes, TheWorkspaceReportsCanonicalNFCPathsAndOnlyWhatIsKnown) {
  Desktop desktop;
  desktop.addSymlink("/Applications/Notes.app", "/Volumes/Apps/Note\u0301s.app");
  AppProfile bare = notes();
  bare.name = "";
  bare.bundleIdentifier = "";
  bare.hasLaunchDate = false;
  bare.finishedLaunching = false;
  bare.policy = platform::ActivationPolicy::accessory;
  bare.bundlePath = "/Applications/./Notes.app/";
  const int32_t pid = desktop.launch(bare);

  const auto info = desktop.platform().workspace.application(pid);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->bundlePath, "/Volumes/Apps/Not\u00e9s.app");
  EXPECT_FALSE(info->launchDate);
  EXPECT_FALSE(info->bundleIdentifier);
  EXPECT_FALSE(info->localizedName);
  EXPECT_FALSE(info->isFinishedLaunching);
  EXPECT_EQ(info->activationPolicy, platform::ActivationPolicy::accessory);
  desktop.finishLaunching(pid);
  EXPECT_TRUE(desktop.platform().workspace.application(pid)->isFinishedLaunching);

  // The Dock and Lumivane itself run from the start.
  const auto all = desktop.platform().workspace.runningApplications();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].bundleIdentifier, "com.apple.dock");
  EXPECT_EQ(all[1].pid, desktop.ownPID());
  EXPECT_EQ(desktop.platform().process.bundlePath(), all[1].bundlePath);
}

// The workspace may name an app's executable as its bundle URL; the system still knows the
// process by its bundle: the Dock's running indicator, the processes of the bundle and the
// records of a quit request count it.
TEST(Processes, ABundleURLThatNamesTheExecutableHidesNothingFromTheSystem) {
  Desktop desktop;
  desktop.addScreen({0, 0, 1440, 900});
  AppProfile inside = notes();
  inside.executableURL = true;
  const int item = desktop.addDockApplication("Notes", "/System/Applications/Notes.app", false);
  EXPECT_EQ(desktop.itemFrame(item).width, 0);
  const int32_t pid = desktop.launch(inside);
  desktop.advance(1);
  EXPECT_GT(desktop.itemFrame(item).width, 0);
  EXPECT_EQ(desktop.platform().workspace.application(pid)->bundlePath,
            "/System/Applications/Notes.app/Contents/MacOS/Notes");
  const auto processes = desktop.processesFrom("/System/Applications/./Notes.app");
  ASSERT_EQ(processes.size(), 1u);
  EXPECT_EQ(processes[0].pid, pid);
  desktop.platform().workspace.terminate(pid);
  EXPECT_EQ(desktop.quitRequests().back().copies, 1);
}

TEST(Processes, AnEndedAppMayStayListedAsTerminatedForAWhile) {
  Desktop desktop;
  const int32_t pid = desktop.launch(notes());
  desktop.endByItself(pid, 1);
  EXPECT_FALSE(desktop.isRunning(pid));
  EXPECT_FALSE(desktop.platform().workspace.application(pid));
  auto listed = desktop.platform().workspace.runningApplications();
  const auto entry = std::ranges::find(listed, pid, &platform::ApplicationInfo::pid);
  ASSERT_NE(entry, listed.end());
  EXPECT_TRUE(entry->isTerminated);
  desktop.advance(1);
  listed = desktop.platform().workspace.runningApplications();
  EXPECT_EQ(std::ranges::find(listed, pid, &platform::ApplicationInfo::pid), listed.end());
}

// What Lumivane must be safe against, though no source shows the real lookup doing it: a lookup of
// a pid that answers an ended process's record, or a process the list does not hold yet.
TEST(Processes, ALookupOfAPIDMayDisagreeWithTheListForAWhile) {
  Desktop desktop;
  platform::Workspace& workspace = desktop.platform().workspace;
  const auto listed = [&](int32_t pid) {
    const auto all = workspace.runningApplications();
    return std::ranges::find(all, pid, &platform::ApplicationInfo::pid) != all.end();
  };
  const int32_t pid = desktop.launch(notes());
  desktop.endByItself(pid, 1, true);
  ASSERT_TRUE(workspace.application(pid));
  EXPECT_TRUE(workspace.application(pid)->isTerminated);

  // A new process on that pid is what the lookup answers, before the list holds it.
  EXPECT_EQ(desktop.launchWithPID(notes(), pid, 2), pid);
  ASSERT_TRUE(workspace.application(pid));
  EXPECT_FALSE(workspace.application(pid)->isTerminated);
  EXPECT_EQ(workspace.application(pid)->launchDate, desktop.launchDate(pid));
  EXPECT_TRUE(listed(pid)); // the ended record, for a second
  desktop.advance(1);
  EXPECT_FALSE(listed(pid));
  desktop.advance(1);
  EXPECT_TRUE(listed(pid));
}

TEST(Processes, AProcessThatBecomesAnotherApplicationKeepsItsPIDAndLaunchDate) {
  Desktop desktop;
  const int32_t pid = desktop.launch(notes());
  const auto launched = desktop.launchDate(pid);
  desktop.execInPlace(pid, {.name = "Scratch",
                            .bundleIdentifier = "com.example.Scratch",
                            .bundlePath = "/Applications/Scratch.app"});
  const auto info = desktop.platform().workspace.application(pid);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->bundlePath, "/Applications/Scratch.app");
  EXPECT_EQ(info->localizedName, "Scratch");
  EXPECT_EQ(info->launchDate, launched);
  EXPECT_TRUE(desktop.processesFrom("/System/Applications/Notes.app").empty());
}

TEST(Processes, SleepMovesTheWallClockButNotUptime) {
  Desktop desktop;
  const int32_t before = desktop.launch(notes());
  desktop.advance(1);
  desktop.sleepFor(3600);
  EXPECT_DOUBLE_EQ(desktop.now(), 1);
  const int32_t after = desktop.launch({.name = "Maps",
                                        .bundleIdentifier = "com.apple.Maps",
                                        .bundlePath = "/System/Applications/Maps.app"});
  // Launches in one instant are a millisecond apart: Notes came just after the Dock and Lumivane.
  const std::chrono::duration<double> apart =
      desktop.launchDate(after) - desktop.launchDate(before);
  EXPECT_NEAR(apart.count(), 3601, 0.005);
}

// Opening a bundle, as openApplicationAtURL:configuration:completionHandler: does it.
class OpenApplication : public ::testing::Test {
protected:
  // Opens `path` and returns the answer, which comes on a later turn.
  std::optional<std::optional<platform::ApplicationInfo>> open(std::string_view path) {
    std::optional<std::optional<platform::ApplicationInfo>> answer;
    desktop.platform().workspace.openApplication(
        path, [&answer](std::optional<platform::ApplicationInfo> application) {
          answer = std::move(application);
        });
    EXPECT_FALSE(answer) << "answered inside the call";
    desktop.runLoop().drain();
    return answer;
  }

  Desktop desktop;
};

TEST_F(OpenApplication, LaunchesWhatLastRanFromTheBundleAsANewProcess) {
  desktop.addSymlink("/Applications/Notes.app", "/System/Applications/Notes.app");
  const int32_t first = desktop.launch(notes(QuitBehaviour::never));
  desktop.advance(1);
  desktop.endByItself(first);
  const auto answer = open("/Applications/Notes.app");
  ASSERT_TRUE(answer && *answer);
  const platform::ApplicationInfo& opened = **answer;
  EXPECT_NE(opened.pid, first);
  EXPECT_TRUE(desktop.isRunning(opened.pid));
  EXPECT_GT(desktop.launchDate(opened.pid), desktop.launchDate(first));
  EXPECT_EQ(opened.bundlePath, std::optional<std::string>("/System/Applications/Notes.app"));
  EXPECT_EQ(desktop.appName(opened.pid), std::optional<std::string>("Notes"));
  ASSERT_EQ(desktop.openRequests().size(), 1u);
  const OpenRequestRecord& record = desktop.openRequests()[0];
  EXPECT_EQ(record.bundlePath, "/System/Applications/Notes.app");
  EXPECT_EQ(record.name, "Notes");
  EXPECT_EQ(record.copies, 0);
  EXPECT_EQ(record.pid, opened.pid);
  EXPECT_TRUE(record.launched);
}

TEST_F(OpenApplication, BringsUpACopyThatRunsInsteadOfASecondOne) {
  const int32_t running = desktop.launch(notes());
  const auto answer = open("/System/Applications/Notes.app");
  ASSERT_TRUE(answer && *answer);
  EXPECT_EQ((*answer)->pid, running);
  ASSERT_EQ(desktop.openRequests().size(), 1u);
  EXPECT_EQ(desktop.openRequests()[0].copies, 1);
  EXPECT_FALSE(desktop.openRequests()[0].launched);
}

TEST_F(OpenApplication, OpensNothingFromARemovedOrUnknownBundle) {
  const int32_t pid = desktop.launch(notes());
  desktop.removeBundle("/System/Applications/Notes.app");
  // What runs from a removed bundle keeps running, and still nothing opens there.
  EXPECT_TRUE(desktop.isRunning(pid));
  const auto removed = open("/System/Applications/Notes.app");
  ASSERT_TRUE(removed);
  EXPECT_FALSE(*removed);
  const auto unknown = open("/Applications/Never.app");
  ASSERT_TRUE(unknown);
  EXPECT_FALSE(*unknown);
  const auto relative = open("Notes.app");
  ASSERT_TRUE(relative);
  EXPECT_FALSE(*relative);
  ASSERT_EQ(desktop.openRequests().size(), 3u);
  EXPECT_EQ(desktop.openRequests()[0].pid, 0);
  EXPECT_EQ(desktop.openRequests()[0].copies, 1);
  EXPECT_EQ(desktop.openRequests()[1].name, "");
}

} // namespace
} // namespace lumivane::sim
