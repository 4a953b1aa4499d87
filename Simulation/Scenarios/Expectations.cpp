#include "Runner.hpp"
#include "Verbs.hpp"

#include <algorithm>

namespace lumivane::sim {

namespace {

Failure mismatch(const std::string& expected, const std::string& found) {
  return "expected " + expected + ", found " + found;
}

} // namespace

Failure ScenarioRunner::Impl::perform(const command::ExpectOverlay& expect) const {
  const PanelRecord& panel = desktop_.panel();
  const std::string found =
      panel.visible ? "overlay " + panelName(desktop_, panel) : "overlay hidden";
  const std::string expected = "overlay " + expect.name.value_or("hidden");
  return found == expected ? std::nullopt : mismatch(expected, found);
}

Failure ScenarioRunner::Impl::perform(const command::ExpectStatus& expect) const {
  const std::string found =
      delegate_ ? describeStatus(delegate_->runtime()->message(), delegate_->runtime()->isError())
                : describeStatus("", false);
  const std::string expected = describeStatus(expect.text, expect.isError);
  return found == expected ? std::nullopt : mismatch(expected, found);
}

Failure ScenarioRunner::Impl::perform(const command::ExpectApp& expect) const {
  const bool running = desktop_.pidOf(expect.name).has_value();
  if (running == expect.running) {
    return std::nullopt;
  }
  return mismatch(expect.name + (expect.running ? " running" : " stopped"),
                  running ? "it running" : "it stopped");
}

Failure ScenarioRunner::Impl::perform(const command::ExpectQuitRequests& expect) const {
  const auto& requests = desktop_.quitRequests();
  const auto count = std::count_if(requests.begin(), requests.end(), [&](const auto& request) {
    return request.name == expect.name;
  });
  if (count == expect.count) {
    return std::nullopt;
  }
  const auto requestsFor = [&](long n) {
    return std::to_string(n) + (n == 1 ? " quit request for " : " quit requests for ") +
           expect.name;
  };
  return mismatch(requestsFor(expect.count), std::to_string(count));
}

Failure ScenarioRunner::Impl::perform(const command::ExpectSymbol& expect) const {
  const std::string& symbol = desktop_.shell().statusSymbol;
  if (symbol == expect.name) {
    return std::nullopt;
  }
  return mismatch("symbol " + expect.name, symbol.empty() ? "no symbol" : "symbol " + symbol);
}

Failure ScenarioRunner::Impl::perform(const command::ExpectTooltip& expect) const {
  const std::string& toolTip = desktop_.shell().statusToolTip;
  if (toolTip == expect.text) {
    return std::nullopt;
  }
  return mismatch("tooltip " + scriptQuoted(expect.text), "tooltip " + scriptQuoted(toolTip));
}

Failure ScenarioRunner::Impl::perform(const command::ExpectWindow& expect) const {
  const bool shown = shownWindow(expect.window).has_value();
  if (shown == expect.shown) {
    return std::nullopt;
  }
  const std::string name(windowName(expect.window));
  return mismatch(name + " window " + (expect.shown ? "shown" : "hidden"),
                  shown ? "shown" : "hidden");
}

Failure ScenarioRunner::Impl::perform(const command::ExpectBadge& expect) const {
  const bool on = desktop_.shell().statusBadge;
  if (on == expect.on) {
    return std::nullopt;
  }
  return mismatch(expect.on ? "badge on" : "badge off", on ? "badge on" : "badge off");
}

Failure ScenarioRunner::Impl::perform(const command::ExpectPopover& expect) const {
  const bool shown = desktop_.shell().popoverShown;
  if (shown == expect.shown) {
    return std::nullopt;
  }
  return mismatch(expect.shown ? "popover shown" : "popover hidden", shown ? "shown" : "hidden");
}

Failure ScenarioRunner::Impl::perform(const command::ExpectReopen& expect) const {
  const bool offered = delegate_ && delegate_->runtime()->offersReopen();
  if (offered == expect.offered) {
    return std::nullopt;
  }
  return mismatch(expect.offered ? "reopen on" : "reopen off",
                  offered ? "reopen on" : "reopen off");
}

Failure ScenarioRunner::Impl::perform(const command::ExpectPointer& expect) const {
  const auto index = desktop_.dockItemNamed(expect.item);
  if (!index) {
    return "the Dock has no item '" + expect.item + "'";
  }
  if (contains(desktop_.itemFrame(*index), desktop_.pointer())) {
    return std::nullopt;
  }
  return mismatch("pointer on " + expect.item, "it off that icon");
}

Failure ScenarioRunner::Impl::perform(const command::ExpectDockEvents& expect) const {
  const auto count = static_cast<int>(desktop_.dockEvents().size());
  if (count == expect.count) {
    return std::nullopt;
  }
  return mismatch(std::to_string(expect.count) + " Dock events", std::to_string(count));
}

Failure ScenarioRunner::Impl::perform(const command::ExpectPreviewEdge& expect) const {
  const auto& content = desktop_.shell().lastMenuContent;
  if (!content) {
    return std::string("no popover has opened");
  }
  if (content->previewEdge == expect.edge) {
    return std::nullopt;
  }
  return mismatch("preview edge " + std::string(edgeName(expect.edge)),
                  std::string(edgeName(content->previewEdge)));
}

} // namespace lumivane::sim
