#include "Verbs.hpp"

#include <algorithm>
#include <utility>

namespace lumivane::sim::verbs {

using namespace syntax;

namespace {

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
  return PointerTarget{PointerTarget::Kind::item, {}, name(words[0])};
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

} // namespace

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

Parsed parseProtect(bool isProtected, Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::Protect{name(words[0]), isProtected};
}

Parsed parseOpen(Words words) {
  if (words.size() != 1 || !words[0].isBare("popover")) {
    return usage();
  }
  return command::Popover{true};
}

Parsed parseClose(Words words) {
  if (words.size() == 1 && words[0].isBare("popover")) {
    return command::Popover{false};
  }
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
    return command::ExpectOverlay{name(rest[0])};
  }
  if (what.isBare("status") &&
      (rest.size() == 1 || (rest.size() == 2 && rest[1].isBare("error")))) {
    // Names in the text are compared as names are.
    return command::ExpectStatus{name(rest[0]), rest.size() == 2};
  }
  if ((what.isBare("running") || what.isBare("stopped")) && rest.size() == 1 &&
      !rest[0].text.empty()) {
    return command::ExpectApp{name(rest[0]), what.isBare("running")};
  }
  if (what.isBare("quit-requests") && rest.size() == 2 && !rest[0].text.empty()) {
    const auto count = parseCount(rest[1].text);
    if (!count) {
      return problem("bad count '" + rest[1].text + "'");
    }
    return command::ExpectQuitRequests{name(rest[0]), *count};
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
  if (what.isBare("badge") && rest.size() == 1) {
    const auto on = parseSwitch(rest[0]);
    if (!on) {
      return usage();
    }
    return command::ExpectBadge{*on};
  }
  if (what.isBare("popover") && rest.size() == 1 &&
      (rest[0].isBare("shown") || rest[0].isBare("hidden"))) {
    return command::ExpectPopover{rest[0].isBare("shown")};
  }
  if (what.isBare("reopen") && rest.size() == 1) {
    const auto offered = parseSwitch(rest[0]);
    if (!offered) {
      return usage();
    }
    return command::ExpectReopen{*offered};
  }
  if (what.isBare("pointer") && rest.size() == 1 && !rest[0].text.empty()) {
    return command::ExpectPointer{name(rest[0])};
  }
  if (what.isBare("dock-events") && rest.size() == 1) {
    const auto count = parseCount(rest[0].text);
    if (!count) {
      return problem("bad count '" + rest[0].text + "'");
    }
    return command::ExpectDockEvents{*count};
  }
  if (what.isBare("preview-edge") && rest.size() == 1) {
    const auto edge = edgeNamed(rest[0]);
    if (!edge) {
      return problem("unknown Dock edge '" + rest[0].text + "'");
    }
    return command::ExpectPreviewEdge{*edge};
  }
  return usage();
}

Parsed parsePost(platform::Notification notification, Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::Post{notification};
}

Parsed parseDockChange(command::DockChange::Kind kind, Words words) {
  using Kind = command::DockChange::Kind;
  if (words.empty() || words[0].text.empty()) {
    return usage();
  }
  command::DockChange change{kind, name(words[0]), std::nullopt};
  std::optional<std::string_view> position;
  if (kind == Kind::remove && words.size() == 1) {
    return change;
  }
  if (kind == Kind::add && words.size() <= 2) {
    if (words.size() == 1) {
      return change;
    }
    const auto pair = option(words[1]);
    if (!pair || pair->first != "at") {
      return unknownOption(words[1]);
    }
    position = pair->second;
  } else if (kind == Kind::move && words.size() == 2 && !words[1].isQuoted()) {
    position = words[1].text;
  } else {
    return usage();
  }
  const auto number = parseCount(*position);
  if (!number || *number < 1) {
    return problem("bad position '" + std::string(*position) + "'");
  }
  change.position = *number - 1;
  return change;
}

Parsed parseBounce(Words words) {
  if (words.empty() || words.size() > 2 || words[0].text.empty()) {
    return usage();
  }
  command::Bounce bounce{name(words[0]), 1};
  if (words.size() == 2) {
    const auto hops = parseCount(words[1].text);
    if (!hops || *hops < 1 || *hops > maxHops) {
      return problem("bad number of bounces '" + words[1].text + "'");
    }
    bounce.hops = *hops;
  }
  return bounce;
}

Parsed parseMissionControlShown(bool open, Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::MissionControl{open};
}

Parsed parseItemMenu(Words words) {
  if (words.size() != 1 || words[0].text.empty()) {
    return usage();
  }
  return command::ItemMenu{words[0].isBare("close") ? std::string() : name(words[0])};
}

Parsed parseDockBadge(Words words) {
  if (words.size() != 2 || words[0].text.empty()) {
    return usage();
  }
  return command::DockBadge{name(words[0]), words[1].text};
}

Parsed parseQueue(Words words) {
  if (words.size() != 1 || (!words[0].isBare("hold") && !words[0].isBare("release"))) {
    return usage();
  }
  return command::Queue{words[0].isBare("hold")};
}

Parsed parseDockVisibility(bool hidden, Words words) {
  if (!words.empty()) {
    return usage();
  }
  return command::DockHidden{hidden};
}

Parsed parseButton(bool press, Words words) {
  if (words.size() != 1 || words[0].isQuoted()) {
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

} // namespace lumivane::sim::verbs
