#include "Shell/Interface.hpp"

#include "Lumivane/AppDelegate.hpp"
#include "Lumivane/PermissionManager.hpp"
#include "Lumivane/SettingsManager.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QEasingCurve>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

namespace lumivane::shell {

namespace {

// Runs a copy of `action`: the action may release the view that holds it.
void run(const std::function<void()>& action) {
  if (action) {
    const auto copy = action;
    copy();
  }
}

// The demonstration ×: a symbol on a control-coloured circle with a faint outline.
class DemoButton : public QAbstractButton {
public:
  std::string symbol{Symbols::xmark};

  DemoButton() {
    setFixedSize(28, 28);
    setCursor(Qt::PointingHandCursor);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(style::primary(palette(), 0.1), 1));
    painter.setBrush(style::controlBackground(palette()));
    painter.drawEllipse(circle);
    const double glyph = 12;
    Symbols::paint(painter,
                   QRectF(circle.center() - QPointF(glyph / 2, glyph / 2), QSizeF(glyph, glyph)),
                   symbol, style::primary(palette()), QFont::DemiBold);
  }
};

// One demonstration Dock icon above its running dot.
// `dot` receives the running dot when set.
QWidget* demoIcon(std::string_view symbol, const QColor& colour, Dot** dot = nullptr) {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(new DemoAppIcon(symbol, colour), 0, Qt::AlignHCenter);
  auto* running = new Dot(4, style::secondary(column->palette()));
  layout->addWidget(running, 0, Qt::AlignHCenter);
  if (dot != nullptr) {
    *dot = running;
  }
  return column;
}

QEasingCurve easeInOut() {
  QEasingCurve curve(QEasingCurve::BezierSpline);
  curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
  return curve;
}

} // namespace

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

Card::Card(QWidget* parent)
    : RoundedPanel(10, QColor(), style::primary(QGuiApplication::palette(), 0.08), parent) {}

QColor Card::fill() const {
  return style::isDark(palette()) ? QColor::fromRgbF(0.14f, 0.14f, 0.14f) : QColor(Qt::white);
}

SettingRow::SettingRow(std::string_view symbol, const QString& title, const QString& subtitle,
                       BoolBinding isOn, QWidget* parent)
    : QWidget(parent), isOn_(std::move(isOn)), toggle_(new Switch) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(14, 13, 14, 13);
  row->setSpacing(12);
  auto* icon = new SymbolView(symbol, 17, style::secondary(palette()));
  icon->setFixedSize(24, 17);
  row->addWidget(icon, 0, Qt::AlignVCenter);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(4);
  texts->addWidget(makeLabel(title, 13, QFont::Medium));
  texts->addWidget(makeLabel(subtitle, 11, QFont::Normal, style::secondary(palette())));
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

PermissionHelp::PermissionHelp(std::shared_ptr<PermissionManager> permissions, QWidget* parent)
    : Disclosure(makeLabel(QStringLiteral("已开启，但仍显示未授权？"), 11, QFont::Normal,
                           style::secondary(QGuiApplication::palette())),
                 new QWidget, parent),
      permissions_(std::move(permissions)) {
  auto* column = new QVBoxLayout(&content());
  column->setContentsMargins(0, 6, 0, 0);
  column->setSpacing(8);
  auto* note =
      makeLabel(QStringLiteral("更换应用签名后，系统可能仍保留旧授权。请在辅助功能列表中移除旧"
                               "的 Lumivane，再添加当前应用并开启。"),
                11, QFont::Normal, style::secondary(palette()));
  note->setWordWrap(true);
  column->addWidget(note);
  auto* reveal = makeButton(QStringLiteral("在访达中显示当前应用"), 11);
  column->addWidget(reveal, 0, Qt::AlignLeft);
  connect(reveal, &QPushButton::clicked, this,
          [this] { permissions_->revealCurrentApplication(); });
}

DemoAppIcon::DemoAppIcon(std::string_view symbol, const QColor& colour, QWidget* parent)
    : QWidget(parent), symbol_(symbol), colour_(colour) {
  setFixedSize(side, side);
}

void DemoAppIcon::paint(QPainter& painter, QPointF centre, std::string_view symbol,
                        const QColor& colour, const QPalette& palette) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF tile(centre - QPointF(side / 2.0, side / 2.0), QSizeF(side, side));
  painter.setPen(Qt::NoPen);
  painter.setBrush(style::controlBackground(palette));
  painter.drawRoundedRect(tile, 11, 11);
  const double glyph = 28;
  Symbols::paint(painter, QRectF(centre - QPointF(glyph / 2, glyph / 2), QSizeF(glyph, glyph)),
                 symbol, colour, QFont::Medium);
  painter.restore();
}

