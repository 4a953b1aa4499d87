#include "Verbs.hpp"

#include <algorithm>
#include <array>

namespace lumivane::sim::verbs {

namespace {

using MouseAction = command::Mouse::Action;
using AppEventKind = command::AppEvent::Kind;
using DockChangeKind = command::DockChange::Kind;
using platform::Notification;

constexpr Verb table[] = {
    // Set-up.
    {"screen", "screen WIDTHxHEIGHT [at X,Y]", Phase::setUp,
     "a display; the first is the primary; without one, 1440x900", parseScreen},
    {"dock", "dock bottom|left|right [icons=SIZE] [magnify=SIZE] [screen=N] [autohide]",
     Phase::setUp,
     "where the Dock sits, its icon size and magnified size (N counts from 1); autohide: out of "
     "sight until the pointer rests at its edge",
     parseDock},
    {"app",
     "app NAME [bundle=ID] [path=PATH] [item=PATH] [quit=now|after:SECONDS|never|refuse] "
     "[background] [launching] [copies=N] [unpinned] [executable-url]",
     Phase::either,
     "a Dock item and its application, running N copies (0: none) from PATH; item: the path the "
     "Dock item records, when it differs; unpinned: the tile shows only while the app runs; "
     "executable-url: the workspace gives the executable inside the bundle as its bundle URL",
     parseApp},
    {"symlink", "symlink FROM TO", Phase::setUp,
     "a symbolic link; TO absolute or relative to FROM's folder", parseSymlink},
    {"folder", "folder NAME", Phase::setUp, "a folder in the Dock", parseFolder},
    {"trash", "trash", Phase::setUp, "the trash, named \"Trash\"", parseTrash},
    {"separator", "separator", Phase::setUp, "a separator between Dock items", parseSeparator},
    {"spacer", "spacer NAME", Phase::setUp,
     "an empty tile between Dock items; NAME only lets the script point at it", parseSpacer},
    {"extra", "extra NAME", Phase::setUp, "a Dock extra (\"AXDockExtraDockItem\")", parseExtra},
    {"document", "document NAME [path=PATH]", Phase::setUp, "a document in the Dock",
     parseDocument},
    {"url", "url NAME URL", Phase::setUp, "a web address in the Dock", parseURLItem},
    {"minimized", "minimized NAME", Phase::setUp, "a minimized window in the Dock", parseMinimized},
    {"launchpad", "launchpad", Phase::setUp, "the Dock's Launchpad item, named \"Launchpad\"",
     parseLaunchpad},
    {"mission-control", "mission-control", Phase::setUp,
     "the Dock's Mission Control item, named \"Mission Control\"", parseMissionControl},
    {"default", "default KEY VALUE", Phase::setUp,
     "a user default (true/false or text); for protectedApps a text is the list of bundle "
     "identifiers, comma-separated, and true/false a stored value of the wrong type",
     parseDefault},
    {"permission",
     "permission accessibility|input-monitoring on|off | permission accessibility "
     "removed",
     Phase::either,
     "grants or revokes a permission, at any time; removed: Lumivane's row taken out of the "
     "Accessibility list, which Lumivane's cached answer does not see",
     parsePermission},
    {"dock-badge", "dock-badge NAME \"TEXT\"", Phase::either,
     "the count on an item's icon; \"\" takes it away", parseDockBadge},

    // Lumivane.
    {"launch", "launch [--welcome]", Phase::step,
     "starts Lumivane; again: quits it and starts it anew", parseLaunch},
    {"shutdown", "shutdown", Phase::launched, "Lumivane quits", bare<command::Shutdown>},
    {"set", "set hoverEnabled|middleEnabled on|off | set layout POSITION DISTANCE", Phase::launched,
     "a switch or the × layout, as the popover sets it", parseSet},
    {"open", "open popover", Phase::launched,
     "clicks the status item as the user does: the popover opens, or the settings window where "
     "the popover cannot be placed under the item",
     parseOpen},
    {"close", "close welcome|settings|popover", Phase::launched,
     "closes the window as the user would; the popover with a second click on the status item",
     parseClose},
    {"protect", "protect NAME", Phase::launched,
     "the user protects the app in the list editor: no ×, no middle-click quit, at once",
     protection<true>},
    {"unprotect", "unprotect NAME", Phase::launched, "the user takes the app off that list",
     protection<false>},
    {"reopen", "reopen", Phase::launched,
     "clicks 重新打开 beside the status line, in the popover or the settings window that shows it",
     bare<command::Reopen>},

    // The pointer and the buttons.
    {"pointer", "pointer X Y | pointer NAME | pointer button", Phase::step,
     "moves at once: a point, an icon's centre, the ×'s centre", parsePointer},
    {"glide", "glide X Y|NAME|button SECONDS", Phase::step,
     "moves there over time, sampled at 60 Hz", parseGlide},
    {"wait", "wait SECONDS", Phase::step, "", parseWait},
    {"click", "click [X Y|NAME|button]", Phase::step, "a left click; moves there first",
     mouse<MouseAction::click>},
    {"right-click", "right-click [X Y|NAME|button]", Phase::step, "",
     mouse<MouseAction::rightClick>},
    {"scroll", "scroll [X Y|NAME|button]", Phase::step, "", mouse<MouseAction::scroll>},
    {"drag", "drag [X Y|NAME|button]", Phase::step, "a left drag there (default: 40 points up)",
     mouse<MouseAction::drag>},
    {"middle-click", "middle-click [X Y|NAME|button]", Phase::step, "",
     mouse<MouseAction::middleClick>},
    {"press", "press left|right|middle|BUTTON", Phase::step,
     "one button down alone (3, 4: side buttons)", button<true>},
    {"release", "release left|right|middle|BUTTON", Phase::step, "", button<false>},

    // The system.
    {"sleep", "sleep", Phase::step,
     "the Mac goes to sleep: until it wakes, time passes on the wall clock alone, not in uptime",
     post<Notification::willSleep>},
    {"wake", "wake", Phase::step, "the Mac wakes", post<Notification::didWake>},
    {"display-sleep", "display-sleep", Phase::step, "the displays sleep",
     post<Notification::screensDidSleep>},
    {"display-wake", "display-wake", Phase::step, "the displays wake",
     post<Notification::screensDidWake>},
    {"lock", "lock", Phase::step, "the screen locks", post<Notification::screenIsLocked>},
    {"unlock", "unlock", Phase::step, "the screen unlocks", post<Notification::screenIsUnlocked>},
    {"session-resign", "session-resign", Phase::step, "another user's session becomes active",
     post<Notification::sessionDidResignActive>},
    {"session-activate", "session-activate", Phase::step, "this user's session is active again",
     post<Notification::sessionDidBecomeActive>},
    {"space-change", "space-change", Phase::step, "another Space becomes active",
     post<Notification::activeSpaceDidChange>},
    {"screens", "screens WIDTHxHEIGHT[@X,Y]...", Phase::step, "the displays now, primary first",
     parseScreens},
    {"tap-disable", "tap-disable timeout|user", Phase::step, "the system disables the event tap",
     parseTapDisable},
    {"status-bar", "status-bar on|off", Phase::either,
     "off: the status item's button is on no display, so the popover cannot be placed under it",
     parseStatusBar},

    // Applications.
    {"relaunch", "relaunch NAME [same-pid]", Phase::step,
     "ends the app and starts it again, on a new pid or the same one", parseRelaunch},
    {"quits", "quits NAME [listed=SECONDS]", Phase::step,
     "the app ends by itself; listed: the workspace still lists it, terminated, that long",
     parseQuits},
    {"start", "start NAME", Phase::step, "one more process of the app (a second copy if it runs)",
     appEvent<AppEventKind::start>},
    {"finish-launching", "finish-launching NAME", Phase::step, "the app has finished launching",
     appEvent<AppEventKind::finishLaunching>},
    {"reuse-pid", "reuse-pid NAME BY", Phase::step, "NAME ends and BY starts on its pid",
     parseReusePID},
    {"delete-app", "delete-app NAME", Phase::either,
     "the app's bundle is moved away or deleted: nothing opens from its path any more; what runs "
     "from it keeps running",
     parseDeleteApp},

    // The Dock.
    {"dock-restart", "dock-restart [SECONDS]", Phase::step,
     "the Dock quits and starts again, SECONDS later: a new pid", parseDockRestart},
    {"dock-remove", "dock-remove NAME", Phase::step,
     "the user takes the item out of the Dock (a running app's tile stays while it runs)",
     dockChange<DockChangeKind::remove>},
    {"dock-add", "dock-add NAME [at=N]", Phase::step,
     "the user puts the item back, at position N from 1 (or where it was)",
     dockChange<DockChangeKind::add>},
    {"dock-move", "dock-move NAME N", Phase::step, "the user moves the item to position N",
     dockChange<DockChangeKind::move>},
    {"bounce", "bounce NAME [N]", Phase::step, "the app's icon bounces N times for attention",
     parseBounce},
    {"dock-hide", "dock-hide", Phase::step, "the Dock slides out of sight and stays there",
     dockVisibility<true>},
    {"dock-show", "dock-show", Phase::step, "the Dock is back in sight", dockVisibility<false>},
    {"mission-control-open", "mission-control-open", Phase::step,
     "Mission Control opens: the Dock gains a group over the primary display",
     missionControlShown<true>},
    {"mission-control-close", "mission-control-close", Phase::step, "", missionControlShown<false>},
    {"dock-menu", "dock-menu NAME | dock-menu close", Phase::step,
     "the item's menu opens beside its icon, or the open one closes", parseItemMenu},
    {"move-dock", "move-dock bottom|left|right [icons=SIZE] [magnify=SIZE] [screen=N] [autohide]",
     Phase::step, "the Dock moves or changes its sizes", parseMoveDock},
    {"fault",
     "fault error|timeout|wrong-type|non-finite item NAME|items|list|dock|any [ATTRIBUTE] | "
     "fault clear",
     Phase::step,
     "an Accessibility fault on the Dock (AXPosition and AXSize for the frame read, "
     "AXElementAtPosition for the hit), or none",
     parseFault},
    {"latency", "latency SECONDS", Phase::step, "every Accessibility message takes this long",
     parseLatency},
    {"extra-children", "extra-children N", Phase::step, "extra empty children in the item list",
     parseExtraChildren},
    {"queue", "queue hold|release", Phase::step,
     "holds the main queue: what the next steps post or defer waits, in order, for one turn at "
     "the release; no time may pass meanwhile",
     parseQueue},

    // Expectations.
    {"expect",
     "expect overlay hidden|NAME | expect status \"TEXT\" [error] | expect running|stopped NAME "
     "| expect quit-requests NAME N | expect symbol NAME | expect tooltip \"TEXT\" | expect "
     "window welcome|settings shown|hidden | expect badge on|off | expect popover shown|hidden | "
     "expect reopen on|off | expect pointer NAME | expect dock-events N | "
     "expect preview-edge bottom|left|right",
     Phase::step,
     "fails the run unless the desktop shows this now; badge: the dot on the status item; "
     "reopen: the status line carries 重新打开; pointer: on that item's icon as the Dock shows it; "
     "dock-events: the middle and side button events the Dock has received so far; preview-edge: "
     "the edge of the layout preview in the popover last opened",
     parseExpect},
};

// --help's layout: the usage indented, the summary beside it when it fits, else below.
constexpr std::size_t helpWidth = 96;
constexpr std::size_t summaryColumn = 38;

void appendUsage(std::string& text, std::string_view usage) {
  // Long usages break between their alternatives, or before an option.
  std::string line = "  ";
  std::size_t start = 0;
  while (start < usage.size()) {
    const std::size_t bar = usage.find(" | ", start);
    const std::size_t option = usage.find(" [", start + 1);
    const std::size_t end =
        std::min({bar == std::string_view::npos ? usage.size() : bar + 3,
                  option == std::string_view::npos ? usage.size() : option, usage.size()});
    std::string_view piece = usage.substr(start, end - start);
    if (line.size() > 2 && line.size() + piece.size() > helpWidth) {
      text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
      line = "    ";
      piece.remove_prefix(piece.starts_with(' ') ? 1 : 0);
    }
    line += piece;
    start = end;
  }
  text += line;
}

void appendVerb(std::string& text, const Verb& verb) {
  const std::size_t lineStart = text.size();
  appendUsage(text, verb.usage);
  if (!verb.summary.empty()) {
    const std::size_t width = text.size() - std::max(lineStart, text.rfind('\n') + 1);
    if (text.find('\n', lineStart) == std::string::npos && width + 2 <= summaryColumn) {
      text += std::string(summaryColumn - width, ' ');
    } else {
      text += "\n" + std::string(summaryColumn, ' ');
    }
    // The summary's words, wrapped at the help's width.
    std::size_t column = summaryColumn;
    std::string_view rest = verb.summary;
    bool first = true;
    while (!rest.empty()) {
      const std::size_t blank = std::min(rest.find(' '), rest.size());
      const std::string_view word = rest.substr(0, blank);
      rest.remove_prefix(std::min(blank + 1, rest.size()));
      if (!first && column + 1 + word.size() > helpWidth) {
        text += "\n" + std::string(summaryColumn, ' ');
        column = summaryColumn;
        first = true;
      }
      text += (first ? "" : " ") + std::string(word);
      column += word.size() + (first ? 0 : 1);
      first = false;
    }
  }
  text += "\n";
}

} // namespace

std::span<const Verb> all() {
  return table;
}

const Verb* find(std::string_view name) {
  const auto found = std::ranges::find(table, name, &Verb::name);
  return found == std::end(table) ? nullptr : &*found;
}

const Verb* of(const Action& action) {
  return find(nameOf(action));
}

} // namespace lumivane::sim::verbs

namespace lumivane::sim {

std::vector<std::string_view> scriptVerbs() {
  std::vector<std::string_view> names;
  for (const verbs::Verb& verb : verbs::all()) {
    names.push_back(verb.name);
  }
  return names;
}

std::string scriptLanguageHelp() {
  using verbs::Phase;
  std::string text =
      "Script language: one command per line, # starts a comment, \"quoted\" words may hold\n"
      "spaces and the escapes \\\" and \\\\. Points are X Y in the top-left space (origin at "
      "the\nprimary display's top-left, y downward). Both permissions start granted.\n";
  static constexpr std::array<std::pair<Phase, std::string_view>, 4> groups{{
      {Phase::setUp, "Set-up, before the first launch:"},
      {Phase::either, "Set-up before the first launch, a step after it:"},
      {Phase::step, "Steps:"},
      {Phase::launched, "Steps while Lumivane runs:"},
  }};
  for (const auto& [phase, title] : groups) {
    text += "\n" + std::string(title) + "\n";
    for (const verbs::Verb& verb : verbs::all()) {
      if (verb.phase == phase) {
        verbs::appendVerb(text, verb);
      }
    }
  }
  return text;
}

} // namespace lumivane::sim
