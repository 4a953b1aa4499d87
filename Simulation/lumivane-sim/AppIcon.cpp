#include "AppIcon.hpp"

#include <QBuffer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>

namespace lumivane::shell {

namespace {

// The images of the file, in the order iconutil writes them: type and side in pixels.
struct IconSize {
  const char* type;
  int pixels;
};
constexpr IconSize iconSizes[] = {
    {"icp4", 16},  {"ic11", 32},  {"icp5", 32},  {"ic12", 64},  {"ic07", 128},
    {"ic13", 256}, {"ic08", 256}, {"ic14", 512}, {"ic09", 512}, {"ic10", 1024},
};

constexpr int headerSize = 8; // a four-character type and a big-endian 32-bit length
// The average difference per channel (of 255) that another Qt's antialiasing may leave.
constexpr double tolerance = 2.0;

QByteArray png(const QImage& image) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return data;
}

void appendHeader(QByteArray& file, const char* type, std::size_t length) {
  file.append(type, 4);
  char size[4];
  qToBigEndian(static_cast<uint32_t>(length), size);
  file.append(size, 4);
}

double averageDifference(const QImage& a, const QImage& b) {
  const QImage left = a.convertToFormat(QImage::Format_RGBA8888);
  const QImage right = b.convertToFormat(QImage::Format_RGBA8888);
  double total = 0;
  for (int row = 0; row < left.height(); ++row) {
    const uchar* l = left.constScanLine(row);
    const uchar* r = right.constScanLine(row);
    for (int byte = 0; byte < left.width() * 4; ++byte) {
      total += std::abs(static_cast<int>(l[byte]) - static_cast<int>(r[byte]));
    }
  }
  return total / (static_cast<double>(left.width()) * left.height() * 4);
}

} // namespace

QImage drawAppIcon(int pixels) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  // Drawn on a grid of 1024, the size of the largest image.
  painter.scale(pixels / 1024.0, pixels / 1024.0);

  // The body: macOS's icon grid leaves 100 of 1024 around it.
  const QRectF body(100, 100, 824, 824);
  QLinearGradient sky(body.topLeft(), body.bottomLeft());
  sky.setColorAt(0, QColor(86, 150, 255));
  sky.setColorAt(1, QColor(84, 82, 214));
  painter.setPen(Qt::NoPen);
  painter.setBrush(sky);
  painter.drawRoundedRect(body, 185, 185);

  // The Dock: a frosted shelf with three tiles.
  const QRectF shelf(212, 604, 600, 148);
  painter.setBrush(QColor(255, 255, 255, 70));
  painter.setPen(QPen(QColor(255, 255, 255, 120), 6));
  painter.drawRoundedRect(shelf, 46, 46);
  painter.setPen(Qt::NoPen);
  const QColor tiles[] = {QColor(255, 206, 84), QColor(255, 255, 255), QColor(110, 222, 170)};
  for (int index = 0; index < 3; ++index) {
    const QPointF centre(352 + 160 * index, shelf.center().y());
    painter.setBrush(tiles[index]);
    painter.drawRoundedRect(QRectF(centre - QPointF(54, 54), QSizeF(108, 108)), 26, 26);
  }

  // The × above the middle tile: red with a white ring and a white cross, on a soft shadow.
  const QPointF button(512, 404);
  painter.setBrush(QColor(0, 0, 0, 46));
  painter.drawEllipse(button + QPointF(0, 12), 128, 128);
  painter.setBrush(QColor(255, 69, 58));
  painter.setPen(QPen(Qt::white, 18));
  painter.drawEllipse(button, 120, 120);
  QPen cross(Qt::white, 30);
  cross.setCapStyle(Qt::RoundCap);
  painter.setPen(cross);
  const double arm = 44;
  painter.drawLine(button + QPointF(-arm, -arm), button + QPointF(arm, arm));
  painter.drawLine(button + QPointF(arm, -arm), button + QPointF(-arm, arm));
  painter.end();
  return image;
}

QByteArray encodeAppIcon() {
  QByteArray entries;
  for (const IconSize& size : iconSizes) {
    const QByteArray data = png(drawAppIcon(size.pixels));
    appendHeader(entries, size.type, headerSize + static_cast<std::size_t>(data.size()));
    entries.append(data);
  }
  QByteArray file;
  appendHeader(file, "icns", headerSize + static_cast<std::size_t>(entries.size()));
  file.append(entries);
  return file;
}

std::optional<std::vector<IcnsEntry>> decodeIcns(const QByteArray& file) {
  const auto lengthAt = [&file](qsizetype offset) {
    return static_cast<qsizetype>(qFromBigEndian<uint32_t>(file.constData() + offset + 4));
  };
  if (file.size() < headerSize || file.left(4) != "icns" || lengthAt(0) != file.size()) {
    return std::nullopt;
  }
  std::vector<IcnsEntry> entries;
  for (qsizetype offset = headerSize; offset < file.size();) {
    if (file.size() - offset < headerSize) {
      return std::nullopt;
    }
    const qsizetype length = lengthAt(offset);
    if (length < headerSize || length > file.size() - offset) {
      return std::nullopt;
    }
    entries.push_back(
        {file.mid(offset, 4).toStdString(), file.mid(offset + headerSize, length - headerSize)});
    offset += length;
  }
  return entries;
}

int writeAppIcon(const std::string& path) {
  QFile file(QString::fromStdString(path));
  const QByteArray icon = encodeAppIcon();
  if (!file.open(QIODevice::WriteOnly) || file.write(icon) != icon.size()) {
    std::cerr << "lumivane-sim: cannot write '" << path << "'\n";
    return 2;
  }
  std::cout << path << "\n";
  return 0;
}

int checkAppIcon(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    std::cerr << "lumivane-sim: cannot read '" << path << "'\n";
    return 2;
  }
  const auto entries = decodeIcns(file.readAll());
  if (!entries) {
    std::cerr << path << ": not an .icns file\n";
    return 1;
  }
  int differences = 0;
  for (const IconSize& size : iconSizes) {
    QImage image;
    for (const IcnsEntry& entry : *entries) {
      if (entry.type == size.type) {
        image = QImage::fromData(entry.png, "PNG");
      }
    }
    if (image.isNull() || image.size() != QSize(size.pixels, size.pixels)) {
      std::cerr << path << ": no " << size.pixels << "-pixel PNG image of type " << size.type
                << "\n";
      ++differences;
      continue;
    }
    const double difference = averageDifference(image, drawAppIcon(size.pixels));
    if (difference > tolerance) {
      std::cerr << path << ": the " << size.type << " image differs from the drawing by "
                << difference << " a channel on average\n";
      ++differences;
    }
  }
  if (entries->size() != std::size(iconSizes)) {
    std::cerr << path << ": " << entries->size() << " images, not " << std::size(iconSizes) << "\n";
    ++differences;
  }
  return differences == 0 ? 0 : 1;
}

} // namespace lumivane::shell
