// The thin Qt ports: the × panel and its button, the flip between the two screen spaces, the
// run loop, user defaults on QSettings and the symbol drawings.

#include "Shell/MenuContent.hpp"
#include "Shell/OverlayPanel.hpp"
#include "Shell/Popover.hpp"
#include "Shell/QtDefaults.hpp"
#include "Shell/QtRunLoop.hpp"
#include "Shell/QtWindows.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/StatusItem.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QVariantAnimation>
#include <QtTest>
#include <cmath>
#include <limits>

using namespace lumivane;
using namespace lumivane::shell;

namespace {

bool near(const QColor& a, const QColor& b) {
  return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 &&
         qAbs(a.blue() - b.blue()) <= 2;
}

bool hasInk(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y).alpha() > 0) {
        return true;
      }
    }
  }
  return false;
}

} // namespace

class PortsTests : public QObject {
  Q_OBJECT

private slots:
  void closeButtonTurnsRedWhileHovered() {
    SystemScreenSpace space;
    OverlayPanel panel(space, {0, 0, 32, 32});
    CloseButton& button = panel.button();
    const auto pixel = [&panel](int x, int y) {
      return panel.window().grab().toImage().pixelColor(x, y);
    };
    const QColor base = button.palette().color(QPalette::Base);
    const QColor label = button.palette().color(QPalette::WindowText);
    QVERIFY(!button.hovering());
    QVERIFY(near(pixel(16, 4), base));   // inside the circle, clear of the cross
    QVERIFY(near(pixel(16, 16), label)); // where the strokes cross
    QCOMPARE(pixel(0, 0).alpha(), 0);    // the panel is clear outside the 28-point circle

    QEnterEvent enter(QPointF(16, 16), QPointF(16, 16), QPointF(16, 16));
    QApplication::sendEvent(&button, &enter);
    QVERIFY(button.hovering());
    QVERIFY(near(pixel(16, 4), QColor(255, 59, 48)));
    QVERIFY(near(pixel(16, 16), Qt::white));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QVERIFY(!button.hovering());
    QVERIFY(near(pixel(16, 4), base));
  }

