#include "Simulator/SimulatedInput.hpp"

#include <algorithm>
#include <bit>
#include <optional>
#include <utility>

namespace lumivane::sim {

struct SimulatedInput::TapRegistry {
  struct Tap {
    uint64_t mask;
    std::shared_ptr<Callback> callback;
    bool alive = true; // its handle exists
    bool valid = true;
    bool enabled = false;
    bool inRunLoop = false;
    bool disabledBySystem = false;
  };
  std::vector<Tap> taps;
  bool reenableFails = false;
  std::optional<std::size_t> calling; // the tap whose callback runs
  std::size_t teardownsInCallback = 0;

  void tearingDown(std::size_t index) {
    if (calling == index) {
      ++teardownsInCallback;
    }
  }

  static bool installed(const Tap& tap) { return tap.alive && tap.valid && tap.inRunLoop; }
};

namespace {

using Registry = SimulatedInput::TapRegistry;

bool wants(uint64_t mask, uint32_t type) {
  return type < 64 && ((mask >> type) & 1) != 0;
}

class Tap final : public platform::EventTap {
public:
  Tap(std::weak_ptr<Registry> registry, std::size_t index)
      : registry_(std::move(registry)), index_(index) {}
  ~Tap() override {
    if (Registry::Tap* tap = tearDown()) {
      *tap = Registry::Tap{tap->mask, nullptr, false, false, false, false, false};
    }
  }

