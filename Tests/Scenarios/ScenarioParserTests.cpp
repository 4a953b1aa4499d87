#include "Scenarios/Scenarios.hpp"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::sim {
namespace {

Scenario parsed(std::string_view text) {
  auto result = parseScenario(text);
  if (const auto* error = std::get_if<ScenarioError>(&result)) {
    ADD_FAILURE() << error->describe();
    return {};
  }
  return std::get<Scenario>(std::move(result));
}

// The only command of a script made of set-up lines and one more line.
template <class T> T last(std::string_view text) {
  const Scenario scenario = parsed(text);
  if (scenario.commands.empty() || !std::holds_alternative<T>(scenario.commands.back().action)) {
    ADD_FAILURE() << "last command of the wrong kind";
    return T{};
  }
  return std::get<T>(scenario.commands.back().action);
}

// ---------------------------------------------------------------------------------------------
// Malformed scripts name their first bad line.

struct Malformed {
  std::string_view script;
  std::string_view error;
};

void PrintTo(const Malformed& malformed, std::ostream* out) {
  *out << malformed.script;
}

class ScenarioParserRejects : public testing::TestWithParam<Malformed> {};

TEST_P(ScenarioParserRejects, NamesTheLineAndTheFault) {
  const auto result = parseScenario(GetParam().script);
  ASSERT_TRUE(std::holds_alternative<ScenarioError>(result));
  EXPECT_EQ(std::get<ScenarioError>(result).describe(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScenarioParserRejects,
    testing::Values(
        Malformed{"# set-up\n\napp Safari\nlaunch\n\n  # comment\nglid Safari 0.3\n",
                  "line 7: unknown command 'glid'"},
        Malformed{"app Safari\r\nlaunch\r\nGlide Safari 1\r\n", "line 3: unknown command 'Glide'"},
        Malformed{"\"wait\" 1\n", "line 1: unknown command 'wait'"},
        Malformed{"expect status \"open\n", "line 1: unterminated quote"},
        Malformed{"expect status \"a\\\"\n", "line 1: unterminated quote"},
        Malformed{"launch\nexpect tooltip \"\xE4\xBD\"\n", "line 2: not UTF-8 text"},
        Malformed{"launch\nexpect tooltip \"\xC0\xAF\"\n", "line 2: not UTF-8 text"},
        Malformed{"wait\n", "line 1: usage: wait SECONDS"},
        Malformed{"wait -1\n", "line 1: usage: wait SECONDS"},
        Malformed{"wait 1s\n", "line 1: usage: wait SECONDS"},
        Malformed{"wait nan\n", "line 1: usage: wait SECONDS"},
        Malformed{"wait 1 2\n", "line 1: usage: wait SECONDS"},
        Malformed{"wait 1e9\n", "line 1: usage: wait SECONDS"},
        Malformed{"app A\nglide A 3601\n", "line 2: usage: glide X Y|NAME|button SECONDS"},
        Malformed{"screen 1440x1e9\n", "line 1: bad screen size '1440x1e9'"},
        Malformed{"screen 800x600 at 1e300,0\n", "line 1: bad screen origin '1e300,0'"},
        Malformed{"app Safari copies=100000\n", "line 1: bad number of copies 'copies=100000'"},
        Malformed{"app Safari quit=after:1e9\n", "line 1: bad quit behaviour 'quit=after:1e9'"},
        Malformed{"dock left magnify=1e6\n", "line 1: bad icon size 'magnify=1e6'"},
        Malformed{"screen 1440by900\n", "line 1: usage: screen WIDTHxHEIGHT [at X,Y]"},
        Malformed{"screen 1440x900 at 10\n", "line 1: usage: screen WIDTHxHEIGHT [at X,Y]"},
        Malformed{"screen 0x900\n", "line 1: bad screen size '0x900'"},
        Malformed{"dock top\n", "line 1: unknown Dock edge 'top'"},
        Malformed{"dock bottom size=48\n", "line 1: unknown option 'size=48'"},
        Malformed{"dock bottom icons=-4\n", "line 1: bad icon size 'icons=-4'"},
        Malformed{"dock bottom screen=2\n", "line 1: no screen 2"},
        Malformed{"dock bottom screen=0\n", "line 1: bad screen number 'screen=0'"},
        Malformed{"app Safari quit=later\n", "line 1: bad quit behaviour 'quit=later'"},
        Malformed{"app Safari quit=after:-1\n", "line 1: bad quit behaviour 'quit=after:-1'"},
        Malformed{"app Safari copies=-1\n", "line 1: bad number of copies 'copies=-1'"},
        Malformed{"app Safari hidden\n", "line 1: unknown option 'hidden'"},
        Malformed{"app Safari\nfolder Safari\n", "line 2: duplicate name 'Safari'"},
        Malformed{"trash\ntrash\n", "line 2: duplicate name 'Trash'"},
        Malformed{"permission camera on\n", "line 1: unknown permission 'camera'"},
        Malformed{"permission accessibility yes\n",
                  "line 1: usage: permission accessibility|input-monitoring on|off | permission "
                  "accessibility removed"},
        Malformed{"permission input-monitoring removed\n",
                  "line 1: usage: permission accessibility|input-monitoring on|off | permission "
                  "accessibility removed"},
        Malformed{"app Mail\ndock-menu Notes\n", "line 2: unknown Dock item 'Notes'"},
        Malformed{"dock-badge Mail \"3\"\n", "line 1: unknown Dock item 'Mail'"},
        Malformed{"spacer\n", "line 1: usage: spacer NAME"},
        Malformed{"mission-control-open now\n", "line 1: usage: mission-control-open"},
        Malformed{"launch --welcome --now\n", "line 1: usage: launch [--welcome]"},
        Malformed{"app Safari\nlaunch\npointer Safary\n", "line 3: unknown Dock item 'Safary'"},
        Malformed{"app Safari\nglide Safari\n", "line 2: usage: glide X Y|NAME|button SECONDS"},
        Malformed{"pointer 10 20 30\n",
                  "line 1: usage: pointer X Y | pointer NAME | pointer button"},
        Malformed{"folder Downloads\nlaunch\nquits Downloads\n", "line 3: unknown app 'Downloads'"},
        Malformed{"launch\nexpect running Mail\n", "line 2: unknown app 'Mail'"},
        Malformed{"app Mail\nlaunch\nexpect quit-requests Mail many\n", "line 3: bad count 'many'"},
        Malformed{"launch\nscreen 800x600\n", "line 2: 'screen' must come before 'launch'"},
        Malformed{"launch\ndefault hoverEnabled false\n",
                  "line 2: 'default' must come before 'launch'"},
        Malformed{"set hoverEnabled on\n", "line 1: 'set' needs a 'launch' before it"},
        Malformed{"launch\nset layout diagonal standard\n",
                  "line 2: unknown layout position 'diagonal'"},
        Malformed{"launch\nset layout leading far\n", "line 2: unknown layout distance 'far'"},
        Malformed{"launch\nexpect window popover shown\n",
                  "line 2: usage: expect overlay hidden|NAME | expect status \"TEXT\" [error] | "
                  "expect running|stopped NAME | expect quit-requests NAME N | expect symbol "
                  "NAME | expect tooltip \"TEXT\" | expect window welcome|settings shown|hidden | "
                  "expect badge on|off | expect popover shown|hidden | expect reopen on|off | "
                  "expect pointer NAME | expect dock-events N | "
                  "expect preview-edge bottom|left|right"},
        Malformed{"launch\nexpect status \"a\" fatal\n",
                  "line 2: usage: expect overlay hidden|NAME | expect status \"TEXT\" [error] | "
                  "expect running|stopped NAME | expect quit-requests NAME N | expect symbol "
                  "NAME | expect tooltip \"TEXT\" | expect window welcome|settings shown|hidden | "
                  "expect badge on|off | expect popover shown|hidden | expect reopen on|off | "
                  "expect pointer NAME | expect dock-events N | "
                  "expect preview-edge bottom|left|right"},
        Malformed{"lock now\n", "line 1: usage: lock"},
        // The status item, its popover and its badge.
        Malformed{"open popover\n", "line 1: 'open' needs a 'launch' before it"},
        Malformed{"launch\nopen settings\n", "line 2: usage: open popover"},
        Malformed{"launch\nclose \"popover\"\n", "line 2: usage: close welcome|settings|popover"},
        Malformed{"status-bar hidden\n", "line 1: usage: status-bar on|off"},
        Malformed{"launch\nexpect badge shown\n",
                  "line 2: usage: expect overlay hidden|NAME | expect status \"TEXT\" [error] | "
                  "expect running|stopped NAME | expect quit-requests NAME N | expect symbol "
                  "NAME | expect tooltip \"TEXT\" | expect window welcome|settings shown|hidden | "
                  "expect badge on|off | expect popover shown|hidden | expect reopen on|off | "
                  "expect pointer NAME | expect dock-events N | "
                  "expect preview-edge bottom|left|right"},
        // The way back from a quit.
        Malformed{"app Mail\nreopen\n", "line 2: 'reopen' needs a 'launch' before it"},
        Malformed{"app Mail\nlaunch\nreopen Mail\n", "line 3: usage: reopen"},
        Malformed{"app Mail\nlaunch\ndelete-app Mial\n", "line 3: unknown app 'Mial'"},
        Malformed{"folder Docs\ndelete-app Docs\n", "line 2: unknown app 'Docs'"},
        // The protected-apps list.
        Malformed{"app Mail\nprotect Mail\n", "line 2: 'protect' needs a 'launch' before it"},
        Malformed{"app Mail\nlaunch\nprotect Mial\n", "line 3: unknown app 'Mial'"},
        Malformed{"folder Docs\nlaunch\nunprotect Docs\n", "line 3: unknown app 'Docs'"},
        Malformed{"app Mail\nlaunch\nunprotect Mail Notes\n", "line 3: usage: unprotect NAME"},
        Malformed{"launch\ndefault protectedApps \"com.example.mail\"\n",
                  "line 2: 'default' must come before 'launch'"},
        Malformed{"launch\nexpect dock-events -2\n", "line 2: bad count '-2'"},
        Malformed{"app Mail\nlaunch\nexpect pointer Mial\n", "line 3: unknown Dock item 'Mial'"},
        // Faults and system steps.
        Malformed{"fault melt any\n", "line 1: unknown fault 'melt'"},
        Malformed{"fault error window\n", "line 1: unknown fault target 'window'"},
        Malformed{"app Mail\nfault error item Mial\n", "line 2: unknown Dock item 'Mial'"},
        Malformed{"fault timeout item\n",
                  "line 1: usage: fault error|timeout|wrong-type|non-finite "
                  "item NAME|items|list|dock|any [ATTRIBUTE] | fault clear"},
        Malformed{"fault error any AXRole AXSize\n",
                  "line 1: usage: fault error|timeout|wrong-type|non-finite "
                  "item NAME|items|list|dock|any [ATTRIBUTE] | fault clear"},
        Malformed{"latency -0.1\n", "line 1: usage: latency SECONDS"},
        Malformed{"extra-children 10001\n", "line 1: usage: extra-children N"},
        Malformed{"tap-disable later\n", "line 1: usage: tap-disable timeout|user"},
        Malformed{"press 32\n", "line 1: unknown button '32'"},
        Malformed{"release \"middle\"\n", "line 1: usage: release left|right|middle|BUTTON"},
        Malformed{"screens\n", "line 1: usage: screens WIDTHxHEIGHT[@X,Y]..."},
        Malformed{"screens 800x600@1e300,0\n", "line 1: bad screen origin '1e300,0'"},
        Malformed{"screens 800x600@10\n", "line 1: usage: screens WIDTHxHEIGHT[@X,Y]..."},
        Malformed{"move-dock top\n", "line 1: unknown Dock edge 'top'"},
        Malformed{"app Mail\nlaunch\nrelaunch Mail same\n",
                  "line 3: usage: relaunch NAME [same-pid]"},
        Malformed{"app Mail\nlaunch\nreuse-pid Mail Notes\n", "line 3: unknown app 'Notes'"},
        Malformed{"shutdown\n", "line 1: 'shutdown' needs a 'launch' before it"},
        // The changeable Dock, time and links.
        Malformed{"symlink Apps/A.app /B.app\n",
                  "line 1: a link must be an absolute path: 'Apps/A.app'"},
        Malformed{"launch\nsymlink /A.app /B.app\n", "line 2: 'symlink' must come before 'launch'"},
        Malformed{"app Mail\nlaunch\ndock-move Mail 0\n", "line 3: bad position '0'"},
        Malformed{"app Mail\nlaunch\ndock-add Mail 2\n", "line 3: unknown option '2'"},
        Malformed{"app Mail\nlaunch\ndock-remove Mial\n", "line 3: unknown Dock item 'Mial'"},
        Malformed{"app Mail\nlaunch\nbounce Mail 101\n", "line 3: bad number of bounces '101'"},
        Malformed{"folder Docs\nlaunch\nbounce Docs\n", "line 3: unknown app 'Docs'"},
        Malformed{"launch\nqueue hold\nwait 1\n",
                  "line 3: 'wait' cannot take time while the main queue is held"},
        Malformed{"app Mail\nlaunch\nqueue hold\nglide Mail 0.5\n",
                  "line 4: 'glide' cannot take time while the main queue is held"},
        Malformed{"queue now\n", "line 1: usage: queue hold|release"},
        Malformed{"app Mail\nquits Mail listed=-1\n", "line 2: usage: quits NAME [listed=SECONDS]"},
        Malformed{"dock-restart soon\n", "line 1: usage: dock-restart [SECONDS]"},
        Malformed{"url Apple\n", "line 1: usage: url NAME URL"},
        Malformed{"document Report size=3\n", "line 1: unknown option 'size=3'"},
        Malformed{"launchpad\nlaunchpad\n", "line 2: duplicate name 'Launchpad'"},
        // Control characters are shown escaped.
        Malformed{"glid\x01 Safari\n", "line 1: unknown command 'glid\\x01'"},
        Malformed{"app A\x1b[31m\nlaunch\nquits A\n", "line 3: unknown app 'A'"},
        Malformed{"folder \"x\xC2\x85y\"\nfolder \"x\xC2\x85y\"\n",
                  "line 2: duplicate name 'x\\u0085y'"}),
    [](const testing::TestParamInfo<Malformed>& info) {
      return "Case" + std::to_string(info.index);
    });

// ---------------------------------------------------------------------------------------------
// Words: quotes, escapes, comments and line ends.

TEST(ScenarioParserWords, QuotedTextKeepsUTF8BlanksAndHashes) {
  const auto status = last<command::ExpectStatus>(
      "launch\nexpect status \"「Notes」仍未退出。请检查保存提示，或再次尝试。 # 1\" error # "
      "why\n");
  EXPECT_EQ(status.text, "「Notes」仍未退出。请检查保存提示，或再次尝试。 # 1");
  EXPECT_TRUE(status.isError);
}

TEST(ScenarioParserWords, EscapesAndEmptyText) {
  EXPECT_EQ(
      last<command::ExpectTooltip>("launch\nexpect tooltip \"say \\\"hi\\\" \\\\ \\n\"\n").text,
      "say \"hi\" \\ \\n");
  const auto status = last<command::ExpectStatus>("launch\nexpect status \"\"\n");
  EXPECT_EQ(status.text, "");
  EXPECT_FALSE(status.isError);
}

TEST(ScenarioParserWords, SourceDropsCommentAndBlanksAndCountsEveryLine) {
  const Scenario scenario =
      parsed("\xEF\xBB\xBF# tour\r\n\r\n\tapp  Safari   # the browser\r\nlaunch\n"
             "expect status \"a # b\"  # note\n");
  ASSERT_EQ(scenario.commands.size(), 3u);
  EXPECT_EQ(scenario.commands[0].line, 3);
  EXPECT_EQ(scenario.commands[0].source, "app  Safari");
  EXPECT_EQ(scenario.commands[2].line, 5);
  EXPECT_EQ(scenario.commands[2].source, "expect status \"a # b\"");
}

// A name written decomposed or composed is one name.
TEST(ScenarioParserWords, NamesAreTheSameInEitherUnicodeForm) {
  const Scenario scenario = parsed("app \"Cafe\u0301\"\nlaunch\nglide Caf\u00e9 0.5\n"
                                   "expect overlay \"Cafe\u0301\"\n");
  ASSERT_EQ(scenario.commands.size(), 4u);
  EXPECT_EQ(std::get<command::App>(scenario.commands[0].action).profile.name, "Caf\u00e9");
  EXPECT_EQ(std::get<command::ExpectOverlay>(scenario.commands[3].action).name, "Caf\u00e9");
}

TEST(ScenarioParserWords, QuotedKeywordsAreNames) {
  // A quoted "button" is an item named button; a quoted "true" is text.
  const auto pointer = last<command::Pointer>("folder button\npointer \"button\"\n");
  EXPECT_EQ(pointer.target.kind, PointerTarget::Kind::item);
  EXPECT_EQ(pointer.target.item, "button");
  const auto value = last<command::Default>("default note \"true\"\n");
  EXPECT_EQ(std::get<std::string>(value.value), "true");
}

// ---------------------------------------------------------------------------------------------
// Commands and their defaults.

TEST(ScenarioParserCommands, AppDefaultsFollowTheName) {
  const auto app = last<command::App>("app \"Google Chrome\"\n");
  EXPECT_EQ(app.profile.name, "Google Chrome");
  EXPECT_EQ(app.profile.bundleIdentifier, "com.example.googlechrome");
  EXPECT_EQ(app.profile.bundlePath, "/Applications/Google Chrome.app");
  EXPECT_EQ(app.profile.quit, QuitBehaviour::immediately);
  EXPECT_EQ(app.profile.policy, platform::ActivationPolicy::regular);
  EXPECT_TRUE(app.profile.finishedLaunching);
  EXPECT_EQ(app.copies, 1);
  EXPECT_EQ(last<command::App>("app Finder\n").profile.bundleIdentifier, "com.apple.finder");
}

TEST(ScenarioParserCommands, AppOptions) {
  const auto app = last<command::App>(
      "app Notes bundle=com.apple.Notes path=\"/System/Applications/My Notes.app\" "
      "quit=after:2.5 background launching copies=0\n");
  EXPECT_EQ(app.profile.bundleIdentifier, "com.apple.Notes");
  EXPECT_EQ(app.profile.bundlePath, "/System/Applications/My Notes.app");
  EXPECT_EQ(app.profile.quit, QuitBehaviour::afterDelay);
  EXPECT_DOUBLE_EQ(app.profile.quitDelay, 2.5);
  EXPECT_EQ(app.profile.policy, platform::ActivationPolicy::accessory);
  EXPECT_FALSE(app.profile.finishedLaunching);
  EXPECT_EQ(app.copies, 0);
  EXPECT_EQ(last<command::App>("app A quit=never\n").profile.quit, QuitBehaviour::never);
  EXPECT_EQ(last<command::App>("app A quit=refuse\n").profile.quit, QuitBehaviour::refuse);
}

TEST(ScenarioParserCommands, ScreensAndDock) {
  const Scenario scenario =
      parsed("screen 1440x900\nscreen 1920x1080 at 1440,-180\ndock left icons=48 magnify=96 "
             "screen=2\n");
  ASSERT_EQ(scenario.commands.size(), 3u);
  EXPECT_EQ(std::get<command::Screen>(scenario.commands[1].action).frame,
            (Rect{1440, -180, 1920, 1080}));
  const auto dock = std::get<command::Dock>(scenario.commands[2].action);
  EXPECT_EQ(dock.edge, DockEdge::left);
  EXPECT_DOUBLE_EQ(dock.iconSize, 48);
  EXPECT_EQ(dock.magnifiedSize, 96);
  EXPECT_EQ(dock.screen, 1);
  EXPECT_EQ(last<command::Dock>("dock right\n").magnifiedSize, std::nullopt);
}

TEST(ScenarioParserCommands, PointerTargets) {
  const auto point = last<command::Glide>("glide 10.5 -3 0.25\n");
  EXPECT_EQ(point.target.kind, PointerTarget::Kind::point);
  EXPECT_EQ(point.target.point, (Point{10.5, -3}));
  EXPECT_DOUBLE_EQ(point.seconds, 0.25);
  EXPECT_EQ(last<command::Glide>("glide button 1\n").target.kind, PointerTarget::Kind::button);
  const auto click = last<command::Mouse>("app Mail\nmiddle-click Mail\n");
  EXPECT_EQ(click.action, command::Mouse::Action::middleClick);
  ASSERT_TRUE(click.target.has_value());
  EXPECT_EQ(click.target->item, "Mail");
  EXPECT_FALSE(last<command::Mouse>("drag\n").target.has_value());
}

TEST(ScenarioParserCommands, SettingsAndDefaults) {
  EXPECT_EQ(last<command::Layout>("launch\nset layout trailing spacious\n").options,
            (HoverLayoutOptions{HoverPosition::trailing, HoverDistance::spacious}));
  const auto off = last<command::Switch>("launch\nset middleEnabled off\n");
  EXPECT_EQ(off.feature, command::Switch::Feature::middle);
  EXPECT_FALSE(off.on);
  EXPECT_EQ(std::get<bool>(last<command::Default>("default hasSeenWelcome true\n").value), true);
  EXPECT_EQ(std::get<std::string>(last<command::Default>("default hoverPosition leading\n").value),
            "leading");
  EXPECT_TRUE(last<command::Launch>("launch --welcome\n").welcome);
}

// The protected-apps key stores its text as the list of identifiers; true and false stay a
// Boolean, the stored value of another type that the list must read as empty.
TEST(ScenarioParserCommands, ProtectedAppsAndTheirStoredList) {
  using List = std::vector<std::string>;
  EXPECT_EQ(std::get<List>(last<command::Default>(
                               "default protectedApps \"com.example.mail,com.Example.Notes\"\n")
                               .value),
            (List{"com.example.mail", "com.Example.Notes"}));
  EXPECT_EQ(std::get<List>(last<command::Default>("default protectedApps \"\"\n").value), List{});
  EXPECT_EQ(std::get<List>(last<command::Default>("default protectedApps \"a,,b,\"\n").value),
            (List{"a", "", "b", ""}));
  EXPECT_EQ(std::get<bool>(last<command::Default>("default protectedApps true\n").value), true);
  EXPECT_EQ(std::get<std::string>(last<command::Default>("default other \"a,b\"\n").value), "a,b");

  const Scenario scenario =
      parsed("app \"Caf\u00e9\"\nlaunch\nprotect \"Cafe\u0301\"\nunprotect Caf\u00e9\n");
  ASSERT_EQ(scenario.commands.size(), 4u);
  EXPECT_EQ(std::get<command::Protect>(scenario.commands[2].action),
            (command::Protect{"Caf\u00e9", true}));
  EXPECT_EQ(std::get<command::Protect>(scenario.commands[3].action),
            (command::Protect{"Caf\u00e9", false}));
  EXPECT_EQ(last<command::ExpectDockEvents>("launch\nexpect dock-events 4\n").count, 4);
}

TEST(ScenarioParserCommands, SystemEvents) {
  EXPECT_EQ(last<command::Post>("lock\n").notification, platform::Notification::screenIsLocked);
  EXPECT_EQ(last<command::Post>("display-wake\n").notification,
            platform::Notification::screensDidWake);
  EXPECT_EQ(last<command::Post>("session-resign\n").notification,
            platform::Notification::sessionDidResignActive);
}

TEST(ScenarioParserCommands, FaultsAndSystemSteps) {
  const auto onItem = last<command::InjectFault>("app Mail\nfault wrong-type item Mail AXURL\n");
  ASSERT_TRUE(onItem.fault);
  EXPECT_EQ(onItem.fault->kind, FaultKind::wrongType);
  EXPECT_EQ(onItem.fault->target, FaultTarget::item);
  EXPECT_EQ(onItem.fault->attribute, "AXURL");
  EXPECT_EQ(onItem.item, "Mail");
  const auto everywhere = last<command::InjectFault>("fault timeout any\n");
  EXPECT_EQ(everywhere.fault->target, FaultTarget::anyElement);
  EXPECT_EQ(everywhere.fault->attribute, "");
  EXPECT_EQ(last<command::InjectFault>("fault non-finite items AXSize\n").fault->itemIndex, -1);
  EXPECT_FALSE(last<command::InjectFault>("fault clear\n").fault);
  EXPECT_EQ(last<command::Latency>("latency 0.019\n").seconds, 0.019);
  EXPECT_EQ(last<command::ExtraChildren>("extra-children 200\n").count, 200);
  EXPECT_FALSE(last<command::TapDisable>("tap-disable user\n").byTimeout);
  EXPECT_TRUE(last<command::DockHidden>("dock-hide\n").hidden);
  const auto press = last<command::Button>("press middle\n");
  EXPECT_EQ(press.button, 2);
  EXPECT_TRUE(press.press);
  const auto side = last<command::Button>("release 4\n");
  EXPECT_EQ(side.button, 4);
  EXPECT_FALSE(side.press);
  EXPECT_EQ(last<command::Screens>("screens 1440x900 1920x1080@1440,-90\n").frames,
            (std::vector<Rect>{{0, 0, 1440, 900}, {1440, -90, 1920, 1080}}));
  const auto moved = last<command::MoveDock>("move-dock right icons=48 screen=2\n").placement;
  EXPECT_EQ(moved.edge, DockEdge::right);
  EXPECT_EQ(moved.iconSize, 48);
  EXPECT_EQ(moved.screen, 1);
  EXPECT_EQ(last<command::AppEvent>("app Mail\nrelaunch Mail same-pid\n").kind,
            command::AppEvent::Kind::relaunchSamePID);
  const auto reuse = last<command::ReusePID>("app Mail\napp Notes\nreuse-pid Mail Notes\n");
  EXPECT_EQ(reuse.name, "Mail");
  EXPECT_EQ(reuse.by, "Notes");
  EXPECT_EQ(last<command::Post>("space-change\n").notification,
            platform::Notification::activeSpaceDidChange);
}

TEST(ScenarioParserLine, ReadsOneLineAlone) {
  const auto blank = parseLine("   # nothing here", 4);
  ASSERT_TRUE(std::holds_alternative<std::optional<Command>>(blank));
  EXPECT_FALSE(std::get<std::optional<Command>>(blank));
  // No checks across lines: the item need not have been declared.
  const auto step = parseLine("glide \"Mail\" 0.5  # rest", 9);
  const auto& command = std::get<std::optional<Command>>(step);
  ASSERT_TRUE(command);
  EXPECT_EQ(command->line, 9);
  EXPECT_EQ(command->source, "glide \"Mail\" 0.5");
  const auto bad = parseLine("glide", 3);
  ASSERT_TRUE(std::holds_alternative<ScenarioError>(bad));
  EXPECT_EQ(std::get<ScenarioError>(bad).line, 3);
}

} // namespace
} // namespace lumivane::sim
