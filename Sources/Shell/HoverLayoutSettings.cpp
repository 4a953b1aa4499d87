#include "Shell/HoverLayoutSettings.hpp"

#include "Lumivane/SettingsManager.hpp"
#include "Lumivane/Texts.hpp"
#include "Shell/Accessibility.hpp"
#include "Shell/Card.hpp"
#include "Shell/Controls.hpp"
#include "Shell/DemoAppIcon.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>
#include <array>

namespace lumivane::shell {

namespace {

QRectF qrect(const Rect& rect) {
  return QRectF(rect.x, rect.y, rect.width, rect.height);
}

QPointF centre(const Rect& rect) {
  return QPointF(rect.midX(), rect.midY());
}

constexpr std::array distanceTitles = {"贴近", "标准", "宽松"};
constexpr std::array edgeTitles = {"底部", "左侧", "右侧"};

template <typename Value, std::size_t count>
int indexOf(const Value (&values)[count], Value value) {
  for (std::size_t index = 0; index < count; ++index) {
    if (values[index] == value) {
      return static_cast<int>(index);
    }
  }
  return 0;
}

// A labelled picker row: the label on the leading side, the control on the trailing one. The
// label names the control for assistive technologies (its buddy).
QHBoxLayout* pickerRow(const QString& label, QWidget* control) {
  auto* row = new QHBoxLayout;
  row->setSpacing(8);
  QLabel* title = makeLabel(label, 12);
  title->setBuddy(control);
  row->addWidget(title);
  row->addStretch(1);
  row->addWidget(control);
  return row;
}

QComboBox* picker(std::size_t count) {
  auto* box = new QComboBox;
  box->setFont(style::font(12));
  for (std::size_t index = 0; index < count; ++index) {
    box->addItem(QString());
  }
  return box;
}

} // namespace

HoverLayoutPreview::HoverLayoutPreview(const HoverLayoutOptions& options, DockEdge edge,
                                       const Rect& canvas, QWidget* parent)
    : QWidget(parent), options_(options), edge_(edge), canvas_(canvas) {
  setFixedSize(static_cast<int>(canvas.absWidth()), static_cast<int>(canvas.absHeight()));
  setPreview(options, edge);
}

void HoverLayoutPreview::setPreview(const HoverLayoutOptions& options, DockEdge edge) {
  options_ = options;
  edge_ = edge;
  placement_ = HoverLayout::placement(iconFrame(edge), edge, canvas_, options, {});
  if (!placement_) {
    accessibility::presentAsImage(*this, QStringLiteral("空间不足，退出按钮将隐藏"));
  } else if (placement_->usedFallback) {
    accessibility::presentAsImage(*this, QStringLiteral("空间不足，预览采用自动位置"));
  } else {
    accessibility::presentAsImage(*this, QStringLiteral("退出按钮位置示意"));
  }
  update();
}

Rect HoverLayoutPreview::iconFrame(DockEdge edge) {
  switch (edge) {
  case DockEdge::left:
    return {8, 70, 50, 50};
  case DockEdge::right:
    return {230, 70, 50, 50};
  case DockEdge::bottom:
    break;
  }
  return {119, 132, 50, 50};
}

Rect HoverLayoutPreview::dockBarFrame(DockEdge edge) {
  switch (edge) {
  case DockEdge::left:
    return {0, 16, 64, 158};
  case DockEdge::right:
    return {224, 16, 64, 158};
  case DockEdge::bottom:
    break;
  }
  return {62, 126, 164, 64};
}

Point HoverLayoutPreview::nameLabelCentre(DockEdge edge) {
  const Rect icon = iconFrame(edge);
  switch (edge) {
  case DockEdge::left:
    return {icon.maxX() + 49, icon.midY()};
  case DockEdge::right:
    return {icon.minX() - 49, icon.midY()};
  case DockEdge::bottom:
    break;
  }
  return {icon.midX(), icon.minY() - 5 - 18};
}

QString HoverLayoutPreview::caption() const {
  return placement_ && placement_->usedFallback ? QStringLiteral("空间不足，采用自动位置")
                                                : QString();
}

void HoverLayoutPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(-canvas_.minX(), -canvas_.minY());
  const QPalette& colours = palette();
  painter.setPen(Qt::NoPen);

