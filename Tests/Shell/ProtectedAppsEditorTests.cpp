// The protected-apps section: switches that write the list at once, the protected applications
// that are not running, rows that stay while the section lives, and its place in the popover.

#include "Shell/MenuContent.hpp"
#include "Shell/ProtectedAppsEditor.hpp"
#include "Shell/SettingRow.hpp"
#include "ShellTestSupport.hpp"

#include <QtTest>
#include <string>
#include <vector>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

namespace {

const std::vector<ProtectableApp> runningNow{
    {"com.apple.Terminal", "终端", "/Applications/Utilities/Terminal.app"},
    {"com.apple.Safari", "Safari", "/Applications/Safari.app"},
    {"", "Script Runner", "/Users/me/Script Runner.app"}};

// The switch row named `title`, or null.
SettingRow* rowNamed(QWidget& root, const QString& title) {
  for (SettingRow* row : root.findChildren<SettingRow*>()) {
    if (row->toggle().accessibleName() == title && row->isVisibleTo(&root)) {
      return row;
    }
  }
  return nullptr;
}

QStringList rowTitles(QWidget& root) {
  QStringList titles;
  for (SettingRow* row : root.findChildren<SettingRow*>()) {
    if (row->isVisibleTo(&root)) {
      titles << row->toggle().accessibleName();
    }
  }
  return titles;
}

std::vector<std::string> stored(Services& services) {
  return services.desktop.storedTexts("protectedApps").value_or(std::vector<std::string>{});
}

} // namespace

class ProtectedAppsEditorTests : public QObject {
  Q_OBJECT

private slots:
  void switchesWriteTheListAtOnceAndRowsStay() {
    Services services;
    ProtectedAppsEditor editor(services.settings, [] { return runningNow; });
    editor.setExpanded(true);
    QCOMPARE(rowTitles(editor), (QStringList{QStringLiteral("Safari"), QStringLiteral("终端")}));

    SettingRow* terminal = rowNamed(editor, QStringLiteral("终端"));
    QVERIFY(terminal != nullptr);
    QVERIFY(!terminal->toggle().isChecked());
    terminal->toggle().click();
    QVERIFY(services.settings->protectedApps().contains("com.apple.Terminal"));
    QCOMPARE(stored(services), std::vector<std::string>{"com.apple.Terminal"});
    QVERIFY(terminal->toggle().isChecked());
    QVERIFY(shows(editor, QStringLiteral("1")));

    terminal->toggle().click();
    QVERIFY(stored(services).empty());
    QVERIFY(!terminal->toggle().isChecked());
    QVERIFY(!shows(editor, QStringLiteral("1")));
  }

  // A protected application that is not running has a row of its own, switched on; turned off
  // by mistake, it stays to be turned on again.
  void protectedApplicationsNotRunningAppear() {
    Services services;
    services.settings->setProtected("com.example.Recorder", true);
    int asked = 0;
    ProtectedAppsEditor editor(services.settings, [&asked] {
      ++asked;
      return runningNow;
    });
    QCOMPARE(asked, 0); // the workspace is asked only once the list is in view
    QVERIFY(shows(editor, QStringLiteral("1")));
    editor.setExpanded(true);
    QCOMPARE(asked, 1);
    // Known only by its identifier, it is named after the identifier's last part, and the
    // identifier itself is said beneath.
    QCOMPARE(rowTitles(editor), (QStringList{QStringLiteral("Safari"), QStringLiteral("终端"),
                                             QStringLiteral("Recorder")}));
    SettingRow* recorder = rowNamed(editor, QStringLiteral("Recorder"));
    QVERIFY(recorder != nullptr && recorder->toggle().isChecked());
    QVERIFY(findLabel(*recorder, QStringLiteral("未在运行 · com.example.Recorder")) != nullptr);
    // A running application with a name shows its name only, no identifier.
    SettingRow* safari = rowNamed(editor, QStringLiteral("Safari"));
    QVERIFY(findLabel(*safari, QStringLiteral("com.apple.Safari")) == nullptr);

    recorder->toggle().click();
    QVERIFY(stored(services).empty());
    runDeferredDeletes();
    recorder = rowNamed(editor, QStringLiteral("Recorder"));
    QVERIFY(recorder != nullptr && !recorder->toggle().isChecked());
    recorder->toggle().click();
    QCOMPARE(stored(services), std::vector<std::string>{"com.example.Recorder"});

    // A change made elsewhere while the list is open shows at once.
    services.settings->setProtected("com.utmapp.UTM", true);
    runDeferredDeletes();
    QVERIFY(rowTitles(editor).contains(QStringLiteral("UTM")));
    QVERIFY(rowNamed(editor, QStringLiteral("UTM"))->toggle().isChecked());
  }

  void emptyWhenNothingCanBeProtected() {
    Services services;
    ProtectedAppsEditor editor(services.settings, {});
    editor.setExpanded(true);
    QVERIFY(rowTitles(editor).isEmpty());
    QVERIFY(shows(editor, QStringLiteral("没有正在运行的应用")));
  }

  // The popover holds the section, collapsed at first, fed by the coordinator's running apps.
  void isPartOfThePopover() {
    Services services;
    presentation::MenuContentModel model = services.menuModel();
    model.runningApps = [] { return runningNow; };
    MenuContent view(model, 900);
    ProtectedAppsEditor& editor = view.protectedAppsEditor();
    QVERIFY(shows(view.content(), QStringLiteral("受保护的应用")));
    QVERIFY(!editor.isExpanded());
    editor.setExpanded(true);
    QVERIFY(rowNamed(view.content(), QStringLiteral("Safari")) != nullptr);
  }
};

QTEST_MAIN(ProtectedAppsEditorTests)
#include "ProtectedAppsEditorTests.moc"
