#pragma once

#include <cstdint>

namespace lumivane {

// Decides, event by event, which middle-button events to swallow and when to ask for a quit.
// A press sequence is swallowed whole or not at all, so the Dock never sees half of one.
class MiddleGesture {
public:
  enum class Phase { down, dragged, up };

  struct Decision {
    bool consume = false;
    bool requestQuit = false;
    friend bool operator==(const Decision&, const Decision&) = default;
  };

  // `button` numbers as the event system does: 0 left, 1 right, 2 middle. `isDockItem` and
  // `canQuit` matter only for the first press of a sequence. `pressNumber` is the event's
  // kCGMouseEventNumber: a press and its release carry the same (CGEventTypes.h).
  Decision handle(int64_t button, Phase phase, bool isDockItem, bool canQuit,
                  int64_t pressNumber = 0);
  // The events come again after a time in which some may have been lost (the tap was stopped
  // or disabled): the next press starts a sequence of its own, while the drags and the release
  // of a swallowed press, should they still come, are swallowed too. A release of another press
  // (one made while the events did not come) is that press's own, and passes.
  void resume();

  bool isDown() const { return isDown_; }
  bool isConsuming() const { return isConsuming_; }

  static constexpr int64_t middleButton = 2;

private:
  bool isDown_ = false;
  bool isConsuming_ = false;
  int64_t pressNumber_ = 0; // of the sequence's latest press
};

} // namespace lumivane
