#include "Simulator/VirtualRunLoop.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <utility>

namespace lumivane::sim {

namespace {

// NSTimer's floor for a non-positive interval.
constexpr double minimumInterval = 0.0001;
// Times closer than this count as equal, so that n steps of 1/30 s fall due within n/30 s.
constexpr double epsilon = 1e-9;

using Action = std::shared_ptr<std::function<void()>>;

} // namespace

struct VirtualRunLoop::State {
  struct Timer {
    double interval;
    double tolerance;
    double scheduledAt;
    uint64_t fires = 0;
    Action action; // null once invalidated
  };
  struct Block {
    uint64_t seq;
    double time;
    Action action;
  };
  // A timed entry: a timer's next fire (timer != 0) or a one-shot system event.
  struct Entry {
    std::size_t timer = 0; // 1-based index into timers
    Action action;
  };

  double now = 0;
  double asleep = 0; // seconds slept, on the wall clock only
  double stall = 0;  // of the call under way
  double longestStall = 0;
  uint64_t seq = 0;
  std::vector<Timer> timers;
  std::deque<Block> blocks;
  std::map<std::pair<double, uint64_t>, Entry> timed;

  void armTimer(std::size_t index) {
    Timer& timer = timers[index - 1];
    // A repeating timer keeps its schedule: it skips fires missed while the loop was blocked.
    double next = timer.scheduledAt + static_cast<double>(timer.fires + 1) * timer.interval;
    while (next < now) {
      ++timer.fires;
      next = timer.scheduledAt + static_cast<double>(timer.fires + 1) * timer.interval;
    }
    timed.emplace(std::pair{next, ++seq}, Entry{index, nullptr});
  }

  // Runs the earliest entry due by `limit`; false when none is.
  bool runNext(double limit) {
    const auto entry = timed.begin();
    const bool timedDue = entry != timed.end() && entry->first.first <= limit + epsilon;
    const bool blockDue = !blocks.empty();
    if (!timedDue && !blockDue) {
      return false;
    }
    const bool takeBlock = blockDue && (!timedDue || std::pair{blocks.front().time,
                                                               blocks.front().seq} < entry->first);
    Action action;
    if (takeBlock) {
      action = std::move(blocks.front().action);
      blocks.pop_front();
    } else {
      now = std::max(now, entry->first.first);
      const Entry due = entry->second;
      timed.erase(entry);
      if (due.timer == 0) {
        action = due.action;
      } else {
        Timer& timer = timers[due.timer - 1];
        if (!timer.action) {
          return true;
        }
        action = timer.action;
        ++timer.fires;
        armTimer(due.timer);
      }
    }
    // The local copy keeps the action alive even if it invalidates its own timer.
    stall = 0;
    (*action)();
    return true;
  }
};

class VirtualRunLoop::TimerHandle final : public platform::Timer {
public:
  TimerHandle(std::weak_ptr<VirtualRunLoop::State> state, std::size_t index)
      : state_(std::move(state)), index_(index) {}
  ~TimerHandle() override { invalidate(); }

  void invalidate() override {
    if (const auto state = state_.lock()) {
      state->timers[index_ - 1].action = nullptr;
    }
  }
  bool isValid() const override {
    const auto state = state_.lock();
    return state && state->timers[index_ - 1].action != nullptr;
  }

private:
  std::weak_ptr<VirtualRunLoop::State> state_;
  std::size_t index_;
};

namespace {

double sanitizedDelay(double seconds) {
  return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

} // namespace

VirtualRunLoop::VirtualRunLoop() : state_(std::make_shared<State>()) {}
VirtualRunLoop::~VirtualRunLoop() = default;

double VirtualRunLoop::uptime() {
  return state_->now;
}

void VirtualRunLoop::sleep(double seconds) {
  if (std::isfinite(seconds) && seconds > 0) {
    state_->asleep += seconds;
  }
}

double VirtualRunLoop::wallClock() const {
  return state_->now + state_->asleep;
}

std::unique_ptr<platform::Timer>
VirtualRunLoop::scheduleRepeating(double interval, double tolerance, std::function<void()> action) {
  const double safeInterval =
      std::isfinite(interval) && interval > minimumInterval ? interval : minimumInterval;
  state_->timers.push_back(
      State::Timer{safeInterval, tolerance, state_->now, 0,
                   std::make_shared<std::function<void()>>(std::move(action))});
  const std::size_t index = state_->timers.size();
  state_->armTimer(index);
  return std::make_unique<TimerHandle>(state_, index);
}

void VirtualRunLoop::async(std::function<void()> action) {
  state_->blocks.push_back(State::Block{
      ++state_->seq, state_->now, std::make_shared<std::function<void()>>(std::move(action))});
}

void VirtualRunLoop::schedule(double delay, std::function<void()> action) {
  state_->timed.emplace(
      std::pair{state_->now + sanitizedDelay(delay), ++state_->seq},
      State::Entry{0, std::make_shared<std::function<void()>>(std::move(action))});
}

void VirtualRunLoop::advance(double seconds) {
  // Keep the state alive even if an action destroys this run loop's owner.
  const std::shared_ptr<State> state = state_;
  const double limit = state->now + sanitizedDelay(seconds);
  while (state->runNext(limit)) {
  }
  state->now = std::max(state->now, limit);
}

void VirtualRunLoop::drain() {
  const std::shared_ptr<State> state = state_;
  while (!state->blocks.empty()) {
    const Action action = std::move(state->blocks.front().action);
    state->blocks.pop_front();
    state->stall = 0;
    (*action)();
  }
}

void VirtualRunLoop::block(double seconds) {
  const double delay = sanitizedDelay(seconds);
  state_->now += delay;
  state_->stall += delay;
  state_->longestStall = std::max(state_->longestStall, state_->stall);
}

void VirtualRunLoop::beginCall() {
  state_->stall = 0;
}

double VirtualRunLoop::longestStall() const {
  return state_->longestStall;
}

std::size_t VirtualRunLoop::activeTimerCount() const {
  return static_cast<std::size_t>(
      std::count_if(state_->timers.begin(), state_->timers.end(),
                    [](const State::Timer& t) { return t.action != nullptr; }));
}

std::vector<VirtualRunLoop::TimerRecord> VirtualRunLoop::timers() const {
  std::vector<TimerRecord> records;
  records.reserve(state_->timers.size());
  for (const State::Timer& timer : state_->timers) {
    records.push_back(
        {timer.interval, timer.tolerance, timer.scheduledAt, timer.action != nullptr});
  }
  return records;
}

} // namespace lumivane::sim
