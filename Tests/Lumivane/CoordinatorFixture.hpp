#pragma once

#include "Lumivane/AppDelegate.hpp"
#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace lumivane::test {

// One screen with a bottom Dock holding Safari, Mail and Notes (which keeps a save prompt open,
// so it never ends by itself), both permissions granted and the welcome window already seen,
// so that a launch shows nothing unless a test asks for it.
class CoordinatorTest : public ::testing::Test {
protected:
  CoordinatorTest() {
    desktop.addScreen({0, 0, 1440, 900});
    desktop.placeDock(DockEdge::bottom);
    safari = launchApp("Safari", "com.apple.Safari");
    launchApp("Mail", "com.apple.mail");
    notes = launchApp("Notes", "com.apple.Notes", sim::QuitBehaviour::never);
    desktop.setAccessibility(true);
    desktop.setInputMonitoring(true);
    desktop.setDefault("hasSeenWelcome", true);
  }

  int32_t launchApp(const std::string& name, const std::string& bundleIdentifier,
                    sim::QuitBehaviour quit = sim::QuitBehaviour::immediately) {
    sim::AppProfile profile;
    profile.name = name;
    profile.bundleIdentifier = bundleIdentifier;
    profile.quit = quit;
    profile.bundlePath = "/Applications/" + name + ".app";
    const int32_t pid = desktop.launch(profile);
    desktop.addDockApplication(name, profile.bundlePath);
    return pid;
  }

  void launch() {
    app = std::make_shared<AppDelegate>(desktop.platform(), desktop.windows());
    app->applicationDidFinishLaunching();
    desktop.runLoop().drain();
  }

  // Delivers on the main queue, as the platform does.
  void post(platform::Notification notification) {
    desktop.post(notification);
    desktop.runLoop().drain();
  }

  // A middle click on the item, then the pointer away from the Dock.
  void middleClickQuit(std::string_view item) {
    const Rect frame = desktop.itemFrame(*desktop.dockItemNamed(item));
    desktop.movePointer({frame.midX(), frame.midY()});
    desktop.middleClick();
    desktop.movePointer({720, 300});
    desktop.runLoop().drain();
  }

  // Rests the pointer on an item until its × shows.
  void hoverOver(std::string_view item) {
    const Rect frame = desktop.itemFrame(*desktop.dockItemNamed(item));
    desktop.movePointer({frame.midX(), frame.midY()});
    desktop.advance(0.5);
    ASSERT_TRUE(desktop.panel().visible);
  }

  // The window Lumivane opened last.
  const sim::WindowRecord& lastWindow() const { return desktop.shell().windows.back(); }

  sim::Desktop desktop;
  std::shared_ptr<AppDelegate> app;
  int32_t safari = 0;
  int32_t notes = 0;
};

} // namespace lumivane::test
