#include "LumivaneCore/QuitLedger.hpp"
#include "TestIdentities.hpp"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace lumivane {
namespace {

using test::identity;

const AppIdentity mail = identity(42, "/System/Applications/Mail.app", 1000);

TEST(QuitLedgerBegin, RepeatedRequestKeepsTheFirstTime) {
  QuitLedger ledger;
  EXPECT_TRUE(ledger.begin(mail, 100));
  EXPECT_FALSE(ledger.begin(mail, 105));
  ASSERT_EQ(ledger.pending().size(), 1u);
  EXPECT_EQ(ledger.pending().at(mail), 100);
  // The deadline still runs from the first request.
  EXPECT_EQ(ledger.expire(112, 12), std::vector{mail});
}

TEST(QuitLedgerBegin, RelaunchIsASeparateEntry) {
  QuitLedger ledger;
  const AppIdentity relaunched = identity(42, "/System/Applications/Mail.app", 1001);
  EXPECT_TRUE(ledger.begin(mail, 100));
  EXPECT_TRUE(ledger.begin(relaunched, 101));
  EXPECT_TRUE(ledger.finish(mail));
  EXPECT_FALSE(ledger.finish(mail));
  EXPECT_EQ(ledger.pending().count(relaunched), 1u);
}

TEST(QuitLedgerFinish, UnknownIdentityChangesNothing) {
  QuitLedger ledger;
  ASSERT_TRUE(ledger.begin(mail, 100));
  EXPECT_FALSE(ledger.finish(identity(43, "/System/Applications/Mail.app", 1000)));
  EXPECT_EQ(ledger.pending().size(), 1u);
}

TEST(QuitLedgerExpire, TimeoutIsInclusive) {
  QuitLedger ledger;
  ASSERT_TRUE(ledger.begin(mail, 100));
  EXPECT_TRUE(ledger.expire(111.9, 12).empty());
  EXPECT_TRUE(ledger.expire(std::nextafter(112.0, 0.0), 12).empty());
  EXPECT_EQ(ledger.pending().at(mail), 100);
  EXPECT_EQ(ledger.expire(112, 12), std::vector{mail});
  EXPECT_TRUE(ledger.pending().empty());
  EXPECT_FALSE(ledger.finish(mail));
}

TEST(QuitLedgerExpire, RetiresOnlyTheOverdue) {
  QuitLedger ledger;
  const AppIdentity notes = identity(7, "/System/Applications/Notes.app", 500);
  const AppIdentity maps = identity(8, "/System/Applications/Maps.app", 500);
  ASSERT_TRUE(ledger.begin(mail, 100));
  ASSERT_TRUE(ledger.begin(notes, 101));
  ASSERT_TRUE(ledger.begin(maps, 105));
  std::vector<AppIdentity> expired = ledger.expire(113, 12);
  std::ranges::sort(expired, {}, &AppIdentity::pid);
  EXPECT_EQ(expired, (std::vector{notes, mail}));
  ASSERT_EQ(ledger.pending().size(), 1u);
  EXPECT_EQ(ledger.pending().at(maps), 105);
  EXPECT_TRUE(QuitLedger{}.expire(1e9, 12).empty());
}

TEST(QuitLedgerExpire, ExpiredIdentityCanBeginAfresh) {
  QuitLedger ledger;
  ASSERT_TRUE(ledger.begin(mail, 100));
  ledger.expire(112, 12);
  EXPECT_TRUE(ledger.begin(mail, 200));
  EXPECT_TRUE(ledger.expire(211, 12).empty());
}

} // namespace
} // namespace lumivane
