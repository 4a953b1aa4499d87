#include "Lumivane/SettingsManager.hpp"
#include "Simulator/Desktop.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace lumivane {
namespace {

using platform::LoginItemStatus;

SettingsManager makeSettings(sim::Desktop& desktop) {
  return SettingsManager(desktop.platform().defaults, desktop.platform().loginItems);
}

TEST(SettingsDefaults, FreshDomainReadsDefaultsAndWritesNothing) {
  sim::Desktop desktop;
  const std::size_t writes = desktop.defaultsWriteCount();
  const SettingsManager settings = makeSettings(desktop);
  EXPECT_TRUE(settings.hoverEnabled());
  EXPECT_TRUE(settings.middleEnabled());
  EXPECT_EQ(settings.hoverLayout(), HoverLayoutOptions::defaults);
  EXPECT_FALSE(settings.hasSeenWelcome());
  EXPECT_EQ(desktop.defaultsWriteCount(), writes);
  EXPECT_EQ(desktop.storedBool("hoverEnabled"), std::nullopt);
  EXPECT_EQ(desktop.storedText("hoverPosition"), std::nullopt);
}

// What another version or another program may have left under the two layout keys.
using Stored = std::variant<std::string_view, double>;
struct StoredLayout {
  std::string name;
  Stored position, distance;
  HoverLayoutOptions expected;
};

class StoredLayoutTest : public ::testing::TestWithParam<StoredLayout> {};

TEST_P(StoredLayoutTest, OnlyExactRawValuesCountAndNothingIsRewritten) {
  sim::Desktop desktop;
  std::visit([&](auto value) { desktop.setDefault("hoverPosition", value); }, GetParam().position);
  std::visit([&](auto value) { desktop.setDefault("hoverDistance", value); }, GetParam().distance);
  const auto position = desktop.storedText("hoverPosition");
  const auto distance = desktop.storedText("hoverDistance");
  const std::size_t writes = desktop.defaultsWriteCount();

  SettingsManager settings = makeSettings(desktop);
  EXPECT_EQ(settings.hoverLayout(), GetParam().expected);
  // Choosing what is already in force is no change: a foreign text stays until a real one.
  settings.setHoverLayout(settings.hoverLayout());
  EXPECT_EQ(desktop.defaultsWriteCount(), writes);
  EXPECT_EQ(desktop.storedText("hoverPosition"), position);
  EXPECT_EQ(desktop.storedText("hoverDistance"), distance);
}

using std::string_view_literals::operator""sv;
INSTANTIATE_TEST_SUITE_P(
    Settings, StoredLayoutTest,
    ::testing::Values(StoredLayout{"RawValues",
                                   "trailing"sv,
                                   "compact"sv,
                                   {HoverPosition::trailing, HoverDistance::compact}},
                      StoredLayout{"LetterCase",
                                   "Leading"sv,
                                   "spacious"sv,
                                   {HoverPosition::automatic, HoverDistance::spacious}},
                      StoredLayout{"UnknownDistance",
                                   "leading"sv,
                                   "huge"sv,
                                   {HoverPosition::leading, HoverDistance::standard}},
                      StoredLayout{"Padded", " leading"sv, ""sv, HoverLayoutOptions::defaults},
                      StoredLayout{"Numbers", 1.0, 2.0, HoverLayoutOptions::defaults}),
    [](const auto& info) { return info.param.name; });

TEST(SettingsLayout, OnlyAChangePersistsBothKeysAndIsReported) {
  sim::Desktop desktop;
  desktop.setDefault("hoverPosition", std::string_view("Leading"));
  SettingsManager settings = makeSettings(desktop);
  std::vector<HoverLayoutOptions> reported;
  int published = 0;
  settings.onLayoutChange = [&](const HoverLayoutOptions& layout) { reported.push_back(layout); };
  settings.observe([&] { ++published; });

  settings.setHoverLayout(HoverLayoutOptions::defaults);
  EXPECT_TRUE(reported.empty());
  EXPECT_EQ(published, 0);
  EXPECT_EQ(desktop.storedText("hoverPosition"), "Leading");

  const HoverLayoutOptions spacious{HoverPosition::automatic, HoverDistance::spacious};
  settings.setHoverLayout(spacious);
  EXPECT_EQ(reported, std::vector{spacious});
  EXPECT_EQ(published, 1);
  EXPECT_EQ(desktop.storedText("hoverPosition"), "automatic");
  EXPECT_EQ(desktop.storedText("hoverDistance"), "spacious");
  EXPECT_EQ(makeSettings(desktop).hoverLayout(), spacious);
}

TEST(SettingsSwitches, EveryAssignmentPersistsAndReports) {
  sim::Desktop desktop;
  SettingsManager settings = makeSettings(desktop);
  int changes = 0;
  settings.onChange = [&] { ++changes; };
  const std::size_t writes = desktop.defaultsWriteCount();

  settings.setHoverEnabled(true); // the value in force still counts
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(desktop.defaultsWriteCount(), writes + 1);
  EXPECT_EQ(desktop.storedBool("hoverEnabled"), true);

  settings.setMiddleEnabled(false);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(desktop.storedBool("middleEnabled"), false);
  const SettingsManager reread = makeSettings(desktop);
  EXPECT_TRUE(reread.hoverEnabled());
  EXPECT_FALSE(reread.middleEnabled());
}

struct LoginRow {
  LoginItemStatus status;
  bool enabled;
  bool needsApproval;
};

class LoginStatusTest : public ::testing::TestWithParam<LoginRow> {};

TEST_P(LoginStatusTest, MirrorsThePlatformStatus) {
  sim::Desktop desktop;
  SettingsManager settings = makeSettings(desktop);
  desktop.setLoginItemStatus(GetParam().status);
  settings.refreshLogin();
  EXPECT_EQ(settings.loginEnabled(), GetParam().enabled);
  EXPECT_EQ(settings.loginNeedsApproval(), GetParam().needsApproval);
  EXPECT_EQ(makeSettings(desktop).loginEnabled(), GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(Settings, LoginStatusTest,
                         ::testing::Values(LoginRow{LoginItemStatus::notRegistered, false, false},
                                           LoginRow{LoginItemStatus::enabled, true, false},
                                           LoginRow{LoginItemStatus::requiresApproval, true, true},
                                           LoginRow{LoginItemStatus::notFound, false, false}));

TEST(SettingsLogin, RefusedChangeShowsTheErrorAndTheRealStatus) {
  sim::Desktop desktop;
  desktop.setLoginItemStatus(LoginItemStatus::notRegistered);
  desktop.setLoginItemFailure("Operation not permitted");
  SettingsManager settings = makeSettings(desktop);

  settings.setLogin(true);
  EXPECT_FALSE(settings.loginEnabled());
  EXPECT_EQ(settings.loginError(), "无法更新登录项：Operation not permitted");

  desktop.setLoginItemFailure(std::nullopt);
  settings.setLogin(true);
  EXPECT_TRUE(settings.loginEnabled());
  EXPECT_EQ(settings.loginError(), std::nullopt);
}

// The applications to leave alone: an array of bundle identifiers under "protectedApps".
TEST(SettingsProtectedApps, AStoredArrayIsReadAndEveryChangeWritesTheWholeList) {
  sim::Desktop desktop;
  desktop.setDefault("protectedApps",
                     std::vector<std::string>{"com.example.vm", "com.example.rec"});
  SettingsManager settings = makeSettings(desktop);
  int changes = 0;
  settings.onProtectedAppsChange = [&] { ++changes; };
  EXPECT_TRUE(settings.protectedApps().contains("COM.EXAMPLE.VM"));

  settings.setProtected("com.example.vm", true); // already protected: no change, no write
  const std::size_t writes = desktop.defaultsWriteCount();
  EXPECT_EQ(changes, 0);
  settings.setProtected("com.example.term", true);
  settings.setProtected("com.example.rec", false);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(desktop.defaultsWriteCount(), writes + 2);
  EXPECT_EQ(desktop.storedTexts("protectedApps"),
            (std::vector<std::string>{"com.example.vm", "com.example.term"}));
  // A new launch reads what was written.
  EXPECT_EQ(makeSettings(desktop).protectedApps(), settings.protectedApps());
}

// What another version or another program may have left under the key.
struct ForeignList {
  std::string name;
  std::function<void(sim::Desktop&)> store;
};

class ForeignProtectedApps : public ::testing::TestWithParam<ForeignList> {};

TEST_P(ForeignProtectedApps, ReadAsEmptyAndAreKeptUntilTheUserChangesTheList) {
  sim::Desktop desktop;
  GetParam().store(desktop);
  const std::size_t writes = desktop.defaultsWriteCount();
  SettingsManager settings = makeSettings(desktop);
  EXPECT_TRUE(settings.protectedApps().identifiers().empty());
  settings.setProtected("com.example.vm", false); // nothing to remove: nothing written
  EXPECT_EQ(desktop.defaultsWriteCount(), writes);
  EXPECT_EQ(desktop.storedTexts("protectedApps"), std::nullopt);

  settings.setProtected("com.example.vm", true);
  EXPECT_EQ(desktop.storedTexts("protectedApps"), std::vector<std::string>{"com.example.vm"});
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ForeignProtectedApps,
    ::testing::Values(
        ForeignList{"Text", [](sim::Desktop& d) { d.setDefault("protectedApps", "a.b,c.d"); }},
        ForeignList{"Number", [](sim::Desktop& d) { d.setDefault("protectedApps", 3.0); }},
        ForeignList{"Boolean", [](sim::Desktop& d) { d.setDefault("protectedApps", true); }},
        ForeignList{"MixedArray",
                    [](sim::Desktop& d) { d.setDefault("protectedApps", {"a.b"}, true); }}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace lumivane
