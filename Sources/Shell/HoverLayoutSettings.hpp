#pragma once

#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QTabBar;

namespace lumivane {
class SettingsManager;
}

namespace lumivane::shell {

class Disclosure;

// A drawing of a Dock, a hovered icon with its name label and the × where the hover feature
// would put it, computed by the same placement function. Canvas points: origin top-left,
// y downward.
class HoverLayoutPreview : public QWidget {
  Q_OBJECT

public:
  static constexpr Rect defaultCanvas{0, 0, 288, 190};

  HoverLayoutPreview(const HoverLayoutOptions& options, DockEdge edge,
                     const Rect& canvas = defaultCanvas, QWidget* parent = nullptr);
  void setPreview(const HoverLayoutOptions& options, DockEdge edge);

  // The demonstrated icon, the Dock bar and the name label's centre for an edge.
  static Rect iconFrame(DockEdge edge);
  static Rect dockBarFrame(DockEdge edge);
  static Point nameLabelCentre(DockEdge edge);

  // Where the × is drawn; absent when no placement fits.
  const std::optional<HoverPlacement>& placement() const { return placement_; }
  // The caption under the drawing: set only when the placement fell back to the default.
  QString caption() const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  HoverLayoutOptions options_;
  DockEdge edge_;
  Rect canvas_;
  std::optional<HoverPlacement> placement_;
};

// The collapsible "退出按钮布局" section, a card like the popover's others: position and distance
// pickers that write the layout through the settings store at once, a preview for a chosen Dock
// edge (a viewing choice only, never stored; the positions are named as they look on it) and a
// reset to the default. Re-renders when the settings store changes.
class HoverLayoutSettings : public QWidget {
  Q_OBJECT

public:
  HoverLayoutSettings(std::shared_ptr<SettingsManager> settings, DockEdge edge,
                      QWidget* parent = nullptr);
  ~HoverLayoutSettings() override;

  bool isExpanded() const;
  void setExpanded(bool expanded);
  DockEdge edge() const { return edge_; }
  HoverLayoutPreview& preview() const { return *preview_; }
  QTabBar& edgePicker() const { return *edges_; }

  // Runs after the section opened.
  std::function<void()> onExpand;

private:
  void render();
  void choose(const HoverLayoutOptions& layout);
  QWidget* controls();

  std::shared_ptr<SettingsManager> settings_;
  DockEdge edge_;
  uint64_t observation_ = 0;
  QLabel* badge_ = nullptr;
  QComboBox* position_ = nullptr;
  QComboBox* distance_ = nullptr;
  QTabBar* edges_ = nullptr;
  HoverLayoutPreview* preview_ = nullptr;
  QLabel* hoverOff_ = nullptr;
  QPushButton* reset_ = nullptr;
  Disclosure* disclosure_ = nullptr;
};

} // namespace lumivane::shell
