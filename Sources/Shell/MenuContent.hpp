#pragma once

#include "Lumivane/Observable.hpp"
#include "Lumivane/Presentation.hpp"

#include <QScrollArea>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;

namespace lumivane {
class PermissionManager;
class RuntimeStatus;
class SettingsManager;
} // namespace lumivane

namespace lumivane::shell {
class Dot;
class HoverLayoutSettings;
class ProtectedAppsEditor;
class SettingRow;
class SymbolLabel;
} // namespace lumivane::shell

namespace lumivane::shell {

// The popover's height rule. Heights in points.
struct MenuHeight {
  // The content height after the content reported `measured`: rounded up to a whole point when
  // above 0; a report of 0 or less keeps `current`.
  static double contentHeight(double current, double measured);
  // The tallest the popover may be: the main screen's visible height less 80, never below 240;
  // 720 without a screen.
  static double limit(std::optional<double> visibleHeight);
  // The scroll view's height: the content height, capped by the limit.
  static double viewHeight(double contentHeight, std::optional<double> visibleHeight);
};

// Where the content scrolls to (its offset from the top) when a section from `top` to `bottom`
// opens in a view `viewHeight` high: no further than shows the whole section, and never so far
// that the section's own header leaves the view. Points.
int revealedOffset(int offset, int viewHeight, int top, int bottom);

// The popover's content (also the fallback settings window's): readiness, the permission
// notices, the two switches, the × layout, the protected applications, the login item, the status
// line with the 重新打开 it may carry, and the footer.
// Re-renders on every change of the settings store, the permission monitor and the runtime status.
class MenuContent : public QScrollArea {
  Q_OBJECT

public:
  static constexpr int contentWidth = 360;

  // `visibleHeight`: the main screen's visible height, absent without a screen.
  MenuContent(const presentation::MenuContentModel& model, std::optional<double> visibleHeight,
              QWidget* parent = nullptr);
  ~MenuContent() override;

  // Accessibility granted, and the middle-click tap running unless that switch is off.
  bool isReady() const;
  double contentHeight() const { return contentHeight_; }
  // Takes a new measurement of the content, as it reports its height.
  void measure(double measured);
  // The visible height of the display the content is shown on (the popover's is the one under
  // the status item); absent without a screen.
  void setVisibleHeight(std::optional<double> visibleHeight);
  QWidget& content() const { return *content_; }
  HoverLayoutSettings& layoutSettings() const { return *layout_; }
  ProtectedAppsEditor& protectedAppsEditor() const { return *protectedApps_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void render();
  void measureContent();
  // A notice on a faint blue panel: a title with a raised hand, its detail and a row of buttons.
  QWidget* permissionNotice(const QString& title, const QString& detail,
                            std::initializer_list<QPushButton*> buttons);
  QLabel* section(const QString& title);

  std::shared_ptr<SettingsManager> settings_;
  std::shared_ptr<PermissionManager> permissions_;
  std::shared_ptr<RuntimeStatus> runtime_;
  std::optional<double> visibleHeight_;
  double contentHeight_;
  // The section that opened and is brought into view at the next layout.
  QWidget* reveal_ = nullptr;
  std::function<void()> showWelcome_;
  std::function<void()> showDiagnostics_;
  std::function<void()> quit_;
  std::vector<std::pair<Observable*, uint64_t>> observations_;

  QWidget* content_;
  Dot* dot_;
  QWidget* accessibilityNotice_;
  QWidget* help_;
  QWidget* middleNotice_;
  SymbolLabel* statusLabel_;
  SettingRow* hoverRow_;
  SettingRow* middleRow_;
  SettingRow* loginRow_;
  HoverLayoutSettings* layout_;
  ProtectedAppsEditor* protectedApps_;
  QWidget* approval_;
  SymbolLabel* loginError_;
  QWidget* statusRow_;
  SymbolLabel* operationStatus_;
  QPushButton* reopen_;
};

} // namespace lumivane::shell
