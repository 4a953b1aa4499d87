#include "Shell/QtWindows.hpp"

#include "Shell/DiagnosticsContent.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/NativeWindow.hpp"
#include "Shell/OverlayPanel.hpp"
#include "Shell/Popover.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/StatusItem.hpp"
#include "Shell/Text.hpp"
#include "Shell/WelcomeContent.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace lumivane::shell {

namespace {

// Every item belongs in macOS's one application menu, so that the system shows ours and not a
// second, Qt's own, beside it: the standard items take their places, the others follow as
// application-specific items. Elsewhere the roles change nothing.
QAction::MenuRole menuRole(const presentation::MenuItem& item) {
  using Role = presentation::MenuItem::Role;
  switch (item.role) {
  case Role::about:
    return QAction::AboutRole;
  case Role::preferences:
    return QAction::PreferencesRole;
  case Role::quit:
    return QAction::QuitRole;
  case Role::none:
    break;
  }
  return QAction::ApplicationSpecificRole;
}

QWidget* widgetOf(const std::shared_ptr<presentation::ViewController>& content) {
  const auto* controller = dynamic_cast<const WidgetController*>(content.get());
  return controller != nullptr ? controller->widget() : nullptr;
}

} // namespace

WidgetController::WidgetController(QWidget* widget) : widget_(widget) {}

WidgetController::~WidgetController() {
  if (widget_) {
    widget_->hide();
    widget_->deleteLater();
  }
}

QRect WindowFit::contentGeometry(const QSize& content, const QMargins& frame, const QRect& area,
                                 int scrollBarWidth) {
  const int height = std::min(content.height(), area.height() - frame.top() - frame.bottom());
  const int width = std::min(content.width() + (height < content.height() ? scrollBarWidth : 0),
                             area.width() - frame.left() - frame.right());
  const int outerWidth = width + frame.left() + frame.right();
  const int outerHeight = height + frame.top() + frame.bottom();
  const int x = area.left() + std::max(0, (area.width() - outerWidth) / 2) + frame.left();
  const int y = area.top() + std::max(0, (area.height() - outerHeight) / 2) + frame.top();
  return QRect(x, y, std::max(1, width), std::max(1, height));
}

// The window itself: the content in a scroll view that scrolls only when the content is taller
// than the display holds. Its close event tells the delegate; dragging its background moves it
// when the style asks for that and the window system does not do it itself.
class QtWindow::Frame : public QWidget {
public:
  std::function<void()> willClose;
  bool movableByBackground = false;
  // The visible area the window must stay within; absent without a screen.
  std::function<std::optional<QRect>()> area;

  Frame()
      : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
        scroll_(new QScrollArea) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->viewport()->setAutoFillBackground(false);
    layout->addWidget(scroll_);
  }

  QScrollArea& scroll() const { return *scroll_; }

  void setContent(QWidget* content) {
    content_ = content;
    scroll_->setWidget(content);
    content->show();
    content->installEventFilter(this);
    // A content that sets its own height (the menu content) reports it to the viewport.
    scroll_->viewport()->installEventFilter(this);
    setFocusProxy(content);
  }

  // Sizes the window to its content as far as the visible area holds it. `centre` places it in
  // the middle of the area; otherwise it keeps its place, moved back inside the area.
  void fit(bool centre) {
    if (!area) {
      return; // released: the frame only waits for its deletion
    }
    const QSize natural = naturalSize();
    const std::optional<QRect> visible = area();
    if (!visible) {
      setFixedSize(natural);
      return;
    }
    const QMargins frame = frameMargins();
    const QRect centred = WindowFit::contentGeometry(
        natural, frame, *visible, scroll_->verticalScrollBar()->sizeHint().width());
    setFixedSize(centred.size());
    if (centre) {
      move(centred.topLeft() - QPoint(frame.left(), frame.top()));
      return;
    }
    const QRect outer = frameGeometry();
    const int x = std::clamp(outer.left(), visible->left(),
                             std::max(visible->left(), visible->right() + 1 - outer.width()));
    const int y = std::clamp(outer.top(), visible->top(),
                             std::max(visible->top(), visible->bottom() + 1 - outer.height()));
    move(x, y);
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The content changed its size (a row appeared, the menu content measured itself).
    if ((watched == content_ || watched == scroll_->viewport()) &&
        event->type() == QEvent::LayoutRequest && !fitting_) {
      fitting_ = true;
      fit(/*centre=*/false);
      fitting_ = false;
    }
    return QWidget::eventFilter(watched, event);
  }

  void closeEvent(QCloseEvent* event) override {
    event->accept();
    if (willClose) {
      // The delegate usually releases this window here; the frame itself is deleted later.
      const auto callback = willClose;
      callback();
    }
  }

  void mousePressEvent(QMouseEvent* event) override {
    dragOrigin_ = event->globalPosition() - QPointF(pos());
    QWidget::mousePressEvent(event);
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (movableByBackground && (event->buttons() & Qt::LeftButton)) {
      move((event->globalPosition() - dragOrigin_).toPoint());
    }
    QWidget::mouseMoveEvent(event);
  }

