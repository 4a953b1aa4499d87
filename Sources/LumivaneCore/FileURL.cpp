#include "LumivaneCore/FileURL.hpp"

#include "LumivaneCore/ASCIICase.hpp"

#include <algorithm>

namespace lumivane::FileURL {

namespace {

bool isAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

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

// The last path component, trailing slashes ignored.
std::string_view lastComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') {
    path.remove_suffix(1);
  }
  return path.substr(path.find_last_of('/') + 1);
}

// Where the extension's dot is; a name that only starts with a dot has no extension.
std::optional<std::size_t> extensionDot(std::string_view component) {
  const std::size_t dot = component.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) {
    return std::nullopt;
  }
  return dot;
}

} // namespace

std::optional<std::string> percentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) {
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
  const std::string_view component = lastComponent(*path);
  const std::optional<std::size_t> dot = extensionDot(component);
  if (!dot || !equalsIgnoringASCIICase(component.substr(*dot + 1), "app")) {
    return std::nullopt;
  }
  return path;
}

std::string applicationBundle(std::string_view path) {
  // "<bundle>.app/Contents/MacOS/<executable>", read from the end.
  const std::size_t executable = path.find_last_of('/');
  if (executable == std::string_view::npos || executable + 1 == path.size()) {
    return std::string(path);
  }
  const std::string_view folder = path.substr(0, executable);
  constexpr std::string_view executableFolder = "/Contents/MacOS";
  if (!folder.ends_with(executableFolder)) {
    return std::string(path);
  }
  const std::string_view bundle = folder.substr(0, folder.size() - executableFolder.size());
  const std::string_view component = lastComponent(bundle);
  const std::optional<std::size_t> dot = extensionDot(component);
  if (bundle.empty() || !dot || !equalsIgnoringASCIICase(component.substr(*dot + 1), "app")) {
    return std::string(path);
  }
  return std::string(bundle);
}

std::string bundleName(std::string_view path) {
  std::string_view component = lastComponent(path);
  if (const std::optional<std::size_t> dot = extensionDot(component)) {
    component = component.substr(0, *dot);
  }
  return std::string(component);
}

} // namespace lumivane::FileURL
