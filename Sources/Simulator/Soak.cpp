#include "Simulator/Soak.hpp"

#include "Simulator/Invariants.hpp"
#include "Simulator/Scenario.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <ostream>
#include <set>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define LUMIVANE_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(LUMIVANE_SANITIZED)
#include <sanitizer/common_interface_defs.h>
#define LUMIVANE_SANITIZED 1
#endif

namespace lumivane::sim {

namespace {

// splitmix64: the same numbers on every platform and library, unlike the standard
// distributions, so a seed names one session everywhere.
class Random {
public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A whole number in [low, high].
  int between(int low, int high) {
    return low + static_cast<int>(next() % static_cast<uint64_t>(high - low + 1));
  }
  double uniform(double low, double high) {
    return low + (high - low) * static_cast<double>(next() >> 11) * 0x1.0p-53;
  }
  bool chance(double probability) { return uniform(0, 1) < probability; }
  template <class T> const T& pick(const std::vector<T>& items) {
    return items[next() % items.size()];
  }
  template <class T, std::size_t n> const T& pick(const std::array<T, n>& items) {
    return items[next() % n];
  }

private:
  uint64_t state_;
};

std::string pointText(Point point) {
  return scriptNumber(std::round(point.x)) + " " + scriptNumber(std::round(point.y));
}

constexpr std::array<std::pair<double, double>, 6> displaySizes{
    {{1280, 800}, {1440, 900}, {1512, 982}, {1680, 1050}, {1920, 1080}, {2560, 1440}}};

// Application names: plain, with blanks, and beyond ASCII (all in NFC).
constexpr std::array<std::string_view, 24> appNames{
    "Mail",        "Safari",      "Notes",      "Pages",    "Maps",
    "Music",       "Photos",      "Xcode",      "Terminal", "Preview",
    "Calendar",    "Numbers",     "Keynote",    "Slack",    "Zoom",
    "Figma",       "Café Menu",   "Über Notes", "日历",     "Visual Studio Code",
    "Quote \"Q\"", "Back\\Slash", "Naïve Draw", "文档 Pro"};

// Excluded system processes that may own Dock items, one with its identifier in mixed case.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> systemApps{
    {{"Control Centre", "com.apple.controlcenter"},
     {"SystemUIServer", "com.apple.SystemUIServer"},
     {"loginwindow", "com.apple.loginwindow"}}};

constexpr std::array<std::string_view, 10> faultAttributes{
    "",           "AXRole",     "AXSubrole", "AXURL",   "AXParent",
    "AXChildren", "AXPosition", "AXSize",    "AXTitle", "AXElementAtPosition"};

constexpr std::array<std::string_view, 4> faultKinds{"error", "timeout", "wrong-type",
                                                     "non-finite"};

// The four suspension reasons: the notification that begins each and the one that ends it.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> suspensions{
    {{"sleep", "wake"},
     {"display-sleep", "display-wake"},
     {"session-resign", "session-activate"},
     {"lock", "unlock"}}};

// A session lasts this many simulated seconds or more, chosen evenly between the two.
constexpr double shortestSession = 60;
constexpr double longestSession = 180;

// One session: draws its desktop, then its steps one at a time from the desktop as it is.
class Session {
public:
  explicit Session(uint64_t seed) : random_(seed) {}

  // The set-up lines and `launch`.
  std::vector<std::string> setUp() {
    std::vector<std::string> lines;
    drawScreens();
    for (const Rect& screen : screens_) {
      std::string line = "screen " + scriptNumber(screen.width) + "x" + scriptNumber(screen.height);
      if (screen.x != 0 || screen.y != 0) {
        line += " at " + scriptNumber(screen.x) + "," + scriptNumber(screen.y);
      }
      lines.push_back(std::move(line));
    }
    lines.push_back(dockLine("dock"));
    drawItems(lines);
    for (const std::string_view feature : {"hoverEnabled", "middleEnabled"}) {
      if (random_.chance(0.15)) {
        const bool on = random_.chance(0.5);
        lines.push_back("default " + std::string(feature) + (on ? " true" : " false"));
        if (!on) {
          switchedOff_.emplace(feature);
        }
      }
    }
    if (random_.chance(0.05)) {
      lines.emplace_back("permission accessibility off");
      accessibility_ = false;
    }
    if (random_.chance(0.05)) {
      lines.emplace_back("permission input-monitoring off");
      inputMonitoring_ = false;
    }
    lines.emplace_back("launch");
    duration_ = random_.uniform(shortestSession, longestSession);
    return lines;
  }

