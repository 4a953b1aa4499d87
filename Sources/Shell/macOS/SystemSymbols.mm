#include "Shell/macOS/SystemSymbols.hpp"

#include "Shell/macOS/NativeText.hpp"

#import <AppKit/AppKit.h>
#include <cmath>

namespace lumivane::mac {

std::optional<SymbolPixels> renderSystemSymbol(std::string_view name, double pointSize,
                                               double scale) {
  if (!std::isfinite(pointSize) || pointSize <= 0 || !std::isfinite(scale) || scale <= 0) {
    return std::nullopt;
  }
  NSString* symbolName = CFBridgingRelease(createNativeString(name));
  if (symbolName == nil) {
    return std::nullopt;
  }
  NSImage* symbol = [NSImage imageWithSystemSymbolName:symbolName accessibilityDescription:nil];
  NSImage* image =
      [symbol imageWithSymbolConfiguration:[NSImageSymbolConfiguration
                                               configurationWithPointSize:pointSize
                                                                   weight:NSFontWeightRegular]];
  if (image == nil) {
    return std::nullopt;
  }
  const NSSize size = image.size;
  const double width = std::ceil(size.width * scale);
  const double height = std::ceil(size.height * scale);
  if (!(width >= 1 && height >= 1 && width <= maximumPixels && height <= maximumPixels)) {
    return std::nullopt;
  }

  SymbolPixels pixels;
  pixels.width = static_cast<int>(width);
  pixels.height = static_cast<int>(height);
  pixels.rgba.assign(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height) * 4, 0);
  CGColorSpaceRef sRGB = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
  // The first row in memory is the top of the image.
  CGContextRef context = CGBitmapContextCreate(
      pixels.rgba.data(), static_cast<size_t>(pixels.width), static_cast<size_t>(pixels.height), 8,
      static_cast<size_t>(pixels.width) * 4, sRGB,
      static_cast<CGBitmapInfo>(kCGImageAlphaPremultipliedLast) | kCGBitmapByteOrder32Big);
  CGColorSpaceRelease(sRGB);
  if (context == nullptr) {
    return std::nullopt;
  }
  CGContextScaleCTM(context, scale, scale);
  [NSGraphicsContext saveGraphicsState];
  NSGraphicsContext.currentContext = [NSGraphicsContext graphicsContextWithCGContext:context
                                                                             flipped:NO];
  [image drawInRect:NSMakeRect(0, 0, size.width, size.height)];
  [NSGraphicsContext restoreGraphicsState];
  // Black wherever the symbol covers, whatever colours AppKit chose: a mask to tint.
  CGContextSetBlendMode(context, kCGBlendModeSourceIn);
  CGContextSetRGBFillColor(context, 0, 0, 0, 1);
  CGContextFillRect(context, CGRectMake(0, 0, size.width, size.height));
  CGContextRelease(context);
  return pixels;
}

} // namespace lumivane::mac
