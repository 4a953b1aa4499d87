#pragma once

#include "Lumivane/Presentation.hpp"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane::shell {

class ScreenSpace;

// The status item's image: the symbol `name` in a square of `size` points, in `ink`, and with a
// `badge` colour a dot at its top trailing corner. The dot sits in a ring cut out of the symbol,
// so that it still reads as a dot of its own where the image is drawn as a template, in one
// colour.
QPixmap statusItemImage(std::string_view name, double size, const QColor& ink,
                        std::optional<QColor> badge, double devicePixelRatio,
                        QFont::Weight weight = QFont::Normal);

// A status item as the shell shows it: besides the coordinator's calls, its button can look
// pressed while the popover it opened is shown.
class StatusButton : public presentation::StatusItem {
public:
  virtual void setHighlighted(bool highlighted) = 0;
};

// A status button that tells assistive technologies about its badge: the accessibility
// description it passes on is the one it was given, and while the badge shows, what the badge
// stands for. Everything else goes to the button it wraps.
class DescribedStatusButton final : public StatusButton {
public:
  explicit DescribedStatusButton(std::unique_ptr<StatusButton> button);

  bool hasButton() override { return button_->hasButton(); }
  void setButtonAction(std::function<void()> action) override;
  void setButtonAccessibilityIdentifier(std::string_view identifier) override;
  void setSymbol(std::string_view symbolName, std::string_view accessibilityDescription) override;
  void setToolTip(std::string_view toolTip) override;
  void setBadge(bool badge) override;
  Rect buttonScreenFrame() override { return button_->buttonScreenFrame(); }
  void setHighlighted(bool highlighted) override { button_->setHighlighted(highlighted); }

private:
  void describe();

  std::unique_ptr<StatusButton> button_;
  std::string symbol_;
  std::string description_;
  bool badge_ = false;
};

// The status item as an icon in the system tray. Its button frame is the tray icon's geometry;
// it is empty when the system has no tray or does not report where the icon is, and the
// coordinator then shows the settings window instead of the popover. The icon is a mask (a
// template image where the tray knows them); its badge is drawn in the accent orange. A tray
// icon has no pressed state of its own.
class TrayStatusItem final : public StatusButton {
public:
  explicit TrayStatusItem(const ScreenSpace& space);

  // Whether a tray activation is a click on the button. A quick second click arrives as a
  // double click and a right click as the context request (the item has no menu of its own);
  // each toggles the popover like any other click.
  static bool isClick(QSystemTrayIcon::ActivationReason reason);

  bool hasButton() override { return true; }
  void setButtonAction(std::function<void()> action) override;
  void setButtonAccessibilityIdentifier(std::string_view identifier) override;
  void setSymbol(std::string_view symbolName, std::string_view accessibilityDescription) override;
  void setToolTip(std::string_view toolTip) override;
  void setBadge(bool badge) override;
  Rect buttonScreenFrame() override;
  void setHighlighted(bool) override {}

  QSystemTrayIcon& tray() { return tray_; }

private:
  // Draws the symbol and the badge as they are now.
  void showIcon();

  const ScreenSpace& space_;
  QSystemTrayIcon tray_;
  std::function<void()> action_;
  std::string symbol_;
  bool badge_ = false;
};

} // namespace lumivane::shell
