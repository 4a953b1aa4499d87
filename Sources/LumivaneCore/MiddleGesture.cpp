#include "LumivaneCore/MiddleGesture.hpp"

namespace lumivane {

MiddleGesture::Decision MiddleGesture::handle(int64_t button, Phase phase, bool isDockItem,
                                              bool canQuit, int64_t pressNumber) {
  if (button != middleButton) {
    return {};
  }
  switch (phase) {
  case Phase::down:
    pressNumber_ = pressNumber;
    if (isDown_) {
      // A lost release: the sequence already decided, and it asked for its quit once.
      return {isConsuming_, false};
    }
    isDown_ = true;
    isConsuming_ = isDockItem;
    return {isDockItem, isDockItem && canQuit};
  case Phase::dragged:
    return {isConsuming_, false};
  case Phase::up: {
    // Only the release of the sequence's latest press belongs to it; that of a press the tap
    // never saw passes.
    const Decision decision{isConsuming_ && pressNumber == pressNumber_, false};
    isDown_ = false;
    isConsuming_ = false;
    return decision;
  }
  }
  return {};
}

void MiddleGesture::resume() {
  // A press seen now is a new one: the release of the old press may have been lost.
  isDown_ = false;
}

} // namespace lumivane
