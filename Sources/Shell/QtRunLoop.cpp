#include "Shell/QtRunLoop.hpp"

#include <QTimer>
#include <algorithm>
#include <cmath>

namespace lumivane::shell {

namespace {

class QtTimer final : public platform::Timer {
public:
  QtTimer(double interval, std::function<void()> action) : timer_(new QTimer) {
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(std::max(1, static_cast<int>(std::lround(interval * 1000))));
    // The connection owns the action, and Qt keeps it alive while it runs, even when the action
    // drops this handle.
    QObject::connect(timer_, &QTimer::timeout, timer_, std::move(action));
    timer_->start();
  }

  ~QtTimer() override {
    timer_->stop();
    // Deleted later: the handle is often dropped from inside the timer's own action.
    timer_->deleteLater();
  }

  void invalidate() override { timer_->stop(); }
  bool isValid() const override { return timer_->isActive(); }

private:
  QTimer* timer_;
};

} // namespace

QtRunLoop::QtRunLoop() {
  clock_.start();
  start_ = static_cast<double>(clock_.msecsSinceReference()) / 1000.0;
}

double QtRunLoop::uptime() {
  return start_ + static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

std::unique_ptr<platform::Timer> QtRunLoop::scheduleRepeating(double interval, double,
                                                              std::function<void()> action) {
  // A non-finite or negative interval fires as often as the event loop allows, never faster.
  const double safeInterval = std::isfinite(interval) ? std::max(0.0, interval) : 0.0;
  return std::make_unique<QtTimer>(safeInterval, std::move(action));
}

void QtRunLoop::async(std::function<void()> action) {
  QMetaObject::invokeMethod(&context_, std::move(action), Qt::QueuedConnection);
}

} // namespace lumivane::shell