  painter.setBrush(style::primary(colours, 0.025));
  painter.drawRoundedRect(qrect(standardized(canvas_)), 8, 8);

  painter.setBrush(style::primary(colours, 0.045));
  painter.drawRoundedRect(qrect(dockBarFrame(edge_)), 12, 12);

  DemoAppIcon::paint(painter, centre(iconFrame(edge_)), symbols::safari,
                     style::Ink::of(style::Ink::Role::cyan), colours);

  const QString name = QStringLiteral("演示应用");
  const QFont nameFont = style::font(11);
  const double nameWidth = QFontMetricsF(nameFont).horizontalAdvance(name) + 20;
  const Point labelCentre = nameLabelCentre(edge_);
  const QRectF nameTag(labelCentre.x - nameWidth / 2, labelCentre.y - 13, nameWidth, 26);
  painter.setBrush(style::controlBackground(colours));
  painter.drawRoundedRect(nameTag, 6, 6);
  painter.setFont(nameFont);
  painter.setPen(style::primary(colours));
  painter.drawText(nameTag, Qt::AlignCenter, name);

  if (placement_) {
    const QPointF mark = centre(placement_->frame);
    paintRoundButton(painter, QRectF(mark - QPointF(14, 14), QSizeF(28, 28)), symbols::xmark, 12,
                     colours, std::nullopt);
  }

  const QString note = caption();
  if (!note.isEmpty()) {
    painter.setFont(style::font(10));
    painter.setPen(style::secondary(colours));
    painter.drawText(qrect(standardized(canvas_)).adjusted(0, 0, 0, -4),
                     Qt::AlignHCenter | Qt::AlignBottom, note);
  }
}

HoverLayoutSettings::HoverLayoutSettings(std::shared_ptr<SettingsManager> settings, DockEdge edge,
                                         QWidget* parent)
    : QWidget(parent), settings_(std::move(settings)), edge_(edge) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* card = new Card;
  badge_ = makeLabel(QString(), 11, QFont::Normal, style::Ink::secondary());
  const QString title = QStringLiteral("退出按钮布局");
  disclosure_ =
      new Disclosure(title, disclosureTitle(title, badge_), controls(), QMargins(14, 12, 14, 12));
  disclosure_->onExpandedChange = [this](bool expanded) {
    if (expanded && onExpand) {
      onExpand();
    }
  };
  card->column()->addWidget(disclosure_);
  outer->addWidget(card);

  observation_ = settings_->observe([this] { render(); });
  render();
}

HoverLayoutSettings::~HoverLayoutSettings() {
  settings_->removeObserver(observation_);
}

