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

// One switch row: a symbol (or another leading image), title and subtitle, and a switch bound to
// a Boolean, named by the title. An empty subtitle leaves its line out.
class SettingRow : public QWidget {
  Q_OBJECT

public:
  SettingRow(std::string_view symbol, const QString& title, const QString& subtitle,
             BoolBinding isOn, QWidget* parent = nullptr);
  // `leading` (owned by the row) stands where the symbol would.
  SettingRow(QWidget* leading, const QString& title, const QString& subtitle, BoolBinding isOn,
             QWidget* parent = nullptr);
  // Shows the bound value again (after the source changed).
  void refresh();
  QAbstractButton& toggle() const { return *toggle_; }

private:
  BoolBinding isOn_;
  QAbstractButton* toggle_;
};

} // namespace lumivane::shell
