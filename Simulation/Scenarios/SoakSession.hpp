#pragma once

#include "Scenarios/Scenarios.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// One random session of the soak: its desktop, drawn at the start (SoakDesktop.cpp), and its
// steps, drawn one at a time from the desktop as it is (SoakSteps.cpp and the Soak*Steps.cpp
// beside it), all as commands.

namespace lumivane::sim::soak {

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

// Where the pointer goes, and the click on the ×, as the steps write them.
PointerTarget itemTarget(std::string name);
PointerTarget buttonTarget();
// A point in whole points, as the pointer lines write it.
PointerTarget pointTarget(Point point);
command::Mouse clickOnButton();

class Session {
public:
  explicit Session(uint64_t seed) : random_(seed) {}

  // The set-up commands and `launch`.
  std::vector<Action> setUp();
  // The next step, or nothing when the session has lasted `elapsed` seconds long enough.
  std::optional<Action> step(Desktop& desktop, double elapsed);
  // The last step made the system misbehave.
  bool wasFault() const { return fault_; }

private:
  using Step = std::optional<Action>;
  using Feature = command::Switch::Feature;

  // The desktop.
  void drawScreens();
  command::Dock drawDock();
  bool onOuterEdge(DockEdge edge, std::size_t screen) const;
  void drawItems(std::vector<Action>& actions);
  command::App drawApp();
  void addApp(std::vector<Action>& actions, command::App app);
  // Now and then the Dock item names the app's bundle by another path, or the tile comes and
  // goes with the app.
  void varyItem(std::vector<Action>& actions, command::App& app);
  std::string otherItem(std::vector<Action>& actions, const std::string& name);
  // Now and then a stored protected-apps list, some identifiers in another letter case, or a
  // stored value that is no list.
  void drawProtectedList(std::vector<Action>& actions);

  // The steps. Where one step draws several numbers, they are drawn in the order the session
  // has always drawn them (the later words of a line first), so that a seed keeps naming the
  // same session.
  Step draw(Desktop& desktop);
  // A named item in the Dock now (while none is, any named item).
  std::string anyItem();
  // The items a sweep runs to: the first and the last in the Dock.
  std::pair<std::string, std::string> ends();
  // Whether a planned step can still run: the items and apps it names are there.
  bool stillPossible(const Action& action) const;
  double seconds(double low, double high) { return scriptRounded(random_.uniform(low, high)); }
  Point pointOnAScreen();
  void pressHeld(int button);
  // The popover or the settings window shows the status line; and it carries 重新打开.
  bool lineInView() const;
  bool lineOffersReopen() const;
  // SoakSteps.cpp: the user's pointer and buttons.
  Step rest(Desktop&);
  Step pause(Desktop&);
  Step toButton(Desktop& desktop);
  Step travel(Desktop& desktop);
  Step clickButton(Desktop& desktop);
  Step sweep(Desktop&);
  Step away(Desktop&);
  Step aroundDock(Desktop& desktop);
  Step jump(Desktop&);
  Step mouse(Desktop&);
  Step middle(Desktop&);
  Step otherButtons(Desktop&);
  Step race(Desktop& desktop);
  // SoakPopoverSteps.cpp: the user's changes to Lumivane's settings, and 重新打开.
  Step switches(Desktop&);
  Step protection(Desktop& desktop);
  Step layout(Desktop&);
  Step reopen(Desktop& desktop);
  // SoakSystemSteps.cpp: applications, Accessibility, the Dock process, permissions, the tap,
  // power and displays; and putting one of them back.
  Step appEvent(Desktop& desktop);
  Step accessibility(Desktop&);
  Step latency(Desktop&);
  Step dock(Desktop&);
  Step permission(Desktop&);
  Step tap(Desktop&);
  Step power(Desktop&);
  Step displays(Desktop&);
  Step space(Desktop&);
  Step restore(Desktop&);
  // SoakDockSteps.cpp: the Dock rearranged, icons asking for attention, a held ×, and events
  // that meet within one turn of the main queue.
  Step rearrange(Desktop& desktop);
  Step attention(Desktop& desktop);
  Step holdButton(Desktop& desktop);
  Step oneTurn(Desktop& desktop);
  Step toEdge(Desktop& desktop);
  // What a real Dock does besides: Mission Control opens or closes, an item's menu opens or
  // closes, an icon's badge changes.
  Step realDock(Desktop& desktop);

  Random random_;
  Desktop* desktop_ = nullptr; // during step()
  std::vector<Rect> screens_;
  DockEdge dockEdge_ = DockEdge::bottom;
  bool autohide_ = false;
  std::size_t dockScreen_ = 0;
  std::vector<std::string> apps_;
  std::map<std::string, std::string> bundleIdentifiers_; // by app name
  std::set<std::string> protected_;                      // app names the user protected
  std::vector<std::string> items_;                       // every named Dock item
  double duration_ = 0;
  std::deque<std::pair<Action, bool>> planned_; // the step, and whether it needs the ×
  std::set<int> pressed_;
  std::set<Feature> switchedOff_;
  bool slow_ = false;
  bool oversized_ = false;
  std::set<std::size_t> suspended_;
  int faults_ = 0;
  bool dockHidden_ = false;
  bool accessibility_ = true;
  bool inputMonitoring_ = true;
  bool missionControl_ = false;
  bool menuOpen_ = false;
  bool fault_ = false;
  // The last quit (its index among the quit requests) the user went to take back.
  std::optional<std::size_t> reopenedQuit_;
};

} // namespace lumivane::sim::soak
