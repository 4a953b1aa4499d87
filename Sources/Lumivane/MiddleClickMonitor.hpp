#pragma once

#include "Lumivane/DockObserver.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "LumivaneCore/MiddleGesture.hpp"

#include <functional>
#include <memory>
#include <optional>

namespace lumivane {

// Middle-click to quit: a session event tap for the other-mouse buttons that swallows a middle
// press on a Dock item together with its drags and release, and hands the item's application
// over for a quit one main-queue turn later. Main thread; the tap callback, onQuit (from an
// async block) and onFailure (from the tap callback) all run there. Create with make_shared.
//
// The tap needs no permission check of its own: whether the system allows an active tap (it
// asks for post-event access) is answered by the tap's creation, and start() never prompts. A
// tap the system disabled is turned back on only while that grant is there: without it an
// enabled tap holds its events back from everything (the middle, back and forward buttons die
// system-wide), so it is removed instead.
class MiddleClickMonitor : public std::enable_shared_from_this<MiddleClickMonitor> {
public:
  // Other mouse down, up and dragged.
  static constexpr uint64_t eventMask = 0x0E000000;

  MiddleClickMonitor(platform::EventTaps& eventTaps, platform::RunLoop& runLoop);
  ~MiddleClickMonitor();

  // What stop() does with a press the tap swallowed and whose release has not come yet.
  enum class Stop {
    afterGesture, // the tap stays until that release, so that the release is swallowed too
    immediately,  // the tap goes at once
    // The tap goes at once, as the grant it needs has gone and nothing reaches it any more; the
    // press stays swallowed, so that a tap made later swallows its release too.
    withoutGrant,
  };

  // Installs (or revives) the tap and begins accepting; true when the tap runs. After a stop, a
  // press starts a new gesture even when the last one's release never reached the tap.
  [[nodiscard]] bool start();
  // Stops accepting and removes the tap.
  void stop(Stop when);
  bool isRunning() const;

  // What lies under a point (top-left space); absent when it is not over a Dock item.
  std::function<std::optional<DockObserver::Hit>(Point)> resolve;
  std::function<void(const RunningApp&)> onQuit;
  // The system disabled the tap: true when re-enabling it worked, false when it stayed off or,
  // the grant being gone, was removed.
  std::function<void(bool restored)> onFailure;

private:
  // The tap's callback: true to swallow the event.
  bool handle(const platform::TapEvent& event);
  // Makes the tap, on the main run loop and enabled; false when the system refuses it.
  [[nodiscard]] bool install();
  bool decide(const platform::TapEvent& event);
  // Disables the tap at once and removes it; from inside the tap's callback the removal waits
  // one main-queue turn, since the system still works with the tap after the callback returns.
  void removeTap();

  platform::EventTaps& eventTaps_;
  platform::RunLoop& runLoop_;
  std::unique_ptr<platform::EventTap> tap_;
  MiddleGesture gesture_;
  bool accepting_ = false;
  bool handling_ = false; // inside the tap's callback
};

} // namespace lumivane
