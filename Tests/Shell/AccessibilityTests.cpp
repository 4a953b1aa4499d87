// What VoiceOver is given: controls named by their visible labels while identifiers stay
// identifiers, drawings that carry meaning as labelled images, decoration hidden, disclosure
// headers named by their titles, and the status item's description of its badge.

#include "Shell/Controls.hpp"
#include "Shell/DockDemo.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/ProtectedAppsEditor.hpp"
#include "Shell/StatusItem.hpp"
#include "Shell/WelcomeContent.hpp"
#include "ShellTestSupport.hpp"

#include <QAccessible>
#include <QtTest>
#include <vector>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

namespace {

QAccessibleInterface* element(QWidget& widget) {
  return QAccessible::queryAccessibleInterface(&widget);
}

// What a screen reader calls a control: the label that names it (a picker's buddy), else its own
// name.
QString spokenLabel(QWidget& widget) {
  QAccessibleInterface* self = element(widget);
  for (const auto& [other, relation] : self->relations(QAccessible::Label)) {
    (void)relation;
    return other->text(QAccessible::Name);
  }
  return self->text(QAccessible::Name);
}

QWidget* identified(QWidget& root, const char* identifier) {
  const QString name = QString::fromUtf8(identifier);
  return root.objectName() == name ? &root : root.findChild<QWidget*>(name);
}

// Records what a status item is told.
class RecordingStatusButton final : public StatusButton {
public:
  std::vector<std::pair<std::string, std::string>>& symbols;
  bool badge = false;

  explicit RecordingStatusButton(std::vector<std::pair<std::string, std::string>>& record)
      : symbols(record) {}

  bool hasButton() override { return true; }
  void setButtonAction(std::function<void()>) override {}
  void setButtonAccessibilityIdentifier(std::string_view) override {}
  void setSymbol(std::string_view name, std::string_view description) override {
    symbols.emplace_back(name, description);
  }
  void setToolTip(std::string_view) override {}
  void setBadge(bool on) override { badge = on; }
  Rect buttonScreenFrame() override { return {}; }
  void setHighlighted(bool) override {}
};

} // namespace

class AccessibilityTests : public QObject {
  Q_OBJECT

private slots:
  // Every identifier the views carry is an identifier only: the control is spoken by its
  // visible label (VoiceOver used to read "lumivane.reset-layout" for 恢复默认).
  void namesAreLabelsAndIdentifiersStayIdentifiers() {
    Services services;
    services.runtime->show(QuitLine{QuitOutcome::ended, "Safari"});
    services.runtime->setOffersReopen(true);
    MenuContent menu(services.menuModel(), 900);
    menu.layoutSettings().setExpanded(true);
    WelcomeContent welcome({services.permissions, {}, {}});

    struct Expected {
      QWidget* root;
      const char* identifier;
      QString label; // empty: a container, which has no name of its own
    };
    const Expected expected[] = {
        {&menu.content(), "lumivane.menu", {}},
        {&menu.content(), "lumivane.operation-status", QStringLiteral("「Safari」已退出")},
        {&menu.content(), "lumivane.reopen", QStringLiteral("重新打开")},
        {&menu.content(), "lumivane.hover-position", QStringLiteral("位置偏好")},
        {&menu.content(), "lumivane.hover-distance", QStringLiteral("距离")},
        {&menu.content(), "lumivane.preview-edge", QStringLiteral("预览 Dock")},
        {&menu.content(), "lumivane.reset-layout", QStringLiteral("恢复默认")},
        {&menu.content(), "lumivane.protected-apps", {}},
        {&welcome, "lumivane.welcome", {}},
    };
    for (const Expected& row : expected) {
      QWidget* widget = identified(*row.root, row.identifier);
      QVERIFY2(widget != nullptr, row.identifier);
      QCOMPARE(widget->objectName(), QString::fromUtf8(row.identifier));
      QVERIFY2(!element(*widget)->text(QAccessible::Name).startsWith(QStringLiteral("lumivane.")),
               row.identifier);
      if (!row.label.isEmpty()) {
        QCOMPARE(spokenLabel(*widget), row.label);
      }
    }
  }

