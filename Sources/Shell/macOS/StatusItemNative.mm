#include "Shell/macOS/StatusItemNative.hpp"

#include "Shell/macOS/NativeText.hpp"

#import <AppKit/AppKit.h>
#include <utility>

// The button's target: hands each click to the shell.
@interface LMVStatusItemTarget : NSObject
- (void)setAction:(std::function<void()>)action;
- (void)clicked:(id)sender;
@end

@implementation LMVStatusItemTarget {
  std::function<void()> _action;
}
- (void)setAction:(std::function<void()>)action {
  _action = std::move(action);
}
- (void)clicked:(id)sender {
  (void)sender;
  if (_action) {
    const auto action = _action;
    action();
  }
}
@end

namespace lumivane::mac {

namespace {

// Menu-bar symbols at the size AppKit's own status items use.
constexpr double symbolPointSize = 15;
// The badge's diameter and its inset from the button's top and trailing edges, in points.
constexpr double badgeDiameter = 6;
constexpr double badgeInset = 3;

// A hidden orange dot pinned to the button's top trailing corner.
NSView* makeBadge(NSStatusBarButton* button) {
  NSView* badge = [[NSView alloc] initWithFrame:NSZeroRect];
  badge.wantsLayer = YES;
  badge.layer.backgroundColor = NSColor.systemOrangeColor.CGColor;
  badge.layer.cornerRadius = badgeDiameter / 2;
  badge.hidden = YES;
  badge.translatesAutoresizingMaskIntoConstraints = NO;
  [button addSubview:badge];
  [NSLayoutConstraint activateConstraints:@[
    [badge.widthAnchor constraintEqualToConstant:badgeDiameter],
    [badge.heightAnchor constraintEqualToConstant:badgeDiameter],
    [badge.topAnchor constraintEqualToAnchor:button.topAnchor constant:badgeInset],
    [badge.trailingAnchor constraintEqualToAnchor:button.trailingAnchor constant:-badgeInset],
  ]];
  return badge;
}

NSImage* maskImage(const SymbolPixels& pixels, double scale) {
  if (pixels.width <= 0 || pixels.height <= 0 || scale <= 0 ||
      pixels.rgba.size() != static_cast<size_t>(pixels.width) * pixels.height * 4) {
    return nil;
  }
  CGColorSpaceRef sRGB = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
  // A copy of the pixels: the image outlives the caller's buffer.
  CFDataRef bytes =
      CFDataCreate(nullptr, pixels.rgba.data(), static_cast<CFIndex>(pixels.rgba.size()));
  CGDataProviderRef data = CGDataProviderCreateWithCFData(bytes);
  CFRelease(bytes);
  CGImageRef image = CGImageCreate(
      static_cast<size_t>(pixels.width), static_cast<size_t>(pixels.height), 8, 32,
      static_cast<size_t>(pixels.width) * 4, sRGB,
      static_cast<CGBitmapInfo>(kCGImageAlphaPremultipliedLast) | kCGBitmapByteOrder32Big, data,
      nullptr, false, kCGRenderingIntentDefault);
  CGDataProviderRelease(data);
  CGColorSpaceRelease(sRGB);
  if (image == nullptr) {
    return nil;
  }
  NSBitmapImageRep* bitmap = [[NSBitmapImageRep alloc] initWithCGImage:image];
  CGImageRelease(image);
  bitmap.size = NSMakeSize(pixels.width / scale, pixels.height / scale);
  NSImage* result = [[NSImage alloc] initWithSize:bitmap.size];
  [result addRepresentation:bitmap];
  return result;
}

} // namespace

struct StatusItemButton::Objects {
  NSStatusItem* item;
  LMVStatusItemTarget* target;
  NSView* badge;
};

StatusItemButton::StatusItemButton(std::unique_ptr<Objects> objects)
    : objects_(std::move(objects)) {}

StatusItemButton::~StatusItemButton() {
  [NSStatusBar.systemStatusBar removeStatusItem:objects_->item];
}

std::unique_ptr<StatusItemButton> StatusItemButton::create() {
  NSStatusItem* item = [NSStatusBar.systemStatusBar statusItemWithLength:NSSquareStatusItemLength];
  if (item.button == nil) {
    [NSStatusBar.systemStatusBar removeStatusItem:item];
    return nullptr;
  }
  LMVStatusItemTarget* target = [[LMVStatusItemTarget alloc] init];
  item.button.target = target;
  item.button.action = @selector(clicked:);
  // The item has no menu of its own: a right click opens the popover too.
  [item.button sendActionOn:NSEventMaskLeftMouseUp | NSEventMaskRightMouseUp];
  return std::unique_ptr<StatusItemButton>(new StatusItemButton(
      std::make_unique<Objects>(Objects{item, target, makeBadge(item.button)})));
}

void StatusItemButton::setAction(std::function<void()> action) {
  [objects_->target setAction:std::move(action)];
}

void StatusItemButton::setAccessibilityIdentifier(std::string_view identifier) {
  objects_->item.button.accessibilityIdentifier = CFBridgingRelease(createNativeString(identifier));
}

void StatusItemButton::setSymbol(std::string_view name, std::string_view description,
                                 const SymbolPixels& fallback, double scale) {
  NSString* symbolName = CFBridgingRelease(createNativeString(name));
  NSString* label = CFBridgingRelease(createNativeString(description));
  NSImage* image = nil;
  if (symbolName != nil) {
    image = [[NSImage imageWithSystemSymbolName:symbolName accessibilityDescription:label]
        imageWithSymbolConfiguration:[NSImageSymbolConfiguration
                                         configurationWithPointSize:symbolPointSize
                                                             weight:NSFontWeightRegular]];
  }
  if (image == nil) {
    image = maskImage(fallback, scale);
    image.accessibilityDescription = label;
  }
  [image setTemplate:YES];
  objects_->item.button.image = image;
  objects_->item.button.imageScaling = NSImageScaleProportionallyDown;
}

void StatusItemButton::setToolTip(std::string_view toolTip) {
  objects_->item.button.toolTip = CFBridgingRelease(createNativeString(toolTip));
}

void StatusItemButton::setHighlighted(bool highlighted) {
  [objects_->item.button highlight:highlighted];
}

void StatusItemButton::setBadge(bool badge) {
  objects_->badge.hidden = !badge;
}

StatusItemButton::Frame StatusItemButton::screenFrame() const {
  NSStatusBarButton* button = objects_->item.button;
  NSWindow* window = button.window;
  if (window == nil) {
    return {};
  }
  const NSRect frame = [window convertRectToScreen:[button convertRect:button.bounds toView:nil]];
  return {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
}

} // namespace lumivane::mac
