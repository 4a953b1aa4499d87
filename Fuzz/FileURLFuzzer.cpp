// Feeds arbitrary bytes to the Dock item URL parsing as a URL text, and checks what the Dock
// observer relies on: an accepted URL names a path without NUL or trailing slash whose last
// component is an ".app" bundle with a non-empty name, and writing that path back as a file URL
// parses to the same path.

#include "LumivaneCore/ASCIICase.hpp"
#include "LumivaneCore/FileURL.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace lumivane;

void require(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// Every byte that is not an unreserved path character escaped, as a URL prints a path.
std::string fileURL(std::string_view path) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '/' || c == '.' || c == '-' ||
                       c == '_' || c == '~';
    if (plain) {
      url.push_back(c);
    } else {
      url.push_back('%');
      url.push_back(digits[byte >> 4]);
      url.push_back(digits[byte & 0xF]);
    }
  }
  return url + "/";
}

void checkDecoding(std::string_view text) {
  const auto decoded = FileURL::percentDecoded(text);
  if (!decoded) {
    return;
  }
  require(decoded->size() <= text.size());
  require(decoded->find('\0') == std::string::npos || text.find('\0') != std::string_view::npos);
}

void checkBundlePath(std::string_view url) {
  const auto path = FileURL::applicationBundlePath(url);
  if (!path) {
    return;
  }
  require(path->find('\0') == std::string::npos);
  require(path->size() > 4 && path->back() != '/');
  require(equalsIgnoringASCIICase(std::string_view(*path).substr(path->size() - 4), ".app"));
  require(!FileURL::bundleName(*path).empty());
  if (path->front() == '/') {
    require(FileURL::applicationBundlePath(fileURL(*path)) == path);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkDecoding(text);
  checkBundlePath(text);
  // Most random texts fail at the scheme; give the rest of the parser a share of the inputs.
  checkBundlePath("file://" + std::string(text));
  return 0;
}
