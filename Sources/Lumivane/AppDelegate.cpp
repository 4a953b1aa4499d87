#include "Lumivane/AppDelegate.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivane {

namespace {

constexpr std::string_view readySymbol = "dock.rectangle";
// Lumivane's own symbol with an exclamation badge: the item asks for attention and stays
// recognisable as Lumivane's.
constexpr std::string_view attentionSymbol = "dock.rectangle.badge.exclamationmark";
constexpr std::string_view statusItemIdentifier = "lumivane.status-item";
// Until the menu content has measured itself.
constexpr double initialContentHeight = 500;

// The outcomes the user must act on mark the status item: the request never reached the
// application, it still runs after the wait (most likely at a save prompt), or the application
// to reopen could not be opened. An interrupted event tap has an attention symbol of its own.
bool marksStatusItem(const StatusLine& line) {
  if (const auto* reopen = std::get_if<ReopenLine>(&line)) {
    return reopen->outcome == ReopenOutcome::gone;
  }
  const auto* quit = std::get_if<QuitLine>(&line);
  return quit != nullptr &&
         (quit->outcome == QuitOutcome::refused || quit->outcome == QuitOutcome::timedOut);
}

} // namespace

// AppDelegate: construction and services

AppDelegate::AppDelegate(platform::Platform& platform, presentation::Windows& windows)
    : platform_(platform), windows_(windows),
      settings_(std::make_shared<SettingsManager>(platform.defaults, platform.loginItems)),
      permissions_(std::make_shared<PermissionManager>(platform)),
      runtime_(std::make_shared<RuntimeStatus>()),
      observer_(std::make_shared<DockObserver>(platform)),
      overlay_(std::make_shared<QuitOverlay>(windows, platform.workspace)),
      quitter_(AppQuitService::create(platform)),
      reopener_(std::make_shared<AppReopenService>(platform)),
      middle_(std::make_shared<MiddleClickMonitor>(platform.eventTaps, platform.runLoop)),
      popover_(windows.createPopover()) {}

HoverController& AppDelegate::hover() {
  if (!hover_) {
    hover_ = HoverController::create(observer_, overlay_, quitter_, platform_);
  }
  return *hover_;
}

std::function<void()> AppDelegate::weakAction(void (AppDelegate::*action)()) {
  return [weak = weak_from_this(), action] {
    if (const auto self = weak.lock()) {
      ((*self).*action)();
    }
  };
}

// Entry points

