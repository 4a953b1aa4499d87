#include "Scenarios/Scenarios.hpp"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::sim {
namespace {

// At least one line for every verb and every form of its arguments; the printed form of each
// must read back as the same command.
constexpr std::string_view samples[] = {
    "symlink /Applications/Alias.app /Volumes/Apps/Real.app",
    "symlink /opt/link ../target",
    "screen 1440x900",
    "screen 1920x1080 at -1920,-180",
    "dock left icons=48 magnify=96 screen=2",
    "dock bottom",
    "dock right icons=40 autohide",
    "app \"Google Chrome\"",
    "app Notes bundle=com.apple.Notes path=\"/System/Applications/My Notes.app\" quit=after:2.5 "
    "background launching copies=0",
    "app A quit=never copies=2",
    "app B quit=refuse",
    "app Finder",
    "app Fresh path=/private/var/folders/T/AppTranslocation/1/d/Fresh.app "
    "item=/Users/me/Downloads/Fresh.app unpinned",
    "folder \"Down loads\"",
    "folder button",
    "trash",
    "separator",
    "document Notes.txt",
    "document \"Report\" path=/Users/me/Report.pdf",
    "url Apple https://www.apple.com/",
    "minimized \"Safari window\"",
    "launchpad",
    "mission-control",
    "default hoverEnabled false",
    "default hoverPosition leading",
    "default \"odd key\" \"true\"",
    "default protectedApps \"com.example.mail,com.example.notes\"",
    "default protectedApps \"\"",
    "default protectedApps false",
    "permission accessibility off",
    "permission input-monitoring on",
    "launch",
    "launch --welcome",
    "shutdown",
    "set hoverEnabled off",
    "set middleEnabled on",
    "set layout trailing spacious",
    "close welcome",
    "close settings",
    "open popover",
    "close popover",
    "protect Mail",
    "unprotect \"Café Menu\"",
    "reopen",
    "delete-app \"Café Menu\"",
    "pointer 10.5 -3",
    "pointer \"Visual Studio Code\"",
    "pointer \"button\"",
    "pointer button",
    "glide 1e300 0 0.25",
    "glide Mail 0.333",
    "glide button 1",
    "wait 12.5",
    "click",
    "click button",
    "right-click Mail",
    "scroll 5 6",
    "drag",
    "drag 100 200",
    "middle-click \"Quote \\\"Q\\\"\"",
    "press middle",
    "press left",
    "release right",
    "release 4",
    "sleep",
    "wake",
    "display-sleep",
    "display-wake",
    "lock",
    "unlock",
    "session-resign",
    "session-activate",
    "space-change",
    "screens 1440x900 1920x1080@1440,-90",
    "tap-disable timeout",
    "tap-disable user",
    "status-bar off",
    "status-bar on",
    "relaunch Mail",
    "relaunch Mail same-pid",
    "quits \"Back\\\\Slash\"",
    "quits Mail listed=0.5",
    "start Mail",
    "finish-launching Mail",
    "reuse-pid Mail Notes",
    "dock-restart",
    "dock-restart 1.5",
    "dock-remove Mail",
    "dock-add Mail",
    "dock-add Mail at=3",
    "dock-move Mail 1",
    "bounce Mail",
    "bounce Mail 3",
    "queue hold",
    "queue release",
    "dock-hide",
    "dock-show",
    "mission-control-open",
    "mission-control-close",
    "dock-menu Mail",
    "dock-menu \"close\"",
    "dock-menu close",
    "dock-badge Mail \"12\"",
    "dock-badge Mail \"\"",
    "spacer Gap",
    "extra \"Dock Extra\"",
    "permission accessibility removed",
    "app Notes executable-url",
    "move-dock right icons=48 screen=2",
    "move-dock bottom autohide",
    "fault wrong-type item Mail AXURL",
    "fault timeout items",
    "fault error list AXChildren",
    "fault non-finite dock",
    "fault error any AXElementAtPosition",
    "fault clear",
    "latency 0.019",
    "extra-children 200",
    "expect overlay hidden",
    "expect overlay \"hidden\"",
    "expect overlay Safari",
    "expect status \"「Notes」仍未退出。\" error",
    "expect status \"\"",
    "expect running Mail",
    "expect stopped Mail",
    "expect quit-requests Mail 3",
    "expect symbol dock.rectangle",
    "expect tooltip \"Lumivane · 请检查权限\"",
    "expect window welcome shown",
    "expect window settings hidden",
    "expect badge on",
    "expect badge off",
    "expect popover shown",
    "expect popover hidden",
    "expect reopen on",
    "expect reopen off",
    "expect pointer \"Café Menu\"",
    "expect dock-events 2",
    "expect preview-edge left",
};

Command parsedLine(std::string_view line) {
  auto parsed = parseLine(line, 1);
  if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
    ADD_FAILURE() << line << ": " << error->describe();
    return {};
  }
  const auto& command = std::get<std::optional<Command>>(parsed);
  if (!command) {
    ADD_FAILURE() << line << ": no command";
    return {};
  }
  return *command;
}

