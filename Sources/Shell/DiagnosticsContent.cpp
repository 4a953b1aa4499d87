#include "Shell/DiagnosticsContent.hpp"

#include "Lumivane/LiveDiagnostics.hpp"
#include "Lumivane/Texts.hpp"
#include "Shell/Accessibility.hpp"
#include "Shell/Controls.hpp"
#include "Shell/Style.hpp"
#include "Shell/Text.hpp"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace lumivane::shell {

namespace {

// Tall enough for the report's head and a few hit tests; the rest scrolls.
constexpr int reportHeight = 340;

} // namespace

DiagnosticsContent::DiagnosticsContent(const presentation::DiagnosticsContentModel& model,
                                       QWidget* parent)
    : QWidget(parent), diagnostics_(model.diagnostics), close_(model.close),
      report_(new QPlainTextEdit),
      copied_(makeLabel(qtext(texts::reportCopied), 11, QFont::Normal, style::Ink::secondary())) {
  setFixedWidth(contentWidth);
  accessibility::setIdentifier(*this, "lumivane.diagnostics");
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Window);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(24, 22, 24, 22);
  column->setSpacing(12);

  column->addWidget(makeLabel(qtext(texts::diagnosticsHeading), 17, QFont::DemiBold));
  auto* guide = makeLabel(qtext(texts::diagnosticsGuide), 12, QFont::Normal);
  guide->setWordWrap(true);
  column->addWidget(guide);

  // The report is for whoever reads the bug report: plain text, as `--diagnose` prints it.
  report_->setReadOnly(true);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mono.setPointSize(11);
  report_->setFont(mono);
  report_->setFixedHeight(reportHeight);
  accessibility::setIdentifier(*report_, "lumivane.diagnostics-report");
  report_->setAccessibleName(qtext(texts::diagnosticsHeading));
  column->addWidget(report_);

  auto* privacy =
      makeLabel(qtext(texts::diagnosticsPrivacy), 11, QFont::Normal, style::Ink::secondary());
  privacy->setWordWrap(true);
  column->addWidget(privacy);

  auto* footer = new QHBoxLayout;
  footer->setSpacing(10);
  footer->addStretch(1);
  copied_->setVisible(false);
  footer->addWidget(copied_, 0, Qt::AlignVCenter);
  auto* copy = makeButton(qtext(texts::copyReport), ControlSize::regular);
  connect(copy, &QPushButton::clicked, this, [this] { this->copy(); });
  footer->addWidget(copy, 0, Qt::AlignVCenter);
  auto* done = makeProminentButton(qtext(texts::doneButton), ControlSize::regular);
  connect(done, &QPushButton::clicked, this, [this] { runAction(close_); });
  footer->addWidget(done, 0, Qt::AlignVCenter);
  column->addLayout(footer);

  observation_ = diagnostics_->observe([this] { render(); });
  render();
}

DiagnosticsContent::~DiagnosticsContent() {
  diagnostics_->removeObserver(observation_);
}

void DiagnosticsContent::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    runAction(close_);
    return;
  }
  QWidget::keyPressEvent(event);
}

void DiagnosticsContent::render() {
  // Whoever scrolled up to read stays where they were; at the end, the view follows the tests.
  QScrollBar* scroll = report_->verticalScrollBar();
  const bool atEnd = scroll->value() == scroll->maximum();
  const int offset = scroll->value();
  report_->setPlainText(qtext(diagnostics_->text()));
  scroll->setValue(atEnd ? scroll->maximum() : offset);
}

void DiagnosticsContent::copy() {
  QGuiApplication::clipboard()->setText(qtext(diagnostics_->text()));
  copied_->setVisible(true);
}

} // namespace lumivane::shell
