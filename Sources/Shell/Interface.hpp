#pragma once

#include "Lumivane/Observable.hpp"
#include "Lumivane/Presentation.hpp"
#include "Shell/Controls.hpp"

#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class QLabel;
class QPainter;
class QPushButton;
class QVariantAnimation;

namespace lumivane::shell {

class HoverLayoutSettings;

// A two-way binding to a Boolean held elsewhere (a service's published field).
struct BoolBinding {
  std::function<bool()> get;
  std::function<void(bool)> set;
};

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

// A rounded card: white in the light appearance, white at 0.14 in the dark one, outlined faintly.
class Card : public RoundedPanel {
  Q_OBJECT

public:
  explicit Card(QWidget* parent = nullptr);

protected:
  QColor fill() const override;
};

// One switch row: symbol, title and subtitle, and a switch bound to a Boolean.
class SettingRow : public QWidget {
  Q_OBJECT

public:
  SettingRow(std::string_view symbol, const QString& title, const QString& subtitle,
             BoolBinding isOn, QWidget* parent = nullptr);
  // Shows the bound value again (after the source changed).
  void refresh();
  QAbstractButton& toggle() const { return *toggle_; }

private:
  BoolBinding isOn_;
  QAbstractButton* toggle_;
};

// The troubleshooting note for an Accessibility grant that does not take: collapsed at first.
class PermissionHelp : public Disclosure {
  Q_OBJECT

public:
  explicit PermissionHelp(std::shared_ptr<PermissionManager> permissions,
                          QWidget* parent = nullptr);

private:
  std::shared_ptr<PermissionManager> permissions_;
};

// One icon of the demonstration Dock: a symbol on a rounded control-coloured square.
class DemoAppIcon : public QWidget {
  Q_OBJECT

public:
  static constexpr int side = 50;

  DemoAppIcon(std::string_view symbol, const QColor& colour, QWidget* parent = nullptr);
  // Draws the icon centred on `centre`; shared with the layout preview.
  static void paint(QPainter& painter, QPointF centre, std::string_view symbol,
                    const QColor& colour, const QPalette& palette);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::string symbol_;
  QColor colour_;
};

// The harmless quit demonstration: a × that "quits" the middle icon of a small Dock and resets it.
class DockDemo : public QWidget {
  Q_OBJECT

public:
  static constexpr int toggleDuration = 200; // milliseconds, ease-in-out
  static constexpr double dismissedOpacity = 0.35;

  explicit DockDemo(QWidget* parent = nullptr);
  bool dismissed() const { return dismissed_; }
  // The demonstration ×'s action.
  void toggle();
  QAbstractButton& button() const { return *button_; }
  // The demonstrated application's icon opacity, as the animation currently draws it.
  double iconOpacity() const { return iconOpacity_; }

private:
  void render();

  bool dismissed_ = false;
  double iconOpacity_ = 1;
  QAbstractButton* button_;
  QWidget* middleIcon_;
  Dot* middleDot_;
  QLabel* caption_;
  QVariantAnimation* fade_;
};

// The popover's content (also the fallback settings window's): readiness, the permission
// notices, the two switches, the × layout, the login item, the status line and the footer.
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
  QWidget& content() const { return *content_; }
  HoverLayoutSettings& layoutSettings() const { return *layout_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void render();
  void measureContent();
  QWidget* permissionNotice(const QString& title, const QString& detail, const QString& action,
                            std::function<void()> perform);
  QLabel* section(const QString& title);

  std::shared_ptr<SettingsManager> settings_;
  std::shared_ptr<PermissionManager> permissions_;
  std::shared_ptr<RuntimeStatus> runtime_;
  std::optional<double> visibleHeight_;
  double contentHeight_;
  std::function<void()> showWelcome_;
  std::function<void()> quit_;
  std::vector<std::pair<Observable*, uint64_t>> observations_;

  QWidget* content_;
  Dot* dot_;
  QWidget* accessibilityNotice_;
  QWidget* help_;
  QWidget* middleNotice_;
  QWidget* retry_;
  SymbolLabel* statusLabel_;
  SettingRow* hoverRow_;
  SettingRow* middleRow_;
  SettingRow* loginRow_;
  HoverLayoutSettings* layout_;
  QWidget* approval_;
  QLabel* loginError_;
  SymbolLabel* operationStatus_;
};

// The welcome window's content: the two ways of quitting, the demonstration, what Lumivane does
// not do and the Accessibility state. Return runs "开始使用" once Accessibility is granted; Escape
// closes in every state.
class WelcomeContent : public QWidget {
  Q_OBJECT

public:
  static constexpr int contentWidth = 540;

  explicit WelcomeContent(const presentation::WelcomeContentModel& model,
                          QWidget* parent = nullptr);
  ~WelcomeContent() override;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void render();
  void close();
  QWidget* method(std::string_view symbol, const QString& title, const QString& detail);

  std::shared_ptr<PermissionManager> permissions_;
  std::function<void()> close_;
  uint64_t observation_;
  SymbolView* permissionSymbol_;
  QLabel* permissionTitle_;
  QWidget* help_;
  QWidget* later_;
  QWidget* openSettings_;
  QPushButton* start_;
};

} // namespace lumivane::shell
