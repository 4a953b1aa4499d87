#pragma once

#include <QString>
#include <string_view>

namespace lumivane::shell {

// UTF-8 text from the services (names, messages, identifiers) as a QString.
QString qtext(std::string_view utf8);

} // namespace lumivane::shell
