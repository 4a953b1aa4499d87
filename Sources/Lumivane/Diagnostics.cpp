#include "Lumivane/Diagnostics.hpp"

#include "Lumivane/DockReport.hpp"
#include "LumivaneCore/DockGeometry.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <variant>

namespace lumivane {

namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string describe(const Rect& rect) {
  return "(" + number(rect.x) + ", " + number(rect.y) + ", " + number(rect.width) + ", " +
         number(rect.height) + ")";
}

std::string describe(Point point) {
  return "(" + number(point.x) + ", " + number(point.y) + ")";
}

std::string_view granted(bool isGranted) {
  return isGranted ? "granted" : "not granted";
}

std::string quoted(const std::optional<std::string>& text) {
  return text ? "\"" + *text + "\"" : "(unreadable)";
}

std::string describe(const ItemReading& item) {
  return item.subrole.value_or("(no subrole)") + " " + quoted(item.title) + " " +
         (item.frame ? describe(*item.frame) : "(no frame)") + " " + item.url.value_or("(no URL)");
}

std::string describe(const RunningApp& app) {
  return app.name + " (pid " + std::to_string(app.identity.pid()) + ", " + app.bundleIdentifier +
         ", " + app.identity.bundlePath() + ")";
}

std::string_view reason(DockObserver::NoApplication why) {
  using NoApplication = DockObserver::NoApplication;
  switch (why) {
  case NoApplication::unreadable:
    return "could not be read";
  case NoApplication::notAnItem:
    return "no item to act on (a spacer)";
  case NoApplication::dockExtra:
    return "no item to act on (a Dock extra)";
  case NoApplication::notApplicationItem:
    return "not an application item";
  case NoApplication::noApplicationURL:
    return "its URL names no application bundle";
  case NoApplication::noCanonicalPath:
    return "its bundle path cannot be resolved";
  case NoApplication::notRunning:
    return "not running";
  case NoApplication::severalCopies:
    return "several copies of the bundle run";
  case NoApplication::ownProcess:
    return "Lumivane itself";
  case NoApplication::notRegular:
    return "a background process";
  case NoApplication::stillLaunching:
    return "still launching";
  case NoApplication::excluded:
    return "a system process Lumivane never quits";
  case NoApplication::protectedByUser:
    return "protected by the user";
  }
  return "";
}

std::string describe(const DockObserver::Resolution& resolution) {
  if (const auto* app = std::get_if<RunningApp>(&resolution)) {
    return "quits " + describe(*app);
  }
  return "no application: " +
         std::string(reason(std::get<DockObserver::NoApplication>(resolution)));
}

} // namespace

Diagnostics::Diagnostics(platform::Platform& platform, std::function<void(std::string_view)> print)
    : platform_(platform), print_(std::move(print)),
      settings_(platform.defaults, platform.loginItems), observer_(platform) {
  observer_.isProtected = [this](std::string_view bundleIdentifier) {
    return settings_.protectedApps().contains(bundleIdentifier);
  };
}

void Diagnostics::run(std::function<void()> done) {
  done_ = std::move(done);
  begin(hitTests);
}

void Diagnostics::watch(std::function<void()> tested) {
  tested_ = std::move(tested);
  begin(std::nullopt);
}

void Diagnostics::begin(std::optional<int> hitTestLimit) {
  hitTestLimit_ = hitTestLimit;
  report();
  print_("Hit tests at the pointer, once a second (top-left space):");
  timer_ = platform_.runLoop.scheduleRepeating(hitTestInterval, hitTestInterval / 100,
                                               [weak = weak_from_this()] {
                                                 if (const auto self = weak.lock()) {
                                                   self->hitTest();
                                                 }
                                               });
}

