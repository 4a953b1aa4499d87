#include "Simulator/SimulatedWindows.hpp"

#include <algorithm>

namespace lumivane::sim {

using Action = std::shared_ptr<std::function<void()>>;

struct SimulatedWindows::State {
  struct Panel {
    PanelRecord record;
    Action action;
    uint64_t animation = 0; // bumped to cancel an animation in flight
  };

  State(VirtualRunLoop& runLoop, const Displays& displays) : runLoop(runLoop), displays(displays) {}

  VirtualRunLoop& runLoop;
  const Displays& displays;
  std::vector<Panel> panels;
  ShellRecord shell;
  Action statusAction;
  bool statusBarAvailable = true;
  Action popoverDidClose;
  std::vector<Action> willClose; // per window, as in shell.windows

  void closePopover() {
    if (!shell.popoverShown) {
      return;
    }
    shell.popoverShown = false;
    if (const Action didClose = popoverDidClose) {
      (*didClose)();
    }
  }
  void closeWindow(std::size_t index) {
    if (index >= shell.windows.size() || !shell.windows[index].visible) {
      return;
    }
    shell.windows[index].visible = false;
    shell.windows[index].key = false;
    if (const Action callback = willClose[index]) {
      (*callback)();
    }
  }
  Rect statusButtonFrame() const {
    const std::vector<Rect>& screens = displays.topLeftFrames();
    if (!statusBarAvailable || screens.empty()) {
      return {};
    }
    const Rect primary = displays.toBottomLeft(screens.front());
    return {primary.maxX() - statusItemInset, primary.maxY() - statusItemSize, statusItemSize,
            statusItemSize};
  }
};

namespace {

using State = SimulatedWindows::State;

class ViewContent final : public presentation::ViewController {
public:
  explicit ViewContent(std::string kind, std::shared_ptr<LiveDiagnostics> diagnostics = nullptr)
      : kind(std::move(kind)), diagnostics_(std::move(diagnostics)) {}
  const std::string kind; // "menu", "welcome" or "diagnostics"

private:
  // A view keeps what it shows running: the diagnostics report lives as long as its content.
  std::shared_ptr<LiveDiagnostics> diagnostics_;
};

class Panel final : public presentation::OverlayPanel {
public:
  Panel(std::weak_ptr<State> state, std::size_t index) : state_(std::move(state)), index_(index) {}
  ~Panel() override {
    if (PanelRecord* r = record()) {
      r->visible = false;
    }
  }

  Rect frame() override { return record() ? record()->frame : Rect{}; }
  void setFrame(const Rect& frame) override {
    if (PanelRecord* r = record()) {
      r->frame = frame;
      ++r->frameChanges;
    }
  }
  bool isVisible() override { return record() && record()->visible; }
  double alpha() override { return record() ? record()->alpha : 0; }
  void setAlpha(double alpha) override {
    if (const auto state = state_.lock()) {
      ++state->panels[index_].animation;
      state->panels[index_].record.alpha = alpha;
    }
  }
  void orderFrontRegardless() override {
    if (PanelRecord* r = record()) {
      r->visible = true;
    }
  }
  void orderOut() override {
    if (PanelRecord* r = record()) {
      r->visible = false;
    }
  }
  // The alpha value reaches `alpha` when the animation ends, `duration` seconds from now.
  void animateAlpha(double alpha, double duration) override {
    const auto state = state_.lock();
    if (!state) {
      return;
    }
    State::Panel& panel = state->panels[index_];
    ++panel.record.fadeCount;
    const uint64_t animation = ++panel.animation;
    if (!(duration > 0)) {
      panel.record.alpha = alpha;
      return;
    }
    state->runLoop.schedule(duration, [weak = state_, index = index_, animation, alpha] {
      const auto current = weak.lock();
      if (current && current->panels[index].animation == animation) {
        current->panels[index].record.alpha = alpha;
      }
    });
  }
  void setButtonAccessibilityLabel(std::string_view label) override {
    if (PanelRecord* r = record()) {
      r->label = label;
    }
  }
  void setButtonAccessibilityIdentifier(std::string_view identifier) override {
    if (PanelRecord* r = record()) {
      r->identifier = identifier;
    }
  }
  void setRepresentedProcess(int32_t pid) override {
    if (PanelRecord* r = record()) {
      r->pid = pid;
    }
  }
  void setButtonAction(std::function<void()> action) override {
    if (const auto state = state_.lock()) {
      state->panels[index_].action = std::make_shared<std::function<void()>>(std::move(action));
    }
  }

private:
  PanelRecord* record() {
    const auto state = state_.lock();
    return state ? &state->panels[index_].record : nullptr;
  }
  std::weak_ptr<State> state_;
  std::size_t index_;
};

class StatusItem final : public presentation::StatusItem {
public:
  explicit StatusItem(std::weak_ptr<State> state) : state_(std::move(state)) {}
  ~StatusItem() override {
    if (const auto state = state_.lock()) {
      state->shell.hasStatusItem = false;
      // Its badge leaves the menu bar with it.
      state->shell.statusBadge = false;
      state->statusAction = nullptr;
    }
  }

