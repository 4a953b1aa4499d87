// The popover's content: the attention area, readiness, switches bound to the settings store, the
// status line, the footer actions and the height rule.

#include "Shell/Controls.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/SettingRow.hpp"
#include "Shell/Style.hpp"
#include "Shell/WelcomeContent.hpp"
#include "ShellTestSupport.hpp"

#include <QtTest>

using namespace lumivane;
using namespace lumivane::shell;
using namespace lumivane::shell::test;

namespace {

const QString accessibilityTitle = QStringLiteral("还差一步，开启辅助功能");
const QString middleTitle = QStringLiteral("中键功能暂不可用");
const QString retryTitle = QStringLiteral("重新检查");

// The status label of the attention area (the first SymbolLabel holding one of its texts).
SymbolLabel* statusLabel(QWidget& root) {
  for (SymbolLabel* label : root.findChildren<SymbolLabel*>()) {
    if (label->objectName().isEmpty() && label->text().startsWith(QStringLiteral("已"))) {
      return label;
    }
  }
  return nullptr;
}

SettingRow* settingRow(QWidget& root, const QString& title) {
  for (SettingRow* row : root.findChildren<SettingRow*>()) {
    if (row->toggle().accessibleName() == title) {
      return row;
    }
  }
  return nullptr;
}

Dot* statusDot(QWidget& root) {
  for (Dot* dot : root.findChildren<Dot*>()) {
    if (!dot->accessibleName().isEmpty()) {
      return dot;
    }
  }
  return nullptr;
}

} // namespace

class MenuContentTests : public QObject {
  Q_OBJECT

  struct Counters {
    int welcome = 0;
    int diagnostics = 0;
    int quit = 0;
  };

  presentation::MenuContentModel model(Services& services, Counters& counters) {
    presentation::MenuContentModel model = services.menuModel();
    model.showWelcome = [&counters] { ++counters.welcome; };
    model.showDiagnostics = [&counters] { ++counters.diagnostics; };
    model.quit = [&counters] { ++counters.quit; };
    return model;
  }

private slots:
  void attentionArea_data() {
    QTest::addColumn<bool>("accessibility");
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("middle");
    QTest::addColumn<bool>("middleAvailable");
    QTest::addColumn<bool>("suspended");
    QTest::addColumn<QString>("notice");     // empty: no notice
    QTest::addColumn<QString>("statusText"); // empty: no status label
    QTest::addColumn<QString>("statusSymbol");
    QTest::addColumn<bool>("ready");

    QTest::newRow("accessibility missing, whatever else")
        << false << true << true << false << true << accessibilityTitle << QString() << QString()
        << false;
    QTest::newRow("middle tap down comes before suspension")
        << true << true << true << false << true << middleTitle << QString() << QString() << false;
    QTest::newRow("ready") << true << true << true << true << false << QString()
                           << QStringLiteral("已就绪 · 只发送正常退出请求")
                           << QStringLiteral("checkmark.shield") << true;
    QTest::newRow("suspended") << true << true << false << false << true << QString()
                               << QStringLiteral("已暂停，返回桌面后恢复")
                               << QStringLiteral("pause.circle") << true;
    QTest::newRow("both switches off") << true << false << false << false << false << QString()
                                       << QStringLiteral("已暂停 · 两种退出方式均已关闭")
                                       << QStringLiteral("checkmark.shield") << true;
  }

  void attentionArea() {
    QFETCH(bool, accessibility);
    QFETCH(bool, hover);
    QFETCH(bool, middle);
    QFETCH(bool, middleAvailable);
    QFETCH(bool, suspended);
    QFETCH(QString, notice);
    QFETCH(QString, statusText);
    QFETCH(QString, statusSymbol);
    QFETCH(bool, ready);

    Services services;
    Counters counters;
    services.grantAccessibility(accessibility);
    services.settings->setHoverEnabled(hover);
    services.settings->setMiddleEnabled(middle);
    services.permissions->setMiddleAvailable(middleAvailable);
    services.runtime->setSuspended(suspended);
    MenuContent view(model(services, counters), 900);
    QWidget& content = view.content();

    QCOMPARE(shows(content, accessibilityTitle), notice == accessibilityTitle);
    QCOMPARE(content.findChild<PermissionHelp*>()->isVisibleTo(&content),
             notice == accessibilityTitle);
    QCOMPARE(shows(content, middleTitle), notice == middleTitle);
    QCOMPARE(shows(content, retryTitle), notice == middleTitle);
    SymbolLabel* status = statusLabel(content);
    QVERIFY(status != nullptr);
    QCOMPARE(status->isVisibleTo(&content), !statusText.isEmpty());
    if (!statusText.isEmpty()) {
      QCOMPARE(status->text(), statusText);
      QCOMPARE(QString::fromStdString(status->symbol()), statusSymbol);
    }
    QCOMPARE(view.isReady(), ready);
    Dot* dot = statusDot(content);
    QCOMPARE(dot->colour(), ready ? style::green() : style::orange());
    QCOMPARE(dot->accessibleName(),
             ready ? QStringLiteral("功能已就绪") : QStringLiteral("需要处理"));
  }

