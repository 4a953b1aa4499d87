// The Windows port under the real coordinator: the status item and its popover, the settings
// window that stands in for it, the welcome window's life, the application menu, and the × and
// the middle click on the simulated desktop.

#include "Shell/MenuContent.hpp"
#include "Shell/OverlayPanel.hpp"
#include "Shell/Popover.hpp"
#include "Shell/QtWindows.hpp"
#include "Shell/ScreenSpace.hpp"
#include "ShellTestSupport.hpp"
#include "SimulatedDesktop/SimulatorWindow.hpp"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QtTest>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::testing;

namespace {

// Lumivane's coordinator on a simulated desktop, with its windows made by QtWindows: over the
// simulated desktop's window (menu bar and status item drawn there), or on the real screens
// (offscreen: no system tray, so the status item has no frame).
struct Harness {
  enum class MenuBar { simulated, system };

  sim::Desktop desktop;
  std::unique_ptr<SimulatorWindow> window;
  std::unique_ptr<SystemScreenSpace> system;
  std::unique_ptr<QtWindows> windows;
  std::shared_ptr<AppDelegate> delegate;

  explicit Harness(MenuBar menuBar) {
    std::vector<DockTile> tiles = populateDesktop(desktop, QSize(1280, 800));
    desktop.setAccessibility(true);
    desktop.setInputMonitoring(true);
    desktop.setReduceMotion(true);
    desktop.setDefault("hasSeenWelcome", true);
    ScreenSpace* space = nullptr;
    if (menuBar == MenuBar::simulated) {
      window = std::make_unique<SimulatorWindow>(desktop, std::move(tiles));
      window->move(0, 0);
      window->show();
      space = &window->space();
    } else {
      system = std::make_unique<SystemScreenSpace>();
      space = system.get();
    }
    windows = std::make_unique<QtWindows>(*space);
    delegate = std::make_shared<AppDelegate>(desktop.platform(), *windows);
    delegate->applicationDidFinishLaunching();
    desktop.runLoop().drain();
  }

  ~Harness() {
    delegate->applicationWillTerminate();
    delegate.reset();
    runDeferredDeletes();
  }

  Popover& popover() const { return static_cast<Popover&>(delegate->popover()); }
  OverlayPanel& panel() const { return static_cast<OverlayPanel&>(delegate->overlay()->panel()); }
  QWidget& canvas() const { return window->canvas(); }
  QAbstractButton* statusButton() const {
    return canvas().findChild<QAbstractButton*>(QStringLiteral("lumivane.status-item"));
  }
  QPoint iconCentre(const char* name) const {
    const Rect icon = desktop.itemFrame(desktop.dockItemNamed(name).value_or(-1));
    return QPoint(static_cast<int>(icon.midX()), static_cast<int>(icon.midY()));
  }
  QWidget& windowWidget(const std::shared_ptr<presentation::Window>& window) const {
    return static_cast<QtWindow&>(*window).widget();
  }
  std::vector<std::string> quitNames() const {
    std::vector<std::string> names;
    for (const auto& request : desktop.quitRequests()) {
      names.push_back(request.name);
    }
    return names;
  }
};

// Moves the real mouse over a widget, as the window system reports it.
void moveMouse(QWidget& widget, QPoint position) {
  QMouseEvent move(QEvent::MouseMove, QPointF(position), QPointF(widget.mapToGlobal(position)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &move);
}

} // namespace

class WindowsTests : public QObject {
  Q_OBJECT

private slots:
  void statusItemLivesInTheSimulatedMenuBar() {
    Harness harness(Harness::MenuBar::simulated);
    QAbstractButton* button = harness.statusButton();
    QVERIFY(button != nullptr);
    QCOMPARE(button->toolTip(), QStringLiteral("Lumivane"));
    // Top-left (1185, 0, 25, 25) on an 800-point-high primary display, in the bottom-left space.
    QCOMPARE(harness.delegate->statusItem()->buttonScreenFrame(), (Rect{1185, 775, 25, 25}));
  }

  void popoverOpensUnderTheStatusItemAndClosesOnASecondClick() {
    Harness harness(Harness::MenuBar::simulated);
    QAbstractButton* button = harness.statusButton();
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!harness.popover().isShown()); // one main-queue turn later
    harness.desktop.runLoop().drain();
    QVERIFY(harness.popover().isShown());
    QWidget& popup = harness.popover().window();
    QPointer<MenuContent> content = popup.findChild<MenuContent*>();
    QVERIFY(content);
    QCOMPARE(content->content().objectName(), QStringLiteral("lumivane.menu"));
    QCOMPARE(content->height(), static_cast<int>(content->contentHeight()));
    QCOMPARE(popup.height(), content->height());
    const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QRect desktopArea(harness.canvas().mapToGlobal(QPoint(0, 0)), harness.canvas().size());
    QCOMPARE(popup.geometry().top(), anchor.bottom() + 1 + Popover::anchorGap);
    QVERIFY(desktopArea.contains(popup.geometry().topRight()));

    QTest::mouseClick(button, Qt::LeftButton); // closes the transient popover, opens nothing
    harness.desktop.runLoop().drain();
    QVERIFY(!harness.popover().isShown());
    QVERIFY(!harness.popover().hasContent());
    runDeferredDeletes();
    QVERIFY(content.isNull());
  }