void AppDelegate::applicationDidFinishLaunching() {
  windows_.setActivationPolicy(platform::ActivationPolicy::accessory);
  configureApplicationMenu();
  configureStatusItem();
  applyLayout(settings_->hoverLayout());

  const std::weak_ptr<AppDelegate> weak = weak_from_this();
  settings_->onLayoutChange = [weak](const HoverLayoutOptions& layout) {
    if (const auto self = weak.lock()) {
      self->applyLayout(layout);
    }
  };
  settings_->onChange = weakAction(&AppDelegate::reconcile);
  permissions_->onChange = weakAction(&AppDelegate::reconcile);
  runtime_->onRetry = weakAction(&AppDelegate::reconcile);

  middle_->resolve = [weak](Point point) -> std::optional<DockObserver::Hit> {
    const auto self = weak.lock();
    if (!self || self->isSuspended() || !self->platform_.accessibility.isProcessTrusted()) {
      return std::nullopt;
    }
    return self->observer_->hit(point, std::nullopt);
  };
  middle_->onQuit = [weak](const RunningApp& app) {
    if (const auto self = weak.lock()) {
      self->quitter_->request(app);
    }
  };
  middle_->onFailure = [weak](bool restored) {
    const auto self = weak.lock();
    // While the feature is off or paused the tap is meant to be down; nothing to report.
    if (!self || !self->settings_->middleEnabled() || self->isSuspended()) {
      return;
    }
    self->permissions_->setMiddleAvailable(restored);
    self->showStatus(restored ? TapNotice::restored : TapNotice::interrupted);
    // The tooltip is left alone; the next reconciliation sets symbol and tooltip together.
    if (!restored && self->statusItem_ && self->statusItem_->hasButton()) {
      self->statusItem_->setSymbol(attentionSymbol, texts::tapInterruptedDescription);
    }
  };
  quitter_->onStatus = [weak](const QuitReport& report) {
    if (const auto self = weak.lock()) {
      self->showStatus(QuitLine{report.outcome, report.name});
      // Lumivane's own request ended it, in time or late: the line offers the way back.
      if (report.outcome == QuitOutcome::ended) {
        self->reopener_->offer(report);
      }
    }
  };
  reopener_->onOfferChange = [runtime = std::weak_ptr<RuntimeStatus>(runtime_)](bool offered) {
    if (const auto status = runtime.lock()) {
      status->setOffersReopen(offered);
    }
  };
  reopener_->onStatus = [weak](const ReopenLine& line) {
    if (const auto self = weak.lock()) {
      self->showStatus(line);
    }
  };
  runtime_->onReopen = [reopener = std::weak_ptr<AppReopenService>(reopener_)] {
    if (const auto service = reopener.lock()) {
      service->reopen();
    }
  };
  // The user's list is asked by both the observer (no ×, no middle-click quit) and the quit
  // service (never sent).
  const auto isProtected =
      [settings = std::weak_ptr<SettingsManager>(settings_)](std::string_view bundleIdentifier) {
        const auto store = settings.lock();
        return store && store->protectedApps().contains(bundleIdentifier);
      };
  observer_->isProtected = isProtected;
  quitter_->isProtected = isProtected;
  reopener_->isProtected = isProtected;
  // A × shown for an application the user just protected goes at once, and so does an offer to
  // reopen it.
  settings_->onProtectedAppsChange = [weak] {
    if (const auto self = weak.lock()) {
      self->hover().reset();
      self->reopener_->refresh();
    }
  };
  // Any sent quit request, from either feature, takes the × away at once.
  quitter_->onRequest = [weak](const AppIdentity&) {
    if (const auto self = weak.lock()) {
      self->hover().reset();
    }
  };

  configureLifecycle();
  permissions_->start();
  reconcile();

  const std::vector<std::string> arguments = platform_.process.arguments();
  const bool askedForWelcome = std::ranges::find(arguments, welcomeArgument) != arguments.end();
  if (!settings_->hasSeenWelcome() || askedForWelcome) {
    settings_->setHasSeenWelcome(true);
    showWelcome();
  }
}

void AppDelegate::applicationWillTerminate() {
  hover().stop();
  middle_->stop(MiddleClickMonitor::Stop::immediately);
  permissions_->stop();
  quitter_->stop();
  reopener_->stop();
  for (const auto& [center, token] : notifications_) {
    platform_.notifications.unsubscribe(center, token);
  }
  notifications_.clear();
}

void AppDelegate::applicationDidBecomeActive() {
  permissions_->refresh();
  settings_->refreshLogin();
  reconcile();
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows) {
  if (!hasVisibleWindows) {
    showWelcome();
  }
  return true;
}

// Reconciliation and suspension

void AppDelegate::reconcile() {
  const bool trusted = permissions_->accessibility();
  if (!trusted || isSuspended()) {
    hover().stop();
    // Without the grant the tap hears nothing more, not the release it would wait for, and holds
    // every event of its mask back from everything: it goes at once. While paused it may wait.
    middle_->stop(trusted ? MiddleClickMonitor::Stop::afterGesture
                          : MiddleClickMonitor::Stop::withoutGrant);
    permissions_->setMiddleAvailable(false);
  } else {
    if (settings_->hoverEnabled()) {
      hover().start();
    } else {
      hover().stop();
    }
    if (settings_->middleEnabled()) {
      permissions_->setMiddleAvailable(middle_->start());
    } else {
      middle_->stop(MiddleClickMonitor::Stop::afterGesture);
      permissions_->setMiddleAvailable(false);
    }
  }

  // While paused the tap is down on purpose, so only a missing permission asks for attention.
  const bool attention = !trusted || (settings_->middleEnabled() &&
                                      !permissions_->middleAvailable() && !isSuspended());
  if (statusItem_ && statusItem_->hasButton()) {
    statusItem_->setSymbol(attention ? attentionSymbol : readySymbol, texts::appName);
    statusItem_->setToolTip(attention ? texts::attentionToolTip : texts::appName);
  }
}

