// Colours as drawn: secondary text inside button-like headers, the error line's contrast in both
// appearances, views following a change of appearance, and the segmented control's selected
// segment following the palette.

#include "Shell/Controls.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/SegmentedControl.hpp"
#include "Shell/Style.hpp"
#include "Shell/WelcomeContent.hpp"
#include "ShellTestSupport.hpp"

#include <QtTest>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::testing;

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

} // namespace

class AppearanceTests : public QObject {
  Q_OBJECT

private slots:
  void appearances_data() {
    QTest::addColumn<style::Appearance>("appearance");
    QTest::newRow("light") << style::Appearance::light;
    QTest::newRow("dark") << style::Appearance::dark;
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

  // Small error text on the popover's background reaches WCAG's 4.5:1 in both appearances.
  void errorStatusLineIsReadable_data() { appearances_data(); }
  void errorStatusLineIsReadable() {
    QFETCH(style::Appearance, appearance);
    const AppearanceScope scope(appearance);
    Services services;
    presentation::MenuContentModel model;
    model.settings = services.settings;
    model.permissions = services.permissions;
    model.runtime = services.runtime;
    MenuContent view(model, 900);
    services.runtime->show(QuitLine{QuitOutcome::timedOut, "TextEdit"});
    auto* row = view.content().findChild<SymbolLabel*>(QStringLiteral("lumivane.operation-status"));
    QLabel* text = findLabel(*row, QString::fromStdString(services.runtime->message()));
    QVERIFY(text != nullptr);
    // The popover's card is the window background, under the clear content.
    const QColor background = style::windowBackground(view.palette());
    const QColor drawn = style::composite(textColour(*text), background);
    QVERIFY2(style::contrastRatio(drawn, background) >= 4.5,
             qPrintable(QString::number(style::contrastRatio(drawn, background))));
    // Still an orange: red clearly above blue.
    QVERIFY(drawn.red() > drawn.blue() + 100);

    // The system orange the line used to draw in is about 2:1 there in the light appearance.
    if (appearance == style::Appearance::light) {
      QVERIFY(style::contrastRatio(style::composite(style::orange(), background), background) <
              2.5);
    }
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
    WelcomeContent view({services.permissions, {}});
    view.show();
    QLabel* subtitle = findLabel(view, QStringLiteral("保留熟悉的 Dock，让每一次退出更简单。"));
    QVERIFY(subtitle != nullptr);
    QCOMPARE(textColour(*subtitle), style::secondary(style::palette(style::Appearance::light)));

    // The change reaches shown windows one turn of the event loop later.
    QApplication::setPalette(style::palette(style::Appearance::dark));
    QCoreApplication::processEvents();
    QCOMPARE(textColour(*subtitle), style::secondary(style::palette(style::Appearance::dark)));
    const QImage image = view.grab().toImage();
    QVERIFY(style::isDark(view.palette()));
    QVERIFY(image.pixelColor(4, 4).lightness() < 100); // the window background went dark
  }

  // The selected segment is a pill drawn from the palette: white in the light appearance, a
  // light grey over the dark track in the dark one, never white there.
  void selectedSegmentFollowsThePalette() {
    const AppearanceScope scope(style::Appearance::light);
    SegmentedControl control(
        {QStringLiteral("底部"), QStringLiteral("左侧"), QStringLiteral("右侧")});
    control.setSelected(1);
    control.show();
    QCOMPARE(control.selected(), 1);
    const auto pillPixel = [&control] {
      QAbstractButton& selected = control.segment(1);
      const QImage image = control.grab().toImage();
      return image.pixelColor(selected.geometry().left() + 6, selected.geometry().top() + 4);
    };
    QCOMPARE(pillPixel(), QColor(Qt::white));
    QApplication::setPalette(style::palette(style::Appearance::dark));
    QCoreApplication::processEvents();
    QVERIFY(pillPixel().lightness() < 150);

    // Keyboard: the segments are buttons that take focus and Space selects one.
    control.segment(2).setFocus();
    QTest::keyClick(&control.segment(2), Qt::Key_Space);
    QCOMPARE(control.selected(), 2);
  }
};

QTEST_MAIN(AppearanceTests)
#include "AppearanceTests.moc"
