#include "Shell/SettingRow.hpp"

#include "Shell/Controls.hpp"
#include "Shell/Style.hpp"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

namespace lumivane::shell {

namespace {

QWidget* symbolColumn(std::string_view symbol) {
  auto* icon = new SymbolView(symbol, 17, style::Ink::secondary());
  icon->setFixedSize(24, 17);
  return icon;
}

} // namespace

SettingRow::SettingRow(std::string_view symbol, const QString& title, const QString& subtitle,
                       BoolBinding isOn, QWidget* parent)
    : SettingRow(symbolColumn(symbol), title, subtitle, std::move(isOn), parent) {}

SettingRow::SettingRow(QWidget* leading, const QString& title, const QString& subtitle,
                       BoolBinding isOn, QWidget* parent)
    : QWidget(parent), isOn_(std::move(isOn)), toggle_(new Switch) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(14, 13, 14, 13);
  row->setSpacing(12);
  row->addWidget(leading, 0, Qt::AlignVCenter);
  // Long names and subtitles wrap rather than widen the popover.
  auto* texts = new QVBoxLayout;
  texts->setSpacing(4);
  QLabel* titleLabel = makeLabel(title, 13, QFont::Medium);
  titleLabel->setWordWrap(true);
  texts->addWidget(titleLabel);
  if (!subtitle.isEmpty()) {
    QLabel* subtitleLabel = makeLabel(subtitle, 11, QFont::Normal, style::Ink::secondary());
    subtitleLabel->setWordWrap(true);
    texts->addWidget(subtitleLabel);
  }
  row->addLayout(texts, 1);
  row->addSpacing(8);
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
