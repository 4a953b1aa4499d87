#pragma once

#include "Lumivane/Platform/EventTaps.hpp"

namespace lumivane::mac {

// The EventTaps port on Quartz event services: an active session tap whose callback runs on the
// main run loop once the tap is attached to it. A tap stops calling back when it is invalidated
// or destroyed (never inside its own callback: see the port). No tap is made without a callback.
class MacEventTaps final : public platform::EventTaps {
public:
  std::unique_ptr<platform::EventTap> createSessionTap(uint64_t eventMask,
                                                       Callback callback) override;
  bool canCreateActiveTap() override;
  bool preflightListenEventAccess() override;
  bool preflightPostEventAccess() override;
  bool requestPostEventAccess() override;
};

} // namespace lumivane::mac
