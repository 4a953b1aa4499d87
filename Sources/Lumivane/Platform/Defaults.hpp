#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivane::platform {

// The application's own user defaults domain (NSUserDefaults).
class Defaults {
public:
  virtual ~Defaults() = default;
  // registerDefaults:: values for keys the user never set; nothing is written.
  virtual void registerDefaults(const std::vector<std::pair<std::string, bool>>& values) = 0;
  // boolForKey:: false when absent or not a Boolean-like value.
  virtual bool boolForKey(std::string_view key) = 0;
  // stringForKey:: the text stored under the key (a number reads as its decimal text), or
  // absent when there is none or it is of another type.
  [[nodiscard]] virtual std::optional<std::string> stringForKey(std::string_view key) = 0;
  // stringArrayForKey:: the texts of the array stored under the key, in order, or absent when
  // there is none, it is not an array, or one of its elements is not a text.
  [[nodiscard]] virtual std::optional<std::vector<std::string>>
  stringArrayForKey(std::string_view key) = 0;
  virtual void setBool(std::string_view key, bool value) = 0;
  virtual void setString(std::string_view key, std::string_view value) = 0;
  // setObject:forKey: with an array of texts.
  virtual void setStringArray(std::string_view key, const std::vector<std::string>& value) = 0;
};

} // namespace lumivane::platform
