#pragma once

#include <string_view>

namespace lumivane::platform {

enum class LogLevel { debug, info, standard, error, fault }; // standard: os_log's default level

namespace LogCategory {
inline constexpr std::string_view geometry = "geometry";
inline constexpr std::string_view hover = "hover";
inline constexpr std::string_view permission = "permission";
} // namespace LogCategory

// The unified log, subsystem "com.lumivane.app". Messages are fixed texts without arguments.
class Logger {
public:
  virtual ~Logger() = default;
  virtual void log(std::string_view category, LogLevel level, std::string_view message) = 0;
};

} // namespace lumivane::platform
