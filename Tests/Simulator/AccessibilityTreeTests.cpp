#include "Simulator/Desktop.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace lumivane::sim {
namespace {

using platform::AXValue;
using platform::ElementRef;

// A bottom Dock with an application whose bundle name is decomposed and has a space, a folder
// and the trash; Accessibility granted.
class DockTree : public ::testing::Test {
protected:
  DockTree() {
    desktop.addScreen({0, 0, 1440, 900});
    desktop.addDockApplication("Cafe\u0301", "/Applications/Cafe\u0301 Au Lait.app");
    desktop.addDockItem(DockItemKind::folder, "Downloads");
    desktop.addDockItem(DockItemKind::trash, "Trash");
    desktop.setAccessibility(true);
  }

  std::optional<AXValue> read(const ElementRef& element, std::string_view name) {
    return ax.attribute(element, name);
  }
  std::string text(const ElementRef& element, std::string_view name) {
    const auto value = read(element, name);
    const auto* t = value ? std::get_if<platform::AXText>(&*value) : nullptr;
    return t ? t->value : "<none>";
  }
  ElementRef element(const ElementRef& from, std::string_view name) {
    const auto value = read(from, name);
    return value ? std::get<ElementRef>(*value) : nullptr;
  }
  std::vector<ElementRef> children(const ElementRef& element) {
    const auto value = read(element, "AXChildren");
    return value ? std::get<std::vector<ElementRef>>(*value) : std::vector<ElementRef>{};
  }
  std::optional<ElementRef> at(const Rect& frame) {
    return ax.elementAtPosition(ax.systemWide(), static_cast<float>(frame.midX()),
                                static_cast<float>(frame.midY()));
  }
  ElementRef list() { return children(ax.application(desktop.dockPID())).at(0); }
  ElementRef item(std::size_t index) { return children(list()).at(index); }

