#pragma once

#include "LumivaneCore/Geometry.hpp"

#include <cstdint>
#include <functional>

namespace lumivane::platform {

// Mouse event types, as NSEventType numbers them.
namespace mouseEventType {
inline constexpr int leftMouseDown = 1;
inline constexpr int rightMouseDown = 3;
inline constexpr int mouseMoved = 5;
inline constexpr int leftMouseDragged = 6;
inline constexpr int rightMouseDragged = 7;
inline constexpr int scrollWheel = 22;
inline constexpr int otherMouseDragged = 27;
} // namespace mouseEventType

using MonitorToken = uint64_t;

// NSEvent's mouse state and event monitors. Monitors only observe: no event is ever consumed.
class Mouse {
public:
  using Handler = std::function<void(int eventType)>;

  virtual ~Mouse() = default;
  // NSEvent.mouseLocation: bottom-left space.
  virtual Point location() = 0;
  // NSEvent.pressedMouseButtons: bit 0 left, bit 1 right, further bits other buttons.
  virtual uint64_t pressedButtons() = 0;
  // Events sent to other applications.
  virtual MonitorToken addGlobalMonitor(uint64_t eventMask, Handler handler) = 0;
  // Events sent to this program's own windows; they are passed on unchanged.
  virtual MonitorToken addLocalMonitor(uint64_t eventMask, Handler handler) = 0;
  virtual void removeMonitor(MonitorToken token) = 0;
};

} // namespace lumivane::platform
