#include "Shell/MenuContent.hpp"

#include "Lumivane/PermissionManager.hpp"
#include "Lumivane/RuntimeStatus.hpp"
#include "Lumivane/SettingsManager.hpp"
#include "Lumivane/Texts.hpp"
#include "Shell/Accessibility.hpp"
#include "Shell/Card.hpp"
#include "Shell/Controls.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/ProtectedAppsEditor.hpp"
#include "Shell/SettingRow.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>
#include <variant>

namespace lumivane::shell {

double MenuHeight::contentHeight(double current, double measured) {
  return measured > 0 ? std::ceil(measured) : current;
}

double MenuHeight::limit(std::optional<double> visibleHeight) {
  if (!visibleHeight) {
    return 720;
  }
  return std::max(*visibleHeight - 80, 240.0);
}

double MenuHeight::viewHeight(double contentHeight, std::optional<double> visibleHeight) {
  return std::min(contentHeight, limit(visibleHeight));
}

int revealedOffset(int offset, int viewHeight, int top, int bottom) {
  if (bottom > offset + viewHeight) {
    offset = bottom - viewHeight;
  }
  return std::min(offset, top);
}

MenuContent::MenuContent(const presentation::MenuContentModel& model,
                         std::optional<double> visibleHeight, QWidget* parent)
    : QScrollArea(parent), settings_(model.settings), permissions_(model.permissions),
      runtime_(model.runtime), visibleHeight_(visibleHeight), contentHeight_(model.contentHeight),
      showWelcome_(model.showWelcome), showDiagnostics_(model.showDiagnostics), quit_(model.quit),
      content_(new QWidget) {
  auto* column = new QVBoxLayout(content_);
  column->setContentsMargins(20, 20, 20, 20);
  column->setSpacing(18);
  accessibility::setIdentifier(*content_, "lumivane.menu");

  auto* header = new QHBoxLayout;
  header->setSpacing(10);
  header->addWidget(new SymbolView(symbols::dockRectangle, 25,
                                   style::Ink::of(style::Ink::Role::blue), QFont::Medium),
                    0, Qt::AlignVCenter);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(3);
  titles->addWidget(makeLabel(QStringLiteral("Lumivane"), 17, QFont::DemiBold));
  titles->addWidget(
      makeLabel(QStringLiteral("轻点一下，从容退出"), 11, QFont::Normal, style::Ink::secondary()));
  header->addLayout(titles);
  header->addStretch(1);
  dot_ = new Dot(7, style::Ink::of(style::Ink::Role::orange));
  accessibility::presentAsImage(*dot_, QString());
  header->addWidget(dot_, 0, Qt::AlignVCenter);
  column->addLayout(header);

  auto* grant = makeProminentButton(QStringLiteral("前往授权"), ControlSize::small);
  connect(grant, &QPushButton::clicked, this, [this] { permissions_->requestAccessibility(); });
  accessibilityNotice_ =
      permissionNotice(QStringLiteral("还差一步，开启辅助功能"),
                       QStringLiteral("用于识别 Dock 图标，并响应退出操作。"), {grant});
  column->addWidget(accessibilityNotice_);
  help_ = new PermissionHelp(permissions_);
  column->addWidget(help_);
  // The middle-click tap is an active filter, which macOS allows through the Accessibility
  // switch: the notice names that permission and leads there; its retry sits beside it.
  auto* check = makeProminentButton(QStringLiteral("检查权限"), ControlSize::small);
  connect(check, &QPushButton::clicked, this, [this] { permissions_->requestMiddleClickAccess(); });
  auto* retry = makeButton(QStringLiteral("重新检查"), ControlSize::small);
  connect(retry, &QPushButton::clicked, this, [this] {
    permissions_->refresh();
    runAction(runtime_->onRetry);
  });
  middleNotice_ = permissionNotice(QStringLiteral("中键功能暂不可用"),
                                   QStringLiteral("悬停退出仍可使用。检查辅助功能权限后重试。"),
                                   {check, retry});
  column->addWidget(middleNotice_);
  statusLabel_ = new SymbolLabel(symbols::checkmarkShield, QString(), 11, QFont::Normal,
                                 style::Ink::secondary());
  column->addWidget(statusLabel_);

  auto* methods = new QVBoxLayout;
  methods->setSpacing(8);
  methods->addWidget(section(QStringLiteral("退出方式")));
  auto* methodsCard = new Card;
  hoverRow_ = new SettingRow(symbols::cursorarrow, QStringLiteral("悬停显示退出按钮"),
                             QStringLiteral("停留片刻，点击图标旁的 ×"),
                             {[this] { return settings_->hoverEnabled(); },
                              [this](bool on) { settings_->setHoverEnabled(on); }});
  methodsCard->column()->addWidget(hoverRow_);
  methodsCard->column()->addWidget(Rule::divider(0.4, 50));
  middleRow_ = new SettingRow(symbols::computermouse, QStringLiteral("鼠标中键退出"),
                              QStringLiteral("滚轮按键，直接退出应用"),
                              {[this] { return settings_->middleEnabled(); },
                               [this](bool on) { settings_->setMiddleEnabled(on); }});
  methodsCard->column()->addWidget(middleRow_);
  methods->addWidget(methodsCard);
  column->addLayout(methods);

  // Opened, a section brings itself into view at the next layout: what it holds would otherwise
  // open below the fold of a popover that scrolls.
  layout_ = new HoverLayoutSettings(settings_, model.previewEdge);
  layout_->onExpand = [this] { reveal_ = layout_; };
  column->addWidget(layout_);
  protectedApps_ = new ProtectedAppsEditor(settings_, model.runningApps);
  protectedApps_->onExpand = [this] { reveal_ = protectedApps_; };
  column->addWidget(protectedApps_);

  auto* general = new QVBoxLayout;
  general->setSpacing(8);
  general->addWidget(section(QStringLiteral("通用")));
  auto* generalCard = new Card;
  loginRow_ = new SettingRow(
      symbols::sunrise, QStringLiteral("登录时自动启动"), QStringLiteral("随 Mac 一起准备就绪"),
      {[this] { return settings_->loginEnabled(); }, [this](bool on) { settings_->setLogin(on); }});
  generalCard->column()->addWidget(loginRow_);
  general->addWidget(generalCard);
  auto* approval = makeButton(QStringLiteral("在系统设置中允许登录项"), ControlSize::small);
  connect(approval, &QPushButton::clicked, this, [this] { settings_->openLoginItemsSettings(); });
  approval_ = approval;
  general->addWidget(approval_, 0, Qt::AlignLeft);
  // Like the status line's errors: the label colour for the words, the colour on the symbol.
  loginError_ = new SymbolLabel(symbols::exclamationmarkCircle, QString(), 11, QFont::Normal,
                                style::Ink::label());
  loginError_->setInks(style::Ink::of(style::Ink::Role::red), style::Ink::label());
  loginError_->setWordWrap(true);
  general->addWidget(loginError_);
  column->addLayout(general);

  // The status line, and beside it the action it may carry.
  statusRow_ = new QWidget;
  auto* statusRow = new QHBoxLayout(statusRow_);
  statusRow->setContentsMargins(0, 0, 0, 0);
  statusRow->setSpacing(8);
  operationStatus_ = new SymbolLabel(symbols::infoCircle, QString(), 11);
  operationStatus_->setWordWrap(true);
  accessibility::setIdentifier(*operationStatus_, "lumivane.operation-status");
  statusRow->addWidget(operationStatus_, 1);
  reopen_ = makeButton(qtext(texts::reopenAction), ControlSize::small);
  accessibility::setIdentifier(*reopen_, "lumivane.reopen");
  connect(reopen_, &QPushButton::clicked, this, [this] { runAction(runtime_->onReopen); });
  statusRow->addWidget(reopen_, 0, Qt::AlignVCenter);
  column->addWidget(statusRow_);

  column->addWidget(Rule::divider(0.5));

  auto* footer = new QHBoxLayout;
  auto* about = makePlainButton(QStringLiteral("使用说明与关于"), ControlSize::small,
                                style::Ink::secondary());
  connect(about, &QPushButton::clicked, this, [this] { runAction(showWelcome_); });
  footer->addWidget(about);
  auto* diagnostics =
      makePlainButton(qtext(texts::diagnosticsItem), ControlSize::small, style::Ink::secondary());
  connect(diagnostics, &QPushButton::clicked, this, [this] { runAction(showDiagnostics_); });
  footer->addWidget(diagnostics);
  footer->addStretch(1);
  auto* quit =
      makePlainButton(QStringLiteral("退出 Lumivane"), ControlSize::small, style::Ink::secondary());
  connect(quit, &QPushButton::clicked, this, [this] { runAction(quit_); });
  footer->addWidget(quit);
  column->addLayout(footer);

  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWidgetResizable(true);
  setWidget(content_);
  // The window around the content draws the window background: the popover its rounded card,
  // whose corners an opaque rectangle here would cover; the settings window its plain frame.
  content_->setAutoFillBackground(false);
  viewport()->setAutoFillBackground(false);
  setAutoFillBackground(false);
  setFixedWidth(contentWidth);
  content_->installEventFilter(this);

  const auto rerender = [this] { render(); };
  observations_ = {{settings_.get(), settings_->observe(rerender)},
                   {permissions_.get(), permissions_->observe(rerender)},
                   {runtime_.get(), runtime_->observe(rerender)}};
  render();
  // The first layout pass measures the content before it is ever shown, in its final style.
  ensurePolished();
  measureContent();
}

MenuContent::~MenuContent() {
  for (const auto& [observable, token] : observations_) {
    observable->removeObserver(token);
  }
}

bool MenuContent::isReady() const {
  return permissions_->accessibility() &&
         (!settings_->middleEnabled() || permissions_->middleAvailable());
}

void MenuContent::measure(double measured) {
  contentHeight_ = MenuHeight::contentHeight(contentHeight_, measured);
  setFixedHeight(
      static_cast<int>(std::ceil(MenuHeight::viewHeight(contentHeight_, visibleHeight_))));
}

void MenuContent::setVisibleHeight(std::optional<double> visibleHeight) {
  visibleHeight_ = visibleHeight;
  measure(0);
}

bool MenuContent::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_ && event->type() == QEvent::LayoutRequest) {
    measureContent();
    if (QWidget* section = std::exchange(reveal_, nullptr)) {
      // The scroll range follows the content's new height first.
      QEvent request(QEvent::LayoutRequest);
      QCoreApplication::sendEvent(this, &request);
      const int top = section->mapTo(content_, QPoint(0, 0)).y();
      verticalScrollBar()->setValue(revealedOffset(
          verticalScrollBar()->value(), viewport()->height(), top, top + section->height()));
    }
  }
  return QScrollArea::eventFilter(watched, event);
}