  Desktop desktop;
  platform::Accessibility& ax = desktop.platform().accessibility;
};

TEST_F(DockTree, HasTheShapeOfTheRealDock) {
  const ElementRef app = ax.application(desktop.dockPID());
  ASSERT_EQ(children(app).size(), 1u);
  EXPECT_EQ(text(list(), "AXRole"), "AXList");
  ASSERT_EQ(children(list()).size(), 3u);

  EXPECT_EQ(text(item(0), "AXRole"), "AXDockItem");
  EXPECT_EQ(text(item(0), "AXSubrole"), "AXApplicationDockItem");
  EXPECT_EQ(text(item(1), "AXSubrole"), "AXFolderDockItem");
  EXPECT_EQ(text(item(2), "AXSubrole"), "AXTrashDockItem");
  EXPECT_EQ(text(item(0), "AXTitle"), "Caf\u00e9");
  const auto url = read(item(0), "AXURL");
  ASSERT_TRUE(url);
  EXPECT_EQ(std::get<platform::AXURL>(*url).absoluteString,
            "file:///Applications/Cafe%CC%81%20Au%20Lait.app/");
  EXPECT_FALSE(read(item(1), "AXURL"));
  EXPECT_EQ(ax.processID(element(item(2), "AXParent")), desktop.dockPID());

  const std::string_view names[] = {"AXPosition", "AXSize"};
  const auto frame = ax.attributes(item(0), names);
  ASSERT_TRUE(frame);
  const Rect expected = desktop.itemFrame(0);
  EXPECT_EQ(std::get<Point>((*frame)[0]), (Point{expected.x, expected.y}));
  EXPECT_EQ(std::get<platform::AXSize>((*frame)[1]).width, expected.width);
}

TEST_F(DockTree, ThePointIsAnsweredByTheInnermostElementWhoseAncestorIsTheItem) {
  desktop.setItemDepth(3);
  auto current = at(desktop.itemFrame(1));
  ASSERT_TRUE(current);
  for (int level = 0; level < 3; ++level) {
    EXPECT_EQ(text(*current, "AXRole"), "AXImage");
    current = element(*current, "AXParent");
  }
  EXPECT_EQ(text(*current, "AXRole"), "AXDockItem");
  EXPECT_EQ(text(*current, "AXTitle"), "Downloads");

  const Rect list = desktop.dockListFrame();
  const auto gap = ax.elementAtPosition(ax.systemWide(), static_cast<float>(list.minX() + 2),
                                        static_cast<float>(list.midY()));
  ASSERT_TRUE(gap);
  EXPECT_EQ(text(*gap, "AXRole"), "AXList");
  // Nothing there: no element, and no error either.
  EXPECT_EQ(ax.elementAtPosition(ax.systemWide(), 700, 300), platform::ElementRef{});
}

TEST_F(DockTree, WindowsAboveTheDockBelongToOtherProcesses) {
  const Rect icon = desktop.itemFrame(0);
  desktop.addWindow(777, icon);
  const auto element = at(icon);
  ASSERT_TRUE(element);
  EXPECT_EQ(ax.processID(*element), 777);
}

TEST_F(DockTree, ExtraChildrenAreReadableAndEmpty) {
  desktop.setExtraListChildren(126);
  const auto all = children(list());
  ASSERT_EQ(all.size(), 129u);
  const auto size = read(all.back(), "AXSize");
  ASSERT_TRUE(size);
  EXPECT_EQ(std::get<platform::AXSize>(*size).width, 0);
}

TEST_F(DockTree, NothingAnswersWithoutThePermission) {
  const ElementRef trash = item(2);
  desktop.setAccessibility(false);
  EXPECT_FALSE(ax.isProcessTrusted());
  EXPECT_FALSE(read(trash, "AXRole"));
  EXPECT_FALSE(at(desktop.itemFrame(2)));
}

TEST_F(DockTree, ARestartedDockHasNewElementsAndTheOldOnesAreDead) {
  const int32_t oldPID = desktop.dockPID();
  const ElementRef oldItem = item(0);
  desktop.restartDock();
  EXPECT_NE(desktop.dockPID(), oldPID);
  EXPECT_FALSE(read(oldItem, "AXRole"));
  EXPECT_EQ(ax.processID(oldItem), oldPID);
  EXPECT_EQ(text(item(0), "AXRole"), "AXDockItem");
  EXPECT_EQ(desktop.platform().workspace.applications("com.apple.dock").size(), 1u);

  desktop.setDockRunning(false);
  EXPECT_TRUE(desktop.platform().workspace.applications("com.apple.dock").empty());
  EXPECT_EQ(at(desktop.itemFrame(0)), ElementRef{});
}

TEST_F(DockTree, EachMessageTakesTheLatencyUpToTheTimeOut) {
  const ElementRef trash = item(2);
  ax.setMessagingTimeout(ax.systemWide(), 0.02f);
  const std::size_t sent = desktop.accessibilityMessageCount();
  const double start = desktop.now();

  desktop.setMessageLatency(0.01);
  EXPECT_EQ(text(trash, "AXRole"), "AXDockItem");
  EXPECT_NEAR(desktop.now() - start, 0.01, 1e-9);

  desktop.setMessageLatency(0.5);
  EXPECT_FALSE(read(trash, "AXRole"));
  EXPECT_NEAR(desktop.now() - start, 0.01 + 0.02, 1e-6);
  EXPECT_EQ(desktop.accessibilityMessageCount(), sent + 2);
  EXPECT_TRUE(ax.processID(trash));
  EXPECT_EQ(desktop.accessibilityMessageCount(), sent + 2);
}

struct FaultCase {
  const char* name;
  Fault fault;
  double blocked;  // seconds the failing message holds the clock
  bool readable;   // the frame message still answers
  bool finiteSize; // ... with a finite size
};

class DockFaults : public DockTree, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DockFaults, ReachOnlyTheirTargetAndAttribute) {
  const FaultCase& c = GetParam();
  desktop.addFault(c.fault);
  const double start = desktop.now();
  const std::string_view names[] = {"AXPosition", "AXSize"};
  const auto frame = ax.attributes(item(0), names);
  EXPECT_NEAR(desktop.now() - start, c.blocked, 1e-9);
  ASSERT_EQ(frame.has_value(), c.readable);
  if (frame) {
    const auto* size = std::get_if<platform::AXSize>(&(*frame)[1]);
    EXPECT_EQ(size != nullptr && std::isfinite(size->width), c.finiteSize);
  }
  // The other items and attributes are untouched.
  EXPECT_TRUE(ax.attributes(item(1), names));
  EXPECT_EQ(text(item(0), "AXRole"), "AXDockItem");