  // A disclosure header is a button that names what it opens.
  void disclosureHeadersAreNamedByTheirTitles() {
    Services services;
    MenuContent menu(services.menuModel(), 900);
    QStringList names;
    for (Disclosure* disclosure : menu.content().findChildren<Disclosure*>()) {
      names << element(disclosure->header())->text(QAccessible::Name);
    }
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("受保护的应用"),
                                 QStringLiteral("已开启，但仍显示未授权？"),
                                 QStringLiteral("退出按钮布局")}));
  }

  // Drawings that say something are one labelled image each (a plain widget is a container that
  // VoiceOver skips); the demonstration's icons repeat what its caption says and are hidden.
  void drawingsAreLabelledImagesAndDecorationIsHidden() {
    Services services;
    MenuContent menu(services.menuModel(), 900);
    Dot* dot = nullptr;
    for (Dot* candidate : menu.content().findChildren<Dot*>()) {
      if (!candidate->accessibleName().isEmpty()) {
        dot = candidate;
      }
    }
    QVERIFY(dot != nullptr);
    QCOMPARE(element(*dot)->role(), QAccessible::Graphic);
    QCOMPARE(element(*dot)->text(QAccessible::Name), QStringLiteral("需要处理"));
    services.grantAccessibility(true);
    services.permissions->setMiddleAvailable(true);
    QCOMPARE(element(*dot)->text(QAccessible::Name), QStringLiteral("功能已就绪"));

    HoverLayoutPreview& preview = menu.layoutSettings().preview();
    QCOMPARE(element(preview)->role(), QAccessible::Graphic);
    QCOMPARE(element(preview)->childCount(), 0);
    QCOMPARE(element(preview)->text(QAccessible::Name), QStringLiteral("退出按钮位置示意"));

    DockDemo demo;
    demo.show(); // an unshown widget is invisible to everyone
    int hidden = 0;
    for (QWidget* child : demo.findChildren<QWidget*>()) {
      if (element(*child)->state().invisible) {
        ++hidden;
        QCOMPARE(element(*child)->childCount(), 0);
      }
    }
    QCOMPARE(hidden, 3); // the three icons, each with its running dot
    QVERIFY(!element(demo.button())->state().invisible);
    QCOMPARE(element(demo.button())->text(QAccessible::Name), QStringLiteral("体验退出演示"));
  }

  // The badge is more than a dot: while it shows, the status item's description says what it
  // stands for, through every change of symbol, and says nothing more once it is gone.
  void theStatusItemDescribesItsBadge() {
    std::vector<std::pair<std::string, std::string>> symbols;
    auto recording = std::make_unique<RecordingStatusButton>(symbols);
    RecordingStatusButton& inner = *recording;
    DescribedStatusButton button(std::move(recording));

    button.setBadge(true); // before any symbol: nothing to describe yet
    QVERIFY(inner.badge);
    QVERIFY(symbols.empty());
    button.setSymbol("dock.rectangle", "Lumivane");
    QCOMPARE(symbols.back().second, std::string("Lumivane，有未查看的退出结果"));
    button.setSymbol("dock.rectangle.badge.exclamationmark", "Lumivane");
    QCOMPARE(symbols.back(),
             (std::pair<std::string, std::string>{"dock.rectangle.badge.exclamationmark",
                                                  "Lumivane，有未查看的退出结果"}));
    const std::size_t told = symbols.size();
    button.setBadge(true);
    QCOMPARE(symbols.size(), told); // unchanged: not told again
    button.setBadge(false);
    QVERIFY(!inner.badge);
    QCOMPARE(symbols.back(), (std::pair<std::string, std::string>{
                                 "dock.rectangle.badge.exclamationmark", "Lumivane"}));
  }
};

QTEST_MAIN(AccessibilityTests)
#include "AccessibilityTests.moc"
