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

// The panel's content: the one accessibility element (a button) in place of the hosted view's,
// and the owner of the panel's tracking area.
@interface LMVOverlayContentView : NSView
- (void)setPress:(std::function<void()>)press;
- (void)setPointerInside:(std::function<void(bool)>)pointerInside;
@end

@implementation LMVOverlayContentView {
  std::function<void()> _press;
  std::function<void(bool)> _pointerInside;
}
- (instancetype)initWithFrame:(NSRect)frame {
  if ((self = [super initWithFrame:frame])) {
    // Active always: the events come while Lumivane is inactive too. In the visible rectangle:
    // AppKit keeps the area in step with the view's bounds.
    [self addTrackingArea:[[NSTrackingArea alloc]
                              initWithRect:NSZeroRect
                                   options:NSTrackingMouseEnteredAndExited |
                                           NSTrackingActiveAlways | NSTrackingInVisibleRect
                                     owner:self
                                  userInfo:nil]];
  }
  return self;
}
- (void)setPress:(std::function<void()>)press {
  _press = std::move(press);
}
- (void)setPointerInside:(std::function<void(bool)>)pointerInside {
  _pointerInside = std::move(pointerInside);
}
- (void)mouseEntered:(NSEvent*)event {
  (void)event;
  if (_pointerInside) {
    const auto pointerInside = _pointerInside;
    pointerInside(true);
  }
}
- (void)mouseExited:(NSEvent*)event {
  (void)event;
  if (_pointerInside) {
    const auto pointerInside = _pointerInside;
    pointerInside(false);
  }
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

namespace {

// On every space, out of window cycling, beside full-screen windows, above the Dock.
void placeAboveTheDock(NSPanel* panel) {
  panel.collectionBehavior = NSWindowCollectionBehaviorCanJoinAllSpaces |
                             NSWindowCollectionBehaviorIgnoresCycle |
                             NSWindowCollectionBehaviorFullScreenAuxiliary;
  panel.level = NSPopUpMenuWindowLevel;
}

} // namespace

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
  panel.hidesOnDeactivate = NO;
  panel.floatingPanel = YES;
  placeAboveTheDock(panel);
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
  placeAboveTheDock(objects_->panel);
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

void OverlayPanelWindow::trackPointer(std::function<void(bool inside)> inside) {
  [objects_->content setPointerInside:std::move(inside)];
}

} // namespace lumivane::mac
