#pragma once

// Every operating-system service Lumivane uses, as abstract ports. The macOS adapters and the
// simulator implement them; the services only ever see these.

#include "Lumivane/Platform/Accessibility.hpp"
#include "Lumivane/Platform/Defaults.hpp"
#include "Lumivane/Platform/EventTaps.hpp"
#include "Lumivane/Platform/Logger.hpp"
#include "Lumivane/Platform/LoginItems.hpp"
#include "Lumivane/Platform/Mouse.hpp"
#include "Lumivane/Platform/Notifications.hpp"
#include "Lumivane/Platform/Process.hpp"
#include "Lumivane/Platform/RunLoop.hpp"
#include "Lumivane/Platform/Screens.hpp"
#include "Lumivane/Platform/Workspace.hpp"

namespace lumivane::platform {

// The ports one running Lumivane is built on. Each reference outlives every service.
struct Platform {
  Accessibility& accessibility;
  Workspace& workspace;
  EventTaps& eventTaps;
  RunLoop& runLoop;
  Notifications& notifications;
  Mouse& mouse;
  Screens& screens;
  Defaults& defaults;
  LoginItems& loginItems;
  Logger& logger;
  Process& process;
};

} // namespace lumivane::platform
