#pragma once

#include "LumivaneCore/Geometry.hpp"

#include <optional>
#include <vector>

namespace lumivane::platform {

// NSScreen. Frames are in the window system's bottom-left space.
class Screens {
public:
  virtual ~Screens() = default;
  // Every display's frame, primary display first.
  virtual std::vector<Rect> frames() = 0;
  // The main screen's visible frame (without menu bar and Dock); absent without a screen.
  [[nodiscard]] virtual std::optional<Rect> mainVisibleFrame() = 0;
};

} // namespace lumivane::platform
