#pragma once

#include "Shell/Style.hpp"

#include <QPointF>
#include <QWidget>
#include <string>
#include <string_view>

class QPainter;

namespace lumivane::shell {

// One icon of the demonstration Dock: a symbol on a rounded control-coloured square.
class DemoAppIcon : public QWidget {
  Q_OBJECT

public:
  static constexpr int side = 50;

  DemoAppIcon(std::string_view symbol, style::Ink colour, QWidget* parent = nullptr);
  // Draws the icon centred on `centre`; shared with the layout preview.
  static void paint(QPainter& painter, QPointF centre, std::string_view symbol, style::Ink colour,
                    const QPalette& palette);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::string symbol_;
  style::Ink colour_;
};

} // namespace lumivane::shell
