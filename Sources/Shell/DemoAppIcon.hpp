#pragma once

#include <QColor>
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

  DemoAppIcon(std::string_view symbol, const QColor& colour, QWidget* parent = nullptr);
  // Draws the icon centred on `centre`; shared with the layout preview.
  static void paint(QPainter& painter, QPointF centre, std::string_view symbol,
                    const QColor& colour, const QPalette& palette);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::string symbol_;
  QColor colour_;
};

} // namespace lumivane::shell
