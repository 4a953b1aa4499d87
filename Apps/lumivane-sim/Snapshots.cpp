#include "Snapshots.hpp"

#include "Lumivane/AppDelegate.hpp"
#include "Shell/HoverLayoutSettings.hpp"
#include "Shell/MenuContent.hpp"
#include "Shell/OverlayPanel.hpp"
#include "Shell/QtWindows.hpp"
#include "Shell/WelcomeContent.hpp"
#include "SimulatedDesktop/SimulatorWindow.hpp"
#include "SimulatedDesktop/ViewServices.hpp"
#include "Simulator/Desktop.hpp"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <iostream>
#include <memory>

namespace lumivane::shell {

namespace {

class Writer {
public:
  explicit Writer(const QDir& directory) : directory_(directory) {}

  void save(const QImage& image, const QString& name) {
    const QString path = directory_.filePath(name);
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
  int failures_ = 0;
};

void popovers(Writer& writer) {
  ViewServices services;
  presentation::MenuContentModel model;
  model.settings = services.settings;
  model.permissions = services.permissions;
  model.runtime = services.runtime;
  const auto popover = [&](const QString& name) {
    MenuContent content(model, 900);
    writer.save(content, name);
  };

  popover(QStringLiteral("popover-accessibility.png"));
  services.grantAccessibility(true);
  services.permissions->setMiddleAvailable(false);
  popover(QStringLiteral("popover-middle-click.png"));
  services.permissions->setMiddleAvailable(true);
  services.runtime->setMessage("已请求「Safari」退出，正在等待…");
  popover(QStringLiteral("popover-ready.png"));
  services.runtime->setMessage("「TextEdit」仍未退出。请检查保存提示，或再次尝试。");
  services.runtime->setError(true);
  services.runtime->setSuspended(true);
  popover(QStringLiteral("popover-suspended.png"));
  services.runtime->setSuspended(false);
  services.runtime->setMessage("");
  services.settings->setHoverEnabled(false);
  services.settings->setMiddleEnabled(false);
  popover(QStringLiteral("popover-switches-off.png"));
}

void layouts(Writer& writer) {
  ViewServices services;
  const char* names[] = {"layout-bottom.png", "layout-left.png", "layout-right.png"};
  for (std::size_t index = 0; index < std::size(allDockEdges); ++index) {
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
  writer.save(fallback, QStringLiteral("preview-fallback.png"));
  HoverLayoutPreview hidden(leading, DockEdge::left, {0, 50, 288, 100});
  hidden.setAutoFillBackground(true);
  writer.save(hidden, QStringLiteral("preview-hidden.png"));
}

void welcome(Writer& writer) {
  ViewServices services;
  WelcomeContent content({services.permissions, {}});
  writer.save(content, QStringLiteral("welcome-before.png"));
  services.grantAccessibility(true);
  writer.save(content, QStringLiteral("welcome-after.png"));
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
    writer.save(image,
                hovered ? QStringLiteral("close-hovered.png") : QStringLiteral("close-plain.png"));
  }
}

void desktop(Writer& writer) {
  sim::Desktop desktop;
  std::vector<DockTile> tiles = populateDesktop(desktop, QSize(1280, 800));
  desktop.setAccessibility(true);
  desktop.setInputMonitoring(true);
  desktop.setReduceMotion(true);
  desktop.setDefault("hasSeenWelcome", true);
  SimulatorWindow window(desktop, std::move(tiles));
  QtWindows windows(window.space());
  const auto delegate = std::make_shared<AppDelegate>(desktop.platform(), windows);
  window.show();
  delegate->applicationDidFinishLaunching();
  window.setApplicationMenu(windows.applicationMenu());

  const Rect icon = desktop.itemFrame(desktop.dockItemNamed("Safari").value_or(1));
  desktop.glide({icon.midX(), icon.midY()}, 0.3);
  desktop.advance(1.0);
  QApplication::processEvents();
  writer.save(window.snapshot(), QStringLiteral("desktop-hover.png"));

  delegate->togglePopover();
  desktop.advance(0.05);
  QApplication::processEvents();
  QApplication::processEvents();
  writer.save(window.snapshot(), QStringLiteral("desktop-popover.png"));
  delegate->applicationWillTerminate();
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
  Writer writer(target);
  popovers(writer);
  layouts(writer);
  welcome(writer);
  closeButtons(writer);
  desktop(writer);
  return writer.failures() == 0 ? 0 : 1;
}

} // namespace lumivane::shell
