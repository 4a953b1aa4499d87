#include "Verbs.hpp"

#include <algorithm>
#include <set>
#include <string>
#include <utility>

namespace lumivane::sim {

std::string ScenarioError::describe() const {
  return "line " + std::to_string(line) + ": " + syntax::printable(message);
}

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// Walks the commands in order and answers the first inconsistency.
class Checker {
public:
  explicit Checker(int screenCount) : screenCount_(screenCount) {}

  std::optional<std::string> check(const Command& command) {
    const verbs::Verb* verb = verbs::of(command.action);
    if (verb == nullptr) {
      return std::string("a command no script can write");
    }
    if (verb->phase == verbs::Phase::setUp && launched_) {
      return "'" + std::string(verb->name) + "' must come before 'launch'";
    }
    if (verb->phase == verbs::Phase::launched && !launched_) {
      return "'" + std::string(verb->name) + "' needs a 'launch' before it";
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
            [&](const command::Glide& glide) -> std::optional<std::string> {
              if (held_ && glide.seconds > 0) {
                return std::string("'glide' cannot take time while the main queue is held");
              }
              return item(glide.target);
            },
            [&](const command::Wait& wait) -> std::optional<std::string> {
              if (held_ && wait.seconds > 0) {
                return std::string("'wait' cannot take time while the main queue is held");
              }
              return std::nullopt;
            },
            [&](const command::Queue& queue) -> std::optional<std::string> {
              held_ = queue.hold;
              return std::nullopt;
            },
            [&](const command::DockChange& change) {
              return item({PointerTarget::Kind::item, {}, change.name});
            },
            [&](const command::Bounce& bounce) { return app(bounce.name); },
            [&](const command::ItemMenu& menu) -> std::optional<std::string> {
              return menu.name.empty() ? std::nullopt
                                       : item({PointerTarget::Kind::item, {}, menu.name});
            },
            [&](const command::DockBadge& badge) {
              return item({PointerTarget::Kind::item, {}, badge.name});
            },
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
            [&](const command::Protect& change) { return app(change.name); },
            [&](const command::DeleteApp& remove) { return app(remove.name); },
            [&](const command::ExpectApp& expect) { return app(expect.name); },
            [&](const command::ExpectPointer& expect) {
              return item({PointerTarget::Kind::item, {}, expect.item});
            },
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
  bool held_ = false; // the main queue
  std::set<std::string> items_;
  std::set<std::string> apps_;
};

} // namespace

std::variant<std::optional<Command>, ScenarioError> parseLine(std::string_view line,
                                                              int lineNumber) {
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  if (!syntax::isValidUTF8(line)) {
    return ScenarioError{lineNumber, "not UTF-8 text"};
  }
  auto tokens = syntax::tokenize(line);
  if (const auto* error = std::get_if<std::string>(&tokens)) {
    return ScenarioError{lineNumber, *error};
  }
  const auto& words = std::get<std::vector<syntax::Token>>(tokens);
  if (words.empty()) {
    return std::nullopt;
  }
  const verbs::Verb* verb = words[0].isQuoted() ? nullptr : verbs::find(words[0].text);
  if (verb == nullptr) {
    return ScenarioError{lineNumber, "unknown command '" + words[0].text + "'"};
  }
  auto parsed = verb->parse(syntax::Words(words).subspan(1));
  if (const auto* error = std::get_if<syntax::LineError>(&parsed)) {
    return ScenarioError{lineNumber, error->message.empty() ? "usage: " + std::string(verb->usage)
                                                            : error->message};
  }
  return Command{lineNumber, std::string(syntax::sourceText(line)),
                 std::move(std::get<Action>(parsed))};
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

  if (auto error = checkScenario(scenario)) {
    return std::move(*error);
  }
  return scenario;
}

std::optional<ScenarioError> checkScenario(const Scenario& scenario) {
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
  return std::nullopt;
}

} // namespace lumivane::sim
