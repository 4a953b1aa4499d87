#pragma once

#include "Lumivane/Platform/Screens.hpp"

namespace lumivane::mac {

// The Screens port on NSScreen; frames in the bottom-left space, the primary display (the one
// with the menu bar, first in NSScreen.screens) first. The "main screen" is AppKit's: the screen
// of the key window, not necessarily the primary display nor the one under the status item.
class MacScreens final : public platform::Screens {
public:
  std::vector<Rect> frames() override;
  std::optional<Rect> mainVisibleFrame() override;
};

} // namespace lumivane::mac