  // The next step, or nothing when the session has lasted long enough.
  std::optional<std::string> step(Desktop& desktop, double elapsed) {
    if (elapsed >= duration_) {
      return std::nullopt;
    }
    fault_ = false;
    // A step planned by the one before, unless it needs a × that has gone.
    while (!planned_.empty()) {
      auto [line, needsButton] = std::move(planned_.front());
      planned_.pop_front();
      if (!needsButton || desktop.panel().visible) {
        return line;
      }
    }
    for (;;) {
      if (auto line = draw(desktop)) {
        return line;
      }
    }
  }

  // The last step made the system misbehave.
  bool wasFault() const { return fault_; }

private:
  using Step = std::optional<std::string>;

  void drawScreens() {
    screens_.clear();
    const int count = random_.chance(0.5) ? 1 : random_.chance(0.7) ? 2 : 3;
    const auto [width, height] = random_.pick(displaySizes);
    screens_.push_back({0, 0, width, height});
    for (int i = 1; i < count; ++i) {
      const auto [w, h] = random_.pick(displaySizes);
      // Side by side, each a little higher or lower than the primary.
      const double y = std::round(random_.uniform(-300, 300));
      double leftmost = 0;
      double rightmost = 0;
      for (const Rect& screen : screens_) {
        leftmost = std::min(leftmost, screen.minX());
        rightmost = std::max(rightmost, screen.maxX());
      }
      screens_.push_back(random_.chance(0.5) ? Rect{rightmost, y, w, h}
                                             : Rect{leftmost - w, y, w, h});
    }
  }

  // A Dock on an outer edge of one display, with icons of some size, magnified or not.
  std::string dockLine(std::string_view verb) {
    dockScreen_ = random_.next() % screens_.size();
    std::vector<std::string_view> edges{"bottom"};
    for (const std::string_view edge : {"left", "right"}) {
      if (onOuterEdge(edge, dockScreen_)) {
        edges.push_back(edge);
      }
    }
    dockEdge_ = random_.pick(edges);
    const int icons = 4 * random_.between(8, 24);
    std::string line =
        std::string(verb) + " " + std::string(dockEdge_) + " icons=" + std::to_string(icons);
    if (random_.chance(0.5)) {
      line += " magnify=" + std::to_string(std::min(256, icons + 8 * random_.between(2, 10)));
    }
    if (dockScreen_ > 0) {
      line += " screen=" + std::to_string(dockScreen_ + 1);
    }
    return line;
  }

  // Displays stand side by side, so every bottom edge is an outer one, a left edge only on the
  // leftmost display and a right edge only on the rightmost. A Dock sits only on an outer edge.
  bool onOuterEdge(std::string_view edge, std::size_t screen) const {
    if (screen >= screens_.size()) {
      return false;
    }
    const Rect& frame = screens_[screen];
    return std::ranges::all_of(screens_, [&](const Rect& other) {
      return edge == "bottom" ||
             (edge == "left" ? other.minX() >= frame.minX() : other.maxX() <= frame.maxX());
    });
  }

  // One line per Dock item.
  void drawItems(std::vector<std::string>& lines) {
    const std::size_t first = lines.size();
    const int count = random_.between(5, 40);
    std::set<std::string> names;
    const auto unique = [&](std::string name) {
      std::string candidate = name;
      for (int n = 2; names.contains(candidate); ++n) {
        candidate = name + " " + std::to_string(n);
      }
      names.insert(candidate);
      return candidate;
    };
    if (random_.chance(0.7)) {
      addApp(lines, unique("Finder"), "");
    }
    if (random_.chance(0.2)) {
      const auto& [name, identifier] = random_.pick(systemApps);
      addApp(lines, unique(std::string(name)), " bundle=" + std::string(identifier));
    }
    const bool trash = random_.chance(0.8);
    const auto placed = [&] { return static_cast<int>(lines.size() - first); };
    while (placed() + (trash ? 1 : 0) < count) {
      const double kind = random_.uniform(0, 1);
      if (kind < 0.72 || apps_.size() < 2) {
        addApp(lines, unique(std::string(random_.pick(appNames))), appOptions());
      } else if (kind < 0.9) {
        const std::string name = unique("Folder " + std::to_string(items_.size()));
        lines.push_back("folder " + scriptQuoted(name));
        items_.push_back(name);
      } else {
        lines.emplace_back("separator");
      }
    }
    if (trash) {
      lines.emplace_back("trash");
      items_.emplace_back("Trash");
    }
  }

