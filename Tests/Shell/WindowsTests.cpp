// The Windows port under the real coordinator: the status item and its popover, the settings
// window that stands in for it, the welcome window's life, the application menu, and the × and
// the middle click on the simulated desktop.

#include "Lumivane/AppDelegate.hpp"
#include "Shell/Controls.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/OverlayPanel.hpp"
#include "Shell/Popover.hpp"
#include "Shell/QtWindows.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/WelcomeContent.hpp"
#include "ShellTestSupport.hpp"
#include "SimulatedDesktop/SimulatorWindow.hpp"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

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

  explicit Harness(MenuBar menuBar, QSize screen = QSize(1280, 800)) {
    std::vector<DockTile> tiles = populateDesktop(desktop, screen);
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

// The window that shows the × on the simulated desktop, while it is shown.
QWidget* overlayHost() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == QStringLiteral("lumivane.quit-overlay") && window->isVisible()) {
      return window;
    }
  }
  return nullptr;
}

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
    const QRect card = harness.popover().cardGeometry();
    QCOMPARE(card.height(), content->height());
    const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QRect desktopArea(harness.canvas().mapToGlobal(QPoint(0, 0)), harness.canvas().size());
    QCOMPARE(card.top(), anchor.bottom() + 1 + static_cast<int>(PopoverChrome::anchorGap));
    // Kept clear of the screen's right edge, and the status item looks pressed while it is open.
    QVERIFY(card.right() + 1 <= desktopArea.right() + 1 - PopoverChrome::screenMargin);
    QVERIFY(button->isChecked());

    QTest::mouseClick(button, Qt::LeftButton); // closes the transient popover, opens nothing
    harness.desktop.runLoop().drain();
    QVERIFY(!harness.popover().isShown());
    QVERIFY(!harness.popover().hasContent());
    QVERIFY(!button->isChecked());
    runDeferredDeletes();
    QVERIFY(content.isNull());
  }

  // The status item has no menu of its own: a right click opens the popover as a left one does,
  // and closes it again.
  void rightClickOnTheStatusItemTogglesThePopover() {
    Harness harness(Harness::MenuBar::simulated);
    QAbstractButton* button = harness.statusButton();
    QTest::mouseClick(button, Qt::RightButton);
    harness.desktop.runLoop().drain();
    QVERIFY(harness.popover().isShown());
    QTest::mouseClick(button, Qt::RightButton);
    harness.desktop.runLoop().drain();
    QVERIFY(!harness.popover().isShown());
  }

  // A tool window, not a pop-up: it becomes key, so Tab moves through it, Space works a switch
  // and Escape closes it.
  void popoverTakesTheKeyboard() {
    Harness harness(Harness::MenuBar::simulated);
    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    QWidget& popup = harness.popover().window();
    QVERIFY(QTest::qWaitForWindowActive(&popup));
    const QString hoverSwitch = QStringLiteral("悬停显示退出按钮");
    for (int tab = 0; tab < 20 && QApplication::focusWidget() != nullptr &&
                      QApplication::focusWidget()->accessibleName() != hoverSwitch;
         ++tab) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused != nullptr && popup.isAncestorOf(focused));
    QCOMPARE(focused->accessibleName(), hoverSwitch);
    QVERIFY(harness.delegate->settings()->hoverEnabled());
    QTest::keyClick(focused, Qt::Key_Space);
    QVERIFY(!harness.delegate->settings()->hoverEnabled());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!harness.popover().isShown());
    QVERIFY(!harness.popover().hasContent());
  }

  void popoverClosesOnAPressElsewhereAndClipsItsCorners() {
    Harness harness(Harness::MenuBar::simulated);
    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    QWidget& popup = harness.popover().window();
    // Even content that paints its whole rectangle leaves the card's corners clear.
    popup.findChild<MenuContent*>()->content().setAutoFillBackground(true);
    const QImage image = popup.grab().toImage();
    const QRect card = harness.popover().cardGeometry().translated(-popup.geometry().topLeft());
    QVERIFY(image.pixelColor(card.topLeft()).alpha() < 60);
    QVERIFY(image.pixelColor(card.bottomRight()).alpha() < 60);
    QCOMPARE(image.pixelColor(card.topLeft() + QPoint(16, 16)).alpha(), 255);
    // The shadow around the card: faint, but there.
    const QPoint below = card.bottomLeft() + QPoint(card.width() / 2, 4);
    QVERIFY(image.pixelColor(below).alpha() > 0);

    QTest::mouseClick(&harness.canvas(), Qt::LeftButton, {}, QPoint(200, 300));
    QVERIFY(!harness.popover().isShown());
  }

  // With the layout section opened on a 1440×900 display, its preview, note and reset button
  // are in view without the user scrolling.
  void openedLayoutSectionIsInViewOn1440x900() {
    Harness harness(Harness::MenuBar::simulated, QSize(1440, 900));
    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    auto* content = harness.popover().window().findChild<MenuContent*>();
    QVERIFY(content != nullptr);
    QWidget& section = content->layoutSettings();
    QTest::mouseClick(&section.findChild<Disclosure*>()->header(), Qt::LeftButton);
    QVERIFY(content->layoutSettings().isExpanded());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QWidget* viewport = content->viewport();
    const QRect visible(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
    const auto inView = [&visible](const QWidget* widget) {
      return widget != nullptr &&
             visible.contains(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
    };
    QVERIFY(inView(&content->layoutSettings().preview()));
    QVERIFY(inView(findLabel(
        section,
        QStringLiteral("仅示意；不会退出应用或改变 Dock。空间不足时自动避让，重新悬停后生效。"))));
    QVERIFY(inView(section.findChild<QPushButton*>(QStringLiteral("lumivane.reset-layout"))));
    // And the popover itself stays on the display, below the menu bar.
    const QRectF area = *harness.window->space().mainVisibleArea();
    QVERIFY(area.contains(QRectF(harness.popover().cardGeometry())));
  }

  // Opened in a popover too short to show it whole, the layout section scrolls into view as far
  // as it can while its own header stays in view: the user sees what was opened.
  void openingTheLayoutSectionKeepsItsHeaderInView() {
    Harness harness(Harness::MenuBar::simulated, QSize(1280, 500));
    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    auto* content = harness.popover().window().findChild<MenuContent*>();
    QVERIFY(content != nullptr);
    auto& header = content->layoutSettings().findChild<Disclosure*>()->header();
    QTest::mouseClick(&header, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QWidget* viewport = content->viewport();
    const QRect visible(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
    QVERIFY(content->layoutSettings().height() > viewport->height());
    QVERIFY(content->verticalScrollBar()->value() > 0); // it did scroll towards the section
    QVERIFY(visible.contains(QRect(header.mapToGlobal(QPoint(0, 0)), header.size())));
  }

  // A Dock on the right takes the right edge of the visible area, not of the menu bar: the
  // popover opens under its status item all the same.
  void popoverOpensUnderItsStatusItemBesideARightDock() {
    Harness harness(Harness::MenuBar::simulated);
    harness.desktop.placeDock(DockEdge::right);
    harness.desktop.runLoop().drain();
    const QRectF visible = *harness.window->space().mainVisibleArea();
    QAbstractButton* button = harness.statusButton();
    const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    QVERIFY(harness.popover().isShown());
    const QRect card = harness.popover().cardGeometry();
    QVERIFY(visible.right() < card.right()); // where the visible area would have pushed it away
    QVERIFY(card.left() <= anchor.left() && anchor.right() <= card.right());
    const QRect desktopArea(harness.canvas().mapToGlobal(QPoint(0, 0)), harness.canvas().size());
    QCOMPARE(card.right() + 1,
             desktopArea.right() + 1 - static_cast<int>(PopoverChrome::screenMargin));
  }

  // Pressing 恢复默认 disables it; the content stays where it is (the focus it held used to
  // move on to the next control and scroll the popover to it).
  void resettingTheLayoutKeepsTheContentInPlace() {
    Harness harness(Harness::MenuBar::simulated, QSize(1440, 900));
    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    auto* content = harness.popover().window().findChild<MenuContent*>();
    QVERIFY(content != nullptr);
    QVERIFY(QTest::qWaitForWindowActive(&harness.popover().window()));
    HoverLayoutSettings& section = content->layoutSettings();
    QTest::mouseClick(&section.findChild<Disclosure*>()->header(), Qt::LeftButton);
    QCoreApplication::processEvents();
    auto* distance = section.findChild<QComboBox*>(QStringLiteral("lumivane.hover-distance"));
    distance->setCurrentIndex(2);
    emit distance->activated(2);
    QCoreApplication::processEvents();
    auto* reset = section.findChild<QPushButton*>(QStringLiteral("lumivane.reset-layout"));
    QVERIFY(reset->isEnabled());
    reset->setFocus(Qt::TabFocusReason);
    const int offset = content->verticalScrollBar()->value();
    const QPoint place = reset->mapTo(&harness.popover().window(), QPoint(0, 0));
    QTest::keyClick(reset, Qt::Key_Space);
    QCoreApplication::processEvents();
    QVERIFY(!reset->isEnabled());
    QCOMPARE(harness.delegate->settings()->hoverLayout(), HoverLayoutOptions::defaults);
    QCOMPARE(content->verticalScrollBar()->value(), offset);
    QCOMPARE(reset->mapTo(&harness.popover().window(), QPoint(0, 0)), place);
    // The keyboard stays in the section it was in.
    QVERIFY(section.isAncestorOf(QApplication::focusWidget()));
  }

  // On a display 500 points high the welcome window stays below the menu bar and inside the
  // visible area; its content scrolls.
  void welcomeWindowFitsASmallDisplay() {
    Harness harness(Harness::MenuBar::simulated, QSize(1280, 500));
    harness.delegate->showWelcome();
    QCoreApplication::processEvents();
    auto& welcome = static_cast<QtWindow&>(*harness.delegate->welcome());
    const QRect area = harness.window->space().mainVisibleArea()->toAlignedRect();
    QVERIFY(area.contains(welcome.widget().frameGeometry()));
    QVERIFY(welcome.scrollArea().verticalScrollBar()->maximum() > 0);
    welcome.scrollArea().verticalScrollBar()->setValue(
        welcome.scrollArea().verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    QAbstractButton* footer = findButton(welcome.widget(), QStringLiteral("打开辅助功能设置"));
    if (footer == nullptr || !footer->isVisibleTo(&welcome.widget())) {
      footer = findButton(welcome.widget(), QStringLiteral("开始使用"));
    }
    QVERIFY(footer != nullptr);
    const QWidget* viewport = welcome.scrollArea().viewport();
    QVERIFY(QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size())
                .contains(QRect(footer->mapToGlobal(QPoint(0, 0)), footer->size())));
  }

  // The welcome window opens exactly as tall as its content: no empty band below the footer,
  // nothing to scroll.
  void welcomeWindowIsAsTallAsItsContent() {
    Harness harness(Harness::MenuBar::simulated);
    harness.desktop.setAccessibility(false);
    harness.delegate->permissions()->refresh();
    harness.delegate->showWelcome();
    auto& welcome = static_cast<QtWindow&>(*harness.delegate->welcome());
    QWidget* content = welcome.widget().findChild<QWidget*>(QStringLiteral("lumivane.welcome"));
    QVERIFY(content != nullptr);
    // Its height at its own width: the wrapping texts are laid out 540 points wide.
    const int natural = content->layout()->totalHeightForWidth(WelcomeContent::contentWidth);
    QCOMPARE(welcome.scrollArea().viewport()->height(), natural);
    QCOMPARE(content->height(), natural);
    QCOMPARE(welcome.scrollArea().verticalScrollBar()->maximum(), 0);
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
    // Every item goes into macOS's one application menu: no second, English one beside ours.
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions[0]->menuRole(), QAction::AboutRole);
    QCOMPARE(actions[1]->menuRole(), QAction::PreferencesRole);
    QCOMPARE(actions[3]->menuRole(), QAction::ApplicationSpecificRole);
    QCOMPARE(actions[4]->menuRole(), QAction::QuitRole);

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

  // Only the hover shows the ×. Opening the popover and the welcome window activates Lumivane,
  // which brings its visible windows forward: a × that went away stays away, for Qt as for the
  // window server, and counts as no visible window.
  void aHiddenXStaysHiddenWhenLumivaneActivates() {
    Harness harness(Harness::MenuBar::simulated);
    OverlayPanel& panel = harness.panel();
    moveMouse(harness.canvas(), harness.iconCentre("Safari"));
    harness.desktop.advance(1.0);
    QVERIFY(panel.isVisible());
    moveMouse(harness.canvas(), QPoint(640, 300));
    harness.desktop.advance(1.0);
    QVERIFY(!panel.isVisible());
    QVERIFY(!panel.window().isVisible());

    harness.delegate->togglePopover();
    harness.desktop.runLoop().drain();
    QVERIFY(harness.popover().isShown());
    QVERIFY(!panel.isVisible());
    harness.delegate->showWelcome();
    QVERIFY(harness.windowWidget(harness.delegate->welcome()).isVisible());
    QVERIFY(!panel.isVisible());
    QVERIFY(overlayHost() == nullptr);

    harness.delegate->welcome()->performClose();
    QVERIFY(!harness.windows->hasVisibleWindows());
  }

  // Lumivane is not the active application while the user is at the Dock, and Qt's view then
  // says nothing of the pointer to the ×: the panel's own tracking lights it all the same, and
  // puts it out when the pointer leaves.
  void theXLightsUnderThePointerWhileLumivaneIsInactive() {
    Harness harness(Harness::MenuBar::simulated);
    OverlayPanel& panel = harness.panel();
    moveMouse(harness.canvas(), harness.iconCentre("Safari"));
    harness.desktop.advance(1.0);
    QWidget* host = overlayHost();
    QVERIFY(host != nullptr);
    QVERIFY(!panel.button().hovering());

    QTest::mouseMove(host, host->rect().center());
    harness.desktop.advance(0.2);
    QVERIFY(panel.isVisible());
    QVERIFY(panel.button().hovering());
    // The window server tells the panel that the pointer left it.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(host, &leave);
    QVERIFY(!panel.button().hovering());
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
