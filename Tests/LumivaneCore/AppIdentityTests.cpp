#include "LumivaneCore/AppIdentity.hpp"
#include "TestIdentities.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace lumivane {
namespace {

using test::identity;

const std::string safariPath = "/Applications/Safari.app";

TEST(AppIdentityEquality, AllThreeFieldsMustMatch) {
  const AppIdentity base = identity(10, safariPath, 100);
  EXPECT_EQ(base, identity(10, safariPath, 100));
  EXPECT_NE(base, identity(11, safariPath, 100));
  EXPECT_NE(base, identity(10, "/Applications/safari.app", 100));
  EXPECT_NE(base, identity(10, safariPath, 101));
}

TEST(AppIdentityHash, AgreesWithEquality) {
  const std::hash<AppIdentity> hash;
  EXPECT_EQ(hash(identity(10, safariPath, 100)), hash(identity(10, safariPath, 100)));
  // A relaunch at the same path and pid one second later is a different key.
  EXPECT_NE(hash(identity(10, safariPath, 100)), hash(identity(10, safariPath, 101)));
  EXPECT_NE(hash(identity(10, safariPath, 100)), hash(identity(11, safariPath, 100)));
  EXPECT_NE(hash(identity(10, safariPath, 100)), hash(identity(10, safariPath + "/", 100)));
}

} // namespace
} // namespace lumivane