  std::string appOptions() {
    std::string options;
    const double quit = random_.uniform(0, 1);
    if (quit < 0.4) {
      options += " quit=now";
    } else if (quit < 0.7) {
      const double delay = random_.chance(0.2) ? random_.uniform(11, 20) : random_.uniform(0, 3);
      options += " quit=after:" + scriptNumber(delay);
    } else if (quit < 0.85) {
      options += " quit=never";
    } else {
      options += " quit=refuse";
    }
    if (random_.chance(0.05)) {
      options += " background";
    }
    if (random_.chance(0.08)) {
      options += " launching";
    }
    const double copies = random_.uniform(0, 1);
    if (copies < 0.08) {
      options += " copies=0";
    } else if (copies < 0.16) {
      options += " copies=2";
    }
    return options;
  }

  void addApp(std::vector<std::string>& lines, const std::string& name,
              const std::string& options) {
    lines.push_back("app " + scriptQuoted(name) + options);
    apps_.push_back(name);
    items_.push_back(name);
  }

  // -------------------------------------------------------------------------------------------
  // Steps

  Step draw(Desktop& desktop) {
    // Weights of the kinds of step; a kind that does not fit the moment draws again.
    struct Kind {
      double weight;
      Step (Session::*make)(Desktop&);
    };
    static constexpr std::array<Kind, 24> kinds{{
        {16, &Session::rest},        {12, &Session::pause},       {14, &Session::toButton},
        {10, &Session::clickButton}, {4, &Session::sweep},        {5, &Session::away},
        {4, &Session::aroundDock},   {2, &Session::jump},         {5, &Session::mouse},
        {8, &Session::middle},       {3, &Session::otherButtons}, {2, &Session::switches},
        {1, &Session::layout},       {8, &Session::appEvent},     {3, &Session::accessibility},
        {2, &Session::latency},      {2, &Session::dock},         {2, &Session::permission},
        {1, &Session::tap},          {3, &Session::power},        {1, &Session::displays},
        {1, &Session::space},        {10, &Session::restore},     {3, &Session::race},
    }};
    double total = 0;
    for (const Kind& kind : kinds) {
      total += kind.weight;
    }
    double roll = random_.uniform(0, total);
    for (const Kind& kind : kinds) {
      if (roll < kind.weight) {
        return (this->*kind.make)(desktop);
      }
      roll -= kind.weight;
    }
    return std::nullopt;
  }

  std::string anyItem() { return scriptQuoted(random_.pick(items_)); }
  std::string seconds(double low, double high) { return scriptNumber(random_.uniform(low, high)); }

  Point pointOnAScreen() {
    const Rect& screen = random_.pick(screens_);
    return {random_.uniform(screen.minX(), screen.maxX() - 1),
            random_.uniform(screen.minY(), screen.maxY() - 1)};
  }

  // Rests on an item: the pointer comes to it and mostly stays long enough for the ×.
  Step rest(Desktop&) {
    if (random_.chance(0.7)) {
      planned_.emplace_back("wait " + seconds(0.1, 0.6), false);
    }
    return "glide " + anyItem() + " " + seconds(0.05, 0.4);
  }

  Step pause(Desktop&) {
    const double kind = random_.uniform(0, 1);
    if (kind < 0.7) {
      return "wait " + seconds(0.05, 0.6);
    }
    return "wait " + (kind < 0.95 ? seconds(0.6, 3) : seconds(4, 13));
  }

  Step toButton(Desktop& desktop) {
    if (!desktop.panel().visible) {
      return std::nullopt;
    }
    if (random_.chance(0.6)) {
      planned_.emplace_back("click button", true);
    }
    return "glide button " + seconds(0.05, 0.3);
  }

