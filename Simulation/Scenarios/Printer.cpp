#include "Verbs.hpp"

#include <algorithm>
#include <array>

// Commands back into script lines. Names and texts are always quoted, so that a name that reads
// like a keyword ("button", "hidden") stays a name.

namespace lumivane::sim {

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

using platform::Notification;

constexpr std::array<std::pair<Notification, std::string_view>, 9> postVerbs{{
    {Notification::willSleep, "sleep"},
    {Notification::didWake, "wake"},
    {Notification::screensDidSleep, "display-sleep"},
    {Notification::screensDidWake, "display-wake"},
    {Notification::screenIsLocked, "lock"},
    {Notification::screenIsUnlocked, "unlock"},
    {Notification::sessionDidResignActive, "session-resign"},
    {Notification::sessionDidBecomeActive, "session-activate"},
    {Notification::activeSpaceDidChange, "space-change"},
}};

std::string_view mouseVerb(command::Mouse::Action action) {
  switch (action) {
  case command::Mouse::Action::click:
    return "click";
  case command::Mouse::Action::rightClick:
    return "right-click";
  case command::Mouse::Action::scroll:
    return "scroll";
  case command::Mouse::Action::drag:
    return "drag";
  case command::Mouse::Action::middleClick:
    return "middle-click";
  }
  return "";
}

std::string_view appEventVerb(command::AppEvent::Kind kind) {
  switch (kind) {
  case command::AppEvent::Kind::relaunch:
  case command::AppEvent::Kind::relaunchSamePID:
    return "relaunch";
  case command::AppEvent::Kind::quits:
    return "quits";
  case command::AppEvent::Kind::start:
    return "start";
  case command::AppEvent::Kind::finishLaunching:
    return "finish-launching";
  }
  return "";
}

std::string_view itemVerb(const command::DockItem& item) {
  switch (item.kind) {
  case DockItemKind::folder:
    return "folder";
  case DockItemKind::application:
    return item.target == verbs::missionControl.path ? "mission-control" : "launchpad";
  case DockItemKind::trash:
    return "trash";
  case DockItemKind::separator:
    return "separator";
  case DockItemKind::document:
    return "document";
  case DockItemKind::url:
    return "url";
  case DockItemKind::minimizedWindow:
    return "minimized";
  case DockItemKind::spacer:
    return "spacer";
  case DockItemKind::extra:
    return "extra";
  }
  return "";
}

std::string_view dockChangeVerb(command::DockChange::Kind kind) {
  switch (kind) {
  case command::DockChange::Kind::remove:
    return "dock-remove";
  case command::DockChange::Kind::add:
    return "dock-add";
  case command::DockChange::Kind::move:
    return "dock-move";
  }
  return "";
}

// A word as it is when it needs no quotes, quoted otherwise.
std::string word(std::string_view text) {
  const bool plain = !text.empty() && std::ranges::all_of(text, [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
  });
  return plain ? std::string(text) : scriptQuoted(text);
}

std::string point(Point p) {
  return scriptNumber(p.x) + " " + scriptNumber(p.y);
}

std::string target(const PointerTarget& target) {
  switch (target.kind) {
  case PointerTarget::Kind::point:
    return point(target.point);
  case PointerTarget::Kind::item:
    return scriptQuoted(target.item);
  case PointerTarget::Kind::button:
    return "button";
  }
  return "";
}

std::string size(const Rect& frame) {
  return scriptNumber(frame.width) + "x" + scriptNumber(frame.height);
}

std::string placement(const command::Dock& dock) {
  std::string text(edgeName(dock.edge));
  text += " icons=" + scriptNumber(dock.iconSize);
  if (dock.magnifiedSize) {
    text += " magnify=" + scriptNumber(*dock.magnifiedSize);
  }
  if (dock.screen != 0) {
    text += " screen=" + std::to_string(dock.screen + 1);
  }
  if (dock.autohide) {
    text += " autohide";
  }
  return text;
}

std::string app(const command::App& app) {
  const AppProfile& profile = app.profile;
  std::string text = scriptQuoted(profile.name);
  if (profile.bundleIdentifier != verbs::defaultBundleIdentifier(profile.name)) {
    text += " bundle=" + scriptQuoted(profile.bundleIdentifier);
  }
  if (profile.bundlePath != verbs::defaultBundlePath(profile.name)) {
    text += " path=" + scriptQuoted(profile.bundlePath);
  }
  if (!app.itemPath.empty()) {
    text += " item=" + scriptQuoted(app.itemPath);
  }
  switch (profile.quit) {
  case QuitBehaviour::immediately:
    text += " quit=now";
    break;
  case QuitBehaviour::afterDelay:
    text += " quit=after:" + scriptNumber(profile.quitDelay);
    break;
  case QuitBehaviour::never:
    text += " quit=never";
    break;
  case QuitBehaviour::refuse:
    text += " quit=refuse";
    break;
  }
  if (profile.policy != platform::ActivationPolicy::regular) {
    text += " background";
  }
  if (!profile.finishedLaunching) {
    text += " launching";
  }
  if (app.copies != 1) {
    text += " copies=" + std::to_string(app.copies);
  }
  if (!app.pinned) {
    text += " unpinned";
  }
  if (profile.executableURL) {
    text += " executable-url";
  }
  return text;
}

std::string fault(const command::InjectFault& inject) {
  if (!inject.fault) {
    return "clear";
  }
  const Fault& fault = *inject.fault;
  std::string text = fault.kind == FaultKind::error       ? "error"
                     : fault.kind == FaultKind::timeout   ? "timeout"
                     : fault.kind == FaultKind::wrongType ? "wrong-type"
                                                          : "non-finite";
  switch (fault.target) {
  case FaultTarget::item:
    text += inject.item.empty() ? " items" : " item " + scriptQuoted(inject.item);
    break;
  case FaultTarget::list:
    text += " list";
    break;
  case FaultTarget::dockApplication:
    text += " dock";
    break;
  case FaultTarget::anyElement:
    text += " any";
    break;
  }
  if (!fault.attribute.empty()) {
    text += " " + word(fault.attribute);
  }
  return text;
}

std::string defaultValue(const std::variant<bool, std::string, std::vector<std::string>>& value) {
  if (const auto* flag = std::get_if<bool>(&value)) {
    return *flag ? "true" : "false";
  }
  if (const auto* text = std::get_if<std::string>(&value)) {
    return scriptQuoted(*text);
  }
  const auto& items = std::get<std::vector<std::string>>(value);
  std::string list;
  for (std::size_t i = 0; i < items.size(); ++i) {
    list += (i == 0 ? "" : ",") + items[i];
  }
  return scriptQuoted(list);
}

std::string_view windowName(ShellWindow window) {
  return window == ShellWindow::welcome ? "welcome" : "settings";
}

// The words after the verb.
std::string arguments(const Action& action) {
  return std::visit(
      Overloaded{
          [](const command::Screen& screen) {
            std::string text = size(screen.frame);
            if (screen.frame.x != 0 || screen.frame.y != 0) {
              text += " at " + scriptNumber(screen.frame.x) + "," + scriptNumber(screen.frame.y);
            }
            return text;
          },
          [](const command::Dock& dock) { return placement(dock); },
          [](const command::App& command) { return app(command); },
          [](const command::DockItem& item) {
            switch (item.kind) {
            case DockItemKind::folder:
            case DockItemKind::minimizedWindow:
            case DockItemKind::spacer:
            case DockItemKind::extra:
              return scriptQuoted(item.name);
            case DockItemKind::document:
              return scriptQuoted(item.name) + " path=" + scriptQuoted(item.target);
            case DockItemKind::url:
              return scriptQuoted(item.name) + " " + scriptQuoted(item.target);
            case DockItemKind::application:
            case DockItemKind::trash:
            case DockItemKind::separator:
              break;
            }
            return std::string();
          },
          [](const command::Symlink& link) {
            return scriptQuoted(link.from) + " " + scriptQuoted(link.to);
          },
          [](const command::Default& value) {
            return word(value.key) + " " + defaultValue(value.value);
          },
          [](const command::Permission& permission) {
            return std::string(permission.kind == command::Permission::Kind::accessibility
                                   ? "accessibility"
                                   : "input-monitoring") +
                   (permission.removed   ? " removed"
                    : permission.granted ? " on"
                                         : " off");
          },
          [](const command::Launch& launch) {
            return std::string(launch.welcome ? "--welcome" : "");
          },
          [](const command::Pointer& pointer) { return target(pointer.target); },
          [](const command::Glide& glide) {
            return target(glide.target) + " " + scriptNumber(glide.seconds);
          },
          [](const command::Wait& wait) { return scriptNumber(wait.seconds); },
          [](const command::Mouse& mouse) {
            return mouse.target ? target(*mouse.target) : std::string();
          },
          [](const command::Post&) { return std::string(); },
          [](const command::AppEvent& event) {
            std::string text = scriptQuoted(event.name);
            if (event.kind == command::AppEvent::Kind::relaunchSamePID) {
              text += " same-pid";
            }
            if (event.listedFor > 0) {
              text += " listed=" + scriptNumber(event.listedFor);
            }
            return text;
          },
          [](const command::ReusePID& reuse) {
            return scriptQuoted(reuse.name) + " " + scriptQuoted(reuse.by);
          },
          [](const command::DockRestart& restart) {
            return restart.absentFor > 0 ? scriptNumber(restart.absentFor) : std::string();
          },
          [](const command::DockChange& change) {
            std::string text = scriptQuoted(change.name);
            if (change.position) {
              text += (change.kind == command::DockChange::Kind::add ? " at=" : " ") +
                      std::to_string(*change.position + 1);
            }
            return text;
          },
          [](const command::Bounce& bounce) {
            return scriptQuoted(bounce.name) +
                   (bounce.hops != 1 ? " " + std::to_string(bounce.hops) : std::string());
          },
          [](const command::Queue& queue) { return std::string(queue.hold ? "hold" : "release"); },
          [](const command::DockHidden&) { return std::string(); },
          [](const command::MissionControl&) { return std::string(); },
          [](const command::ItemMenu& menu) {
            return menu.name.empty() ? std::string("close") : scriptQuoted(menu.name);
          },
          [](const command::DockBadge& badge) {
            return scriptQuoted(badge.name) + " " + scriptQuoted(badge.text);
          },
          [](const command::MoveDock& move) { return placement(move.placement); },
          [](const command::Screens& screens) {
            std::string text;
            for (const Rect& frame : screens.frames) {
              text += (text.empty() ? "" : " ") + size(frame);
              if (frame.x != 0 || frame.y != 0) {
                text += "@" + scriptNumber(frame.x) + "," + scriptNumber(frame.y);
              }
            }
            return text;
          },
          [](const command::InjectFault& inject) { return fault(inject); },
          [](const command::Latency& latency) { return scriptNumber(latency.seconds); },
          [](const command::ExtraChildren& extra) { return std::to_string(extra.count); },
          [](const command::TapDisable& disable) {
            return std::string(disable.byTimeout ? "timeout" : "user");
          },
          [](const command::Button& button) {
            static constexpr std::array<std::string_view, 3> names{"left", "right", "middle"};
            return button.button >= 0 && button.button < 3
                       ? std::string(names[static_cast<std::size_t>(button.button)])
                       : std::to_string(button.button);
          },
          [](const command::Shutdown&) { return std::string(); },
          [](const command::Switch& change) {
            return std::string(change.feature == command::Switch::Feature::hover
                                   ? "hoverEnabled"
                                   : "middleEnabled") +
                   (change.on ? " on" : " off");
          },
          [](const command::Layout& layout) {
            return "layout " + std::string(rawValue(layout.options.position)) + " " +
                   std::string(rawValue(layout.options.distance));
          },
          [](const command::Close& close) { return std::string(windowName(close.window)); },
          [](const command::Popover&) { return std::string("popover"); },
          [](const command::StatusBar& bar) { return std::string(bar.available ? "on" : "off"); },
          [](const command::Protect& change) { return scriptQuoted(change.name); },
          [](const command::Reopen&) { return std::string(); },
          [](const command::DeleteApp& remove) { return scriptQuoted(remove.name); },
          [](const command::ExpectOverlay& expect) {
            return "overlay " + (expect.name ? scriptQuoted(*expect.name) : "hidden");
          },
          [](const command::ExpectStatus& expect) {
            return "status " + scriptQuoted(expect.text) + (expect.isError ? " error" : "");
          },
          [](const command::ExpectApp& expect) {
            return std::string(expect.running ? "running " : "stopped ") +
                   scriptQuoted(expect.name);
          },
          [](const command::ExpectQuitRequests& expect) {
            return "quit-requests " + scriptQuoted(expect.name) + " " +
                   std::to_string(expect.count);
          },
          [](const command::ExpectSymbol& expect) { return "symbol " + scriptQuoted(expect.name); },
          [](const command::ExpectTooltip& expect) {
            return "tooltip " + scriptQuoted(expect.text);
          },
          [](const command::ExpectWindow& expect) {
            return "window " + std::string(windowName(expect.window)) +
                   (expect.shown ? " shown" : " hidden");
          },
          [](const command::ExpectBadge& expect) {
            return std::string(expect.on ? "badge on" : "badge off");
          },
          [](const command::ExpectPopover& expect) {
            return std::string(expect.shown ? "popover shown" : "popover hidden");
          },
          [](const command::ExpectReopen& expect) {
            return std::string(expect.offered ? "reopen on" : "reopen off");
          },
          [](const command::ExpectPointer& expect) {
            return "pointer " + scriptQuoted(expect.item);
          },
          [](const command::ExpectDockEvents& expect) {
            return "dock-events " + std::to_string(expect.count);
          },
          [](const command::ExpectPreviewEdge& expect) {
            return "preview-edge " + std::string(edgeName(expect.edge));
          },
      },
      action);
}

} // namespace

