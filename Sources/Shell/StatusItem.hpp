#pragma once

#include "Lumivane/Presentation.hpp"

#include <QSystemTrayIcon>
#include <functional>

namespace lumivane::shell {

class ScreenSpace;

// The status item as an icon in the system tray. Its button frame is the tray icon's geometry;
// it is empty when the system has no tray or does not report where the icon is, and the
// coordinator then shows the settings window instead of the popover.
class TrayStatusItem final : public presentation::StatusItem {
public:
  explicit TrayStatusItem(const ScreenSpace& space);

  bool hasButton() override { return true; }
  void setButtonAction(std::function<void()> action) override;
  void setButtonAccessibilityIdentifier(std::string_view identifier) override;
  void setSymbol(std::string_view symbolName, std::string_view accessibilityDescription) override;
  void setToolTip(std::string_view toolTip) override;
  Rect buttonScreenFrame() override;

private:
  const ScreenSpace& space_;
  QSystemTrayIcon tray_;
  std::function<void()> action_;
};

} // namespace lumivane::shell
