#pragma once

#include "Lumivane/PermissionManager.hpp"
#include "Lumivane/Presentation.hpp"
#include "Lumivane/RuntimeStatus.hpp"
#include "Lumivane/SettingsManager.hpp"
#include "Simulator/Desktop.hpp"

#include <memory>

namespace lumivane::shell {

// The services the views observe, on a simulated desktop of their own: what the snapshots and
// the view tests build views from, without a coordinator.
struct ViewServices {
  sim::Desktop desktop;
  std::shared_ptr<SettingsManager> settings =
      std::make_shared<SettingsManager>(desktop.platform().defaults, desktop.platform().loginItems);
  std::shared_ptr<PermissionManager> permissions =
      std::make_shared<PermissionManager>(desktop.platform());
  std::shared_ptr<RuntimeStatus> runtime = std::make_shared<RuntimeStatus>();

  void grantAccessibility(bool granted) {
    desktop.setAccessibility(granted);
    permissions->refresh();
  }

  // What the popover's content is built from: these services, and no actions.
  presentation::MenuContentModel menuModel() const {
    presentation::MenuContentModel model;
    model.settings = settings;
    model.permissions = permissions;
    model.runtime = runtime;
    return model;
  }
};

} // namespace lumivane::shell