private:
  QSize naturalSize() const {
    if (content_ == nullptr) {
      return QSize(1, 1);
    }
    const QSize hint = content_->sizeHint().expandedTo(content_->minimumSizeHint());
    const int width = std::max(hint.width(), content_->minimumWidth());
    // The size hint's height is for the hint's own width; content whose height follows its
    // width (wrapping text) is as tall as it is at the width it gets, and no taller.
    const int height = content_->hasHeightForWidth() ? content_->heightForWidth(width) : -1;
    return QSize(width, std::max(height > 0 ? height : hint.height(), content_->minimumHeight()));
  }

  QMargins frameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
  }

  QScrollArea* scroll_;
  QPointer<QWidget> content_;
  bool fitting_ = false;
  QPointF dragOrigin_;
};

QtWindow::QtWindow(const presentation::WindowStyle& style,
                   std::shared_ptr<presentation::ViewController> content, const ScreenSpace& space)
    : space_(space), content_(std::move(content)), frame_(new Frame) {
  frame_->setWindowTitle(qtext(style.title));
  frame_->area = [&space] {
    const auto area = space.mainVisibleArea();
    return area ? std::optional<QRect>(area->toAlignedRect()) : std::nullopt;
  };
  if (QWidget* widget = widgetOf(content_)) {
    frame_->setContent(widget);
  }
  // The native window exists from here on; where the window system moves windows by their
  // background itself, the frame leaves that to it.
  frame_->winId();
  const bool native = native::configureWindow(*frame_, style);
  frame_->movableByBackground = style.movableByBackground && !native;
  frame_->fit(/*centre=*/false);
}

QtWindow::~QtWindow() {
  if (frame_) {
    frame_->willClose = nullptr;
    // The frame is deleted later, and the screen space may go before it.
    frame_->area = nullptr;
    frame_->hide();
    frame_->deleteLater();
  }
}

QWidget& QtWindow::widget() const {
  return *frame_;
}

void QtWindow::center() {
  frame_->fit(/*centre=*/true);
}

void QtWindow::makeKeyAndOrderFront() {
  frame_->show();
  space_.orderFront(*frame_);
  frame_->activateWindow();
}

QScrollArea& QtWindow::scrollArea() const {
  return frame_->scroll();
}

void QtWindow::performClose() {
  frame_->close();
}

bool QtWindow::isVisible() {
  return frame_->isVisible();
}

void QtWindow::setWillClose(std::function<void()> willClose) {
  frame_->willClose = std::move(willClose);
}

QtWindows::QtWindows(ScreenSpace& space) : space_(space) {}

QtWindows::~QtWindows() = default;

void QtWindows::setActivationPolicy(platform::ActivationPolicy policy) {
  native::setActivationPolicy(policy);
}

void QtWindows::activateIgnoringOtherApps() {
  space_.activateIgnoringOtherApps();
  // Activating an application brings its windows forward.
  for (const auto& window : windows_) {
    if (window && window->isVisible()) {
      space_.orderFront(*window);
    }
  }
}

