#include "DockObserverFixture.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace lumivane::test {
namespace {
// What a hit test answers over the Dock and beside it.
using DockHit = DockObserverTest;

TEST_F(DockHit, AnApplicationItemGivesItsApplicationAndItsButton) {
  addApp("Mail");
  const int safari = addApp("Safari");
  addApp("Notes");
  const Rect icon = desktop.itemFrame(safari);

  const auto plain = hitItem(safari, std::nullopt);
  ASSERT_TRUE(plain && plain->application);
  EXPECT_EQ(plain->application->identity.pid(), pids["Safari"]);
  EXPECT_EQ(plain->application->name, "Safari");
  EXPECT_FALSE(plain->target);

  const auto full = hitItem(safari);
  ASSERT_TRUE(full && full->target);
  EXPECT_EQ(full->target->app.identity, plain->application->identity);
  EXPECT_EQ(full->target->iconFrame, icon);
  EXPECT_EQ(full->target->edge, DockEdge::bottom);
  // Centred above the icon, past the icon gap, the name band and the band gap.
  EXPECT_EQ(full->target->buttonFrame, (Rect{icon.midX() - 16, icon.minY() - 79, 32, 32}));
  EXPECT_TRUE(geometryLogs().empty());
}

TEST_F(DockHit, FarFromEveryDockEdgeNothingIsAsked) {
  addApp("Safari");
  observer();
  const std::size_t messages = desktop.accessibilityMessageCount();
  EXPECT_FALSE(observer().hit({720, 300}, HoverLayoutOptions::defaults));
  EXPECT_EQ(desktop.accessibilityMessageCount(), messages);
}

TEST_F(DockHit, WithNoItemUnderThePointThereIsNoHit) {
  const int safari = addApp("Safari");
  const Rect icon = desktop.itemFrame(safari);
  // On the list's padding, on the desktop beside the Dock, and on a window above the item.
  EXPECT_FALSE(observer().hit({icon.midX(), icon.maxY() + 2}, HoverLayoutOptions::defaults));
  EXPECT_FALSE(observer().hit({40, 880}, HoverLayoutOptions::defaults));
  desktop.addWindow(pids["Safari"], icon);
  EXPECT_FALSE(hitItem(safari));
}

TEST_F(DockHit, AnElementOfThisProcessIsAskedNothing) {
  const int safari = addApp("Safari");
  // A window of Lumivane's own over the item, as the × panel may be.
  desktop.addWindow(desktop.ownPID(), desktop.itemFrame(safari));
  observer();
  const std::size_t messages = desktop.accessibilityMessageCount();
  EXPECT_FALSE(hitItem(safari));
  // Only the question what lies at the point; nothing is asked of the element it names.
  EXPECT_EQ(desktop.accessibilityMessageCount(), messages + 1);
}

TEST_F(DockHit, WithoutPermissionOrDockEveryQueryIsAbsent) {
  const int safari = addApp("Safari");
  desktop.placeDock(DockEdge::left);
  const auto target = targetOf(safari);
  ASSERT_TRUE(target);
  EXPECT_EQ(observer().currentEdge(), DockEdge::left);

  desktop.setAccessibility(false);
  EXPECT_FALSE(hitItem(safari));
  EXPECT_FALSE(observer().refresh(*target, HoverLayoutOptions::defaults));
  EXPECT_FALSE(observer().selectedApplication(*target));
  EXPECT_EQ(observer().currentEdge(), DockEdge::bottom);

  desktop.setAccessibility(true);
  desktop.setDockRunning(false);
  EXPECT_FALSE(hitItem(safari));
  EXPECT_FALSE(observer().refresh(*target, HoverLayoutOptions::defaults));
  EXPECT_FALSE(observer().selectedApplication(*target));
  EXPECT_EQ(observer().currentEdge(), DockEdge::bottom);
}

// Dock items that stand for no application that may be quit: a Hit, but nothing in it.
struct ItemCase {
  std::string name;
  std::function<int(DockObserverTest&)> add;
};

class DockItemWithoutApplication : public DockObserverTest,
                                   public ::testing::WithParamInterface<ItemCase> {};

TEST_P(DockItemWithoutApplication, GivesAnEmptyHit) {
  addApp("Safari");
  const int item = GetParam().add(*this);
  const auto hit = hitItem(item);
  ASSERT_TRUE(hit);
  EXPECT_FALSE(hit->application);
  EXPECT_FALSE(hit->target);
}

const ItemCase itemsWithoutApplication[] = {
    {"Folder",
     [](DockObserverTest& t) { return t.desktop.addDockItem(DockItemKind::folder, "Downloads"); }},
    {"Trash",
     [](DockObserverTest& t) { return t.desktop.addDockItem(DockItemKind::trash, "Trash"); }},
    {"NotRunning",
     [](DockObserverTest& t) {
       return t.desktop.addDockApplication("Maps", "/Applications/Maps.app");
     }},
    {"WithoutURL", [](DockObserverTest& t) { return t.desktop.addDockApplication("Ghost", ""); }},
    {"Finder",
     [](DockObserverTest& t) {
       sim::AppProfile finder = profile("Finder", "/System/Library/CoreServices/Finder.app");
       finder.bundleIdentifier = "com.apple.finder";
       t.desktop.launch(finder);
       return t.desktop.addDockApplication("Finder", finder.bundlePath);
     }},
    {"TwoCopies",
     [](DockObserverTest& t) {
       t.desktop.launch(profile("Notes"));
       return t.addApp("Notes");
     }},
    {"StillLaunching",
     [](DockObserverTest& t) {
       sim::AppProfile slow = profile("Slow");
       slow.finishedLaunching = false;
       t.desktop.launch(slow);
       return t.desktop.addDockApplication("Slow", slow.bundlePath);
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, DockItemWithoutApplication,
                         ::testing::ValuesIn(itemsWithoutApplication),
                         [](const auto& info) { return info.param.name; });

// The item is the element at the point or one of its first three ancestors.
class DockHitWalk : public DockObserverTest, public ::testing::WithParamInterface<int> {};

TEST_P(DockHitWalk, FindsTheItemUpToThreeLevelsUp) {
  const int safari = addApp("Safari");
  desktop.setItemDepth(GetParam());
  const auto hit = hitItem(safari);
  EXPECT_EQ(hit.has_value(), GetParam() <= 3);
  if (hit) {
    EXPECT_TRUE(hit->target);
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, DockHitWalk, ::testing::Values(0, 1, 2, 3, 4));

// The item's frame, as the Dock reports it, must hold the point and be more than one point wide
// and high.
struct FrameCase {
  std::string name;
  double shift; // moves the reported position right, in points
  double side;  // the reported width and height
  bool accepted;
};

class DockHitItemFrame : public DockObserverTest,
                         public ::testing::WithParamInterface<FrameCase> {};

TEST_P(DockHitItemFrame, MustHoldThePointAndMeasureMoreThanOnePoint) {
  const int safari = addApp("Safari");
  const FrameCase& reported = GetParam();
  rewriteForRole("AXDockItem", [&](std::string_view name, AXValue& value) {
    if (auto* position = std::get_if<Point>(&value); position && name == "AXPosition") {
      position->x += reported.shift;
    } else if (name == "AXSize") {
      value = platform::AXSize{reported.side, reported.side};
    }
  });
  const Rect icon = desktop.itemFrame(safari);
  const auto hit = observer().hit({icon.x + 0.5, icon.y + 0.5}, std::nullopt);
  EXPECT_EQ(hit.has_value(), reported.accepted);
  if (hit) {
    EXPECT_TRUE(hit->application);
  }
}

const FrameCase frameCases[] = {
    {"OnePoint", 0, 1, false},
    {"OneAndAHalfPoints", 0, 1.5, true},
    {"BesideThePoint", 1, 64, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, DockHitItemFrame, ::testing::ValuesIn(frameCases),
                         [](const auto& info) { return info.param.name; });

// At least 85 percent of an item must lie on its display. The observer still knows the display
// as 900 points high while the Dock already sits on its grown successor.
class DockHitOnScreenShare : public DockObserverTest,
                             public ::testing::WithParamInterface<std::pair<double, bool>> {};

TEST_P(DockHitOnScreenShare, NeedsEightyFivePercentOnTheDisplay) {
  const auto [percentOn, accepted] = GetParam();
  const int safari = addApp("Safari");
  desktop.placeDock(DockEdge::bottom, 0, 100);
  observer();
  // 100-point icons sit 12.5 points above the display's bottom edge.
  desktop.setScreens({{0, 0, 1440, 900 + 112.5 - percentOn}});
  const Rect icon = desktop.itemFrame(safari);
  ASSERT_EQ(icon.minY(), 900 - percentOn);
  EXPECT_EQ(hitItem(safari, std::nullopt).has_value(), accepted);
}

INSTANTIATE_TEST_SUITE_P(Shares, DockHitOnScreenShare,
                         ::testing::Values(std::pair{85.0, true}, std::pair{84.0, false}));

// The 65 ms budget of one query, spent through slow messages.
class DockQueryBudget : public DockObserverTest {
public:
  // A hit test, which may hold the main thread for its budget plus one message at most.
  std::optional<DockObserver::Hit> slowHit(int item) {
    const double start = desktop.now();
    auto hit = hitItem(item);
    EXPECT_LE(desktop.now() - start,
              DockObserver::queryBudget + DockObserver::messagingTimeout + 1e-9);
    return hit;
  }
};

TEST_F(DockQueryBudget, RunningOutWhileMeasuringTheListLeavesNoTarget) {
  for (int i = 0; i < 12; ++i) {
    addApp("App" + std::to_string(i));
  }
  observer();
  // Eight messages reach the list; the budget ends five frames into it.
  desktop.setMessageLatency(0.005);
  const auto hit = slowHit(3);
  ASSERT_TRUE(hit && hit->application);
  EXPECT_FALSE(hit->target);
  EXPECT_EQ(geometryLogs(), std::vector<std::string>{std::string(incompleteSnapshot)});

  // The next query has a budget of its own.
  desktop.setMessageLatency(0);
  EXPECT_TRUE(targetOf(3));
}

TEST_F(DockQueryBudget, RunningOutWhileResolvingTheApplicationIsLogged) {
  const int safari = addApp("Safari");
  observer();
  // The fifth message, the item's URL, starts at 60 ms and ends at 75 ms.
  desktop.setMessageLatency(0.015);
  EXPECT_FALSE(slowHit(safari));
  EXPECT_EQ(geometryLogs(), std::vector<std::string>{"Dock identity query budget exhausted"});
}

TEST_F(DockQueryBudget, RunningOutDuringTheWalkIsNotLogged) {
  const int safari = addApp("Safari");
  desktop.setItemDepth(3);
  observer();
  // Two levels up, the fourth message ends at 76 ms, before the item is reached.
  desktop.setMessageLatency(0.019);
  EXPECT_FALSE(slowHit(safari));
  EXPECT_TRUE(geometryLogs().empty());
}

TEST_F(DockQueryBudget, RunningOutWithTheLastFrameDropsThePlacement) {
  for (int i = 0; i < 5; ++i) {
    addApp("App" + std::to_string(i));
  }
  observer();
  // Twelve messages end within the budget; the thirteenth, the last item's frame, ends past it.
  desktop.setMessageLatency(0.0052);
  const auto hit = slowHit(2);
  ASSERT_TRUE(hit && hit->application);
  EXPECT_FALSE(hit->target);
  EXPECT_EQ(geometryLogs(), std::vector<std::string>{"Hover layout query budget exhausted"});
}

TEST_F(DockQueryBudget, AHungMessageGivesUpAfterTwentyMilliseconds) {
  const int safari = addApp("Safari");
  observer();
  desktop.addFault({FaultKind::timeout, FaultTarget::item, "AXSubrole"});
  const double start = desktop.now();
  const auto hit = hitItem(safari);
  EXPECT_NEAR(desktop.now() - start, 0.02, 1e-6);
  ASSERT_TRUE(hit);
  EXPECT_FALSE(hit->application);
}

TEST_F(DockQueryBudget, ADisplayTooShortForTheButtonIsLogged) {
  desktop.setScreens({{0, 0, 1440, 120}});
  const int safari = addApp("Safari");
  const auto hit = hitItem(safari);
  ASSERT_TRUE(hit && hit->application);
  EXPECT_FALSE(hit->target);
  EXPECT_EQ(geometryLogs(),
            std::vector<std::string>{"Hover layout unavailable: no safe placement"});
}

// Accessibility answers that fail or have the wrong type or value.
struct FaultCase {
  std::string name;
  Fault fault;
  bool hit;
  bool application;
  bool target;
  bool logsIncomplete = false;
};

class DockValueFault : public DockObserverTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DockValueFault, IsRefusedWithoutACrash) {
  const FaultCase& fault = GetParam();
  addApp("Mail");
  const int safari = addApp("Safari");
  desktop.addFault(fault.fault);
  const auto hit = hitItem(safari);
  ASSERT_EQ(hit.has_value(), fault.hit);
  if (hit) {
    EXPECT_EQ(hit->application.has_value(), fault.application);
    EXPECT_EQ(hit->target.has_value(), fault.target);
  }
  EXPECT_EQ(geometryLogs(), fault.logsIncomplete
                                ? std::vector<std::string>{std::string(incompleteSnapshot)}
                                : std::vector<std::string>{});
}

const FaultCase faultCases[] = {
    {"NoElementAtPosition",
     {FaultKind::error, FaultTarget::anyElement, "AXElementAtPosition"},
     false,
     false,
     false},
    {"ItemPositionAsSize",
     {FaultKind::wrongType, FaultTarget::item, "AXPosition", 1},
     false,
     false,
     false},
    {"ItemSizeAsPosition",
     {FaultKind::wrongType, FaultTarget::item, "AXSize", 1},
     false,
     false,
     false},
    {"ItemPositionNaN",
     {FaultKind::nonFinite, FaultTarget::item, "AXPosition", 1},
     false,
     false,
     false},
    {"ItemSizeInfinite",
     {FaultKind::nonFinite, FaultTarget::item, "AXSize", 1},
     false,
     false,
     false},
    {"ItemFrameError", {FaultKind::error, FaultTarget::item, "AXSize", 1}, false, false, false},
    {"ItemRoleAsNumber",
     {FaultKind::wrongType, FaultTarget::item, "AXRole", 1},
     false,
     false,
     false},
    {"ItemSubroleAsNumber",
     {FaultKind::wrongType, FaultTarget::item, "AXSubrole", 1},
     true,
     false,
     false},
    {"ItemURLAsNumber", {FaultKind::wrongType, FaultTarget::item, "AXURL", 1}, true, false, false},
    {"ItemURLError", {FaultKind::error, FaultTarget::item, "AXURL", 1}, true, false, false},
    {"ItemParentAsText",
     {FaultKind::wrongType, FaultTarget::item, "AXParent", 1},
     true,
     true,
     false},
    {"ListFrameError", {FaultKind::error, FaultTarget::list, "AXPosition"}, true, true, false},
    {"ListChildrenAsOther",
     {FaultKind::wrongType, FaultTarget::list, "AXChildren"},
     true,
     true,
     false,
     true},
    {"NeighbourSizeInfinite",
     {FaultKind::nonFinite, FaultTarget::item, "AXSize", 0},
     true,
     true,
     false,
     true},
    {"NeighbourPositionAsSize",
     {FaultKind::wrongType, FaultTarget::item, "AXPosition", 0},
     true,
     true,
     false,
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, DockValueFault, ::testing::ValuesIn(faultCases),
                         [](const auto& info) { return info.param.name; });

// More than 128 children in the Dock's list is too many to measure.
class DockListLength : public DockObserverTest, public ::testing::WithParamInterface<int> {};

TEST_P(DockListLength, IsMeasuredUpTo128Children) {
  for (int i = 0; i < 3; ++i) {
    addApp("App" + std::to_string(i));
  }
  desktop.setExtraListChildren(GetParam() - 3);
  const auto hit = hitItem(1);
  ASSERT_TRUE(hit && hit->application);
  EXPECT_EQ(hit->target.has_value(), GetParam() <= 128);
}

INSTANTIATE_TEST_SUITE_P(Children, DockListLength, ::testing::Values(128, 129));

// "AXURL" values the Dock may hand out, and which running application they name, if any.
struct URLCase {
  std::string name;
  AXValue value;
  std::optional<std::string> names;
};

class DockItemURL : public DockObserverTest, public ::testing::WithParamInterface<URLCase> {};

TEST_P(DockItemURL, NamesABundleOnlyAsAFileURLOfAnApp) {
  const int safari = addApp("Safari");
  addApp("Sale", "/Applications/100%.app");
  addApp("Tool", "/Applications/My Tool.app");
  accessibility.rewrite = [url = GetParam().value](const platform::ElementRef&,
                                                   std::string_view name, AXValue& value) {
    if (name == "AXURL") {
      value = url;
    }
  };
  const auto hit = hitItem(safari, std::nullopt);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->application ? std::optional(hit->application->name) : std::nullopt,
            GetParam().names);
}

const URLCase urlCases[] = {
    {"AsURL", platform::AXURL{"file:///Applications/Safari.app/"}, "Safari"},
    {"AsText", platform::AXText{"file:///Applications/Safari.app/"}, "Safari"},
    {"SchemeInCapitals", platform::AXURL{"FILE:///Applications/Safari.app"}, "Safari"},
    {"Localhost", platform::AXURL{"file://localhost/Applications/Safari.app/"}, "Safari"},
    {"PercentEscapes", platform::AXText{"file:///Applications/Saf%61ri.app/"}, "Safari"},
    {"EscapedPercent", platform::AXURL{"file:///Applications/100%25.app/"}, "Sale"},
    {"Dotted", platform::AXURL{"file:///Applications/./Tools/../Safari.app/"}, "Safari"},
    {"WebURL", platform::AXURL{"https://example.com/Applications/Safari.app/"}, std::nullopt},
    {"OtherHost", platform::AXURL{"file://server/Applications/Safari.app/"}, std::nullopt},
    {"InsideTheBundle", platform::AXURL{"file:///Applications/Safari.app/Contents/"}, std::nullopt},
    {"Folder", platform::AXURL{"file:///Users/me/Downloads/"}, std::nullopt},
    {"RelativePath", platform::AXText{"file:Applications/Safari.app"}, std::nullopt},
    {"TextWithoutScheme", platform::AXText{"/Applications/Safari.app"}, std::nullopt},
    {"EscapedSpace", platform::AXURL{"file:///Applications/My%20Tool.app/"}, "Tool"},
    {"TextWithSpace", platform::AXText{"file:///Applications/My Tool.app/"}, std::nullopt},
    {"MalformedEscape", platform::AXText{"file:///Applications/100%.app/"}, std::nullopt},
    {"Number", platform::AXNumber{1}, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, DockItemURL, ::testing::ValuesIn(urlCases),
                         [](const auto& info) { return info.param.name; });

// What a real Dock holds besides its items: a menu open beside an item, spacers and extras, and
// Mission Control's group beside the list.
using DockFullerTree = DockObserverTest;

TEST_F(DockFullerTree, AnOpenMenuIsNeitherTheItemNorAnObstacle) {
  addApp("Safari");
  const int mail = addApp("Mail");
  addApp("Notes");
  const auto before = targetOf(mail);
  ASSERT_TRUE(before);
  desktop.openDockMenu(mail);
  // The menu's first entry, read from the item's only child.
  platform::Accessibility& ax = desktop.platform().accessibility;
  const auto children = [&](const platform::ElementRef& element) {
    return std::get<std::vector<platform::ElementRef>>(*ax.attribute(element, "AXChildren"));
  };
  const auto items =
      children(children(ax.application(desktop.dockPID())).at(0)).at(static_cast<size_t>(mail));
  const platform::ElementRef entry = children(children(items).at(0)).at(0);
  const std::string_view frameNames[] = {"AXPosition", "AXSize"};
  const auto frame = *ax.attributes(entry, frameNames);
  const Point origin = std::get<Point>(frame[0]);
  const auto size = std::get<platform::AXSize>(frame[1]);
  const Point onEntry{origin.x + size.width / 2, origin.y + size.height / 2};

  const auto look = observer().look(onEntry, HoverLayoutOptions::defaults);
  ASSERT_TRUE(std::holds_alternative<DockObserver::Miss>(look));
  EXPECT_EQ(std::get<DockObserver::Miss>(look), DockObserver::Miss::nothing);
  const auto with = targetOf(mail);
  ASSERT_TRUE(with);
  EXPECT_EQ(with->buttonFrame, before->buttonFrame);
}

// Neither is an item to act on; a spacer shows nothing, as the gap between icons, while an extra
// is a tile the pointer may rest on.
TEST_F(DockFullerTree, SpacersAndExtrasAreNoItemsToActOn) {
  const int safari = addApp("Safari");
  const int gap = desktop.addDockItem(DockItemKind::spacer, "Gap");
  const int extra = desktop.addDockItem(DockItemKind::extra, "Widgets");
  for (const auto& [item, miss] : {std::pair{gap, DockObserver::Miss::nothing},
                                   std::pair{extra, DockObserver::Miss::dockExtra}}) {
    const auto look = observer().look(centre(desktop.itemFrame(item)), std::nullopt);
    ASSERT_TRUE(std::holds_alternative<DockObserver::Miss>(look)) << item;
    EXPECT_EQ(std::get<DockObserver::Miss>(look), miss) << item;
  }
  EXPECT_TRUE(targetOf(safari));
}

TEST_F(DockFullerTree, TheListIsFoundByItsRoleWhileMissionControlIsOpen) {
  desktop.placeDock(DockEdge::left, 0, 48);
  addApp("Safari");
  addApp("Mail");
  desktop.setMissionControl(true);
  EXPECT_EQ(observer().currentEdge(), DockEdge::left);
  const auto dock = readDock(observer());
  ASSERT_TRUE(dock);
  EXPECT_EQ(dock->listFrame, desktop.dockListFrame());
  EXPECT_EQ(dock->items.size(), 2u);
}

// The Dock records a bundle path as it was added; it is compared in the canonical form.
struct PathCase {
  std::string name;
  std::string dockPath;
  std::string appPath;
};

class DockItemPath : public DockObserverTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(DockItemPath, ResolvesToTheRunningApplication) {
  desktop.addSymlink("/Applications/Link.app", "/Volumes/Apps/Real.app");
  const PathCase& path = GetParam();
  const int32_t pid = desktop.launch(profile("Tool", path.appPath));
  const int item = desktop.addDockApplication("Tool", path.dockPath);
  const auto hit = hitItem(item);
  ASSERT_TRUE(hit && hit->application);
  EXPECT_EQ(hit->application->identity.pid(), pid);
  EXPECT_TRUE(hit->target);
}

const PathCase pathCases[] = {
    {"Plain", "/Applications/Tool.app", "/Applications/Tool.app"},
    {"WithSpace", "/Applications/My Tool.app", "/Applications/My Tool.app"},
    {"ExtensionInCapitals", "/Applications/Tool.APP", "/Applications/Tool.APP"},
    {"ThroughASymlink", "/Applications/Link.app", "/Volumes/Apps/Real.app"},
    {"DecomposedAccent", "/Applications/Cafe\u0301.app", "/Applications/Caf\u00e9.app"},
    // Safari's default item names the Preboot cryptex; /Applications/Safari.app links there.
    {"SafarisCryptex", "/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app",
     "/Applications/Safari.app"},
    // /private/var and /var are one folder.
    {"PrivateVar", "/private/var/apps/Tool.app", "/var/apps/Tool.app"},
};

INSTANTIATE_TEST_SUITE_P(Cases, DockItemPath, ::testing::ValuesIn(pathCases),
                         [](const auto& info) { return info.param.name; });

using DockRunningApps = DockObserverTest;

// The workspace may give the executable inside the bundle as the bundle URL: the item still
// resolves to its application, known by the bundle around the executable, and named after it.
TEST_F(DockRunningApps, AnExecutableBundleURLStandsForTheBundleAroundIt) {
  sim::AppProfile notes = profile("Notes");
  notes.executableURL = true;
  notes.name.clear();
  desktop.launch(notes);
  const int item = desktop.addDockApplication("Notes", notes.bundlePath);
  const auto hit = hitItem(item);
  ASSERT_TRUE(hit && hit->application && hit->target);
  EXPECT_EQ(hit->application->identity.bundlePath(), "/Applications/Notes.app");
  EXPECT_EQ(hit->application->name, "Notes");
}

TEST_F(DockRunningApps, ListsOnlyAppsWithBundleLaunchDateAndIdentifier) {
  sim::AppProfile noBundle = profile("NoBundle");
  noBundle.bundlePath.clear();
  sim::AppProfile noDate = profile("NoDate");
  noDate.hasLaunchDate = false;
  sim::AppProfile noIdentifier = profile("NoIdentifier");
  noIdentifier.bundleIdentifier.clear();
  sim::AppProfile nameless = profile("Nameless", "/Applications/Nameless Tool.v2.app");
  nameless.name.clear();
  sim::AppProfile agent = profile("Agent");
  agent.policy = platform::ActivationPolicy::accessory;
  for (const auto& app : {noBundle, noDate, noIdentifier}) {
    desktop.launch(app);
  }
  const int32_t namelessPID = desktop.launch(nameless);
  const int32_t agentPID = desktop.launch(agent);

  std::map<int32_t, RunningApp> listed;
  for (const RunningApp& app : observer().runningApps()) {
    listed.emplace(app.identity.pid(), app);
  }
  // The Dock, Lumivane itself, the nameless app and the agent.
  EXPECT_EQ(listed.size(), 4u);
  ASSERT_TRUE(listed.contains(namelessPID) && listed.contains(agentPID));
  EXPECT_EQ(listed.at(namelessPID).name, "Nameless Tool.v2");
  EXPECT_EQ(listed.at(namelessPID).identity.launchedAt(), desktop.launchDate(namelessPID));
  EXPECT_TRUE(listed.at(namelessPID).isRegular);
  EXPECT_FALSE(listed.at(agentPID).isRegular);
  EXPECT_EQ(listed.at(agentPID).bundleIdentifier, "com.example.Agent");
}

} // namespace
} // namespace lumivane::test