std::string_view verbOf(std::string_view line) {
  return line.substr(0, line.find(' '));
}

TEST(ScriptPrinter, EveryPrintedCommandReadsBackTheSame) {
  for (const std::string_view sample : samples) {
    const Command command = parsedLine(sample);
    const std::string printed = scriptLine(command.action);
    EXPECT_EQ(verbOf(printed), verbOf(sample)) << printed;
    EXPECT_TRUE(parsedLine(printed).action == command.action)
        << sample << " printed as " << printed;
  }
}

TEST(ScriptPrinter, SamplesCoverEveryVerbAndEveryKindOfCommand) {
  std::set<std::string_view> verbs;
  std::set<std::size_t> kinds;
  for (const std::string_view sample : samples) {
    verbs.insert(verbOf(sample));
    kinds.insert(parsedLine(sample).action.index());
  }
  for (const std::string_view verb : scriptVerbs()) {
    EXPECT_TRUE(verbs.contains(verb)) << "no sample for '" << verb << "'";
  }
  EXPECT_EQ(kinds.size(), std::variant_size_v<Action>);
}

// Commands made as values print as lines the parser takes, with the same values.
TEST(ScriptPrinter, CommandsMadeAsValuesPrintAsTheirScriptLines) {
  const Command glide = commandOf(
      command::Glide{PointerTarget{PointerTarget::Kind::item, {}, "Café Menu"}, 0.25}, 12);
  EXPECT_EQ(glide.line, 12);
  EXPECT_EQ(glide.source, "glide \"Café Menu\" 0.25");
  EXPECT_EQ(scriptLine(command::InjectFault{}), "fault clear");
  EXPECT_EQ(scriptLine(command::Post{platform::Notification::screenIsLocked}), "lock");
  command::App app;
  app.profile = {.name = "Mail",
                 .bundleIdentifier = "com.example.mail",
                 .bundlePath = "/Applications/Mail.app",
                 .quit = QuitBehaviour::afterDelay,
                 .quitDelay = 1.5};
  EXPECT_EQ(scriptLine(app), "app \"Mail\" quit=after:1.5");
  // Three decimals are what a script can write.
  EXPECT_EQ(scriptRounded(0.12345), 0.123);
  EXPECT_EQ(scriptLine(command::Wait{scriptRounded(2.0 / 3)}), "wait 0.667");
}

TEST(ScriptLanguageHelp, ListsEveryVerbOnceWithItsUsage) {
  const std::string help = scriptLanguageHelp();
  for (const std::string_view verb : scriptVerbs()) {
    EXPECT_NE(help.find("\n  " + std::string(verb)), std::string::npos) << verb;
  }
  // Fits a terminal.
  std::size_t start = 0;
  while (start < help.size()) {
    const std::size_t end = std::min(help.find('\n', start), help.size());
    EXPECT_LE(end - start, 96u) << help.substr(start, end - start);
    start = end + 1;
  }
}

} // namespace
} // namespace lumivane::sim
