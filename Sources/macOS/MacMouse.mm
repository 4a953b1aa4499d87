#include "macOS/MacMouse.hpp"

#import <AppKit/AppKit.h>
#include <map>

namespace lumivane::mac {

struct MacMouse::Impl {
  std::map<platform::MonitorToken, id> monitors;
  platform::MonitorToken lastToken = 0;

  platform::MonitorToken keep(id monitor) {
    if (monitor == nil) {
      return 0;
    }
    const platform::MonitorToken token = ++lastToken;
    monitors.emplace(token, monitor);
    return token;
  }
};

MacMouse::MacMouse() : impl_(std::make_unique<Impl>()) {}

MacMouse::~MacMouse() {
  for (const auto& [token, monitor] : impl_->monitors) {
    [NSEvent removeMonitor:monitor];
  }
}

Point MacMouse::location() {
  const NSPoint location = NSEvent.mouseLocation;
  return Point{location.x, location.y};
}

uint64_t MacMouse::pressedButtons() {
  return NSEvent.pressedMouseButtons;
}

// Each handler runs from a copy: removing the monitor from inside it releases the block.

platform::MonitorToken MacMouse::addGlobalMonitor(uint64_t eventMask, Handler handler) {
  if (!handler) {
    return 0;
  }
  return impl_->keep([NSEvent addGlobalMonitorForEventsMatchingMask:eventMask
                                                            handler:^(NSEvent* event) {
                                                              const Handler run = handler;
                                                              run(static_cast<int>(event.type));
                                                            }]);
}

platform::MonitorToken MacMouse::addLocalMonitor(uint64_t eventMask, Handler handler) {
  if (!handler) {
    return 0;
  }
  return impl_->keep([NSEvent addLocalMonitorForEventsMatchingMask:eventMask
                                                           handler:^NSEvent*(NSEvent* event) {
                                                             const Handler run = handler;
                                                             run(static_cast<int>(event.type));
                                                             return event;
                                                           }]);
}

void MacMouse::removeMonitor(platform::MonitorToken token) {
  const auto found = impl_->monitors.find(token);
  if (found == impl_->monitors.end()) {
    return;
  }
  [NSEvent removeMonitor:found->second];
  impl_->monitors.erase(found);
}

} // namespace lumivane::mac
