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

std::optional<std::vector<std::string>> MacDefaults::stringArrayForKey(std::string_view key) {
  NSString* name = CFBridgingRelease(createString(key));
  // nil unless the value is an array of strings only.
  NSArray<NSString*>* array =
      name != nil ? [NSUserDefaults.standardUserDefaults stringArrayForKey:name] : nil;
  if (array == nil) {
    return std::nullopt;
  }
  std::vector<std::string> texts;
  texts.reserve(array.count);
  for (NSString* text in array) {
    texts.push_back(utf8((__bridge CFStringRef)text).value_or(""));
  }
  return texts;
}

void MacDefaults::setBool(std::string_view key, bool value) {
  if (NSString* name = CFBridgingRelease(createString(key))) {
    [NSUserDefaults.standardUserDefaults setBool:value forKey:name];
  }
}

void MacDefaults::setStringArray(std::string_view key, const std::vector<std::string>& value) {
  NSString* name = CFBridgingRelease(createString(key));
  if (name == nil) {
    return;
  }
  NSMutableArray<NSString*>* array = [NSMutableArray arrayWithCapacity:value.size()];
  for (const std::string& text : value) {
    if (NSString* element = CFBridgingRelease(createString(text))) {
      [array addObject:element];
    }
  }
  [NSUserDefaults.standardUserDefaults setObject:array forKey:name];
}

void MacDefaults::setString(std::string_view key, std::string_view value) {
  NSString* name = CFBridgingRelease(createString(key));
  NSString* text = CFBridgingRelease(createString(value));
  if (name != nil && text != nil) {
    [NSUserDefaults.standardUserDefaults setObject:text forKey:name];
  }
}

} // namespace lumivane::mac