void QtWindows::setApplicationMenu(std::string_view title,
                                   std::vector<presentation::MenuItem> items) {
  // A menu bar without a parent is the global menu bar on macOS and never shown elsewhere; the
  // key equivalents then work through the actions added to each window (Ctrl stands for Command).
  menuBar_ = std::make_unique<QMenuBar>();
  menu_ = menuBar_->addMenu(qtext(title));
  for (auto& item : items) {
    if (item.action == presentation::MenuItem::Action::separator) {
      menu_->addSeparator();
      continue;
    }
    QAction* action = menu_->addAction(qtext(item.title));
    action->setMenuRole(menuRole(item));
    if (!item.keyEquivalent.empty()) {
      action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + qtext(item.keyEquivalent)));
    }
    switch (item.action) {
    case presentation::MenuItem::Action::custom:
      QObject::connect(action, &QAction::triggered, menu_, [perform = std::move(item.perform)] {
        if (perform) {
          perform();
        }
      });
      break;
    case presentation::MenuItem::Action::performClose:
      QObject::connect(action, &QAction::triggered, menu_, [this] { closeActiveWindow(); });
      break;
    case presentation::MenuItem::Action::terminate:
      QObject::connect(action, &QAction::triggered, menu_, [this] { terminate(); });
      break;
    case presentation::MenuItem::Action::separator:
      break;
    }
  }
  for (const auto& window : windows_) {
    if (window) {
      window->addActions(menu_->actions());
    }
  }
}

void QtWindows::terminate() {
  QCoreApplication::quit();
}

bool QtWindows::hasVisibleWindows() {
  return std::any_of(windows_.begin(), windows_.end(),
                     [](const QPointer<QWidget>& window) { return window && window->isVisible(); });
}

std::unique_ptr<presentation::OverlayPanel> QtWindows::createOverlayPanel(const Rect& contentRect) {
  // Not one of the windows that activation brings forward, that count as visible windows or
  // that take the menu's key equivalents: the × shows only while the hover shows it, and it
  // never becomes key.
  return std::make_unique<OverlayPanel>(space_, contentRect);
}

std::unique_ptr<presentation::StatusItem> QtWindows::createStatusItem() {
  auto button = space_.createStatusItem();
  if (!button) {
    return nullptr;
  }
  return std::make_unique<DescribedStatusButton>(std::move(button));
}

std::unique_ptr<presentation::Popover> QtWindows::createPopover() {
  auto popover = std::make_unique<Popover>(space_);
  adopt(popover->window());
  return popover;
}

std::shared_ptr<presentation::ViewController>
QtWindows::menuContent(const presentation::MenuContentModel& model) {
  if (!model.settings || !model.permissions || !model.runtime) {
    return nullptr;
  }
  const auto area = space_.mainVisibleArea();
  const std::optional<double> visibleHeight =
      area ? std::optional<double>(area->height()) : std::nullopt;
  return std::make_shared<WidgetController>(new MenuContent(model, visibleHeight));
}

std::shared_ptr<presentation::ViewController>
QtWindows::welcomeContent(const presentation::WelcomeContentModel& model) {
  if (!model.permissions) {
    return nullptr;
  }
  return std::make_shared<WidgetController>(new WelcomeContent(model));
}

std::shared_ptr<presentation::ViewController>
QtWindows::diagnosticsContent(const presentation::DiagnosticsContentModel& model) {
  if (!model.diagnostics) {
    return nullptr;
  }
  return std::make_shared<WidgetController>(new DiagnosticsContent(model));
}

std::shared_ptr<presentation::Window>
QtWindows::createWindow(const presentation::WindowStyle& style,
                        std::shared_ptr<presentation::ViewController> content) {
  auto window = std::make_shared<QtWindow>(style, std::move(content), space_);
  adopt(window->widget());
  return window;
}

void QtWindows::adopt(QWidget& window) {
  std::erase_if(windows_, [](const QPointer<QWidget>& known) { return known.isNull(); });
  windows_.emplace_back(&window);
  if (menu_ != nullptr) {
    window.addActions(menu_->actions());
  }
}

void QtWindows::closeActiveWindow() {
  QWidget* active = QApplication::activeWindow();
  const bool ours =
      std::any_of(windows_.begin(), windows_.end(),
                  [active](const QPointer<QWidget>& window) { return window == active; });
  if (active != nullptr && ours) {
    active->close();
  }
}

} // namespace lumivane::shell
