#pragma once

#include "Lumivane/Platform/Process.hpp"

namespace lumivane::mac {

// The Process port on NSProcessInfo and the main bundle. An argument with no UTF-8 form reads as
// an empty text, so positions are kept.
class MacProcess final : public platform::Process {
public:
  int32_t pid() override;
  std::vector<std::string> arguments() override;
  std::string bundlePath() override;
  std::string systemVersion() override;
  std::optional<bool> dockMagnification() override;
};

} // namespace lumivane::mac
