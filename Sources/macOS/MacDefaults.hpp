#pragma once

#include "Lumivane/Platform/Defaults.hpp"

namespace lumivane::mac {

// The Defaults port on the standard user defaults (the application's own domain). A key or text
// that is not valid UTF-8 reads as absent (false) and is never written.
class MacDefaults final : public platform::Defaults {
public:
  void registerDefaults(const std::vector<std::pair<std::string, bool>>& values) override;
  bool boolForKey(std::string_view key) override;
  std::optional<std::string> stringForKey(std::string_view key) override;
  std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) override;
  void setBool(std::string_view key, bool value) override;
  void setString(std::string_view key, std::string_view value) override;
  void setStringArray(std::string_view key, const std::vector<std::string>& value) override;
};

} // namespace lumivane::mac
