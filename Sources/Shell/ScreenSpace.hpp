#pragma once

#include "Lumivane/Presentation.hpp"
#include "LumivaneCore/Geometry.hpp"

#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace lumivane::shell {

class StatusButton;
namespace native {
class OverlayHost;
}

// One display in Qt's global space: its frame and its visible area (no menu bar, no Dock).
struct ScreenArea {
  QRectF frame;
  QRectF visible;
};

// The display under `anchor` (the first whose frame holds the anchor's centre), for what opens
// from the status item: the popover and its height limit belong to the display whose menu bar
// holds the status item, which need not be the primary one. Absent when no display holds it.
std::optional<ScreenArea> screenUnder(const QRectF& anchor, const std::vector<ScreenArea>& screens);

// Where Lumivane's windows live: the real screens, or the window of the simulated desktop.
// The ports speak the window system's bottom-left space; Qt places windows in its global space
// (y downward, device-independent pixels). A ScreenSpace converts between the two, provides the
// status item, which belongs to whatever draws the menu bar, and stands for the window server
// where Qt's windows are not the whole story: activation, ordering a window front, and the ×
// panel's native host.
class ScreenSpace {
public:
  virtual ~ScreenSpace() = default;
  virtual QRectF toGlobal(const Rect& frame) const = 0;
  virtual Rect fromGlobal(const QRectF& rect) const = 0;
  // The main screen's visible area (no menu bar, no Dock) in Qt's global space; absent when
  // there is no screen.
  virtual std::optional<QRectF> mainVisibleArea() const = 0;
  // Every display, primary first.
  virtual std::vector<ScreenArea> screens() const = 0;
  virtual std::unique_ptr<StatusButton> createStatusItem() = 0;
  // Makes Lumivane the active application, ignoring the others.
  virtual void activateIgnoringOtherApps() const = 0;
  // Brings one of our windows to the front without activating the application; for a widget
  // hosted natively (hostOverlay), the window that hosts it.
  virtual void orderFront(QWidget& window) const = 0;
  // Moves `content` (a frameless top-level widget) into a native panel of the window server's
  // own; absent where Qt's own tool window is the panel.
  virtual std::unique_ptr<native::OverlayHost> hostOverlay(QWidget& content) const = 0;
};

// Flips between the bottom-left space and a top-left one whose primary display has frame
// `primary` (top-left space): the bottom-left origin is the primary display's bottom-left corner.
QRectF flipToTopLeft(const Rect& frame, const QRectF& primary);
Rect flipToBottomLeft(const QRectF& rect, const QRectF& primary);

// The real screens, with the status item in the system status bar (natively where the shell
// has it, else in Qt's system tray).
class SystemScreenSpace final : public ScreenSpace {
public:
  QRectF toGlobal(const Rect& frame) const override;
  Rect fromGlobal(const QRectF& rect) const override;
  std::optional<QRectF> mainVisibleArea() const override;
  std::vector<ScreenArea> screens() const override;
  std::unique_ptr<StatusButton> createStatusItem() override;
  void activateIgnoringOtherApps() const override;
  void orderFront(QWidget& window) const override;
  std::unique_ptr<native::OverlayHost> hostOverlay(QWidget& content) const override;
};

} // namespace lumivane::shell
