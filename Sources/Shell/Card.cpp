#include "Shell/Card.hpp"

namespace lumivane::shell {

Card::Card(QWidget* parent)
    : RoundedPanel(10, style::Ink::of(style::Ink::Role::cardBackground), style::Ink::label(0.08),
                   parent) {}

} // namespace lumivane::shell
