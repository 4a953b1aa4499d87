// Colours as drawn, in both appearances: every text of the popover and the welcome window against
// what lies under it, the switches as controls, cards against their window, the error lines'
// hue, secondary text inside button-like headers, and views following a change of appearance.

#include "Shell/Card.hpp"
#include "Shell/Controls.hpp"
#include "Shell/DockDemo.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/ProtectedAppsEditor.hpp"
#include "Shell/SettingRow.hpp"
#include "Shell/Style.hpp"
#include "Shell/WelcomeContent.hpp"
#include "ShellTestSupport.hpp"

#include <QPushButton>
#include <QtTest>
#include <map>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

Q_DECLARE_METATYPE(lumivane::shell::style::Appearance)

namespace {

// The colour a label paints its text in: its foreground role, which a label inside a button
// inherits from the button (the button text role).
QColor textColour(const QLabel& label) {
  return label.palette().color(label.foregroundRole());
}

// Sets the application's palette for one test and puts the previous one back.
class AppearanceScope {
public:
  explicit AppearanceScope(style::Appearance appearance) : previous_(QGuiApplication::palette()) {
    QApplication::setPalette(style::palette(appearance));
  }
  ~AppearanceScope() { QApplication::setPalette(previous_); }

private:
  QPalette previous_;
};

// The opaque colour under `widget`: the window background, then each rounded panel it sits on
// (cards, notices), outermost first, laid over it as drawn.
QColor backgroundUnder(const QWidget& widget) {
  std::vector<const RoundedPanel*> panels;
  for (const QWidget* ancestor = &widget; ancestor != nullptr;
       ancestor = ancestor->parentWidget()) {
    if (const auto* panel = qobject_cast<const RoundedPanel*>(ancestor)) {
      panels.push_back(panel);
    }
  }
  QColor colour = style::windowBackground(QGuiApplication::palette());
  for (auto panel = panels.rbegin(); panel != panels.rend(); ++panel) {
    colour = style::composite((*panel)->fillColour(), colour);
  }
  return colour;
}

double contrastOn(const QColor& ink, const QWidget& widget) {
  const QColor background = backgroundUnder(widget);
  return style::contrastRatio(style::composite(ink, background), background);
}

// Every text `root` shows (labels, and the buttons that draw only their text), with its
// contrast against what lies under it.
void collectTexts(QWidget& root, std::map<QString, double>& contrasts) {
  for (QLabel* label : root.findChildren<QLabel*>()) {
    if (label->isVisibleTo(&root) && !label->text().isEmpty()) {
      contrasts[label->text()] = contrastOn(textColour(*label), *label);
    }
  }
  for (QPushButton* button : root.findChildren<QPushButton*>()) {
    if (button->isFlat() && button->isVisibleTo(&root)) {
      contrasts[button->text()] =
          contrastOn(button->palette().color(QPalette::ButtonText), *button);
    }
  }
}

presentation::MenuContentModel menuModel(Services& services) {
  presentation::MenuContentModel model = services.menuModel();
  model.runningApps = [] {
    return std::vector<ProtectableApp>{{"com.apple.Safari", "Safari", "/Applications/Safari.app"}};
  };
  return model;
}

// The popover in each of its states, opened out as far as it goes.
void collectPopoverTexts(std::map<QString, double>& contrasts) {
  Services services;
  {
    MenuContent view(menuModel(services), 900);
    view.content().findChild<PermissionHelp*>()->setExpanded(true);
    collectTexts(view.content(), contrasts);
  }
  services.grantAccessibility(true);
  services.permissions->setMiddleAvailable(false);
  {
    MenuContent view(menuModel(services), 900);
    collectTexts(view.content(), contrasts);
  }
  services.permissions->setMiddleAvailable(true);
  services.settings->setHoverEnabled(false);
  services.settings->setProtected("com.example.Recorder", true);
  services.runtime->show(QuitLine{QuitOutcome::timedOut, "TextEdit"});
  services.desktop.setLoginItemFailure("denied");
  MenuContent view(menuModel(services), 900);
  services.settings->setLogin(true);
  view.layoutSettings().setExpanded(true);
  view.protectedAppsEditor().setExpanded(true);
  collectTexts(view.content(), contrasts);
}

void collectWelcomeTexts(std::map<QString, double>& contrasts) {
  Services services;
  WelcomeContent view({services.permissions, {}, {}});
  view.findChild<PermissionHelp*>()->setExpanded(true);
  collectTexts(view, contrasts);
  view.findChild<DockDemo*>()->toggle();
  services.grantAccessibility(true);
  collectTexts(view, contrasts);
}

Switch* switchOf(QWidget& root, const QString& title) {
  for (SettingRow* row : root.findChildren<SettingRow*>()) {
    if (row->toggle().accessibleName() == title) {
      return static_cast<Switch*>(&row->toggle());
    }
  }
  return nullptr;
}

} // namespace

