#pragma once

#include "Scenarios/Scenarios.hpp"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The words of one script line and the small values they spell: numbers, counts, switches,
// options, points and screen sizes.

namespace lumivane::sim::syntax {

struct Token {
  std::string text;
  // Offset in `text` where quoted content begins; npos for a bare word. An option's `=` counts
  // only before it, so a quoted "a=b" stays one plain word.
  std::size_t quotedFrom = std::string::npos;

  bool isBare(std::string_view word) const {
    return quotedFrom == std::string::npos && text == word;
  }
  bool isQuoted() const { return quotedFrom != std::string::npos; }
};

using Words = std::span<const Token>;

bool isValidUTF8(std::string_view text);

// Splits a line into words, or says why it cannot. A `#` that starts a word begins a comment.
// Quotes may open anywhere in a word; inside them blanks and `#` are plain text, and a
// backslash escapes a quote or another backslash.
std::variant<std::vector<Token>, std::string> tokenize(std::string_view line);

// The line without a trailing comment and surrounding blanks, for the timeline.
std::string_view sourceText(std::string_view line);

// The text with control characters written as escapes (\t, \x1b, \u0085), for messages.
std::string printable(std::string_view text);

// Bounds that keep a script's run finite and its geometry sane.
inline constexpr double maxSeconds = 3600; // one wait, glide or quit delay
inline constexpr double maxScreenSide = 16384;
inline constexpr double maxIconSize = 512;
inline constexpr int maxCopies = 16;

std::optional<double> parseNumber(std::string_view text);
std::optional<int> parseCount(std::string_view text);
// A duration from 0 to maxSeconds.
std::optional<double> seconds(std::string_view text);
std::optional<bool> parseSwitch(const Token& token);
// A bare `key=value` word: the key and the value, or nothing for any other word.
std::optional<std::pair<std::string_view, std::string_view>> option(const Token& token);
// "X,Y"
std::optional<Point> pair(std::string_view text);

// What went wrong with a line's arguments; empty means "does not match the usage".
struct LineError {
  std::string message;
};
using Parsed = std::variant<Action, LineError>;

inline LineError usage() {
  return {};
}
inline LineError problem(std::string message) {
  return {std::move(message)};
}
LineError unknownOption(const Token& token);

// A name of an app or a Dock item: the word in Unicode NFC, so that every spelling of a name
// is the same name.
std::string name(const Token& token);

// "WIDTHxHEIGHT": the size, a problem, or usage() when the word has no "x".
std::variant<Point, LineError> screenSize(const Token& word);
std::optional<LineError> checkOrigin(Point origin, std::string_view text);

} // namespace lumivane::sim::syntax
