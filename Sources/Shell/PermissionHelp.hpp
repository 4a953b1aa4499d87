#pragma once

#include "Shell/Controls.hpp"

#include <memory>

namespace lumivane {
class PermissionManager;
}

namespace lumivane::shell {

// The troubleshooting note for an Accessibility grant that does not take: collapsed at first.
class PermissionHelp : public Disclosure {
  Q_OBJECT

public:
  explicit PermissionHelp(std::shared_ptr<PermissionManager> permissions,
                          QWidget* parent = nullptr);

private:
  std::shared_ptr<PermissionManager> permissions_;
};

} // namespace lumivane::shell
