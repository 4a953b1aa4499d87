#include "Lumivane/QuitOverlay.hpp"
#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>
#include <string>

namespace lumivane {
namespace {

constexpr double primaryTop = 900;

// A target whose × frame is `button` (top-left space).
DockTarget target(const std::string& name, const Rect& button) {
  RunningApp app{AppIdentity(42, "/Applications/" + name + ".app", {}),
                 "com.example." + name,
                 name,
                 true,
                 true,
                 false};
  return {std::move(app), nullptr, Rect{button.x, button.y + 100, 64, 64}, button,
          DockEdge::bottom};
}

class QuitOverlayShow : public ::testing::Test {
protected:
  const sim::PanelRecord& panel() const { return desktop.panel(); }

  sim::Desktop desktop;
  QuitOverlay overlay{desktop.windows(), desktop.platform().workspace};
};

TEST_F(QuitOverlayShow, PlacesLabelsAndFadesInTheButton) {
  EXPECT_FALSE(panel().visible);
  EXPECT_EQ(panel().identifier, "lumivane.quit-overlay");

  overlay.show(target("Safari", {10, 20, 32, 32}), primaryTop);
  EXPECT_TRUE(panel().visible);
  EXPECT_EQ(panel().frame, (Rect{10, 848, 32, 32}));
  EXPECT_EQ(panel().label, "退出 Safari");
  EXPECT_EQ(panel().alpha, 0);
  EXPECT_EQ(panel().fadeCount, 1);
  desktop.advance(QuitOverlay::fadeDuration);
  EXPECT_EQ(panel().alpha, 1);
}

TEST_F(QuitOverlayShow, ShowingTheSameTargetAgainChangesNothing) {
  const DockTarget safari = target("Safari", {10, 20, 32, 32});
  overlay.show(safari, primaryTop);
  const sim::PanelRecord first = panel();
  overlay.show(safari, primaryTop);
  EXPECT_EQ(panel().frameChanges, first.frameChanges);
  EXPECT_EQ(panel().fadeCount, 1);
}

TEST_F(QuitOverlayShow, AVisibleButtonMovesAndRelabelsWithoutFadingAgain) {
  overlay.show(target("Safari", {10, 20, 32, 32}), primaryTop);
  desktop.advance(QuitOverlay::fadeDuration);
  overlay.show(target("Mail", {90, 20, 32, 32}), primaryTop);
  EXPECT_EQ(panel().frame, (Rect{90, 848, 32, 32}));
  EXPECT_EQ(panel().label, "退出 Mail");
  EXPECT_EQ(panel().alpha, 1);
  EXPECT_EQ(panel().fadeCount, 1);
}

TEST_F(QuitOverlayShow, ReducedMotionShowsFullyOpaqueAtOnce) {
  desktop.setReduceMotion(true);
  overlay.show(target("Safari", {10, 20, 32, 32}), primaryTop);
  EXPECT_EQ(panel().alpha, 1);
}

TEST_F(QuitOverlayShow, AFirstClickOnTheButtonReachesOnClickOnce) {
  int clicks = 0;
  overlay.onClick = [&] { ++clicks; };
  overlay.show(target("Safari", {10, 20, 32, 32}), primaryTop);
  desktop.activatePanelButton();
  EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace lumivane