  desktop.clearFaults();
  EXPECT_TRUE(ax.attributes(item(0), names));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DockFaults,
    ::testing::Values(
        FaultCase{"Error", {FaultKind::error, FaultTarget::item, "AXSize", 0}, 0, false, false},
        FaultCase{
            "TimeOut", {FaultKind::timeout, FaultTarget::item, "AXPosition", 0}, 6, false, false},
        FaultCase{
            "WrongType", {FaultKind::wrongType, FaultTarget::item, "AXSize", 0}, 0, true, false},
        FaultCase{
            "NonFinite", {FaultKind::nonFinite, FaultTarget::item, "AXSize", 0}, 0, true, false},
        FaultCase{
            "OtherAttribute", {FaultKind::error, FaultTarget::item, "AXURL", 0}, 0, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DockTree, FaultsOnTheListAndTheDockApplicationStayThere) {
  const ElementRef dockList = list();
  const ElementRef first = item(0);
  desktop.addFault({FaultKind::wrongType, FaultTarget::list, "AXChildren"});
  desktop.addFault({FaultKind::error, FaultTarget::dockApplication, ""});
  const auto listChildren = read(dockList, "AXChildren");
  ASSERT_TRUE(listChildren);
  EXPECT_TRUE(std::holds_alternative<platform::AXOther>(*listChildren));
  EXPECT_EQ(text(dockList, "AXRole"), "AXList");
  EXPECT_FALSE(read(ax.application(desktop.dockPID()), "AXChildren"));
  EXPECT_EQ(text(first, "AXRole"), "AXDockItem");
}

// The rest of a real Dock: other kinds of item, the Dock's own applications, running
// indicators and the name label.
TEST(FullerDockTree, EveryKindOfItemHasItsSubroleAndURL) {
  Desktop desktop;
  desktop.addScreen({0, 0, 1440, 900});
  desktop.setAccessibility(true);
  desktop.launch({.name = "Mail",
                  .bundleIdentifier = "com.example.mail",
                  .bundlePath = "/Applications/Mail.app"});
  desktop.addDockApplication("Mail", "/Applications/Mail.app");
  desktop.addDockApplication("Launchpad", "/System/Applications/Launchpad.app");
  desktop.addDockItem(DockItemKind::document, "Mail.app", "/Applications/Mail.app");
  desktop.addDockItem(DockItemKind::url, "Apple", "https://www.apple.com/");
  desktop.addDockItem(DockItemKind::minimizedWindow, "Inbox");
  platform::Accessibility& ax = desktop.platform().accessibility;
  const auto list = std::get<std::vector<ElementRef>>(
                        *ax.attribute(ax.application(desktop.dockPID()), "AXChildren"))
                        .at(0);
  const auto items = std::get<std::vector<ElementRef>>(*ax.attribute(list, "AXChildren"));
  ASSERT_EQ(items.size(), 5u);
  const auto text = [&](const ElementRef& element, std::string_view name) {
    const auto value = ax.attribute(element, name);
    return value ? std::get<platform::AXText>(*value).value : "<none>";
  };
  const auto url = [&](const ElementRef& element) {
    const auto value = ax.attribute(element, "AXURL");
    return value ? std::get<platform::AXURL>(*value).absoluteString : "<none>";
  };
  const auto running = [&](const ElementRef& element) {
    const auto value = ax.attribute(element, "AXIsApplicationRunning");
    return value ? std::optional(std::get<platform::AXNumber>(*value).value) : std::nullopt;
  };
  EXPECT_EQ(running(items[0]), 1);
  EXPECT_EQ(text(items[1], "AXSubrole"), "AXApplicationDockItem");
  EXPECT_EQ(running(items[1]), 0);
  // A document may be an application bundle; it is still a document.
  EXPECT_EQ(text(items[2], "AXSubrole"), "AXDocumentDockItem");
  EXPECT_EQ(url(items[2]), "file:///Applications/Mail.app");
  EXPECT_FALSE(running(items[2]));
  EXPECT_EQ(text(items[3], "AXSubrole"), "AXURLDockItem");
  EXPECT_EQ(url(items[3]), "https://www.apple.com/");
  EXPECT_EQ(text(items[4], "AXSubrole"), "AXMinimizedWindowDockItem");
  EXPECT_EQ(url(items[4]), "<none>");
}

TEST(FullerDockTree, SpacersExtrasAndBadges) {
  Desktop desktop;
  desktop.addScreen({0, 0, 1440, 900});
  desktop.setAccessibility(true);
  const int mail = desktop.addDockApplication("Mail", "/Applications/Mail.app");
  desktop.addDockItem(DockItemKind::spacer, "Gap");
  desktop.addDockItem(DockItemKind::extra, "Extra");
  desktop.setDockItemBadge(mail, "12");
  platform::Accessibility& ax = desktop.platform().accessibility;
  const auto list = std::get<std::vector<ElementRef>>(
                        *ax.attribute(ax.application(desktop.dockPID()), "AXChildren"))
                        .at(0);
  const auto items = std::get<std::vector<ElementRef>>(*ax.attribute(list, "AXChildren"));
  ASSERT_EQ(items.size(), 3u);
  const auto text = [&](const ElementRef& element, std::string_view name) {
    const auto value = ax.attribute(element, name);
    return value ? std::get<platform::AXText>(*value).value : "<none>";
  };
  EXPECT_EQ(text(items[0], "AXStatusLabel"), "12");
  EXPECT_EQ(text(items[1], "AXSubrole"), "AXSpacerDockItem");
  EXPECT_EQ(text(items[1], "AXTitle"), "");
  EXPECT_EQ(text(items[1], "AXStatusLabel"), "<none>");
  EXPECT_EQ(text(items[2], "AXSubrole"), "AXDockExtraDockItem");
  EXPECT_EQ(text(items[2], "AXTitle"), "Extra");
  // A spacer is a whole tile, and shows no label.
  EXPECT_EQ(desktop.itemFrame(1).width, desktop.itemFrame(0).width);
  const Rect gap = desktop.itemFrame(1);
  desktop.movePointer({gap.midX(), gap.midY()});
  const auto above = ax.elementAtPosition(ax.systemWide(), static_cast<float>(gap.midX()),
                                          static_cast<float>(gap.minY() - 15));
  EXPECT_EQ(above, platform::ElementRef{});
  desktop.setDockItemBadge(mail, "");
  EXPECT_EQ(text(items[0], "AXStatusLabel"), "<none>");
}

// Items have no children of their own: over a running app's indicator the list answers. The
// name label under the pointer belongs to the Dock's application.
TEST_F(DockTree, TheRunningIndicatorIsNoElementButTheLabelUnderThePointerIs) {
  desktop.launch({.name = "Café",
                  .bundleIdentifier = "com.example.cafe",
                  .bundlePath = "/Applications/Café Au Lait.app"});
  const Rect icon = desktop.itemFrame(0);
  const auto dot = ax.elementAtPosition(ax.systemWide(), static_cast<float>(icon.midX()),
                                        static_cast<float>(icon.maxY() + 3));
  ASSERT_TRUE(dot);
  EXPECT_EQ(text(*dot, "AXRole"), "AXList");
  EXPECT_TRUE(children(item(0)).empty());
  EXPECT_EQ(ax.elementAtPosition(ax.systemWide(), static_cast<float>(icon.midX()), 800),
            platform::ElementRef{});

  desktop.movePointer({icon.midX(), icon.midY()});
  const auto label = ax.elementAtPosition(ax.systemWide(), static_cast<float>(icon.midX()),
                                          static_cast<float>(icon.minY() - 15));
  ASSERT_TRUE(label);
  EXPECT_EQ(text(*label, "AXRole"), "AXStaticText");
  EXPECT_EQ(text(*label, "AXValue"), "Café");
  EXPECT_EQ(text(element(*label, "AXParent"), "AXRole"), "AXApplication");
  EXPECT_FALSE(element(element(*label, "AXParent"), "AXParent"));
  // Gone with the pointer.
  desktop.movePointer({700, 300});
  EXPECT_FALSE(read(*label, "AXRole"));
}

// While its menu is open an item's only child is the menu, which lies beside the icon; its
// entries answer at their points, and everything of it dies when it closes.
TEST_F(DockTree, AnOpenMenuIsTheItemsOnlyChildAndAnswersOverItsEntries) {
  desktop.openDockMenu(1);
  const auto inside = children(item(1));
  ASSERT_EQ(inside.size(), 1u);
  const ElementRef menu = inside[0];
  EXPECT_EQ(text(menu, "AXRole"), "AXMenu");
  EXPECT_TRUE(ax.isSameElement(element(item(1), "AXShownMenuUIElement"), menu));
  EXPECT_TRUE(children(item(0)).empty());
  const auto entries = children(menu);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(text(entries[3], "AXTitle"), "Quit");

  const std::string_view frame[] = {"AXPosition", "AXSize"};
  const auto values = ax.attributes(entries[3], frame);
  ASSERT_TRUE(values);
  const Point origin = std::get<Point>((*values)[0]);
  const auto size = std::get<platform::AXSize>((*values)[1]);
  const Rect quit{origin.x, origin.y, size.width, size.height};
  EXPECT_LT(quit.maxY(), desktop.itemFrame(1).minY());
  const auto atQuit = at(quit);
  ASSERT_TRUE(atQuit);
  EXPECT_EQ(text(*atQuit, "AXRole"), "AXMenuItem");
  EXPECT_EQ(text(element(*atQuit, "AXParent"), "AXRole"), "AXMenu");
  EXPECT_EQ(text(element(element(*atQuit, "AXParent"), "AXParent"), "AXTitle"), "Downloads");

  desktop.closeDockMenu();
  EXPECT_TRUE(children(item(1)).empty());
  EXPECT_FALSE(read(menu, "AXRole"));
  EXPECT_EQ(at(quit), platform::ElementRef{});
}

// Mission Control puts its group among the Dock's top-level elements, before the list, and over
// the primary display; the Dock's items still answer over the Dock.
TEST_F(DockTree, MissionControlAddsAGroupBeforeTheList) {
  desktop.addWindow(777, {100, 100, 400, 300});
  desktop.setMissionControl(true);
  const auto top = children(ax.application(desktop.dockPID()));
  ASSERT_EQ(top.size(), 2u);
  EXPECT_EQ(text(top[0], "AXRole"), "AXGroup");
  EXPECT_EQ(text(top[0], "AXIdentifier"), "mc");
  EXPECT_EQ(text(top[1], "AXRole"), "AXList");
  const auto over = ax.elementAtPosition(ax.systemWide(), 200, 200);
  ASSERT_TRUE(over);
  EXPECT_EQ(text(*over, "AXIdentifier"), "mc");
  EXPECT_EQ(text(*at(desktop.itemFrame(0)), "AXRole"), "AXDockItem");

  desktop.setMissionControl(false);
  EXPECT_EQ(children(ax.application(desktop.dockPID())).size(), 1u);
  EXPECT_FALSE(read(top[0], "AXRole"));
  EXPECT_EQ(ax.processID(*ax.elementAtPosition(ax.systemWide(), 200, 200)), 777);
}

// Removing Lumivane's row from the list takes the grant away, but the process's trust answer
// stays as it was; switching it off changes both.
TEST_F(DockTree, ARemovedRowLeavesTheCachedTrustAndAnswersNothing) {
  const ElementRef dockList = list();
  desktop.removeFromAccessibilityList();
  EXPECT_TRUE(ax.isProcessTrusted());
  EXPECT_FALSE(desktop.accessibilityGranted());
  EXPECT_FALSE(read(dockList, "AXRole"));
  desktop.setAccessibility(true);
  EXPECT_EQ(text(dockList, "AXRole"), "AXList");
  desktop.setAccessibility(false);
  EXPECT_FALSE(ax.isProcessTrusted());
}

TEST_F(DockTree, ElementsFollowTheirItemAndDieWhenItLeavesTheDock) {
  const ElementRef trash = item(2);
  desktop.addFault({FaultKind::error, FaultTarget::item, "AXTitle", 2});
  desktop.moveDockItem(2, 0);
  const auto position = read(trash, "AXPosition");
  ASSERT_TRUE(position);
  EXPECT_EQ(std::get<Point>(*position).x, desktop.itemFrame(0).x);
  // The fault named the trash, not its old place.
  EXPECT_FALSE(read(trash, "AXTitle"));
  EXPECT_EQ(text(item(2), "AXTitle"), "Downloads");

  desktop.setDockItemInDock(0, false);
  EXPECT_FALSE(read(trash, "AXRole"));
  EXPECT_EQ(children(list()).size(), 2u);
  desktop.setDockItemInDock(0, true);
  EXPECT_EQ(text(trash, "AXRole"), "AXDockItem");
}

} // namespace
} // namespace lumivane::sim
