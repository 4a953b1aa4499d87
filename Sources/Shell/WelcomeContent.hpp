#pragma once

#include "Lumivane/Presentation.hpp"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

class QLabel;
class QPushButton;

namespace lumivane {
class PermissionManager;
}

namespace lumivane::shell {
class SymbolView;
}

namespace lumivane::shell {

// The welcome window's content: the two ways of quitting, the demonstration, what Lumivane does
// not do and the Accessibility state. Return runs "开始使用" once Accessibility is granted; Escape
// closes in every state.
class WelcomeContent : public QWidget {
  Q_OBJECT

public:
  static constexpr int contentWidth = 540;

  explicit WelcomeContent(const presentation::WelcomeContentModel& model,
                          QWidget* parent = nullptr);
  ~WelcomeContent() override;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void render();
  void close();
  QWidget* method(std::string_view symbol, const QString& title, const QString& detail);

  std::shared_ptr<PermissionManager> permissions_;
  std::function<void()> close_;
  std::function<void()> showDiagnostics_;
  uint64_t observation_;
  SymbolView* permissionSymbol_;
  QLabel* permissionTitle_;
  QWidget* help_;
  QWidget* later_;
  QWidget* openSettings_;
  QPushButton* start_;
};

} // namespace lumivane::shell
