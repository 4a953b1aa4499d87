#pragma once

#include "Lumivane/Observable.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "LumivaneCore/HoverLayout.hpp"
#include "LumivaneCore/ProtectedApps.hpp"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane {

// The user's choices: the two feature switches, the × layout and the applications to leave alone
// in the user defaults, and the login item, mirrored from the login-item service. The one place
// that names defaults keys. Main thread; onChange, onLayoutChange and onProtectedAppsChange fire
// synchronously from the setters.
class SettingsManager : public Observable {
public:
  static constexpr std::string_view hoverEnabledKey = "hoverEnabled";
  static constexpr std::string_view middleEnabledKey = "middleEnabled";
  static constexpr std::string_view hoverPositionKey = "hoverPosition";
  static constexpr std::string_view hoverDistanceKey = "hoverDistance";
  static constexpr std::string_view hasSeenWelcomeKey = "hasSeenWelcome";
  static constexpr std::string_view protectedAppsKey = "protectedApps";
  static constexpr std::string_view loginErrorPrefix = "无法更新登录项：";

  SettingsManager(platform::Defaults& defaults, platform::LoginItems& loginItems);

  // Published fields.
  bool hoverEnabled() const { return hoverEnabled_; }
  // Persists and calls onChange on every assignment, also of the current value.
  void setHoverEnabled(bool enabled);
  bool middleEnabled() const { return middleEnabled_; }
  void setMiddleEnabled(bool enabled);
  const HoverLayoutOptions& hoverLayout() const { return hoverLayout_; }
  // Persists both keys and calls onLayoutChange only when the value differs.
  void setHoverLayout(const HoverLayoutOptions& layout);
  // A stored value that is not an array of texts reads as an empty list and stays as it is
  // until the user changes the list.
  const ProtectedApps& protectedApps() const { return protectedApps_; }
  // Persists the whole list and calls onProtectedAppsChange only when it changed.
  void setProtected(std::string_view bundleIdentifier, bool isProtected);
  bool loginEnabled() const { return loginEnabled_; }
  bool loginNeedsApproval() const { return loginNeedsApproval_; }
  const std::optional<std::string>& loginError() const { return loginError_; }

  void refreshLogin();
  // Registers or unregisters the login item, then shows the status the platform reports.
  void setLogin(bool enabled);
  void openLoginItemsSettings();

  // Not published.
  bool hasSeenWelcome() const;
  void setHasSeenWelcome(bool seen);

  std::function<void()> onChange;
  std::function<void(const HoverLayoutOptions&)> onLayoutChange;
  std::function<void()> onProtectedAppsChange;

private:
  platform::Defaults& defaults_;
  platform::LoginItems& loginItems_;
  bool hoverEnabled_ = true;
  bool middleEnabled_ = true;
  HoverLayoutOptions hoverLayout_;
  ProtectedApps protectedApps_;
  bool loginEnabled_ = false;
  bool loginNeedsApproval_ = false;
  std::optional<std::string> loginError_;
};

} // namespace lumivane