  Step clickButton(Desktop& desktop) {
    if (!desktop.panel().visible) {
      return std::nullopt;
    }
    return std::string("click button");
  }

  // A fast pass along the Dock to its first or last item.
  Step sweep(Desktop&) {
    const std::string& item = random_.chance(0.5) ? items_.front() : items_.back();
    return "glide " + scriptQuoted(item) + " " + seconds(0.05, 0.25);
  }

  Step away(Desktop&) { return "glide " + pointText(pointOnAScreen()) + " " + seconds(0.1, 0.6); }

  // Near an item, off it towards the screen or along the Dock.
  Step aroundDock(Desktop& desktop) {
    const auto index = desktop.dockItemNamed(random_.pick(items_));
    if (!index) {
      return std::nullopt;
    }
    const Rect icon = desktop.itemFrame(*index);
    const Point point{icon.midX() + random_.uniform(-1.5, 1.5) * icon.width,
                      icon.midY() + random_.uniform(-1.5, 1.5) * icon.height};
    return "glide " + pointText(point) + " " + seconds(0.05, 0.4);
  }

  Step jump(Desktop&) { return "pointer " + pointText(pointOnAScreen()); }

  Step mouse(Desktop&) {
    static constexpr std::array<std::string_view, 4> verbs{"click", "right-click", "scroll",
                                                           "drag"};
    const std::string verb(random_.pick(verbs));
    const double where = random_.uniform(0, 1);
    if (where < 0.4) {
      return verb;
    }
    return verb + " " + (where < 0.7 ? anyItem() : pointText(pointOnAScreen()));
  }

  // Middle clicks on items and elsewhere, and presses left without their release.
  Step middle(Desktop&) {
    if (pressed_.contains(2)) {
      if (random_.chance(0.4)) {
        return std::nullopt;
      }
      pressed_.erase(2);
      return std::string("release middle");
    }
    const double kind = random_.uniform(0, 1);
    if (kind < 0.2) {
      pressHeld(2, "middle");
      return std::string("press middle");
    }
    if (kind < 0.85) {
      return "middle-click " + anyItem();
    }
    return "middle-click " + pointText(pointOnAScreen());
  }

  // Side buttons, never swallowed.
  Step otherButtons(Desktop&) {
    const int button = random_.between(3, 4);
    const std::string name = std::to_string(button);
    if (pressed_.contains(button)) {
      pressed_.erase(button);
      return "release " + name;
    }
    pressHeld(button, name);
    return "press " + name;
  }

  // A press mostly released a moment later, after a short move; now and then left held.
  void pressHeld(int button, const std::string& name) {
    if (random_.chance(0.2)) {
      pressed_.insert(button);
      return;
    }
    if (random_.chance(0.5)) {
      planned_.emplace_back("glide " + anyItem() + " " + seconds(0.05, 0.3), false);
    } else {
      planned_.emplace_back("wait " + seconds(0.02, 0.5), false);
    }
    planned_.emplace_back("release " + name, false);
  }

  Step switches(Desktop&) {
    const std::string feature = random_.chance(0.5) ? "hoverEnabled" : "middleEnabled";
    const bool on = random_.chance(0.5);
    if (on) {
      switchedOff_.erase(feature);
    } else {
      switchedOff_.insert(feature);
    }
    return "set " + feature + (on ? " on" : " off");
  }

  Step layout(Desktop&) {
    static constexpr std::array<std::string_view, 3> positions{"automatic", "leading", "trailing"};
    static constexpr std::array<std::string_view, 3> distances{"compact", "standard", "spacious"};
    return "set layout " + std::string(random_.pick(positions)) + " " +
           std::string(random_.pick(distances));
  }

