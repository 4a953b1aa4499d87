#include "Simulator/Paths.hpp"

#include <cstdlib>
#include <deque>
#include <utf8proc.h>
#include <vector>

namespace lumivane::sim {

namespace {

// The same limit as the kernel's MAXSYMLINKS.
constexpr int maximumLinkExpansions = 32;

std::vector<std::string> components(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    if (end > start) {
      parts.emplace_back(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return parts;
}

void dropLastComponent(std::string& path) {
  const std::size_t slash = path.rfind('/');
  path.erase(slash == std::string::npos ? 0 : slash);
}

// Characters NSURL leaves unescaped in a path (URLPathAllowedCharacterSet).
bool allowedInPath(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
    return true;
  }
  return std::string_view("-._~!$&'()*+,;=:@/").find(static_cast<char>(c)) !=
         std::string_view::npos;
}

} // namespace

std::optional<std::string> nfc(std::string_view text) {
  utf8proc_uint8_t* mapped = nullptr;
  const utf8proc_ssize_t length =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                   static_cast<utf8proc_ssize_t>(text.size()), &mapped,
                   static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
  if (length < 0) {
    return std::nullopt;
  }
  std::string result(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(length));
  std::free(mapped);
  return result;
}

std::optional<std::string> standardizePath(std::string_view path) {
  if (path.empty() || path.front() != '/') {
    return std::nullopt;
  }
  std::string result;
  for (const std::string& part : components(path)) {
    if (part == "..") {
      dropLastComponent(result);
    } else if (part != ".") {
      result += '/';
      result += part;
    }
  }
  return result.empty() ? "/" : result;
}

std::string fileURL(std::string_view path, bool directory) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (allowedInPath(byte)) {
      url += c;
    } else {
      url += '%';
      url += hex[byte >> 4];
      url += hex[byte & 0xF];
    }
  }
  if (directory && url.back() != '/') {
    url += '/';
  }
  return url;
}

FileSystem::FileSystem() {
  for (const char* folder : {"etc", "tmp", "var"}) {
    addSymlink(std::string("/") + folder, std::string("private/") + folder);
  }
  // Safari lives in the Preboot volume's cryptex from macOS 13 on, reached from /Applications
  // through two links (Quicksilver #2932, #3125; dockutil #144, #148).
  addSymlink("/Applications/Safari.app", "../System/Cryptexes/App/System/Applications/Safari.app");
  addSymlink("/System/Cryptexes/App", "../../System/Volumes/Preboot/Cryptexes/App");
}

void FileSystem::addSymlink(std::string_view from, std::string_view to) {
  const auto source = standardizePath(from);
  const auto normalizedSource = source ? nfc(*source) : std::nullopt;
  const auto target = nfc(to);
  if (!normalizedSource || !target || *normalizedSource == "/") {
    return;
  }
  links_.insert_or_assign(*normalizedSource, *target);
  resolved_.clear();
}

std::optional<std::string> FileSystem::canonicalPath(std::string_view path) const {
  const auto known = resolved_.find(path);
  if (known != resolved_.end()) {
    return known->second;
  }
  return resolved_.emplace(std::string(path), resolve(path)).first->second;
}

// URLByResolvingSymlinksInPath drops a leading "/private" when what is left names the same file
// (Apple's NSURL documentation): here, when the folder after it is one of the links into it.
std::string FileSystem::withoutPrivate(std::string path) const {
  constexpr std::string_view prefix = "/private";
  if (!path.starts_with(prefix) || path.size() <= prefix.size() || path[prefix.size()] != '/') {
    return path;
  }
  std::string rest = path.substr(prefix.size());
  const std::string folder = rest.substr(0, rest.find('/', 1));
  const auto link = links_.find(folder);
  if (link == links_.end() || link->second != "private" + folder) {
    return path;
  }
  return rest;
}

std::optional<std::string> FileSystem::resolve(std::string_view path) const {
  const auto normalized = nfc(path);
  const auto standard = normalized ? standardizePath(*normalized) : std::nullopt;
  if (!standard) {
    return std::nullopt;
  }
  std::deque<std::string> remaining;
  for (std::string& part : components(*standard)) {
    remaining.push_back(std::move(part));
  }
  std::string resolved;
  int expansions = 0;
  while (!remaining.empty()) {
    std::string part = std::move(remaining.front());
    remaining.pop_front();
    if (part == "..") {
      dropLastComponent(resolved);
      continue;
    }
    if (part == ".") {
      continue;
    }
    std::string candidate = resolved + '/' + part;
    const auto link = links_.find(candidate);
    if (link == links_.end()) {
      resolved = std::move(candidate);
      continue;
    }
    if (++expansions > maximumLinkExpansions) {
      return standard;
    }
    const std::string& target = link->second;
    if (!target.empty() && target.front() == '/') {
      resolved.clear();
    }
    const std::vector<std::string> targetParts = components(target);
    remaining.insert(remaining.begin(), targetParts.begin(), targetParts.end());
  }
  return resolved.empty() ? "/" : withoutPrivate(std::move(resolved));
}

} // namespace lumivane::sim
