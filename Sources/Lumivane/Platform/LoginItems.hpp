#pragma once

#include <string>

namespace lumivane::platform {

// SMAppService.Status of the main application, with the platform's values.
enum class LoginItemStatus { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

struct LoginItemChange {
  bool succeeded = false;
  std::string failureDescription; // the error's localized description when it failed
};

// SMAppService.mainAppService.
class LoginItems {
public:
  virtual ~LoginItems() = default;
  virtual LoginItemStatus status() = 0;
  virtual LoginItemChange registerMainApp() = 0;
  virtual LoginItemChange unregisterMainApp() = 0;
  // SMAppService.openSystemSettingsLoginItems.
  virtual void openSystemSettingsLoginItems() = 0;
};

} // namespace lumivane::platform
