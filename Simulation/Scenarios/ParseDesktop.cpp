#include "Lumivane/SettingsManager.hpp"
#include "Verbs.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivane::sim::verbs {

using namespace syntax;

Parsed parseScreen(Words words) {
  if (words.size() != 1 && words.size() != 3) {
    return usage();
  }
  const auto size = screenSize(words[0]);
  if (const auto* error = std::get_if<LineError>(&size)) {
    return *error;
  }
  Point origin;
  if (words.size() == 3) {
    const auto at = words[1].isBare("at") ? pair(words[2].text) : std::nullopt;
    if (!at) {
      return usage();
    }
    if (auto error = checkOrigin(*at, words[2].text)) {
      return *error;
    }
    origin = *at;
  }
  const Point extent = std::get<Point>(size);
  return command::Screen{Rect{origin.x, origin.y, extent.x, extent.y}};
}

// "WIDTHxHEIGHT[@X,Y]" for each display, primary first.
Parsed parseScreens(Words words) {
  if (words.empty()) {
    return usage();
  }
  command::Screens screens;
  for (const Token& word : words) {
    const std::string_view text = word.text;
    const std::size_t at = text.find('@');
    const Token sizeWord{std::string(text.substr(0, at)), word.quotedFrom};
    const auto size = screenSize(sizeWord);
    if (const auto* error = std::get_if<LineError>(&size)) {
      return *error;
    }
    Point origin;
    if (at != std::string_view::npos) {
      const auto parsed = pair(text.substr(at + 1));
      if (!parsed) {
        return usage();
      }
      if (auto error = checkOrigin(*parsed, text.substr(at + 1))) {
        return *error;
      }
      origin = *parsed;
    }
    const Point extent = std::get<Point>(size);
    screens.frames.push_back({origin.x, origin.y, extent.x, extent.y});
  }
  return screens;
}

std::optional<DockEdge> edgeNamed(const Token& word) {
  for (const DockEdge edge : allDockEdges) {
    if (word.isBare(edgeName(edge))) {
      return edge;
    }
  }
  return std::nullopt;
}

Parsed parseDock(Words words) {
  if (words.empty()) {
    return usage();
  }

  command::Dock dock;
  if (const auto edge = edgeNamed(words[0])) {
    dock.edge = *edge;
  } else {
    return problem("unknown Dock edge '" + words[0].text + "'");
  }
  for (const Token& word : words.subspan(1)) {
    if (word.isBare("autohide")) {
      dock.autohide = true;
      continue;
    }
    const auto pair = option(word);
    if (!pair) {
      return unknownOption(word);
    }
    const auto [key, value] = *pair;
    if (key == "icons" || key == "magnify") {
      const auto size = parseNumber(value);
      if (!size || *size <= 0 || *size > maxIconSize) {
        return problem("bad icon size '" + word.text + "'");
      }
      (key == "icons" ? dock.iconSize : dock.magnifiedSize.emplace()) = *size;
    } else if (key == "screen") {
      const auto screen = parseCount(value);
      if (!screen || *screen < 1) {
        return problem("bad screen number '" + word.text + "'");
      }
      dock.screen = *screen - 1;
    } else {
      return unknownOption(word);
    }
  }
  return dock;
}

std::string defaultBundleIdentifier(std::string_view name) {
  if (name == "Finder") {
    return "com.apple.finder";
  }
  std::string identifier = "com.example.";
  for (const char c : name) {
    if (c != ' ') {
      identifier += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return identifier;
}

std::string defaultBundlePath(std::string_view name) {
  return "/Applications/" + std::string(name) + ".app";
}

Parsed parseApp(Words words) {
  if (words.empty() || words[0].text.empty()) {
    return usage();
  }
  command::App app;
  AppProfile& profile = app.profile;
  profile.name = name(words[0]);
  profile.bundleIdentifier = defaultBundleIdentifier(profile.name);
  profile.bundlePath = defaultBundlePath(profile.name);
  for (const Token& word : words.subspan(1)) {
    if (word.isBare("background")) {
      profile.policy = platform::ActivationPolicy::accessory;
      continue;
    }
    if (word.isBare("launching")) {
      profile.finishedLaunching = false;
      continue;
    }
    if (word.isBare("unpinned")) {
      app.pinned = false;
      continue;
    }
    if (word.isBare("executable-url")) {
      profile.executableURL = true;
      continue;
    }
    const auto pair = option(word);
    if (!pair) {
      return unknownOption(word);
    }
    const auto [key, value] = *pair;
    if (key == "bundle") {
      profile.bundleIdentifier = value;
    } else if (key == "path") {
      profile.bundlePath = value;
    } else if (key == "item") {
      app.itemPath = value;
    } else if (key == "copies") {
      const auto copies = parseCount(value);
      if (!copies || *copies > maxCopies) {
        return problem("bad number of copies '" + word.text + "'");
      }
      app.copies = *copies;
    } else if (key == "quit") {
      if (value == "now") {
        profile.quit = QuitBehaviour::immediately;
      } else if (value == "never") {
        profile.quit = QuitBehaviour::never;
      } else if (value == "refuse") {
        profile.quit = QuitBehaviour::refuse;
      } else if (const auto delay =
                     value.starts_with("after:") ? seconds(value.substr(6)) : std::nullopt) {
        profile.quit = QuitBehaviour::afterDelay;
        profile.quitDelay = *delay;
      } else {
        return problem("bad quit behaviour '" + word.text + "'");
      }
    } else {
      return unknownOption(word);
    }
  }
  return app;
}

Parsed parseFolder(Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::folder, name(words[0]), {}};
}

Parsed parseTrash(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::trash, std::string(trashName), {}};
}

