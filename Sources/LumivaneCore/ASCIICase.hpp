#pragma once

#include <string_view>

namespace lumivane {

// Letter case of the 26 ASCII letters only: identifiers, URL schemes, hosts and file extensions
// compare this way, whatever the user's locale. Other bytes (UTF-8 included) stay as they are.
char asciiLower(char c);
bool equalsIgnoringASCIICase(std::string_view a, std::string_view b);

} // namespace lumivane