  // Applications that end by themselves, relaunch (on a new or the same pid), give their pid to
  // another, start a second copy, or finish launching.
  Step appEvent(Desktop& desktop) {
    const std::string& name = random_.pick(apps_);
    const bool running = desktop.pidOf(name).has_value();
    const double kind = random_.uniform(0, 1);
    if (!running) {
      return kind < 0.5 ? std::optional("start " + scriptQuoted(name)) : std::nullopt;
    }
    std::vector<std::string> stopped;
    for (const std::string& app : apps_) {
      if (!desktop.pidOf(app)) {
        stopped.push_back(app);
      }
    }
    if (kind < 0.25) {
      return "quits " + scriptQuoted(name);
    }
    if (kind < 0.45) {
      return "relaunch " + scriptQuoted(name);
    }
    if (kind < 0.6) {
      return "relaunch " + scriptQuoted(name) + " same-pid";
    }
    if (kind < 0.75) {
      // Mostly a process that was not running takes the pid; now and then a second copy.
      const std::string& by =
          stopped.empty() || random_.chance(0.2) ? random_.pick(apps_) : random_.pick(stopped);
      return "reuse-pid " + scriptQuoted(name) + " " + scriptQuoted(by);
    }
    if (kind < 0.93) {
      return "finish-launching " + scriptQuoted(name);
    }
    return "start " + scriptQuoted(name);
  }

  Step accessibility(Desktop&) {
    if (faults_ > 0 && random_.chance(0.4)) {
      faults_ = 0;
      return std::string("fault clear");
    }
    ++faults_;
    fault_ = true;
    const double where = random_.uniform(0, 1);
    std::string target = where < 0.3    ? "item " + anyItem()
                         : where < 0.5  ? "items"
                         : where < 0.7  ? "list"
                         : where < 0.85 ? "dock"
                                        : "any";
    std::string line = "fault " + std::string(random_.pick(faultKinds)) + " " + target;
    const std::string_view attribute = random_.pick(faultAttributes);
    if (!attribute.empty()) {
      line += " " + std::string(attribute);
    }
    return line;
  }

  // Slow messages, some beyond the messaging time-out, and oversized child lists.
  Step latency(Desktop&) {
    if (random_.chance(0.7)) {
      static constexpr std::array<double, 7> latencies{0, 0, 0.002, 0.008, 0.015, 0.019, 0.05};
      const double value = random_.pick(latencies);
      fault_ = value > 0;
      slow_ = fault_;
      return "latency " + scriptNumber(value);
    }
    static constexpr std::array<int, 4> extra{0, 3, 100, 200};
    const int count = random_.pick(extra);
    fault_ = count > 0;
    oversized_ = fault_;
    return "extra-children " + std::to_string(count);
  }

  Step dock(Desktop&) {
    const double kind = random_.uniform(0, 1);
    if (kind < 0.35) {
      fault_ = true;
      return std::string("dock-restart");
    }
    if (kind < 0.7) {
      dockHidden_ = !dockHidden_;
      fault_ = dockHidden_;
      return std::string(dockHidden_ ? "dock-hide" : "dock-show");
    }
    return dockLine("move-dock");
  }

  Step permission(Desktop&) {
    const bool accessibility = random_.chance(0.5);
    bool& granted = accessibility ? accessibility_ : inputMonitoring_;
    // A revoked permission always comes back; a granted one goes now and then.
    if (!granted || random_.chance(0.3)) {
      granted = !granted;
    }
    fault_ = !granted;
    return std::string("permission ") + (accessibility ? "accessibility" : "input-monitoring") +
           (granted ? " on" : " off");
  }

  Step tap(Desktop&) {
    fault_ = true;
    return std::string("tap-disable ") + (random_.chance(0.5) ? "timeout" : "user");
  }

  // Sleep, display sleep, session switches and lock in any order; now and then an end without
  // its beginning.
  Step power(Desktop&) {
    const std::size_t reason = random_.next() % suspensions.size();
    const bool active = suspended_.contains(reason);
    const bool begin = random_.chance(0.1) ? random_.chance(0.5) : !active;
    if (begin) {
      suspended_.insert(reason);
    } else {
      suspended_.erase(reason);
    }
    return std::string(begin ? suspensions[reason].first : suspensions[reason].second);
  }

  // New displays; the Dock then moves to an outer edge if its own is gone.
  Step displays(Desktop&) {
    drawScreens();
    if (!onOuterEdge(dockEdge_, dockScreen_)) {
      planned_.emplace_back(dockLine("move-dock"), false);
    }
    std::string line = "screens";
    for (const Rect& screen : screens_) {
      line += " " + scriptNumber(screen.width) + "x" + scriptNumber(screen.height);
      if (screen.x != 0 || screen.y != 0) {
        line += "@" + scriptNumber(screen.x) + "," + scriptNumber(screen.y);
      }
    }
    return line;
  }

