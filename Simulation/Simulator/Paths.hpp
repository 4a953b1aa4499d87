#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane::sim {

// `text` in Unicode Normalization Form C; absent when it is not valid UTF-8.
std::optional<std::string> nfc(std::string_view text);

// An absolute path with ".", ".." and repeated or trailing separators resolved lexically, as
// NSURL's standardizedURL does; absent for a relative path.
std::optional<std::string> standardizePath(std::string_view path);

// The file URL NSURL prints for an absolute path: "file://", the percent-encoded path, and a
// trailing "/" for a directory (an application bundle is one).
std::string fileURL(std::string_view path, bool directory);

// The simulated file system: only its symbolic links exist, starting with the ones every Mac
// has (/etc, /tmp and /var lead into /private; /Applications/Safari.app into the Preboot
// volume's cryptex). Like APFS it does not tell canonically equivalent names apart.
class FileSystem {
public:
  FileSystem();

  // A link at `from` (absolute) pointing to `to` (absolute, or relative to the link's folder).
  // A relative `from` is ignored.
  void addSymlink(std::string_view from, std::string_view to);
  // Standardised, symbolic links resolved, NFC, and without a leading "/private" that a link
  // leads into, as URLByResolvingSymlinksInPath gives it: the form of every bundle path a port
  // hands out. Absent for a relative path or invalid UTF-8. A cycle of links leaves the path
  // unresolved.
  std::optional<std::string> canonicalPath(std::string_view path) const;

private:
  std::optional<std::string> resolve(std::string_view path) const;
  std::string withoutPrivate(std::string path) const;

  std::map<std::string, std::string, std::less<>> links_;
  // Answers given so far; every new link forgets them.
  mutable std::map<std::string, std::optional<std::string>, std::less<>> resolved_;
};

} // namespace lumivane::sim
