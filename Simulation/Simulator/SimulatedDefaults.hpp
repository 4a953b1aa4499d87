#pragma once

#include "Lumivane/Platform/Defaults.hpp"
#include "Lumivane/Platform/LoginItems.hpp"
#include "Simulator/SimulatedWorkspace.hpp"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// What the system keeps for Lumivane between launches: its user defaults and its login item.

namespace lumivane::sim {

// The application's defaults domain with NSUserDefaults' reading rules. Registered values only
// answer for keys without a stored value and are never written. boolForKey: a Boolean as is, a
// number when non-zero, a text as NSString's boolValue reads it ("YES", "true", "1": after
// optional spaces, a sign and zeros, it starts with Y, T or a digit 1 to 9, in any case).
// stringForKey: a text as is, a number or Boolean as its decimal text ("1", "0", "0.5").
// stringArrayForKey: an array of texts as is. An array is no Boolean and no text; an array
// holding something other than texts (`mixed`) is no array of texts either.
class SimulatedDefaults final : public platform::Defaults {
public:
  using Texts = std::vector<std::string>;
  // An array with elements of several types: it reads as nothing but an array.
  struct Mixed {
    friend bool operator==(const Mixed&, const Mixed&) = default;
  };
  using Value = std::variant<bool, std::string, double, Texts, Mixed>;

  void registerDefaults(const std::vector<std::pair<std::string, bool>>& values) override;
  bool boolForKey(std::string_view key) override;
  std::optional<std::string> stringForKey(std::string_view key) override;
  std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) override;
  void setBool(std::string_view key, bool value) override;
  void setString(std::string_view key, std::string_view value) override;
  void setStringArray(std::string_view key, const std::vector<std::string>& value) override;

  // A value the user stored earlier: not one of Lumivane's writes.
  void store(std::string_view key, Value value);
  const Value* stored(std::string_view key) const;
  // Writes through the port.
  std::size_t writeCount() const { return writes_; }

private:
  std::optional<Value> lookup(std::string_view key) const;

  std::map<std::string, Value, std::less<>> stored_;
  std::map<std::string, bool, std::less<>> registered_;
  std::size_t writes_ = 0;
};

// SMAppService.mainAppService. Registering enables the item and unregistering removes it,
// unless a failure is set: then both fail with its description and the status stays.
class SimulatedLoginItems final : public platform::LoginItems {
public:
  // What openSystemSettingsLoginItems opens.
  static constexpr std::string_view settingsURL =
      "x-apple.systempreferences:com.apple.LoginItems-Settings.extension";

  explicit SimulatedLoginItems(SimulatedWorkspace& workspace) : workspace_(workspace) {}

  platform::LoginItemStatus status() override { return status_; }
  platform::LoginItemChange registerMainApp() override;
  platform::LoginItemChange unregisterMainApp() override;
  void openSystemSettingsLoginItems() override;

  void setStatus(platform::LoginItemStatus status) { status_ = status; }
  void setFailure(std::optional<std::string> description) { failure_ = std::move(description); }

private:
  platform::LoginItemChange change(platform::LoginItemStatus result);

  SimulatedWorkspace& workspace_;
  platform::LoginItemStatus status_ = platform::LoginItemStatus::notRegistered;
  std::optional<std::string> failure_;
};

} // namespace lumivane::sim
