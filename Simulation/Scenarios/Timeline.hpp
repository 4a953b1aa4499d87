#pragma once

#include "Lumivane/RuntimeStatus.hpp"
#include "Scenarios/Scenarios.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace lumivane::sim {

// The primary display's top edge in the bottom-left space; 0 without displays.
double primaryTop(const Desktop& desktop);

std::string_view windowName(ShellWindow window);
// The kind of one of Lumivane's windows, by its content.
std::optional<ShellWindow> kindOf(const WindowRecord& window);
std::string describeStatus(std::string_view message, bool isError);
// The application the × stands for, by the name the script gave it.
std::string panelName(const Desktop& desktop, const PanelRecord& panel);

// The timeline of a run: what the desktop recorded and what Lumivane showed, one event per line,
// each stamped with the virtual time since the recorder was made. Events are collected as they
// are noticed and written in time order at each flush.
class Timeline {
public:
  Timeline(Desktop& desktop, std::ostream& out);

  // Seconds since the start.
  double now() const;
  // Writes a line at once: a script step.
  void write(double time, const std::string& text);
  // Writes everything that happened since the last flush, in time order.
  void flush();

  // A new Lumivane: its status line starts empty.
  void forgetStatus() { status_ = StatusSeen{}; }
  // The runtime status publishes the message and then its error flag: the pair becomes one
  // line. What the desktop recorded before the message is collected first, to keep the order.
  void statusChanged(const RuntimeStatus& runtime);
  // Follows a process the script started until it ends. `replacing`: another process ended just
  // before, and its end is noted first.
  void launched(int32_t pid, const std::string& name, bool replacing = false);

private:
  struct Event {
    double time;
    std::string text;
  };
  struct StatusSeen {
    std::string message;
    bool isError = false;
    bool suspended = false;
    bool offersReopen = false;
  };
  struct Process {
    int32_t pid;
    std::string name;
    std::chrono::system_clock::time_point launchDate;
  };

  void note(double time, std::string text) { events_.push_back({time, std::move(text)}); }
  void collectPanel(double time);
  void collectShell(double time);
  void collectRecords(double time);
  // Lumivane's requests to open an application again, and the processes they started.
  void collectOpenRequests();
  void collectApps(double time);
  void collect(double time);

  Desktop& desktop_;
  std::ostream& out_;
  double start_;
  std::vector<Event> events_;
  StatusSeen status_;
  // The line of the last status message while it is among the unwritten events.
  std::optional<std::size_t> statusEvent_;
  PanelRecord panel_;
  std::string symbol_;
  std::string symbolDescription_;
  std::string toolTip_;
  bool badge_ = false;
  bool popover_ = false;
  std::vector<bool> windowsShown_;
  std::size_t quitRequestsSeen_ = 0;
  std::size_t openRequestsSeen_ = 0;
  std::size_t logsSeen_ = 0;
  std::size_t otherMouseSeen_ = 0;
  std::vector<Process> running_;
  uint64_t processChanges_ = 0; // of the desktop when running_ was last brought up to date
};

} // namespace lumivane::sim
