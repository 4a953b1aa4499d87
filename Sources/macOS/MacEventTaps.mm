#include "macOS/MacEventTaps.hpp"

#import <ApplicationServices/ApplicationServices.h>
#include <utility>

namespace lumivane::mac {

namespace {

class MacEventTap final : public platform::EventTap {
public:
  explicit MacEventTap(platform::EventTaps::Callback callback) : callback_(std::move(callback)) {}
  ~MacEventTap() override {
    removeFromMainRunLoop();
    if (port_ != nullptr) {
      // No callback may reach this object once it is gone.
      CFMachPortInvalidate(port_);
      CFRelease(port_);
    }
  }
  MacEventTap(const MacEventTap&) = delete;
  MacEventTap& operator=(const MacEventTap&) = delete;

  // False when the system refuses the tap, as it does without post-event access.
  bool create(CGEventMask mask) {
    // The tap's user info is this object, not retained: the destructor invalidates the port.
    port_ = CGEventTapCreate(kCGSessionEventTap, kCGHeadInsertEventTap, kCGEventTapOptionDefault,
                             mask, &MacEventTap::receive, this);
    return port_ != nullptr;
  }

  void setEnabled(bool enabled) override { CGEventTapEnable(port_, enabled); }
  bool isEnabled() override { return CGEventTapIsEnabled(port_); }
  bool isValid() override { return CFMachPortIsValid(port_); }
  void invalidate() override { CFMachPortInvalidate(port_); }

  void addToMainRunLoop() override {
    if (source_ != nullptr) {
      return;
    }
    source_ = CFMachPortCreateRunLoopSource(kCFAllocatorDefault, port_, 0);
    if (source_ != nullptr) {
      CFRunLoopAddSource(CFRunLoopGetMain(), source_, kCFRunLoopCommonModes);
    }
  }

  void removeFromMainRunLoop() override {
    if (source_ == nullptr) {
      return;
    }
    CFRunLoopRemoveSource(CFRunLoopGetMain(), source_, kCFRunLoopCommonModes);
    CFRelease(source_);
    source_ = nullptr;
  }

private:
  // Returns NULL only when the callback swallows the event, else the event itself: an active
  // filter's NULL deletes the event (CGEventTypes.h, CGEventTapCallBack).
  static CGEventRef receive(CGEventTapProxy, CGEventType type, CGEventRef event, void* tap) {
    // Runs from a copy, and nothing of this object is touched once it returns.
    const platform::EventTaps::Callback callback = static_cast<MacEventTap*>(tap)->callback_;
    platform::TapEvent tapEvent;
    tapEvent.type = type;
    if (event != nullptr) {
      tapEvent.button = CGEventGetIntegerValueField(event, kCGMouseEventButtonNumber);
      tapEvent.pressNumber = CGEventGetIntegerValueField(event, kCGMouseEventNumber);
      const CGPoint location = CGEventGetLocation(event);
      tapEvent.location = Point{location.x, location.y};
    }
    return callback(tapEvent) ? nullptr : event;
  }

  platform::EventTaps::Callback callback_;
  CFMachPortRef port_ = nullptr;
  CFRunLoopSourceRef source_ = nullptr;
};

CGEventRef passEvent(CGEventTapProxy, CGEventType, CGEventRef event, void*) {
  return event;
}

} // namespace

std::unique_ptr<platform::EventTap> MacEventTaps::createSessionTap(uint64_t eventMask,
                                                                   Callback callback) {
  if (!callback) {
    return nullptr;
  }
  auto tap = std::make_unique<MacEventTap>(std::move(callback));
  if (!tap->create(eventMask)) {
    return nullptr;
  }
  return tap;
}

bool MacEventTaps::canCreateActiveTap() {
  // Disabled, invalidated and released before it reaches a run loop, it never holds an event
  // back (screenpipe pull request #5365); placed last, for the other-mouse press only.
  CFMachPortRef probe =
      CGEventTapCreate(kCGSessionEventTap, kCGTailAppendEventTap, kCGEventTapOptionDefault,
                       CGEventMaskBit(kCGEventOtherMouseDown), &passEvent, nullptr);
  if (probe == nullptr) {
    return false;
  }
  CGEventTapEnable(probe, false);
  CFMachPortInvalidate(probe);
  CFRelease(probe);
  return true;
}

bool MacEventTaps::preflightListenEventAccess() {
  return CGPreflightListenEventAccess();
}

bool MacEventTaps::preflightPostEventAccess() {
  return CGPreflightPostEventAccess();
}

bool MacEventTaps::requestPostEventAccess() {
  return CGRequestPostEventAccess();
}

} // namespace lumivane::mac
