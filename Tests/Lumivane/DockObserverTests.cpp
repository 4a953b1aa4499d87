#include "Lumivane/DockObserver.hpp"
#include "Simulator/Desktop.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace lumivane {
namespace {

using platform::AXValue;
using Reading = DockObserver::Reading;
using sim::DockItemKind;
using sim::Fault;
using sim::FaultKind;
using sim::FaultTarget;

constexpr std::string_view incompleteSnapshot =
    "Hover layout unavailable: incomplete Dock geometry snapshot";

// Hands every message to the simulated Accessibility interface and lets a test rewrite the
// values that come back, for answers the simulated Dock never gives by itself.
class RewritingAccessibility final : public platform::Accessibility {
public:
  explicit RewritingAccessibility(platform::Accessibility& inner) : inner_(inner) {}

  std::function<void(const platform::ElementRef&, std::string_view, AXValue&)> rewrite;

  bool isProcessTrusted() override { return inner_.isProcessTrusted(); }
  void promptForTrust() override { inner_.promptForTrust(); }
  platform::ElementRef systemWide() override { return inner_.systemWide(); }
  platform::ElementRef application(int32_t pid) override { return inner_.application(pid); }
  void setMessagingTimeout(const platform::ElementRef& element, float seconds) override {
    inner_.setMessagingTimeout(element, seconds);
  }
  std::optional<platform::ElementRef> elementAtPosition(const platform::ElementRef& system, float x,
                                                        float y) override {
    return inner_.elementAtPosition(system, x, y);
  }
  std::optional<int32_t> processID(const platform::ElementRef& element) override {
    return inner_.processID(element);
  }
  bool isSameElement(const platform::ElementRef& a, const platform::ElementRef& b) override {
    return inner_.isSameElement(a, b);
  }
  std::optional<AXValue> attribute(const platform::ElementRef& element,
                                   std::string_view name) override {
    std::optional<AXValue> value = inner_.attribute(element, name);
    if (value && rewrite) {
      rewrite(element, name, *value);
    }
    return value;
  }
  std::optional<std::vector<AXValue>> attributes(const platform::ElementRef& element,
                                                 std::span<const std::string_view> names) override {
    std::optional<std::vector<AXValue>> values = inner_.attributes(element, names);
    for (std::size_t i = 0; values && rewrite && i < names.size(); ++i) {
      rewrite(element, names[i], (*values)[i]);
    }
    return values;
  }

private:
  platform::Accessibility& inner_;
};

sim::AppProfile profile(const std::string& name, std::string bundlePath = "") {
  sim::AppProfile result;
  result.name = name;
  result.bundleIdentifier = "com.example." + name;
  result.bundlePath = bundlePath.empty() ? "/Applications/" + name + ".app" : bundlePath;
  return result;
}

Point centre(const Rect& rect) {
  return {rect.midX(), rect.midY()};
}

class DockObserverTest : public ::testing::Test {
public:
  void SetUp() override {
    desktop.setAccessibility(true);
    desktop.setScreens({{0, 0, 1440, 900}});
  }

  // A running application with its Dock item; returns the item's index.
  int addApp(const std::string& name, const std::string& bundlePath = "") {
    const sim::AppProfile app = profile(name, bundlePath);
    pids[name] = desktop.launch(app);
    return desktop.addDockApplication(name, app.bundlePath);
  }

  // Made on first use, so that it reads the displays a test has set up.
  DockObserver& observer() {
    if (!observer_) {
      observer_ = std::make_unique<DockObserver>(platform);
    }
    return *observer_;
  }

  std::optional<DockObserver::Hit>
  hitItem(int item, std::optional<HoverLayoutOptions> layout = HoverLayoutOptions::defaults,
          Reading reading = Reading::fresh) {
    return observer().hit(centre(desktop.itemFrame(item)), layout, reading);
  }

  std::optional<DockTarget> targetOf(int item, Reading reading = Reading::fresh) {
    auto hit = hitItem(item, HoverLayoutOptions::defaults, reading);
    return hit ? hit->target : std::nullopt;
  }

  // Changes the answers of every element that has the given role.
  void rewriteForRole(std::string role, std::function<void(std::string_view, AXValue&)> change) {
    accessibility.rewrite = [this, role = std::move(role),
                             change = std::move(change)](const platform::ElementRef& element,
                                                         std::string_view name, AXValue& value) {
      const auto answer = desktop.platform().accessibility.attribute(element, "AXRole");
      const auto* text = answer ? std::get_if<platform::AXText>(&*answer) : nullptr;
      if (text != nullptr && text->value == role) {
        change(name, value);
      }
    };
  }

