#include "Shell/NativeWindow.hpp"
#include "macOS/OverlayPanelNative.hpp"
#include "macOS/SystemSymbols.hpp"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>

namespace lumivane::shell::native {

void configureOverlayPanel(QWidget& window) {
  mac::applyOverlayPanelSettings(static_cast<uintptr_t>(window.winId()));
}

void setActivationPolicy(platform::ActivationPolicy policy) {
  mac::setActivationPolicy(policy);
}

std::optional<QPixmap> systemSymbol(std::string_view name, double size, const QColor& colour,
                                    double devicePixelRatio) {
  const auto pixels = mac::renderSystemSymbol(name, size, devicePixelRatio);
  if (!pixels) {
    return std::nullopt;
  }
  const QImage mask(pixels->rgba.data(), pixels->width, pixels->height, pixels->width * 4,
                    QImage::Format_RGBA8888_Premultiplied);
  // Centre the symbol, in its own proportions, in the square the drawings use.
  const int side = std::max(1, static_cast<int>(std::ceil(size * devicePixelRatio)));
  QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
  square.fill(Qt::transparent);
  QPainter painter(&square);
  painter.drawImage((side - mask.width()) / 2, (side - mask.height()) / 2, mask);
  // The rendered symbol is a black mask: keep its coverage, take the colour.
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(square.rect(), colour);
  painter.end();
  QPixmap result = QPixmap::fromImage(square);
  result.setDevicePixelRatio(devicePixelRatio);
  return result;
}

} // namespace lumivane::shell::native
