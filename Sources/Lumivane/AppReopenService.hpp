#pragma once

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/Texts.hpp"
#include "LumivaneCore/AppIdentity.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane {

// The way back from a quit: for a minute after Lumivane's own request has ended an application,
// offers to open the same bundle again, and opens it at most once. Nothing else is ever opened:
// not an application that ended by itself or was quit elsewhere, nor one that is excluded or
// protected. Main thread; onOfferChange fires when the offer comes or goes, onStatus with the
// outcome of 重新打开 (at once, or on a later turn when the workspace answers).
class AppReopenService : public std::enable_shared_from_this<AppReopenService> {
public:
  // Seconds of uptime the offer lasts after the end.
  static constexpr double offerDuration = 60.0;
  // While an offer stands it is looked at this often: it goes once its minute is up, a copy of
  // the application runs again, or the user protects it.
  static constexpr double checkInterval = 1.0;
  static constexpr double checkTolerance = 0.1;

  explicit AppReopenService(platform::Platform& platform);

  // The quit service reports that its request has ended an application (in time or late): offers
  // to open it again, in place of any earlier offer.
  void offer(const QuitReport& ended);
  // Takes the offer back: the line it belonged to has been replaced.
  void withdraw();
  // Looks at the offer now rather than at the next check.
  void refresh();
  bool isOffered() const { return offer_.has_value(); }
  // 重新打开: uses the offer up, then reports whether the application opened, was running
  // again already, or could not be opened. Without an offer, or once its minute is up, nothing.
  void reopen();
  // Withdraws the offer; no outcome is reported any more.
  void stop();
  // True while the offer's check timer exists.
  bool isChecking() const { return timer_ != nullptr; }

  std::function<void(bool offered)> onOfferChange;
  std::function<void(const ReopenLine& line)> onStatus;
  // True for a bundle identifier the user asked Lumivane to leave alone. Absent: none is.
  std::function<bool(std::string_view bundleIdentifier)> isProtected;

private:
  struct Offer {
    AppIdentity identity;
    std::string name;
    std::string bundleIdentifier;
    double expiresAt = 0; // uptime
  };

  // Its minute is up, or the application is excluded or protected.
  bool hasLapsed(const Offer& offer) const;
  // A process runs from the offer's bundle.
  bool runsAgain(const Offer& offer);
  void setOffer(std::optional<Offer> offer);
  void report(ReopenOutcome outcome, std::string name);

  platform::Platform& platform_;
  std::optional<Offer> offer_;
  std::unique_ptr<platform::Timer> timer_;
  bool stopped_ = false;
};

} // namespace lumivane
