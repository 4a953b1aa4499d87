#include "Simulator/Scenario.hpp"

#include "Lumivane/AppDelegate.hpp"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <span>
#include <utility>

namespace lumivane::sim {

std::string ScenarioError::describe() const {
  return "line " + std::to_string(line) + ": " + message;
}

namespace {

// ---------------------------------------------------------------------------------------------
// Words of one line

struct Token {
  std::string text;
  // Offset in `text` where quoted content begins; npos for a bare word. An option's `=` counts
  // only before it, so a quoted "a=b" stays one plain word.
  std::size_t quotedFrom = std::string::npos;

  bool isBare(std::string_view word) const {
    return quotedFrom == std::string::npos && text == word;
  }
};

bool isValidUTF8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    uint32_t codePoint = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      codePoint = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    static constexpr uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Splits a line into words. A `#` that starts a word begins a comment. Quotes may open anywhere
// in a word; inside them blanks and `#` are plain text and \" and \\ escape.
std::variant<std::vector<Token>, std::string> tokenize(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') {
      break;
    }
    Token token;
    while (i < line.size() && !isBlank(line[i])) {
      if (line[i] != '"') {
        token.text += line[i++];
        continue;
      }
      token.quotedFrom = std::min(token.quotedFrom, token.text.size());
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
          token.text += line[i++];
        } else {
          token.text += c;
        }
      }
      if (!closed) {
        return std::string("unterminated quote");
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// The line without a trailing comment and surrounding blanks, for the timeline.
std::string_view sourceText(std::string_view line) {
  bool quoted = false;
  std::size_t end = line.size();
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '\\' && i + 1 < line.size()) {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '#' && (i == 0 || isBlank(line[i - 1]))) {
      end = i;
      break;
    }
  }
  line = line.substr(0, end);
  while (!line.empty() && isBlank(line.back())) {
    line.remove_suffix(1);
  }
  while (!line.empty() && isBlank(line.front())) {
    line.remove_prefix(1);
  }
  return line;
}

