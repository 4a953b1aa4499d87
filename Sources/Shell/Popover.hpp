#pragma once

#include "Lumivane/Presentation.hpp"

#include <QRectF>
#include <QWidget>
#include <functional>
#include <memory>

namespace lumivane::shell {

class ScreenSpace;

// The transient popover: a frameless pop-up as wide as its content, shown under the status item. A
// click anywhere else closes it, and every close calls the didClose callback.
class Popover final : public presentation::Popover {
public:
  // Space between the status item's bottom edge and the popover.
  static constexpr int anchorGap = 6;

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

private:
  class Window;

  const ScreenSpace& space_;
  std::unique_ptr<Window> window_;
  std::shared_ptr<presentation::ViewController> content_;
};

} // namespace lumivane::shell