void AppDelegate::showStatus(StatusLine line) {
  // The badge stands for news the user has not seen: only showing the status line takes it
  // away, so a later line that replaces the marked one leaves it on. A line that arrives in view
  // is seen as it comes. The badge changes first, so that observers of the line find it
  // already changed.
  if (marksStatusItem(line) && !isStatusLineInView()) {
    setBadge(true);
  }
  runtime_->show(std::move(line));
  reopener_->withdraw();
}

void AppDelegate::setBadge(bool badge) {
  if (badge == badged_) {
    return;
  }
  badged_ = badge;
  // Independent of the symbol, which reconciliation sets again at every change.
  if (statusItem_ && statusItem_->hasButton()) {
    statusItem_->setBadge(badge);
  }
}

bool AppDelegate::isStatusLineInView() const {
  return popover_->isShown() || (settingsWindow_ && settingsWindow_->isVisible());
}

void AppDelegate::clearBadgeOnceInView() {
  // The line the badge stood for is before the user now.
  if (isStatusLineInView()) {
    setBadge(false);
  }
}

void AppDelegate::setSuspended(bool suspended, SuspensionReason reason) {
  if (suspended) {
    suspensionReasons_.insert(reason);
  } else {
    suspensionReasons_.erase(reason);
  }
  runtime_->setSuspended(isSuspended());
  if (!isSuspended()) {
    // Displays and permissions may have changed while the session was away.
    observer_->updateScreens();
    permissions_->refresh();
  }
  reconcile();
}

void AppDelegate::applyLayout(const HoverLayoutOptions& layout) {
  HoverController& controller = hover();
  // A × placed under the old layout must not linger.
  if (layout != controller.layout) {
    controller.reset();
    controller.layout = layout;
  }
}

void AppDelegate::configureLifecycle() {
  using platform::Notification;
  using platform::NotificationCenter;
  struct Suspension {
    Notification name;
    SuspensionReason reason;
    bool begins;
  };
  // Each reason is ended only by its own counterpart: waking does not end a lock.
  static constexpr std::array<Suspension, 6> suspensions{{
      {Notification::willSleep, SuspensionReason::sleep, true},
      {Notification::didWake, SuspensionReason::sleep, false},
      {Notification::screensDidSleep, SuspensionReason::display, true},
      {Notification::screensDidWake, SuspensionReason::display, false},
      {Notification::sessionDidResignActive, SuspensionReason::session, true},
      {Notification::sessionDidBecomeActive, SuspensionReason::session, false},
  }};
  for (const Suspension& entry : suspensions) {
    observe(NotificationCenter::workspace, entry.name,
            [entry](AppDelegate& self) { self.setSuspended(entry.begins, entry.reason); });
  }
  observe(NotificationCenter::workspace, Notification::activeSpaceDidChange,
          [](AppDelegate& self) { self.hover().reset(); });
  observe(NotificationCenter::workspace, Notification::didTerminateApplication,
          [](AppDelegate& self) { self.hover().reset(); });
  observe(NotificationCenter::application, Notification::screenParametersDidChange,
          [](AppDelegate& self) {
            self.hover().reset();
            self.observer_->updateScreens();
          });
  observe(NotificationCenter::distributed, Notification::screenIsLocked,
          [](AppDelegate& self) { self.setSuspended(/*suspended=*/true, SuspensionReason::lock); });
  observe(NotificationCenter::distributed, Notification::screenIsUnlocked, [](AppDelegate& self) {
    self.setSuspended(/*suspended=*/false, SuspensionReason::lock);
  });
}

