#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>
#include <string>
#include <vector>

namespace lumivane::shell {

// Lumivane's application icon, our own drawing: on a blue rounded square in the proportions of
// a macOS app icon, a Dock shelf of three tiles and the round red × above the middle one.
// Drawn from paths alone, at `pixels` by `pixels`.
QImage drawAppIcon(int pixels);

// One image of an .icns file: its four-character type and its PNG data.
struct IcnsEntry {
  std::string type;
  QByteArray png;
};

// The icon as macOS wants it in a bundle's Resources: an .icns file of PNG images from 16 to
// 1024 pixels (16, 32, 128, 256 and 512 points, each also at twice the scale).
QByteArray encodeAppIcon();
// The images of an .icns file; absent when the file is not one (a bad header or an entry that
// runs past the end).
std::optional<std::vector<IcnsEntry>> decodeIcns(const QByteArray& file);

// lumivane-sim --app-icon FILE: writes the icon there. Returns 0, or 2 when it cannot be written.
int writeAppIcon(const std::string& path);
// lumivane-sim --app-icon-check FILE: whether FILE holds the icon as drawn now, every size of it
// (within the rounding of another Qt's antialiasing). Prints what differs to the error output;
// returns 0 when it does, 1 when it does not, 2 when FILE cannot be read.
int checkAppIcon(const std::string& path);

} // namespace lumivane::shell
