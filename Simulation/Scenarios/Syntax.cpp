#include "Syntax.hpp"

#include "Simulator/Paths.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace lumivane::sim {

namespace syntax {

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

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

} // namespace

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

std::string printable(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    char escape[16];
    if (byte == '\t' || byte == '\n' || byte == '\r') {
      result += byte == '\t' ? "\\t" : byte == '\n' ? "\\n" : "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      result += escape;
    } else if (byte == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080 to U+009F, the C1 controls.
      std::snprintf(escape, sizeof escape, "\\u%04x",
                    static_cast<unsigned>(static_cast<unsigned char>(text[i + 1])));
      result += escape;
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
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

std::string name(const Token& token) {
  return nfc(token.text).value_or(token.text);
}

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

} // namespace syntax

std::string scriptNumber(double value) {
  char buffer[64];
  // Beyond 2^53 a double has no fractions left to show, and all its digits would not fit.
  if (!(std::abs(value) < 0x1p53)) {
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
  }
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

double scriptRounded(double value) {
  return syntax::parseNumber(scriptNumber(value)).value_or(value);
}

} // namespace lumivane::sim
