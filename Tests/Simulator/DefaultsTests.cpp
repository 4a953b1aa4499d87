#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>
#include <variant>

namespace lumivane::sim {
namespace {

struct StoredValue {
  const char* name;
  std::variant<bool, std::string, double> value;
  bool asBool;
  std::optional<std::string> asText;
};

class DefaultsReading : public ::testing::TestWithParam<StoredValue> {};

TEST_P(DefaultsReading, FollowsNSUserDefaults) {
  Desktop desktop;
  const StoredValue& c = GetParam();
  std::visit([&](const auto& value) { desktop.setDefault("key", value); }, c.value);
  platform::Defaults& defaults = desktop.platform().defaults;
  EXPECT_EQ(defaults.boolForKey("key"), c.asBool);
  EXPECT_EQ(defaults.stringForKey("key"), c.asText);
  EXPECT_EQ(desktop.defaultsWriteCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DefaultsReading,
    ::testing::Values(StoredValue{"True", true, true, "1"}, StoredValue{"False", false, false, "0"},
                      StoredValue{"YES", std::string("YES"), true, "YES"},
                      StoredValue{"LowerTrue", std::string("true"), true, "true"},
                      StoredValue{"One", std::string(" +01"), true, " +01"},
                      StoredValue{"No", std::string("no"), false, "no"},
                      StoredValue{"Zero", std::string("0"), false, "0"},
                      StoredValue{"Empty", std::string(""), false, ""},
                      StoredValue{"Leading", std::string("leading"), false, "leading"},
                      StoredValue{"Two", 2.0, true, "2"}, StoredValue{"Half", 0.5, true, "0.5"},
                      StoredValue{"NumberZero", 0.0, false, "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultsWriting, RegistrationAnswersOnlyForKeysNeverStoredAndIsNoWrite) {
  Desktop desktop;
  platform::Defaults& defaults = desktop.platform().defaults;
  desktop.setDefault("middleEnabled", false);
  defaults.registerDefaults({{"hoverEnabled", true}, {"middleEnabled", true}});
  EXPECT_TRUE(defaults.boolForKey("hoverEnabled"));
  EXPECT_FALSE(defaults.boolForKey("middleEnabled"));
  EXPECT_FALSE(desktop.storedBool("hoverEnabled"));
  EXPECT_FALSE(defaults.stringForKey("absent"));
  EXPECT_EQ(desktop.defaultsWriteCount(), 0u);

  defaults.setBool("hoverEnabled", false);
  defaults.setString("hoverPosition", "leading");
  EXPECT_EQ(desktop.defaultsWriteCount(), 2u);
  EXPECT_EQ(desktop.storedBool("hoverEnabled"), false);
  EXPECT_EQ(desktop.storedText("hoverPosition"), "leading");
  EXPECT_FALSE(desktop.storedText("hoverEnabled"));

  // A text literal is stored as text, not as a Boolean.
  desktop.setDefault("hoverDistance", "spacious");
  EXPECT_EQ(desktop.storedText("hoverDistance"), "spacious");
}

TEST(LoginItemsState, ChangesFollowTheRequestUnlessAFailureIsSet) {
  Desktop desktop;
  platform::LoginItems& items = desktop.platform().loginItems;
  EXPECT_TRUE(items.registerMainApp().succeeded);
  EXPECT_EQ(items.status(), platform::LoginItemStatus::enabled);
  desktop.setLoginItemFailure("Operation not permitted");
  const auto failed = items.unregisterMainApp();
  EXPECT_FALSE(failed.succeeded);
  EXPECT_EQ(failed.failureDescription, "Operation not permitted");
  EXPECT_EQ(items.status(), platform::LoginItemStatus::enabled);
}

} // namespace
} // namespace lumivane::sim
