#include "Shell/macOS/WindowNative.hpp"

#import <AppKit/AppKit.h>
#include <utility>

namespace lumivane::mac {

namespace {

NSWindow* windowOf(uintptr_t nativeView) {
  if (nativeView == 0) {
    return nil;
  }
  id object = (__bridge id) reinterpret_cast<void*>(nativeView);
  if (![object isKindOfClass:NSView.class]) {
    return nil;
  }
  return static_cast<NSView*>(object).window;
}

// A stretchable mask of a rounded rectangle: the corners stay, the middle stretches.
NSImage* roundedMask(double radius) {
  const double side = 2 * radius + 1;
  NSImage* mask = [NSImage imageWithSize:NSMakeSize(side, side)
                                 flipped:NO
                          drawingHandler:^BOOL(NSRect rect) {
                            [NSColor.blackColor setFill];
                            [[NSBezierPath bezierPathWithRoundedRect:rect
                                                             xRadius:radius
                                                             yRadius:radius] fill];
                            return YES;
                          }];
  mask.capInsets = NSEdgeInsetsMake(radius, radius, radius, radius);
  mask.resizingMode = NSImageResizingModeStretch;
  return mask;
}

} // namespace

void setActivationPolicy(platform::ActivationPolicy policy) {
  switch (policy) {
  case platform::ActivationPolicy::regular:
    [NSApp setActivationPolicy:NSApplicationActivationPolicyRegular];
    return;
  case platform::ActivationPolicy::accessory:
    [NSApp setActivationPolicy:NSApplicationActivationPolicyAccessory];
    return;
  case platform::ActivationPolicy::prohibited:
    [NSApp setActivationPolicy:NSApplicationActivationPolicyProhibited];
    return;
  }
}

void activateIgnoringOtherApps() {
  // From macOS 14 activateIgnoringOtherApps: is deprecated and may be ignored; activate asks
  // the system to make Lumivane active as a click on it would. Asked by selector: older systems
  // (and SDKs) have no such method.
  if ([NSApp respondsToSelector:@selector(activate)]) {
    [NSApp performSelector:@selector(activate)];
  } else {
    [NSApp activateIgnoringOtherApps:YES];
  }
}

bool orderFront(uintptr_t nativeView) {
  NSWindow* window = windowOf(nativeView);
  if (window == nil) {
    return false;
  }
  [window orderFront:nil];
  return true;
}

bool applyPopoverMaterial(uintptr_t nativeView, double cornerRadius) {
  NSWindow* window = windowOf(nativeView);
  NSView* content = window.contentView;
  NSView* frame = content.superview;
  if (window == nil || content == nil || frame == nil) {
    return false;
  }
  window.opaque = NO;
  window.backgroundColor = NSColor.clearColor;
  NSVisualEffectView* material = [[NSVisualEffectView alloc] initWithFrame:content.frame];
  material.material = NSVisualEffectMaterialPopover;
  material.blendingMode = NSVisualEffectBlendingModeBehindWindow;
  material.state = NSVisualEffectStateActive;
  material.maskImage = roundedMask(cornerRadius);
  material.autoresizingMask = NSViewWidthSizable | NSViewHeightSizable;
  // Below the content view, in the window's frame view: Qt owns the content view and would
  // recreate the window if something else took its place.
  [frame addSubview:material positioned:NSWindowBelow relativeTo:content];
  window.hasShadow = YES;
  [window invalidateShadow];
  return true;
}

bool applyWindowStyle(uintptr_t nativeView, bool fullSizeContentView, bool transparentTitlebar,
                      bool titleHidden, bool movableByBackground) {
  NSWindow* window = windowOf(nativeView);
  if (window == nil) {
    return false;
  }
  if (fullSizeContentView) {
    window.styleMask |= NSWindowStyleMaskFullSizeContentView;
  }
  if (transparentTitlebar) {
    window.titlebarAppearsTransparent = YES;
  }
  if (titleHidden) {
    window.titleVisibility = NSWindowTitleHidden;
  }
  if (movableByBackground) {
    window.movableByWindowBackground = YES;
  }
  return true;
}

struct ClickMonitor::Objects {
  id monitor;
};

ClickMonitor::ClickMonitor(std::unique_ptr<Objects> objects) : objects_(std::move(objects)) {}

ClickMonitor::~ClickMonitor() {
  if (objects_->monitor != nil) {
    [NSEvent removeMonitor:objects_->monitor];
  }
}

std::unique_ptr<ClickMonitor> ClickMonitor::create(std::function<void()> onClick) {
  auto shared = std::make_shared<std::function<void()>>(std::move(onClick));
  id monitor = [NSEvent
      addGlobalMonitorForEventsMatchingMask:NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown |
                                            NSEventMaskOtherMouseDown
                                    handler:^(NSEvent* event) {
                                      (void)event;
                                      if (*shared) {
                                        (*shared)();
                                      }
                                    }];
  if (monitor == nil) {
    return nullptr;
  }
  return std::unique_ptr<ClickMonitor>(
      new ClickMonitor(std::make_unique<Objects>(Objects{monitor})));
}

} // namespace lumivane::mac
