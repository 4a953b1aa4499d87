#pragma once

// Text the shell hands to AppKit: UTF-8 in, Core Foundation strings out, which are the same
// objects as Foundation's NSString (toll-free bridged).

#include <CoreFoundation/CoreFoundation.h>
#include <string_view>

namespace lumivane::mac {

// A new string from UTF-8 bytes (Create rule: the caller owns it); null when the bytes are not
// valid UTF-8.
CFStringRef createNativeString(std::string_view utf8);

} // namespace lumivane::mac
