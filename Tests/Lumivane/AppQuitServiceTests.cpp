#include "Lumivane/AppQuitService.hpp"
#include "Simulator/Desktop.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lumivane {
namespace {

using sim::QuitBehaviour;

// A report as the tests compare it: its outcome and name (the time only for reading).
struct Status {
  QuitOutcome outcome;
  std::string name;
  double time;

  friend bool operator==(const Status& a, const Status& b) {
    return a.outcome == b.outcome && a.name == b.name;
  }
  friend std::ostream& operator<<(std::ostream& out, const Status& status) {
    return out << texts::statusLine(QuitLine{status.outcome, status.name}) << " at " << status.time;
  }
};

Status waiting(const std::string& name) {
  return {QuitOutcome::waiting, name, 0};
}
Status ended(const std::string& name) {
  return {QuitOutcome::ended, name, 0};
}
Status refused(const std::string& name) {
  return {QuitOutcome::refused, name, 0};
}
Status timedOut(const std::string& name) {
  return {QuitOutcome::timedOut, name, 0};
}

sim::AppProfile profile(std::string name, QuitBehaviour quit = QuitBehaviour::immediately,
                        double quitDelay = 0) {
  sim::AppProfile result;
  result.bundleIdentifier = "com.example." + name;
  result.bundlePath = "/Applications/" + name + ".app";
  result.name = std::move(name);
  result.quit = quit;
  result.quitDelay = quitDelay;
  return result;
}

class QuitServiceTest : public ::testing::Test {
public:
  void SetUp() override {
    desktop.setAccessibility(true);
    attach(*service);
  }

  void attach(AppQuitService& target) {
    target.onStatus = [this](const QuitReport& report) {
      statuses.push_back({report.outcome, report.name, desktop.now()});
      reported.push_back(report.identity);
    };
    target.onRequest = [this](const AppIdentity& identity) { requested.push_back(identity); };
  }

  // The snapshot a trigger would hand over: the workspace's own facts about the process.
  RunningApp snapshot(int32_t pid) {
    const auto info = desktop.platform().workspace.application(pid);
    EXPECT_TRUE(info.has_value()) << "no process " << pid;
    return {AppIdentity(pid, info ? info->bundlePath.value_or("") : "",
                        info ? info->launchDate.value_or(std::chrono::system_clock::time_point{})
                             : std::chrono::system_clock::time_point{}),
            info ? info->bundleIdentifier.value_or("") : "",
            info ? info->localizedName.value_or("") : "",
            true,
            true,
            false};
  }

  RunningApp launch(const sim::AppProfile& app) { return snapshot(desktop.launch(app)); }

  sim::Desktop desktop;
  std::shared_ptr<AppQuitService> service = AppQuitService::create(desktop.platform());
  std::vector<Status> statuses;
  std::vector<AppIdentity> reported; // the identity of each report, in order
  std::vector<AppIdentity> requested;
};

// waiting → ended, waiting → time-out → late end, and what a time-out leaves behind.
using QuitRequestLife = QuitServiceTest;

TEST_F(QuitRequestLife, AnAppThatQuitsAtOnceIsReportedOnTheTerminationNotice) {
  const RunningApp notes = launch(profile("Notes"));
  service->request(notes);

  EXPECT_EQ(statuses, std::vector{waiting("Notes")});
  EXPECT_EQ(requested, std::vector{notes.identity});
  EXPECT_TRUE(service->isPending(notes.identity));
  EXPECT_TRUE(service->isChecking());
  ASSERT_EQ(desktop.quitRequests().size(), 1u);
  EXPECT_EQ(desktop.quitRequests()[0].pid, notes.identity.pid());

  desktop.runLoop().drain();
  EXPECT_EQ(statuses, (std::vector{waiting("Notes"), ended("Notes")}));
  EXPECT_FALSE(service->isPending(notes.identity));
  EXPECT_FALSE(service->isChecking());
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 0u);
}

TEST_F(QuitRequestLife, WithoutTheNoticeTheNextTickFindsTheEnd) {
  const auto quiet = std::make_shared<AppQuitService>(desktop.platform());
  attach(*quiet);
  const RunningApp mail = launch(profile("Mail", QuitBehaviour::afterDelay, 1.0));
  const double start = desktop.now();
  quiet->request(mail);

  desktop.advance(0.9);
  EXPECT_EQ(statuses, std::vector{waiting("Mail")});
  desktop.advance(0.6);
  ASSERT_EQ(statuses, (std::vector{waiting("Mail"), ended("Mail")}));
  EXPECT_GE(statuses[1].time, start + 1.0);
  EXPECT_LE(statuses[1].time, start + 1.25);
  EXPECT_FALSE(quiet->isChecking());
}