  Step space(Desktop&) { return std::string("space-change"); }

  // The application behind the shown × changes, and the user acts on the item at once, before
  // the hover loop has looked again: a click on the stale ×, or a middle click on the item.
  Step race(Desktop& desktop) {
    const PanelRecord& panel = desktop.panel();
    const std::optional<std::string> name = desktop.appName(panel.pid);
    if (!panel.visible || !name || std::ranges::find(apps_, *name) == apps_.end() ||
        !desktop.pidOf(*name)) {
      return std::nullopt;
    }
    static constexpr std::array<std::string_view, 4> events{"relaunch", "relaunch-same", "quits",
                                                            "start"};
    const std::string_view event = random_.pick(events);
    if (random_.chance(0.6)) {
      planned_.emplace_back("click button", true);
    } else {
      planned_.emplace_back("middle-click " + scriptQuoted(*name), false);
    }
    if (event == "relaunch-same") {
      return "relaunch " + scriptQuoted(*name) + " same-pid";
    }
    return std::string(event) + " " + scriptQuoted(*name);
  }

  // Puts one thing that is off back to normal: the system mostly works.
  Step restore(Desktop&) {
    std::vector<std::string> undo;
    if (dockHidden_) {
      undo.emplace_back("dock-show");
    }
    if (faults_ > 0) {
      undo.emplace_back("fault clear");
    }
    if (slow_) {
      undo.emplace_back("latency 0");
    }
    if (oversized_) {
      undo.emplace_back("extra-children 0");
    }
    if (!accessibility_) {
      undo.emplace_back("permission accessibility on");
    }
    if (!inputMonitoring_) {
      undo.emplace_back("permission input-monitoring on");
    }
    for (const std::size_t reason : suspended_) {
      undo.emplace_back(suspensions[reason].second);
    }
    for (const std::string_view feature : switchedOff_) {
      undo.push_back("set " + std::string(feature) + " on");
    }
    if (undo.empty()) {
      return std::nullopt;
    }
    const std::string line = random_.pick(undo);
    if (line == "dock-show") {
      dockHidden_ = false;
    } else if (line == "fault clear") {
      faults_ = 0;
    } else if (line == "latency 0") {
      slow_ = false;
    } else if (line == "extra-children 0") {
      oversized_ = false;
    } else if (line == "permission accessibility on") {
      accessibility_ = true;
    } else if (line == "permission input-monitoring on") {
      inputMonitoring_ = true;
    } else if (line.starts_with("set ")) {
      switchedOff_.erase(line.substr(4, line.size() - 7));
    } else {
      std::erase_if(suspended_,
                    [&](std::size_t reason) { return suspensions[reason].second == line; });
    }
    return line;
  }

  Random random_;
  std::vector<Rect> screens_;
  std::string_view dockEdge_ = "bottom";
  std::size_t dockScreen_ = 0;
  std::vector<std::string> apps_;
  std::vector<std::string> items_; // every named Dock item
  double duration_ = shortestSession;
  std::deque<std::pair<std::string, bool>> planned_; // the line, and whether it needs the ×
  std::set<int> pressed_;
  std::set<std::string, std::less<>> switchedOff_;
  bool slow_ = false;
  bool oversized_ = false;
  std::set<std::size_t> suspended_;
  int faults_ = 0;
  bool dockHidden_ = false;
  bool accessibility_ = true;
  bool inputMonitoring_ = true;
  bool fault_ = false;
};

std::string scriptOf(const std::vector<std::string>& lines, uint64_t seed) {
  std::string script = "# lumivane-sim --soak 1 --seed " + std::to_string(seed) + "\n";
  for (const std::string& line : lines) {
    script += line + "\n";
  }
  return script;
}

// The session under way, for the one report that cannot wait for runSoakSession to return: an
// exception that escaped, or a sanitizer's finding, ends the program on the spot.
struct SessionInProgress {
  uint64_t seed;
  const std::vector<std::string>& lines;
};
const SessionInProgress* inProgress = nullptr;

