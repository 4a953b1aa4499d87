#pragma once

#include "Lumivane/Presentation.hpp"
#include "Simulator/Desktop.hpp"
#include "Simulator/SimulatedSystem.hpp"
#include "Simulator/VirtualRunLoop.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace lumivane::sim {

// Lumivane's windows as the window server sees them: the × panels, the status item, the popover,
// the welcome and settings windows and the application menu. Everything done to them is
// recorded in a PanelRecord or the ShellRecord. Handles given out stay safe after the desktop
// is gone (they then do nothing).
class SimulatedWindows final : public presentation::Windows {
public:
  // The status item's button sits in the primary display's menu bar, this far from its right.
  static constexpr double statusItemInset = 160;
  static constexpr double statusItemSize = 24;

  SimulatedWindows(VirtualRunLoop& runLoop, const Displays& displays);
  ~SimulatedWindows() override;

  void setActivationPolicy(platform::ActivationPolicy policy) override;
  void activateIgnoringOtherApps() override;
  void setApplicationMenu(std::string_view title,
                          std::vector<presentation::MenuItem> items) override;
  void terminate() override;
  bool hasVisibleWindows() override;
  std::unique_ptr<presentation::OverlayPanel> createOverlayPanel(const Rect& contentRect) override;
  std::unique_ptr<presentation::StatusItem> createStatusItem() override;
  std::unique_ptr<presentation::Popover> createPopover() override;
  std::shared_ptr<presentation::ViewController>
  menuContent(const presentation::MenuContentModel& model) override;
  std::shared_ptr<presentation::ViewController>
  welcomeContent(const presentation::WelcomeContentModel& model) override;
  std::shared_ptr<presentation::ViewController>
  diagnosticsContent(const presentation::DiagnosticsContentModel& model) override;
  std::shared_ptr<presentation::Window>
  createWindow(const presentation::WindowStyle& style,
               std::shared_ptr<presentation::ViewController> content) override;

  // The latest × panel (an empty record before one exists).
  const PanelRecord& panel() const;
  // The latest panel's frame, top-left space, while it is visible.
  std::optional<Rect> visiblePanelFrame() const;
  // Runs the latest panel's button action; false when there is none.
  bool clickPanel();

  const ShellRecord& shell() const;
  void closeWindow(std::size_t index);
  bool clickStatusItem();
  bool chooseMenuItem(std::string_view title);
  // A click outside the transient popover closes it.
  void closeTransientPopover();
  void setStatusBarAvailable(bool available);
  // Drops the content models the record keeps (they hold services).
  void releaseContent();

  struct State;

private:
  std::shared_ptr<State> state_;
};

} // namespace lumivane::sim
