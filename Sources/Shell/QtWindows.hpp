#pragma once

#include "Lumivane/Presentation.hpp"

#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QMenuBar;
class QScrollArea;

namespace lumivane::shell {

class ScreenSpace;

// Hosted view content: owns one widget until a window or the popover takes it in. The widget
// is deleted later, never at once, because releasing the content often happens inside one of the
// widget's own handlers (a button that closes its window).
class WidgetController final : public presentation::ViewController {
public:
  explicit WidgetController(QWidget* widget);
  ~WidgetController() override;
  QWidget* widget() const { return widget_; }

private:
  QPointer<QWidget> widget_;
};

// How a window fits its display. Qt's global space, integral points.
struct WindowFit {
  // The content's geometry in a window with `frame` (the title bar and borders) inside `area`:
  // the content's own size, shrunk to what the area holds (with room for a scroll bar of
  // `scrollBarWidth` when it must scroll), centred, and never above the area's top (the menu
  // bar).
  static QRect contentGeometry(const QSize& content, const QMargins& frame, const QRect& area,
                               int scrollBarWidth);
};

// A titled, closable window around hosted content, sized to the content as far as the main
// display's visible area holds it; taller content scrolls. Closing only hides it; the
// coordinator releases it.
class QtWindow final : public presentation::Window {
public:
  QtWindow(const presentation::WindowStyle& style,
           std::shared_ptr<presentation::ViewController> content, const ScreenSpace& space);
  ~QtWindow() override;

  void center() override;
  void makeKeyAndOrderFront() override;
  void performClose() override;
  bool isVisible() override;
  void setWillClose(std::function<void()> willClose) override;

  QWidget& widget() const;
  QScrollArea& scrollArea() const;

private:
  class Frame;

  const ScreenSpace& space_;
  std::shared_ptr<presentation::ViewController> content_;
  QPointer<Frame> frame_;
};

// The Windows port on Qt Widgets: the × panel, the status item, the popover, the two windows and
// the application menu, placed through a ScreenSpace (the real screens or the simulated desktop).
class QtWindows final : public presentation::Windows {
public:
  explicit QtWindows(ScreenSpace& space);
  ~QtWindows() override;

  // Only macOS has activation policies; elsewhere an application has no Dock icon to hide.
  void setActivationPolicy(platform::ActivationPolicy policy) override;
  void activateIgnoringOtherApps() override;
  void setApplicationMenu(std::string_view title,
                          std::vector<presentation::MenuItem> items) override;
  void terminate() override;
  bool hasVisibleWindows() override;

  std::unique_ptr<presentation::OverlayPanel> createOverlayPanel(const Rect& contentRect) override;
  std::unique_ptr<presentation::StatusItem> createStatusItem() override;
  std::unique_ptr<presentation::Popover> createPopover() override;
  std::shared_ptr<presentation::ViewController>
  menuContent(const presentation::MenuContentModel& model) override;
  std::shared_ptr<presentation::ViewController>
  welcomeContent(const presentation::WelcomeContentModel& model) override;
  std::shared_ptr<presentation::ViewController>
  diagnosticsContent(const presentation::DiagnosticsContentModel& model) override;
  std::shared_ptr<presentation::Window>
  createWindow(const presentation::WindowStyle& style,
               std::shared_ptr<presentation::ViewController> content) override;

  // The application menu's submenu; null until the menu is set.
  QMenu* applicationMenu() const { return menu_; }

private:
  // A top-level window of this program: counted by hasVisibleWindows and given the menu's
  // key equivalents.
  void adopt(QWidget& window);
  void closeActiveWindow();

  ScreenSpace& space_;
  std::unique_ptr<QMenuBar> menuBar_;
  QMenu* menu_ = nullptr;
  std::vector<QPointer<QWidget>> windows_;
};

} // namespace lumivane::shell
