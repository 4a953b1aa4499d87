#include "Shell/Popover.hpp"

#include "Shell/MenuContent.hpp"
#include "Shell/NativeWindow.hpp"
#include "Shell/QtWindows.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/StatusItem.hpp"
#include "Shell/Style.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>

namespace lumivane::shell {

namespace {

QPainterPath roundedCard(const QRectF& card) {
  QPainterPath path;
  path.addRoundedRect(card, PopoverChrome::cornerRadius, PopoverChrome::cornerRadius);
  return path;
}

// Lies over the whole window, above the content, and cuts the card's corners out of whatever the
// content drew there (with the window's alpha, so the cut is smooth), then draws the outline.
class CornerMask : public QWidget {
public:
  QRectF card;

  explicit CornerMask(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outside;
    outside.addRect(QRectF(rect()));
    const QPainterPath inside = roundedCard(card);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.fillPath(outside.subtracted(inside).intersected(cornerBoxes()), Qt::black);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(style::primary(palette(), 0.12), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedCard(card.adjusted(0.5, 0.5, -0.5, -0.5)));
  }

private:
  // Only the corners are cut: the shadow around the card stays.
  QPainterPath cornerBoxes() const {
    const double side = PopoverChrome::cornerRadius + 1;
    QPainterPath boxes;
    for (const QPointF& corner :
         {card.topLeft(), card.topRight() - QPointF(side, 0), card.bottomLeft() - QPointF(0, side),
          card.bottomRight() - QPointF(side, side)}) {
      boxes.addRect(QRectF(corner, QSizeF(side, side)));
    }
    return boxes;
  }
};

// Whether `widget` belongs to `window`, including pop-ups of its own (a picker's list).
bool belongsTo(const QWidget* widget, const QWidget* window) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    if (widget == window) {
      return true;
    }
  }
  return false;
}

} // namespace

QRectF PopoverChrome::cardFrame(const QRectF& anchor, const QSizeF& size,
                                const std::optional<ScreenArea>& screen) {
  double x = anchor.center().x() - size.width() / 2;
  double y = anchor.bottom() + anchorGap;
  if (screen) {
    const double left = screen->frame.left() + screenMargin;
    const double right = screen->frame.right() - screenMargin;
    x = std::clamp(x, left, std::max(left, right - size.width()));
    y = std::max(y, screen->visible.top());
  }
  return QRectF(QPointF(x, y), size);
}

// The pop-up window: a tool window, so that it can become key (a pop-up window cannot).
class Popover::Window : public QWidget {
public:
  std::function<void()> didClose;
  QRectF anchor; // the status item, Qt global space
  StatusButton* highlighted = nullptr;

  Window() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    // This class closes the popover when Lumivane deactivates; AppKit must not hide it unseen.
    setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    mask_ = new CornerMask(this);
    // The native window exists from here on, so the system chrome can be asked for.
    winId();
    systemChrome_ = native::configurePopover(*this, PopoverChrome::cornerRadius);
    const int margin = this->margin();
    layout->setContentsMargins(margin, margin, margin, margin);
  }

  int margin() const { return systemChrome_ ? 0 : PopoverChrome::shadowMargin; }
  QRect card() const { return rect().adjusted(margin(), margin(), -margin(), -margin()); }

  // Closes, as a transient popover does on a press elsewhere.
  void dismiss() { close(); }