void AppDelegate::observe(platform::NotificationCenter center, platform::Notification name,
                          std::function<void(AppDelegate&)> action) {
  const platform::SubscriptionToken token = platform_.notifications.subscribe(
      center, name, [weak = weak_from_this(), action = std::move(action)] {
        if (const auto self = weak.lock()) {
          action(*self);
        }
      });
  notifications_.emplace_back(center, token);
}

// Status item, menu, popover and windows

void AppDelegate::configureApplicationMenu() {
  using Action = presentation::MenuItem::Action;
  using Role = presentation::MenuItem::Role;
  std::vector<presentation::MenuItem> items;
  items.push_back({std::string(texts::aboutItem), Action::custom,
                   weakAction(&AppDelegate::showWelcome), "", Role::about});
  items.push_back({std::string(texts::settingsItem), Action::custom,
                   weakAction(&AppDelegate::togglePopover), ",", Role::preferences});
  items.push_back({"", Action::separator, {}, ""});
  items.push_back({std::string(texts::closeWindowItem), Action::performClose, {}, "w"});
  items.push_back({std::string(texts::quitItem), Action::terminate, {}, "q", Role::quit});
  windows_.setApplicationMenu(texts::appName, std::move(items));
}

void AppDelegate::configureStatusItem() {
  statusItem_ = windows_.createStatusItem();
  // No symbol yet: the first reconciliation sets symbol and tooltip.
  if (statusItem_ && statusItem_->hasButton()) {
    statusItem_->setButtonAction(weakAction(&AppDelegate::togglePopover));
    statusItem_->setButtonAccessibilityIdentifier(statusItemIdentifier);
  }
  popover_->configure(weakAction(&AppDelegate::popoverDidClose));
}

void AppDelegate::togglePopover() {
  if (popover_->isShown()) {
    popover_->performClose();
    return;
  }
  permissions_->refresh();
  settings_->refreshLogin();
  reconcile();
  hover().reset();
  // The line shows 重新打开 only while it can still be used.
  reopener_->refresh();
  windows_.activateIgnoringOtherApps();
  // Shown one main-queue turn later, never from inside the button's action.
  platform_.runLoop.async(weakAction(&AppDelegate::presentSettings));
}

void AppDelegate::presentSettings() {
  if (!statusItem_ || !statusItem_->hasButton()) {
    return;
  }
  // Bottom-left space; empty when the button has no window.
  const Rect button = statusItem_->buttonScreenFrame();
  const Point centre{button.midX(), button.midY()};
  const std::vector<Rect> screens = platform_.screens.frames();
  const bool onScreen =
      !isEmpty(button) && std::ranges::any_of(screens, [centre](const Rect& screen) {
        return contains(screen, centre);
      });
  if (onScreen) {
    if (settingsWindow_) {
      settingsWindow_->performClose();
    }
    popover_->setContent(menuController());
    popover_->show(*statusItem_);
    popover_->makeContentKey();
    clearBadgeOnceInView();
    return;
  }
  // The popover cannot be placed under the button: the same content in a window instead.
  if (!settingsWindow_) {
    presentation::WindowStyle style;
    style.title = texts::settingsTitle;
    settingsWindow_ = windows_.createWindow(style, menuController());
    reportClose(*settingsWindow_);
    settingsWindow_->center();
  }
  settingsWindow_->makeKeyAndOrderFront();
  clearBadgeOnceInView();
}

std::shared_ptr<presentation::ViewController> AppDelegate::menuController() {
  presentation::MenuContentModel model;
  model.settings = settings_;
  model.permissions = permissions_;
  model.runtime = runtime_;
  // Bottom whenever the Dock cannot be read.
  model.previewEdge = observer_->currentEdge();
  model.contentHeight = initialContentHeight;
  model.showWelcome = weakAction(&AppDelegate::showWelcome);
  model.showDiagnostics = weakAction(&AppDelegate::showDiagnostics);
  model.quit = [&windows = windows_] { windows.terminate(); };
  model.runningApps = [weak = weak_from_this()] {
    const auto self = weak.lock();
    return self ? self->protectableApps() : std::vector<ProtectableApp>{};
  };
  return windows_.menuContent(model);
}