Parsed parseSeparator(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::separator, {}, {}};
}

Parsed parseSpacer(Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::spacer, name(words[0]), {}};
}

Parsed parseExtra(Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::extra, name(words[0]), {}};
}

Parsed parseDocument(Words words) {
  if (words.empty() || words.size() > 2 || words[0].text.empty()) {
    return usage();
  }
  command::DockItem document{DockItemKind::document, name(words[0]),
                             std::string(documentFolder) + name(words[0])};
  if (words.size() == 2) {
    const auto pair = option(words[1]);
    if (!pair || pair->first != "path") {
      return unknownOption(words[1]);
    }
    document.target = pair->second;
  }
  return document;
}

Parsed parseURLItem(Words words) {
  if (words.size() != 2 || words[0].text.empty() || words[1].text.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::url, name(words[0]), words[1].text};
}

Parsed parseMinimized(Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::minimizedWindow, name(words[0]), {}};
}

Parsed parseLaunchpad(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::application, std::string(launchpad.name),
                           std::string(launchpad.path)};
}

Parsed parseMissionControl(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::application, std::string(missionControl.name),
                           std::string(missionControl.path)};
}

Parsed parseSymlink(Words words) {
  if (words.size() != 2 || words[1].text.empty()) {
    return usage();
  }
  if (!words[0].text.starts_with('/')) {
    return problem("a link must be an absolute path: '" + words[0].text + "'");
  }
  return command::Symlink{words[0].text, words[1].text};
}

Parsed parsePermission(Words words) {
  if (words.size() != 2) {
    return usage();
  }
  command::Permission permission;
  if (words[0].isBare("accessibility")) {
    permission.kind = command::Permission::Kind::accessibility;
  } else if (words[0].isBare("input-monitoring")) {
    permission.kind = command::Permission::Kind::inputMonitoring;
  } else {
    return problem("unknown permission '" + words[0].text + "'");
  }
  if (words[1].isBare("removed") && permission.kind == command::Permission::Kind::accessibility) {
    permission.granted = false;
    permission.removed = true;
    return permission;
  }
  const auto granted = parseSwitch(words[1]);
  if (!granted) {
    return usage();
  }
  permission.granted = *granted;
  return permission;
}

Parsed parseStatusBar(Words words) {
  const auto available = words.size() == 1 ? parseSwitch(words[0]) : std::nullopt;
  if (!available) {
    return usage();
  }
  return command::StatusBar{*available};
}

namespace {

// "A,B,C": the parts between the commas; an empty text is an empty list.
std::vector<std::string> commaSeparated(std::string_view text) {
  std::vector<std::string> parts;
  if (text.empty()) {
    return parts;
  }
  for (;;) {
    const std::size_t comma = text.find(',');
    parts.emplace_back(text.substr(0, comma));
    if (comma == std::string_view::npos) {
      return parts;
    }
    text.remove_prefix(comma + 1);
  }
}

} // namespace

Parsed parseDefault(Words words) {
  if (words.size() != 2 || words[0].text.empty()) {
    return usage();
  }
  command::Default value{words[0].text, words[1].text};
  if (words[1].isBare("true") || words[1].isBare("false")) {
    value.value = words[1].isBare("true");
  } else if (words[0].text == SettingsManager::protectedAppsKey) {
    value.value = commaSeparated(words[1].text);
  }
  return value;
}

