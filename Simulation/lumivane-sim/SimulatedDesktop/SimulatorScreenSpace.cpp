#include "SimulatedDesktop/SimulatorScreenSpace.hpp"

#include "LumivaneCore/DockGeometry.hpp"
#include "Shell/StatusItem.hpp"
#include "Shell/Text.hpp"
#include "SimulatedDesktop/DesktopCanvas.hpp"

#include <QAbstractButton>
#include <functional>
#include <string_view>
#include <utility>

namespace lumivane::shell {

namespace {

// Lumivane's status item in the simulated menu bar.
class SimulatedStatusItem final : public StatusButton {
public:
  SimulatedStatusItem(MenuBarButton* button, const ScreenSpace& space)
      : button_(button), space_(space) {
    QObject::connect(button_, &QAbstractButton::clicked, button_, [this] {
      if (action_) {
        const auto action = action_;
        action();
      }
    });
  }

  ~SimulatedStatusItem() override {
    if (button_) {
      button_->deleteLater();
    }
  }

  bool hasButton() override { return button_ != nullptr; }
  void setButtonAction(std::function<void()> action) override { action_ = std::move(action); }
  void setButtonAccessibilityIdentifier(std::string_view identifier) override {
    if (button_) {
      button_->setObjectName(qtext(identifier));
    }
  }
  void setSymbol(std::string_view symbolName, std::string_view description) override {
    if (button_) {
      button_->symbol = symbolName;
      button_->setAccessibleName(qtext(description));
      button_->update();
    }
  }
  void setToolTip(std::string_view toolTip) override {
    if (button_) {
      button_->setToolTip(qtext(toolTip));
    }
  }
  void setBadge(bool badge) override {
    if (button_) {
      button_->badge = badge;
      button_->update();
    }
  }
  Rect buttonScreenFrame() override {
    if (!button_) {
      return {};
    }
    return space_.fromGlobal(QRectF(button_->mapToGlobal(QPointF(0, 0)), QSizeF(button_->size())));
  }
  void setHighlighted(bool highlighted) override {
    if (button_) {
      button_->setChecked(highlighted);
    }
  }

private:
  QPointer<MenuBarButton> button_;
  const ScreenSpace& space_;
  std::function<void()> action_;
};

} // namespace

QRectF SimulatorScreenSpace::toGlobal(const Rect& frame) const {
  const Rect topLeft = DockGeometry::appKitRect(standardized(frame), primaryTop());
  const QPointF corner = canvas_.mapToGlobal(canvas_.toCanvas({topLeft.x, topLeft.y}));
  return QRectF(corner, QSizeF(topLeft.width, topLeft.height));
}

Rect SimulatorScreenSpace::fromGlobal(const QRectF& rect) const {
  const QRectF normal = rect.normalized();
  const Point corner = canvas_.fromCanvas(canvas_.mapFromGlobal(normal.topLeft()));
  return DockGeometry::appKitRect({corner.x, corner.y, normal.width(), normal.height()},
                                  primaryTop());
}

std::optional<QRectF> SimulatorScreenSpace::mainVisibleArea() const {
  const auto visible = desktop_.platform().screens.mainVisibleFrame();
  if (!visible) {
    return std::nullopt;
  }
  return toGlobal(*visible);
}

std::vector<ScreenArea> SimulatorScreenSpace::screens() const {
  std::vector<ScreenArea> result;
  const auto frames = desktop_.platform().screens.frames();
  for (std::size_t index = 0; index < frames.size(); ++index) {
    const QRectF frame = toGlobal(frames[index]);
    const auto primaryVisible = index == 0 ? mainVisibleArea() : std::nullopt;
    result.push_back({frame, primaryVisible
                                 ? *primaryVisible
                                 : frame.adjusted(0, DesktopCanvas::menuBarHeight, 0, 0)});
  }
  return result;
}

std::unique_ptr<StatusButton> SimulatorScreenSpace::createStatusItem() {
  return std::make_unique<SimulatedStatusItem>(canvas_.addStatusButton(), *this);
}

void SimulatorScreenSpace::activateIgnoringOtherApps() const {
  canvas_.lumivaneActive = true;
}

void SimulatorScreenSpace::orderFront(QWidget& window) const {
  for (const QPointer<SimulatedOverlayHost>& host : hosts_) {
    if (host && host->hosts(window)) {
      host->orderFrontRegardless();
      return;
    }
  }
  window.raise();
}

std::unique_ptr<native::OverlayHost> SimulatorScreenSpace::hostOverlay(QWidget& content) const {
  auto host =
      std::make_unique<SimulatedOverlayHost>(content, [canvas = QPointer<DesktopCanvas>(&canvas_)] {
        return canvas && canvas->lumivaneActive;
      });
  std::erase_if(hosts_, [](const QPointer<SimulatedOverlayHost>& known) { return !known; });
  hosts_.emplace_back(host.get());
  return host;
}

double SimulatorScreenSpace::primaryTop() const {
  const auto frames = desktop_.platform().screens.frames();
  return frames.empty() ? 0 : frames.front().maxY();
}

} // namespace lumivane::shell
