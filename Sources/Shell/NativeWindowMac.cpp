#include "Shell/NativeWindow.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/macOS/OverlayPanelNative.hpp"
#include "Shell/macOS/StatusItemNative.hpp"
#include "Shell/macOS/SystemSymbols.hpp"
#include "Shell/macOS/WindowNative.hpp"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <cstring>
#include <utility>

namespace lumivane::shell::native {

namespace {

uintptr_t viewOf(QWidget& widget) {
  return static_cast<uintptr_t>(widget.winId());
}

class MacOverlayHost final : public OverlayHost {
public:
  explicit MacOverlayHost(std::unique_ptr<mac::OverlayPanelWindow> panel)
      : panel_(std::move(panel)) {}

  void setGeometry(const QRect& geometry) override {
    panel_->setFrameTopLeft(geometry.x(), geometry.y(), geometry.width(), geometry.height());
  }
  void orderFrontRegardless() override { panel_->orderFrontRegardless(); }
  void orderOut() override { panel_->orderOut(); }
  bool isVisible() override { return panel_->isVisible(); }
  double alpha() override { return panel_->alpha(); }
  void setAlpha(double alpha) override { panel_->setAlpha(alpha); }
  void setAccessibility(std::string_view label, std::string_view identifier,
                        std::function<void()> press) override {
    panel_->setAccessibility(label, identifier, std::move(press));
  }
  void trackPointer(std::function<void(bool inside)> inside) override {
    panel_->trackPointer(std::move(inside));
  }

private:
  std::unique_ptr<mac::OverlayPanelWindow> panel_;
};

class MacClickWatch final : public ClickWatch {
public:
  explicit MacClickWatch(std::unique_ptr<mac::ClickMonitor> monitor)
      : monitor_(std::move(monitor)) {}

private:
  std::unique_ptr<mac::ClickMonitor> monitor_;
};

// Our drawing of a symbol as a black mask, for a system without that symbol.
mac::SymbolPixels maskPixels(std::string_view name, double size, double scale) {
  const QImage image = symbols::pixmap(name, size, Qt::black, QFont::Medium, scale)
                           .toImage()
                           .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
  mac::SymbolPixels pixels;
  pixels.width = image.width();
  pixels.height = image.height();
  pixels.rgba.resize(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()) * 4);
  for (int row = 0; row < image.height(); ++row) {
    std::memcpy(pixels.rgba.data() + static_cast<size_t>(row) * image.width() * 4,
                image.constScanLine(row), static_cast<size_t>(image.width()) * 4);
  }
  return pixels;
}

class MacStatusButton final : public StatusButton {
public:
  explicit MacStatusButton(std::unique_ptr<mac::StatusItemButton> button)
      : button_(std::move(button)) {}

  bool hasButton() override { return true; }
  void setButtonAction(std::function<void()> action) override {
    button_->setAction(std::move(action));
  }
  void setButtonAccessibilityIdentifier(std::string_view identifier) override {
    button_->setAccessibilityIdentifier(identifier);
  }
  void setSymbol(std::string_view symbolName, std::string_view description) override {
    constexpr double scale = 2;
    button_->setSymbol(symbolName, description, maskPixels(symbolName, 16, scale), scale);
  }
  void setToolTip(std::string_view toolTip) override { button_->setToolTip(toolTip); }
  void setBadge(bool badge) override { button_->setBadge(badge); }
  Rect buttonScreenFrame() override {
    const auto frame = button_->screenFrame();
    return {frame.x, frame.y, frame.width, frame.height};
  }
  void setHighlighted(bool highlighted) override { button_->setHighlighted(highlighted); }

private:
  std::unique_ptr<mac::StatusItemButton> button_;
};

} // namespace

void setActivationPolicy(platform::ActivationPolicy policy) {
  mac::setActivationPolicy(policy);
}

void activateIgnoringOtherApps() {
  mac::activateIgnoringOtherApps();
}

void orderFront(QWidget& window) {
  // Only a window that exists natively can be ordered; Qt shows it in front when it creates it.
  if (window.testAttribute(Qt::WA_WState_Created)) {
    mac::orderFront(viewOf(window));
  }
}

std::unique_ptr<OverlayHost> hostOverlay(QWidget& content) {
  auto panel = mac::OverlayPanelWindow::create(viewOf(content));
  if (!panel) {
    return nullptr;
  }
  return std::make_unique<MacOverlayHost>(std::move(panel));
}

bool configurePopover(QWidget& window, double cornerRadius) {
  return mac::applyPopoverMaterial(viewOf(window), cornerRadius);
}

std::unique_ptr<ClickWatch> watchClicksInOtherApplications(std::function<void()> onClick) {
  auto monitor = mac::ClickMonitor::create(std::move(onClick));
  if (!monitor) {
    return nullptr;
  }
  return std::make_unique<MacClickWatch>(std::move(monitor));
}

bool configureWindow(QWidget& window, const presentation::WindowStyle& style) {
  if (!style.fullSizeContentView && !style.transparentTitlebar && !style.titleHidden &&
      !style.movableByBackground) {
    return false;
  }
  return mac::applyWindowStyle(viewOf(window), style.fullSizeContentView, style.transparentTitlebar,
                               style.titleHidden, style.movableByBackground);
}

std::unique_ptr<StatusButton> createStatusButton() {
  auto button = mac::StatusItemButton::create();
  if (!button) {
    return nullptr;
  }
  return std::make_unique<MacStatusButton>(std::move(button));
}

std::optional<QPixmap> systemSymbol(std::string_view name, double size, const QColor& colour,
                                    double devicePixelRatio) {
  const auto pixels = mac::renderSystemSymbol(name, size, devicePixelRatio);
  if (!pixels) {
    return std::nullopt;
  }
  const QImage mask(pixels->rgba.data(), pixels->width, pixels->height, pixels->width * 4,
                    QImage::Format_RGBA8888_Premultiplied);
  // The rendered symbol is a black mask in its own proportions: keep its coverage, take the
  // colour. Where it goes in a square is symbols::fit's decision.
  QImage tinted = mask.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&tinted);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(tinted.rect(), colour);
  painter.end();
  QPixmap result = QPixmap::fromImage(tinted);
  result.setDevicePixelRatio(devicePixelRatio);
  return result;
}

} // namespace lumivane::shell::native
