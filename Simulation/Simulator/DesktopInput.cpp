#include "Simulator/DesktopState.hpp"

#include <algorithm>
#include <cmath>

// The Desktop's pointer and buttons, and the event tap they pass through.

namespace lumivane::sim {

namespace {

// Dragged events a drag() sends on its way.
constexpr int dragSteps = 4;

// Exact at both ends, whatever the distance.
Point between(Point from, Point to, double share) {
  return {std::lerp(from.x, to.x, share), std::lerp(from.y, to.y, share)};
}

} // namespace

Point Desktop::pointer() const {
  return state_->input.pointer();
}

void Desktop::movePointer(Point to) {
  state_->runLoop.beginCall();
  ++state_->glide;
  state_->input.movePointer(to);
}

void Desktop::glide(Point to, double seconds, double rate) {
  if (!(seconds > 0) || !(rate > 0) || !std::isfinite(seconds) || !std::isfinite(rate)) {
    movePointer(to);
    return;
  }
  const uint64_t glide = ++state_->glide;
  const Point from = state_->input.pointer();
  // Whole samples only, so the last lands exactly at the end.
  const int samples = std::max(1, static_cast<int>(std::ceil(seconds * rate - 1e-9)));
  for (int k = 1; k <= samples; ++k) {
    const double share = static_cast<double>(k) / samples;
    state_->runLoop.schedule(seconds * share, [&s = *state_, glide, from, to, share] {
      if (s.glide == glide) {
        s.input.movePointer(between(from, to, share));
      }
    });
  }
}

void Desktop::press(int button) {
  state_->runLoop.beginCall();
  state_->input.press(button);
}

void Desktop::release(int button) {
  state_->runLoop.beginCall();
  state_->input.release(button);
}

void Desktop::click() {
  press(0);
  release(0);
}

void Desktop::rightClick() {
  press(1);
  release(1);
}

void Desktop::scroll() {
  state_->runLoop.beginCall();
  state_->input.scroll();
}

void Desktop::drag(Point to) {
  const Point from = pointer();
  press(0);
  for (int step = 1; step <= dragSteps; ++step) {
    movePointer(between(from, to, static_cast<double>(step) / dragSteps));
  }
  release(0);
}

void Desktop::middleClick() {
  press(2);
  release(2);
}

const std::vector<Desktop::DockEvent>& Desktop::dockEvents() const {
  return state_->input.dockEvents();
}

const std::vector<OtherMouseRecord>& Desktop::otherMouseEvents() const {
  return state_->input.otherMouseEvents();
}

void Desktop::disableTap(bool byTimeout) {
  state_->runLoop.beginCall();
  state_->input.disableTaps(byTimeout);
}

void Desktop::setTapReenableFails(bool fails) {
  state_->input.setReenableFails(fails);
}

bool Desktop::tapInstalled() const {
  return state_->input.tapInstalled();
}

bool Desktop::tapEnabled() const {
  return state_->input.tapEnabled();
}

std::size_t Desktop::tapsCreated() const {
  return state_->input.tapsCreated();
}

std::size_t Desktop::tapTeardownsInsideCallback() const {
  return state_->input.teardownsInCallback();
}

} // namespace lumivane::sim
