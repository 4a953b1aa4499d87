// The entry point of Lumivane.app: AppKit's shared application with a Qt application on top, the
// macOS adapters of the platform ports plus the Qt shell's windows, and one coordinator. Returns
// 0 when the event loop ends. `Lumivane --diagnose` (from Terminal, inside the bundle:
// Lumivane.app/Contents/MacOS/Lumivane --diagnose) prints the diagnostics report instead and
// exits.

#include "Lumivane/AppDelegate.hpp"
#include "Shell/QtWindows.hpp"
#include "Shell/ScreenSpace.hpp"
#include "macOS/MacDiagnose.hpp"
#include "macOS/MacPlatform.hpp"

#import <AppKit/AppKit.h>
#include <QApplication>
#include <cstring>
#include <memory>

// Hands AppKit's application events to the coordinator, on the main thread; launch and
// termination once each. Launch, activation and termination arrive as notifications. The reopen
// request exists only as a delegate message: this object is NSApp's delegate before Qt starts,
// and Qt's application delegate, which takes its place, passes the reopen request on to the
// delegate it found. Termination also comes from Qt (QCoreApplication::aboutToQuit): quitting
// through Qt ends the event loop without AppKit's termination notification.
@interface LMVApplicationEvents : NSObject <NSApplicationDelegate>
// Runs the launch entry point at once when launching finished before the coordinator existed.
- (void)setCoordinator:(std::weak_ptr<lumivane::AppDelegate>)coordinator;
- (void)terminate;
@end

@implementation LMVApplicationEvents {
  std::weak_ptr<lumivane::AppDelegate> _coordinator;
  BOOL _launched;
  BOOL _terminated;
}

- (instancetype)init {
  if ((self = [super init])) {
    NSNotificationCenter* center = NSNotificationCenter.defaultCenter;
    [center addObserver:self
               selector:@selector(didFinishLaunching:)
                   name:NSApplicationDidFinishLaunchingNotification
                 object:nil];
    [center addObserver:self
               selector:@selector(didBecomeActive:)
                   name:NSApplicationDidBecomeActiveNotification
                 object:nil];
    [center addObserver:self
               selector:@selector(willTerminate:)
                   name:NSApplicationWillTerminateNotification
                 object:nil];
  }
  return self;
}

- (void)dealloc {
  [NSNotificationCenter.defaultCenter removeObserver:self];
}

- (void)setCoordinator:(std::weak_ptr<lumivane::AppDelegate>)coordinator {
  _coordinator = std::move(coordinator);
  if (_launched) {
    if (const auto coordinator = _coordinator.lock()) {
      coordinator->applicationDidFinishLaunching();
    }
  }
}

- (void)didFinishLaunching:(NSNotification*)notification {
  (void)notification;
  if (_launched) {
    return;
  }
  _launched = YES;
  if (const auto coordinator = _coordinator.lock()) {
    coordinator->applicationDidFinishLaunching();
  }
}

- (void)didBecomeActive:(NSNotification*)notification {
  (void)notification;
  if (const auto coordinator = _coordinator.lock(); coordinator && _launched && !_terminated) {
    coordinator->applicationDidBecomeActive();
  }
}

- (void)willTerminate:(NSNotification*)notification {
  (void)notification;
  [self terminate];
}

- (void)terminate {
  if (_terminated) {
    return;
  }
  _terminated = YES;
  if (const auto coordinator = _coordinator.lock(); coordinator && _launched) {
    coordinator->applicationWillTerminate();
  }
}

- (BOOL)applicationShouldHandleReopen:(NSApplication*)sender hasVisibleWindows:(BOOL)flag {
  (void)sender;
  const auto coordinator = _coordinator.lock();
  if (!coordinator || !_launched || _terminated) {
    return YES;
  }
  return coordinator->applicationShouldHandleReopen(flag);
}

@end

int main(int argc, char* argv[]) {
  if (argc == 2 && std::strcmp(argv[1], "--diagnose") == 0) {
    return lumivane::mac::runDiagnose();
  }
  @autoreleasepool {
    NSApplication* application = [NSApplication sharedApplication];
    // NSApplication.delegate is weak: this local keeps the object alive for the whole run.
    LMVApplicationEvents* events = [[LMVApplicationEvents alloc] init];
    application.delegate = events;

    // Qt's Cocoa plugin otherwise makes the process a foreground application and activates it
    // once launching finishes, taking the focus from the user's app at every launch, at login
    // too. LSUIElement in Info.plist keeps Lumivane out of the Dock either way.
    qputenv("QT_MAC_DISABLE_FOREGROUND_APPLICATION_TRANSFORM", "1");
    QApplication qt(argc, argv);
    // An accessory application lives on with no window open.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&qt, &QCoreApplication::aboutToQuit, [events] { [events terminate]; });

    // Destroyed in reverse order: the coordinator first, the adapters it uses after it.
    lumivane::mac::MacPlatform mac;
    lumivane::shell::SystemScreenSpace space;
    lumivane::shell::QtWindows windows(space);
    const auto coordinator = std::make_shared<lumivane::AppDelegate>(mac.platform(), windows);
    [events setCoordinator:coordinator];
    QApplication::exec();
  }
  return 0;
}
