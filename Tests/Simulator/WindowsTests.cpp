#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>

namespace lumivane::sim {
namespace {

class ShellWindows : public ::testing::Test {
protected:
  ShellWindows() { desktop.addScreen({0, 0, 1440, 900}); }
  presentation::Windows& windows() { return desktop.windows(); }

  Desktop desktop;
};

TEST_F(ShellWindows, ThePopoverNeedsContentAndAPlacedButtonAndClosesOnAClickElsewhere) {
  const auto item = windows().createStatusItem();
  const auto popover = windows().createPopover();
  int closes = 0;
  popover->configure([&] { ++closes; });

  popover->show(*item);
  EXPECT_FALSE(popover->isShown());
  popover->setContent(windows().menuContent({}));
  desktop.setStatusBarAvailable(false);
  EXPECT_TRUE(isEmpty(item->buttonScreenFrame()));
  popover->show(*item);
  EXPECT_FALSE(popover->isShown());

  desktop.setStatusBarAvailable(true);
  EXPECT_EQ(item->buttonScreenFrame(), (Rect{1440 - 160, 900 - 24, 24, 24}));
  popover->show(*item);
  EXPECT_TRUE(desktop.shell().popoverShown);
  EXPECT_TRUE(windows().hasVisibleWindows());
  desktop.click();
  EXPECT_FALSE(popover->isShown());
  EXPECT_EQ(closes, 1);
  popover->performClose();
  EXPECT_EQ(closes, 1);
}

TEST_F(ShellWindows, ClosingRunsTheWillCloseCallbackOnceEvenWhenItReleasesTheWindow) {
  std::shared_ptr<presentation::Window> window =
      windows().createWindow({.title = "Lumivane 设置"}, windows().welcomeContent({}));
  int closes = 0;
  window->setWillClose([&] {
    ++closes;
    window.reset();
  });
  window->center();
  window->makeKeyAndOrderFront();
  ASSERT_EQ(desktop.shell().windows.size(), 1u);
  EXPECT_TRUE(desktop.shell().windows[0].key);
  EXPECT_EQ(desktop.shell().windows[0].content, "welcome");

  EXPECT_FALSE(desktop.chooseMenuItem("关闭窗口")); // no menu yet
  presentation::MenuItem close;
  close.title = "关闭窗口";
  close.action = presentation::MenuItem::Action::performClose;
  windows().setApplicationMenu("Lumivane", {close});
  EXPECT_TRUE(desktop.chooseMenuItem("关闭窗口"));
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(window, nullptr);
  EXPECT_FALSE(desktop.shell().windows[0].visible);
  desktop.closeWindow(0);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(windows().hasVisibleWindows());
}

} // namespace
} // namespace lumivane::sim
