#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace lumivane::mac {

// A rendered symbol: rows top to bottom, 4 bytes a pixel in R, G, B, A order, colour
// premultiplied by alpha, sRGB (QImage::Format_RGBA8888_Premultiplied).
struct SymbolPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// The largest rendered width or height, in pixels.
inline constexpr int maximumPixels = 1024;

// The system symbol `name` (an SF Symbols name such as "dock.rectangle") drawn at `pointSize`
// typographic points, regular weight, for a display of `scale` pixels per point: black, with the
// symbol's coverage as alpha, a mask to tint like a template image. The image keeps the symbol's
// own proportions (its size in points is the symbol's at that point size). Absent when the
// system has no symbol of that name, when the size or the scale is not a positive finite number,
// or when the image would exceed `maximumPixels` in either direction.
std::optional<SymbolPixels> renderSystemSymbol(std::string_view name, double pointSize,
                                               double scale);

} // namespace lumivane::mac
