#include "Shell/PermissionHelp.hpp"

#include "Lumivane/PermissionManager.hpp"
#include "Shell/Style.hpp"

#include <QGuiApplication>
#include <QVBoxLayout>
#include <utility>

namespace lumivane::shell {

namespace {

const QString title = QStringLiteral("已开启，但仍显示未授权？");

} // namespace

PermissionHelp::PermissionHelp(std::shared_ptr<PermissionManager> permissions, QWidget* parent)
    : Disclosure(title, makeLabel(title, 11, QFont::Normal, style::Ink::secondary()), new QWidget,
                 {}, parent),
      permissions_(std::move(permissions)) {
  auto* column = new QVBoxLayout(&content());
  // Under the title, past the disclosure indicator.
  column->setContentsMargins(indicatorWidth, 6, 0, 0);
  column->setSpacing(8);
  auto* note =
      makeLabel(QStringLiteral("更换应用签名后，系统可能仍保留旧授权。请在辅助功能列表中移除旧"
                               "的 Lumivane，再添加当前应用并开启。"),
                11, QFont::Normal, style::Ink::secondary());
  note->setWordWrap(true);
  column->addWidget(note);
  auto* reveal = makeButton(QStringLiteral("在访达中显示当前应用"), ControlSize::small);
  column->addWidget(reveal, 0, Qt::AlignLeft);
  connect(reveal, &QPushButton::clicked, this,
          [this] { permissions_->revealCurrentApplication(); });
}

} // namespace lumivane::shell
