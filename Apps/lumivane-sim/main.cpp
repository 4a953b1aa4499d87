// lumivane-sim: Lumivane's real coordinator and services on a simulated macOS desktop.
//
//   lumivane-sim                 runs the built-in tour and prints its timeline
//   lumivane-sim --script FILE   runs a scenario script and prints its timeline
//   lumivane-sim --check FILE    the same, with the soak's invariants checked throughout
//   lumivane-sim --soak N        runs N random sessions with faults injected
//   lumivane-sim --help          explains the options and the script language
//
// Exit status: 0 when every expectation held, 1 at the first failed expectation or broken
// invariant, 2 for a malformed script or command line.

#include "InteractiveDesktop.hpp"
#include "Simulator/Invariants.hpp"
#include "Simulator/Scenario.hpp"
#include "Simulator/Soak.hpp"
#include "Snapshots.hpp"
#include "Tour.hpp"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lumivane::sim;

constexpr std::string_view usage =
    "usage: lumivane-sim [--script FILE | --check FILE | --soak N [--seed S] | --desktop |\n"
    "                     --snapshot DIR | --help]\n";

constexpr std::string_view help =
    R"(lumivane-sim: Lumivane on a simulated macOS desktop, on a virtual clock.

  lumivane-sim                 run the built-in tour
  lumivane-sim --script FILE   run a scenario script
  lumivane-sim --check FILE    run a script with the soak's invariants checked throughout
  lumivane-sim --soak N [--seed S]   run N random sessions with faults injected (seeds S,
                               S+1, ...; S is 1 by default), check the invariants after
                               every step, print one line of figures; at the first violation
                               print its seed, step and a script that replays it
  lumivane-sim --desktop       open the interactive simulated desktop (needs a display)
  lumivane-sim --snapshot DIR  write PNG snapshots of the interface into DIR (offscreen)
  lumivane-sim --help          show this text

The timeline lists, one per line, the virtual time in seconds and what happened: script steps
("> ..."), the × overlay shown, moved or hidden (frame in the top-left space, and label), quit
requests, status messages and their error flag, the status item's symbol and tooltip, windows
shown and closed, applications ending, and log lines.

Exit status: 0 when every expectation held; 1 at the first failed expectation or impossible
step (the line, what was expected, what was found), or with --check and --soak at the first
broken invariant; 2 for a malformed script (the line) or command line.

Script language: one command per line, # starts a comment, "quoted" words may hold spaces.
Points are X Y in the top-left space (origin at the primary display's top-left, y downward).
Lines before the first launch set up the desktop; both permissions start granted.

  screen 1440x900 [at X,Y]            a display; the first is the primary
  dock bottom|left|right [icons=64] [magnify=128] [screen=N]    N counts from 1
  app NAME [bundle=ID] [path=PATH] [quit=now|after:SECONDS|never|refuse]
           [background] [launching] [copies=N]                  a Dock item and its app
  folder NAME | trash | separator     further Dock items, in order; the trash is "Trash"
  permission accessibility|input-monitoring on|off
  default KEY VALUE                   a user default (true/false or text)
  launch [--welcome]                  starts Lumivane; again: quits it and starts it anew
  pointer X Y | pointer NAME | pointer button       an icon's centre; the ×'s centre
  glide X Y|NAME|button SECONDS       moves there over time, sampled at 60 Hz
  wait SECONDS
  click | right-click | scroll | middle-click [X Y|NAME|button]   moves there first
  drag [X Y|NAME|button]              a left drag there (default: 40 points up)
  sleep | wake | display-sleep | display-wake | lock | unlock
  session-resign | session-activate
  relaunch NAME [same-pid] | quits NAME | dock-restart   quits: the app ends by itself
  start NAME                          one more process of the app (a second copy if it runs)
  finish-launching NAME | reuse-pid NAME BY         BY starts on the pid NAME had
  dock-hide | dock-show | space-change
  move-dock bottom|left|right [icons=64] [magnify=128] [screen=N]
  screens 1440x900[@X,Y] ...          the displays now, primary first
  fault error|timeout|wrong-type|non-finite item NAME|items|list|dock|any [ATTRIBUTE]
  fault clear                         Accessibility faults on the Dock (AXPosition and AXSize
                                      for the frame read, AXElementAtPosition for the hit)
  latency SECONDS | extra-children N  slow messages; extra empty children in the item list
  tap-disable timeout|user            the system disables the event tap
  press BUTTON | release BUTTON       left, right, middle or a number (3, 4: side buttons)
  permission accessibility|input-monitoring on|off  at any time
  shutdown                            Lumivane quits
  set hoverEnabled|middleEnabled on|off | set layout POSITION DISTANCE
  close welcome|settings              closes the window as the user would
  expect overlay hidden | expect overlay NAME
  expect status "TEXT" [error]
  expect running NAME | expect stopped NAME | expect quit-requests NAME N
  expect symbol NAME | expect tooltip "TEXT" | expect window welcome|settings shown|hidden
)";

int runScript(const std::string& path, int (*run)(std::string_view, std::ostream&, std::ostream&)) {
  std::error_code error;
  std::ifstream file(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path, error) || !file.is_open()) {
    std::cerr << "lumivane-sim: cannot read '" << path << "'\n";
    return scenarioMalformed;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return run(text.str(), std::cout, std::cerr);
}

std::optional<uint64_t> count(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// --soak N [--seed S]
int runSoak(const std::vector<std::string_view>& arguments) {
  const auto sessions =
      arguments.size() == 2 || arguments.size() == 4 ? count(arguments[1]) : std::nullopt;
  const auto seed = arguments.size() == 4 && arguments[2] == "--seed" ? count(arguments[3])
                    : arguments.size() == 2                           ? std::optional<uint64_t>(1)
                                                                      : std::nullopt;
  if (!sessions || !seed) {
    std::cerr << usage;
    return scenarioMalformed;
  }
  return lumivane::sim::runSoak(*sessions, *seed, std::cout, std::cerr);
}

} // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (arguments.empty()) {
    return runScenarioText(tourScript(), std::cout, std::cerr);
  }
  if (arguments.size() == 1 && arguments[0] == "--help") {
    std::cout << help;
    return scenarioPassed;
  }
  if (arguments[0] == "--desktop") {
    return lumivane::shell::runDesktop(argc, argv);
  }
  if (arguments.size() == 2 && arguments[0] == "--snapshot") {
    return lumivane::shell::writeSnapshots(argc, argv, std::string(arguments[1]));
  }
  if (arguments.size() == 2 && arguments[0] == "--script") {
    return runScript(std::string(arguments[1]), runScenarioText);
  }
  if (arguments.size() == 2 && arguments[0] == "--check") {
    return runScript(std::string(arguments[1]), runCheckedScenarioText);
  }
  if (arguments[0] == "--soak") {
    return runSoak(arguments);
  }
  std::cerr << usage;
  return scenarioMalformed;
}