  // One permission story: the middle-click tap is allowed through the Accessibility switch, so
  // its notice names that permission, and its retry sits inside the notice it belongs to.
  // Nothing the popover or the welcome window shows, in any state, speaks of Input Monitoring,
  // a permission that cannot help.
  void theMiddleClickNoticeNamesAccessibilityAndHoldsItsRetry() {
    Services services;
    Counters counters;
    services.grantAccessibility(true);
    services.permissions->setMiddleAvailable(false);
    MenuContent view(model(services, counters), 900);
    QLabel* detail =
        findLabel(view.content(), QStringLiteral("悬停退出仍可使用。检查辅助功能权限后重试。"));
    QVERIFY(detail != nullptr && detail->isVisibleTo(&view.content()));
    QAbstractButton* retry = findButton(view.content(), retryTitle);
    QAbstractButton* check = findButton(view.content(), QStringLiteral("检查权限"));
    QVERIFY(retry->parentWidget() == check->parentWidget());
    QVERIFY(qobject_cast<RoundedPanel*>(retry->parentWidget()) != nullptr);
  }

  void nothingSpeaksOfInputMonitoring() {
    const QString inputMonitoring = QStringLiteral("输入监控");
    const auto check = [&inputMonitoring](QWidget& root) {
      for (QWidget* widget : root.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        for (const QString& text :
             {label ? label->text() : QString(), button ? button->text() : QString(),
              widget->toolTip(), widget->accessibleName(), widget->accessibleDescription()}) {
          QVERIFY2(!text.contains(inputMonitoring) && !text.contains(QStringLiteral("Input")),
                   qPrintable(text));
        }
      }
    };
    Services services;
    Counters counters;
    for (const bool accessibility : {false, true}) {
      for (const bool middleAvailable : {false, true}) {
        services.grantAccessibility(accessibility);
        services.permissions->setMiddleAvailable(middleAvailable);
        MenuContent view(model(services, counters), 900);
        view.content().findChild<PermissionHelp*>()->setExpanded(true);
        view.layoutSettings().setExpanded(true);
        check(view.content());
        WelcomeContent welcome({services.permissions, {}, {}});
        check(welcome);
      }
    }
  }

  void rerendersWhenAPermissionIsGrantedWhileOpen() {
    Services services;
    Counters counters;
    services.settings->setMiddleEnabled(false);
    MenuContent view(model(services, counters), 900);
    QVERIFY(shows(view.content(), accessibilityTitle));
    services.grantAccessibility(true);
    QVERIFY(!shows(view.content(), accessibilityTitle));
    QVERIFY(shows(view.content(), QStringLiteral("已就绪 · 只发送正常退出请求")));
  }

  // A view that went on observing after its end would be told into freed memory.
  void stopsObservingWhenDestroyed() {
    Services services;
    Counters counters;
    { MenuContent view(model(services, counters), 900); }
    services.settings->setHoverEnabled(false);
    services.grantAccessibility(true);
    services.runtime->show(QuitLine{QuitOutcome::waiting, "Safari"});
    QCOMPARE(services.settings->hoverEnabled(), false);
  }

  void operationStatusFollowsTheRuntimeMessage() {
    Services services;
    Counters counters;
    MenuContent view(model(services, counters), 900);
    auto* row = view.content().findChild<SymbolLabel*>(QStringLiteral("lumivane.operation-status"));
    QVERIFY(row != nullptr);
    QVERIFY(!row->isVisibleTo(&view.content()));

    services.runtime->show(QuitLine{QuitOutcome::timedOut, "TextEdit"});
    QVERIFY(row->isVisibleTo(&view.content()));
    QCOMPARE(row->text(), QStringLiteral("「TextEdit」仍未退出。请检查保存提示，或再次尝试。"));
    QCOMPARE(row->symbol(), std::string("exclamationmark.circle"));

    services.runtime->show(QuitLine{QuitOutcome::ended, "TextEdit"});
    QCOMPARE(row->symbol(), std::string("info.circle"));
    QVERIFY(row->isVisibleTo(&view.content()));
  }

