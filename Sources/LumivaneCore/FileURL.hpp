#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumivane::FileURL {

// Decodes %XX escapes (hex digits in either case). Absent for a malformed escape, or one that
// decodes to NUL, which no path may hold.
[[nodiscard]] std::optional<std::string> percentDecoded(std::string_view text);

// The decoded path of a file URL naming an ".app" bundle (extension in any letter case), without
// trailing slashes: "file:///Applications/My%20Tool.app/" gives "/Applications/My Tool.app".
// Absent for a text that does not parse as a URL (spaces and control characters included), a
// URL of another scheme or of a host other than the local one, or a file that is not an
// application bundle. The path is not standardised: it may be relative or hold "." and "..";
// the caller makes it canonical.
[[nodiscard]] std::optional<std::string> applicationBundlePath(std::string_view url);

// The application bundle a running application's bundle path names: the path itself, or, for a
// path that ends in an application bundle's executable (".../X.app/Contents/MacOS/X", which
// NSRunningApplication.bundleURL may give instead of the bundle), the ".app" around it. Only
// that shape is taken apart: anything else inside a bundle (a helper, an XPC service) is a bundle
// of its own and stays as it is.
std::string applicationBundle(std::string_view path);

// The bundle's file name without its extension: "/Applications/Mail.app" gives "Mail", a name
// that only starts with a dot keeps it.
std::string bundleName(std::string_view path);

} // namespace lumivane::FileURL
