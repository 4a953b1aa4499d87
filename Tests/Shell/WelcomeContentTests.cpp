// The welcome window's content: the permission state, Return and Escape, the troubleshooting
// note and the quit demonstration.

#include "Shell/Controls.hpp"
#include "Shell/DockDemo.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/Style.hpp"
#include "Shell/WelcomeContent.hpp"
#include "ShellTestSupport.hpp"

#include <QEnterEvent>
#include <QVariantAnimation>
#include <QtTest>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

namespace {

SymbolView* permissionSymbol(QWidget& root) {
  for (SymbolView* view : root.findChildren<SymbolView*>()) {
    if (view->symbol().starts_with("hand.raised") || view->symbol().starts_with("checkmark")) {
      return view;
    }
  }
  return nullptr;
}

// Running dots drawn clear: the demonstrated application is not running.
int hiddenRunningDots(QWidget& demo) {
  int hidden = 0;
  for (Dot* dot : demo.findChildren<Dot*>()) {
    hidden += dot->colour().alpha() == 0 ? 1 : 0;
  }
  return hidden;
}

} // namespace

class WelcomeContentTests : public QObject {
  Q_OBJECT

private slots:
  void followsTheAccessibilityPermission() {
    Services services;
    int closes = 0;
    WelcomeContent view({services.permissions, [&closes] { ++closes; }, {}});
    QCOMPARE(view.objectName(), QStringLiteral("lumivane.welcome"));
    QCOMPARE(view.width(), 540);
    QVERIFY(shows(view, QStringLiteral("开启辅助功能，即可开始")));
    QCOMPARE(permissionSymbol(view)->symbol(), std::string("hand.raised.fill"));
    QVERIFY(shows(view, QStringLiteral("稍后设置")));
    QVERIFY(shows(view, QStringLiteral("打开辅助功能设置")));
    QVERIFY(!shows(view, QStringLiteral("开始使用")));
    auto* help = view.findChild<PermissionHelp*>();
    QVERIFY(help->isVisibleTo(&view));
    QVERIFY(!help->isExpanded());

    services.grantAccessibility(true);
    QVERIFY(shows(view, QStringLiteral("辅助功能已授权")));
    QCOMPARE(permissionSymbol(view)->symbol(), std::string("checkmark.shield.fill"));
    QVERIFY(!shows(view, QStringLiteral("稍后设置")));
    QVERIFY(!shows(view, QStringLiteral("打开辅助功能设置")));
    QVERIFY(shows(view, QStringLiteral("开始使用")));
    QVERIFY(!help->isVisibleTo(&view));
    QCOMPARE(closes, 0);
  }

  void returnActsOnlyOnceGrantedAndEscapeAlways() {
    Services services;
    int closes = 0;
    WelcomeContent view({services.permissions, [&closes] { ++closes; }, {}});
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(closes, 0);
    QTest::keyClick(&view, Qt::Key_Escape);
    QCOMPARE(closes, 1);
    services.grantAccessibility(true);
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(closes, 2);
    QTest::keyClick(&view, Qt::Key_Escape);
    QCOMPARE(closes, 3);
  }

  void buttonsReachTheServices() {
    Services services;
    int closes = 0;
    int diagnostics = 0;
    WelcomeContent view(
        {services.permissions, [&closes] { ++closes; }, [&diagnostics] { ++diagnostics; }});
    findButton(view, QStringLiteral("诊断报告"))->click();
    QCOMPARE(diagnostics, 1);
    findButton(view, QStringLiteral("打开辅助功能设置"))->click();
    QCOMPARE(services.desktop.trustPrompts(), std::size_t{1});
    findButton(view, QStringLiteral("稍后设置"))->click();
    QCOMPARE(closes, 1);

    auto* help = view.findChild<PermissionHelp*>();
    QTest::mouseClick(&help->header(), Qt::LeftButton);
    QVERIFY(help->isExpanded());
    QVERIFY(help->content().isVisibleTo(help));
    findButton(*help, QStringLiteral("在访达中显示当前应用"))->click();
    QCOMPARE(services.desktop.revealedPaths().size(), std::size_t{1});

    services.grantAccessibility(true);
    findButton(view, QStringLiteral("开始使用"))->click();
    QCOMPARE(closes, 2);
  }

  void demonstrationTogglesWithAnEasedFade() {
    DockDemo demo;
    auto* fade = demo.findChild<QVariantAnimation*>();
    QVERIFY(fade != nullptr);
    QCOMPARE(fade->duration(), 200);
    QVERIFY(!demo.dismissed());
    QCOMPARE(demo.button().toolTip(), QStringLiteral("试试退出演示"));
    QCOMPARE(demo.button().accessibleName(), QStringLiteral("体验退出演示"));
    QVERIFY(shows(demo, QStringLiteral("点击上方 ×，体验一下")));
    QCOMPARE(hiddenRunningDots(demo), 0);

    QTest::mouseClick(&demo.button(), Qt::LeftButton);
    QVERIFY(demo.dismissed());
    QCOMPARE(demo.button().toolTip(), QStringLiteral("重置演示"));
    QCOMPARE(demo.button().accessibleName(), QStringLiteral("重置演示"));
    QVERIFY(shows(demo, QStringLiteral("演示应用已退出")));
    QCOMPARE(hiddenRunningDots(demo), 1);
    fade->setCurrentTime(100); // ease-in-out is half way at half the time
    QVERIFY(qAbs(demo.iconOpacity() - (1 - (1 - 0.35) / 2)) < 1e-3);
    fade->setCurrentTime(200);
    QCOMPARE(demo.iconOpacity(), 0.35);

    QTest::mouseClick(&demo.button(), Qt::LeftButton);
    QVERIFY(!demo.dismissed());
    QCOMPARE(demo.button().toolTip(), QStringLiteral("试试退出演示"));
    QVERIFY(shows(demo, QStringLiteral("点击上方 ×，体验一下")));
    QCOMPARE(hiddenRunningDots(demo), 0);
    fade->setCurrentTime(200);
    QCOMPARE(demo.iconOpacity(), 1.0);
  }

  // Under the pointer the demonstration × lights red, as the × over the Dock does; once the
  // demonstration has run it offers a reset, which lights in the accent colour instead.
  void demonstrationCrossLightsUnderThePointer() {
    DockDemo demo;
    demo.show();
    QAbstractButton& button = demo.button();
    const auto fill = [&button] { return button.grab().toImage().pixelColor(6, 14); };
    const QColor plain = fill();
    QCOMPARE(plain, style::controlBackground(button.palette()));
    QEnterEvent enter(QPointF(14, 14), QPointF(14, 14), QPointF(14, 14));
    QApplication::sendEvent(&button, &enter);
    QCOMPARE(fill(), style::red(button.palette()));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QCOMPARE(fill(), plain);

    demo.toggle();
    QApplication::sendEvent(&button, &enter);
    QCOMPARE(fill(), style::blue(button.palette()));
  }
};

QTEST_MAIN(WelcomeContentTests)
#include "WelcomeContentTests.moc"
