#pragma once

#include "Shell/Controls.hpp"

namespace lumivane::shell {

// A rounded card: white in the light appearance, white at 0.14 in the dark one, outlined faintly.
class Card : public RoundedPanel {
  Q_OBJECT

public:
  explicit Card(QWidget* parent = nullptr);
};

} // namespace lumivane::shell
