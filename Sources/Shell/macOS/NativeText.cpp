#include "Shell/macOS/NativeText.hpp"

namespace lumivane::mac {

CFStringRef createNativeString(std::string_view utf8) {
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                 static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false);
}

} // namespace lumivane::mac