protected:
  void paintEvent(QPaintEvent*) override {
    if (systemChrome_) {
      return; // the system's material and shadow are under the clear content
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A soft shadow: layers that widen and fade, a little below the card.
    const QRectF card = QRectF(this->card());
    constexpr int layers = PopoverChrome::shadowMargin - 4;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, style::isDark(palette()) ? 9 : 5));
    for (int layer = layers; layer > 0; --layer) {
      const QRectF spread = card.translated(0, 3).adjusted(-layer, -layer, layer, layer);
      painter.drawRoundedRect(spread, PopoverChrome::cornerRadius + layer,
                              PopoverChrome::cornerRadius + layer);
    }
    painter.setBrush(style::windowBackground(palette()));
    painter.drawPath(roundedCard(card));
  }

  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    mask_->setGeometry(rect());
    mask_->card = QRectF(card());
    mask_->raise();
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      dismiss();
      return;
    }
    QWidget::keyPressEvent(event);
  }

  bool event(QEvent* event) override {
    // Another of our windows became key: the popover gives way, as a transient one does.
    if (event->type() == QEvent::WindowDeactivate && isVisible()) {
      QWidget* active = QApplication::activeWindow();
      if (active != nullptr && active != this && !belongsTo(active, this)) {
        dismiss();
      }
    }
    return QWidget::event(event);
  }

  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    mask_->raise();
    qApp->installEventFilter(this);
    stateWatch_ = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                          [this](Qt::ApplicationState state) {
                            if (state != Qt::ApplicationActive) {
                              dismiss();
                            }
                          });
    otherApplications_ = native::watchClicksInOtherApplications([this] { dismiss(); });
  }

  void hideEvent(QHideEvent* event) override {
    QWidget::hideEvent(event);
    qApp->removeEventFilter(this);
    disconnect(stateWatch_);
    otherApplications_.reset();
    if (highlighted != nullptr) {
      highlighted->setHighlighted(false);
      highlighted = nullptr;
    }
    if (didClose) {
      const auto callback = didClose;
      callback();
    }
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool press =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    // A pop-up of Qt's own (a picker's list) handles presses outside itself first.
    if (press && watched->isWidgetType() && QApplication::activePopupWidget() == nullptr &&
        !belongsTo(static_cast<QWidget*>(watched), this)) {
      const QPointF global = static_cast<QMouseEvent*>(event)->globalPosition();
      dismiss();
      // The press on the status item that closes the popover must not open it again.
      return anchor.contains(global);
    }
    return QWidget::eventFilter(watched, event);
  }

private:
  CornerMask* mask_;
  bool systemChrome_ = false;
  QMetaObject::Connection stateWatch_;
  std::unique_ptr<native::ClickWatch> otherApplications_;
};

Popover::Popover(const ScreenSpace& space) : space_(space), window_(std::make_unique<Window>()) {}

Popover::~Popover() {
  // Closing now must not call back into a coordinator that is being torn down.
  window_->didClose = nullptr;
  window_->highlighted = nullptr;
}

QWidget& Popover::window() const {
  return *window_;
}

QRect Popover::cardGeometry() const {
  return window_->card().translated(window_->geometry().topLeft());
}

void Popover::configure(std::function<void()> didClose) {
  window_->didClose = std::move(didClose);
}

bool Popover::isShown() {
  return window_->isVisible();
}

void Popover::performClose() {
  window_->close();
}

void Popover::setContent(std::shared_ptr<presentation::ViewController> content) {
  if (const auto* previous = dynamic_cast<const WidgetController*>(content_.get())) {
    if (QWidget* widget = previous->widget()) {
      window_->layout()->removeWidget(widget);
      widget->hide();
    }
  }
  content_ = std::move(content);
  if (const auto* next = dynamic_cast<const WidgetController*>(content_.get())) {
    if (QWidget* widget = next->widget()) {
      window_->layout()->addWidget(widget);
      widget->show();
    }
  }
}

void Popover::show(presentation::StatusItem& anchor) {
  window_->anchor = space_.toGlobal(anchor.buttonScreenFrame());
  // The display whose menu bar holds the status item (else the primary one), and its height
  // limit for the content.
  const std::vector<ScreenArea> screens = space_.screens();
  std::optional<ScreenArea> screen = screenUnder(window_->anchor, screens);
  if (!screen && !screens.empty()) {
    screen = screens.front();
  }
  if (const auto* current = dynamic_cast<const WidgetController*>(content_.get())) {
    if (auto* menu = qobject_cast<MenuContent*>(current->widget())) {
      menu->setVisibleHeight(screen ? std::optional<double>(screen->visible.height())
                                    : std::nullopt);
    }
  }
  window_->adjustSize();
  const QSizeF card = QSizeF(window_->card().size());
  const QRectF frame = PopoverChrome::cardFrame(window_->anchor, card, screen);
  const int margin = window_->margin();
  window_->move(frame.topLeft().toPoint() - QPoint(margin, margin));
  window_->show();
  space_.orderFront(*window_);
  if (auto* button = dynamic_cast<StatusButton*>(&anchor)) {
    button->setHighlighted(true);
    window_->highlighted = button;
  }
}

void Popover::makeContentKey() {
  window_->activateWindow();
  if (const auto* current = dynamic_cast<const WidgetController*>(content_.get())) {
    if (QWidget* widget = current->widget()) {
      widget->setFocus(Qt::ActiveWindowFocusReason);
    }
  }
}

} // namespace lumivane::shell
