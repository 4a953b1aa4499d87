#include "macOS/MacLogger.hpp"

#include <functional>
#include <map>
#include <os/log.h>
#include <string>

namespace lumivane::mac {

namespace {

constexpr const char* subsystem = "com.lumivane.app";

os_log_type_t logType(platform::LogLevel level) {
  switch (level) {
  case platform::LogLevel::debug:
    return OS_LOG_TYPE_DEBUG;
  case platform::LogLevel::info:
    return OS_LOG_TYPE_INFO;
  case platform::LogLevel::standard:
    return OS_LOG_TYPE_DEFAULT;
  case platform::LogLevel::error:
    return OS_LOG_TYPE_ERROR;
  case platform::LogLevel::fault:
    break;
  }
  return OS_LOG_TYPE_FAULT;
}

} // namespace

struct MacLogger::Impl {
  std::map<std::string, os_log_t, std::less<>> logs;

  os_log_t log(std::string_view category) {
    auto found = logs.find(category);
    if (found == logs.end()) {
      std::string name(category);
      os_log_t created = os_log_create(subsystem, name.c_str());
      found = logs.emplace(std::move(name), created).first;
    }
    return found->second;
  }
};

MacLogger::MacLogger() : impl_(std::make_unique<Impl>()) {}

MacLogger::~MacLogger() = default;

void MacLogger::log(std::string_view category, platform::LogLevel level, std::string_view message) {
  const std::string text(message);
  os_log_with_type(impl_->log(category), logType(level), "%{public}s", text.c_str());
}

} // namespace lumivane::mac