  std::vector<std::string> geometryLogs() const {
    std::vector<std::string> messages;
    for (const sim::LogRecord& record : desktop.logs()) {
      if (record.category == platform::LogCategory::geometry) {
        EXPECT_EQ(record.level, platform::LogLevel::debug) << record.message;
        messages.push_back(record.message);
      }
    }
    return messages;
  }

  sim::Desktop desktop;
  RewritingAccessibility accessibility{desktop.platform().accessibility};
  platform::Platform platform{
      accessibility,
      desktop.platform().workspace,
      desktop.platform().eventTaps,
      desktop.platform().runLoop,
      desktop.platform().notifications,
      desktop.platform().mouse,
      desktop.platform().screens,
      desktop.platform().defaults,
      desktop.platform().loginItems,
      desktop.platform().logger,
      desktop.platform().process,
  };
  std::map<std::string, int32_t> pids;

private:
  std::unique_ptr<DockObserver> observer_;
};

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
};

INSTANTIATE_TEST_SUITE_P(Cases, DockItemPath, ::testing::ValuesIn(pathCases),
                         [](const auto& info) { return info.param.name; });

using DockRunningApps = DockObserverTest;

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

// A remembered target measured again (refresh) and confirmed before a click (selection), with
// the Dock read afresh and with the last measurement reused where the Dock has not changed:
// every change below must be seen either way.
class DockTargetFollowUp : public DockObserverTest, public ::testing::WithParamInterface<Reading> {
public:
  std::optional<DockTarget> refresh(const DockTarget& target) {
    return observer().refresh(target, HoverLayoutOptions::defaults, GetParam());
  }
  std::optional<RunningApp> select(const DockTarget& target) {
    return observer().selectedApplication(target, GetParam());
  }
};

TEST_P(DockTargetFollowUp, FollowsTheItemWhenTheDockChanges) {
  const int safari = addApp("Safari");
  const auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  addApp("Notes");
  const Rect moved = desktop.itemFrame(safari);
  ASSERT_NE(moved, target->iconFrame);

  const auto refreshed = refresh(*target);
  ASSERT_TRUE(refreshed);
  EXPECT_EQ(refreshed->app.identity, target->app.identity);
  EXPECT_EQ(refreshed->iconFrame, moved);
  EXPECT_EQ(refreshed->buttonFrame, (Rect{moved.midX() - 16, moved.minY() - 79, 32, 32}));

  const auto selected = select(*refreshed);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->identity, target->app.identity);
}

TEST_P(DockTargetFollowUp, ARelaunchedAppIsAnotherApp) {
  const int safari = addApp("Safari");
  const auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  const int32_t newPID = desktop.relaunch(pids["Safari"]);

  EXPECT_FALSE(refresh(*target));
  EXPECT_FALSE(select(*target));
  const auto fresh = targetOf(safari, GetParam());
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->app.identity.pid(), newPID);
}

TEST_P(DockTargetFollowUp, ADockRestartRetiresOldTargets) {
  const int safari = addApp("Safari");
  const auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  desktop.restartDock();

  EXPECT_FALSE(refresh(*target));
  EXPECT_FALSE(select(*target));
  const auto fresh = targetOf(safari, GetParam());
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->app.identity, target->app.identity);
  EXPECT_TRUE(select(*fresh));
}

TEST_P(DockTargetFollowUp, NoSelectionAfterTheDockMovedToAnotherEdge) {
  const int safari = addApp("Safari");
  const auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  desktop.placeDock(DockEdge::right);
  EXPECT_FALSE(select(*target));
}

TEST_P(DockTargetFollowUp, NoSelectionOnceTheListRunsAlongASide) {
  const int safari = addApp("Safari");
  const auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  // The icon stays where it was; only the list now stands upright, as on a side edge.
  rewriteForRole("AXList", [](std::string_view name, AXValue& value) {
    if (name == "AXSize") {
      value = platform::AXSize{80, 600};
    }
  });
  EXPECT_FALSE(select(*target));
}

TEST_P(DockTargetFollowUp, NoSelectionWhileTheButtonCoversAnotherItem) {
  const int safari = addApp("Safari");
  const int notes = addApp("Notes");
  auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  ASSERT_TRUE(select(*target));

  const Rect neighbour = desktop.itemFrame(notes);
  target->buttonFrame = {neighbour.minX(), neighbour.minY(), 32, 32};
  EXPECT_FALSE(select(*target));
}

