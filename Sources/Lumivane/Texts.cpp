#include "Lumivane/Texts.hpp"

namespace lumivane {

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

std::string_view nameOrDefault(std::string_view name) {
  return name.empty() ? texts::unnamedApp : name;
}

// Each quit outcome's text is its opening, the application's name and its close, between
// full-width corner brackets.
std::string quitText(const QuitLine& line) {
  const std::string name(nameOrDefault(line.appName));
  switch (line.outcome) {
  case QuitOutcome::refused:
    return "未能向「" + name + "」发送退出请求";
  case QuitOutcome::waiting:
    return "已请求「" + name + "」退出，正在等待…";
  case QuitOutcome::ended:
    return "「" + name + "」已退出";
  case QuitOutcome::timedOut:
    return "「" + name + "」仍未退出。请检查保存提示，或再次尝试。";
  }
  return {};
}

std::string reopenText(const ReopenLine& line) {
  const std::string name(nameOrDefault(line.appName));
  switch (line.outcome) {
  case ReopenOutcome::opened:
    return "已重新打开「" + name + "」";
  case ReopenOutcome::runningAgain:
    return "「" + name + "」已在运行";
  case ReopenOutcome::gone:
    return "未能重新打开「" + name + "」。它可能已被移动或删除。";
  }
  return {};
}

std::string tapText(TapNotice notice) {
  switch (notice) {
  case TapNotice::restored:
    return "鼠标监听已恢复。";
  case TapNotice::interrupted:
    return "鼠标监听已中断，请在设置中重新检查权限。";
  }
  return {};
}

} // namespace

bool isError(const StatusLine& line) {
  return std::visit(
      Overloaded{[](const QuitLine& quit) {
                   return quit.outcome == QuitOutcome::refused ||
                          quit.outcome == QuitOutcome::timedOut;
                 },
                 [](TapNotice notice) { return notice == TapNotice::interrupted; },
                 [](const ReopenLine& reopen) { return reopen.outcome == ReopenOutcome::gone; }},
      line);
}

namespace texts {

std::string statusLine(const StatusLine& line) {
  return std::visit(Overloaded{[](const QuitLine& quit) { return quitText(quit); },
                               [](TapNotice notice) { return tapText(notice); },
                               [](const ReopenLine& reopen) { return reopenText(reopen); }},
                    line);
}

std::string overlayLabel(std::string_view appName) {
  return "退出 " + std::string(nameOrDefault(appName));
}

std::string reopenHelp(std::string_view appName) {
  return std::string(reopenAction) + "「" + std::string(nameOrDefault(appName)) + "」";
}

std::string_view positionTitle(HoverPosition position, DockEdge edge) {
  const bool bottom = edge == DockEdge::bottom;
  switch (position) {
  case HoverPosition::automatic:
    return "自动";
  case HoverPosition::leading:
    return bottom ? "上方偏左" : "侧边偏上";
  case HoverPosition::trailing:
    return bottom ? "上方偏右" : "侧边偏下";
  }
  return "自动";
}

std::string_view nameFromBundleIdentifier(std::string_view identifier) {
  const std::size_t dot = identifier.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == identifier.size()) {
    return identifier;
  }
  return identifier.substr(dot + 1);
}

std::string statusItemDescription(std::string_view description, bool badge) {
  std::string result(description);
  if (badge) {
    result += "，";
    result += badgeDescription;
  }
  return result;
}

} // namespace texts

} // namespace lumivane
