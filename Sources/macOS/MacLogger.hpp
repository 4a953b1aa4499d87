#pragma once

#include "Lumivane/Platform/Logger.hpp"

#include <memory>

namespace lumivane::mac {

// The Logger port on the unified log (os_log), subsystem "com.lumivane.app", one log object per
// category, made on first use. Messages are marked public: they are fixed texts without data.
class MacLogger final : public platform::Logger {
public:
  MacLogger();
  ~MacLogger() override;
  MacLogger(const MacLogger&) = delete;
  MacLogger& operator=(const MacLogger&) = delete;

  void log(std::string_view category, platform::LogLevel level, std::string_view message) override;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace lumivane::mac