std::vector<ProtectableApp> AppDelegate::protectableApps() const {
  std::vector<ProtectableApp> apps;
  const int32_t ownPID = platform_.process.pid();
  for (const platform::ApplicationInfo& app : platform_.workspace.runningApplications()) {
    if (app.isTerminated || app.pid == ownPID ||
        app.activationPolicy != platform::ActivationPolicy::regular) {
      continue;
    }
    apps.push_back({app.bundleIdentifier.value_or(""), app.localizedName.value_or(""),
                    app.bundlePath.value_or("")});
  }
  return apps;
}

void AppDelegate::showWelcome() {
  popover_->performClose();
  if (settingsWindow_) {
    settingsWindow_->performClose();
  }
  if (!welcome_) {
    presentation::WelcomeContentModel model;
    model.permissions = permissions_;
    model.close = [weak = weak_from_this()] {
      if (const auto self = weak.lock(); self && self->welcome_) {
        self->welcome_->performClose();
      }
    };
    model.showDiagnostics = weakAction(&AppDelegate::showDiagnostics);
    presentation::WindowStyle style;
    style.title = texts::welcomeTitle;
    style.fullSizeContentView = true;
    style.transparentTitlebar = true;
    style.titleHidden = true;
    style.movableByBackground = true;
    welcome_ = windows_.createWindow(style, windows_.welcomeContent(model));
    reportClose(*welcome_);
    welcome_->center();
  }
  windows_.activateIgnoringOtherApps();
  welcome_->makeKeyAndOrderFront();
}

void AppDelegate::showDiagnostics() {
  // Opened from the popover, it takes the popover's place; the welcome window may stay beside it.
  popover_->performClose();
  if (!diagnosticsWindow_) {
    // The report lives with the window's content and stops when the content goes.
    auto diagnostics = std::make_shared<LiveDiagnostics>(platform_);
    diagnostics->start();
    presentation::DiagnosticsContentModel model;
    model.diagnostics = std::move(diagnostics);
    model.close = [weak = weak_from_this()] {
      if (const auto self = weak.lock(); self && self->diagnosticsWindow_) {
        self->diagnosticsWindow_->performClose();
      }
    };
    presentation::WindowStyle style;
    style.title = texts::diagnosticsTitle;
    diagnosticsWindow_ = windows_.createWindow(style, windows_.diagnosticsContent(model));
    reportClose(*diagnosticsWindow_);
    diagnosticsWindow_->center();
  }
  windows_.activateIgnoringOtherApps();
  diagnosticsWindow_->makeKeyAndOrderFront();
}

void AppDelegate::reportClose(presentation::Window& window) {
  window.setWillClose([weak = weak_from_this(), closing = &window] {
    if (const auto self = weak.lock()) {
      self->windowWillClose(closing);
    }
  });
}

void AppDelegate::popoverDidClose() {
  // The menu content is released while the popover is closed and rebuilt at the next opening.
  popover_->setContent(nullptr);
}

void AppDelegate::windowWillClose(const presentation::Window* window) {
  if (window == nullptr) {
    return;
  }
  // The window is still inside its own close; it is released one turn later, after the close.
  const auto release = [this](std::shared_ptr<presentation::Window>& slot) {
    platform_.runLoop.async([closing = std::move(slot)] {});
  };
  if (window == welcome_.get()) {
    release(welcome_);
  } else if (window == settingsWindow_.get()) {
    release(settingsWindow_);
  } else if (window == diagnosticsWindow_.get()) {
    release(diagnosticsWindow_);
  }
}

} // namespace lumivane
