#pragma once

#include "LumivaneCore/Geometry.hpp"

#include <cstdint>
#include <functional>
#include <memory>

namespace lumivane::platform {

// Event types a tap callback receives (CGEventType values).
namespace TapEventType {
inline constexpr uint32_t otherMouseDown = 25;
inline constexpr uint32_t otherMouseUp = 26;
inline constexpr uint32_t otherMouseDragged = 27;
inline constexpr uint32_t disabledByTimeout = 0xFFFFFFFE;
inline constexpr uint32_t disabledByUserInput = 0xFFFFFFFF;
} // namespace TapEventType

struct TapEvent {
  uint32_t type = 0;
  int64_t button = 0; // kCGMouseEventButtonNumber: 0 left, 1 right, 2 middle
  Point location;     // CGEventGetLocation: top-left space
};

// An installed event tap (its CFMachPort and run-loop source).
class EventTap {
public:
  virtual ~EventTap() = default;
  virtual void setEnabled(bool enabled) = 0; // CGEventTapEnable
  virtual bool isEnabled() = 0;              // CGEventTapIsEnabled
  virtual bool isValid() = 0;                // CFMachPortIsValid
  virtual void invalidate() = 0;             // CFMachPortInvalidate
  // Creates the run-loop source and adds it to the main run loop in the common modes.
  virtual void addToMainRunLoop() = 0;
  // Removes the source from the main run loop's common modes and drops it.
  virtual void removeFromMainRunLoop() = 0;
};

// Quartz event taps and the Input Monitoring (listen-event) permission.
class EventTaps {
public:
  // Runs on the main thread for every event of interest; returns true to swallow the event.
  using Callback = std::function<bool(const TapEvent&)>;

  virtual ~EventTaps() = default;
  // CGEventTapCreate at the session tap, head insert, default (active) options. Null when the
  // tap cannot be made, as without the Input Monitoring permission.
  virtual std::unique_ptr<EventTap> createSessionTap(uint64_t eventMask, Callback callback) = 0;
  // CGPreflightListenEventAccess.
  virtual bool preflightListenEventAccess() = 0;
  // CGRequestListenEventAccess: shows the system's prompt.
  virtual bool requestListenEventAccess() = 0;
};

} // namespace lumivane::platform