void Diagnostics::report() {
  print_("Lumivane diagnostics");
  print_("System: " + platform_.process.systemVersion());
  print_("Lumivane: pid " + std::to_string(platform_.process.pid()) + ", " +
         platform_.process.bundlePath());
  // One switch in System Settings grants both: the Dock is read through the Accessibility trust,
  // and the middle-click tap, an active filter, runs on post-event access. Each is read on its
  // own, since macOS may report them apart. AXIsProcessTrusted may answer yes from a cache after
  // the grant went; making an active tap asks the system now, and only while that answer is
  // yes: the report asks for nothing.
  const bool trusted = platform_.accessibility.isProcessTrusted();
  print_("Accessibility (the one permission Lumivane needs):");
  print_("  for reading the Dock: " + std::string(granted(trusted)));
  print_("  for the middle-click tap: " +
         std::string(granted(platform_.eventTaps.preflightPostEventAccess())));
  print_("  asked now (an active event tap can be made): " +
         std::string(trusted ? granted(platform_.eventTaps.canCreateActiveTap())
                             : "not asked, the cached answer is no"));
  const std::optional<bool> magnifies = platform_.process.dockMagnification();
  print_("Dock magnification (its own setting): " + std::string(!magnifies   ? "unknown"
                                                                : *magnifies ? "on"
                                                                             : "off"));
  const std::vector<Rect> frames = platform_.screens.frames();
  print_("Displays (bottom-left space; top-left space): " + std::to_string(frames.size()));
  for (std::size_t index = 0; index < frames.size(); ++index) {
    print_("  " + std::to_string(index + 1) + ". " + describe(frames[index]) + "; " +
           describe(observer_.screens()[index]) + (index == 0 ? " primary" : ""));
  }

  const std::vector<platform::ApplicationInfo> docks =
      platform_.workspace.applications("com.apple.dock");
  print_(docks.empty() ? std::string("Dock: not running")
                       : "Dock: pid " + std::to_string(docks.front().pid));
  const std::optional<DockReading> dock = readDock(observer_);
  if (!dock) {
    print_("Dock items: the item list cannot be read");
    return;
  }
  print_("Dock list: " + describe(dock->listFrame) + ", edge " + std::string(edgeName(dock->edge)));
  print_("Dock items (top-left space): " + std::to_string(dock->items.size()));
  int index = 0;
  for (const ItemReading& item : dock->items) {
    print_("  " + std::to_string(++index) + ". " + describe(item));
    print_("     " + describe(item.resolution));
  }
}

std::string Diagnostics::measure(Point pointer, const ItemReading& item) {
  if (!item.frame) {
    return "its frame cannot be read";
  }
  std::string line =
      std::string("pointer inside its frame: ") + (contains(*item.frame, pointer) ? "yes" : "no");
  const std::optional<DockReading> dock = readDock(observer_);
  if (!dock) {
    return line;
  }
  const auto across = [edge = dock->edge](const Rect& frame) {
    return edge == DockEdge::bottom ? frame.absHeight() : frame.absWidth();
  };
  std::optional<double> smallest;
  for (const ItemReading& other : dock->items) {
    if (other.frame && area(*other.frame) > 0) {
      smallest = std::min(smallest.value_or(across(*other.frame)), across(*other.frame));
    }
  }
  if (smallest) {
    line += "; across the Dock " + number(across(*item.frame)) + ", its smallest item " +
            number(*smallest) + (across(*item.frame) > *smallest ? " (grown)" : " (not grown)");
  }
  return line;
}

void Diagnostics::hitTest() {
  const Point location = platform_.mouse.location();
  const Point pointer{location.x, observer_.primaryTop() - location.y};
  const std::optional<DockObserver::Hit> hit = observer_.hit(pointer, settings_.hoverLayout());
  const std::optional<ItemReading> item = readItemAt(observer_, pointer);
  print_("  " + std::to_string(++hitTestsDone_) + ". " + describe(pointer) + ": " +
         (item ? describe(*item) : "no Dock item"));
  if (item) {
    std::string line = "     " + describe(item->resolution);
    if (hit && hit->application) {
      line += hit->target ? ", × at " + describe(hit->target->buttonFrame) : ", no × placement";
    }
    print_(line);
    print_("     " + measure(pointer, *item));
  }
  if (tested_) {
    tested_();
  }
  if (hitTestLimit_ && hitTestsDone_ >= *hitTestLimit_) {
    timer_.reset();
    if (done_) {
      done_();
    }
  }
}

} // namespace lumivane
