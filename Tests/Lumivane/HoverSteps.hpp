#pragma once

#include "TriggerDesktop.hpp"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

// What the hover feature's tests do again and again on the simulated desktop, and the hover
// log's messages they expect.

namespace lumivane::test {

inline constexpr double tick = HoverController::tickInterval;

inline const std::string rejectedInactive = "Quit button rejected: inactive interaction";
inline const std::string rejectedNotRefreshed =
    "Quit button rejected: target could not be refreshed";
inline const std::string rejectedChanged =
    "Quit button rejected: geometry, pointer, or pending request changed";
inline const std::string clickAccepted = "Quit button accepted";

inline Point centreOf(const Rect& rect) {
  return {rect.midX(), rect.midY()};
}

// Rests on the item until its × has shown.
inline void showButton(TriggerDesktop& d, std::string_view item) {
  d.hover->start();
  d.desktop.movePointer(d.centre(item));
  d.desktop.advance(HoverDecision::showDelay + 3 * tick);
  ASSERT_TRUE(d.panelVisible()) << "no × for " << item;
}

// Glides to `to` in short legs; the × must stay up all the way.
inline void travelKeepingButton(TriggerDesktop& d, Point to) {
  const Point from = d.desktop.pointer();
  constexpr int legs = 12;
  for (int leg = 1; leg <= legs; ++leg) {
    const double share = static_cast<double>(leg) / legs;
    d.desktop.glide({from.x + (to.x - from.x) * share, from.y + (to.y - from.y) * share}, 0.04);
    d.desktop.advance(0.04);
    ASSERT_TRUE(d.panelVisible()) << "× lost on leg " << leg;
  }
}

} // namespace lumivane::test
