#include "InvariantOracle.hpp"
#include "Invariants.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>

// Invariants 1, 3 and 7 as the quit requests and the status messages show them: whom a request
// went to, and the messages that followed it.

namespace lumivane::sim {

namespace {

using oracle::epsilon;
using oracle::identityOf;
using oracle::isExcluded;
using oracle::seconds;

constexpr double quitTimeout = 12;

// The processes of the item under a press are exactly this one.
bool onlyOne(const Desktop& desktop, const std::vector<platform::ApplicationInfo>& processes,
             const AppIdentity& identity) {
  return processes.size() == 1 && identityOf(desktop, processes.front()) == identity;
}

// The name Lumivane knows a process by: its localized name, else its bundle's file name without
// the extension; empty when it has neither.
std::string appName(const platform::ApplicationInfo& info) {
  if (info.localizedName && !info.localizedName->empty()) {
    return *info.localizedName;
  }
  const std::string bundlePath = info.bundlePath.value_or("");
  std::string_view path = bundlePath;
  path = path.substr(path.find_last_of('/') + 1);
  return std::string(path.substr(0, std::min(path.find_last_of('.'), path.size())));
}

// What the checks call a process in their reports.
std::string displayName(const platform::ApplicationInfo& info) {
  std::string name = appName(info);
  return name.empty() ? "pid " + std::to_string(info.pid) : name;
}

std::string describe(const AppIdentity& identity) {
  const double launched =
      std::chrono::duration<double>(identity.launchedAt().time_since_epoch()).count();
  char date[32];
  std::snprintf(date, sizeof date, "%.3f", launched);
  return "pid " + std::to_string(identity.pid()) + " " + identity.bundlePath() + " launched at " +
         date;
}

std::string_view outcomeName(QuitOutcome outcome) {
  switch (outcome) {
  case QuitOutcome::refused:
    return "refusal";
  case QuitOutcome::waiting:
    return "waiting";
  case QuitOutcome::ended:
    return "end";
  case QuitOutcome::timedOut:
    return "time-out";
  }
  return "";
}

std::string describe(const QuitReport& report) {
  return "the " + std::string(outcomeName(report.outcome)) + " report for " + report.name + " (" +
         describe(report.identity) + ")";
}

bool endedIn(const AppIdentity& identity, const std::vector<platform::ApplicationInfo>& running) {
  // A terminated process the workspace still lists has ended.
  return std::ranges::none_of(running, [&](const platform::ApplicationInfo& info) {
    return !info.isTerminated && info.pid == identity.pid() &&
           info.launchDate == identity.launchedAt();
  });
}

} // namespace

std::optional<std::string> InvariantChecker::Impl::checkRequestsAndMessages() {
  const auto& records = desktop_.quitRequests();
  const auto unanswered = [&] {
    return "invariant 3: the quit request to " + records[*awaitedMessage_].name +
           " got neither its waiting nor its refusal message";
  };
  // Requests and messages in the order they happened: each request's message comes next.
  const auto requestsUpTo = [&](std::size_t end) -> std::optional<std::string> {
    for (; quitRequestsSeen_ < end; ++quitRequestsSeen_) {
      if (awaitedMessage_) {
        return unanswered();
      }
      auto failure = checkQuitRequest(records[quitRequestsSeen_]);
      awaitedMessage_ = quitRequestsSeen_;
      if (failure) {
        ++quitRequestsSeen_;
        return failure;
      }
    }
    return std::nullopt;
  };
  if (statuses_) {
    for (; statusesSeen_ < statuses_->size(); ++statusesSeen_) {
      const Status& status = (*statuses_)[statusesSeen_];
      if (auto failure = requestsUpTo(status.quitRequestsBefore)) {
        return failure;
      }
      if (auto failure = checkStatus(status)) {
        ++statusesSeen_;
        return failure;
      }
    }
  }
  if (auto failure = requestsUpTo(records.size())) {
    return failure;
  }
  // The message comes within the same call as the request.
  if (awaitedMessage_) {
    return unanswered();
  }
  return std::nullopt;
}

std::optional<std::string>
InvariantChecker::Impl::checkQuitRequest(const QuitRequestRecord& record) {
  const platform::ApplicationInfo& process = record.process;
  const std::string who =
      "a quit request to " + displayName(process) + " (pid " + std::to_string(record.pid) + ")";
  const auto refuse = [&](const std::string& why) { return "invariant 1: " + who + " " + why; };
  if (attached_ == nullptr) {
    return refuse("while Lumivane is not running");
  }
  if (record.pid == desktop_.ownPID()) {
    return refuse("that is Lumivane itself");
  }
  const std::optional<AppIdentity> identity = identityOf(desktop_, process);
  if (!identity) {
    return refuse("without a bundle path or launch date");
  }
  if (process.activationPolicy != platform::ActivationPolicy::regular) {
    return refuse("that is not a regular application");
  }
  if (!process.isFinishedLaunching) {
    return refuse("that has not finished launching");
  }
  if (isExcluded(process.bundleIdentifier.value_or(""))) {
    return refuse("that is the excluded " + process.bundleIdentifier.value_or(""));
  }
  if (record.copies != 1) {
    return refuse("while " + std::to_string(record.copies) + " copies of its bundle run");
  }
  if (isProtected(process.bundleIdentifier)) {
    return "invariant 7: " + who + " that the user protected (" +
           process.bundleIdentifier.value_or("") + ")";
  }
  const bool clicked = desktop_.panel().clicks > panelClicksBefore_ && shownBefore_ == identity;
  const auto& events = desktop_.otherMouseEvents();
  const bool pressed =
      std::any_of(events.begin() + static_cast<std::ptrdiff_t>(otherMouseBefore_), events.end(),
                  [&](const OtherMouseRecord& event) {
                    return event.type == platform::tapEventType::otherMouseDown &&
                           event.button == 2 &&
                           (onlyOne(desktop_, event.itemProcesses, *identity) ||
                            onlyOne(desktop_, event.itemProcessesAfter, *identity));
                  });
  if (!clicked && !pressed) {
    const std::string shown = shownBefore_ ? describe(*shownBefore_) : "nothing";
    return refuse("(" + describe(*identity) + ") the user did not point at; the × stood for " +
                  shown);
  }
  if (record.delivered) {
    const bool repeated = std::ranges::any_of(requests_, [&](const Request& request) {
      return request.state == Request::State::waiting && request.identity == *identity;
    });
    if (repeated) {
      return "invariant 3: " + who + " while its earlier request is still pending";
    }
    requests_.push_back({*identity, displayName(process), record.time, Request::State::waiting,
                         std::nullopt, process.bundleIdentifier, std::nullopt, false});
  }
  return std::nullopt;
}

std::optional<std::string> InvariantChecker::Impl::checkStatus(const Status& status) {
  const QuitReport& report = status.report;
  // Every report replaces the one time-out whose late end may still come.
  const std::optional<std::size_t> lateEnd = std::exchange(lateEnd_, std::nullopt);

  if (awaitedMessage_) {
    const QuitRequestRecord& record = desktop_.quitRequests()[*awaitedMessage_];
    const QuitOutcome expected = record.delivered ? QuitOutcome::waiting : QuitOutcome::refused;
    const std::string name = displayName(record.process);
    awaitedMessage_.reset();
    if (report.outcome != expected || report.identity != identityOf(desktop_, record.process) ||
        report.name != appName(record.process)) {
      return "invariant 3: the quit request to " + name + " was followed by " + describe(report) +
             " instead of its " + std::string(outcomeName(expected)) + " report";
    }
    return std::nullopt;
  }
  const auto pending = [&](const Request& request) {
    return request.state == Request::State::waiting && request.identity == report.identity;
  };
  switch (report.outcome) {
  case QuitOutcome::refused:
  case QuitOutcome::waiting:
    return "invariant 3: " + describe(report) + " without a quit request";
  case QuitOutcome::ended: {
    const auto ended = std::ranges::find_if(requests_, [&](const Request& request) {
      return pending(request) && endedIn(request.identity, status.running);
    });
    if (ended != requests_.end()) {
      ended->state = Request::State::ended;
      ended->endedAt = status.time;
      lastEnded_ = static_cast<std::size_t>(ended - requests_.begin());
      return std::nullopt;
    }
    if (lateEnd && requests_[*lateEnd].identity == report.identity &&
        endedIn(report.identity, status.running)) {
      requests_[*lateEnd].state = Request::State::ended;
      requests_[*lateEnd].endedAt = status.time;
      lastEnded_ = lateEnd;
      return std::nullopt;
    }
    return "invariant 3: " + describe(report) + " at " + seconds(status.time) +
           " for no request whose application had ended unreported";
  }
  case QuitOutcome::timedOut: {
    const auto timedOut = std::ranges::find_if(requests_, [&](const Request& request) {
      return pending(request) && status.time - request.begin >= quitTimeout - epsilon &&
             !endedIn(request.identity, status.running);
    });
    if (timedOut == requests_.end()) {
      return "invariant 3: " + describe(report) + " at " + seconds(status.time) +
             " for no request pending 12 s whose application still ran";
    }
    timedOut->state = Request::State::timedOut;
    lateEnd_ = static_cast<std::size_t>(timedOut - requests_.begin());
    return std::nullopt;
  }
  }
  return std::nullopt;
}

std::optional<std::string> InvariantChecker::Impl::checkOutstanding() {
  const double now = desktop_.now();
  for (Request& request : requests_) {
    if (request.state != Request::State::waiting) {
      continue;
    }
    const int32_t pid = request.identity.pid();
    const bool gone =
        !desktop_.isRunning(pid) || desktop_.launchDate(pid) != request.identity.launchedAt();
    if (gone && !request.goneSince) {
      request.goneSince = now;
    }
    if (request.goneSince && now - *request.goneSince > messageGrace) {
      return "invariant 3: " + request.name + " ended at " + seconds(*request.goneSince) +
             " and no message said so";
    }
    if (now - request.begin > quitTimeout + messageGrace) {
      return "invariant 3: the request to " + request.name + " at " + seconds(request.begin) +
             " had no outcome 12 s later";
    }
  }
  return std::nullopt;
}

} // namespace lumivane::sim
