#include "Snapshots.hpp"

#include "Lumivane/AppDelegate.hpp"
#include "Shell/DockDemo.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/OverlayPanel.hpp"
#include "Shell/PermissionHelp.hpp"
#include "Shell/Popover.hpp"
#include "Shell/ProtectedAppsEditor.hpp"
#include "Shell/QtWindows.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/StatusItem.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/WelcomeContent.hpp"
#include "SimulatedDesktop/SimulatorWindow.hpp"
#include "SimulatedDesktop/ViewServices.hpp"
#include "Simulator/Desktop.hpp"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

namespace lumivane::shell {

namespace {

class Writer {
public:
  Writer(const QDir& directory, QString suffix)
      : directory_(directory), suffix_(std::move(suffix)) {}

  void save(const QImage& image, const QString& name) {
    const QString path = directory_.filePath(name + suffix_ + QStringLiteral(".png"));
    if (image.isNull() || !image.save(path)) {
      std::cerr << "lumivane-sim: cannot write " << path.toStdString() << "\n";
      ++failures_;
      return;
    }
    std::cout << path.toStdString() << "\n";
  }

  // Shows the widget offscreen, lets it lay itself out, and saves what it draws.
  void save(QWidget& widget, const QString& name) {
    widget.show();
    QApplication::processEvents();
    widget.adjustSize();
    QApplication::processEvents();
    save(widget.grab().toImage(), name);
    widget.hide();
  }

