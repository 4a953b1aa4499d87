// The Dock observer after the first look: following a target as the Dock changes, the snapshot
// reading of the hover loop, and the × placement on every edge.
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
// × stands for an icon, and follows it, only while 85 percent of it is on the display, as the
// hit test asks. The observer still knows the display as 900 points high while the Dock sits on
// its grown successor, which moves the icon down by as much as the display grew.
TEST_P(DockTargetFollowUp, LetGoOnceTheIconIsMostlyOffItsDisplay) {
  const int safari = addApp("Safari");
  desktop.placeDock(DockEdge::bottom, 0, 100);
  const auto target = targetOf(safari, GetParam());
  ASSERT_TRUE(target);
  for (const auto& [percentOn, kept] : {std::pair{85.0, true}, std::pair{84.0, false}}) {
    desktop.setScreens({{0, 0, 1440, 900 + 112.5 - percentOn}});
    ASSERT_EQ(desktop.itemFrame(safari).minY(), 900 - percentOn);
    EXPECT_EQ(select(*target).has_value(), kept) << percentOn << " percent on the display";
    EXPECT_EQ(refresh(*target).has_value(), kept) << percentOn << " percent on the display";
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
              return observer().refresh(*first, HoverLayoutOptions::defaults, Reading::snapshot);
            }),
            3u);
  EXPECT_EQ(messagesOf([&] { return observer().selectedApplication(*first, Reading::snapshot); }),
            3u);

  // A fresh reading reads everything, whatever the snapshot holds.
  EXPECT_EQ(messagesOf([&] { targetOf(hovered); }), 14u);
  EXPECT_EQ(messagesOf([&] { return observer().selectedApplication(*first); }), 12u);
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
} // namespace lumivane::test
