#pragma once

#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"

#include <string>
#include <string_view>
#include <variant>

// The words Lumivane puts before the user, in one table. Services report what happened as
// values (a quit outcome and the application's name, a notice about the event tap); the status
// line, the × panel's label, the status item's tooltips and the windows' titles are formatted
// here and nowhere else.
namespace lumivane {

enum class QuitOutcome {
  refused,  // the quit request could not be delivered
  waiting,  // sent; the application has not ended yet
  ended,    // the application ended, in time or after a time-out
  timedOut, // 12 s passed and it still runs: probably a save prompt
};

// The status line after a quit request: its outcome and the application's name (empty when it
// has none; shown as "应用").
struct QuitLine {
  QuitOutcome outcome = QuitOutcome::waiting;
  std::string appName;
  friend bool operator==(const QuitLine&, const QuitLine&) = default;
};

// What the system did to the middle-click event tap.
enum class TapNotice { restored, interrupted };

enum class ReopenOutcome {
  opened,       // the application quit a moment ago is open again
  runningAgain, // it was running again already: nothing was opened
  gone,         // nothing could be opened from its bundle: moved, deleted or broken
};

// The status line after 重新打开: its outcome and the application's name (empty: "应用").
struct ReopenLine {
  ReopenOutcome outcome = ReopenOutcome::opened;
  std::string appName;
  friend bool operator==(const ReopenLine&, const ReopenLine&) = default;
};

// One status line, as a value.
using StatusLine = std::variant<QuitLine, TapNotice, ReopenLine>;

// Refusals, time-outs, an interrupted tap and an application that could not be reopened are
// errors.
bool isError(const StatusLine& line);

namespace texts {

std::string statusLine(const StatusLine& line);
// The × button's accessibility label and tooltip: "退出 " and the application's name.
std::string overlayLabel(std::string_view appName);
// The tooltip and accessibility description of 重新打开 beside the line that says `appName` has
// quit: what it opens.
std::string reopenHelp(std::string_view appName);
// A position of the ×, named as it looks beside an icon of a Dock on `edge`: on the bottom the
// × goes above the icon, towards its left or right side; beside a left or right Dock it goes
// beside the icon, above or below its name label.
std::string_view positionTitle(HoverPosition position, DockEdge edge);
// A name for an application known only by its bundle identifier: the identifier's last
// dot-separated part ("com.example.Recorder" gives "Recorder"), or the whole identifier when
// that part is empty.
std::string_view nameFromBundleIdentifier(std::string_view identifier);
// The status item's accessibility description: `description`, and while the badge shows, what
// the badge stands for.
std::string statusItemDescription(std::string_view description, bool badge);

inline constexpr std::string_view appName = "Lumivane";
// Said of an application without a name of its own.
inline constexpr std::string_view unnamedApp = "应用";
inline constexpr std::string_view attentionToolTip = "Lumivane · 请检查权限";
inline constexpr std::string_view tapInterruptedDescription = "Lumivane · 鼠标监听已中断";
// What the status item's badge stands for: a quit request that failed or went unanswered.
inline constexpr std::string_view badgeDescription = "有未查看的退出结果";
// The action the status line carries after Lumivane's own request ended an application.
inline constexpr std::string_view reopenAction = "重新打开";
inline constexpr std::string_view welcomeTitle = "欢迎使用 Lumivane";
inline constexpr std::string_view settingsTitle = "Lumivane 设置";

// The diagnostics window, and the popover's and the welcome window's way to it.
inline constexpr std::string_view diagnosticsItem = "诊断报告";
inline constexpr std::string_view diagnosticsTitle = "Lumivane 诊断报告";
inline constexpr std::string_view diagnosticsHeading = "诊断报告";
inline constexpr std::string_view diagnosticsGuide =
    "把指针停在出问题的 Dock 图标上，下方每秒记下一次 Lumivane 在指针处看到的内容。"
    "然后拷贝全部，附在问题反馈里。";
inline constexpr std::string_view diagnosticsPrivacy =
    "报告只读取权限、显示器和 Dock 的状态，不改动任何设置，也不会自动发送。";
inline constexpr std::string_view copyReport = "拷贝全部";
inline constexpr std::string_view reportCopied = "已拷贝";
inline constexpr std::string_view doneButton = "完成";

// The application menu.
inline constexpr std::string_view aboutItem = "关于 Lumivane";
inline constexpr std::string_view settingsItem = "设置…";
inline constexpr std::string_view closeWindowItem = "关闭窗口";
inline constexpr std::string_view quitItem = "退出 Lumivane";

} // namespace texts

} // namespace lumivane
