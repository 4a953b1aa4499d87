// The × layout section: the badge and reset, pickers writing through the settings store, the
// preview edge as a viewing choice only, and the preview's placement, labels and caption.

#include "Shell/HoverLayoutSettings.hpp"
#include "ShellTestSupport.hpp"

#include <QComboBox>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

Q_DECLARE_METATYPE(lumivane::DockEdge)
Q_DECLARE_METATYPE(lumivane::HoverLayoutOptions)
Q_DECLARE_METATYPE(lumivane::Rect)

namespace {

QComboBox* picker(QWidget& section, const char* identifier) {
  return section.findChild<QComboBox*>(QString::fromUtf8(identifier));
}

// Chooses an option as the user does: the pop-up reports the activated row.
void choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// Chooses the preview edge as the user does, by the tab's title.
void chooseEdge(HoverLayoutSettings& section, const QString& title) {
  QTabBar& edges = section.edgePicker();
  for (int index = 0; index < edges.count(); ++index) {
    if (edges.tabText(index) == title) {
      QTest::mouseClick(&edges, Qt::LeftButton, {}, edges.tabRect(index).center());
      return;
    }
  }
  QFAIL("no such edge");
}

QStringList positionTitles(HoverLayoutSettings& section) {
  QStringList titles;
  QComboBox* box = picker(section, "lumivane.hover-position");
  for (int index = 0; index < box->count(); ++index) {
    titles << box->itemText(index);
  }
  return titles;
}

} // namespace

class HoverLayoutSettingsTests : public QObject {
  Q_OBJECT

private slots:
  void startsCollapsedWithTheGivenEdge() {
    Services services;
    HoverLayoutSettings section(services.settings, DockEdge::right);
    QVERIFY(!section.isExpanded());
    QVERIFY(!picker(section, "lumivane.hover-position")->isVisibleTo(&section));
    QCOMPARE(section.edge(), DockEdge::right);
    QCOMPARE(section.edgePicker().tabText(section.edgePicker().currentIndex()),
             QStringLiteral("右侧"));
    QCOMPARE(section.edgePicker().objectName(), QStringLiteral("lumivane.preview-edge"));
    QCOMPARE(section.preview().placement()->frame, (Rect{193, 39, 32, 32}));
    section.setExpanded(true);
    QVERIFY(picker(section, "lumivane.hover-position")->isVisibleTo(&section));
  }

  void badgeAndResetFollowTheStoredLayout() {
    Services services;
    HoverLayoutSettings section(services.settings, DockEdge::bottom);
    auto* reset = section.findChild<QPushButton*>(QStringLiteral("lumivane.reset-layout"));
    QVERIFY(shows(section, QStringLiteral("默认")));
    QVERIFY(!reset->isEnabled());

    choose(picker(section, "lumivane.hover-distance"), 2); // 宽松
    QCOMPARE(services.settings->hoverLayout().distance, HoverDistance::spacious);
    QCOMPARE(services.desktop.storedText("hoverDistance"), std::optional<std::string>("spacious"));
    QVERIFY(shows(section, QStringLiteral("自定")));
    QVERIFY(reset->isEnabled());
    QCOMPARE(section.preview().placement()->frame, (Rect{128, 37, 32, 32}));

    choose(picker(section, "lumivane.hover-position"), 1); // 上方偏左
    QCOMPARE(services.settings->hoverLayout(),
             (HoverLayoutOptions{HoverPosition::leading, HoverDistance::spacious}));
    QCOMPARE(services.desktop.storedText("hoverPosition"), std::optional<std::string>("leading"));

    reset->click();
    QCOMPARE(services.settings->hoverLayout(), HoverLayoutOptions::defaults);
    QCOMPARE(services.desktop.storedText("hoverPosition"), std::optional<std::string>("automatic"));
    QCOMPARE(services.desktop.storedText("hoverDistance"), std::optional<std::string>("standard"));
    QVERIFY(shows(section, QStringLiteral("默认")));
    QVERIFY(!reset->isEnabled());
    QCOMPARE(picker(section, "lumivane.hover-position")->currentIndex(), 0);
    QCOMPARE(picker(section, "lumivane.hover-distance")->currentIndex(), 1);
  }

  void followsChangesMadeElsewhere() {
    Services services;
    HoverLayoutSettings section(services.settings, DockEdge::bottom);
    services.settings->setHoverLayout({HoverPosition::trailing, HoverDistance::compact});
    QCOMPARE(picker(section, "lumivane.hover-position")->currentIndex(), 2);
    QCOMPARE(picker(section, "lumivane.hover-distance")->currentIndex(), 0);
    QCOMPARE(section.preview().placement()->frame, (Rect{153, 58, 32, 32}));
  }

  void previewEdgeIsAViewingChoiceOnly() {
    Services services;
    HoverLayoutSettings section(services.settings, DockEdge::bottom);
    section.setExpanded(true);
    section.show();
    const std::size_t writes = services.desktop.defaultsWriteCount();
    chooseEdge(section, QStringLiteral("左侧"));
    QCOMPARE(section.edge(), DockEdge::left);
    QCOMPARE(section.preview().placement()->frame, (Rect{63, 39, 32, 32}));
    QCOMPARE(services.settings->hoverLayout(), HoverLayoutOptions::defaults);
    QCOMPARE(services.desktop.defaultsWriteCount(), writes);
  }