TEST_F(QuitRequestLife, AnAppStillRunningAfterTwelveSecondsTimesOutOnce) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  const double start = desktop.now();
  service->request(pages);

  desktop.advance(11.9);
  EXPECT_EQ(statuses, std::vector{waiting("Pages")});
  EXPECT_TRUE(service->isPending(pages.identity));

  desktop.advance(0.4);
  ASSERT_EQ(statuses, (std::vector{waiting("Pages"), timedOut("Pages")}));
  EXPECT_GE(statuses[1].time, start + 12.0);
  EXPECT_FALSE(service->isPending(pages.identity));
  EXPECT_FALSE(service->isChecking());
  // Nothing is sent at the time-out: no second request, no forced quit.
  EXPECT_EQ(desktop.quitRequests().size(), 1u);
  EXPECT_TRUE(desktop.isRunning(pages.identity.pid()));

  desktop.advance(30);
  EXPECT_EQ(statuses.size(), 2u);
}

TEST_F(QuitRequestLife, AnEndAfterTheTimeOutIsReportedLateAndOnce) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  const RunningApp other = launch(profile("Other"));
  service->request(pages);
  desktop.advance(12.5);

  desktop.endByItself(pages.identity.pid());
  desktop.runLoop().drain();
  EXPECT_EQ(statuses, (std::vector{waiting("Pages"), timedOut("Pages"), ended("Pages")}));
  EXPECT_EQ(reported.back(), pages.identity);

  desktop.endByItself(other.identity.pid());
  desktop.runLoop().drain();
  EXPECT_EQ(statuses.size(), 3u);
}

TEST_F(QuitRequestLife, AnotherReportForgetsTheTimedOutApp) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  const RunningApp music = launch(profile("Music", QuitBehaviour::never));
  service->request(pages);
  desktop.advance(12.5);
  service->request(music);

  desktop.endByItself(pages.identity.pid());
  desktop.runLoop().drain();
  EXPECT_EQ(statuses, (std::vector{waiting("Pages"), timedOut("Pages"), waiting("Music")}));
}

TEST_F(QuitRequestLife, AnEndOnTheTickOfTheTimeOutCountsAsAnEnd) {
  const auto quiet = std::make_shared<AppQuitService>(desktop.platform());
  attach(*quiet);
  const RunningApp numbers = launch(profile("Numbers", QuitBehaviour::afterDelay, 11.9));
  quiet->request(numbers);

  desktop.advance(12.5);
  EXPECT_EQ(statuses, (std::vector{waiting("Numbers"), ended("Numbers")}));
}

TEST_F(QuitRequestLife, ARequestAfterTheTimeOutStartsAFreshWait) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  service->request(pages);
  desktop.advance(12.5);
  service->request(pages);
  EXPECT_EQ(desktop.quitRequests().size(), 2u);
  EXPECT_TRUE(service->isChecking());

  desktop.advance(11.5);
  EXPECT_EQ(statuses.size(), 3u);
  desktop.advance(1.0);
  EXPECT_EQ(statuses, (std::vector{waiting("Pages"), timedOut("Pages"), waiting("Pages"),
                                   timedOut("Pages")}));
}

TEST_F(QuitRequestLife, AReusedPIDMeansThePendingAppEnded) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  service->request(pages);

  desktop.endByItself(pages.identity.pid());
  desktop.launchWithPID(profile("Keynote"), pages.identity.pid());
  desktop.runLoop().drain();
  EXPECT_EQ(statuses, (std::vector{waiting("Pages"), ended("Pages")}));
}

// The report keeps the name it was given; the status line's words supply one (see TextsTests).
TEST_F(QuitRequestLife, AnAppWithoutANameIsReportedWithoutOne) {
  sim::AppProfile nameless = profile("Nameless");
  nameless.name.clear();
  RunningApp app = launch(nameless);
  app.name.clear();
  service->request(app);
  desktop.runLoop().drain();
  EXPECT_EQ(statuses, (std::vector{waiting(""), ended("")}));
  EXPECT_EQ(reported, (std::vector{app.identity, app.identity}));
}