std::string_view verbs::nameOf(const Action& action) {
  return std::visit(
      Overloaded{
          [](const command::Screen&) -> std::string_view { return "screen"; },
          [](const command::Dock&) -> std::string_view { return "dock"; },
          [](const command::App&) -> std::string_view { return "app"; },
          [](const command::DockItem& item) { return itemVerb(item); },
          [](const command::Symlink&) -> std::string_view { return "symlink"; },
          [](const command::Default&) -> std::string_view { return "default"; },
          [](const command::Permission&) -> std::string_view { return "permission"; },
          [](const command::Launch&) -> std::string_view { return "launch"; },
          [](const command::Pointer&) -> std::string_view { return "pointer"; },
          [](const command::Glide&) -> std::string_view { return "glide"; },
          [](const command::Wait&) -> std::string_view { return "wait"; },
          [](const command::Mouse& mouse) { return mouseVerb(mouse.action); },
          [](const command::Post& post) {
            const auto found = std::ranges::find(postVerbs, post.notification,
                                                 &std::pair<Notification, std::string_view>::first);
            return found == postVerbs.end() ? std::string_view() : found->second;
          },
          [](const command::AppEvent& event) { return appEventVerb(event.kind); },
          [](const command::ReusePID&) -> std::string_view { return "reuse-pid"; },
          [](const command::DockRestart&) -> std::string_view { return "dock-restart"; },
          [](const command::DockChange& change) { return dockChangeVerb(change.kind); },
          [](const command::Bounce&) -> std::string_view { return "bounce"; },
          [](const command::Queue&) -> std::string_view { return "queue"; },
          [](const command::DockHidden& dock) -> std::string_view {
            return dock.hidden ? "dock-hide" : "dock-show";
          },
          [](const command::MissionControl& missionControl) -> std::string_view {
            return missionControl.open ? "mission-control-open" : "mission-control-close";
          },
          [](const command::ItemMenu&) -> std::string_view { return "dock-menu"; },
          [](const command::DockBadge&) -> std::string_view { return "dock-badge"; },
          [](const command::MoveDock&) -> std::string_view { return "move-dock"; },
          [](const command::Screens&) -> std::string_view { return "screens"; },
          [](const command::InjectFault&) -> std::string_view { return "fault"; },
          [](const command::Latency&) -> std::string_view { return "latency"; },
          [](const command::ExtraChildren&) -> std::string_view { return "extra-children"; },
          [](const command::TapDisable&) -> std::string_view { return "tap-disable"; },
          [](const command::Button& button) -> std::string_view {
            return button.press ? "press" : "release";
          },
          [](const command::Shutdown&) -> std::string_view { return "shutdown"; },
          [](const command::Switch&) -> std::string_view { return "set"; },
          [](const command::Layout&) -> std::string_view { return "set"; },
          [](const command::Close&) -> std::string_view { return "close"; },
          [](const command::Popover& popover) -> std::string_view {
            return popover.shown ? "open" : "close";
          },
          [](const command::StatusBar&) -> std::string_view { return "status-bar"; },
          [](const command::Protect& change) -> std::string_view {
            return change.isProtected ? "protect" : "unprotect";
          },
          [](const command::Reopen&) -> std::string_view { return "reopen"; },
          [](const command::DeleteApp&) -> std::string_view { return "delete-app"; },
          [](const command::ExpectOverlay&) -> std::string_view { return "expect"; },
          [](const command::ExpectStatus&) -> std::string_view { return "expect"; },
          [](const command::ExpectApp&) -> std::string_view { return "expect"; },
          [](const command::ExpectQuitRequests&) -> std::string_view { return "expect"; },
          [](const command::ExpectSymbol&) -> std::string_view { return "expect"; },
          [](const command::ExpectTooltip&) -> std::string_view { return "expect"; },
          [](const command::ExpectWindow&) -> std::string_view { return "expect"; },
          [](const command::ExpectBadge&) -> std::string_view { return "expect"; },
          [](const command::ExpectPopover&) -> std::string_view { return "expect"; },
          [](const command::ExpectReopen&) -> std::string_view { return "expect"; },
          [](const command::ExpectPointer&) -> std::string_view { return "expect"; },
          [](const command::ExpectDockEvents&) -> std::string_view { return "expect"; },
          [](const command::ExpectPreviewEdge&) -> std::string_view { return "expect"; },
      },
      action);
}

std::string scriptLine(const Action& action) {
  const std::string rest = arguments(action);
  return std::string(verbs::nameOf(action)) + (rest.empty() ? "" : " " + rest);
}

Command commandOf(Action action, int line) {
  std::string source = scriptLine(action);
  return {line, std::move(source), std::move(action)};
}

} // namespace lumivane::sim
