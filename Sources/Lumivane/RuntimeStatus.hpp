#pragma once

#include "Lumivane/Observable.hpp"
#include "Lumivane/Texts.hpp"

#include <functional>
#include <optional>
#include <string>

namespace lumivane {

// The status line the popover shows, and its retry action. A line stays until a service reports
// another. Main thread; observers are told after every change of a published field.
class RuntimeStatus : public Observable {
public:
  // The latest outcome; absent before the first.
  const std::optional<StatusLine>& line() const { return line_; }
  void show(StatusLine line);
  // The line in words; empty without one.
  const std::string& message() const { return message_; }
  bool isError() const { return line_ && lumivane::isError(*line_); }
  bool isSuspended() const { return isSuspended_; }
  void setSuspended(bool isSuspended);

  std::function<void()> onRetry;

private:
  std::optional<StatusLine> line_;
  std::string message_;
  bool isSuspended_ = false;
};

} // namespace lumivane
