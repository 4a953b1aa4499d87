#pragma once

#include "Lumivane/Observable.hpp"
#include "Lumivane/Texts.hpp"

#include <functional>
#include <optional>
#include <string>

namespace lumivane {

// The status line the popover shows, the action it may carry, and the retry action. A line stays
// until a service reports another. Main thread; observers are told after every change of a
// published field.
class RuntimeStatus : public Observable {
public:
  // The latest outcome; absent before the first.
  const std::optional<StatusLine>& line() const { return line_; }
  // A new line replaces the old one and any action it carried.
  void show(StatusLine line);
  // The line in words; empty without one.
  const std::string& message() const { return message_; }
  bool isError() const { return line_ && lumivane::isError(*line_); }
  bool isSuspended() const { return isSuspended_; }
  void setSuspended(bool isSuspended);
  // Whether the line carries 重新打开: it says an application has quit that can be opened again.
  bool offersReopen() const { return offersReopen_; }
  void setOffersReopen(bool offers);

  std::function<void()> onRetry;
  // What 重新打开 runs.
  std::function<void()> onReopen;

private:
  std::optional<StatusLine> line_;
  std::string message_;
  bool isSuspended_ = false;
  bool offersReopen_ = false;
};

} // namespace lumivane
