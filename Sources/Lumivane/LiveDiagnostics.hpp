#pragma once

#include "Lumivane/Diagnostics.hpp"
#include "Lumivane/Observable.hpp"
#include "Lumivane/Platform/Platform.hpp"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace lumivane {

// The diagnostics window's report: the report of `--diagnose`, read inside Lumivane and so with
// its own permissions (a program started from Terminal is charged to Terminal, its responsible
// process, and reports Terminal's), then a hit test at the pointer once a second for as long as
// this lives, so that it follows the pointer resting on the icon that misbehaves. Its text is
// the report and the latest hit tests, as many as `--diagnose` takes. Main thread; observers are
// told after each hit test.
class LiveDiagnostics : public Observable {
public:
  static constexpr int keptHitTests = Diagnostics::hitTests;

  explicit LiveDiagnostics(platform::Platform& platform);
  LiveDiagnostics(const LiveDiagnostics&) = delete;
  LiveDiagnostics& operator=(const LiveDiagnostics&) = delete;

  // Reads the report now and starts the hit tests; a second call changes nothing.
  void start();
  // Everything the window shows and copies: one line each, each ended by a line break.
  const std::string& text() const { return text_; }
  // Hit tests taken since the start.
  int hitTestsTaken() const { return hitTestsTaken_; }

private:
  void tested();
  void compose();

  platform::Platform& platform_;
  std::shared_ptr<Diagnostics> diagnostics_;
  std::vector<std::string> report_;
  std::deque<std::vector<std::string>> hitTests_;
  std::vector<std::string> printed_; // lines since the last report or hit test
  std::string text_;
  int hitTestsTaken_ = 0;
};

} // namespace lumivane
