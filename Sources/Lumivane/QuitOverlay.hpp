#pragma once

#include "Lumivane/DockObserver.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/Presentation.hpp"

#include <functional>
#include <memory>

namespace lumivane {

// The floating round × beside a Dock icon. It decides nothing: the hover controller places,
// labels and hides it and receives its clicks. Main thread; onClick fires from the button.
class QuitOverlay {
public:
  static constexpr double fadeDuration = 0.09;
  static constexpr std::string_view accessibilityIdentifier = "lumivane.quit-overlay";

  QuitOverlay(presentation::Windows& windows, platform::Workspace& workspace);

  // Places the panel over the target's × frame, labels it and fades it in unless it is shown.
  void show(const DockTarget& target, double primaryTop);
  // The button's action.
  void clicked();

  // The hover controller hides the panel directly (orderOut) and reads its visibility.
  presentation::OverlayPanel& panel() { return *panel_; }

  std::function<void()> onClick;

private:
  platform::Workspace& workspace_;
  std::unique_ptr<presentation::OverlayPanel> panel_;
};

} // namespace lumivane
