#pragma once

#include "Shell/macOS/SystemSymbols.hpp"

#include <functional>
#include <memory>
#include <string_view>

namespace lumivane::mac {

// A square-length NSStatusItem in the system status bar, for what Qt's tray icon does not reach:
// the button's accessibility identifier set exactly, a template image (which follows the menu
// bar's appearance and inverts while pressed), the highlight while the popover is open, and a
// badge: an orange dot over the image's top trailing corner, a view of its own so that the image
// stays a template and a new symbol leaves the badge as it is.
class StatusItemButton {
public:
  struct Frame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
  };

  // Null when the status item has no button.
  static std::unique_ptr<StatusItemButton> create();
  // Takes the item out of the status bar.
  ~StatusItemButton();
  StatusItemButton(const StatusItemButton&) = delete;
  StatusItemButton& operator=(const StatusItemButton&) = delete;

  // Runs on every click of the left or the right button, a quick second one included.
  void setAction(std::function<void()> action);
  void setAccessibilityIdentifier(std::string_view identifier);
  // The system symbol `name` as a template image with its accessibility description; when the
  // system has no such symbol, `fallback` (a black mask at `scale` pixels a point) instead.
  void setSymbol(std::string_view name, std::string_view description, const SymbolPixels& fallback,
                 double scale);
  void setToolTip(std::string_view toolTip);
  void setHighlighted(bool highlighted);
  void setBadge(bool badge);
  // The button's frame in the bottom-left space; empty while it has no window.
  Frame screenFrame() const;

private:
  struct Objects;
  explicit StatusItemButton(std::unique_ptr<Objects> objects);

  std::unique_ptr<Objects> objects_;
};

} // namespace lumivane::mac