void reportDyingSession() {
  if (inProgress != nullptr) {
    std::fprintf(stderr,
                 "soak: the session with seed %llu died in the last line of its script:\n%s",
                 static_cast<unsigned long long>(inProgress->seed),
                 scriptOf(inProgress->lines, inProgress->seed).c_str());
  }
}

// Reports the dying session, then lets the program end as it would have.
class DeathReport {
public:
  DeathReport() : previous_(std::set_terminate(onTerminate)) {
#ifdef LUMIVANE_SANITIZED
    __sanitizer_set_death_callback(reportDyingSession);
#endif
  }
  ~DeathReport() {
    std::set_terminate(previous_);
#ifdef LUMIVANE_SANITIZED
    __sanitizer_set_death_callback(nullptr);
#endif
  }
  DeathReport(const DeathReport&) = delete;
  DeathReport& operator=(const DeathReport&) = delete;

private:
  static void onTerminate() {
    std::fputs("soak: an exception escaped\n", stderr);
    reportDyingSession();
    std::abort();
  }
  std::terminate_handler previous_;
};

} // namespace

std::optional<SoakViolation> runSoakSession(uint64_t seed, SoakFigures& figures) {
  Session session(seed);
  std::vector<std::string> lines = session.setUp();
  const std::size_t setUpLines = lines.size();
  const SessionInProgress current{seed, lines};
  inProgress = &current;
  struct Done {
    ~Done() { inProgress = nullptr; }
  } done;
  std::ostream silent(nullptr);
  ScenarioRunner runner(silent);
  InvariantChecker checker(runner);
  Desktop& desktop = runner.desktop();
  const double start = desktop.now();
  ++figures.sessions;

  const auto violation = [&](std::size_t step, std::string failure) {
    ++figures.violations;
    return SoakViolation{seed, step, std::move(failure), scriptOf(lines, seed)};
  };
  const auto finish = [&] {
    figures.simulatedSeconds += desktop.now() - start;
    figures.quitRequests += checker.quitRequests();
  };

  // The set-up with the script's header line, so line numbers match the replay script.
  auto parsed = parseScenario(scriptOf(lines, seed));
  if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
    finish();
    return violation(0, "the soak drew a malformed set-up: " + error->describe());
  }
  if (ScenarioResult result = runner.run(std::get<Scenario>(parsed)); !result.passed) {
    finish();
    return violation(0, result.failure);
  }

  for (std::size_t step = 1;; ++step) {
    std::optional<std::string> line = session.step(desktop, desktop.now() - start);
    const bool last = !line;
    lines.push_back(line.value_or("shutdown"));
    auto command = parseLine(lines.back(), static_cast<int>(setUpLines + step) + 1);
    if (const auto* error = std::get_if<ScenarioError>(&command)) {
      finish();
      return violation(step, "the soak drew a malformed step: " + error->describe());
    }
    ++figures.steps;
    if (session.wasFault() && !last) {
      ++figures.faults;
    }
    const ScenarioResult result = runner.run(**std::get_if<std::optional<Command>>(&command));
    if (!result.passed) {
      finish();
      return violation(step, result.failure);
    }
    if (last) {
      finish();
      return std::nullopt;
    }
  }
}

int runSoak(std::size_t sessions, uint64_t seed, std::ostream& out, std::ostream& errors) {
  SoakFigures figures;
  const DeathReport deathReport;
  const auto began = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < sessions; ++i) {
    if (auto violation = runSoakSession(seed + i, figures)) {
      errors << "soak: violation in the session with seed " << violation->seed << ", step "
             << violation->step << ": " << violation->failure << "\n"
             << "soak: replay with lumivane-sim --check FILE on this script:\n"
             << violation->script;
      break;
    }
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  char line[256];
  std::snprintf(line, sizeof line,
                "soak: %zu sessions, %zu steps, %zu faults injected, %zu quit requests, "
                "%zu violations, %.0f s simulated in %.1f s (seed %llu)\n",
                figures.sessions, figures.steps, figures.faults, figures.quitRequests,
                figures.violations, figures.simulatedSeconds, wall,
                static_cast<unsigned long long>(seed));
  out << line;
  return figures.violations == 0 ? 0 : 1;
}

} // namespace lumivane::sim
