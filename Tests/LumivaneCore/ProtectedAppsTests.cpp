#include "LumivaneCore/ProtectedApps.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lumivane {
namespace {

using Identifiers = std::vector<std::string>;

TEST(ProtectedApps, IdentifiersMatchInAnyLetterCase) {
  const ProtectedApps apps(Identifiers{"com.Example.Terminal"});
  EXPECT_TRUE(apps.contains("com.example.terminal"));
  EXPECT_TRUE(apps.contains("COM.EXAMPLE.TERMINAL"));
  EXPECT_FALSE(apps.contains("com.example.terminal2"));
  EXPECT_FALSE(apps.contains("com.example.termina"));
  EXPECT_FALSE(apps.contains(""));
}

TEST(ProtectedApps, AStoredListLosesEmptiesAndRepeatsButKeepsItsOrder) {
  const ProtectedApps apps(Identifiers{"b.vm", "", "a.rec", "B.VM", "a.rec"});
  EXPECT_EQ(apps.identifiers(), (Identifiers{"b.vm", "a.rec"}));
}

TEST(ProtectedApps, SettingSaysWhetherAnythingChanged) {
  ProtectedApps apps;
  EXPECT_TRUE(apps.set("com.example.vm", true));
  EXPECT_FALSE(apps.set("COM.example.VM", true));
  EXPECT_FALSE(apps.set("", true));
  EXPECT_TRUE(apps.set("com.example.rec", true));
  EXPECT_EQ(apps.identifiers(), (Identifiers{"com.example.vm", "com.example.rec"}));

  // Unprotecting goes by the same comparison, whatever spelling the list kept.
  EXPECT_TRUE(apps.set("Com.Example.Vm", false));
  EXPECT_FALSE(apps.set("com.example.vm", false));
  EXPECT_EQ(apps.identifiers(), Identifiers{"com.example.rec"});
}

} // namespace
} // namespace lumivane
