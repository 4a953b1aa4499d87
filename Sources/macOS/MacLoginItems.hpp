#pragma once

#include "Lumivane/Platform/LoginItems.hpp"

namespace lumivane::mac {

// The LoginItems port on ServiceManagement's SMAppService.mainAppService (macOS 13 and later).
class MacLoginItems final : public platform::LoginItems {
public:
  platform::LoginItemStatus status() override;
  platform::LoginItemChange registerMainApp() override;
  platform::LoginItemChange unregisterMainApp() override;
  void openSystemSettingsLoginItems() override;
};

} // namespace lumivane::mac