// A Dock that hides itself slides its icons away from their × and over the display's edge: the
// × stands for an icon only while 85 percent of it is on the display, as the hit test asks. The
// observer still knows the display as 900 points high while the Dock sits on its grown
// successor, which moves the icon down by as much as the display grew.
TEST_P(DockTargetFollowUp, NoSelectionOnceTheIconIsMostlyOffItsDisplay) {
  const int safari = addApp("Safari");
  desktop.placeDock(DockEdge::bottom, 0, 100);
  const auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  for (const auto& [percentOn, selected] : {std::pair{85.0, true}, std::pair{84.0, false}}) {
    desktop.setScreens({{0, 0, 1440, 900 + 112.5 - percentOn}});
    ASSERT_EQ(desktop.itemFrame(safari).minY(), 900 - percentOn);
    EXPECT_EQ(select(*target).has_value(), selected) << percentOn << " percent on the display";
  }
}

INSTANTIATE_TEST_SUITE_P(Readings, DockTargetFollowUp,
                         ::testing::Values(Reading::fresh, Reading::snapshot),
                         [](const auto& info) {
                           return info.param == Reading::fresh ? "Fresh" : "Snapshot";
                         });

// What a snapshot reading leaves out, and what it must still see.
class DockSnapshotReading : public DockObserverTest {
public:
  static constexpr int hovered = 2;

  void SetUp() override {
    DockObserverTest::SetUp();
    for (int i = 0; i < 6; ++i) {
      addApp("App" + std::to_string(i));
    }
  }

  // Messages the query sends.
  template <typename Query> std::size_t messagesOf(Query query) {
    const std::size_t before = desktop.accessibilityMessageCount();
    query();
    return desktop.accessibilityMessageCount() - before;
  }

  std::optional<DockTarget> snapshotTarget() { return targetOf(hovered, Reading::snapshot); }

  bool isTitled(const platform::ElementRef& element, std::string_view title) {
    const auto value = desktop.platform().accessibility.attribute(element, "AXTitle");
    const auto* text = value ? std::get_if<platform::AXText>(&*value) : nullptr;
    return text != nullptr && text->value == title;
  }
};

TEST_F(DockSnapshotReading, ReusesTheMeasurementWhileTheDockIsUnchanged) {
  // The element at the point, its role, its frame, subrole and URL; the list, its frame, its
  // children and their six frames.
  std::optional<DockTarget> first;
  EXPECT_EQ(messagesOf([&] { first = snapshotTarget(); }), 14u);
  ASSERT_TRUE(first);
  // The element at the point and its frame; the list's frame and children.
  std::optional<DockTarget> again;
  EXPECT_EQ(messagesOf([&] { again = snapshotTarget(); }), 4u);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->app.identity, first->app.identity);
  EXPECT_EQ(again->buttonFrame, first->buttonFrame);
  EXPECT_EQ(messagesOf([&] {
              observer().refresh(*first, HoverLayoutOptions::defaults, Reading::snapshot);
            }),
            3u);
  EXPECT_EQ(messagesOf([&] { observer().selectedApplication(*first, Reading::snapshot); }), 3u);

  // A fresh reading reads everything, whatever the snapshot holds.
  EXPECT_EQ(messagesOf([&] { targetOf(hovered); }), 14u);
  EXPECT_EQ(messagesOf([&] { observer().selectedApplication(*first); }), 12u);
}

TEST_F(DockSnapshotReading, ReadsEverythingOnceTheSnapshotHasLivedItsTime) {
  ASSERT_TRUE(snapshotTarget());
  desktop.advance(DockObserver::snapshotLifetime - 0.01);
  EXPECT_EQ(messagesOf([&] { snapshotTarget(); }), 4u);
  desktop.advance(0.02);
  EXPECT_EQ(messagesOf([&] { snapshotTarget(); }), 14u);
}

// Changes the checks see: the reading gives what a fresh one gives.
class DockSnapshotChange : public DockSnapshotReading,
                           public ::testing::WithParamInterface<
                               std::pair<const char*, std::function<void(sim::Desktop&)>>> {};

