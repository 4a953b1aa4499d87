#include "macOS/MacWorkspace.hpp"

#include "macOS/MacText.hpp"

#import <AppKit/AppKit.h>

namespace lumivane::mac {

namespace {

// Standardised, symbolic links resolved, NFC: the one form every bundle path takes.
std::optional<std::string> canonical(NSURL* url) {
  return nfcUTF8(
      (__bridge CFStringRef)url.URLByStandardizingPath.URLByResolvingSymlinksInPath.path);
}

// A file URL for an absolute path; nil for a relative path, a NUL byte or invalid UTF-8.
NSURL* fileURL(std::string_view path) {
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos) {
    return nil;
  }
  NSString* string = CFBridgingRelease(createString(path));
  return string != nil ? [NSURL fileURLWithPath:string] : nil;
}

platform::ActivationPolicy activationPolicy(NSApplicationActivationPolicy policy) {
  switch (policy) {
  case NSApplicationActivationPolicyRegular:
    return platform::ActivationPolicy::regular;
  case NSApplicationActivationPolicyAccessory:
    return platform::ActivationPolicy::accessory;
  case NSApplicationActivationPolicyProhibited:
    break;
  }
  // Prohibited, or a policy newer than this code: in either case not a regular application.
  return platform::ActivationPolicy::prohibited;
}

std::chrono::system_clock::time_point timePoint(NSDate* date) {
  const std::chrono::duration<double> sinceEpoch(date.timeIntervalSince1970);
  return std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch));
}

platform::ApplicationInfo info(NSRunningApplication* application) {
  platform::ApplicationInfo info;
  info.pid = application.processIdentifier;
  info.bundlePath = canonical(application.bundleURL);
  if (NSDate* launchDate = application.launchDate) {
    info.launchDate = timePoint(launchDate);
  }
  info.bundleIdentifier = utf8((__bridge CFStringRef)application.bundleIdentifier);
  info.localizedName = nfcUTF8((__bridge CFStringRef)application.localizedName);
  info.activationPolicy = activationPolicy(application.activationPolicy);
  info.isFinishedLaunching = application.finishedLaunching;
  info.isTerminated = application.terminated;
  return info;
}

std::vector<platform::ApplicationInfo> infos(NSArray<NSRunningApplication*>* applications) {
  std::vector<platform::ApplicationInfo> result;
  result.reserve(applications.count);
  for (NSRunningApplication* application in applications) {
    result.push_back(info(application));
  }
  return result;
}

} // namespace

std::vector<platform::ApplicationInfo> MacWorkspace::runningApplications() {
  return infos(NSWorkspace.sharedWorkspace.runningApplications);
}

std::optional<platform::ApplicationInfo> MacWorkspace::application(int32_t pid) {
  NSRunningApplication* application =
      [NSRunningApplication runningApplicationWithProcessIdentifier:pid];
  if (application == nil) {
    return std::nullopt;
  }
  return info(application);
}

std::vector<platform::ApplicationInfo>
MacWorkspace::applications(std::string_view bundleIdentifier) {
  NSString* identifier = CFBridgingRelease(createString(bundleIdentifier));
  if (identifier == nil) {
    return {};
  }
  return infos([NSRunningApplication runningApplicationsWithBundleIdentifier:identifier]);
}

bool MacWorkspace::terminate(int32_t pid) {
  return [[NSRunningApplication runningApplicationWithProcessIdentifier:pid] terminate];
}

void MacWorkspace::openApplication(
    std::string_view bundlePath,
    std::function<void(std::optional<platform::ApplicationInfo> application)> completion) {
  NSURL* url = fileURL(bundlePath);
  if (url == nil) {
    dispatch_async(dispatch_get_main_queue(), ^{
      completion(std::nullopt);
    });
    return;
  }
  // The application comes to the front; createsNewApplicationInstance keeps its default (NO), so
  // a copy already running is brought up rather than a second one launched.
  NSWorkspaceOpenConfiguration* configuration = [NSWorkspaceOpenConfiguration configuration];
  configuration.activates = YES;
  // AppKit calls the handler on a concurrent queue of its own: the answer is read on the main
  // queue.
  [NSWorkspace.sharedWorkspace
      openApplicationAtURL:url
             configuration:configuration
         completionHandler:^(NSRunningApplication* application, NSError*) {
           dispatch_async(dispatch_get_main_queue(), ^{
             completion(application != nil ? std::optional(info(application)) : std::nullopt);
           });
         }];
}

std::optional<std::string> MacWorkspace::canonicalPath(std::string_view path) {
  NSURL* url = fileURL(path);
  if (url == nil) {
    return std::nullopt;
  }
  return canonical(url);
}

bool MacWorkspace::openURL(std::string_view url) {
  NSString* string = CFBridgingRelease(createString(url));
  NSURL* parsed = string != nil ? [NSURL URLWithString:string] : nil;
  return parsed != nil && [NSWorkspace.sharedWorkspace openURL:parsed];
}

void MacWorkspace::revealInFileViewer(std::string_view path) {
  if (NSURL* url = fileURL(path)) {
    [NSWorkspace.sharedWorkspace activateFileViewerSelectingURLs:@[ url ]];
  }
}

bool MacWorkspace::reduceMotion() {
  return NSWorkspace.sharedWorkspace.accessibilityDisplayShouldReduceMotion;
}

} // namespace lumivane::mac
