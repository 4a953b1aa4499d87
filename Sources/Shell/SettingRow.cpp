#include "Shell/SettingRow.hpp"

#include "Shell/Controls.hpp"
#include "Shell/Style.hpp"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

namespace lumivane::shell {

SettingRow::SettingRow(std::string_view symbol, const QString& title, const QString& subtitle,
                       BoolBinding isOn, QWidget* parent)
    : QWidget(parent), isOn_(std::move(isOn)), toggle_(new Switch) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(14, 13, 14, 13);
  row->setSpacing(12);
  if (!symbol.empty()) {
    auto* icon = new SymbolView(symbol, 17, style::Ink::secondary());
    icon->setFixedSize(24, 17);
    row->addWidget(icon, 0, Qt::AlignVCenter);
  }
  auto* texts = new QVBoxLayout;
  texts->setSpacing(4);
  texts->addWidget(makeLabel(title, 13, QFont::Medium));
  texts->addWidget(makeLabel(subtitle, 11, QFont::Normal, style::Ink::secondary()));
  row->addLayout(texts);
  row->addSpacing(8);
  row->addStretch(1);
  toggle_->setAccessibleName(title);
  row->addWidget(toggle_, 0, Qt::AlignVCenter);
  connect(toggle_, &QAbstractButton::clicked, this, [this](bool checked) {
    if (isOn_.set) {
      isOn_.set(checked);
    }
    refresh();
  });
  refresh();
}

void SettingRow::refresh() {
  const QSignalBlocker blocker(toggle_);
  toggle_->setChecked(isOn_.get && isOn_.get());
}

} // namespace lumivane::shell