  // Beside a side Dock the × goes above or below the name label, never to its left or right:
  // the positions are named as they look on the edge the preview shows, and choosing one
  // stores the same option whatever it is called.
  void positionNamesAreTrueOnThePreviewedEdge() {
    Services services;
    HoverLayoutSettings section(services.settings, DockEdge::bottom);
    section.setExpanded(true);
    section.show();
    QCOMPARE(positionTitles(section),
             (QStringList{QStringLiteral("自动"), QStringLiteral("上方偏左"),
                          QStringLiteral("上方偏右")}));
    chooseEdge(section, QStringLiteral("左侧"));
    QCOMPARE(positionTitles(section),
             (QStringList{QStringLiteral("自动"), QStringLiteral("侧边偏上"),
                          QStringLiteral("侧边偏下")}));
    choose(picker(section, "lumivane.hover-position"), 2);
    QCOMPARE(services.settings->hoverLayout().position, HoverPosition::trailing);
    // And the preview agrees: below the name label, which is centred on the icon.
    const Rect frame = section.preview().placement()->frame;
    QVERIFY(frame.minY() > HoverLayoutPreview::nameLabelCentre(DockEdge::left).y);
    chooseEdge(section, QStringLiteral("右侧"));
    QCOMPARE(picker(section, "lumivane.hover-position")->currentText(), QStringLiteral("侧边偏下"));
    chooseEdge(section, QStringLiteral("底部"));
    QCOMPARE(picker(section, "lumivane.hover-position")->currentText(), QStringLiteral("上方偏右"));
    QVERIFY(section.preview().placement()->frame.minX() >
            HoverLayoutPreview::iconFrame(DockEdge::bottom).midX());
  }

  void hoverOffKeepsThePickersWorking() {
    Services services;
    const QString note = QStringLiteral("悬停已关闭，布局偏好仍会保留");
    HoverLayoutSettings section(services.settings, DockEdge::bottom);
    QVERIFY(!shows(section, note));
    services.settings->setHoverEnabled(false);
    section.setExpanded(true);
    QVERIFY(shows(section, note));
    QVERIFY(picker(section, "lumivane.hover-distance")->isEnabled());
    choose(picker(section, "lumivane.hover-distance"), 0);
    QCOMPARE(services.settings->hoverLayout().distance, HoverDistance::compact);
  }

  void preview_data() {
    QTest::addColumn<HoverLayoutOptions>("options");
    QTest::addColumn<DockEdge>("edge");
    QTest::addColumn<Rect>("canvas");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Rect>("frame"); // empty: no ×

    const HoverLayoutOptions leading{HoverPosition::leading, HoverDistance::standard};
    const Rect canvas = HoverLayoutPreview::defaultCanvas;
    const QString normal = QStringLiteral("退出按钮位置示意");
    QTest::newRow("bottom") << HoverLayoutOptions::defaults << DockEdge::bottom << canvas << normal
                            << QString() << Rect{128, 53, 32, 32};
    QTest::newRow("left") << HoverLayoutOptions::defaults << DockEdge::left << canvas << normal
                          << QString() << Rect{63, 39, 32, 32};
    QTest::newRow("right") << HoverLayoutOptions::defaults << DockEdge::right << canvas << normal
                           << QString() << Rect{193, 39, 32, 32};
    // Above the name band leaves a canvas cut at y = 50; the default goes below it.
    QTest::newRow("fallback") << leading << DockEdge::left << Rect{0, 50, 288, 140}
                              << QStringLiteral("空间不足，预览采用自动位置")
                              << QStringLiteral("空间不足，采用自动位置") << Rect{63, 119, 32, 32};
    QTest::newRow("nothing fits") << leading << DockEdge::left << Rect{0, 50, 288, 100}
                                  << QStringLiteral("空间不足，退出按钮将隐藏") << QString()
                                  << Rect{};
  }

  void preview() {
    QFETCH(HoverLayoutOptions, options);
    QFETCH(DockEdge, edge);
    QFETCH(Rect, canvas);
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(Rect, frame);
    HoverLayoutPreview preview(options, edge, canvas);
    QCOMPARE(preview.accessibleName(), label);
    QCOMPARE(preview.caption(), caption);
    QCOMPARE(preview.placement().has_value(), !isEmpty(frame));
    if (preview.placement()) {
      QCOMPARE(preview.placement()->frame, frame);
    }
    QCOMPARE(preview.size(), QSize(288, static_cast<int>(canvas.height)));
  }

  void previewGeometryPerEdge() {
    QCOMPARE(HoverLayoutPreview::nameLabelCentre(DockEdge::bottom), (Point{144, 109}));
    QCOMPARE(HoverLayoutPreview::nameLabelCentre(DockEdge::left), (Point{107, 95}));
    QCOMPARE(HoverLayoutPreview::nameLabelCentre(DockEdge::right), (Point{181, 95}));
    QCOMPARE(HoverLayoutPreview::dockBarFrame(DockEdge::right), (Rect{224, 16, 64, 158}));
  }
};

QTEST_MAIN(HoverLayoutSettingsTests)
#include "HoverLayoutSettingsTests.moc"
