#include "Shell/QtWindows.hpp"

#include "Shell/MenuContent.hpp"
#include "Shell/NativeWindow.hpp"
#include "Shell/OverlayPanel.hpp"
#include "Shell/Popover.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/Text.hpp"
#include "Shell/WelcomeContent.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace lumivane::shell {

namespace {

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

// The window itself. Its close event tells the delegate; dragging its background moves it when
// the style asks for that.
class QtWindow::Frame : public QWidget {
public:
  std::function<void()> willClose;
  bool movableByBackground = false;

  Frame() : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
  }

protected:
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
  QPointF dragOrigin_;
};

QtWindow::QtWindow(const presentation::WindowStyle& style,
                   std::shared_ptr<presentation::ViewController> content, const ScreenSpace& space)
    : space_(space), content_(std::move(content)), frame_(new Frame) {
  frame_->setWindowTitle(qtext(style.title));
  frame_->movableByBackground = style.movableByBackground;
  if (QWidget* widget = widgetOf(content_)) {
    frame_->layout()->addWidget(widget);
    widget->show();
    frame_->setFocusProxy(widget);
  }
  frame_->adjustSize();
}

QtWindow::~QtWindow() {
  if (frame_) {
    frame_->willClose = nullptr;
    frame_->hide();
    frame_->deleteLater();
  }
}

QWidget& QtWindow::widget() const {
  return *frame_;
}

void QtWindow::center() {
  const auto area = space_.mainVisibleArea();
  if (!area) {
    return;
  }
  frame_->adjustSize();
  const QSizeF size = frame_->frameGeometry().size();
  frame_->move((area->center() - QPointF(size.width() / 2, size.height() / 2)).toPoint());
}

void QtWindow::makeKeyAndOrderFront() {
  frame_->show();
  frame_->raise();
  frame_->activateWindow();
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
  // Activating an application brings its windows forward; Qt activates the application itself
  // together with the window that becomes key.
  for (const auto& window : windows_) {
    if (window && window->isVisible()) {
      window->raise();
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
  auto panel = std::make_unique<OverlayPanel>(space_, contentRect);
  adopt(panel->window());
  return panel;
}

std::unique_ptr<presentation::StatusItem> QtWindows::createStatusItem() {
  return space_.createStatusItem();
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
