#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumivane::platform {

// NSProcessInfo and the main bundle.
class Process {
public:
  virtual ~Process() = default;
  virtual int32_t pid() = 0;
  // The command-line arguments, the program's path first.
  virtual std::vector<std::string> arguments() = 0;
  // The main bundle's path (standardised, NFC).
  virtual std::string bundlePath() = 0;
  // The operating system and its version, as a bug report names them ("macOS Version 14.5
  // (Build 23F79)").
  virtual std::string systemVersion() = 0;
  // The Dock's own magnification setting (its preference "magnification"), for a bug report;
  // absent when it cannot be read.
  [[nodiscard]] virtual std::optional<bool> dockMagnification() = 0;
};

} // namespace lumivane::platform
