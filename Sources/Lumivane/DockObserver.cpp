#include "Lumivane/DockObserver.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>
#include <variant>

namespace lumivane {

namespace {

constexpr std::string_view dockBundleIdentifier = "com.apple.dock";

constexpr std::string_view dockItemRole = "AXDockItem";
constexpr std::string_view applicationItemSubrole = "AXApplicationDockItem";

constexpr std::string_view identityBudgetExhausted = "Dock identity query budget exhausted";
constexpr std::string_view incompleteSnapshot =
    "Hover layout unavailable: incomplete Dock geometry snapshot";
constexpr std::string_view noSafePlacement = "Hover layout unavailable: no safe placement";
constexpr std::string_view layoutBudgetExhausted = "Hover layout query budget exhausted";

// The element at a point, its parent and grandparent and great-grandparent: a Dock item is
// never deeper than that below the point.
constexpr int maxWalk = 4;

constexpr std::array<std::string_view, 2> frameAttributes{"AXPosition", "AXSize"};

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringASCIICase(std::string_view text, std::string_view lowerCase) {
  return std::ranges::equal(text, lowerCase, [](char a, char b) { return asciiLower(a) == b; });
}

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<int> hexValue(char c) {
  if (isDigit(c)) {
    return c - '0';
  }
  const char lower = asciiLower(c);
  if (lower >= 'a' && lower <= 'f') {
    return lower - 'a' + 10;
  }
  return std::nullopt;
}

// Decodes %XX escapes. A malformed escape, or one that decodes to NUL, makes the text unusable
// as a path.
std::optional<std::string> percentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size() + 0 && i + 2 > text.size() - 1) {
      return std::nullopt;
    }
    const std::optional<int> high = hexValue(text[i + 1]);
    const std::optional<int> low = hexValue(text[i + 2]);
    if (!high || !low || (*high == 0 && *low == 0)) {
      return std::nullopt;
    }
    decoded.push_back(static_cast<char>(*high * 16 + *low));
    i += 2;
  }
  return decoded;
}

// The decoded path of a file URL naming an ".app" bundle (extension in any letter case), without
// trailing slashes; nothing for a text that does not parse as a URL, a URL of another scheme or
// host, or a file that is not an application bundle.
std::optional<std::string> applicationBundlePath(std::string_view url) {
  // Like URL(string:), refuse texts with spaces or control characters.
  if (std::ranges::any_of(url, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
      })) {
    return std::nullopt;
  }
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0 || !isAlpha(url.front()) ||
      !std::ranges::all_of(url.substr(0, colon), [](char c) {
        return isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.';
      })) {
    return std::nullopt;
  }
  if (!equalsIgnoringASCIICase(url.substr(0, colon), "file")) {
    return std::nullopt;
  }
  std::string_view rest = url.substr(colon + 1);
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const std::size_t slash = std::min(rest.find('/'), rest.size());
    const std::string_view host = rest.substr(0, slash);
    // Only the local machine's files can be running applications.
    if (!host.empty() && !equalsIgnoringASCIICase(host, "localhost")) {
      return std::nullopt;
    }
    rest.remove_prefix(slash);
  }
  std::optional<std::string> path = percentDecoded(rest);
  if (!path) {
    return std::nullopt;
  }
  while (path->size() > 1 && path->back() == '/') {
    path->pop_back();
  }
  const std::string_view component =
      std::string_view(*path).substr(path->find_last_of('/') + 1);
  const std::size_t dot = component.find_last_of('.');
  // A name that only starts with a dot has no extension.
  if (dot == std::string_view::npos || dot == 0 ||
      !equalsIgnoringASCIICase(component.substr(dot + 1), "app")) {
    return std::nullopt;
  }
  return path;
}

// The bundle's file name without its extension: "/Applications/Mail.app" gives "Mail".
std::string bundleName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') {
    path.remove_suffix(1);
  }
  std::string_view component = path.substr(path.find_last_of('/') + 1);
  const std::size_t dot = component.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) {
    component = component.substr(0, dot);
  }
  return std::string(component);
}

bool isFinite(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height);
}

// The frame tests every measured item must pass: more than a point wide and high, with at least
// 85 percent of its area on its screen.
bool isUsableItemFrame(const Rect& frame) { return frame.absWidth() > 1 && frame.absHeight() > 1; }

bool isMostlyOn(const Rect& frame, const Rect& screen) {
  return area(intersection(frame, screen)) >= DockObserver::minimumOnScreenShare * area(frame);
}

const ElementList* elementList(const platform::AXValue& value);

} // namespace

} // namespace lumivane