Parsed parseLaunch(Words words) {
  if (words.empty()) {
    return command::Launch{false};
  }
  if (words.size() == 1 && words[0].isBare("--welcome")) {
    return command::Launch{true};
  }
  return usage();
}

Parsed parseMoveDock(Words words) {
  auto parsed = parseDock(words);
  if (auto* action = std::get_if<Action>(&parsed)) {
    return command::MoveDock{std::get<command::Dock>(*action)};
  }
  return parsed;
}

Parsed parseQuits(Words words) {
  if (words.size() == 2 && !words[0].text.empty()) {
    const auto pair = option(words[1]);
    const auto listed = pair && pair->first == "listed" ? seconds(pair->second) : std::nullopt;
    if (!listed) {
      return usage();
    }
    return command::AppEvent{command::AppEvent::Kind::quits, name(words[0]), *listed};
  }
  return parseAppEvent(command::AppEvent::Kind::quits, words);
}

Parsed parseDockRestart(Words words) {
  if (words.empty()) {
    return command::DockRestart{};
  }
  const auto absent = words.size() == 1 ? seconds(words[0].text) : std::nullopt;
  if (!absent) {
    return usage();
  }
  return command::DockRestart{*absent};
}

Parsed parseAppEvent(command::AppEvent::Kind kind, Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::AppEvent{kind, name(words[0])};
}

Parsed parseRelaunch(Words words) {
  if (words.size() == 2 && words[1].isBare("same-pid") && !words[0].text.empty()) {
    return command::AppEvent{command::AppEvent::Kind::relaunchSamePID, name(words[0])};
  }
  return parseAppEvent(command::AppEvent::Kind::relaunch, words);
}

Parsed parseReusePID(Words words) {
  if (words.size() != 2 || words[0].text.empty() || words[1].text.empty()) {
    return usage();
  }
  return command::ReusePID{name(words[0]), name(words[1])};
}

Parsed parseDeleteApp(Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::DeleteApp{name(words[0])};
}

Parsed parseFault(Words words) {
  if (words.size() == 1 && words[0].isBare("clear")) {
    return command::InjectFault{};
  }
  if (words.size() < 2) {
    return usage();
  }
  static constexpr std::pair<std::string_view, FaultKind> kinds[] = {
      {"error", FaultKind::error},
      {"timeout", FaultKind::timeout},
      {"wrong-type", FaultKind::wrongType},
      {"non-finite", FaultKind::nonFinite},
  };
  const auto kind = std::find_if(std::begin(kinds), std::end(kinds),
                                 [&](const auto& entry) { return words[0].isBare(entry.first); });
  if (kind == std::end(kinds)) {
    return problem("unknown fault '" + words[0].text + "'");
  }
  command::InjectFault inject{Fault{kind->second, FaultTarget::anyElement, {}, -1}, {}};
  Fault& fault = *inject.fault;
  Words rest = words.subspan(2);
  if (words[1].isBare("item")) {
    if (rest.empty() || rest[0].text.empty()) {
      return usage();
    }
    fault.target = FaultTarget::item;
    inject.item = name(rest[0]);
    rest = rest.subspan(1);
  } else if (words[1].isBare("items")) {
    fault.target = FaultTarget::item;
  } else if (words[1].isBare("list")) {
    fault.target = FaultTarget::list;
  } else if (words[1].isBare("dock")) {
    fault.target = FaultTarget::dockApplication;
  } else if (words[1].isBare("any")) {
    fault.target = FaultTarget::anyElement;
  } else {
    return problem("unknown fault target '" + words[1].text + "'");
  }
  if (rest.size() > 1 || (rest.size() == 1 && rest[0].text.empty())) {
    return usage();
  }
  if (rest.size() == 1) {
    fault.attribute = rest[0].text;
  }
  return inject;
}

Parsed parseLatency(Words words) {
  const auto duration = words.size() == 1 ? seconds(words[0].text) : std::nullopt;
  if (!duration) {
    return usage();
  }
  return command::Latency{*duration};
}

Parsed parseExtraChildren(Words words) {
  const auto count = words.size() == 1 ? parseCount(words[0].text) : std::nullopt;
  if (!count || *count > maxExtraChildren) {
    return usage();
  }
  return command::ExtraChildren{*count};
}

Parsed parseTapDisable(Words words) {
  if (words.size() != 1 || (!words[0].isBare("timeout") && !words[0].isBare("user"))) {
    return usage();
  }
  return command::TapDisable{words[0].isBare("timeout")};
}

} // namespace lumivane::sim::verbs
