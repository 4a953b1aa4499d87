#pragma once

#include "Lumivane/Platform/Defaults.hpp"

#include <QSettings>
#include <QString>
#include <map>
#include <memory>

namespace lumivane::shell {

// The user defaults on QSettings: written values persist between runs; registered defaults only
// answer for keys that were never written and are never stored.
class QtDefaults final : public platform::Defaults {
public:
  // The application's settings in the platform's usual place.
  QtDefaults(const QString& organization, const QString& application);
  // Settings in an INI file at `path`.
  explicit QtDefaults(const QString& path);

  void registerDefaults(const std::vector<std::pair<std::string, bool>>& values) override;
  bool boolForKey(std::string_view key) override;
  std::optional<std::string> stringForKey(std::string_view key) override;
  std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) override;
  void setBool(std::string_view key, bool value) override;
  void setString(std::string_view key, std::string_view value) override;
  void setStringArray(std::string_view key, const std::vector<std::string>& value) override;

private:
  std::unique_ptr<QSettings> settings_;
  std::map<std::string, bool, std::less<>> registered_;
};

} // namespace lumivane::shell
