#include "macOS/MacScreens.hpp"

#import <AppKit/AppKit.h>

namespace lumivane::mac {

namespace {

Rect rect(NSRect frame) {
  return Rect{frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
}

} // namespace

std::vector<Rect> MacScreens::frames() {
  NSArray<NSScreen*>* screens = NSScreen.screens;
  std::vector<Rect> frames;
  frames.reserve(screens.count);
  for (NSScreen* screen in screens) {
    frames.push_back(rect(screen.frame));
  }
  return frames;
}

std::optional<Rect> MacScreens::mainVisibleFrame() {
  NSScreen* screen = NSScreen.mainScreen;
  if (screen == nil) {
    return std::nullopt;
  }
  return rect(screen.visibleFrame);
}

} // namespace lumivane::mac