std::optional<double> parseNumber(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> parseCount(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < 0) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> parseSwitch(const Token& token) {
  if (token.isBare("on")) {
    return true;
  }
  if (token.isBare("off")) {
    return false;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Commands of one line

using Words = std::span<const Token>;

// What went wrong with a line's arguments; empty means "does not match the usage".
struct LineError {
  std::string message;
};

using Parsed = std::variant<Action, LineError>;

LineError usage() {
  return {};
}
LineError problem(std::string message) {
  return {std::move(message)};
}

// A bare `key=value` word: the key and the value, or nothing for any other word.
std::optional<std::pair<std::string_view, std::string_view>> option(const Token& token) {
  const auto equals = token.text.find('=');
  if (equals == std::string::npos || equals >= token.quotedFrom) {
    return std::nullopt;
  }
  const std::string_view text = token.text;
  return std::pair{text.substr(0, equals), text.substr(equals + 1)};
}

LineError unknownOption(const Token& token) {
  return problem("unknown option '" + token.text + "'");
}

std::optional<PointerTarget> pointerTarget(Words words) {
  if (words.size() == 2) {
    const auto x =
        words[0].quotedFrom == std::string::npos ? parseNumber(words[0].text) : std::nullopt;
    const auto y =
        words[1].quotedFrom == std::string::npos ? parseNumber(words[1].text) : std::nullopt;
    if (!x || !y) {
      return std::nullopt;
    }
    return PointerTarget{PointerTarget::Kind::point, Point{*x, *y}, {}};
  }
  if (words.size() != 1 || words[0].text.empty()) {
    return std::nullopt;
  }
  if (words[0].isBare("button")) {
    return PointerTarget{PointerTarget::Kind::button, {}, {}};
  }
  return PointerTarget{PointerTarget::Kind::item, {}, words[0].text};
}

// Bounds that keep a script's run finite and its geometry sane.
constexpr double maxSeconds = 3600; // one wait, glide or quit delay
constexpr double maxScreenSide = 16384;
constexpr double maxIconSize = 512;
constexpr int maxCopies = 16;

std::optional<double> seconds(std::string_view text) {
  const auto value = parseNumber(text);
  if (!value || *value < 0 || *value > maxSeconds) {
    return std::nullopt;
  }
  return value;
}

// "X,Y"
std::optional<Point> pair(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) {
    return std::nullopt;
  }
  const auto x = parseNumber(text.substr(0, comma));
  const auto y = parseNumber(text.substr(comma + 1));
  if (!x || !y) {
    return std::nullopt;
  }
  return Point{*x, *y};
}

// "WIDTHxHEIGHT": the size, a problem, or usage() when the word has no "x".
std::variant<Point, LineError> screenSize(const Token& word) {
  const std::string_view size = word.text;
  const auto cross = size.find('x');
  if (cross == std::string_view::npos) {
    return usage();
  }
  const auto width = parseNumber(size.substr(0, cross));
  const auto height = parseNumber(size.substr(cross + 1));
  if (!width || !height || *width <= 0 || *height <= 0 || *width > maxScreenSide ||
      *height > maxScreenSide) {
    return problem("bad screen size '" + word.text + "'");
  }
  return Point{*width, *height};
}

std::optional<LineError> checkOrigin(Point origin, std::string_view text) {
  if (std::abs(origin.x) > maxScreenSide * 4 || std::abs(origin.y) > maxScreenSide * 4) {
    return problem("bad screen origin '" + std::string(text) + "'");
  }
  return std::nullopt;
}

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

Parsed parseDock(Words words) {
  if (words.empty()) {
    return usage();
  }

  command::Dock dock;
  if (words[0].isBare("bottom")) {
    dock.edge = DockEdge::bottom;
  } else if (words[0].isBare("left")) {
    dock.edge = DockEdge::left;
  } else if (words[0].isBare("right")) {
    dock.edge = DockEdge::right;
  } else {
    return problem("unknown Dock edge '" + words[0].text + "'");
  }
  for (const Token& word : words.subspan(1)) {
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

Parsed parseApp(Words words) {
  if (words.empty() || words[0].text.empty()) {
    return usage();
  }
  command::App app;
  AppProfile& profile = app.profile;
  profile.name = words[0].text;
  profile.bundleIdentifier = defaultBundleIdentifier(profile.name);
  profile.bundlePath = "/Applications/" + profile.name + ".app";
  for (const Token& word : words.subspan(1)) {
    if (word.isBare("background")) {
      profile.policy = platform::ActivationPolicy::accessory;
      continue;
    }
    if (word.isBare("launching")) {
      profile.finishedLaunching = false;
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
  return command::DockItem{DockItemKind::folder, words[0].text};
}

// The name the trash item goes by in scripts.
constexpr std::string_view trashName = "Trash";

Parsed parseTrash(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::trash, std::string(trashName)};
}

Parsed parseSeparator(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockItem{DockItemKind::separator, {}};
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
  const auto granted = parseSwitch(words[1]);
  if (!granted) {
    return usage();
  }
  permission.granted = *granted;
  return permission;
}

Parsed parseDefault(Words words) {
  if (words.size() != 2 || words[0].text.empty()) {
    return usage();
  }
  command::Default value{words[0].text, words[1].text};
  if (words[1].isBare("true") || words[1].isBare("false")) {
    value.value = words[1].isBare("true");
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

Parsed parsePointer(Words words) {
  const auto target = pointerTarget(words);
  if (!target) {
    return usage();
  }
  return command::Pointer{*target};
}

Parsed parseGlide(Words words) {
  if (words.size() < 2) {
    return usage();
  }
  const auto target = pointerTarget(words.first(words.size() - 1));
  const auto duration = seconds(words.back().text);
  if (!target || !duration) {
    return usage();
  }
  return command::Glide{*target, *duration};
}

Parsed parseWait(Words words) {
  const auto duration = words.size() == 1 ? seconds(words[0].text) : std::nullopt;
  if (!duration) {
    return usage();
  }
  return command::Wait{*duration};
}

Parsed parseMouse(command::Mouse::Action action, Words words) {
  command::Mouse mouse{action, std::nullopt};
  if (!words.empty()) {
    mouse.target = pointerTarget(words);
    if (!mouse.target) {
      return usage();
    }
  }
  return mouse;
}

Parsed parseAppEvent(command::AppEvent::Kind kind, Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::AppEvent{kind, words[0].text};
}

Parsed parseSet(Words words) {
  if (words.size() == 2 && (words[0].isBare("hoverEnabled") || words[0].isBare("middleEnabled"))) {
    const auto on = parseSwitch(words[1]);
    if (!on) {
      return usage();
    }
    return command::Switch{words[0].isBare("hoverEnabled") ? command::Switch::Feature::hover
                                                           : command::Switch::Feature::middle,
                           *on};
  }
  if (words.size() == 3 && words[0].isBare("layout")) {
    const auto position = hoverPosition(words[1].text);
    if (!position) {
      return problem("unknown layout position '" + words[1].text + "'");
    }
    const auto distance = hoverDistance(words[2].text);
    if (!distance) {
      return problem("unknown layout distance '" + words[2].text + "'");
    }
    return command::Layout{HoverLayoutOptions{*position, *distance}};
  }
  return usage();
}

std::optional<ShellWindow> shellWindow(const Token& token) {
  if (token.isBare("welcome")) {
    return ShellWindow::welcome;
  }
  if (token.isBare("settings")) {
    return ShellWindow::settings;
  }
  return std::nullopt;
}

Parsed parseClose(Words words) {
  const auto window = words.size() == 1 ? shellWindow(words[0]) : std::nullopt;
  if (!window) {
    return usage();
  }
  return command::Close{*window};
}

Parsed parseExpect(Words words) {
  if (words.empty()) {
    return usage();
  }
  const Token& what = words[0];
  const Words rest = words.subspan(1);
  if (what.isBare("overlay") && rest.size() == 1 && !rest[0].text.empty()) {
    if (rest[0].isBare("hidden")) {
      return command::ExpectOverlay{std::nullopt};
    }
    return command::ExpectOverlay{rest[0].text};
  }
  if (what.isBare("status") &&
      (rest.size() == 1 || (rest.size() == 2 && rest[1].isBare("error")))) {
    return command::ExpectStatus{rest[0].text, rest.size() == 2};
  }
  if ((what.isBare("running") || what.isBare("stopped")) && rest.size() == 1 &&
      !rest[0].text.empty()) {
    return command::ExpectApp{rest[0].text, what.isBare("running")};
  }
  if (what.isBare("quit-requests") && rest.size() == 2 && !rest[0].text.empty()) {
    const auto count = parseCount(rest[1].text);
    if (!count) {
      return problem("bad count '" + rest[1].text + "'");
    }
    return command::ExpectQuitRequests{rest[0].text, *count};
  }
  if (what.isBare("symbol") && rest.size() == 1) {
    return command::ExpectSymbol{rest[0].text};
  }
  if (what.isBare("tooltip") && rest.size() == 1) {
    return command::ExpectTooltip{rest[0].text};
  }
  if (what.isBare("window") && rest.size() == 2) {
    const auto window = shellWindow(rest[0]);
    const bool shown = rest[1].isBare("shown");
    if (!window || (!shown && !rest[1].isBare("hidden"))) {
      return usage();
    }
    return command::ExpectWindow{*window, shown};
  }
  return usage();
}

Parsed parsePost(platform::Notification notification, Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::Post{notification};
}

// A verb without arguments.
template <class Verb> Parsed bare(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return Verb{};
}

Parsed parseMoveDock(Words words) {
  auto parsed = parseDock(words);
  if (auto* action = std::get_if<Action>(&parsed)) {
    return command::MoveDock{std::get<command::Dock>(*action)};
  }
  return parsed;
}

Parsed parseRelaunch(Words words) {
  if (words.size() == 2 && words[1].isBare("same-pid") && !words[0].text.empty()) {
    return command::AppEvent{command::AppEvent::Kind::relaunchSamePID, words[0].text};
  }
  return parseAppEvent(command::AppEvent::Kind::relaunch, words);
}

Parsed parseReusePID(Words words) {
  if (words.size() != 2 || words[0].text.empty() || words[1].text.empty()) {
    return usage();
  }
  return command::ReusePID{words[0].text, words[1].text};
}

// Keeps an oversized list within what a run can build.
constexpr int maxExtraChildren = 10000;

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
    inject.item = rest[0].text;
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

template <bool hidden> Parsed dockVisibility(Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockHidden{hidden};
}

Parsed parseTapDisable(Words words) {
  if (words.size() != 1 || (!words[0].isBare("timeout") && !words[0].isBare("user"))) {
    return usage();
  }
  return command::TapDisable{words[0].isBare("timeout")};
}

// Buttons as the event system numbers them; the Desktop knows this many.
constexpr int buttonCount = 32;

template <bool press> Parsed button(Words words) {
  if (words.size() != 1 || words[0].quotedFrom != std::string::npos) {
    return usage();
  }
  static constexpr std::pair<std::string_view, int> names[] = {
      {"left", 0}, {"right", 1}, {"middle", 2}};
  for (const auto& [name, number] : names) {
    if (words[0].text == name) {
      return command::Button{number, press};
    }
  }
  const auto number = parseCount(words[0].text);
  if (!number || *number >= buttonCount) {
    return problem("unknown button '" + words[0].text + "'");
  }
  return command::Button{*number, press};
}

struct Verb {
  std::string_view name;
  std::string_view usage;
  Parsed (*parse)(Words);
};

template <command::Mouse::Action action> Parsed mouse(Words words) {
  return parseMouse(action, words);
}
template <platform::Notification notification> Parsed post(Words words) {
  return parsePost(notification, words);
}
template <command::AppEvent::Kind kind> Parsed appEvent(Words words) {
  return parseAppEvent(kind, words);
}

using MouseAction = command::Mouse::Action;
using platform::Notification;

constexpr Verb verbs[] = {
    {"screen", "screen WIDTHxHEIGHT [at X,Y]", parseScreen},
    {"dock", "dock bottom|left|right [icons=SIZE] [magnify=SIZE] [screen=N]", parseDock},
    {"app",
     "app NAME [bundle=ID] [path=PATH] [quit=now|after:SECONDS|never|refuse] [background] "
     "[launching] [copies=N]",
     parseApp},
    {"folder", "folder NAME", parseFolder},
    {"trash", "trash", parseTrash},
    {"separator", "separator", parseSeparator},
    {"permission", "permission accessibility|input-monitoring on|off", parsePermission},
    {"default", "default KEY VALUE", parseDefault},
    {"launch", "launch [--welcome]", parseLaunch},
    {"pointer", "pointer X Y | pointer NAME | pointer button", parsePointer},
    {"glide", "glide X Y|NAME|button SECONDS", parseGlide},
    {"wait", "wait SECONDS", parseWait},
    {"click", "click [X Y|NAME|button]", mouse<MouseAction::click>},
    {"right-click", "right-click [X Y|NAME|button]", mouse<MouseAction::rightClick>},
    {"scroll", "scroll [X Y|NAME|button]", mouse<MouseAction::scroll>},
    {"drag", "drag [X Y|NAME|button]", mouse<MouseAction::drag>},
    {"middle-click", "middle-click [X Y|NAME|button]", mouse<MouseAction::middleClick>},
    {"sleep", "sleep", post<Notification::willSleep>},
    {"wake", "wake", post<Notification::didWake>},
    {"display-sleep", "display-sleep", post<Notification::screensDidSleep>},
    {"display-wake", "display-wake", post<Notification::screensDidWake>},
    {"lock", "lock", post<Notification::screenIsLocked>},
    {"unlock", "unlock", post<Notification::screenIsUnlocked>},
    {"session-resign", "session-resign", post<Notification::sessionDidResignActive>},
    {"session-activate", "session-activate", post<Notification::sessionDidBecomeActive>},
    {"space-change", "space-change", post<Notification::activeSpaceDidChange>},
    {"relaunch", "relaunch NAME [same-pid]", parseRelaunch},
    {"quits", "quits NAME", appEvent<command::AppEvent::Kind::quits>},
    {"start", "start NAME", appEvent<command::AppEvent::Kind::start>},
    {"finish-launching", "finish-launching NAME",
     appEvent<command::AppEvent::Kind::finishLaunching>},
    {"reuse-pid", "reuse-pid NAME BY", parseReusePID},
    {"dock-restart", "dock-restart", bare<command::DockRestart>},
    {"dock-hide", "dock-hide", dockVisibility<true>},
    {"dock-show", "dock-show", dockVisibility<false>},
    {"move-dock", "move-dock bottom|left|right [icons=SIZE] [magnify=SIZE] [screen=N]",
     parseMoveDock},
    {"screens", "screens WIDTHxHEIGHT[@X,Y]...", parseScreens},
    {"fault",
     "fault error|timeout|wrong-type|non-finite item NAME|items|list|dock|any [ATTRIBUTE] | "
     "fault clear",
     parseFault},
    {"latency", "latency SECONDS", parseLatency},
    {"extra-children", "extra-children N", parseExtraChildren},
    {"tap-disable", "tap-disable timeout|user", parseTapDisable},
    {"press", "press left|right|middle|BUTTON", button<true>},
    {"release", "release left|right|middle|BUTTON", button<false>},
    {"shutdown", "shutdown", bare<command::Shutdown>},
    {"set", "set hoverEnabled|middleEnabled on|off | set layout POSITION DISTANCE", parseSet},
    {"close", "close welcome|settings", parseClose},
    {"expect",
     "expect overlay hidden|NAME | expect status \"TEXT\" [error] | expect running|stopped NAME "
     "| expect quit-requests NAME N | expect symbol NAME | expect tooltip \"TEXT\" | expect "
     "window welcome|settings shown|hidden",
     parseExpect},
};

// ---------------------------------------------------------------------------------------------
// Checks across lines

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// Walks the commands in order and answers the first inconsistency.
class Checker {
public:
  explicit Checker(int screenCount) : screenCount_(screenCount) {}

  std::optional<std::string> check(const Command& command) {
    const std::string_view verb =
        std::string_view(command.source)
            .substr(0, std::string_view(command.source).find_first_of(" \t"));
    const bool setUp = std::holds_alternative<command::Screen>(command.action) ||
                       std::holds_alternative<command::Dock>(command.action) ||
                       std::holds_alternative<command::DockItem>(command.action) ||
                       std::holds_alternative<command::Default>(command.action);
    if (setUp && launched_) {
      return "'" + std::string(verb) + "' must come before 'launch'";
    }
    const bool needsLaunch = std::holds_alternative<command::Switch>(command.action) ||
                             std::holds_alternative<command::Layout>(command.action) ||
                             std::holds_alternative<command::Close>(command.action) ||
                             std::holds_alternative<command::Shutdown>(command.action);
    if (needsLaunch && !launched_) {
      return "'" + std::string(verb) + "' needs a 'launch' before it";
    }
    return std::visit(
        Overloaded{
            [&](const command::App& app) { return declare(app.profile.name, true); },
            [&](const command::DockItem& item) {
              return item.kind == DockItemKind::separator ? std::nullopt
                                                          : declare(item.name, false);
            },
            [&](const command::Dock& dock) -> std::optional<std::string> {
              if (dock.screen >= screenCount_) {
                return "no screen " + std::to_string(dock.screen + 1);
              }
              return std::nullopt;
            },
            [&](const command::Launch&) -> std::optional<std::string> {
              launched_ = true;
              return std::nullopt;
            },
            [&](const command::Pointer& pointer) { return item(pointer.target); },
            [&](const command::Glide& glide) { return item(glide.target); },
            [&](const command::Mouse& mouse) -> std::optional<std::string> {
              return mouse.target ? item(*mouse.target) : std::nullopt;
            },
            [&](const command::AppEvent& event) { return app(event.name); },
            [&](const command::ReusePID& reuse) {
              auto error = app(reuse.name);
              return error ? error : app(reuse.by);
            },
            [&](const command::InjectFault& inject) -> std::optional<std::string> {
              if (inject.item.empty() || items_.contains(inject.item)) {
                return std::nullopt;
              }
              return "unknown Dock item '" + inject.item + "'";
            },
            [&](const command::ExpectApp& expect) { return app(expect.name); },
            [&](const command::ExpectQuitRequests& expect) { return app(expect.name); },
            [&](const command::ExpectOverlay& expect) -> std::optional<std::string> {
              return expect.name ? app(*expect.name) : std::nullopt;
            },
            [](const auto&) -> std::optional<std::string> { return std::nullopt; },
        },
        command.action);
  }

private:
  std::optional<std::string> declare(const std::string& name, bool isApp) {
    if (!items_.insert(name).second) {
      return "duplicate name '" + name + "'";
    }
    if (isApp) {
      apps_.insert(name);
    }
    return std::nullopt;
  }

  std::optional<std::string> item(const PointerTarget& target) const {
    if (target.kind == PointerTarget::Kind::item && !items_.contains(target.item)) {
      return "unknown Dock item '" + target.item + "'";
    }
    return std::nullopt;
  }

  std::optional<std::string> app(const std::string& name) const {
    if (!apps_.contains(name)) {
      return "unknown app '" + name + "'";
    }
    return std::nullopt;
  }

  int screenCount_;
  bool launched_ = false;
  std::set<std::string> items_;
  std::set<std::string> apps_;
};

} // namespace

std::variant<std::optional<Command>, ScenarioError> parseLine(std::string_view line,
                                                              int lineNumber) {
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  if (!isValidUTF8(line)) {
    return ScenarioError{lineNumber, "not UTF-8 text"};
  }
  auto tokens = tokenize(line);
  if (const auto* error = std::get_if<std::string>(&tokens)) {
    return ScenarioError{lineNumber, *error};
  }
  const auto& words = std::get<std::vector<Token>>(tokens);
  if (words.empty()) {
    return std::nullopt;
  }
  const auto verb = std::find_if(std::begin(verbs), std::end(verbs),
                                 [&](const Verb& verb) { return words[0].isBare(verb.name); });
  if (verb == std::end(verbs)) {
    return ScenarioError{lineNumber, "unknown command '" + words[0].text + "'"};
  }
  auto parsed = verb->parse(Words(words).subspan(1));
  if (const auto* error = std::get_if<LineError>(&parsed)) {
    return ScenarioError{lineNumber, error->message.empty() ? "usage: " + std::string(verb->usage)
                                                            : error->message};
  }
  return Command{lineNumber, std::string(sourceText(line)), std::move(std::get<Action>(parsed))};
}

std::variant<Scenario, ScenarioError> parseScenario(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  Scenario scenario;
  int lineNumber = 0;
  while (!text.empty()) {
    const auto newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    auto parsed = parseLine(line, ++lineNumber);
    if (auto* error = std::get_if<ScenarioError>(&parsed)) {
      return std::move(*error);
    }
    if (auto& command = std::get<std::optional<Command>>(parsed)) {
      scenario.commands.push_back(std::move(*command));
    }
  }

  const auto screens =
      std::count_if(scenario.commands.begin(), scenario.commands.end(), [](const Command& command) {
        return std::holds_alternative<command::Screen>(command.action);
      });
  Checker checker(std::max<int>(1, static_cast<int>(screens)));
  for (const Command& command : scenario.commands) {
    if (auto error = checker.check(command)) {
      return ScenarioError{command.line, std::move(*error)};
    }
  }
  return scenario;
}

// ---------------------------------------------------------------------------------------------
// Running

namespace {

// Steps and waits advance the clock in slices this long, so that the timeline has real times.
constexpr double slice = 1.0 / 60;
// A drag without a target goes this far up from the pointer.
constexpr double dragDistance = 40;
// The display used when a script declares none.
constexpr Rect defaultScreen{0, 0, 1440, 900};
constexpr std::string_view lumivaneExecutable =
    "/Applications/Lumivane.app/Contents/MacOS/Lumivane";

bool isSetUp(const Action& action) {
  return std::holds_alternative<command::Screen>(action) ||
         std::holds_alternative<command::Dock>(action) ||
         std::holds_alternative<command::App>(action) ||
         std::holds_alternative<command::DockItem>(action) ||
         std::holds_alternative<command::Default>(action) ||
         std::holds_alternative<command::Permission>(action);
}

std::string describe(const Rect& rect) {
  return "(" + scriptNumber(rect.x) + ", " + scriptNumber(rect.y) + ", " +
         scriptNumber(rect.width) + ", " + scriptNumber(rect.height) + ")";
}

std::string_view levelName(platform::LogLevel level) {
  switch (level) {
  case platform::LogLevel::debug:
    return "debug";
  case platform::LogLevel::info:
    return "info";
  case platform::LogLevel::standard:
    return "default";
  case platform::LogLevel::error:
    return "error";
  case platform::LogLevel::fault:
    return "fault";
  }
  return "default";
}

std::string_view windowName(ShellWindow window) {
  return window == ShellWindow::welcome ? "welcome" : "settings";
}

std::optional<ShellWindow> kindOf(const WindowRecord& window) {
  if (window.content == "welcome") {
    return ShellWindow::welcome;
  }
  if (window.content == "menu") {
    return ShellWindow::settings;
  }
  return std::nullopt;
}

std::string describeStatus(std::string_view message, bool isError) {
  return "status " + scriptQuoted(message) + (isError ? " error" : "");
}

} // namespace

class ScenarioRunner::Impl {
public:
  Impl(ScenarioRunner& owner, std::ostream& timeline)
      : owner_(owner), timeline_(timeline), start_(desktop_.now()) {
    // Lumivane as set up by its user: both permissions granted until a script says otherwise.
    desktop_.setAccessibility(true);
    desktop_.setInputMonitoring(true);
  }

  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  ~Impl() {
    if (delegate_) {
      quitLumivane();
    }
  }

  ScenarioResult run(const Scenario& scenario) {
    setUpDisplays(scenario);
    for (const Command& command : scenario.commands) {
      if (ScenarioResult result = run(command); !result.passed) {
        return result;
      }
    }
    return {};
  }

  ScenarioResult run(const Command& command) {
    if (owner_.onCommand) {
      owner_.onCommand(command);
    }
    launched_ = launched_ || std::holds_alternative<command::Launch>(command.action);
    if (launched_ || !isSetUp(command.action)) {
      write(now(), "> " + command.source);
    }
    // Each step is a new entry into the main thread, as an event from the user or the system.
    desktop_.runLoop().beginCall();
    auto failure =
        std::visit([this](const auto& action) { return perform(action); }, command.action);
    desktop_.runLoop().drain();
    flush();
    if (!failure) {
      failure = check();
    }
    if (failure) {
      return {false, "line " + std::to_string(command.line) + ": " + *failure};
    }
    return {};
  }

  Desktop& desktop() { return desktop_; }
  AppDelegate* coordinator() const { return delegate_.get(); }

private:
  using Failure = std::optional<std::string>;

  Failure check() { return owner_.onCheck ? owner_.onCheck() : std::nullopt; }

  // -------------------------------------------------------------------------------------------
  // Set-up

  // The displays and the Dock come first whatever their place among the set-up lines.
  void setUpDisplays(const Scenario& scenario) {
    std::optional<command::Dock> dock;
    for (const Command& command : scenario.commands) {
      if (const auto* screen = std::get_if<command::Screen>(&command.action)) {
        desktop_.addScreen(screen->frame);
      } else if (const auto* placement = std::get_if<command::Dock>(&command.action)) {
        dock = *placement;
      }
    }
    if (desktop_.screenFrames().empty()) {
      desktop_.addScreen(defaultScreen);
    }
    const command::Dock placement = dock.value_or(command::Dock{});
    desktop_.placeDock(placement.edge, placement.screen, placement.iconSize,
                       placement.magnifiedSize);
  }

  // Done by setUpDisplays.
  Failure perform(const command::Screen&) { return std::nullopt; }
  Failure perform(const command::Dock&) { return std::nullopt; }

  Failure perform(const command::App& app) {
    profiles_.insert_or_assign(app.profile.name, app.profile);
    for (int copy = 0; copy < app.copies; ++copy) {
      launched(desktop_.launch(app.profile), app.profile.name);
    }
    desktop_.addDockApplication(app.profile.name, app.profile.bundlePath);
    return std::nullopt;
  }

  Failure perform(const command::DockItem& item) {
    desktop_.addDockItem(item.kind, item.name);
    return std::nullopt;
  }

  Failure perform(const command::Default& value) {
    if (const auto* flag = std::get_if<bool>(&value.value)) {
      desktop_.setDefault(value.key, *flag);
    } else {
      desktop_.setDefault(value.key, std::string_view(std::get<std::string>(value.value)));
    }
    return std::nullopt;
  }

  Failure perform(const command::Permission& permission) {
    if (permission.kind == command::Permission::Kind::accessibility) {
      desktop_.setAccessibility(permission.granted);
    } else {
      desktop_.setInputMonitoring(permission.granted);
    }
    return std::nullopt;
  }

  // A second launch quits the running Lumivane first; the defaults it wrote stay.
  Failure perform(const command::Launch& launch) {
    if (delegate_) {
      quitLumivane();
    }
    stopped_.reset();
    std::vector<std::string> arguments{std::string(lumivaneExecutable)};
    if (launch.welcome) {
      arguments.emplace_back(AppDelegate::welcomeArgument);
    }
    desktop_.setArguments(std::move(arguments));
    firstWindow_ = desktop_.shell().windows.size();
    status_ = StatusSeen{};
    delegate_ = std::make_shared<AppDelegate>(desktop_.platform(), desktop_.windows());
    RuntimeStatus* runtime = delegate_->runtime().get();
    statusToken_ = runtime->observe([this, runtime] { statusChanged(*runtime); });
    delegate_->applicationDidFinishLaunching();
    return std::nullopt;
  }

  void quitLumivane() {
    delegate_->runtime()->removeObserver(statusToken_);
    delegate_->applicationWillTerminate();
    delegate_.reset();
  }

  // -------------------------------------------------------------------------------------------
  // Steps

  std::variant<Point, std::string> locate(const PointerTarget& target) const {
    switch (target.kind) {
    case PointerTarget::Kind::point:
      return target.point;
    case PointerTarget::Kind::item: {
      const auto index = desktop_.dockItemNamed(target.item);
      if (!index) {
        return "the Dock has no item '" + target.item + "'";
      }
      const Rect frame = desktop_.itemFrame(*index);
      return Point{frame.midX(), frame.midY()};
    }
    case PointerTarget::Kind::button: {
      const PanelRecord& panel = desktop_.panel();
      if (!panel.visible) {
        return std::string("the × is not shown");
      }
      const Rect frame = DockGeometry::appKitRect(panel.frame, primaryTop());
      return Point{frame.midX(), frame.midY()};
    }
    }
    return target.point;
  }

  Failure perform(const command::Pointer& pointer) {
    const auto point = locate(pointer.target);
    if (const auto* failure = std::get_if<std::string>(&point)) {
      return *failure;
    }
    desktop_.movePointer(std::get<Point>(point));
    return std::nullopt;
  }

  // Samples the way as a mouse reports it: one movement per slice, the last one on the target.
  // A target that moves on the way (a magnified Dock, the × following its icon) is chased.
  Failure perform(const command::Glide& glide) {
    const auto point = locate(glide.target);
    if (const auto* failure = std::get_if<std::string>(&point)) {
      return *failure;
    }
    const Point from = desktop_.pointer();
    Point to = std::get<Point>(point);
    return passTime(glide.seconds, [&](double fraction) {
      if (const auto moved = locate(glide.target); std::holds_alternative<Point>(moved)) {
        to = std::get<Point>(moved);
      }
      desktop_.movePointer(
          {from.x + (to.x - from.x) * fraction, from.y + (to.y - from.y) * fraction});
    });
  }

  Failure perform(const command::Wait& wait) { return passTime(wait.seconds, nullptr); }

  Failure perform(const command::Mouse& mouse) {
    std::optional<Point> target;
    if (mouse.target) {
      const auto point = locate(*mouse.target);
      if (const auto* failure = std::get_if<std::string>(&point)) {
        return *failure;
      }
      target = std::get<Point>(point);
    }
    if (mouse.action == command::Mouse::Action::drag) {
      const Point from = desktop_.pointer();
      desktop_.drag(target.value_or(Point{from.x, from.y - dragDistance}));
      return std::nullopt;
    }
    if (target) {
      desktop_.movePointer(*target);
    }
    switch (mouse.action) {
    case command::Mouse::Action::click:
      desktop_.click();
      break;
    case command::Mouse::Action::rightClick:
      desktop_.rightClick();
      break;
    case command::Mouse::Action::scroll:
      desktop_.scroll();
      break;
    case command::Mouse::Action::middleClick:
      desktop_.middleClick();
      break;
    case command::Mouse::Action::drag:
      break;
    }
    return std::nullopt;
  }

  Failure perform(const command::Post& post) {
    desktop_.post(post.notification);
    return std::nullopt;
  }

  Failure perform(const command::AppEvent& event) {
    const auto profile = profiles_.find(event.name);
    if (profile == profiles_.end()) {
      return "no app '" + event.name + "'";
    }
    if (event.kind == command::AppEvent::Kind::start) {
      launched(desktop_.launch(profile->second), event.name);
      return std::nullopt;
    }
    const auto pid = desktop_.pidOf(event.name);
    if (!pid) {
      return "'" + event.name + "' is not running";
    }
    switch (event.kind) {
    case command::AppEvent::Kind::quits:
      desktop_.endByItself(*pid);
      return std::nullopt;
    case command::AppEvent::Kind::finishLaunching:
      desktop_.finishLaunching(*pid);
      return std::nullopt;
    case command::AppEvent::Kind::relaunch:
      launched(desktop_.relaunch(*pid), event.name, true);
      return std::nullopt;
    case command::AppEvent::Kind::relaunchSamePID:
      desktop_.endByItself(*pid);
      launched(desktop_.launchWithPID(profile->second, *pid), event.name, true);
      return std::nullopt;
    case command::AppEvent::Kind::start:
      break;
    }
    return std::nullopt;
  }

  Failure perform(const command::ReusePID& reuse) {
    const auto pid = desktop_.pidOf(reuse.name);
    const auto profile = profiles_.find(reuse.by);
    if (profile == profiles_.end()) {
      return "no app '" + reuse.by + "'";
    }
    if (!pid) {
      return "'" + reuse.name + "' is not running";
    }
    desktop_.endByItself(*pid);
    launched(desktop_.launchWithPID(profile->second, *pid), reuse.by, true);
    return std::nullopt;
  }

  Failure perform(const command::DockRestart&) {
    desktop_.restartDock();
    return std::nullopt;
  }

  Failure perform(const command::DockHidden& dock) {
    desktop_.setDockHidden(dock.hidden);
    return std::nullopt;
  }

  Failure perform(const command::MoveDock& move) {
    const command::Dock& dock = move.placement;
    desktop_.placeDock(dock.edge, dock.screen, dock.iconSize, dock.magnifiedSize);
    return std::nullopt;
  }

  Failure perform(const command::Screens& screens) {
    desktop_.setScreens(screens.frames);
    return std::nullopt;
  }

  Failure perform(const command::InjectFault& inject) {
    if (!inject.fault) {
      desktop_.clearFaults();
      return std::nullopt;
    }
    Fault fault = *inject.fault;
    if (!inject.item.empty()) {
      const auto index = desktop_.dockItemNamed(inject.item);
      if (!index) {
        return "the Dock has no item '" + inject.item + "'";
      }
      fault.itemIndex = *index;
    }
    desktop_.addFault(fault);
    return std::nullopt;
  }

  Failure perform(const command::Latency& latency) {
    desktop_.setMessageLatency(latency.seconds);
    return std::nullopt;
  }

  Failure perform(const command::ExtraChildren& extra) {
    desktop_.setExtraListChildren(extra.count);
    return std::nullopt;
  }

  Failure perform(const command::TapDisable& disable) {
    desktop_.disableTap(disable.byTimeout);
    return std::nullopt;
  }

  Failure perform(const command::Button& button) {
    if (button.press) {
      desktop_.press(button.button);
    } else {
      desktop_.release(button.button);
    }
    return std::nullopt;
  }

  // Lumivane quits; its services stay until the next launch, so what it left running shows.
  Failure perform(const command::Shutdown&) {
    if (!delegate_) {
      return std::string("Lumivane is not running");
    }
    delegate_->runtime()->removeObserver(statusToken_);
    delegate_->applicationWillTerminate();
    stopped_ = std::move(delegate_);
    return std::nullopt;
  }

  Failure perform(const command::Switch& change) {
    if (change.feature == command::Switch::Feature::hover) {
      delegate_->settings()->setHoverEnabled(change.on);
    } else {
      delegate_->settings()->setMiddleEnabled(change.on);
    }
    return std::nullopt;
  }

  Failure perform(const command::Layout& layout) {
    delegate_->settings()->setHoverLayout(layout.options);
    return std::nullopt;
  }

  Failure perform(const command::Close& close) {
    const auto index = shownWindow(close.window);
    if (!index) {
      return "no " + std::string(windowName(close.window)) + " window is shown";
    }
    desktop_.closeWindow(*index);
    return std::nullopt;
  }

  // -------------------------------------------------------------------------------------------
  // Expectations

  static Failure mismatch(const std::string& expected, const std::string& found) {
    return "expected " + expected + ", found " + found;
  }

  Failure perform(const command::ExpectOverlay& expect) const {
    const PanelRecord& panel = desktop_.panel();
    const std::string found = panel.visible ? "overlay " + panelName(panel) : "overlay hidden";
    const std::string expected = "overlay " + expect.name.value_or("hidden");
    return found == expected ? std::nullopt : mismatch(expected, found);
  }

  Failure perform(const command::ExpectStatus& expect) const {
    const std::string found =
        delegate_ ? describeStatus(delegate_->runtime()->message(), delegate_->runtime()->isError())
                  : describeStatus("", false);
    const std::string expected = describeStatus(expect.text, expect.isError);
    return found == expected ? std::nullopt : mismatch(expected, found);
  }

  Failure perform(const command::ExpectApp& expect) const {
    const bool running = desktop_.pidOf(expect.name).has_value();
    if (running == expect.running) {
      return std::nullopt;
    }
    return mismatch(expect.name + (expect.running ? " running" : " stopped"),
                    running ? "it running" : "it stopped");
  }

  Failure perform(const command::ExpectQuitRequests& expect) const {
    const auto& requests = desktop_.quitRequests();
    const auto count = std::count_if(requests.begin(), requests.end(), [&](const auto& request) {
      return request.name == expect.name;
    });
    if (count == expect.count) {
      return std::nullopt;
    }
    const auto requestsFor = [&](long n) {
      return std::to_string(n) + (n == 1 ? " quit request for " : " quit requests for ") +
             expect.name;
    };
    return mismatch(requestsFor(expect.count), std::to_string(count));
  }

  Failure perform(const command::ExpectSymbol& expect) const {
    const std::string& symbol = desktop_.shell().statusSymbol;
    if (symbol == expect.name) {
      return std::nullopt;
    }
    return mismatch("symbol " + expect.name, symbol.empty() ? "no symbol" : "symbol " + symbol);
  }

  Failure perform(const command::ExpectTooltip& expect) const {
    const std::string& toolTip = desktop_.shell().statusToolTip;
    if (toolTip == expect.text) {
      return std::nullopt;
    }
    return mismatch("tooltip " + scriptQuoted(expect.text), "tooltip " + scriptQuoted(toolTip));
  }

  Failure perform(const command::ExpectWindow& expect) const {
    const bool shown = shownWindow(expect.window).has_value();
    if (shown == expect.shown) {
      return std::nullopt;
    }
    const std::string name(windowName(expect.window));
    return mismatch(name + " window " + (expect.shown ? "shown" : "hidden"),
                    shown ? "shown" : "hidden");
  }

  // -------------------------------------------------------------------------------------------
  // The clock

  // Advances `seconds` in slices of about 1/60 s; `sample` runs after each with the share of
  // the way done, and the timeline is written and the run checked after each.
  Failure passTime(double seconds, const std::function<void(double)>& sample) {
    const double begin = desktop_.now();
    const int count = std::max(1, static_cast<int>(std::ceil(seconds / slice - 1e-9)));
    for (int step = 1; step <= count; ++step) {
      const double fraction = static_cast<double>(step) / count;
      // A clock that a blocked main thread moved past this slice still gives the run loop its
      // turn: the timers that fell due run before the next sample.
      desktop_.advance(std::max(0.0, begin + seconds * fraction - desktop_.now()));
      if (sample) {
        sample(fraction);
      }
      desktop_.runLoop().drain();
      flush();
      if (auto failure = check()) {
        return failure;
      }
    }
    return std::nullopt;
  }

  double now() { return desktop_.now() - start_; }

  double primaryTop() const {
    const auto screens = desktop_.screenFrames();
    return screens.empty() ? 0 : screens.front().maxY();
  }

  // -------------------------------------------------------------------------------------------
  // The timeline

  struct Event {
    double time;
    std::string text;
  };

  void write(double time, const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8.3f", std::max(0.0, time));
    timeline_ << stamp << "  " << text << '\n';
  }

  void note(double time, std::string text) { events_.push_back({time, std::move(text)}); }

  // The runtime status publishes the message and then its error flag: the pair becomes one
  // line. What the desktop recorded before the message is collected first, to keep the order.
  void statusChanged(const RuntimeStatus& runtime) {
    const double time = now();
    collect(time);
    if (runtime.message() != status_.message) {
      status_.message = runtime.message();
      status_.isError = runtime.isError();
      statusEvent_ = events_.size();
      note(time, describeStatus(status_.message, status_.isError));
    } else if (runtime.isError() != status_.isError) {
      status_.isError = runtime.isError();
      if (statusEvent_) {
        events_[*statusEvent_].text = describeStatus(status_.message, status_.isError);
      } else {
        statusEvent_ = events_.size();
        note(time, describeStatus(status_.message, status_.isError));
      }
    }
    if (runtime.isSuspended() != status_.suspended) {
      status_.suspended = runtime.isSuspended();
      note(time, status_.suspended ? "features suspended" : "features resumed");
    }
  }

  // The application the × stands for, by the name the script gave it.
  std::string panelName(const PanelRecord& panel) const {
    return desktop_.appName(panel.pid).value_or("pid " + std::to_string(panel.pid));
  }

  void collectPanel(double time) {
    const PanelRecord& panel = desktop_.panel();
    const auto shown = [&] {
      return panelName(panel) + " " +
             describe(DockGeometry::appKitRect(panel.frame, primaryTop())) + " " +
             scriptQuoted(panel.label);
    };
    if (panel.visible && !panel_.visible) {
      note(time, "overlay shown " + shown());
    } else if (panel.visible && (panel.frame != panel_.frame || panel.label != panel_.label)) {
      note(time, "overlay moved " + shown());
    } else if (!panel.visible && panel_.visible) {
      note(time, "overlay hidden");
    }
    panel_ = panel;
  }

  void collectShell(double time) {
    const ShellRecord& shell = desktop_.shell();
    if (shell.statusSymbol != symbol_ || shell.statusSymbolDescription != symbolDescription_) {
      symbol_ = shell.statusSymbol;
      symbolDescription_ = shell.statusSymbolDescription;
      note(time, "symbol " + symbol_ + " " + scriptQuoted(symbolDescription_));
    }
    if (shell.statusToolTip != toolTip_) {
      toolTip_ = shell.statusToolTip;
      note(time, "tooltip " + scriptQuoted(toolTip_));
    }
    windowsShown_.resize(shell.windows.size(), false);
    for (std::size_t i = 0; i < shell.windows.size(); ++i) {
      const WindowRecord& window = shell.windows[i];
      if (window.visible != windowsShown_[i]) {
        const auto kind = kindOf(window);
        note(time, std::string("window ") + (window.visible ? "shown " : "closed ") +
                       std::string(kind ? windowName(*kind) : "other") + " " +
                       scriptQuoted(window.title));
        windowsShown_[i] = window.visible;
      }
    }
  }

  void collectRecords() {
    const auto& requests = desktop_.quitRequests();
    for (; quitRequestsSeen_ < requests.size(); ++quitRequestsSeen_) {
      const QuitRequestRecord& request = requests[quitRequestsSeen_];
      note(request.time - start_, "quit request " + request.name + " (pid " +
                                      std::to_string(request.pid) + ")" +
                                      (request.delivered ? "" : " refused"));
    }
    const auto& logs = desktop_.logs();
    for (; logsSeen_ < logs.size(); ++logsSeen_) {
      const LogRecord& log = logs[logsSeen_];
      note(log.time - start_, "log " + log.category + " " + std::string(levelName(log.level)) +
                                  " " + scriptQuoted(log.message));
    }
  }

  void collectApps(double time) {
    if (desktop_.processChanges() == processChanges_) {
      return;
    }
    processChanges_ = desktop_.processChanges();
    // A process that reused the pid is another one: the launch date tells them apart.
    std::erase_if(running_, [&](const Process& app) {
      if (desktop_.isRunning(app.pid) && desktop_.launchDate(app.pid) == app.launchDate) {
        return false;
      }
      note(time, "app ended " + app.name + " (pid " + std::to_string(app.pid) + ")");
      return true;
    });
  }

  // Notes what changed in the desktop's records.
  void collect(double time) {
    collectRecords();
    collectApps(time);
    collectPanel(time);
    collectShell(time);
  }

  // Writes everything that happened since the last flush, in time order.
  void flush() {
    collect(now());
    std::stable_sort(events_.begin(), events_.end(),
                     [](const Event& a, const Event& b) { return a.time < b.time; });
    for (const Event& event : events_) {
      write(event.time, event.text);
    }
    events_.clear();
    statusEvent_.reset();
  }

  // Follows a process the script started until it ends. `replacing`: another process ended just
  // before, and its end is noted first.
  void launched(int32_t pid, const std::string& name, bool replacing = false) {
    if (replacing) {
      collect(now());
    }
    running_.push_back({pid, name, desktop_.launchDate(pid)});
    note(now(), "app launched " + name + " (pid " + std::to_string(pid) + ")");
  }

  // The index of the shown window of that kind opened by the running Lumivane.
  std::optional<std::size_t> shownWindow(ShellWindow kind) const {
    const auto& windows = desktop_.shell().windows;
    for (std::size_t i = windows.size(); i > firstWindow_; --i) {
      if (windows[i - 1].visible && kindOf(windows[i - 1]) == kind) {
        return i - 1;
      }
    }
    return std::nullopt;
  }

  ScenarioRunner& owner_;
  Desktop desktop_;
  std::ostream& timeline_;
  double start_;
  bool launched_ = false;
  std::shared_ptr<AppDelegate> delegate_;
  // After a shutdown, until the next launch.
  std::shared_ptr<AppDelegate> stopped_;
  std::map<std::string, AppProfile, std::less<>> profiles_;
  Observable::Token statusToken_ = 0;
  // Windows before this index belong to an earlier launch.
  std::size_t firstWindow_ = 0;

  std::vector<Event> events_;
  struct StatusSeen {
    std::string message;
    bool isError = false;
    bool suspended = false;
  };
  StatusSeen status_;
  // The line of the last status message while it is among the unwritten events.
  std::optional<std::size_t> statusEvent_;
  PanelRecord panel_;
  std::string symbol_;
  std::string symbolDescription_;
  std::string toolTip_;
  std::vector<bool> windowsShown_;
  std::size_t quitRequestsSeen_ = 0;
  std::size_t logsSeen_ = 0;
  struct Process {
    int32_t pid;
    std::string name;
    std::chrono::system_clock::time_point launchDate;
  };
  std::vector<Process> running_;
  uint64_t processChanges_ = 0; // of the desktop when running_ was last brought up to date
};

ScenarioRunner::ScenarioRunner(std::ostream& timeline)
    : impl_(std::make_unique<Impl>(*this, timeline)) {}

ScenarioRunner::~ScenarioRunner() = default;

ScenarioResult ScenarioRunner::run(const Scenario& scenario) {
  return impl_->run(scenario);
}

ScenarioResult ScenarioRunner::run(const Command& command) {
  return impl_->run(command);
}

Desktop& ScenarioRunner::desktop() {
  return impl_->desktop();
}

AppDelegate* ScenarioRunner::coordinator() const {
  return impl_->coordinator();
}

ScenarioResult runScenario(const Scenario& scenario, std::ostream& timeline) {
  ScenarioRunner runner(timeline);
  return runner.run(scenario);
}

int runScenarioText(std::string_view text, std::ostream& timeline, std::ostream& errors) {
  const auto parsed = parseScenario(text);
  if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
    errors << error->describe() << '\n';
    return scenarioMalformed;
  }
  const ScenarioResult result = runScenario(std::get<Scenario>(parsed), timeline);
  if (!result.passed) {
    errors << result.failure << '\n';
    return scenarioFailed;
  }
  return scenarioPassed;
}

std::string scriptNumber(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.3f", value);
  std::string text = buffer;
  while (text.back() == '0') {
    text.pop_back();
  }
  if (text.back() == '.') {
    text.pop_back();
  }
  return text == "-0" ? "0" : text;
}

std::string scriptQuoted(std::string_view text) {
  std::string result = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      result += '\\';
    }
    result += c;
  }
  return result + "\"";
}

} // namespace lumivane::sim