  int failures() const { return failures_; }

private:
  QDir directory_;
  QString suffix_;
  int failures_ = 0;
};

// A piece of wallpaper under a translucent window, so that its shadow and corners show.
QImage onWallpaper(const QImage& window) {
  QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  QLinearGradient wallpaper(QPointF(0, 0), QPointF(image.width(), image.height()));
  wallpaper.setColorAt(0, QColor(74, 108, 168));
  wallpaper.setColorAt(1, QColor(226, 148, 120));
  painter.fillRect(image.rect(), wallpaper);
  painter.drawImage(0, 0, window);
  return image;
}

// The popover as the user sees it: the menu content in the popover's window, on wallpaper.
// `prepare` readies the content before it is shown (opens a section).
void savePopover(Writer& writer, const presentation::MenuContentModel& model, const QString& name,
                 const std::function<void(MenuContent&)>& prepare = {}) {
  SystemScreenSpace space;
  Popover popover(space);
  auto* content = new MenuContent(model, 900);
  if (prepare) {
    prepare(*content);
  }
  popover.setContent(std::make_shared<WidgetController>(content));
  QWidget& window = popover.window();
  window.show();
  QApplication::processEvents();
  window.adjustSize();
  QApplication::processEvents();
  writer.save(onWallpaper(window.grab().toImage()), name);
  popover.performClose();
}

void popovers(Writer& writer) {
  ViewServices services;
  presentation::MenuContentModel model = services.menuModel();

  savePopover(writer, model, QStringLiteral("popover-accessibility"));
  savePopover(writer, model, QStringLiteral("popover-accessibility-help"),
              [](MenuContent& content) {
                content.content().findChild<PermissionHelp*>()->setExpanded(true);
              });
  services.grantAccessibility(true);
  services.permissions->setMiddleAvailable(false);
  savePopover(writer, model, QStringLiteral("popover-middle-click"));
  services.permissions->setMiddleAvailable(true);
  services.runtime->show(QuitLine{QuitOutcome::waiting, "Safari"});
  savePopover(writer, model, QStringLiteral("popover-ready"));
  // The way back from that quit: the line that says it has ended carries 重新打开.
  services.runtime->show(QuitLine{QuitOutcome::ended, "Safari"});
  services.runtime->setOffersReopen(true);
  savePopover(writer, model, QStringLiteral("popover-reopen"));
  services.runtime->show(QuitLine{QuitOutcome::timedOut, "TextEdit"});
  services.runtime->setSuspended(true);
  savePopover(writer, model, QStringLiteral("popover-suspended"));
  services.runtime->setSuspended(false);
  services.desktop.setLoginItemFailure("Operation not permitted");
  services.settings->setLogin(true);
  savePopover(writer, model, QStringLiteral("popover-errors"));
  // Before any outcome: no status line, nothing paused.
  model.runtime = std::make_shared<RuntimeStatus>();
  services.settings->setHoverEnabled(false);
  services.settings->setMiddleEnabled(false);
  savePopover(writer, model, QStringLiteral("popover-switches-off"));
}

void layouts(Writer& writer) {
  ViewServices services;
  const char* names[] = {"layout-bottom", "layout-left", "layout-right"};
  // Beside a side Dock the positions have names of their own: one is chosen there.
  const HoverLayoutOptions options[] = {
      HoverLayoutOptions::defaults,
      {HoverPosition::leading, HoverDistance::standard},
      {HoverPosition::trailing, HoverDistance::spacious},
  };
  for (std::size_t index = 0; index < std::size(allDockEdges); ++index) {
    services.settings->setHoverLayout(options[index]);
    HoverLayoutSettings section(services.settings, allDockEdges[index]);
    section.setFixedWidth(320);
    section.setAutoFillBackground(true);
    section.setExpanded(true);
    writer.save(section, QString::fromUtf8(names[index]));
  }
  // The section's own canvas has room for every option; a shorter canvas shows the fallback and
  // the case where no × fits.
  const HoverLayoutOptions leading{HoverPosition::leading, HoverDistance::standard};
  HoverLayoutPreview fallback(leading, DockEdge::left, {0, 50, 288, 140});
  fallback.setAutoFillBackground(true);
  writer.save(fallback, QStringLiteral("preview-fallback"));
  HoverLayoutPreview hidden(leading, DockEdge::left, {0, 50, 288, 100});
  hidden.setAutoFillBackground(true);
  writer.save(hidden, QStringLiteral("preview-hidden"));
}

// The protected-apps section opened: running applications, one of them protected, and a
// protected one that is not running; alone and in the popover.
void protectedApps(Writer& writer) {
  ViewServices services;
  services.grantAccessibility(true);
  services.permissions->setMiddleAvailable(true);
  services.settings->setProtected("com.apple.Terminal", true);
  services.settings->setProtected("com.example.ScreenRecorder", true);
  const auto running = [] {
    return std::vector<ProtectableApp>{
        {"com.apple.Safari", "Safari", "/Applications/Safari.app"},
        {"com.apple.Terminal", "终端", "/Applications/Utilities/Terminal.app"},
        {"com.apple.Notes", "备忘录", "/Applications/Notes.app"},
        {"com.parallels.desktop.console", "Parallels Desktop",
         "/Applications/Parallels Desktop.app"}};
  };
  ProtectedAppsEditor section(services.settings, running);
  section.setFixedWidth(320);
  section.setAutoFillBackground(true);
  section.setExpanded(true);
  writer.save(section, QStringLiteral("protected-apps"));

  presentation::MenuContentModel model = services.menuModel();
  model.runningApps = running;
  savePopover(writer, model, QStringLiteral("popover-protected-apps"),
              [](MenuContent& content) { content.protectedAppsEditor().setExpanded(true); });
}

void welcome(Writer& writer) {
  ViewServices services;
  WelcomeContent content({services.permissions, {}, {}});
  writer.save(content, QStringLiteral("welcome-before"));
  // The demonstration's × under the pointer, then after the demonstration ran.
  DockDemo& demo = *content.findChild<DockDemo*>();
  content.show();
  QEnterEvent enter(QPointF(14, 14), QPointF(14, 14), QPointF(14, 14));
  QApplication::sendEvent(&demo.button(), &enter);
  writer.save(demo.grab().toImage(), QStringLiteral("welcome-demo-lit"));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&demo.button(), &leave);
  demo.toggle();
  services.grantAccessibility(true);
  writer.save(content, QStringLiteral("welcome-after"));
}

// The status item's image six times enlarged on the menu bar: ready, with the badge, asking for
// attention, and both.
void statusItems(Writer& writer) {
  constexpr int scale = 6;
  constexpr double side = 16;
  const QPalette colours = QGuiApplication::palette();
  QImage image(static_cast<int>(side * scale * 4 + scale * 8 * 5),
               static_cast<int>(side * scale * 1.5), QImage::Format_ARGB32);
  image.fill(style::windowBackground(colours));
  QPainter painter(&image);
  double x = scale * 8;
  for (const auto& [symbol, badge] :
       {std::pair{symbols::dockRectangle, false}, std::pair{symbols::dockRectangle, true},
        std::pair{symbols::dockRectangleBadgeExclamationmark, false},
        std::pair{symbols::dockRectangleBadgeExclamationmark, true}}) {
    const std::optional<QColor> dot =
        badge ? std::optional<QColor>(style::orange(colours)) : std::nullopt;
    const QPixmap glyph =
        statusItemImage(symbol, side, style::primary(colours), dot, scale, QFont::Medium);
    painter.drawPixmap(QRectF(x, side * scale * 0.25, side * scale, side * scale), glyph,
                       QRectF(glyph.rect()));
    x += side * scale + scale * 8;
  }
  painter.end();
  writer.save(image, QStringLiteral("status-item"));
}

// The × four times enlarged, so that its drawing can be checked.
void closeButtons(Writer& writer) {
  constexpr int scale = 4;
  for (const bool hovered : {false, true}) {
    CloseButton button;
    button.show();
    if (hovered) {
      QEnterEvent enter(QPointF(16, 16), QPointF(16, 16), QPointF(16, 16));
      QApplication::sendEvent(&button, &enter);
    }
    QImage image(CloseButton::side * scale, CloseButton::side * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    button.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
    writer.save(image, hovered ? QStringLiteral("close-hovered") : QStringLiteral("close-plain"));
  }
}

// Lumivane's coordinator on a simulated desktop with one display of `screen`.
struct DesktopSession {
  sim::Desktop desktop;
  std::unique_ptr<SimulatorWindow> window;
  std::unique_ptr<QtWindows> windows;
  std::shared_ptr<AppDelegate> delegate;

  explicit DesktopSession(QSize screen) {
    std::vector<DockTile> tiles = populateDesktop(desktop, screen);
    desktop.setAccessibility(true);
    desktop.setInputMonitoring(true);
    desktop.setReduceMotion(true);
    desktop.setDefault("hasSeenWelcome", true);
    window = std::make_unique<SimulatorWindow>(desktop, std::move(tiles));
    windows = std::make_unique<QtWindows>(window->space());
    delegate = std::make_shared<AppDelegate>(desktop.platform(), *windows);
    window->show();
    delegate->applicationDidFinishLaunching();
    window->setApplicationMenu(windows->applicationMenu());
  }

  ~DesktopSession() { delegate->applicationWillTerminate(); }

  void settle() {
    desktop.advance(0.05);
    QApplication::processEvents();
    QApplication::processEvents();
  }
};

void desktop(Writer& writer) {
  DesktopSession session(QSize(1280, 800));
  const Rect icon = session.desktop.itemFrame(session.desktop.dockItemNamed("Safari").value_or(1));
  session.desktop.glide({icon.midX(), icon.midY()}, 0.3);
  session.desktop.advance(1.0);
  QApplication::processEvents();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-hover"));

  session.delegate->togglePopover();
  session.settle();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-popover"));
}

// A refused quit: the badge on the status item in the menu bar.
void refusedQuit(Writer& writer) {
  DesktopSession session(QSize(1280, 800));
  const Rect icon = session.desktop.itemFrame(session.desktop.dockItemNamed("Music").value_or(1));
  session.desktop.movePointer({icon.midX(), icon.midY()});
  session.desktop.middleClick();
  session.desktop.movePointer({640, 300});
  session.settle();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-badge"));
}

// The popover beside a Dock on the right edge: under its status item all the same.
void rightDockPopover(Writer& writer) {
  DesktopSession session(QSize(1280, 800));
  session.desktop.placeDock(DockEdge::right);
  session.settle();
  session.delegate->togglePopover();
  session.settle();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-popover-right-dock"));
}

// Accessibility revoked: the status item keeps Lumivane's symbol and asks for attention.
void attention(Writer& writer) {
  DesktopSession session(QSize(1280, 800));
  session.desktop.setAccessibility(false);
  session.desktop.advance(2.5);
  session.settle();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-attention"));
}

// The layout section opened in the popover on a 1440×900 display: the preview, its note and
// the reset button are in view.
void openedLayout(Writer& writer) {
  DesktopSession session(QSize(1440, 900));
  session.delegate->togglePopover();
  session.settle();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* content = window->findChild<MenuContent*>(); content && window->isVisible()) {
      content->layoutSettings().setExpanded(true);
    }
  }
  session.settle();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-popover-layout"));
}