  // 重新打开 shows beside the line while the line offers it, names what it opens, and runs the
  // runtime's action; a new line takes it away.
  void reopenFollowsTheLinesOffer() {
    Services services;
    Counters counters;
    int reopened = 0;
    services.runtime->onReopen = [&reopened] { ++reopened; };
    MenuContent view(model(services, counters), 900);
    QAbstractButton* reopen = findButton(view.content(), QStringLiteral("重新打开"));
    QVERIFY(reopen != nullptr);
    QCOMPARE(reopen->objectName(), QStringLiteral("lumivane.reopen"));
    QVERIFY(!reopen->isVisibleTo(&view.content()));

    services.runtime->show(QuitLine{QuitOutcome::ended, "Safari"});
    QVERIFY(!reopen->isVisibleTo(&view.content()));
    services.runtime->setOffersReopen(true);
    QVERIFY(reopen->isVisibleTo(&view.content()));
    QCOMPARE(reopen->toolTip(), QStringLiteral("重新打开「Safari」"));
    QCOMPARE(reopen->accessibleDescription(), QStringLiteral("重新打开「Safari」"));
    QTest::mouseClick(reopen, Qt::LeftButton);
    QCOMPARE(reopened, 1);

    services.runtime->show(ReopenLine{ReopenOutcome::opened, "Safari"});
    QVERIFY(!services.runtime->offersReopen());
    QVERIFY(!reopen->isVisibleTo(&view.content()));
    QVERIFY(shows(view.content(), QStringLiteral("已重新打开「Safari」")));
  }

  void switchesWriteThroughTheSettingsStore() {
    Services services;
    Counters counters;
    MenuContent view(model(services, counters), 900);
    SettingRow* const rows[] = {settingRow(view.content(), QStringLiteral("悬停显示退出按钮")),
                                settingRow(view.content(), QStringLiteral("鼠标中键退出")),
                                settingRow(view.content(), QStringLiteral("登录时自动启动"))};
    QVERIFY(rows[0] && rows[1] && rows[2]);
    QVERIFY(rows[0]->toggle().isChecked());
    QTest::mouseClick(&rows[0]->toggle(), Qt::LeftButton);
    QCOMPARE(services.settings->hoverEnabled(), false);
    QCOMPARE(services.desktop.storedBool("hoverEnabled"), std::optional<bool>(false));
    QTest::mouseClick(&rows[1]->toggle(), Qt::LeftButton);
    QCOMPARE(services.settings->middleEnabled(), false);

    // The login switch registers the login item; the switch shows what the platform reports.
    QTest::mouseClick(&rows[2]->toggle(), Qt::LeftButton);
    QVERIFY(services.settings->loginEnabled());
    QVERIFY(rows[2]->toggle().isChecked());
    services.desktop.setLoginItemFailure("denied");
    QTest::mouseClick(&rows[2]->toggle(), Qt::LeftButton);
    QVERIFY(services.settings->loginError().has_value());
    QVERIFY(shows(view.content(), QString::fromStdString(*services.settings->loginError())));
    QVERIFY(rows[2]->toggle().isChecked());
  }

  void loginApprovalOpensTheLoginItemsSettings() {
    Services services;
    Counters counters;
    const QString approve = QStringLiteral("在系统设置中允许登录项");
    MenuContent view(model(services, counters), 900);
    QVERIFY(!shows(view.content(), approve));
    services.desktop.setLoginItemStatus(platform::LoginItemStatus::requiresApproval);
    services.settings->refreshLogin();
    QVERIFY(shows(view.content(), approve));
    const std::size_t opened = services.desktop.openedURLs().size();
    findButton(view.content(), approve)->click();
    QCOMPARE(services.desktop.openedURLs().size(), opened + 1);
  }