  bool hasButton() override { return true; }
  void setButtonAction(std::function<void()> action) override {
    if (const auto state = state_.lock()) {
      state->statusAction = std::make_shared<std::function<void()>>(std::move(action));
    }
  }
  void setButtonAccessibilityIdentifier(std::string_view identifier) override {
    if (const auto state = state_.lock()) {
      state->shell.statusIdentifier = identifier;
    }
  }
  void setSymbol(std::string_view symbolName, std::string_view accessibilityDescription) override {
    if (const auto state = state_.lock()) {
      state->shell.statusSymbol = symbolName;
      state->shell.statusSymbolDescription = accessibilityDescription;
    }
  }
  void setToolTip(std::string_view toolTip) override {
    if (const auto state = state_.lock()) {
      state->shell.statusToolTip = toolTip;
    }
  }
  void setBadge(bool badge) override {
    if (const auto state = state_.lock()) {
      state->shell.statusBadge = badge;
    }
  }
  Rect buttonScreenFrame() override {
    const auto state = state_.lock();
    return state ? state->statusButtonFrame() : Rect{};
  }

private:
  std::weak_ptr<State> state_;
};

class Popover final : public presentation::Popover {
public:
  explicit Popover(std::weak_ptr<State> state) : state_(std::move(state)) {}

  void configure(std::function<void()> didClose) override {
    if (const auto state = state_.lock()) {
      state->popoverDidClose = std::make_shared<std::function<void()>>(std::move(didClose));
    }
  }
  bool isShown() override {
    const auto state = state_.lock();
    return state && state->shell.popoverShown;
  }
  void performClose() override {
    if (const auto state = state_.lock()) {
      state->closePopover();
    }
  }
  void setContent(std::shared_ptr<presentation::ViewController> content) override {
    if (const auto state = state_.lock()) {
      state->shell.popoverHasContent = content != nullptr;
      content_ = std::move(content);
    }
  }
  bool hasContent() override { return content_ != nullptr; }
  // Like NSPopover, refuses to show without content or with an anchor that is on no window.
  void show(presentation::StatusItem& anchor) override {
    const auto state = state_.lock();
    if (!state || content_ == nullptr || isEmpty(anchor.buttonScreenFrame())) {
      return;
    }
    state->shell.popoverShown = true;
  }
  void makeContentKey() override {
    if (const auto state = state_.lock(); state && state->shell.popoverShown) {
      for (WindowRecord& window : state->shell.windows) {
        window.key = false;
      }
    }
  }

private:
  std::weak_ptr<State> state_;
  std::shared_ptr<presentation::ViewController> content_;
};

class Window final : public presentation::Window {
public:
  Window(std::weak_ptr<State> state, std::size_t index,
         std::shared_ptr<presentation::ViewController> content)
      : state_(std::move(state)), index_(index), content_(std::move(content)) {}
  // A window whose last handle goes is gone from the screen.
  ~Window() override {
    if (const auto state = state_.lock()) {
      state->shell.windows[index_].visible = false;
      state->shell.windows[index_].key = false;
      state->willClose[index_] = nullptr;
    }
  }