  void settingsWindowStandsInWithoutAStatusItemFrame() {
    Harness harness(Harness::MenuBar::system);
    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    QVERIFY(!harness.popover().isShown());
    const auto settingsWindow = harness.delegate->settingsWindow();
    QVERIFY(settingsWindow != nullptr);
    QWidget& widget = harness.windowWidget(settingsWindow);
    QCOMPARE(widget.windowTitle(), QStringLiteral("Lumivane 设置"));
    QVERIFY(widget.isVisible());
    QVERIFY(widget.findChild<QWidget*>(QStringLiteral("lumivane.menu")) != nullptr);
    const QPointF offset = QRectF(widget.frameGeometry()).center() -
                           QRectF(QGuiApplication::primaryScreen()->availableGeometry()).center();
    // The window system's frame around the window is known only once it is shown.
    QVERIFY(offset.manhattanLength() <= 4);

    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    QCOMPARE(harness.delegate->settingsWindow(), settingsWindow);
  }

  void welcomeWindowIsReleasedWhenClosed() {
    Harness harness(Harness::MenuBar::simulated);
    harness.desktop.setAccessibility(false);
    harness.delegate->permissions()->refresh();
    harness.delegate->showWelcome();
    QPointer<QWidget> frame = &harness.windowWidget(harness.delegate->welcome());
    QCOMPARE(frame->windowTitle(), QStringLiteral("欢迎使用 Lumivane"));
    QVERIFY(frame->isVisible());
    QWidget* content = frame->findChild<QWidget*>(QStringLiteral("lumivane.welcome"));
    QCOMPARE(content->width(), 540);

    QTest::keyClick(content, Qt::Key_Return); // nothing to confirm yet
    QVERIFY(frame->isVisible());
    QTest::keyClick(content, Qt::Key_Escape);
    QVERIFY(!frame->isVisible());
    harness.desktop.runLoop().drain();
    QVERIFY(harness.delegate->welcome() == nullptr);
    runDeferredDeletes();
    QVERIFY(frame.isNull());

    harness.desktop.setAccessibility(true);
    harness.delegate->permissions()->refresh();
    harness.delegate->showWelcome();
    frame = &harness.windowWidget(harness.delegate->welcome());
    QTest::keyClick(frame->findChild<QWidget*>(QStringLiteral("lumivane.welcome")), Qt::Key_Return);
    QVERIFY(!frame->isVisible());
  }

  void applicationMenuRunsItsCommands() {
    Harness harness(Harness::MenuBar::simulated);
    QMenu* menu = harness.windows->applicationMenu();
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->title(), QStringLiteral("Lumivane"));
    QStringList titles;
    QStringList keys;
    for (QAction* action : menu->actions()) {
      titles << action->text();
      keys << action->shortcut().toString();
    }
    QCOMPARE(titles,
             (QStringList{QStringLiteral("关于 Lumivane"), QStringLiteral("设置…"), QString(),
                          QStringLiteral("关闭窗口"), QStringLiteral("退出 Lumivane")}));
    QCOMPARE(keys, (QStringList{QString(), QStringLiteral("Ctrl+,"), QString(),
                                QStringLiteral("Ctrl+W"), QStringLiteral("Ctrl+Q")}));

    menu->actions()[0]->trigger();
    QVERIFY(harness.delegate->welcome() != nullptr);
    QWidget& welcome = harness.windowWidget(harness.delegate->welcome());
    QVERIFY(welcome.isVisible());
    welcome.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&welcome));
    QTest::keyClick(&welcome, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!welcome.isVisible());

    menu->actions()[1]->trigger();
    harness.desktop.runLoop().drain();
    QVERIFY(harness.popover().isShown());
  }

  void restingOnAnIconShowsTheXThatQuitsIt() {
    Harness harness(Harness::MenuBar::simulated);
    // The canvas shows the simulated top-left space one to one.
    const QPoint target = harness.iconCentre("Safari");
    moveMouse(harness.canvas(), target);
    QCOMPARE(harness.desktop.pointer(),
             (Point{static_cast<double>(target.x()), static_cast<double>(target.y())}));
    harness.desktop.advance(1.0);
    OverlayPanel& panel = harness.panel();
    QVERIFY(panel.window().isVisible());
    QCOMPARE(panel.button().accessibleName(), QStringLiteral("退出 Safari"));
    // Centred over the (now magnified) icon, above it, on the canvas.
    const QPoint icon = harness.canvas().mapToGlobal(harness.iconCentre("Safari"));
    const QRect cross = panel.window().geometry();
    QVERIFY(qAbs(cross.center().x() - icon.x()) <= 1);
    QVERIFY(cross.bottom() < icon.y());

    QTest::mouseClick(&panel.button(), Qt::LeftButton);
    harness.desktop.advance(0.5);
    QCOMPARE(harness.quitNames(), std::vector<std::string>{"Safari"});
    QVERIFY(!panel.window().isVisible());
  }

  void middleClickOnTheCanvasQuits() {
    Harness harness(Harness::MenuBar::simulated);
    QTest::mouseClick(&harness.canvas(), Qt::MiddleButton, {}, harness.iconCentre("Terminal"));
    harness.desktop.advance(0.5);
    QCOMPARE(harness.quitNames(), std::vector<std::string>{"Terminal"});
  }
};

QTEST_MAIN(WindowsTests)
#include "WindowsTests.moc"
