#include "Shell/Text.hpp"

namespace lumivane::shell {

QString qtext(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace lumivane::shell
