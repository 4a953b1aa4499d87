// The thin Qt ports: the × panel and its button, the flip between the two screen spaces, the
// run loop, user defaults on QSettings and the symbol drawings.

#include "Shell/OverlayPanel.hpp"
#include "Shell/QtDefaults.hpp"
#include "Shell/QtRunLoop.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/Symbols.hpp"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTemporaryDir>
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
    auto* fade = panel.window().findChild<QPropertyAnimation*>();
    QCOMPARE(fade->duration(), 90);
    QCOMPARE(fade->propertyName(), QByteArray("windowOpacity"));
    fade->setCurrentTime(90);
    QCOMPARE(panel.alpha(), 1.0);

    int clicks = 0;
    panel.setButtonAction([&clicks] { ++clicks; });
    panel.setButtonAccessibilityLabel("退出 Safari");
    panel.setButtonAccessibilityIdentifier("lumivane.quit-overlay");
    QTest::mouseClick(&panel.button(), Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(panel.button().accessibleName(), QStringLiteral("退出 Safari"));
    QCOMPARE(panel.button().objectName(), QStringLiteral("lumivane.quit-overlay"));
    panel.orderOut();
    QVERIFY(!panel.isVisible());
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
         {Symbols::dockRectangle, Symbols::exclamationmarkCircle, Symbols::xmark,
          Symbols::arrowCounterclockwise, Symbols::folderFill, Symbols::safari, Symbols::noteText,
          Symbols::cursorarrow, Symbols::computermouse, Symbols::sunrise, Symbols::handRaised,
          Symbols::handRaisedFill, Symbols::checkmarkShield, Symbols::checkmarkShieldFill,
          Symbols::pauseCircle, Symbols::infoCircle}) {
      QVERIFY2(hasInk(Symbols::pixmap(name, 24, Qt::black)), name.data());
    }
    QVERIFY(!Symbols::isKnown("gearshape"));
    QVERIFY(!hasInk(Symbols::pixmap("gearshape", 24, Qt::black)));
    // The filled shield shows its check mark as a hole.
    const QImage shield =
        Symbols::pixmap(Symbols::checkmarkShieldFill, 24, Qt::black, QFont::Normal, 1).toImage();
    QCOMPARE(shield.pixelColor(11, 14).alpha(), 0);
    QVERIFY(shield.pixelColor(12, 6).alpha() > 200);
  }
};

QTEST_MAIN(PortsTests)
#include "PortsTests.moc"
