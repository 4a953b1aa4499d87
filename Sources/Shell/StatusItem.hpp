#pragma once

#include "Lumivane/Presentation.hpp"

#include <QSystemTrayIcon>
#include <functional>

namespace lumivane::shell {

class ScreenSpace;

// A status item as the shell shows it: besides the coordinator's calls, its button can look
// pressed while the popover it opened is shown.
class StatusButton : public presentation::StatusItem {
public:
  virtual void setHighlighted(bool highlighted) = 0;
};

// The status item as an icon in the system tray. Its button frame is the tray icon's geometry;
// it is empty when the system has no tray or does not report where the icon is, and the
// coordinator then shows the settings window instead of the popover. The icon is a mask (a
// template image where the tray knows them). A tray icon has no pressed state of its own.
class TrayStatusItem final : public StatusButton {
public:
  explicit TrayStatusItem(const ScreenSpace& space);

  // Whether a tray activation is a click on the button. A quick second click arrives as a
  // double click; it toggles the popover like any other click.
  static bool isClick(QSystemTrayIcon::ActivationReason reason);

  bool hasButton() override { return true; }
  void setButtonAction(std::function<void()> action) override;
  void setButtonAccessibilityIdentifier(std::string_view identifier) override;
  void setSymbol(std::string_view symbolName, std::string_view accessibilityDescription) override;
  void setToolTip(std::string_view toolTip) override;
  Rect buttonScreenFrame() override;
  void setHighlighted(bool) override {}

  QSystemTrayIcon& tray() { return tray_; }

private:
  const ScreenSpace& space_;
  QSystemTrayIcon tray_;
  std::function<void()> action_;
};

} // namespace lumivane::shell
