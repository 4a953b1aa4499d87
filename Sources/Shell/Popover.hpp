#pragma once

#include "Lumivane/Presentation.hpp"
#include "Shell/ScreenSpace.hpp"

#include <QRectF>
#include <QSizeF>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

namespace lumivane::shell {

class StatusButton;

// Where the popover's card goes and how it looks around its content. Qt's global space.
struct PopoverChrome {
  // Between the status item's bottom edge and the card.
  static constexpr double anchorGap = 6;
  // The least room between the card and the sides of the visible area.
  static constexpr double screenMargin = 8;
  static constexpr double cornerRadius = 10;
  // Room around the card for the shadow the window draws itself (none when the system draws it).
  static constexpr int shadowMargin = 18;

  // The card's frame for content of `size`: centred under `anchor`, anchorGap below it, moved
  // sideways to keep screenMargin inside the display's frame as far as the card fits, and never
  // above its visible area's top (the menu bar). A Dock on a side edge takes part of the visible
  // area but not of the menu bar: the card stays under the status item, over the Dock.
  static QRectF cardFrame(const QRectF& anchor, const QSizeF& size,
                          const std::optional<ScreenArea>& screen);
};

// The transient popover: a frameless window as wide as its content, shown as a rounded card
// with a soft shadow and a thin outline under the status item, on the display that holds the
// status item. It can become the key window, so Escape, Tab and Space reach its content; Escape
// closes it, and so does a press anywhere else (one on the status item is kept from reopening
// it), another of our windows becoming key, or Lumivane losing the active state. Every close
// calls the didClose callback. While shown, the status item looks pressed.
class Popover final : public presentation::Popover {
public:
  explicit Popover(const ScreenSpace& space);
  ~Popover() override;

  void configure(std::function<void()> didClose) override;
  bool isShown() override;
  void performClose() override;
  void setContent(std::shared_ptr<presentation::ViewController> content) override;
  bool hasContent() override { return content_ != nullptr; }
  void show(presentation::StatusItem& anchor) override;
  void makeContentKey() override;

  QWidget& window() const;
  // The card inside the window (the window less the shadow's room).
  QRect cardGeometry() const;

private:
  class Window;

  const ScreenSpace& space_;
  std::unique_ptr<Window> window_;
  std::shared_ptr<presentation::ViewController> content_;
};

} // namespace lumivane::shell
