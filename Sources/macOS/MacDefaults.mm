#include "macOS/MacDefaults.hpp"

#include "macOS/MacText.hpp"

#import <Foundation/Foundation.h>

namespace lumivane::mac {

void MacDefaults::registerDefaults(const std::vector<std::pair<std::string, bool>>& values) {
  NSMutableDictionary<NSString*, id>* registration =
      [NSMutableDictionary dictionaryWithCapacity:values.size()];
  for (const auto& [key, value] : values) {
    if (NSString* name = CFBridgingRelease(createString(key))) {
      registration[name] = @(value);
    }
  }
  [NSUserDefaults.standardUserDefaults registerDefaults:registration];
}

bool MacDefaults::boolForKey(std::string_view key) {
  NSString* name = CFBridgingRelease(createString(key));
  return name != nil && [NSUserDefaults.standardUserDefaults boolForKey:name];
}

std::optional<std::string> MacDefaults::stringForKey(std::string_view key) {
  NSString* name = CFBridgingRelease(createString(key));
  if (name == nil) {
    return std::nullopt;
  }
  return utf8((__bridge CFStringRef)[NSUserDefaults.standardUserDefaults stringForKey:name]);
}

void MacDefaults::setBool(std::string_view key, bool value) {
  if (NSString* name = CFBridgingRelease(createString(key))) {
    [NSUserDefaults.standardUserDefaults setBool:value forKey:name];
  }
}

void MacDefaults::setString(std::string_view key, std::string_view value) {
  NSString* name = CFBridgingRelease(createString(key));
  NSString* text = CFBridgingRelease(createString(value));
  if (name != nil && text != nil) {
    [NSUserDefaults.standardUserDefaults setObject:text forKey:name];
  }
}

} // namespace lumivane::mac
