#pragma once

#include "LumivaneCore/Geometry.hpp"

#include <cstdint>
#include <functional>
#include <memory>

namespace lumivane::platform {

// Event types a tap callback receives (CGEventType values).
namespace tapEventType {
inline constexpr uint32_t otherMouseDown = 25;
inline constexpr uint32_t otherMouseUp = 26;
inline constexpr uint32_t otherMouseDragged = 27;
inline constexpr uint32_t disabledByTimeout = 0xFFFFFFFE;
inline constexpr uint32_t disabledByUserInput = 0xFFFFFFFF;
} // namespace tapEventType

struct TapEvent {
  uint32_t type = 0;
  int64_t button = 0; // kCGMouseEventButtonNumber: 0 left, 1 right, 2 middle
  Point location;     // CGEventGetLocation: top-left space
  // kCGMouseEventNumber: a press and its release carry the same (CGEventTypes.h).
  int64_t pressNumber = 0;
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

// Quartz event taps and the two kinds of event access macOS grants. An active (filtering) tap,
// the only kind made here, needs post-event access, which System Settings grants in its
// Accessibility list; listen access (Input Monitoring) is what a listen-only tap needs.
class EventTaps {
public:
  // Runs on the main thread for every event of interest; returns true to swallow the event.
  using Callback = std::function<bool(const TapEvent&)>;

  virtual ~EventTaps() = default;
  // CGEventTapCreate at the session tap, head insert, default (active) options. Null when the
  // system refuses the tap, as without post-event access. A tap must not be invalidated or
  // destroyed inside its own callback: the system still works with the tap after the callback
  // returns the event to it.
  virtual std::unique_ptr<EventTap> createSessionTap(uint64_t eventMask, Callback callback) = 0;
  // Whether the system lets this process make an active tap now: CGEventTapCreate of one,
  // disabled and released before it reaches a run loop. Unlike AXIsProcessTrusted, which may
  // answer from a cache after the process's row is removed from the Accessibility list, this
  // asks the system at the time of the call (OpenLogi pull request #801, screenpipe pull request
  // #5365, after Apple's developer forums 735204, 744440 and 727984).
  virtual bool canCreateActiveTap() = 0;
  // CGPreflightListenEventAccess: Input Monitoring.
  virtual bool preflightListenEventAccess() = 0;
  // CGPreflightPostEventAccess: the access an active tap needs.
  virtual bool preflightPostEventAccess() = 0;
  // CGRequestPostEventAccess: shows the system's prompt when the access is missing. True when
  // the access is there already; callers that only want the prompt may ignore it.
  virtual bool requestPostEventAccess() = 0;
};

} // namespace lumivane::platform
