#include "macOS/MacDiagnose.hpp"

#include "Lumivane/Diagnostics.hpp"
#include "macOS/MacPlatform.hpp"
#include "macOS/MacText.hpp"

#import <AppKit/AppKit.h>
#include <cstdio>
#include <memory>
#include <string>

namespace lumivane::mac {

int runDiagnose() {
  @autoreleasepool {
    // The connection to the window server that NSScreen and the pointer's location need; the
    // application is never run, so it shows nothing and takes no focus.
    [NSApplication sharedApplication];
    NSString* version = NSProcessInfo.processInfo.operatingSystemVersionString;
    Diagnostics::System system;
    system.version =
        "macOS " + utf8((__bridge CFStringRef)version).value_or(std::string("(unknown)"));
    // The Dock's own preference; absent until the user has changed it once, which means off.
    Boolean valid = false;
    const Boolean magnifies =
        CFPreferencesGetAppBooleanValue(CFSTR("magnification"), CFSTR("com.apple.dock"), &valid);
    system.dockMagnification = valid ? magnifies : false;

    MacPlatform mac;
    const auto diagnostics =
        std::make_shared<Diagnostics>(mac.platform(), system, [](std::string_view line) {
          std::fwrite(line.data(), 1, line.size(), stdout);
          std::fputc('\n', stdout);
          std::fflush(stdout);
        });
    bool finished = false;
    diagnostics->run([&finished] {
      finished = true;
      CFRunLoopStop(CFRunLoopGetMain());
    });
    // The hit tests' timer keeps the run loop busy until the last one stops it.
    while (!finished) {
      CFRunLoopRun();
    }
  }
  return 0;
}

} // namespace lumivane::mac