QWidget* HoverLayoutSettings::controls() {
  auto* box = new QWidget;
  box->setFont(style::font(12));
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(14, 2, 14, 14);
  column->setSpacing(12);

  position_ = picker(std::size(allHoverPositions));
  accessibility::setIdentifier(*position_, "lumivane.hover-position");
  connect(position_, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || index >= static_cast<int>(std::size(allHoverPositions))) {
      return;
    }
    HoverLayoutOptions layout = settings_->hoverLayout();
    layout.position = allHoverPositions[index];
    choose(layout);
  });
  column->addLayout(pickerRow(QStringLiteral("位置偏好"), position_));

  distance_ = picker(distanceTitles.size());
  for (std::size_t index = 0; index < distanceTitles.size(); ++index) {
    distance_->setItemText(static_cast<int>(index), QString::fromUtf8(distanceTitles[index]));
  }
  accessibility::setIdentifier(*distance_, "lumivane.hover-distance");
  connect(distance_, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || index >= static_cast<int>(std::size(allHoverDistances))) {
      return;
    }
    HoverLayoutOptions layout = settings_->hoverLayout();
    layout.distance = allHoverDistances[index];
    choose(layout);
  });
  column->addLayout(pickerRow(QStringLiteral("距离"), distance_));

  column->addWidget(Rule::divider(0.4));

  // A tab bar is the stock control the Mac's style draws as a segmented control.
  edges_ = new QTabBar;
  edges_->setFont(style::font(12));
  edges_->setDrawBase(false);
  edges_->setExpanding(false);
  edges_->setUsesScrollButtons(false);
  for (const char* title : edgeTitles) {
    edges_->addTab(QString::fromUtf8(title));
  }
  edges_->setCurrentIndex(indexOf(allDockEdges, edge_));
  accessibility::setIdentifier(*edges_, "lumivane.preview-edge");
  connect(edges_, &QTabBar::currentChanged, this, [this](int index) {
    if (index < 0 || index >= static_cast<int>(std::size(allDockEdges))) {
      return;
    }
    edge_ = allDockEdges[index];
    render();
  });
  column->addLayout(pickerRow(QStringLiteral("预览 Dock"), edges_));

  preview_ = new HoverLayoutPreview(settings_->hoverLayout(), edge_);
  column->addWidget(preview_, 0, Qt::AlignHCenter);

  auto* note = makeLabel(
      QStringLiteral("仅示意；不会退出应用或改变 Dock。空间不足时自动避让，重新悬停后生效。"), 10,
      QFont::Normal, style::Ink::secondary());
  note->setWordWrap(true);
  column->addWidget(note);

  auto* footer = new QHBoxLayout;
  hoverOff_ = makeLabel(QStringLiteral("悬停已关闭，布局偏好仍会保留"), 11, QFont::Normal,
                        style::Ink::secondary());
  footer->addWidget(hoverOff_);
  footer->addStretch(1);
  reset_ = makeButton(QStringLiteral("恢复默认"), ControlSize::small);
  accessibility::setIdentifier(*reset_, "lumivane.reset-layout");
  connect(reset_, &QPushButton::clicked, this, [this] { choose(HoverLayoutOptions::defaults); });
  footer->addWidget(reset_);
  column->addLayout(footer);
  return box;
}

bool HoverLayoutSettings::isExpanded() const {
  return disclosure_->isExpanded();
}

void HoverLayoutSettings::setExpanded(bool expanded) {
  disclosure_->setExpanded(expanded);
}

void HoverLayoutSettings::choose(const HoverLayoutOptions& layout) {
  settings_->setHoverLayout(layout);
  // The store publishes only a change; show the stored value either way.
  render();
}

void HoverLayoutSettings::render() {
  const HoverLayoutOptions& layout = settings_->hoverLayout();
  const bool isDefault = layout == HoverLayoutOptions::defaults;
  badge_->setText(isDefault ? QStringLiteral("默认") : QStringLiteral("自定"));
  {
    const QSignalBlocker positionBlocker(position_);
    const QSignalBlocker distanceBlocker(distance_);
    const QSignalBlocker edgesBlocker(edges_);
    // The positions are named as they look on the edge the preview shows.
    for (std::size_t index = 0; index < std::size(allHoverPositions); ++index) {
      position_->setItemText(static_cast<int>(index),
                             qtext(texts::positionTitle(allHoverPositions[index], edge_)));
    }
    position_->setCurrentIndex(indexOf(allHoverPositions, layout.position));
    distance_->setCurrentIndex(indexOf(allHoverDistances, layout.distance));
    edges_->setCurrentIndex(indexOf(allDockEdges, edge_));
  }
  preview_->setPreview(layout, edge_);
  hoverOff_->setVisible(!settings_->hoverEnabled());
  // A focused button that goes disabled hands the focus on to the next control, and the popover
  // scrolls that one into view; the picker it reset keeps it in place instead.
  if (isDefault && reset_->hasFocus()) {
    position_->setFocus(Qt::OtherFocusReason);
  }
  reset_->setEnabled(!isDefault);
}

} // namespace lumivane::shell
