#pragma once

#include "Shell/Controls.hpp"

namespace lumivane::shell {

// A rounded card for grouped content (cardBackground), outlined faintly.
class Card : public RoundedPanel {
  Q_OBJECT

public:
  explicit Card(QWidget* parent = nullptr);
};

} // namespace lumivane::shell
