#pragma once

#include "Lumivane/ProtectedAppRows.hpp"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace lumivane {
class SettingsManager;
}

namespace lumivane::shell {

class Disclosure;

// The collapsible "受保护的应用" section, a card like the popover's others: a switch for every
// running application and every protected one that is not running (protectedAppRows), each
// beside the application's icon and name and writing the list through the settings store at
// once. The header counts the protected applications. The running applications
// are asked for each time the section opens and whenever the list changes; a row stays while the
// section lives, so that a switch turned off by mistake can be turned on again.
class ProtectedAppsEditor : public QWidget {
  Q_OBJECT

public:
  ProtectedAppsEditor(std::shared_ptr<SettingsManager> settings,
                      std::function<std::vector<ProtectableApp>()> runningApps,
                      QWidget* parent = nullptr);
  ~ProtectedAppsEditor() override;

  bool isExpanded() const;
  void setExpanded(bool expanded);

  // Runs after the section opened.
  std::function<void()> onExpand;

private:
  void render();
  // Replaces the list's rows when other applications are to be shown; otherwise shows the
  // switches again.
  void showRows(std::vector<ProtectedAppRow> rows);
  QWidget* makeList() const;

  std::shared_ptr<SettingsManager> settings_;
  std::function<std::vector<ProtectableApp>()> runningApps_;
  uint64_t observation_ = 0;
  // What the list shows; empty until the section first opens.
  std::vector<ProtectedAppRow> rows_;
  QLabel* count_ = nullptr;
  Disclosure* disclosure_ = nullptr;
  QVBoxLayout* content_ = nullptr;
  QWidget* list_ = nullptr;
  QLabel* empty_ = nullptr;
};

} // namespace lumivane::shell
