// The diagnostics window's content: the report as it runs, scrolled as the reader left it, the
// copy of all of it, and closing; and the window from the popover's footer.

#include "Lumivane/AppDelegate.hpp"
#include "Lumivane/LiveDiagnostics.hpp"
#include "Shell/DiagnosticsContent.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/Popover.hpp"
#include "Shell/QtWindows.hpp"
#include "ShellTestSupport.hpp"
#include "SimulatedDesktop/SimulatorWindow.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

namespace {

// A Dock with Safari, and the pointer resting on it.
void restOnSafari(sim::Desktop& desktop) {
  desktop.setAccessibility(true);
  desktop.setScreens({{0, 0, 1440, 900}});
  desktop.placeDock(DockEdge::bottom);
  desktop.launch({.name = "Safari",
                  .bundleIdentifier = "com.apple.Safari",
                  .bundlePath = "/Applications/Safari.app"});
  const int safari = desktop.addDockApplication("Safari", "/Applications/Safari.app");
  desktop.movePointer(*desktop.restingPoint(safari));
}

} // namespace

class DiagnosticsContentTests : public QObject {
  Q_OBJECT

private slots:
  // The text is the report's, hit tests included as they come; at its end the view follows
  // them, and a reader who scrolled up stays where they were.
  void showsTheReportAsItRuns() {
    sim::Desktop desktop;
    restOnSafari(desktop);
    const auto report = std::make_shared<LiveDiagnostics>(desktop.platform());
    report->start();
    DiagnosticsContent view({report, {}});
    view.show();
    QCOMPARE(view.report().toPlainText(), QString::fromStdString(report->text()));
    QCOMPARE(view.width(), DiagnosticsContent::contentWidth);

    desktop.advance(5.05);
    QVERIFY(view.report().toPlainText().contains(QStringLiteral("  5. (")));
    QVERIFY(view.report().toPlainText().contains(QStringLiteral("quits Safari")));
    QScrollBar& scroll = *view.report().verticalScrollBar();
    QVERIFY(scroll.maximum() > 0);
    QCOMPARE(scroll.value(), scroll.maximum());
    scroll.setValue(0);
    desktop.advance(1);
    QVERIFY(view.report().toPlainText().contains(QStringLiteral("  6. (")));
    QCOMPARE(scroll.value(), 0);
  }

  void copiesAllOfItAndCloses() {
    sim::Desktop desktop;
    restOnSafari(desktop);
    const auto report = std::make_shared<LiveDiagnostics>(desktop.platform());
    report->start();
    desktop.advance(2.05);
    int closes = 0;
    DiagnosticsContent view({report, [&closes] { ++closes; }});
    view.show();
    QVERIFY(!shows(view, QStringLiteral("已拷贝")));
    findButton(view, QStringLiteral("拷贝全部"))->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(report->text()));
    QVERIFY(shows(view, QStringLiteral("已拷贝")));

    findButton(view, QStringLiteral("完成"))->click();
    QTest::keyClick(&view, Qt::Key_Escape);
    QCOMPARE(closes, 2);
  }

  // From the popover's footer: the window, in the popover's place, runs the report while open.
  void opensFromThePopoversFooter() {
    sim::Desktop desktop;
    std::vector<DockTile> tiles = populateDesktop(desktop, QSize(1280, 800));
    desktop.setAccessibility(true);
    desktop.setDefault("hasSeenWelcome", true);
    SimulatorWindow window(desktop, std::move(tiles));
    window.show();
    QtWindows windows(window.space());
    const auto delegate = std::make_shared<AppDelegate>(desktop.platform(), windows);
    delegate->applicationDidFinishLaunching();
    delegate->togglePopover();
    desktop.runLoop().drain();
    auto& popover = static_cast<Popover&>(delegate->popover());
    QWidget* content = popover.window().findChild<MenuContent*>();
    QVERIFY(content != nullptr);
    findButton(*content, QStringLiteral("诊断报告"))->click();
    QVERIFY(!popover.isShown());
    QVERIFY(delegate->diagnosticsWindow() != nullptr);
    QWidget& frame = static_cast<QtWindow&>(*delegate->diagnosticsWindow()).widget();
    QVERIFY(frame.isVisible());
    QCOMPARE(frame.windowTitle(), QStringLiteral("Lumivane 诊断报告"));
    auto* diagnostics = frame.findChild<DiagnosticsContent*>();
    QVERIFY(diagnostics != nullptr);
    desktop.advance(1.05);
    QVERIFY(diagnostics->report().toPlainText().contains(QStringLiteral("  1. (")));

    delegate->applicationWillTerminate();
  }
};

QTEST_MAIN(DiagnosticsContentTests)
#include "DiagnosticsContentTests.moc"
