#include "Lumivane/QuitOverlay.hpp"

#include "Lumivane/Texts.hpp"
#include "LumivaneCore/DockGeometry.hpp"

#include <string>

namespace lumivane {

QuitOverlay::QuitOverlay(presentation::Windows& windows, platform::Workspace& workspace)
    : workspace_(workspace),
      panel_(windows.createOverlayPanel(Rect{0, 0, DockGeometry::hitSize, DockGeometry::hitSize})) {
  panel_->setButtonAccessibilityIdentifier(accessibilityIdentifier);
  // The overlay owns the panel, so the button's action never outlives `this`.
  panel_->setButtonAction([this] { clicked(); });
}

void QuitOverlay::show(const DockTarget& target, double primaryTop) {
  const Rect frame = DockGeometry::appKitRect(target.buttonFrame, primaryTop);
  if (panel_->frame() != frame) {
    panel_->setFrame(frame);
  }
  panel_->setButtonAccessibilityLabel(texts::overlayLabel(target.app.name));
  panel_->setRepresentedProcess(target.app.identity.pid());
  if (panel_->isVisible()) {
    // A visible × only moves and relabels; it does not fade in again.
    return;
  }
  panel_->setAlpha(workspace_.reduceMotion() ? 1 : 0);
  panel_->orderFrontRegardless();
  panel_->animateAlpha(1, fadeDuration);
}

void QuitOverlay::clicked() {
  if (onClick) {
    onClick();
  }
}

} // namespace lumivane