class AppearanceTests : public QObject {
  Q_OBJECT

private slots:
  void appearances_data() {
    QTest::addColumn<style::Appearance>("appearance");
    QTest::newRow("light") << style::Appearance::light;
    QTest::newRow("dark") << style::Appearance::dark;
  }

  // Small text reaches WCAG's 4.5:1 against what it is drawn on: the demonstration's
  // instruction, captions and version lines included, which used to be drawn at under 2:1.
  void everyTextReadsAtFourAndAHalf_data() { appearances_data(); }
  void everyTextReadsAtFourAndAHalf() {
    QFETCH(style::Appearance, appearance);
    const AppearanceScope scope(appearance);
    std::map<QString, double> contrasts;
    collectPopoverTexts(contrasts);
    collectWelcomeTexts(contrasts);
    for (const QString& named :
         {QStringLiteral("点击上方 ×，体验一下"), QStringLiteral("演示应用已退出"),
          QStringLiteral("v1.0.0 · 完全本地运行"), QStringLiteral("为你的 Dock，少一步操作"),
          QStringLiteral("「TextEdit」仍未退出。请检查保存提示，或再次尝试。"),
          QStringLiteral("无法更新登录项：denied"),
          QStringLiteral("悬停退出仍可使用。检查辅助功能权限后重试。"),
          QStringLiteral("悬停已关闭，布局偏好仍会保留"), QStringLiteral("使用说明与关于"),
          QStringLiteral("稍后设置")}) {
      QVERIFY2(contrasts.count(named) == 1, qPrintable(named));
    }
    for (const auto& [text, contrast] : contrasts) {
      QVERIFY2(contrast >= 4.5,
               qPrintable(text + QStringLiteral(": ") + QString::number(contrast)));
    }
  }

  // A switch is a control: off, its track stands out from its card and its knob from its
  // track at 3:1 (an off switch at 1.3:1 read as a disabled one); on, likewise.
  void switchesReadAsEnabledControls_data() { appearances_data(); }
  void switchesReadAsEnabledControls() {
    QFETCH(style::Appearance, appearance);
    const AppearanceScope scope(appearance);
    Services services;
    MenuContent view(menuModel(services), 900);
    Switch* login = switchOf(view.content(), QStringLiteral("登录时自动启动"));
    Switch* hover = switchOf(view.content(), QStringLiteral("悬停显示退出按钮"));
    QVERIFY(login && hover);
    QVERIFY(!login->isChecked() && hover->isChecked());
    for (Switch* control : {login, hover}) {
      const QColor card = backgroundUnder(*control);
      QCOMPARE(card, style::cardBackground(QGuiApplication::palette()));
      const QColor track = style::composite(control->trackColour(), card);
      QVERIFY2(style::contrastRatio(track, card) >= 3,
               qPrintable(QString::number(style::contrastRatio(track, card))));
      QVERIFY(style::contrastRatio(control->knobColour(), track) >= 3);
    }
  }

  // Grouped content stands a step above its window in both appearances, never below it.
  void cardsAreLighterThanTheirWindow_data() { appearances_data(); }
  void cardsAreLighterThanTheirWindow() {
    QFETCH(style::Appearance, appearance);
    const AppearanceScope scope(appearance);
    Card card;
    const QColor window = style::windowBackground(QGuiApplication::palette());
    const QColor fill = style::composite(card.fillColour(), window);
    QVERIFY(fill.lightness() > window.lightness());
    // A step, not a glare: the dark card stays a dark grey.
    if (appearance == style::Appearance::dark) {
      QVERIFY(fill.lightness() < window.lightness() + 20);
    }
  }

