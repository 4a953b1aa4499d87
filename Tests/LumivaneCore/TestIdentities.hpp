#pragma once

#include "LumivaneCore/AppIdentity.hpp"

#include <chrono>
#include <string>

namespace lumivane::test {

// An identity launched `launchSeconds` after the epoch.
inline AppIdentity identity(int32_t pid, std::string bundlePath, int launchSeconds = 0) {
  return {pid, std::move(bundlePath),
          std::chrono::system_clock::time_point{std::chrono::seconds{launchSeconds}}};
}

} // namespace lumivane::test