  void panelPlacesFadesAndClicks() {
    SystemScreenSpace space;
    OverlayPanel panel(space, {0, 0, 32, 32});
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    panel.setFrame({10, 20, 32, 32});
    QCOMPARE(panel.window().geometry(), QRect(10, primary.height() - 52, 32, 32));
    QCOMPARE(panel.frame(), (Rect{10, 20, 32, 32}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    panel.setFrame({nan, 20, 32, 32});
    QCOMPARE(panel.frame(), (Rect{10, 20, 32, 32}));

    const Qt::WindowFlags flags = panel.window().windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(panel.window().testAttribute(Qt::WA_ShowWithoutActivating));

    QVERIFY(!panel.isVisible());
    panel.setAlpha(0);
    panel.orderFrontRegardless();
    QVERIFY(panel.isVisible());
    panel.animateAlpha(1, 0.09);
    auto* fade = panel.window().findChild<QVariantAnimation*>();
    QCOMPARE(fade->duration(), 90);
    fade->setCurrentTime(45);
    // Window opacity is kept in 8 bits.
    QVERIFY(qAbs(panel.alpha() - 0.5) < 0.01);
    fade->setCurrentTime(90);
    QCOMPARE(panel.alpha(), 1.0);

    int clicks = 0;
    panel.setButtonAction([&clicks] { ++clicks; });
    panel.setButtonAccessibilityLabel("退出 Safari");
    panel.setButtonAccessibilityIdentifier("lumivane.quit-overlay");
    QTest::mouseClick(&panel.button(), Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(panel.button().accessibleName(), QStringLiteral("退出 Safari"));
    QCOMPARE(panel.button().toolTip(), QStringLiteral("退出 Safari"));
    QCOMPARE(panel.button().objectName(), QStringLiteral("lumivane.quit-overlay"));
    panel.orderOut();
    QVERIFY(!panel.isVisible());
  }

  // What opens from the status item belongs to the display whose menu bar holds it.
  void popoverUsesTheDisplayUnderTheStatusItem() {
    const std::vector<ScreenArea> screens{
        {QRectF(0, 0, 1440, 900), QRectF(0, 25, 1440, 800)},
        {QRectF(1440, 0, 1280, 600), QRectF(1440, 25, 1280, 575)}};
    const QRectF onSecondary(2660, 0, 25, 25);
    QCOMPARE(screenUnder(onSecondary, screens)->visible, screens[1].visible);
    QCOMPARE(screenUnder(QRectF(1200, 0, 25, 25), screens)->visible, screens[0].visible);
    QVERIFY(!screenUnder(QRectF(5000, 0, 25, 25), screens).has_value());
    // The height limit is the secondary's, not the taller primary's.
    QCOMPARE(MenuHeight::viewHeight(1000, screenUnder(onSecondary, screens)->visible.height()),
             495.0);

    // Centred under the status item, 6 below it; near the right edge it keeps 8 from it.
    const QSizeF card(360, 480);
    const QRectF middle = PopoverChrome::cardFrame(QRectF(2000, 0, 25, 25), card, screens[1]);
    QCOMPARE(middle.center().x(), 2012.5);
    QCOMPARE(middle.top(), 31.0);
    const QRectF edge = PopoverChrome::cardFrame(onSecondary, card, screens[1]);
    QCOMPARE(edge.right(), screens[1].frame.right() - PopoverChrome::screenMargin);
    const QRectF left = PopoverChrome::cardFrame(QRectF(1445, 0, 25, 25), card, screens[1]);
    QCOMPARE(left.left(), screens[1].frame.left() + PopoverChrome::screenMargin);
  }

  // A Dock on the right edge narrows the visible area, not the menu bar: the popover stays
  // under its status item, over the Dock, as far as the display itself allows.
  void popoverStaysUnderItsStatusItemBesideARightDock() {
    const ScreenArea screen{QRectF(0, 0, 1440, 900), QRectF(0, 25, 1370, 875)};
    const QSizeF card(360, 480);
    const QRectF anchor(1200, 0, 25, 25);
    const QRectF frame = PopoverChrome::cardFrame(anchor, card, screen);
    QCOMPARE(frame.center().x(), anchor.center().x());
    QVERIFY(frame.right() > screen.visible.right());
    // Near the corner, only the display's own edge moves it.
    const QRectF corner = PopoverChrome::cardFrame(QRectF(1400, 0, 25, 25), card, screen);
    QCOMPARE(corner.right(), screen.frame.right() - PopoverChrome::screenMargin);
  }

  void windowsFitTheVisibleArea() {
    const QRect area(0, 25, 1280, 420);
    // Taller than the area: shrunk below the title bar, with room for the scroll bar.
    const QRect tall = WindowFit::contentGeometry(QSize(540, 720), QMargins(0, 28, 0, 0), area, 15);
    QCOMPARE(tall, QRect(362, 53, 555, 392));
    // Smaller: its own size, centred.
    const QRect small =
        WindowFit::contentGeometry(QSize(360, 300), QMargins(0, 28, 0, 0), area, 15);
    QCOMPARE(small.size(), QSize(360, 300));
    QCOMPARE(small.top(), 25 + (420 - 328) / 2 + 28);
  }

  // A symbol wider than its square is scaled down whole, in its proportions; a narrow one keeps
  // its size, centred.
  void symbolsKeepTheirAspectInTheirSquare() {
    QCOMPARE(symbols::fit(QSizeF(30, 20), QRectF(0, 0, 24, 24)), QRectF(0, 4, 24, 16));
    QCOMPARE(symbols::fit(QSizeF(12, 20), QRectF(0, 0, 24, 24)), QRectF(6, 2, 12, 20));
    QCOMPARE(symbols::fit(QSizeF(20, 30), QRectF(10, 10, 24, 24)), QRectF(14, 10, 16, 24));
    QVERIFY(symbols::fit(QSizeF(), QRectF(0, 0, 24, 24)).isEmpty());
  }

  // A quick second click arrives from the tray as a double click and a right click as the
  // context request; each toggles like any click. The middle button does nothing.
  void trayClicksIncludeTheQuickSecondOneAndTheRightButton() {
    SystemScreenSpace space;
    TrayStatusItem item(space);
    int clicks = 0;
    item.setButtonAction([&clicks] { ++clicks; });
    emit item.tray().activated(QSystemTrayIcon::Trigger);
    emit item.tray().activated(QSystemTrayIcon::DoubleClick);
    emit item.tray().activated(QSystemTrayIcon::Context);
    emit item.tray().activated(QSystemTrayIcon::MiddleClick);
    QCOMPARE(clicks, 3);
    // A mask: a template image where the tray has them.
    item.setSymbol(symbols::dockRectangle, "Lumivane");
    QVERIFY(item.tray().icon().isMask());
  }

  // The badge belongs to the status item, not to its symbol: reconciliation sets a symbol at
  // every change and the badge stays until it is taken off. It sits in a notch of the symbol.
  void trayBadgeOutlastsNewSymbols() {
    SystemScreenSpace space;
    TrayStatusItem item(space);
    const auto dot = [&item] {
      return item.tray().icon().pixmap(QSize(18, 18)).toImage().pixelColor(15, 2);
    };
    item.setSymbol(symbols::dockRectangle, "Lumivane");
    QVERIFY(!near(dot(), style::orange()));
    item.setBadge(true);
    QVERIFY(near(dot(), style::orange()));
    item.setSymbol(symbols::exclamationmarkCircle, "Lumivane");
    QVERIFY(near(dot(), style::orange()));
    QVERIFY(item.tray().icon().isMask());
    item.setBadge(false);
    QVERIFY(!near(dot(), style::orange()));

    const QImage plain =
        statusItemImage(symbols::exclamationmarkCircle, 18, Qt::black, std::nullopt, 1).toImage();
    const QImage badged =
        statusItemImage(symbols::exclamationmarkCircle, 18, Qt::black, Qt::red, 1).toImage();
    // The circle's ink passes under the notch at the top trailing corner.
    QVERIFY(plain.pixelColor(12, 2).alpha() > 0);
    QCOMPARE(badged.pixelColor(12, 2).alpha(), 0);
    QCOMPARE(badged.pixelColor(3, 9), plain.pixelColor(3, 9));
  }

  // Around the dot runs a ring of clear space a point and a half wide at the least, so that the
  // dot reads as a dot of its own against the symbol's ink, in one colour too.
  void badgeSitsInAClearRing() {
    constexpr double ratio = 4;
    for (const auto symbol : {symbols::dockRectangle, symbols::exclamationmarkCircle}) {
      const QImage plain = statusItemImage(symbol, 18, Qt::black, std::nullopt, ratio).toImage();
      const QImage badged = statusItemImage(symbol, 18, Qt::black, Qt::red, ratio).toImage();
      const QPointF centre(15.5, 2.5); // the 5-point dot at the top trailing corner
      int ringPixels = 0;
      for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
          const QPointF point((x + 0.5) / ratio, (y + 0.5) / ratio);
          const double distance = std::hypot(point.x() - centre.x(), point.y() - centre.y());
          if (distance > 2.5 + 0.25 && distance < 2.5 + 1.5 && plain.pixelColor(x, y).alpha() > 0) {
            ++ringPixels;
            QCOMPARE(badged.pixelColor(x, y).alpha(), 0);
          }
        }
      }
      QVERIFY2(ringPixels > 0, symbol.data());
    }
  }

  // Asking for attention, the status item keeps Lumivane's own symbol and adds an exclamation
  // badge at its bottom trailing corner, set off by a clear ring (it used to become a generic
  // exclamation mark in a circle, losing the app's identity).
  void attentionSymbolKeepsLumivanesIdentity() {
    constexpr double ratio = 4;
    const QImage plain =
        symbols::pixmap(symbols::dockRectangle, 24, Qt::black, QFont::Normal, ratio).toImage();
    const QImage attention = symbols::pixmap(symbols::dockRectangleBadgeExclamationmark, 24,
                                             Qt::black, QFont::Normal, ratio)
                                 .toImage();
    const QPointF badge(18.5, 17.5);
    int same = 0;
    int ring = 0;
    for (int y = 0; y < plain.height(); ++y) {
      for (int x = 0; x < plain.width(); ++x) {
        const QPointF point((x + 0.5) / ratio, (y + 0.5) / ratio);
        const double distance = std::hypot(point.x() - badge.x(), point.y() - badge.y());
        if (distance > 7.5) {
          QCOMPARE(attention.pixelColor(x, y), plain.pixelColor(x, y));
          same += plain.pixelColor(x, y).alpha() > 0 ? 1 : 0;
        } else if (distance > 5.4 && distance < 6.6 && plain.pixelColor(x, y).alpha() > 0) {
          ++ring;
          QCOMPARE(attention.pixelColor(x, y).alpha(), 0);
        }
      }
    }
    QVERIFY(same > 0 && ring > 0);
    // The badge is a disc with the exclamation mark punched out of it.
    const auto at = [&attention, ratio](double x, double y) {
      return attention.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
    };
    QVERIFY(at(badge.x() + 3.5, badge.y()).alpha() > 200);
    QCOMPARE(at(badge.x(), badge.y() - 1).alpha(), 0);
  }

  void spacesFlipAboutThePrimaryDisplay() {
    const QRectF primary(0, 0, 1440, 900);
    QCOMPARE(flipToTopLeft({10, 848, 32, 32}, primary), QRectF(10, 20, 32, 32));
    QCOMPARE(flipToBottomLeft(QRectF(10, 20, 32, 32), primary), (Rect{10, 848, 32, 32}));
    // A secondary display above the primary one, and a Qt space that starts elsewhere.
    const QRectF shifted(100, 50, 1440, 900);
    QCOMPARE(flipToTopLeft({0, 900, 1440, 900}, shifted), QRectF(100, -850, 1440, 900));
    QCOMPARE(flipToBottomLeft(QRectF(100, -850, 1440, 900), shifted), (Rect{0, 900, 1440, 900}));
  }

  void runLoopRunsAsyncBlocksOnALaterTurnInOrder() {
    QtRunLoop loop;
    std::vector<int> order;
    loop.async([&order] { order.push_back(1); });
    loop.async([&order] { order.push_back(2); });
    QVERIFY(order.empty());
    QCoreApplication::processEvents();
    QCOMPARE(order, (std::vector<int>{1, 2}));

    const double before = loop.uptime();
    QVERIFY(before > 0);
    QVERIFY(loop.uptime() >= before);

    auto timer = loop.scheduleRepeating(1.0 / 30, 0.004, [] {});
    QVERIFY(timer->isValid());
    timer->invalidate();
    QVERIFY(!timer->isValid());
  }

  void runLoopDropsBlocksQueuedBeforeItGoes() {
    bool ran = false;
    {
      QtRunLoop loop;
      loop.async([&ran] { ran = true; });
    }
    QCoreApplication::processEvents();
    QVERIFY(!ran);
  }

  void defaultsPersistAndReadLikeUserDefaults() {
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("defaults.ini"));
    {
      QtDefaults defaults(path);
      defaults.registerDefaults({{"hoverEnabled", true}});
      QVERIFY(defaults.boolForKey("hoverEnabled"));
      QVERIFY(!defaults.boolForKey("unknown"));
      defaults.setBool("middleEnabled", false);
      defaults.setString("hoverPosition", "leading");
    }
    QtDefaults reopened(path);
    QVERIFY(!reopened.boolForKey("hoverEnabled")); // registered values are never stored
    QVERIFY(!reopened.boolForKey("middleEnabled"));
    QCOMPARE(reopened.stringForKey("hoverPosition"), std::optional<std::string>("leading"));
    QCOMPARE(reopened.stringForKey("absent"), std::nullopt);

    QSettings raw(path, QSettings::IniFormat);
    raw.setValue(QStringLiteral("yes"), QStringLiteral("YES"));
    raw.setValue(QStringLiteral("zero"), QStringLiteral("0"));
    raw.setValue(QStringLiteral("word"), QStringLiteral("maybe"));
    raw.setValue(QStringLiteral("number"), 2);
    raw.sync();
    QtDefaults typed(path);
    QVERIFY(typed.boolForKey("yes"));
    QVERIFY(!typed.boolForKey("zero"));
    QVERIFY(!typed.boolForKey("word"));
    QVERIFY(typed.boolForKey("number"));
    QCOMPARE(typed.stringForKey("number"), std::optional<std::string>("2"));
  }

