#include "macOS/MacProcess.hpp"

#include "macOS/MacText.hpp"

#import <Foundation/Foundation.h>

namespace lumivane::mac {

int32_t MacProcess::pid() {
  return NSProcessInfo.processInfo.processIdentifier;
}

std::vector<std::string> MacProcess::arguments() {
  NSArray<NSString*>* arguments = NSProcessInfo.processInfo.arguments;
  std::vector<std::string> result;
  result.reserve(arguments.count);
  for (NSString* argument in arguments) {
    result.push_back(utf8((__bridge CFStringRef)argument).value_or(std::string()));
  }
  return result;
}

std::string MacProcess::bundlePath() {
  NSString* path = NSBundle.mainBundle.bundlePath.stringByStandardizingPath;
  return nfcUTF8((__bridge CFStringRef)path).value_or(std::string());
}

// The Dock's preference is absent until the user has changed it once, which means off.
std::optional<bool> MacProcess::dockMagnification() {
  Boolean valid = false;
  const Boolean magnifies =
      CFPreferencesGetAppBooleanValue(CFSTR("magnification"), CFSTR("com.apple.dock"), &valid);
  return valid ? magnifies != 0 : false;
}

std::string MacProcess::systemVersion() {
  NSString* version = NSProcessInfo.processInfo.operatingSystemVersionString;
  return "macOS " + utf8((__bridge CFStringRef)version).value_or(std::string("(unknown)"));
}

} // namespace lumivane::mac
