#include "macOS/MacText.hpp"

#import <Foundation/Foundation.h>

namespace lumivane::mac {

std::optional<std::string> utf8(CFStringRef string) {
  if (string == nullptr) {
    return std::nullopt;
  }
  const CFRange whole = CFRangeMake(0, CFStringGetLength(string));
  CFIndex byteCount = 0;
  // No loss byte: a character without a UTF-8 form stops the conversion short.
  if (CFStringGetBytes(string, whole, kCFStringEncodingUTF8, 0, false, nullptr, 0, &byteCount) !=
      whole.length) {
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(byteCount), '\0');
  CFStringGetBytes(string, whole, kCFStringEncodingUTF8, 0, false,
                   reinterpret_cast<UInt8*>(bytes.data()), byteCount, nullptr);
  return bytes;
}

std::optional<std::string> nfcUTF8(CFStringRef string) {
  NSString* composed = [(__bridge NSString*)string precomposedStringWithCanonicalMapping];
  return utf8((__bridge CFStringRef)composed);
}

CFStringRef createString(std::string_view utf8) {
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                 static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false);
}

} // namespace lumivane::mac