using QuitRequestRefusal = QuitServiceTest;

TEST_F(QuitRequestRefusal, IsReportedAtOnceWithoutWaiting) {
  const RunningApp stubborn = launch(profile("Stubborn", QuitBehaviour::refuse));
  service->request(stubborn);

  EXPECT_EQ(statuses, std::vector{refused("Stubborn")});
  EXPECT_TRUE(requested.empty());
  EXPECT_FALSE(service->isPending(stubborn.identity));
  EXPECT_FALSE(service->isChecking());
  EXPECT_TRUE(desktop.runLoop().timers().empty());

  // The refused request left nothing behind, so a retry is sent at once.
  service->request(stubborn);
  EXPECT_EQ(statuses, (std::vector{refused("Stubborn"), refused("Stubborn")}));
  EXPECT_EQ(desktop.quitRequests().size(), 2u);
}

using QuitRequestDuplicates = QuitServiceTest;

TEST_F(QuitRequestDuplicates, ARepeatedRequestKeepsTheFirstDeadline) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  service->request(pages);
  desktop.advance(5);
  service->request(pages);

  EXPECT_EQ(statuses, std::vector{waiting("Pages")});
  EXPECT_EQ(desktop.quitRequests().size(), 1u);
  EXPECT_EQ(requested.size(), 1u);

  desktop.advance(6.9);
  EXPECT_EQ(statuses.size(), 1u);
  desktop.advance(0.4);
  EXPECT_EQ(statuses, (std::vector{waiting("Pages"), timedOut("Pages")}));
}

TEST_F(QuitRequestDuplicates, TwoPendingAppsShareOneTimer) {
  const RunningApp mail = launch(profile("Mail", QuitBehaviour::afterDelay, 1));
  const RunningApp music = launch(profile("Music", QuitBehaviour::afterDelay, 3));
  service->request(mail);
  service->request(music);

  const auto timers = desktop.runLoop().timers();
  ASSERT_EQ(timers.size(), 1u);
  EXPECT_DOUBLE_EQ(timers[0].interval, 0.25);
  EXPECT_DOUBLE_EQ(timers[0].tolerance, 0.05);

  desktop.advance(1.5);
  EXPECT_EQ(statuses, (std::vector{waiting("Mail"), waiting("Music"), ended("Mail")}));
  EXPECT_TRUE(service->isChecking());
  EXPECT_TRUE(service->isPending(music.identity));

  desktop.advance(2);
  EXPECT_EQ(statuses,
            (std::vector{waiting("Mail"), waiting("Music"), ended("Mail"), ended("Music")}));
  EXPECT_FALSE(service->isChecking());
  EXPECT_EQ(desktop.runLoop().timers().size(), 1u);
}

// Requests that must be dropped without a word: the snapshot no longer names a process that may
// be quit this way.
struct IgnoredCase {
  std::string name;
  std::function<RunningApp(QuitServiceTest&)> prepare;
};

class QuitRequestIgnored : public QuitServiceTest,
                           public ::testing::WithParamInterface<IgnoredCase> {};

TEST_P(QuitRequestIgnored, SendsNothingAndReportsNothing) {
  const RunningApp app = GetParam().prepare(*this);
  const std::size_t sentBefore = desktop.quitRequests().size();
  service->request(app);
  desktop.advance(1);

  EXPECT_TRUE(statuses.empty());
  EXPECT_TRUE(requested.empty());
  EXPECT_EQ(desktop.quitRequests().size(), sentBefore);
  EXPECT_FALSE(service->isPending(app.identity));
  EXPECT_FALSE(service->isChecking());
}

RunningApp withExcludedIdentifier(QuitServiceTest& test, const std::string& identifier) {
  sim::AppProfile app = profile("System");
  app.bundleIdentifier = identifier;
  return test.launch(app);
}

