#pragma once

#include "Scenarios/Scenarios.hpp"
#include "Syntax.hpp"

#include <span>
#include <string_view>

// The script's verbs: one table gives each its usage, its phase, what it does and how its
// arguments are read. The parser's messages and checks, the printer and --help all come from it.

namespace lumivane::sim::verbs {

// When in a script a verb may stand.
enum class Phase {
  setUp,    // before the first launch only: displays, the Dock and its items, defaults
  either,   // set-up before the first launch, a step after it: applications, permissions
  step,     // a step anywhere
  launched, // a step that needs Lumivane running
};

struct Verb {
  std::string_view name;
  std::string_view usage;
  Phase phase;
  std::string_view summary; // for --help; empty when the usage says it all
  syntax::Parsed (*parse)(syntax::Words);
};

std::span<const Verb> all();
const Verb* find(std::string_view name);
// The verb an action is written with; null for an action no script can write.
const Verb* of(const Action& action);
// Its name, the printer's first word; empty for an action no script can write.
std::string_view nameOf(const Action& action);

// The Dock's edge a script names (edgeName, LumivaneCore/DockGeometry.hpp).
std::optional<DockEdge> edgeNamed(const syntax::Token& word);

// What `app NAME` launches when its options do not say otherwise.
std::string defaultBundleIdentifier(std::string_view name);
std::string defaultBundlePath(std::string_view name);

// ---------------------------------------------------------------------------------------------
// The argument readers: the words after the verb.

using syntax::Parsed;
using syntax::Words;

Parsed parseScreen(Words words);
Parsed parseScreens(Words words);
Parsed parseDock(Words words);
Parsed parseMoveDock(Words words);
Parsed parseApp(Words words);
Parsed parseFolder(Words words);
Parsed parseTrash(Words words);
Parsed parseSeparator(Words words);
Parsed parseSpacer(Words words);
Parsed parseExtra(Words words);
Parsed parsePermission(Words words);
Parsed parseStatusBar(Words words);
Parsed parseDefault(Words words);
Parsed parseLaunch(Words words);
Parsed parseRelaunch(Words words);
Parsed parseReusePID(Words words);
Parsed parseDeleteApp(Words words);
Parsed parseFault(Words words);
Parsed parseLatency(Words words);
Parsed parseExtraChildren(Words words);
Parsed parseTapDisable(Words words);
Parsed parseAppEvent(command::AppEvent::Kind kind, Words words);
Parsed parseQuits(Words words);
Parsed parseDockRestart(Words words);
Parsed parseDocument(Words words);
Parsed parseURLItem(Words words);
Parsed parseMinimized(Words words);
Parsed parseLaunchpad(Words words);
Parsed parseMissionControl(Words words);
Parsed parseSymlink(Words words);

Parsed parsePointer(Words words);
Parsed parseGlide(Words words);
Parsed parseWait(Words words);
Parsed parseMouse(command::Mouse::Action action, Words words);
Parsed parsePost(platform::Notification notification, Words words);
Parsed parseDockVisibility(bool hidden, Words words);
Parsed parseButton(bool press, Words words);
Parsed parseSet(Words words);
Parsed parseOpen(Words words);
Parsed parseClose(Words words);
Parsed parseExpect(Words words);
Parsed parseDockChange(command::DockChange::Kind kind, Words words);
Parsed parseBounce(Words words);
Parsed parseQueue(Words words);
Parsed parseProtect(bool isProtected, Words words);
Parsed parseMissionControlShown(bool open, Words words);
Parsed parseItemMenu(Words words);
Parsed parseDockBadge(Words words);

// A verb without arguments.
template <class Action> Parsed bare(Words words) {
  if (!words.empty()) {
    return syntax::usage();
  }
  return Action{};
}

template <command::Mouse::Action action> Parsed mouse(Words words) {
  return parseMouse(action, words);
}
template <platform::Notification notification> Parsed post(Words words) {
  return parsePost(notification, words);
}
template <command::AppEvent::Kind kind> Parsed appEvent(Words words) {
  return parseAppEvent(kind, words);
}
template <bool hidden> Parsed dockVisibility(Words words) {
  return parseDockVisibility(hidden, words);
}
template <bool press> Parsed button(Words words) {
  return parseButton(press, words);
}
template <command::DockChange::Kind kind> Parsed dockChange(Words words) {
  return parseDockChange(kind, words);
}
template <bool isProtected> Parsed protection(Words words) {
  return parseProtect(isProtected, words);
}
template <bool open> Parsed missionControlShown(Words words) {
  return parseMissionControlShown(open, words);
}

// The name the trash item goes by in scripts.
inline constexpr std::string_view trashName = "Trash";
// Buttons as the event system numbers them; the Desktop knows this many.
inline constexpr int buttonCount = 32;
// Keeps an oversized list within what a run can build.
inline constexpr int maxExtraChildren = 10000;
// Attention bounces one `bounce` may ask for.
inline constexpr int maxHops = 100;
// Where a document item lives unless its path says otherwise.
inline constexpr std::string_view documentFolder = "/Users/user/Documents/";

// The Dock's own application items: names and bundles.
struct SystemItem {
  std::string_view name;
  std::string_view path;
};
inline constexpr SystemItem launchpad{"Launchpad", "/System/Applications/Launchpad.app"};
inline constexpr SystemItem missionControl{"Mission Control",
                                           "/System/Applications/Mission Control.app"};

} // namespace lumivane::sim::verbs
