#include "macOS/MacRunLoop.hpp"

#import <Foundation/Foundation.h>

namespace lumivane::mac {

namespace {

class MacTimer final : public platform::Timer {
public:
  explicit MacTimer(NSTimer* timer) : timer_(timer) {}
  ~MacTimer() override { [timer_ invalidate]; }
  MacTimer(const MacTimer&) = delete;
  MacTimer& operator=(const MacTimer&) = delete;

  void invalidate() override { [timer_ invalidate]; }
  bool isValid() const override { return timer_.valid; }

private:
  NSTimer* timer_;
};

} // namespace

double MacRunLoop::uptime() {
  return NSProcessInfo.processInfo.systemUptime;
}

std::unique_ptr<platform::Timer> MacRunLoop::scheduleRepeating(double interval, double tolerance,
                                                               std::function<void()> action) {
  if (!action) {
    return std::make_unique<MacTimer>(nil);
  }
  // The action may drop the last handle, invalidating the timer and with it this block, so each
  // fire runs a copy and touches nothing of the block afterwards.
  NSTimer* timer = [NSTimer timerWithTimeInterval:interval
                                          repeats:YES
                                            block:^(NSTimer*) {
                                              const std::function<void()> fire = action;
                                              fire();
                                            }];
  timer.tolerance = tolerance;
  [NSRunLoop.mainRunLoop addTimer:timer forMode:NSRunLoopCommonModes];
  return std::make_unique<MacTimer>(timer);
}

void MacRunLoop::async(std::function<void()> action) {
  if (!action) {
    return;
  }
  dispatch_async(dispatch_get_main_queue(), ^{
    action();
  });
}

} // namespace lumivane::mac
