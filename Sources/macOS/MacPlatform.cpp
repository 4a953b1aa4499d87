#include "macOS/MacPlatform.hpp"

namespace lumivane::mac {

MacPlatform::MacPlatform()
    : ports_{accessibility_, workspace_, eventTaps_,  runLoop_, notifications_, mouse_,
             screens_,       defaults_,  loginItems_, logger_,  process_} {}

} // namespace lumivane::mac
