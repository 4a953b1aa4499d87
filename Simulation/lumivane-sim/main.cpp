// lumivane-sim: Lumivane's real coordinator and services on a simulated macOS desktop.
//
//   lumivane-sim                 runs the built-in tour and prints its timeline
//   lumivane-sim --script FILE   runs a scenario script and prints its timeline
//   lumivane-sim --check FILE    the same, with the soak's invariants checked throughout
//   lumivane-sim --soak N        runs N random sessions with faults injected
//   lumivane-sim --diagnose [FILE]  prints the report of `Lumivane --diagnose` on a desktop
//   lumivane-sim --app-icon FILE    writes the app's icon (.icns) from our drawing
//   lumivane-sim --help          explains the options and the script language
//
// Exit status: 0 when every expectation held, 1 at the first failed expectation or broken
// invariant, 2 for a malformed script or command line.

#include "AppIcon.hpp"
#include "Diagnose.hpp"
#include "InteractiveDesktop.hpp"
#include "Scenarios/Scenarios.hpp"
#include "Snapshots.hpp"
#include "Tour.hpp"

#include <charconv>
#include <cstdlib>
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
    "usage: lumivane-sim [--script FILE | --check FILE | --soak N [--seed S] |\n"
    "                     --diagnose [FILE] | --desktop | --snapshot DIR |\n"
    "                     --app-icon FILE | --app-icon-check FILE | --help]\n";

constexpr std::string_view help =
    R"(lumivane-sim: Lumivane on a simulated macOS desktop, on a virtual clock.

  lumivane-sim                 run the built-in tour
  lumivane-sim --script FILE   run a scenario script
  lumivane-sim --check FILE    run a script with the soak's invariants checked throughout
  lumivane-sim --soak N [--seed S]   run N random sessions with faults injected (seeds S,
                               S+1, ...; S is 1 by default), check the invariants after
                               every step, print one line of figures; at the first violation
                               print its seed, step and a script that replays it
  lumivane-sim --diagnose [FILE]   print the report of `Lumivane --diagnose` on the desktop
                               that FILE's set-up lines describe (without FILE, a built-in
                               one): the permissions, displays, the Dock's items as Lumivane
                               reads them, then a hit test a second for 10 s while the
                               pointer rests on one item after another
  lumivane-sim --desktop       open the interactive simulated desktop (needs a display)
  lumivane-sim --snapshot DIR  write PNG snapshots of the interface into DIR (offscreen)
  lumivane-sim --app-icon FILE   write Lumivane's app icon, drawn here, as an .icns file
  lumivane-sim --app-icon-check FILE   check that FILE holds the icon as drawn now (exit 1
                               when it does not: write it again with --app-icon)
  lumivane-sim --help          show this text

The timeline lists, one per line, the virtual time in seconds and what happened: script steps
("> ..."), the × overlay shown, moved or hidden (frame in the top-left space, and label), quit
requests, status messages and their error flag, the status item's symbol and tooltip, windows
shown and closed, applications ending, and log lines.

Exit status: 0 when every expectation held; 1 at the first failed expectation or impossible
step (the line, what was expected, what was found), or with --check and --soak at the first
broken invariant; 2 for a malformed script (the line) or command line.

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

// Why the interactive desktop cannot open here, or nothing when a display seems at hand: Qt
// would abort without one.
std::optional<std::string> missingDisplay() {
#ifdef __APPLE__
  return std::nullopt;
#else
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string_view chosen = platform == nullptr ? "" : platform;
  if (chosen.starts_with("offscreen") || chosen.starts_with("minimal")) {
    return "the Qt platform '" + std::string(chosen) + "' (QT_QPA_PLATFORM) shows nothing";
  }
  if (chosen.empty() && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
    return std::string("neither DISPLAY nor WAYLAND_DISPLAY is set");
  }
  return std::nullopt;
#endif
}

} // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (arguments.empty()) {
    return runScenarioText(tourScript(), std::cout, std::cerr);
  }
  if (arguments.size() == 1 && arguments[0] == "--help") {
    std::cout << help << scriptLanguageHelp();
    return scenarioPassed;
  }
  if (arguments[0] == "--desktop") {
    if (const auto why = missingDisplay()) {
      std::cerr << "lumivane-sim: --desktop needs a display, and there is none: " << *why
                << ".\nRun it on a desktop session or under xvfb-run; the tour, --script, "
                   "--check, --soak and --snapshot need no display.\n";
      return scenarioMalformed;
    }
    return lumivane::shell::runDesktop(argc, argv);
  }
  if (arguments.size() == 2 && arguments[0] == "--snapshot") {
    return lumivane::shell::writeSnapshots(argc, argv, std::string(arguments[1]));
  }
  if (arguments.size() == 2 && arguments[0] == "--app-icon") {
    return lumivane::shell::writeAppIcon(std::string(arguments[1]));
  }
  if (arguments.size() == 2 && arguments[0] == "--app-icon-check") {
    return lumivane::shell::checkAppIcon(std::string(arguments[1]));
  }
  if (arguments.size() == 2 && arguments[0] == "--script") {
    return runScript(std::string(arguments[1]), runScenarioText);
  }
  if (arguments.size() == 2 && arguments[0] == "--check") {
    return runScript(std::string(arguments[1]), runCheckedScenarioText);
  }
  if (arguments.size() == 1 && arguments[0] == "--diagnose") {
    return runDiagnose(diagnoseDesktopScript(), std::cout, std::cerr);
  }
  if (arguments.size() == 2 && arguments[0] == "--diagnose") {
    return runScript(std::string(arguments[1]), runDiagnose);
  }
  if (arguments[0] == "--soak") {
    return runSoak(arguments);
  }
  std::cerr << usage;
  return scenarioMalformed;
}
