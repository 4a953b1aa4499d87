#include "Shell/WelcomeContent.hpp"

#include "Lumivane/PermissionManager.hpp"
#include "Lumivane/Texts.hpp"
#include "Shell/Accessibility.hpp"
#include "Shell/Controls.hpp"
#include "Shell/DockDemo.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivane::shell {

WelcomeContent::WelcomeContent(const presentation::WelcomeContentModel& model, QWidget* parent)
    : QWidget(parent), permissions_(model.permissions), close_(model.close),
      showDiagnostics_(model.showDiagnostics) {
  setFixedWidth(contentWidth);
  accessibility::setIdentifier(*this, "lumivane.welcome");
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Window);
  setFocusPolicy(Qt::StrongFocus);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* header = new QHBoxLayout;
  header->setContentsMargins(28, 24, 28, 0);
  header->addWidget(new SymbolLabel(symbols::dockRectangle, QStringLiteral("Lumivane"), 13,
                                    QFont::DemiBold, style::Ink::secondary()));
  header->addStretch(1);
  header->addWidget(makeLabel(QStringLiteral("为你的 Dock，少一步操作"), 11, QFont::Normal,
                              style::Ink::secondary()));
  column->addLayout(header);

  auto* title = new QVBoxLayout;
  title->setContentsMargins(0, 28, 0, 0);
  title->setSpacing(6);
  title->addWidget(makeLabel(QStringLiteral("退出应用，顺手一点。"), 29, QFont::DemiBold), 0,
                   Qt::AlignHCenter);
  title->addWidget(makeLabel(QStringLiteral("保留熟悉的 Dock，让每一次退出更简单。"), 13,
                             QFont::Normal, style::Ink::secondary()),
                   0, Qt::AlignHCenter);
  column->addLayout(title);

  auto* demo = new QVBoxLayout;
  demo->setContentsMargins(0, 26, 0, 24);
  demo->addWidget(new DockDemo, 0, Qt::AlignHCenter);
  column->addLayout(demo);

  auto* methods = new QHBoxLayout;
  methods->setContentsMargins(28, 0, 28, 0);
  methods->setSpacing(16);
  methods->addWidget(method(symbols::cursorarrow, QStringLiteral("悬停，轻点 ×"),
                            QStringLiteral("在运行中的图标上停留片刻，\n点击出现的退出按钮。")),
                     1, Qt::AlignTop);
  methods->addWidget(new Rule(Qt::Vertical, style::Ink::label(0.08), 0, 62), 0, Qt::AlignTop);
  methods->addWidget(method(symbols::computermouse, QStringLiteral("中键，一步退出"),
                            QStringLiteral("用鼠标滚轮按键点击图标，\n无需等待，也不必切换应用。")),
                     1, Qt::AlignTop);
  column->addLayout(methods);

  auto* privacyOuter = new QVBoxLayout;
  privacyOuter->setContentsMargins(28, 24, 28, 0);
  auto* privacy = new RoundedPanel(10, style::Ink::label(0.035));
  privacy->column()->setContentsMargins(16, 16, 16, 16);
  privacy->column()->setSpacing(10);
  auto* state = new QHBoxLayout;
  state->setSpacing(10);
  permissionSymbol_ =
      new SymbolView(symbols::handRaisedFill, 20, style::Ink::of(style::Ink::Role::blue));
  state->addWidget(permissionSymbol_, 0, Qt::AlignVCenter);
  auto* stateTexts = new QVBoxLayout;
  stateTexts->setSpacing(4);
  permissionTitle_ = makeLabel(QString(), 13, QFont::Medium);
  stateTexts->addWidget(permissionTitle_);
  stateTexts->addWidget(makeLabel(QStringLiteral("仅用于识别 Dock 和处理鼠标退出操作。"), 11,
                                  QFont::Normal, style::Ink::secondary()));
  state->addLayout(stateTexts, 1);
  privacy->column()->addLayout(state);
  privacy->column()->addWidget(new Paragraph(
      QStringLiteral("不读取窗口内容，不记录键盘，不上传数据。未保存的文档仍由原应用提醒保存。"),
      style::font(11), style::Ink::secondary(), 3));
  help_ = new PermissionHelp(permissions_);
  privacy->column()->addWidget(help_);
  privacyOuter->addWidget(privacy);
  column->addLayout(privacyOuter);

  auto* footer = new QHBoxLayout;
  footer->setContentsMargins(28, 28, 28, 28);
  footer->setSpacing(10);
  footer->addWidget(makeLabel(QStringLiteral("v1.0.0 · 完全本地运行"), 11, QFont::Normal,
                              style::Ink::secondary()),
                    0, Qt::AlignVCenter);
  auto* diagnostics =
      makePlainButton(qtext(texts::diagnosticsItem), ControlSize::small, style::Ink::secondary());
  connect(diagnostics, &QPushButton::clicked, this, [this] { runAction(showDiagnostics_); });
  footer->addWidget(diagnostics, 0, Qt::AlignVCenter);
  footer->addStretch(1);
  auto* later =
      makePlainButton(QStringLiteral("稍后设置"), ControlSize::regular, style::Ink::secondary());
  connect(later, &QPushButton::clicked, this, [this] { close(); });
  later_ = later;
  footer->addWidget(later_, 0, Qt::AlignVCenter);
  auto* openSettings =
      makeProminentButton(QStringLiteral("打开辅助功能设置"), ControlSize::regular);
  connect(openSettings, &QPushButton::clicked, this,
          [this] { permissions_->requestAccessibility(); });
  openSettings_ = openSettings;
  footer->addWidget(openSettings_, 0, Qt::AlignVCenter);
  start_ = makeProminentButton(QStringLiteral("开始使用"), ControlSize::regular);
  connect(start_, &QPushButton::clicked, this, [this] { close(); });
  footer->addWidget(start_, 0, Qt::AlignVCenter);
  column->addLayout(footer);

  observation_ = permissions_->observe([this] { render(); });
  render();
}

WelcomeContent::~WelcomeContent() {
  permissions_->removeObserver(observation_);
}

void WelcomeContent::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
  case Qt::Key_Escape:
    close();
    return;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    // "开始使用" is the default action, and it exists only once Accessibility is granted.
    if (permissions_->accessibility()) {
      close();
      return;
    }
    break;
  default:
    break;
  }
  QWidget::keyPressEvent(event);
}

void WelcomeContent::render() {
  const bool granted = permissions_->accessibility();
  permissionSymbol_->setSymbol(granted ? symbols::checkmarkShieldFill : symbols::handRaisedFill);
  permissionSymbol_->setInk(
      style::Ink::of(granted ? style::Ink::Role::green : style::Ink::Role::blue));
  permissionTitle_->setText(granted ? QStringLiteral("辅助功能已授权")
                                    : QStringLiteral("开启辅助功能，即可开始"));
  help_->setVisible(!granted);
  later_->setVisible(!granted);
  openSettings_->setVisible(!granted);
  start_->setVisible(granted);
}

void WelcomeContent::close() {
  runAction(close_);
}

QWidget* WelcomeContent::method(std::string_view symbol, const QString& title,
                                const QString& detail) {
  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  column->addWidget(new SymbolLabel(symbol, title, 13, QFont::DemiBold));
  column->addWidget(makeLabel(detail, 11, QFont::Normal, style::Ink::secondary()));
  column->addStretch(1);
  return box;
}

} // namespace lumivane::shell