void MenuContent::measureContent() {
  // Activating recomputes the nested layouts too, whose cached sizes may predate the last render.
  content_->layout()->activate();
  const int forWidth = content_->layout()->totalHeightForWidth(contentWidth);
  measure(forWidth > 0 ? forWidth : content_->layout()->totalSizeHint().height());
}

void MenuContent::render() {
  const bool ready = isReady();
  dot_->setInk(style::Ink::of(ready ? style::Ink::Role::green : style::Ink::Role::orange));
  accessibility::presentAsImage(*dot_,
                                ready ? QStringLiteral("功能已就绪") : QStringLiteral("需要处理"));

  const bool accessibility = permissions_->accessibility();
  const bool middleUnavailable =
      accessibility && settings_->middleEnabled() && !permissions_->middleAvailable();
  accessibilityNotice_->setVisible(!accessibility);
  help_->setVisible(!accessibility);
  middleNotice_->setVisible(middleUnavailable);
  statusLabel_->setVisible(accessibility && !middleUnavailable);
  if (runtime_->isSuspended()) {
    statusLabel_->setText(QStringLiteral("已暂停，返回桌面后恢复"));
  } else if (settings_->hoverEnabled() || settings_->middleEnabled()) {
    statusLabel_->setText(QStringLiteral("已就绪 · 只发送正常退出请求"));
  } else {
    statusLabel_->setText(QStringLiteral("已暂停 · 两种退出方式均已关闭"));
  }
  statusLabel_->setSymbol(runtime_->isSuspended() ? symbols::pauseCircle
                                                  : symbols::checkmarkShield);

  hoverRow_->refresh();
  middleRow_->refresh();
  loginRow_->refresh();
  approval_->setVisible(settings_->loginNeedsApproval());
  const auto& loginError = settings_->loginError();
  loginError_->setVisible(loginError.has_value());
  loginError_->setText(loginError ? qtext(*loginError) : QString());

  const std::string& message = runtime_->message();
  statusRow_->setVisible(!message.empty());
  operationStatus_->setText(qtext(message));
  operationStatus_->setAccessibleName(qtext(message));
  // An error keeps the label colour for its words, readable in both appearances, and shows
  // the same system orange in both on its symbol.
  const bool error = runtime_->isError();
  operationStatus_->setSymbol(error ? symbols::exclamationmarkCircle : symbols::infoCircle);
  operationStatus_->setInks(error ? style::Ink::of(style::Ink::Role::orange)
                                  : style::Ink::secondary(),
                            error ? style::Ink::label() : style::Ink::secondary());
  reopen_->setVisible(runtime_->offersReopen());
  const auto* quit = runtime_->line() ? std::get_if<QuitLine>(&*runtime_->line()) : nullptr;
  const QString help = quit != nullptr ? qtext(texts::reopenHelp(quit->appName)) : QString();
  reopen_->setToolTip(help);
  reopen_->setAccessibleDescription(help);
}

QWidget* MenuContent::permissionNotice(const QString& title, const QString& detail,
                                       std::initializer_list<QPushButton*> buttons) {
  auto* notice = new RoundedPanel(10, style::Ink::of(style::Ink::Role::blue, 0.07));
  auto* column = notice->column();
  column->setContentsMargins(12, 12, 12, 12);
  column->setSpacing(8);
  column->addWidget(new SymbolLabel(symbols::handRaised, title, 12, QFont::Medium));
  auto* detailLabel = makeLabel(detail, 11, QFont::Normal, style::Ink::secondary());
  detailLabel->setWordWrap(true);
  column->addWidget(detailLabel);
  auto* row = new QHBoxLayout;
  row->setSpacing(8);
  for (QPushButton* button : buttons) {
    row->addWidget(button);
  }
  row->addStretch(1);
  column->addLayout(row);
  return notice;
}

QLabel* MenuContent::section(const QString& title) {
  auto* label = makeLabel(title, 11, QFont::DemiBold, style::Ink::secondary());
  label->setContentsMargins(4, 0, 0, 0);
  return label;
}

} // namespace lumivane::shell
