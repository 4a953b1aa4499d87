#include "macOS/MacLoginItems.hpp"

#include "macOS/MacText.hpp"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

namespace lumivane::mac {

namespace {

platform::LoginItemChange change(BOOL succeeded, NSError* error) {
  platform::LoginItemChange result;
  result.succeeded = succeeded;
  if (!succeeded) {
    result.failureDescription =
        utf8((__bridge CFStringRef)error.localizedDescription).value_or(std::string());
  }
  return result;
}

} // namespace

platform::LoginItemStatus MacLoginItems::status() {
  switch (SMAppService.mainAppService.status) {
  case SMAppServiceStatusNotRegistered:
    return platform::LoginItemStatus::notRegistered;
  case SMAppServiceStatusEnabled:
    return platform::LoginItemStatus::enabled;
  case SMAppServiceStatusRequiresApproval:
    return platform::LoginItemStatus::requiresApproval;
  case SMAppServiceStatusNotFound:
    break;
  }
  // Not found, or a status newer than this code: nothing registered that can be relied on.
  return platform::LoginItemStatus::notFound;
}

platform::LoginItemChange MacLoginItems::registerMainApp() {
  NSError* error = nil;
  const BOOL succeeded = [SMAppService.mainAppService registerAndReturnError:&error];
  return change(succeeded, error);
}

platform::LoginItemChange MacLoginItems::unregisterMainApp() {
  NSError* error = nil;
  const BOOL succeeded = [SMAppService.mainAppService unregisterAndReturnError:&error];
  return change(succeeded, error);
}

void MacLoginItems::openSystemSettingsLoginItems() {
  [SMAppService openSystemSettingsLoginItems];
}

} // namespace lumivane::mac