TEST_P(DockSnapshotChange, IsMeasuredAgain) {
  ASSERT_TRUE(snapshotTarget());
  GetParam().second(desktop);
  const auto fromSnapshot = snapshotTarget();
  const auto fresh = targetOf(hovered);
  ASSERT_EQ(fromSnapshot.has_value(), fresh.has_value());
  if (fresh) {
    EXPECT_EQ(fromSnapshot->iconFrame, fresh->iconFrame);
    EXPECT_EQ(fromSnapshot->buttonFrame, fresh->buttonFrame);
    EXPECT_EQ(fromSnapshot->edge, fresh->edge);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, DockSnapshotChange,
    ::testing::Values(
        std::pair{"ItemAdded",
                  [](sim::Desktop& d) { d.addDockItem(DockItemKind::folder, "Downloads"); }},
        std::pair{"LargerIcons", [](sim::Desktop& d) { d.placeDock(DockEdge::bottom, 0, 80); }},
        // Magnified around the hovered icon: the list and every frame but the far ones change.
        std::pair{"Magnified",
                  [](sim::Desktop& d) {
                    d.placeDock(DockEdge::bottom, 0, 64, 128);
                    const Rect icon = d.itemFrame(DockSnapshotReading::hovered);
                    d.movePointer({icon.midX(), icon.midY()});
                  }},
        std::pair{"MovedToTheLeft", [](sim::Desktop& d) { d.placeDock(DockEdge::left); }},
        std::pair{"Restarted", [](sim::Desktop& d) { d.restartDock(); }}),
    [](const auto& info) { return std::string(info.param.first); });

TEST_F(DockSnapshotReading, AClickIsCheckedAgainstWhatOnlyAFreshReadingSees) {
  // A neighbour reports a frame over the hovered icon's ×, while the list, its children and the
  // hovered icon stay as they were: nothing a snapshot reading checks has changed.
  bool grown = false;
  Rect button;
  accessibility.rewrite = [&](const platform::ElementRef& element, std::string_view name,
                              AXValue& value) {
    if (!grown || (name != "AXPosition" && name != "AXSize") || !isTitled(element, "App3")) {
      return;
    }
    if (name == "AXPosition") {
      value = Point{button.x, button.y};
    } else {
      value = platform::AXSize{button.width, button.height};
    }
  };
  const auto target = snapshotTarget();
  ASSERT_TRUE(target);
  button = target->buttonFrame;
  grown = true;

  // The × may stay up on the snapshot's frames...
  EXPECT_TRUE(snapshotTarget());
  EXPECT_TRUE(observer().selectedApplication(*target, Reading::snapshot));
  // ...but a click reads every frame and is refused, and what it read is the snapshot now.
  EXPECT_FALSE(observer().selectedApplication(*target));
  EXPECT_FALSE(observer().selectedApplication(*target, Reading::snapshot));
  EXPECT_FALSE(snapshotTarget());
}

TEST_F(DockSnapshotReading, ResolvesTheApplicationOfTheMoment) {
  const auto target = snapshotTarget();
  ASSERT_TRUE(target);
  const int32_t relaunched = desktop.relaunch(pids["App2"]);
  const auto hit = hitItem(hovered, HoverLayoutOptions::defaults, Reading::snapshot);
  ASSERT_TRUE(hit && hit->application && hit->target);
  EXPECT_EQ(hit->application->identity.pid(), relaunched);
  EXPECT_EQ(hit->target->app.identity.pid(), relaunched);

  desktop.endByItself(relaunched);
  const auto gone = hitItem(hovered, HoverLayoutOptions::defaults, Reading::snapshot);
  ASSERT_TRUE(gone);
  EXPECT_FALSE(gone->application);
}

// A Dock on each edge of the primary display and of a secondary display whose bottom-left
// frame is (1440, 100, 1920, 1080) beside a 900-point-high primary.
class DockPlacement : public DockObserverTest,
                      public ::testing::WithParamInterface<std::tuple<DockEdge, int>> {};

TEST_P(DockPlacement, IsFoundMeasuredAndGivenAButtonOnItsSide) {
  const auto [edge, screen] = GetParam();
  desktop.setScreens({{0, 0, 1440, 900}, {1440, -280, 1920, 1080}});
  desktop.placeDock(edge, screen);
  const int safari = addApp("Safari");
  EXPECT_EQ(observer().primaryTop(), 900);
  EXPECT_EQ(observer().screens(), (std::vector<Rect>{{0, 0, 1440, 900}, {1440, -280, 1920, 1080}}));

  const auto target = targetOf(safari);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->edge, edge);
  EXPECT_EQ(observer().currentEdge(), edge);
  const Rect icon = target->iconFrame;
  const Rect button = target->buttonFrame;
  EXPECT_TRUE(contains(observer().screens()[static_cast<std::size_t>(screen)], button));
  switch (edge) {
  case DockEdge::bottom:
    EXPECT_EQ(button.maxY(), icon.minY() - 47);
    break;
  case DockEdge::left:
    EXPECT_EQ(button.minX(), icon.maxX() + 5);
    break;
  case DockEdge::right:
    EXPECT_EQ(button.maxX(), icon.minX() - 5);
    break;
  }
  EXPECT_TRUE(observer().selectedApplication(*target));
}

INSTANTIATE_TEST_SUITE_P(EdgesAndDisplays, DockPlacement,
                         ::testing::Combine(::testing::ValuesIn(allDockEdges),
                                            ::testing::Values(0, 1)));

} // namespace
} // namespace lumivane