  // An error line keeps the label colour for its words and shows the same system orange on its
  // symbol in both appearances (it used to be brown in one and orange in the other).
  void errorLinesKeepTheirHue_data() { appearances_data(); }
  void errorLinesKeepTheirHue() {
    QFETCH(style::Appearance, appearance);
    const AppearanceScope scope(appearance);
    Services services;
    MenuContent view(menuModel(services), 900);
    services.runtime->show(QuitLine{QuitOutcome::timedOut, "TextEdit"});
    auto* row = view.content().findChild<SymbolLabel*>(QStringLiteral("lumivane.operation-status"));
    QCOMPARE(row->symbolColour(), style::orange(QGuiApplication::palette()));
    QCOMPARE(row->colour(), style::primary(QGuiApplication::palette()));
    services.runtime->show(QuitLine{QuitOutcome::ended, "TextEdit"});
    QCOMPARE(row->symbolColour(), style::secondary(QGuiApplication::palette()));
    QCOMPARE(row->colour(), style::secondary(QGuiApplication::palette()));
  }

  // The badge and the help title sit in disclosure headers, which are buttons: they must still
  // draw secondary, not the button text colour.
  void secondaryTextInHeadersStaysSecondary_data() { appearances_data(); }
  void secondaryTextInHeadersStaysSecondary() {
    QFETCH(style::Appearance, appearance);
    const AppearanceScope scope(appearance);
    const QColor secondary = style::secondary(QGuiApplication::palette());
    const QColor primary = style::primary(QGuiApplication::palette());
    Services services;
    HoverLayoutSettings section(services.settings, DockEdge::bottom);
    QLabel* badge = findLabel(section, QStringLiteral("默认"));
    QVERIFY(badge != nullptr);
    QCOMPARE(textColour(*badge), secondary);
    QVERIFY(textColour(*badge) != primary);

    PermissionHelp help(services.permissions);
    QLabel* title = findLabel(help, QStringLiteral("已开启，但仍显示未授权？"));
    QVERIFY(title != nullptr);
    QCOMPARE(textColour(*title), secondary);
  }

  void contrastRatioFollowsTheDefinition() {
    QCOMPARE(style::contrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(style::contrastRatio(Qt::white, Qt::black), 21.0);
    QCOMPARE(style::contrastRatio(QColor(119, 119, 119), QColor(119, 119, 119)), 1.0);
    // #767676 on white is the lightest grey that reaches 4.5:1.
    QVERIFY(style::contrastRatio(QColor(118, 118, 118), Qt::white) >= 4.5);
    QVERIFY(style::contrastRatio(QColor(119, 119, 119), Qt::white) < 4.5);
  }

  // A window that stays open (the welcome window) follows a change of appearance.
  void viewsFollowAChangeOfAppearance() {
    const AppearanceScope scope(style::Appearance::light);
    Services services;
    WelcomeContent view({services.permissions, {}, {}});
    view.show();
    QLabel* subtitle = findLabel(view, QStringLiteral("保留熟悉的 Dock，让每一次退出更简单。"));
    QVERIFY(subtitle != nullptr);
    QCOMPARE(textColour(*subtitle), style::secondary(style::palette(style::Appearance::light)));
    QPushButton* later = qobject_cast<QPushButton*>(findButton(view, QStringLiteral("稍后设置")));
    QVERIFY(later != nullptr);

    // The change reaches shown windows one turn of the event loop later.
    QApplication::setPalette(style::palette(style::Appearance::dark));
    QCoreApplication::processEvents();
    QCOMPARE(textColour(*subtitle), style::secondary(style::palette(style::Appearance::dark)));
    QCOMPARE(later->palette().color(QPalette::ButtonText),
             style::secondary(style::palette(style::Appearance::dark)));
    const QImage image = view.grab().toImage();
    QVERIFY(style::isDark(view.palette()));
    QVERIFY(image.pixelColor(4, 4).lightness() < 100); // the window background went dark
  }
};

QTEST_MAIN(AppearanceTests)
#include "AppearanceTests.moc"
