#include "macOS/OverlayPanelNative.hpp"

#import <AppKit/AppKit.h>

namespace lumivane::mac {

bool applyOverlayPanelSettings(uintptr_t nativeView) {
  if (nativeView == 0) {
    return false;
  }
  id object = (__bridge id) reinterpret_cast<void*>(nativeView);
  if (![object isKindOfClass:NSView.class]) {
    return false;
  }
  NSWindow* window = static_cast<NSView*>(object).window;
  if (window == nil) {
    return false;
  }
  NSPanel* panel = [window isKindOfClass:NSPanel.class] ? static_cast<NSPanel*>(window) : nil;
  if (panel != nil) {
    panel.styleMask |= NSWindowStyleMaskNonactivatingPanel;
  }
  window.opaque = NO;
  window.backgroundColor = NSColor.clearColor;
  window.hasShadow = NO;
  window.collectionBehavior = NSWindowCollectionBehaviorCanJoinAllSpaces |
                              NSWindowCollectionBehaviorIgnoresCycle |
                              NSWindowCollectionBehaviorFullScreenAuxiliary;
  window.hidesOnDeactivate = NO;
  panel.floatingPanel = YES;
  window.level = NSPopUpMenuWindowLevel;
  panel.becomesKeyOnlyIfNeeded = YES;
  window.releasedWhenClosed = NO;
  window.animationBehavior = NSWindowAnimationBehaviorNone;
  return true;
}

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

} // namespace lumivane::mac