  void everySymbolDrawsAndUnknownNamesDrawNothing() {
    for (const auto name :
         {symbols::dockRectangle, symbols::dockRectangleBadgeExclamationmark,
          symbols::exclamationmarkCircle, symbols::xmark, symbols::arrowCounterclockwise,
          symbols::folderFill, symbols::safari, symbols::noteText, symbols::cursorarrow,
          symbols::computermouse, symbols::sunrise, symbols::handRaised, symbols::handRaisedFill,
          symbols::checkmarkShield, symbols::checkmarkShieldFill, symbols::pauseCircle,
          symbols::infoCircle}) {
      QVERIFY2(hasInk(symbols::pixmap(name, 24, Qt::black)), name.data());
    }
    QVERIFY(!symbols::isKnown("gearshape"));
    QVERIFY(!hasInk(symbols::pixmap("gearshape", 24, Qt::black)));
    // The filled shield shows its check mark as a hole.
    const QImage shield =
        symbols::pixmap(symbols::checkmarkShieldFill, 24, Qt::black, QFont::Normal, 1).toImage();
    QCOMPARE(shield.pixelColor(11, 14).alpha(), 0);
    QVERIFY(shield.pixelColor(12, 6).alpha() > 200);
  }
};

QTEST_MAIN(PortsTests)
#include "PortsTests.moc"