  void actionsReachTheServices() {
    Services services;
    Counters counters;
    int retries = 0;
    services.runtime->onRetry = [&retries] { ++retries; };
    MenuContent view(model(services, counters), 900);
    QWidget& content = view.content();

    findButton(content, QStringLiteral("前往授权"))->click();
    QCOMPARE(services.desktop.trustPrompts(), std::size_t{1});

    services.grantAccessibility(true);
    services.permissions->setMiddleAvailable(false);
    // It leads to the Accessibility list, where an active tap's access is granted; with that
    // access already there, no prompt.
    findButton(content, QStringLiteral("检查权限"))->click();
    QCOMPARE(services.desktop.postEventRequests(), std::size_t{0});
    QCOMPARE(services.desktop.openedURLs().back(),
             std::string("x-apple.systempreferences:com.apple.preference.security?"
                         "Privacy_Accessibility"));
    services.desktop.setAccessibility(false);
    findButton(content, retryTitle)->click();
    QCOMPARE(retries, 1);
    QVERIFY(!services.permissions->accessibility()); // refreshed before the retry

    findButton(content, QStringLiteral("使用说明与关于"))->click();
    findButton(content, QStringLiteral("诊断报告"))->click();
    findButton(content, QStringLiteral("退出 Lumivane"))->click();
    QCOMPARE(counters.welcome, 1);
    QCOMPARE(counters.diagnostics, 1);
    QCOMPARE(counters.quit, 1);
  }

  void startsCollapsedAt360Wide() {
    Services services;
    Counters counters;
    MenuContent view(model(services, counters), 900);
    QCOMPARE(view.content().objectName(), QStringLiteral("lumivane.menu"));
    QCOMPARE(view.width(), 360);
    QVERIFY(!view.layoutSettings().isExpanded());
    QVERIFY(!view.content().findChild<PermissionHelp*>()->isExpanded());
  }

  void heightRule_data() {
    QTest::addColumn<double>("measured");
    QTest::addColumn<std::optional<double>>("visibleHeight");
    QTest::addColumn<double>("contentHeight");
    QTest::addColumn<double>("viewHeight");
    QTest::newRow("taller than a 700 screen")
        << 1000.0 << std::optional<double>(700) << 1000.0 << 620.0;
    QTest::newRow("limit never below 240")
        << 1000.0 << std::optional<double>(300) << 1000.0 << 240.0;
    QTest::newRow("rounded up") << 431.2 << std::optional<double>(900) << 432.0 << 432.0;
    QTest::newRow("no screen") << 1000.0 << std::optional<double>() << 1000.0 << 720.0;
    QTest::newRow("zero is ignored") << 0.0 << std::optional<double>(900) << 500.0 << 500.0;
    QTest::newRow("negative is ignored") << -12.0 << std::optional<double>(900) << 500.0 << 500.0;
  }

  void heightRule() {
    QFETCH(double, measured);
    QFETCH(std::optional<double>, visibleHeight);
    QFETCH(double, contentHeight);
    QFETCH(double, viewHeight);
    QCOMPARE(MenuHeight::contentHeight(500, measured), contentHeight);
    QCOMPARE(MenuHeight::viewHeight(contentHeight, visibleHeight), viewHeight);

    Services services;
    Counters counters;
    MenuContent view(model(services, counters), visibleHeight);
    const double before = view.contentHeight();
    view.measure(measured);
    QCOMPARE(view.contentHeight(), measured > 0 ? contentHeight : before);
    QCOMPARE(view.height(),
             static_cast<int>(MenuHeight::viewHeight(view.contentHeight(), visibleHeight)));
  }

  // An opened section scrolls into view, but never so far that its own header leaves the top.
  void revealingASection_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<int>("revealed");
    // A view 400 high.
    QTest::newRow("already in view") << 100 << 150 << 450 << 100;
    QTest::newRow("below: just far enough") << 0 << 300 << 600 << 200;
    QTest::newRow("taller than the view: header at the top") << 0 << 300 << 900 << 300;
    QTest::newRow("above the view") << 500 << 200 << 300 << 200;
  }

  void revealingASection() {
    QFETCH(int, offset);
    QFETCH(int, top);
    QFETCH(int, bottom);
    QFETCH(int, revealed);
    QCOMPARE(revealedOffset(offset, 400, top, bottom), revealed);
  }

  void measuresItsContent() {
    Services services;
    Counters counters;
    MenuContent view(model(services, counters), 300);
    view.show();
    QCoreApplication::processEvents();
    const double collapsed = view.contentHeight();
    QVERIFY(collapsed > 240);
    QCOMPARE(collapsed, std::ceil(collapsed));
    QCOMPARE(view.height(), 240);
    view.layoutSettings().setExpanded(true);
    QCoreApplication::processEvents();
    QVERIFY(view.contentHeight() > collapsed + 190); // the 190-point preview and its controls
  }
};

QTEST_MAIN(MenuContentTests)
#include "MenuContentTests.moc"