const IgnoredCase ignoredCases[] = {
    {"WithoutAccessibility",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       const RunningApp app = test.launch(profile("Notes"));
       desktop.setAccessibility(false);
       return app;
     }},
    {"VanishedProcess",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       const RunningApp app = test.launch(profile("Notes"));
       desktop.endByItself(app.identity.pid());
       desktop.runLoop().drain();
       return app;
     }},
    {"ReusedPID",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       const RunningApp app = test.launch(profile("Notes"));
       desktop.endByItself(app.identity.pid());
       desktop.runLoop().drain();
       desktop.launchWithPID(profile("Notes"), app.identity.pid());
       return app;
     }},
    {"OtherLaunchDate",
     [](QuitServiceTest& test) {
       RunningApp app = test.launch(profile("Notes"));
       app.identity = AppIdentity(app.identity.pid(), app.identity.bundlePath(),
                                  app.identity.launchedAt() + std::chrono::seconds(1));
       return app;
     }},
    {"OtherBundlePath",
     [](QuitServiceTest& test) {
       RunningApp app = test.launch(profile("Notes"));
       app.identity =
           AppIdentity(app.identity.pid(), "/Applications/notes.app", app.identity.launchedAt());
       return app;
     }},
    {"BackgroundProcess",
     [](QuitServiceTest& test) {
       sim::AppProfile agent = profile("Agent");
       agent.policy = platform::ActivationPolicy::accessory;
       return test.launch(agent);
     }},
    {"StillLaunching",
     [](QuitServiceTest& test) {
       sim::AppProfile slow = profile("Slow");
       slow.finishedLaunching = false;
       return test.launch(slow);
     }},
    {"TwoCopiesThroughASymlink",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       desktop.addSymlink("/Applications/Notes.app", "/Volumes/Apps/Notes.app");
       const RunningApp first = test.launch(profile("Notes"));
       sim::AppProfile copy = profile("Notes");
       copy.bundlePath = "/Volumes/Apps/Notes.app";
       test.launch(copy);
       return first;
     }},
    {"UncanonicalSnapshotPath",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       desktop.addSymlink("/Applications/Notes.app", "/Volumes/Apps/Notes.app");
       RunningApp app = test.launch(profile("Notes"));
       app.identity =
           AppIdentity(app.identity.pid(), "/Applications/Notes.app", app.identity.launchedAt());
       return app;
     }},
    {"FinderLowerCase",
     [](QuitServiceTest& test) { return withExcludedIdentifier(test, "com.apple.finder"); }},
    {"FinderUpperCase",
     [](QuitServiceTest& test) { return withExcludedIdentifier(test, "COM.APPLE.FINDER"); }},
    {"DockMixedCase",
     [](QuitServiceTest& test) { return withExcludedIdentifier(test, "com.Apple.Dock"); }},
    {"ControlCentreMixedCase",
     [](QuitServiceTest& test) { return withExcludedIdentifier(test, "com.apple.ControlCenter"); }},
    {"TwoCopiesOfOneBundle",
     [](QuitServiceTest& test) {
       const RunningApp first = test.launch(profile("Notes"));
       test.launch(profile("Notes"));
       return first;
     }},
    // The workspace's records may lag behind the processes; whatever they disagree on, nothing
    // is sent. An ended process whose terminated record a lookup of its pid still answers, while
    // a second copy of its bundle runs:
    {"EndedButStillFoundByItsPID",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       const RunningApp ended = test.launch(profile("Notes"));
       desktop.endByItself(ended.identity.pid(), 5, true);
       desktop.runLoop().drain();
       test.launch(profile("Notes"));
       return ended;
     }},
    // A new process on the pid of one whose terminated record the list still holds, found by its
    // pid before the list holds it: the list shows no copy of the bundle running.
    {"FoundByItsPIDButNotYetListed",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       const int32_t pid = test.launch(profile("Notes")).identity.pid();
       desktop.endByItself(pid, 5);
       desktop.runLoop().drain();
       desktop.launchWithPID(profile("Notes"), pid, 5);
       return test.snapshot(pid);
     }},
    // The pid now runs another bundle with the launch date it had, and a new copy runs from the
    // bundle the snapshot names.
    {"PIDNowRunsAnotherBundle",
     [](QuitServiceTest& test) {
       sim::Desktop& desktop = test.desktop;
       const RunningApp notes = test.launch(profile("Notes"));
       desktop.execInPlace(notes.identity.pid(), profile("Scratch"));
       test.launch(profile("Notes"));
       return notes;
     }},
    {"ProtectedByTheUser",
     [](QuitServiceTest& test) {
       // The coordinator answers from the user's list.
       test.service->isProtected = [](std::string_view identifier) {
         return identifier == "com.example.Terminal";
       };
       return test.launch(profile("Terminal"));
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, QuitRequestIgnored, ::testing::ValuesIn(ignoredCases),
                         [](const auto& info) { return info.param.name; });

// Bundle paths are compared in the ports' canonical form: symbolic links resolved, NFC.
using QuitRequestPaths = QuitServiceTest;

TEST_F(QuitRequestPaths, AnAppLaunchedThroughASymlinkIsQuit) {
  desktop.addSymlink("/Applications/Notes.app", "../Volumes/Apps/Notes.app");
  const RunningApp notes = launch(profile("Notes"));
  EXPECT_EQ(notes.identity.bundlePath(), "/Volumes/Apps/Notes.app");
  service->request(notes);
  EXPECT_EQ(statuses, std::vector{waiting("Notes")});
}

TEST_F(QuitRequestPaths, AnNFDPathMatchesItsNFCForm) {
  sim::AppProfile cafe = profile("Cafe");
  cafe.bundlePath = "/Applications/Cafe\u0301.app";
  const int32_t pid = desktop.launch(cafe);
  const RunningApp app{AppIdentity(pid, "/Applications/Caf\u00e9.app", desktop.launchDate(pid)),
                       "com.example.Cafe",
                       "Cafe",
                       true,
                       true,
                       false};
  service->request(app);
  EXPECT_EQ(statuses, std::vector{waiting("Cafe")});
}

// The workspace may give the executable inside the bundle as the bundle URL: the request names
// the bundle, as the Dock item does, and two copies of it are still two.
TEST_F(QuitRequestPaths, ABundleURLThatNamesTheExecutableIsTheBundle) {
  sim::AppProfile notes = profile("Notes");
  notes.executableURL = true;
  RunningApp app = launch(notes);
  app.identity =
      AppIdentity(app.identity.pid(), "/Applications/Notes.app", app.identity.launchedAt());
  const int32_t copy = desktop.launch(notes);
  service->request(app);
  EXPECT_TRUE(statuses.empty());
  desktop.endByItself(copy);
  service->request(app);
  EXPECT_EQ(statuses, std::vector{waiting("Notes")});
}

// Stands in for the own process's pid, so that the own process can look like an ordinary
// application.
class OwnProcess final : public platform::Process {
public:
  OwnProcess(platform::Process& real, int32_t pid) : real_(real), pid_(pid) {}
  int32_t pid() override { return pid_; }
  std::vector<std::string> arguments() override { return real_.arguments(); }
  std::string bundlePath() override { return real_.bundlePath(); }
  std::string systemVersion() override { return real_.systemVersion(); }
  std::optional<bool> dockMagnification() override { return real_.dockMagnification(); }

private:
  platform::Process& real_;
  int32_t pid_;
};

TEST_F(QuitRequestPaths, TheOwnProcessIsNeverQuit) {
  const RunningApp self = launch(profile("Helper"));
  platform::Platform& base = desktop.platform();
  OwnProcess own(base.process, self.identity.pid());
  platform::Platform platform{base.accessibility,
                              base.workspace,
                              base.eventTaps,
                              base.runLoop,
                              base.notifications,
                              base.mouse,
                              base.screens,
                              base.defaults,
                              base.loginItems,
                              base.logger,
                              own};
  const auto quitter = AppQuitService::create(platform);
  attach(*quitter);
  quitter->request(self);
  EXPECT_TRUE(statuses.empty());
  EXPECT_TRUE(desktop.quitRequests().empty());
}

using QuitServiceStop = QuitServiceTest;

TEST_F(QuitServiceStop, StopsFollowingPendingRequests) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  const std::size_t subscriptions = desktop.subscriptionCount();
  service->request(pages);
  service->stop();

  EXPECT_FALSE(service->isChecking());
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 0u);
  EXPECT_EQ(desktop.subscriptionCount(), subscriptions - 1);
  desktop.advance(20);
  desktop.endByItself(pages.identity.pid());
  desktop.runLoop().drain();
  EXPECT_EQ(statuses, std::vector{waiting("Pages")});
}

TEST_F(QuitServiceStop, AServiceThatIsGoneLeavesNothingRunning) {
  const RunningApp pages = launch(profile("Pages", QuitBehaviour::never));
  service->request(pages);
  service.reset();

  desktop.endByItself(pages.identity.pid());
  desktop.advance(13);
  EXPECT_EQ(statuses, std::vector{waiting("Pages")});
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 0u);
}

} // namespace
} // namespace lumivane
