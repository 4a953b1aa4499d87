#pragma once

// Text crossing between the ports (UTF-8 std::string) and Core Foundation strings, which are the
// same objects as Foundation's NSString (toll-free bridged).

#include <CoreFoundation/CoreFoundation.h>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane::mac {

// The string's UTF-8 bytes; absent for a null string or one with no UTF-8 form (an unpaired
// surrogate).
std::optional<std::string> utf8(CFStringRef string);
// The same in Unicode Normalization Form C: names and paths the core compares byte for byte.
std::optional<std::string> nfcUTF8(CFStringRef string);
// A new string from UTF-8 bytes (Create rule: the caller owns it); null when the bytes are not
// valid UTF-8.
CFStringRef createString(std::string_view utf8);

} // namespace lumivane::mac
