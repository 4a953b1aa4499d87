#include "Lumivane/SettingsManager.hpp"

#include <string>
#include <utility>

namespace lumivane {

namespace {

// A missing text, or one that is not exactly a raw value, reads as the default case.
HoverLayoutOptions storedLayout(platform::Defaults& defaults, std::string_view positionKey,
                                std::string_view distanceKey) {
  HoverLayoutOptions layout = HoverLayoutOptions::defaults;
  if (const auto text = defaults.stringForKey(positionKey)) {
    layout.position = hoverPosition(*text).value_or(layout.position);
  }
  if (const auto text = defaults.stringForKey(distanceKey)) {
    layout.distance = hoverDistance(*text).value_or(layout.distance);
  }
  return layout;
}

} // namespace

SettingsManager::SettingsManager(platform::Defaults& defaults, platform::LoginItems& loginItems)
    : defaults_(defaults), loginItems_(loginItems) {
  // Registration only supplies values for keys the user never set; nothing is written.
  defaults_.registerDefaults(
      {{std::string(hoverEnabledKey), true}, {std::string(middleEnabledKey), true}});
  hoverEnabled_ = defaults_.boolForKey(hoverEnabledKey);
  middleEnabled_ = defaults_.boolForKey(middleEnabledKey);
  hoverLayout_ = storedLayout(defaults_, hoverPositionKey, hoverDistanceKey);
  protectedApps_ = ProtectedApps(
      defaults_.stringArrayForKey(protectedAppsKey).value_or(std::vector<std::string>{}));
  refreshLogin();
}

void SettingsManager::setHoverEnabled(bool enabled) {
  hoverEnabled_ = enabled;
  publish();
  defaults_.setBool(hoverEnabledKey, enabled);
  if (onChange) {
    onChange();
  }
}

void SettingsManager::setMiddleEnabled(bool enabled) {
  middleEnabled_ = enabled;
  publish();
  defaults_.setBool(middleEnabledKey, enabled);
  if (onChange) {
    onChange();
  }
}

void SettingsManager::setHoverLayout(const HoverLayoutOptions& layout) {
  if (layout == hoverLayout_) {
    return;
  }
  hoverLayout_ = layout;
  publish();
  // Both keys, so that a text that matched no case is replaced as soon as the user chooses.
  defaults_.setString(hoverPositionKey, rawValue(layout.position));
  defaults_.setString(hoverDistanceKey, rawValue(layout.distance));
  if (onLayoutChange) {
    onLayoutChange(layout);
  }
}

void SettingsManager::setProtected(std::string_view bundleIdentifier, bool isProtected) {
  if (!protectedApps_.set(bundleIdentifier, isProtected)) {
    return;
  }
  publish();
  // The whole list, so that a stored value of another type is replaced by the user's choice.
  defaults_.setStringArray(protectedAppsKey, protectedApps_.identifiers());
  if (onProtectedAppsChange) {
    onProtectedAppsChange();
  }
}

void SettingsManager::refreshLogin() {
  const platform::LoginItemStatus status = loginItems_.status();
  const bool needsApproval = status == platform::LoginItemStatus::requiresApproval;
  // Awaiting approval counts as on: the registration exists and the switch must show it.
  const bool enabled = status == platform::LoginItemStatus::enabled || needsApproval;
  if (enabled == loginEnabled_ && needsApproval == loginNeedsApproval_) {
    return;
  }
  loginEnabled_ = enabled;
  loginNeedsApproval_ = needsApproval;
  publish();
}

void SettingsManager::setLogin(bool enabled) {
  const platform::LoginItemChange change =
      enabled ? loginItems_.registerMainApp() : loginItems_.unregisterMainApp();
  std::optional<std::string> error;
  if (!change.succeeded) {
    error = std::string(loginErrorPrefix) + change.failureDescription;
  }
  if (error != loginError_) {
    loginError_ = std::move(error);
    publish();
  }
  // The switch follows what the platform reports, not what was asked for.
  refreshLogin();
}

void SettingsManager::openLoginItemsSettings() {
  loginItems_.openSystemSettingsLoginItems();
}

bool SettingsManager::hasSeenWelcome() const {
  return defaults_.boolForKey(hasSeenWelcomeKey);
}

void SettingsManager::setHasSeenWelcome(bool seen) {
  defaults_.setBool(hasSeenWelcomeKey, seen);
}

} // namespace lumivane
