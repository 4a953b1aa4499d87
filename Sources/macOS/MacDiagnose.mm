#include "macOS/MacDiagnose.hpp"

#include "Lumivane/Diagnostics.hpp"
#include "macOS/MacPlatform.hpp"

#import <AppKit/AppKit.h>
#include <cstdio>
#include <memory>

namespace lumivane::mac {

int runDiagnose() {
  @autoreleasepool {
    // The connection to the window server that NSScreen and the pointer's location need; the
    // application is never run, so it shows nothing and takes no focus.
    [NSApplication sharedApplication];

    MacPlatform mac;
    const auto diagnostics =
        std::make_shared<Diagnostics>(mac.platform(), [](std::string_view line) {
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
