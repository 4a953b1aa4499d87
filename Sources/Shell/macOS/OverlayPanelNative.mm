#include "Shell/macOS/OverlayPanelNative.hpp"

#include "Shell/macOS/NativeText.hpp"

#import <AppKit/AppKit.h>
#include <utility>

// A panel that never takes the keyboard: the × is pressed with the mouse only.
@interface LMVOverlayPanel : NSPanel
@end

@implementation LMVOverlayPanel
- (BOOL)canBecomeKeyWindow {
  return NO;
}
- (BOOL)canBecomeMainWindow {
  return NO;
}
@end

// The panel's content: the one accessibility element (a button) in place of the hosted view's.
@interface LMVOverlayContentView : NSView
- (void)setPress:(std::function<void()>)press;
@end

@implementation LMVOverlayContentView {
  std::function<void()> _press;
}
- (void)setPress:(std::function<void()>)press {
  _press = std::move(press);
}
- (BOOL)isAccessibilityElement {
  return YES;
}
- (NSAccessibilityRole)accessibilityRole {
  return NSAccessibilityButtonRole;
}
- (NSArray*)accessibilityChildren {
  return @[];
}
- (id)accessibilityHitTest:(NSPoint)point {
  (void)point;
  return self;
}
- (BOOL)accessibilityPerformPress {
  if (_press) {
    const auto press = _press;
    press();
  }
  return YES;
}
@end

namespace lumivane::mac {

struct OverlayPanelWindow::Objects {
  LMVOverlayPanel* panel;
  LMVOverlayContentView* content;
  NSView* hosted;
};

OverlayPanelWindow::OverlayPanelWindow(std::unique_ptr<Objects> objects)
    : objects_(std::move(objects)) {}

OverlayPanelWindow::~OverlayPanelWindow() {
  [objects_->panel orderOut:nil];
  [objects_->hosted removeFromSuperview];
  [objects_->panel close];
}

std::unique_ptr<OverlayPanelWindow> OverlayPanelWindow::create(uintptr_t nativeView) {
  if (nativeView == 0) {
    return nullptr;
  }
  id object = (__bridge id) reinterpret_cast<void*>(nativeView);
  if (![object isKindOfClass:NSView.class]) {
    return nullptr;
  }
  NSView* hosted = static_cast<NSView*>(object);
  const NSRect bounds = NSMakeRect(0, 0, 32, 32);
  LMVOverlayPanel* panel = [[LMVOverlayPanel alloc]
      initWithContentRect:bounds
                styleMask:NSWindowStyleMaskBorderless | NSWindowStyleMaskNonactivatingPanel
                  backing:NSBackingStoreBuffered
                    defer:NO];
  panel.opaque = NO;
  panel.backgroundColor = NSColor.clearColor;
  panel.hasShadow = NO;
  panel.collectionBehavior = NSWindowCollectionBehaviorCanJoinAllSpaces |
                             NSWindowCollectionBehaviorIgnoresCycle |
                             NSWindowCollectionBehaviorFullScreenAuxiliary;
  panel.hidesOnDeactivate = NO;
  panel.floatingPanel = YES;
  panel.level = NSPopUpMenuWindowLevel;
  panel.becomesKeyOnlyIfNeeded = YES;
  panel.releasedWhenClosed = NO;
  panel.animationBehavior = NSWindowAnimationBehaviorNone;

  LMVOverlayContentView* content = [[LMVOverlayContentView alloc] initWithFrame:bounds];
  panel.contentView = content;
  // Qt's own window for the view gives it up; a placeholder keeps that window consistent.
  NSWindow* previous = hosted.window;
  if (previous != nil && previous.contentView == hosted) {
    previous.contentView = [[NSView alloc] initWithFrame:hosted.frame];
  } else {
    [hosted removeFromSuperview];
  }
  hosted.frame = content.bounds;
  hosted.autoresizingMask = NSViewWidthSizable | NSViewHeightSizable;
  [content addSubview:hosted];
  return std::unique_ptr<OverlayPanelWindow>(
      new OverlayPanelWindow(std::make_unique<Objects>(Objects{panel, content, hosted})));
}

void OverlayPanelWindow::setFrameTopLeft(double x, double y, double width, double height) {
  // The bottom-left space has its origin at the primary display's bottom-left corner.
  NSScreen* primary = NSScreen.screens.firstObject;
  const double primaryHeight = primary != nil ? NSHeight(primary.frame) : 0;
  [objects_->panel setFrame:NSMakeRect(x, primaryHeight - y - height, width, height) display:YES];
}

void OverlayPanelWindow::orderFrontRegardless() {
  [objects_->panel orderFrontRegardless];
}

void OverlayPanelWindow::orderOut() {
  [objects_->panel orderOut:nil];
}

bool OverlayPanelWindow::isVisible() const {
  return objects_->panel.visible;
}

double OverlayPanelWindow::alpha() const {
  return objects_->panel.alphaValue;
}

void OverlayPanelWindow::setAlpha(double alpha) {
  objects_->panel.alphaValue = alpha;
}

void OverlayPanelWindow::setAccessibility(std::string_view label, std::string_view identifier,
                                          std::function<void()> press) {
  LMVOverlayContentView* content = objects_->content;
  content.accessibilityLabel = CFBridgingRelease(createNativeString(label));
  content.accessibilityIdentifier = CFBridgingRelease(createNativeString(identifier));
  [content setPress:std::move(press)];
}

} // namespace lumivane::mac