void DemoAppIcon::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(painter, QRectF(rect()).center(), symbol_, colour_, palette());
}

DockDemo::DockDemo(QWidget* parent)
    : QWidget(parent), button_(new DemoButton),
      caption_(makeLabel(QString(), 10, QFont::Normal, style::tertiary(palette()))),
      fade_(new QVariantAnimation(this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(8);
  column->addWidget(button_, 0, Qt::AlignHCenter);

  auto* dock =
      new RoundedPanel(19, style::primary(palette(), 0.045), style::primary(palette(), 0.07));
  auto* icons = new QHBoxLayout;
  icons->setContentsMargins(22, 12, 22, 12);
  icons->setSpacing(8);
  icons->addWidget(demoIcon(Symbols::folderFill, style::blue()));
  middleIcon_ = demoIcon(Symbols::safari, style::cyan(), &middleDot_);
  auto* effect = new QGraphicsOpacityEffect(middleIcon_);
  effect->setOpacity(1);
  middleIcon_->setGraphicsEffect(effect);
  icons->addWidget(middleIcon_);
  icons->addWidget(demoIcon(Symbols::noteText, style::orange()));
  dock->column()->addLayout(icons);
  column->addWidget(dock, 0, Qt::AlignHCenter);
  column->addWidget(caption_, 0, Qt::AlignHCenter);

  fade_->setDuration(toggleDuration);
  fade_->setEasingCurve(easeInOut());
  connect(fade_, &QVariantAnimation::valueChanged, this, [this, effect](const QVariant& value) {
    iconOpacity_ = value.toDouble();
    effect->setOpacity(iconOpacity_);
  });
  connect(button_, &QAbstractButton::clicked, this, [this] { toggle(); });
  render();
}

void DockDemo::toggle() {
  dismissed_ = !dismissed_;
  fade_->stop();
  fade_->setStartValue(iconOpacity_);
  fade_->setEndValue(dismissed_ ? dismissedOpacity : 1.0);
  fade_->start();
  render();
}

void DockDemo::render() {
  auto& face = static_cast<DemoButton&>(*button_);
  face.symbol = dismissed_ ? Symbols::arrowCounterclockwise : Symbols::xmark;
  face.update();
  button_->setToolTip(dismissed_ ? QStringLiteral("重置演示") : QStringLiteral("试试退出演示"));
  button_->setAccessibleName(dismissed_ ? QStringLiteral("重置演示")
                                        : QStringLiteral("体验退出演示"));
  middleDot_->setColour(dismissed_ ? QColor(Qt::transparent) : style::secondary(palette()));
  caption_->setText(dismissed_ ? QStringLiteral("演示应用已退出")
                               : QStringLiteral("点击上方 ×，体验一下"));
}

MenuContent::MenuContent(const presentation::MenuContentModel& model,
                         std::optional<double> visibleHeight, QWidget* parent)
    : QScrollArea(parent), settings_(model.settings), permissions_(model.permissions),
      runtime_(model.runtime), visibleHeight_(visibleHeight), contentHeight_(model.contentHeight),
      showWelcome_(model.showWelcome), quit_(model.quit), content_(new QWidget) {
  const QPalette colours = palette();
  auto* column = new QVBoxLayout(content_);
  column->setContentsMargins(20, 20, 20, 20);
  column->setSpacing(18);
  setIdentifier(*content_, "lumivane.menu");

  auto* header = new QHBoxLayout;
  header->setSpacing(10);
  header->addWidget(new SymbolView(Symbols::dockRectangle, 25, style::blue(), QFont::Medium), 0,
                    Qt::AlignVCenter);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(3);
  titles->addWidget(makeLabel(QStringLiteral("Lumivane"), 17, QFont::DemiBold));
  titles->addWidget(makeLabel(QStringLiteral("轻点一下，从容退出"), 11, QFont::Normal,
                              style::secondary(colours)));
  header->addLayout(titles);
  header->addStretch(1);
  dot_ = new Dot(7, style::orange());
  header->addWidget(dot_, 0, Qt::AlignVCenter);
  column->addLayout(header);

  accessibilityNotice_ = permissionNotice(QStringLiteral("还差一步，开启辅助功能"),
                                          QStringLiteral("用于识别 Dock 图标，并响应退出操作。"),
                                          QStringLiteral("前往授权"),
                                          [this] { permissions_->requestAccessibility(); });
  column->addWidget(accessibilityNotice_);
  help_ = new PermissionHelp(permissions_);
  column->addWidget(help_);
  middleNotice_ = permissionNotice(QStringLiteral("中键功能暂不可用"),
                                   QStringLiteral("悬停退出仍可使用。检查输入监控权限后重试。"),
                                   QStringLiteral("检查权限"),
                                   [this] { permissions_->requestInputMonitoring(); });
  column->addWidget(middleNotice_);
  auto* retry = makeButton(QStringLiteral("重新检查"), 11);
  connect(retry, &QPushButton::clicked, this, [this] {
    permissions_->refresh();
    run(runtime_->onRetry);
  });
  retry_ = retry;
  column->addWidget(retry_, 0, Qt::AlignLeft);
  statusLabel_ = new SymbolLabel(Symbols::checkmarkShield, QString(), 11, QFont::Normal,
                                 style::secondary(colours));
  column->addWidget(statusLabel_);

  auto* methods = new QVBoxLayout;
  methods->setSpacing(8);
  methods->addWidget(section(QStringLiteral("退出方式")));
  auto* methodsCard = new Card;
  hoverRow_ = new SettingRow(Symbols::cursorarrow, QStringLiteral("悬停显示退出按钮"),
                             QStringLiteral("停留片刻，点击图标旁的 ×"),
                             {[this] { return settings_->hoverEnabled(); },
                              [this](bool on) { settings_->setHoverEnabled(on); }});
  methodsCard->column()->addWidget(hoverRow_);
  methodsCard->column()->addWidget(Rule::divider(colours, 0.4, 50));
  middleRow_ = new SettingRow(Symbols::computermouse, QStringLiteral("鼠标中键退出"),
                              QStringLiteral("滚轮按键，直接退出应用"),
                              {[this] { return settings_->middleEnabled(); },
                               [this](bool on) { settings_->setMiddleEnabled(on); }});
  methodsCard->column()->addWidget(middleRow_);
  methods->addWidget(methodsCard);
  column->addLayout(methods);

  layout_ = new HoverLayoutSettings(settings_, model.previewEdge);
  column->addWidget(layout_);

  auto* general = new QVBoxLayout;
  general->setSpacing(8);
  general->addWidget(section(QStringLiteral("通用")));
  auto* generalCard = new Card;
  loginRow_ = new SettingRow(
      Symbols::sunrise, QStringLiteral("登录时自动启动"), QStringLiteral("随 Mac 一起准备就绪"),
      {[this] { return settings_->loginEnabled(); }, [this](bool on) { settings_->setLogin(on); }});
  generalCard->column()->addWidget(loginRow_);
  general->addWidget(generalCard);
  auto* approval = makeButton(QStringLiteral("在系统设置中允许登录项"), 11);
  connect(approval, &QPushButton::clicked, this, [this] { settings_->openLoginItemsSettings(); });
  approval_ = approval;
  general->addWidget(approval_, 0, Qt::AlignLeft);
  loginError_ = makeLabel(QString(), 11, QFont::Normal, style::red());
  loginError_->setWordWrap(true);
  general->addWidget(loginError_);
  column->addLayout(general);

  operationStatus_ = new SymbolLabel(Symbols::infoCircle, QString(), 11);
  operationStatus_->setWordWrap(true);
  setIdentifier(*operationStatus_, "lumivane.operation-status");
  column->addWidget(operationStatus_);

  column->addWidget(Rule::divider(colours, 0.5));

  auto* footer = new QHBoxLayout;
  auto* about = makePlainButton(QStringLiteral("使用说明与关于"), 11, style::secondary(colours));
  connect(about, &QPushButton::clicked, this, [this] { run(showWelcome_); });
  footer->addWidget(about);
  footer->addStretch(1);
  auto* quit = makePlainButton(QStringLiteral("退出 Lumivane"), 11, style::secondary(colours));
  connect(quit, &QPushButton::clicked, this, [this] { run(quit_); });
  footer->addWidget(quit);
  column->addLayout(footer);

  content_->setAutoFillBackground(true);
  content_->setBackgroundRole(QPalette::Window);
  setBackgroundRole(QPalette::Window);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWidgetResizable(true);
  setWidget(content_);
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

bool MenuContent::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_ && event->type() == QEvent::LayoutRequest) {
    measureContent();
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
  dot_->setColour(ready ? style::green() : style::orange());
  dot_->setAccessibleName(ready ? QStringLiteral("功能已就绪") : QStringLiteral("需要处理"));

  const bool accessibility = permissions_->accessibility();
  const bool middleUnavailable =
      accessibility && settings_->middleEnabled() && !permissions_->middleAvailable();
  accessibilityNotice_->setVisible(!accessibility);
  help_->setVisible(!accessibility);
  middleNotice_->setVisible(middleUnavailable);
  retry_->setVisible(middleUnavailable);
  statusLabel_->setVisible(accessibility && !middleUnavailable);
  if (runtime_->isSuspended()) {
    statusLabel_->setText(QStringLiteral("已暂停，返回桌面后恢复"));
  } else if (settings_->hoverEnabled() || settings_->middleEnabled()) {
    statusLabel_->setText(QStringLiteral("已就绪 · 只发送正常退出请求"));
  } else {
    statusLabel_->setText(QStringLiteral("已暂停 · 两种退出方式均已关闭"));
  }
  statusLabel_->setSymbol(runtime_->isSuspended() ? Symbols::pauseCircle
                                                  : Symbols::checkmarkShield);

  hoverRow_->refresh();
  middleRow_->refresh();
  loginRow_->refresh();
  approval_->setVisible(settings_->loginNeedsApproval());
  const auto& loginError = settings_->loginError();
  loginError_->setVisible(loginError.has_value());
  loginError_->setText(loginError ? qtext(*loginError) : QString());

  const std::string& message = runtime_->message();
  operationStatus_->setVisible(!message.empty());
  operationStatus_->setText(qtext(message));
  operationStatus_->setSymbol(runtime_->isError() ? Symbols::exclamationmarkCircle
                                                  : Symbols::infoCircle);
  operationStatus_->setColour(runtime_->isError() ? style::orange() : style::secondary(palette()));
}

QWidget* MenuContent::permissionNotice(const QString& title, const QString& detail,
                                       const QString& action, std::function<void()> perform) {
  auto* notice = new RoundedPanel(10, [] {
    QColor tint = style::blue();
    tint.setAlphaF(0.07f);
    return tint;
  }());
  auto* column = notice->column();
  column->setContentsMargins(12, 12, 12, 12);
  column->setSpacing(8);
  column->addWidget(new SymbolLabel(Symbols::handRaised, title, 12, QFont::Medium));
  auto* detailLabel = makeLabel(detail, 11, QFont::Normal, style::secondary(palette()));
  detailLabel->setWordWrap(true);
  column->addWidget(detailLabel);
  auto* button = makeProminentButton(action, false);
  connect(button, &QPushButton::clicked, this, [perform = std::move(perform)] { perform(); });
  column->addWidget(button, 0, Qt::AlignLeft);
  return notice;
}

QLabel* MenuContent::section(const QString& title) {
  auto* label = makeLabel(title, 11, QFont::DemiBold, style::secondary(palette()));
  label->setContentsMargins(4, 0, 0, 0);
  return label;
}

WelcomeContent::WelcomeContent(const presentation::WelcomeContentModel& model, QWidget* parent)
    : QWidget(parent), permissions_(model.permissions), close_(model.close) {
  const QPalette colours = palette();
  setFixedWidth(contentWidth);
  setIdentifier(*this, "lumivane.welcome");
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Window);
  setFocusPolicy(Qt::StrongFocus);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* header = new QHBoxLayout;
  header->setContentsMargins(28, 24, 28, 0);
  header->addWidget(new SymbolLabel(Symbols::dockRectangle, QStringLiteral("Lumivane"), 13,
                                    QFont::DemiBold, style::secondary(colours)));
  header->addStretch(1);
  header->addWidget(makeLabel(QStringLiteral("为你的 Dock，少一步操作"), 11, QFont::Normal,
                              style::tertiary(colours)));
  column->addLayout(header);

  auto* title = new QVBoxLayout;
  title->setContentsMargins(0, 28, 0, 0);
  title->setSpacing(6);
  title->addWidget(makeLabel(QStringLiteral("退出应用，顺手一点。"), 29, QFont::DemiBold), 0,
                   Qt::AlignHCenter);
  title->addWidget(makeLabel(QStringLiteral("保留熟悉的 Dock，让每一次退出更简单。"), 13,
                             QFont::Normal, style::secondary(colours)),
                   0, Qt::AlignHCenter);
  column->addLayout(title);

  auto* demo = new QVBoxLayout;
  demo->setContentsMargins(0, 26, 0, 24);
  demo->addWidget(new DockDemo, 0, Qt::AlignHCenter);
  column->addLayout(demo);

  auto* methods = new QHBoxLayout;
  methods->setContentsMargins(28, 0, 28, 0);
  methods->setSpacing(16);
  methods->addWidget(method(Symbols::cursorarrow, QStringLiteral("悬停，轻点 ×"),
                            QStringLiteral("在运行中的图标上停留片刻，\n点击出现的退出按钮。")),
                     1, Qt::AlignTop);
  methods->addWidget(new Rule(Qt::Vertical, style::primary(colours, 0.08), 0, 62), 0, Qt::AlignTop);
  methods->addWidget(method(Symbols::computermouse, QStringLiteral("中键，一步退出"),
                            QStringLiteral("用鼠标滚轮按键点击图标，\n无需等待，也不必切换应用。")),
                     1, Qt::AlignTop);
  column->addLayout(methods);

  auto* privacyOuter = new QVBoxLayout;
  privacyOuter->setContentsMargins(28, 24, 28, 0);
  auto* privacy = new RoundedPanel(10, style::primary(colours, 0.035));
  privacy->column()->setContentsMargins(16, 16, 16, 16);
  privacy->column()->setSpacing(10);
  auto* state = new QHBoxLayout;
  state->setSpacing(10);
  permissionSymbol_ = new SymbolView(Symbols::handRaisedFill, 20, style::blue());
  state->addWidget(permissionSymbol_, 0, Qt::AlignVCenter);
  auto* stateTexts = new QVBoxLayout;
  stateTexts->setSpacing(4);
  permissionTitle_ = makeLabel(QString(), 13, QFont::Medium);
  stateTexts->addWidget(permissionTitle_);
  stateTexts->addWidget(makeLabel(QStringLiteral("仅用于识别 Dock 和处理鼠标退出操作。"), 11,
                                  QFont::Normal, style::secondary(colours)));
  state->addLayout(stateTexts, 1);
  privacy->column()->addLayout(state);
  privacy->column()->addWidget(new Paragraph(
      QStringLiteral("不读取窗口内容，不记录键盘，不上传数据。未保存的文档仍由原应用提醒保存。"),
      style::font(11), style::secondary(colours), 3));
  help_ = new PermissionHelp(permissions_);
  privacy->column()->addWidget(help_);
  privacyOuter->addWidget(privacy);
  column->addLayout(privacyOuter);

  auto* footer = new QHBoxLayout;
  footer->setContentsMargins(28, 28, 28, 28);
  footer->setSpacing(10);
  footer->addWidget(makeLabel(QStringLiteral("v1.0.0 · 完全本地运行"), 10, QFont::Normal,
                              style::tertiary(colours)),
                    0, Qt::AlignVCenter);
  footer->addStretch(1);
  auto* later = makePlainButton(QStringLiteral("稍后设置"), 12, style::secondary(colours));
  connect(later, &QPushButton::clicked, this, [this] { close(); });
  later_ = later;
  footer->addWidget(later_, 0, Qt::AlignVCenter);
  auto* openSettings = makeProminentButton(QStringLiteral("打开辅助功能设置"), true);
  connect(openSettings, &QPushButton::clicked, this,
          [this] { permissions_->requestAccessibility(); });
  openSettings_ = openSettings;
  footer->addWidget(openSettings_, 0, Qt::AlignVCenter);
  start_ = makeProminentButton(QStringLiteral("开始使用"), true);
  start_->setDefault(true);
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
  permissionSymbol_->setSymbol(granted ? Symbols::checkmarkShieldFill : Symbols::handRaisedFill);
  permissionSymbol_->setColour(granted ? style::green() : style::blue());
  permissionTitle_->setText(granted ? QStringLiteral("辅助功能已授权")
                                    : QStringLiteral("开启辅助功能，即可开始"));
  help_->setVisible(!granted);
  later_->setVisible(!granted);
  openSettings_->setVisible(!granted);
  start_->setVisible(granted);
}

void WelcomeContent::close() {
  run(close_);
}

QWidget* WelcomeContent::method(std::string_view symbol, const QString& title,
                                const QString& detail) {
  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  column->addWidget(new SymbolLabel(symbol, title, 13, QFont::DemiBold));
  column->addWidget(makeLabel(detail, 11, QFont::Normal, style::secondary(palette())));
  column->addStretch(1);
  return box;
}

} // namespace lumivane::shell
