#pragma once

#include "Lumivane/Presentation.hpp"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace lumivane {
class LiveDiagnostics;
}

namespace lumivane::shell {

// The diagnostics window's content: what to do, the report as plain text that follows the hit
// tests as they come (kept scrolled to its end while it was there), what the report reads, and
// a button that copies all of it. "完成" and Escape close the window.
class DiagnosticsContent : public QWidget {
  Q_OBJECT

public:
  static constexpr int contentWidth = 640;

  explicit DiagnosticsContent(const presentation::DiagnosticsContentModel& model,
                              QWidget* parent = nullptr);
  ~DiagnosticsContent() override;

  QPlainTextEdit& report() const { return *report_; }

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void render();
  void copy();

  std::shared_ptr<LiveDiagnostics> diagnostics_;
  std::function<void()> close_;
  uint64_t observation_;
  QPlainTextEdit* report_;
  QLabel* copied_;
};

} // namespace lumivane::shell
