#include "Simulator/DesktopState.hpp"

#include <variant>

// The system around Lumivane as the Desktop sets it: permissions, notifications, Accessibility
// faults and latency, user defaults, login items and workspace settings.

namespace lumivane::sim {

void Desktop::setAccessibility(bool granted) {
  state_->accessibility.setTrusted(granted);
  state_->input.setPostAccess(granted);
}

void Desktop::removeFromAccessibilityList() {
  state_->accessibility.removeGrant();
  state_->input.setPostAccess(false);
}

bool Desktop::accessibilityGranted() const {
  return state_->accessibility.isGranted();
}

std::size_t Desktop::activeTapProbes() const {
  return state_->input.activeTapProbes();
}

void Desktop::setPostEventAccess(bool granted) {
  state_->input.setPostAccess(granted);
}

void Desktop::setInputMonitoring(bool granted) {
  state_->input.setListenAccess(granted);
}

std::size_t Desktop::trustPrompts() const {
  return state_->accessibility.trustPrompts();
}

std::size_t Desktop::postEventRequests() const {
  return state_->input.postRequests();
}

void Desktop::post(platform::Notification notification) {
  state_->notifications.post(notification);
}

void Desktop::addFault(const Fault& fault) {
  state_->accessibility.addFault(fault);
}

void Desktop::clearFaults() {
  state_->accessibility.clearFaults();
}

void Desktop::setMessageLatency(double seconds) {
  state_->accessibility.setMessageLatency(seconds);
}

void Desktop::setExtraListChildren(int count) {
  state_->accessibility.setExtraListChildren(count);
}

std::size_t Desktop::accessibilityMessageCount() const {
  return state_->accessibility.messageCount();
}

void Desktop::setDefault(std::string_view key, bool value) {
  state_->defaults.store(key, value);
}

void Desktop::setDefault(std::string_view key, std::string_view value) {
  state_->defaults.store(key, std::string(value));
}

void Desktop::setDefault(std::string_view key, const char* value) {
  setDefault(key, std::string_view(value == nullptr ? "" : value));
}

void Desktop::setDefault(std::string_view key, double number) {
  state_->defaults.store(key, number);
}

void Desktop::setDefault(std::string_view key, const std::vector<std::string>& texts, bool mixed) {
  if (mixed) {
    state_->defaults.store(key, SimulatedDefaults::Mixed{});
  } else {
    state_->defaults.store(key, texts);
  }
}

std::size_t Desktop::defaultsWriteCount() const {
  return state_->defaults.writeCount();
}

std::optional<std::string> Desktop::storedText(std::string_view key) const {
  const SimulatedDefaults::Value* value = state_->defaults.stored(key);
  const std::string* text = value ? std::get_if<std::string>(value) : nullptr;
  return text ? std::optional(*text) : std::nullopt;
}

std::optional<bool> Desktop::storedBool(std::string_view key) const {
  const SimulatedDefaults::Value* value = state_->defaults.stored(key);
  const bool* flag = value ? std::get_if<bool>(value) : nullptr;
  return flag ? std::optional(*flag) : std::nullopt;
}

std::optional<std::vector<std::string>> Desktop::storedTexts(std::string_view key) const {
  const SimulatedDefaults::Value* value = state_->defaults.stored(key);
  const auto* texts = value ? std::get_if<SimulatedDefaults::Texts>(value) : nullptr;
  return texts ? std::optional(*texts) : std::nullopt;
}

void Desktop::setLoginItemStatus(platform::LoginItemStatus status) {
  state_->loginItems.setStatus(status);
}

void Desktop::setLoginItemFailure(std::optional<std::string> description) {
  state_->loginItems.setFailure(std::move(description));
}

void Desktop::setReduceMotion(bool reduce) {
  state_->workspace.setReduceMotion(reduce);
}

void Desktop::setArguments(std::vector<std::string> arguments) {
  state_->process.setArguments(std::move(arguments));
}

void Desktop::setStatusBarAvailable(bool available) {
  state_->windows.setStatusBarAvailable(available);
}

const std::vector<std::string>& Desktop::openedURLs() const {
  return state_->workspace.openedURLs();
}

const std::vector<std::string>& Desktop::revealedPaths() const {
  return state_->workspace.revealedPaths();
}

} // namespace lumivane::sim
