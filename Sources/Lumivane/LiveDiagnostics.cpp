#include "Lumivane/LiveDiagnostics.hpp"

#include <utility>

namespace lumivane {

LiveDiagnostics::LiveDiagnostics(platform::Platform& platform) : platform_(platform) {}

void LiveDiagnostics::start() {
  if (diagnostics_) {
    return;
  }
  // The report owns its printer's target for its whole life: it goes with this object.
  diagnostics_ = std::make_shared<Diagnostics>(
      platform_, [this](std::string_view line) { printed_.emplace_back(line); });
  // The report and the hit tests' heading are printed at once.
  diagnostics_->watch([this] { tested(); });
  report_ = std::exchange(printed_, {});
  compose();
  publish();
}

void LiveDiagnostics::tested() {
  ++hitTestsTaken_;
  hitTests_.push_back(std::exchange(printed_, {}));
  if (hitTests_.size() > static_cast<std::size_t>(keptHitTests)) {
    hitTests_.pop_front();
  }
  compose();
  publish();
}

void LiveDiagnostics::compose() {
  text_.clear();
  const auto append = [this](const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      text_ += line;
      text_ += '\n';
    }
  };
  append(report_);
  for (const std::vector<std::string>& hitTest : hitTests_) {
    append(hitTest);
  }
}

} // namespace lumivane
