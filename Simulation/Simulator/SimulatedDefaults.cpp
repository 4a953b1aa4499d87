#include "Simulator/SimulatedDefaults.hpp"

#include <charconv>
#include <cmath>

namespace lumivane::sim {

namespace {

// -[NSString boolValue].
bool textBool(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
    ++i;
  }
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  while (i < text.size() && text[i] == '0') {
    ++i;
  }
  if (i == text.size()) {
    return false;
  }
  const char c = text[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::string numberText(double number) {
  if (std::isfinite(number) && number == std::trunc(number) && std::abs(number) < 1e15) {
    return std::to_string(static_cast<long long>(number));
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  return std::string(buffer, result.ptr);
}

} // namespace

void SimulatedDefaults::registerDefaults(const std::vector<std::pair<std::string, bool>>& values) {
  for (const auto& [key, value] : values) {
    registered_.insert_or_assign(key, value);
  }
}

bool SimulatedDefaults::boolForKey(std::string_view key) {
  const auto value = lookup(key);
  if (!value) {
    return false;
  }
  if (const bool* flag = std::get_if<bool>(&*value)) {
    return *flag;
  }
  if (const double* number = std::get_if<double>(&*value)) {
    return *number != 0 && !std::isnan(*number);
  }
  const std::string* text = std::get_if<std::string>(&*value);
  return text != nullptr && textBool(*text);
}

std::optional<std::string> SimulatedDefaults::stringForKey(std::string_view key) {
  const auto value = lookup(key);
  if (!value) {
    return std::nullopt;
  }
  if (const bool* flag = std::get_if<bool>(&*value)) {
    return *flag ? "1" : "0";
  }
  if (const double* number = std::get_if<double>(&*value)) {
    return numberText(*number);
  }
  if (const std::string* text = std::get_if<std::string>(&*value)) {
    return *text;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> SimulatedDefaults::stringArrayForKey(std::string_view key) {
  const auto value = lookup(key);
  const Texts* texts = value ? std::get_if<Texts>(&*value) : nullptr;
  return texts != nullptr ? std::optional(*texts) : std::nullopt;
}

void SimulatedDefaults::setBool(std::string_view key, bool value) {
  ++writes_;
  stored_.insert_or_assign(std::string(key), value);
}

void SimulatedDefaults::setString(std::string_view key, std::string_view value) {
  ++writes_;
  stored_.insert_or_assign(std::string(key), std::string(value));
}

void SimulatedDefaults::setStringArray(std::string_view key,
                                       const std::vector<std::string>& value) {
  ++writes_;
  stored_.insert_or_assign(std::string(key), value);
}

void SimulatedDefaults::store(std::string_view key, Value value) {
  stored_.insert_or_assign(std::string(key), std::move(value));
}

const SimulatedDefaults::Value* SimulatedDefaults::stored(std::string_view key) const {
  const auto found = stored_.find(key);
  return found == stored_.end() ? nullptr : &found->second;
}

std::optional<SimulatedDefaults::Value> SimulatedDefaults::lookup(std::string_view key) const {
  if (const Value* value = stored(key)) {
    return *value;
  }
  const auto registered = registered_.find(key);
  if (registered == registered_.end()) {
    return std::nullopt;
  }
  return Value{registered->second};
}

platform::LoginItemChange SimulatedLoginItems::registerMainApp() {
  return change(platform::LoginItemStatus::enabled);
}

platform::LoginItemChange SimulatedLoginItems::unregisterMainApp() {
  return change(platform::LoginItemStatus::notRegistered);
}

void SimulatedLoginItems::openSystemSettingsLoginItems() {
  workspace_.recordOpenedURL(std::string(settingsURL));
}

platform::LoginItemChange SimulatedLoginItems::change(platform::LoginItemStatus result) {
  if (failure_) {
    return {false, *failure_};
  }
  status_ = result;
  return {true, ""};
}

} // namespace lumivane::sim
