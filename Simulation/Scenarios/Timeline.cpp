#include "Timeline.hpp"

#include "Syntax.hpp"

#include <algorithm>
#include <cstdio>

namespace lumivane::sim {

namespace {

std::string describe(const Rect& rect) {
  return "(" + scriptNumber(rect.x) + ", " + scriptNumber(rect.y) + ", " +
         scriptNumber(rect.width) + ", " + scriptNumber(rect.height) + ")";
}

std::string_view levelName(platform::LogLevel level) {
  switch (level) {
  case platform::LogLevel::debug:
    return "debug";
  case platform::LogLevel::info:
    return "info";
  case platform::LogLevel::standard:
    return "default";
  case platform::LogLevel::error:
    return "error";
  case platform::LogLevel::fault:
    return "fault";
  }
  return "default";
}

} // namespace

std::string_view windowName(ShellWindow window) {
  return window == ShellWindow::welcome ? "welcome" : "settings";
}

std::optional<ShellWindow> kindOf(const WindowRecord& window) {
  if (window.content == "welcome") {
    return ShellWindow::welcome;
  }
  if (window.content == "menu") {
    return ShellWindow::settings;
  }
  return std::nullopt;
}

std::string describeStatus(std::string_view message, bool isError) {
  return "status " + scriptQuoted(message) + (isError ? " error" : "");
}

double primaryTop(const Desktop& desktop) {
  const auto screens = desktop.screenFrames();
  return screens.empty() ? 0 : screens.front().maxY();
}

Timeline::Timeline(Desktop& desktop, std::ostream& out)
    : desktop_(desktop), out_(out), start_(desktop.now()) {}

double Timeline::now() const {
  return desktop_.now() - start_;
}

void Timeline::write(double time, const std::string& text) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%8.3f", std::max(0.0, time));
  out_ << stamp << "  " << syntax::printable(text) << '\n';
}

void Timeline::statusChanged(const RuntimeStatus& runtime) {
  const double time = now();
  collect(time);
  if (runtime.message() != status_.message) {
    status_.message = runtime.message();
    status_.isError = runtime.isError();
    statusEvent_ = events_.size();
    note(time, describeStatus(status_.message, status_.isError));
  } else if (runtime.isError() != status_.isError) {
    status_.isError = runtime.isError();
    if (statusEvent_) {
      events_[*statusEvent_].text = describeStatus(status_.message, status_.isError);
    } else {
      statusEvent_ = events_.size();
      note(time, describeStatus(status_.message, status_.isError));
    }
  }
  if (runtime.isSuspended() != status_.suspended) {
    status_.suspended = runtime.isSuspended();
    note(time, status_.suspended ? "features suspended" : "features resumed");
  }
  if (runtime.offersReopen() != status_.offersReopen) {
    status_.offersReopen = runtime.offersReopen();
    note(time, status_.offersReopen ? "reopen offered" : "reopen withdrawn");
  }
}

std::string panelName(const Desktop& desktop, const PanelRecord& panel) {
  return desktop.appName(panel.pid).value_or("pid " + std::to_string(panel.pid));
}

void Timeline::collectPanel(double time) {
  const PanelRecord& panel = desktop_.panel();
  const auto shown = [&] {
    return panelName(desktop_, panel) + " " +
           describe(DockGeometry::appKitRect(panel.frame, primaryTop(desktop_))) + " " +
           scriptQuoted(panel.label);
  };
  if (panel.visible && !panel_.visible) {
    note(time, "overlay shown " + shown());
  } else if (panel.visible && (panel.frame != panel_.frame || panel.label != panel_.label)) {
    note(time, "overlay moved " + shown());
  } else if (!panel.visible && panel_.visible) {
    note(time, "overlay hidden");
  }
  panel_ = panel;
}

