#pragma once

#include <QWidget>
#include <functional>
#include <string_view>

class QAbstractButton;

namespace lumivane::shell {

// A two-way binding to a Boolean held elsewhere (a service's published field).
struct BoolBinding {
  std::function<bool()> get;
  std::function<void(bool)> set;
};

// One switch row: symbol, title and subtitle, and a switch bound to a Boolean. An empty symbol
// leaves the symbol's column out.
class SettingRow : public QWidget {
  Q_OBJECT

public:
  SettingRow(std::string_view symbol, const QString& title, const QString& subtitle,
             BoolBinding isOn, QWidget* parent = nullptr);
  // Shows the bound value again (after the source changed).
  void refresh();
  QAbstractButton& toggle() const { return *toggle_; }

private:
  BoolBinding isOn_;
  QAbstractButton* toggle_;
};

} // namespace lumivane::shell