// The diagnostics window a few hit tests in, with the pointer resting on an icon: alone, and
// over the simulated desktop.
void diagnostics(Writer& writer) {
  DesktopSession session(QSize(1440, 900));
  const Rect icon = session.desktop.itemFrame(session.desktop.dockItemNamed("Notes").value_or(1));
  session.desktop.movePointer({icon.midX(), icon.midY()});
  session.delegate->showDiagnostics();
  session.desktop.advance(3.05);
  session.settle();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-diagnostics"));
  QWidget& window = static_cast<QtWindow&>(*session.delegate->diagnosticsWindow()).widget();
  writer.save(window.grab().toImage(), QStringLiteral("diagnostics"));
}

// The welcome window on a display 500 points high: it fits below the menu bar and scrolls.
void smallScreenWelcome(Writer& writer) {
  DesktopSession session(QSize(1280, 500));
  session.delegate->showWelcome();
  session.settle();
  writer.save(session.window->snapshot(), QStringLiteral("desktop-welcome-500"));
}

} // namespace

int writeSnapshots(int argc, char** argv, const std::string& directory) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  const QDir target(QString::fromStdString(directory));
  if (directory.empty() || !target.mkpath(QStringLiteral("."))) {
    std::cerr << "lumivane-sim: cannot make the directory '" << directory << "'\n";
    return 2;
  }
  int failures = 0;
  for (const auto& [appearance, suffix] :
       {std::pair{style::Appearance::light, QStringLiteral("-light")},
        std::pair{style::Appearance::dark, QStringLiteral("-dark")}}) {
    QApplication::setPalette(style::palette(appearance));
    Writer writer(target, suffix);
    popovers(writer);
    layouts(writer);
    protectedApps(writer);
    welcome(writer);
    statusItems(writer);
    closeButtons(writer);
    desktop(writer);
    refusedQuit(writer);
    rightDockPopover(writer);
    attention(writer);
    openedLayout(writer);
    smallScreenWelcome(writer);
    diagnostics(writer);
    failures += writer.failures();
  }
  return failures == 0 ? 0 : 1;
}

} // namespace lumivane::shell