void Timeline::collectShell(double time) {
  const ShellRecord& shell = desktop_.shell();
  if (shell.statusSymbol != symbol_ || shell.statusSymbolDescription != symbolDescription_) {
    symbol_ = shell.statusSymbol;
    symbolDescription_ = shell.statusSymbolDescription;
    note(time, "symbol " + symbol_ + " " + scriptQuoted(symbolDescription_));
  }
  if (shell.statusToolTip != toolTip_) {
    toolTip_ = shell.statusToolTip;
    note(time, "tooltip " + scriptQuoted(toolTip_));
  }
  if (shell.popoverShown != popover_) {
    popover_ = shell.popoverShown;
    note(time, popover_ ? "popover shown" : "popover closed");
  }
  windowsShown_.resize(shell.windows.size(), false);
  for (std::size_t i = 0; i < shell.windows.size(); ++i) {
    const WindowRecord& window = shell.windows[i];
    if (window.visible != windowsShown_[i]) {
      const auto kind = kindOf(window);
      note(time, std::string("window ") + (window.visible ? "shown " : "closed ") +
                     std::string(kind ? windowName(*kind) : "other") + " " +
                     scriptQuoted(window.title));
      windowsShown_[i] = window.visible;
    }
  }
  // After the windows: a window that shows the status line takes the badge away.
  if (shell.statusBadge != badge_) {
    badge_ = shell.statusBadge;
    note(time, badge_ ? "badge on" : "badge off");
  }
}

void Timeline::collectRecords(double time) {
  const auto& requests = desktop_.quitRequests();
  for (; quitRequestsSeen_ < requests.size(); ++quitRequestsSeen_) {
    const QuitRequestRecord& request = requests[quitRequestsSeen_];
    note(request.time - start_, "quit request " + request.name + " (pid " +
                                    std::to_string(request.pid) + ")" +
                                    (request.delivered ? "" : " refused"));
  }
  // Presses and releases a tap kept from everything (its drags would only repeat them).
  const auto& events = desktop_.otherMouseEvents();
  for (; otherMouseSeen_ < events.size(); ++otherMouseSeen_) {
    const OtherMouseRecord& event = events[otherMouseSeen_];
    if (event.heldBack && event.type != platform::tapEventType::otherMouseDragged) {
      note(time,
           "button " + std::to_string(event.button) +
               (event.type == platform::tapEventType::otherMouseDown ? " press" : " release") +
               " held back");
    }
  }
  collectOpenRequests();
  const auto& logs = desktop_.logs();
  for (; logsSeen_ < logs.size(); ++logsSeen_) {
    const LogRecord& log = logs[logsSeen_];
    note(log.time - start_, "log " + log.category + " " + std::string(levelName(log.level)) + " " +
                                scriptQuoted(log.message));
  }
}

void Timeline::collectOpenRequests() {
  const auto& requests = desktop_.openRequests();
  for (; openRequestsSeen_ < requests.size(); ++openRequestsSeen_) {
    const OpenRequestRecord& request = requests[openRequestsSeen_];
    const double time = request.time - start_;
    const std::string name = request.name.empty() ? request.bundlePath : request.name;
    const std::string pid = "(pid " + std::to_string(request.pid) + ")";
    if (request.launched) {
      note(time, "open request " + name);
      running_.push_back({request.pid, name, desktop_.launchDate(request.pid)});
      note(time, "app launched " + name + " " + pid);
    } else if (request.pid != 0) {
      note(time, "open request " + name + ", running already " + pid);
    } else {
      note(time, "open request " + name + " refused");
    }
  }
}

void Timeline::collectApps(double time) {
  if (desktop_.processChanges() == processChanges_) {
    return;
  }
  processChanges_ = desktop_.processChanges();
  // A process that reused the pid is another one: the launch date tells them apart.
  std::erase_if(running_, [&](const Process& app) {
    if (desktop_.isRunning(app.pid) && desktop_.launchDate(app.pid) == app.launchDate) {
      return false;
    }
    note(time, "app ended " + app.name + " (pid " + std::to_string(app.pid) + ")");
    return true;
  });
}

// Notes what changed in the desktop's records.
void Timeline::collect(double time) {
  collectRecords(time);
  collectApps(time);
  collectPanel(time);
  collectShell(time);
}

void Timeline::flush() {
  collect(now());
  std::stable_sort(events_.begin(), events_.end(),
                   [](const Event& a, const Event& b) { return a.time < b.time; });
  for (const Event& event : events_) {
    write(event.time, event.text);
  }
  events_.clear();
  statusEvent_.reset();
}

void Timeline::launched(int32_t pid, const std::string& name, bool replacing) {
  if (replacing) {
    collect(now());
  }
  running_.push_back({pid, name, desktop_.launchDate(pid)});
  note(now(), "app launched " + name + " (pid " + std::to_string(pid) + ")");
}

} // namespace lumivane::sim