  // A tap the system disabled stays disabled while re-enabling is made to fail.
  void setEnabled(bool enabled) override {
    const auto registry = registry_.lock();
    if (!registry) {
      return;
    }
    Registry::Tap& tap = registry->taps[index_];
    if (!tap.valid || (enabled && tap.disabledBySystem && registry->reenableFails)) {
      return;
    }
    tap.enabled = enabled;
    if (enabled) {
      tap.disabledBySystem = false;
    }
  }
  bool isEnabled() override {
    const Registry::Tap* tap = get();
    return tap != nullptr && tap->valid && tap->enabled;
  }
  bool isValid() override {
    const Registry::Tap* tap = get();
    return tap != nullptr && tap->valid;
  }
  void invalidate() override {
    if (Registry::Tap* tap = tearDown()) {
      tap->valid = false;
      tap->enabled = false;
    }
  }
  // An invalid port makes no run-loop source.
  void addToMainRunLoop() override {
    if (Registry::Tap* tap = get(); tap != nullptr && tap->valid) {
      tap->inRunLoop = true;
    }
  }
  void removeFromMainRunLoop() override {
    if (Registry::Tap* tap = tearDown()) {
      tap->inRunLoop = false;
    }
  }

private:
  Registry::Tap* get() {
    const auto registry = registry_.lock();
    return registry ? &registry->taps[index_] : nullptr;
  }
  // The same, noting a teardown made from inside the tap's own callback.
  Registry::Tap* tearDown() {
    const auto registry = registry_.lock();
    if (!registry) {
      return nullptr;
    }
    registry->tearingDown(index_);
    return &registry->taps[index_];
  }
  std::weak_ptr<Registry> registry_;
  std::size_t index_;
};

} // namespace

SimulatedInput::SimulatedInput(DockModel& dock, const Displays& displays, SimulatedWindows& windows,
                               const AccessibilityTree& scene)
    : dock_(dock), displays_(displays), windows_(windows), scene_(scene),
      taps_(std::make_shared<TapRegistry>()) {}

SimulatedInput::~SimulatedInput() = default;

Point SimulatedInput::location() {
  return displays_.toBottomLeft(pointer_);
}

platform::MonitorToken SimulatedInput::addGlobalMonitor(uint64_t eventMask, Handler handler) {
  monitors_.push_back(
      {nextToken_, false, eventMask, std::make_shared<Handler>(std::move(handler))});
  return nextToken_++;
}

platform::MonitorToken SimulatedInput::addLocalMonitor(uint64_t eventMask, Handler handler) {
  monitors_.push_back({nextToken_, true, eventMask, std::make_shared<Handler>(std::move(handler))});
  return nextToken_++;
}

void SimulatedInput::removeMonitor(platform::MonitorToken token) {
  std::erase_if(monitors_, [&](const Monitor& monitor) { return monitor.token == token; });
}

std::unique_ptr<platform::EventTap> SimulatedInput::createSessionTap(uint64_t eventMask,
                                                                     Callback callback) {
  if (!postAccess_) {
    return nullptr;
  }
  taps_->taps.push_back({eventMask, std::make_shared<Callback>(std::move(callback))});
  return std::make_unique<Tap>(taps_, taps_->taps.size() - 1);
}

bool SimulatedInput::canCreateActiveTap() {
  ++activeTapProbes_;
  return postAccess_;
}

bool SimulatedInput::requestPostEventAccess() {
  if (!postAccess_) {
    ++postRequests_;
  }
  return postAccess_;
}

void SimulatedInput::movePointer(Point to) {
  pointer_ = to;
  dock_.setPointer(to, displays_.topLeftFrames());
  if ((pressed_ & 1) != 0) {
    deliverToMonitors(platform::mouseEventType::leftMouseDragged, leftPressOnPanel_ || overPanel());
  } else if ((pressed_ & 2) != 0) {
    deliverToMonitors(platform::mouseEventType::rightMouseDragged, overPanel());
  } else if (const uint64_t others = pressed_ & ~uint64_t{3}; others != 0) {
    otherMouse(platform::tapEventType::otherMouseDragged, std::countr_zero(others));
  } else {
    deliverToMonitors(platform::mouseEventType::mouseMoved, overPanel());
  }
}

void SimulatedInput::press(int button) {
  if (button < 0 || button >= buttonCount || ((pressed_ >> button) & 1) != 0) {
    return;
  }
  pressed_ |= uint64_t{1} << button;
  pressNumbers_[static_cast<std::size_t>(button)] = ++lastPressNumber_;
  switch (button) {
  case 0:
    leftPressOnPanel_ = overPanel();
    deliverToMonitors(platform::mouseEventType::leftMouseDown, leftPressOnPanel_);
    windows_.closeTransientPopover();
    break;
  case 1:
    deliverToMonitors(platform::mouseEventType::rightMouseDown, overPanel());
    windows_.closeTransientPopover();
    break;
  default:
    otherMouse(platform::tapEventType::otherMouseDown, button);
    break;
  }
}

void SimulatedInput::release(int button) {
  if (button < 0 || button >= buttonCount || ((pressed_ >> button) & 1) == 0) {
    return;
  }
  pressed_ &= ~(uint64_t{1} << button);
  switch (button) {
  case 0: {
    // NSEventTypeLeftMouseUp; the button acts when the press began on it and ends on it.
    constexpr int leftMouseUp = 2;
    const bool onPanel = leftPressOnPanel_;
    leftPressOnPanel_ = false;
    deliverToMonitors(leftMouseUp, onPanel);
    if (onPanel && overPanel()) {
      windows_.clickPanel();
    }
    break;
  }
  case 1: {
    constexpr int rightMouseUp = 4;
    deliverToMonitors(rightMouseUp, overPanel());
    break;
  }
  default:
    otherMouse(platform::tapEventType::otherMouseUp, button);
    break;
  }
}

void SimulatedInput::scroll() {
  deliverToMonitors(platform::mouseEventType::scrollWheel, overPanel());
}

void SimulatedInput::disableTaps(bool byTimeout) {
  const platform::TapEvent notice{byTimeout ? platform::tapEventType::disabledByTimeout
                                            : platform::tapEventType::disabledByUserInput,
                                  0, pointer_};
  // Taps made by a callback meanwhile are not disabled.
  const std::size_t count = taps_->taps.size();
  for (std::size_t i = 0; i < count; ++i) {
    TapRegistry::Tap& tap = taps_->taps[i];
    if (!TapRegistry::installed(tap) || !tap.enabled) {
      continue;
    }
    tap.enabled = false;
    tap.disabledBySystem = true;
    const auto callback = tap.callback;
    call(i, *callback, notice);
  }
}

void SimulatedInput::setReenableFails(bool fails) {
  taps_->reenableFails = fails;
}

bool SimulatedInput::tapInstalled() const {
  return std::any_of(taps_->taps.begin(), taps_->taps.end(), TapRegistry::installed);
}

bool SimulatedInput::tapEnabled() const {
  return std::any_of(taps_->taps.begin(), taps_->taps.end(), [](const TapRegistry::Tap& tap) {
    return TapRegistry::installed(tap) && tap.enabled;
  });
}

std::size_t SimulatedInput::tapsCreated() const {
  return taps_->taps.size();
}

std::size_t SimulatedInput::teardownsInCallback() const {
  return taps_->teardownsInCallback;
}

bool SimulatedInput::call(std::size_t tap, const Callback& callback,
                          const platform::TapEvent& event) {
  const std::optional<std::size_t> outer = std::exchange(taps_->calling, tap);
  const bool swallowed = callback(event);
  taps_->calling = outer;
  return swallowed;
}

void SimulatedInput::deliverToMonitors(int type, bool local) {
  std::vector<std::pair<platform::MonitorToken, std::shared_ptr<Handler>>> chosen;
  for (const Monitor& monitor : monitors_) {
    if (monitor.local == local && wants(monitor.mask, static_cast<uint32_t>(type))) {
      chosen.emplace_back(monitor.token, monitor.handler);
    }
  }
  for (const auto& [token, handler] : chosen) {
    // A handler may remove a later monitor; that one then hears nothing more.
    const bool present =
        std::any_of(monitors_.begin(), monitors_.end(),
                    [token = token](const Monitor& m) { return m.token == token; });
    if (present) {
      (*handler)(type);
    }
  }
}

void SimulatedInput::otherMouse(uint32_t type, int button) {
  const platform::TapEvent event{type, button, pointer_,
                                 pressNumbers_[static_cast<std::size_t>(button)]};
  OtherMouseRecord record{type, button, postAccess_, false, false, std::nullopt, {}, {}, {}};
  record.overDock = overDock();
  const auto itemUnderPointer = [&](std::optional<int>& item,
                                    std::vector<platform::ApplicationInfo>& processes) {
    if (const Occupant occupant = scene_.occupantAt(pointer_);
        type == platform::tapEventType::otherMouseDown &&
        occupant.kind == Occupant::Kind::dockItem &&
        dock_.items()[occupant.index].kind == DockItemKind::application) {
      item = static_cast<int>(occupant.index);
      if (processesOfItem) {
        processes = processesOfItem(occupant.index);
      }
    }
  };
  itemUnderPointer(record.dockItem, record.itemProcesses);
  // Head-inserted taps: the newest sees the event first. Taps made meanwhile are not asked.
  for (std::size_t i = taps_->taps.size(); i-- > 0;) {
    const TapRegistry::Tap& tap = taps_->taps[i];
    if (!TapRegistry::installed(tap) || !tap.enabled || !wants(tap.mask, type)) {
      continue;
    }
    if (!postAccess_) {
      // Nobody may serve the tap now, and nothing gets past it.
      record.heldBack = true;
      otherMouseEvents_.push_back(std::move(record));
      return;
    }
    const auto callback = tap.callback;
    if (call(i, *callback, event)) {
      record.swallowed = true;
      itemUnderPointer(record.dockItemAfter, record.itemProcessesAfter);
      otherMouseEvents_.push_back(std::move(record));
      return;
    }
  }
  itemUnderPointer(record.dockItemAfter, record.itemProcessesAfter);
  const uint64_t bit = uint64_t{1} << button;
  const bool toDock = dock_.running() && (overDock() || (dockButtons_ & bit) != 0);
  record.toDock = toDock;
  otherMouseEvents_.push_back(std::move(record));
  if (toDock) {
    dockEvents_.push_back({type, button});
    if (type == platform::tapEventType::otherMouseDown) {
      dockButtons_ |= bit;
    } else if (type == platform::tapEventType::otherMouseUp) {
      dockButtons_ &= ~bit;
    }
  }
  deliverToMonitors(static_cast<int>(type), overPanel());
}

bool SimulatedInput::overPanel() const {
  return scene_.occupantAt(pointer_).kind == Occupant::Kind::panel;
}

bool SimulatedInput::overDock() const {
  const Occupant::Kind kind = scene_.occupantAt(pointer_).kind;
  return kind == Occupant::Kind::dockItem || kind == Occupant::Kind::dockList ||
         kind == Occupant::Kind::label || kind == Occupant::Kind::menu ||
         kind == Occupant::Kind::menuEntry;
}

} // namespace lumivane::sim