  void center() override {
    if (const auto state = state_.lock()) {
      state->shell.windows[index_].centred = true;
    }
  }
  void makeKeyAndOrderFront() override {
    if (const auto state = state_.lock()) {
      for (WindowRecord& window : state->shell.windows) {
        window.key = false;
      }
      state->shell.windows[index_].visible = true;
      state->shell.windows[index_].key = true;
    }
  }
  // Runs the will-close callback last: it may release this window.
  void performClose() override {
    if (const auto state = state_.lock()) {
      state->closeWindow(index_);
    }
  }
  bool isVisible() override {
    const auto state = state_.lock();
    return state && state->shell.windows[index_].visible;
  }
  void setWillClose(std::function<void()> willClose) override {
    if (const auto state = state_.lock()) {
      state->willClose[index_] = std::make_shared<std::function<void()>>(std::move(willClose));
    }
  }

private:
  std::weak_ptr<State> state_;
  std::size_t index_;
  // The content view controller, kept as long as the window.
  std::shared_ptr<presentation::ViewController> content_;
};

} // namespace

SimulatedWindows::SimulatedWindows(VirtualRunLoop& runLoop, const Displays& displays)
    : state_(std::make_shared<State>(runLoop, displays)) {}

SimulatedWindows::~SimulatedWindows() = default;

void SimulatedWindows::setActivationPolicy(platform::ActivationPolicy policy) {
  state_->shell.activationPolicy = policy;
}

void SimulatedWindows::activateIgnoringOtherApps() {
  ++state_->shell.activations;
}

void SimulatedWindows::setApplicationMenu(std::string_view title,
                                          std::vector<presentation::MenuItem> items) {
  state_->shell.menuTitle = title;
  state_->shell.menuItems = std::move(items);
}

void SimulatedWindows::terminate() {
  state_->shell.terminated = true;
}

bool SimulatedWindows::hasVisibleWindows() {
  const ShellRecord& shell = state_->shell;
  return shell.popoverShown || std::any_of(shell.windows.begin(), shell.windows.end(),
                                           [](const WindowRecord& w) { return w.visible; });
}

std::unique_ptr<presentation::OverlayPanel>
SimulatedWindows::createOverlayPanel(const Rect& contentRect) {
  State::Panel panel;
  panel.record.frame = contentRect;
  panel.record.alpha = 1;
  state_->panels.push_back(std::move(panel));
  return std::make_unique<Panel>(state_, state_->panels.size() - 1);
}

std::unique_ptr<presentation::StatusItem> SimulatedWindows::createStatusItem() {
  state_->shell.hasStatusItem = true;
  return std::make_unique<StatusItem>(state_);
}

std::unique_ptr<presentation::Popover> SimulatedWindows::createPopover() {
  return std::make_unique<Popover>(state_);
}

std::shared_ptr<presentation::ViewController>
SimulatedWindows::menuContent(const presentation::MenuContentModel& model) {
  state_->shell.lastMenuContent = model;
  return std::make_shared<ViewContent>("menu");
}

std::shared_ptr<presentation::ViewController>
SimulatedWindows::welcomeContent(const presentation::WelcomeContentModel& model) {
  state_->shell.lastWelcomeContent = model;
  return std::make_shared<ViewContent>("welcome");
}

std::shared_ptr<presentation::ViewController>
SimulatedWindows::diagnosticsContent(const presentation::DiagnosticsContentModel& model) {
  state_->shell.lastDiagnostics = model.diagnostics;
  return std::make_shared<ViewContent>("diagnostics", model.diagnostics);
}

std::shared_ptr<presentation::Window>
SimulatedWindows::createWindow(const presentation::WindowStyle& style,
                               std::shared_ptr<presentation::ViewController> content) {
  WindowRecord record;
  record.title = style.title;
  record.fullSizeContentView = style.fullSizeContentView;
  record.transparentTitlebar = style.transparentTitlebar;
  record.titleHidden = style.titleHidden;
  record.movableByBackground = style.movableByBackground;
  if (const auto* view = dynamic_cast<const ViewContent*>(content.get())) {
    record.content = view->kind;
  }
  state_->shell.windows.push_back(std::move(record));
  state_->willClose.push_back(nullptr);
  return std::make_shared<Window>(state_, state_->shell.windows.size() - 1, std::move(content));
}

const PanelRecord& SimulatedWindows::panel() const {
  static const PanelRecord none;
  return state_->panels.empty() ? none : state_->panels.back().record;
}

std::optional<Rect> SimulatedWindows::visiblePanelFrame() const {
  const PanelRecord& record = panel();
  if (!record.visible) {
    return std::nullopt;
  }
  return state_->displays.toTopLeft(record.frame);
}

bool SimulatedWindows::clickPanel() {
  if (state_->panels.empty() || !state_->panels.back().action) {
    return false;
  }
  ++state_->panels.back().record.clicks;
  const Action action = state_->panels.back().action;
  (*action)();
  return true;
}

const ShellRecord& SimulatedWindows::shell() const {
  return state_->shell;
}

void SimulatedWindows::closeWindow(std::size_t index) {
  state_->closeWindow(index);
}

bool SimulatedWindows::clickStatusItem() {
  const Action action = state_->statusAction;
  if (!action) {
    return false;
  }
  (*action)();
  return true;
}

bool SimulatedWindows::chooseMenuItem(std::string_view title) {
  const std::vector<presentation::MenuItem>& items = state_->shell.menuItems;
  const auto item = std::find_if(items.begin(), items.end(), [&](const presentation::MenuItem& i) {
    return i.title == title && i.action != presentation::MenuItem::Action::separator;
  });
  if (item == items.end()) {
    return false;
  }
  switch (item->action) {
  case presentation::MenuItem::Action::custom:
    if (item->perform) {
      const std::function<void()> perform = item->perform;
      perform();
    }
    break;
  case presentation::MenuItem::Action::performClose: {
    const auto key = std::find_if(state_->shell.windows.begin(), state_->shell.windows.end(),
                                  [](const WindowRecord& w) { return w.key && w.visible; });
    if (key != state_->shell.windows.end()) {
      state_->closeWindow(static_cast<std::size_t>(key - state_->shell.windows.begin()));
    }
    break;
  }
  case presentation::MenuItem::Action::terminate:
    terminate();
    break;
  case presentation::MenuItem::Action::separator:
    break;
  }
  return true;
}

void SimulatedWindows::closeTransientPopover() {
  state_->closePopover();
}

void SimulatedWindows::setStatusBarAvailable(bool available) {
  state_->statusBarAvailable = available;
}

void SimulatedWindows::releaseContent() {
  state_->shell.lastMenuContent.reset();
  state_->shell.lastWelcomeContent.reset();
}

} // namespace lumivane::sim
