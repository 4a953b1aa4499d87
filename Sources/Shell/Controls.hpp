#pragma once

#include "Shell/Style.hpp"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QMargins>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QPainter;
class QVBoxLayout;

// The small building blocks the views are made of: symbols, labels, buttons, the switch, rules,
// dots, rounded backgrounds and the disclosure group. Buttons are the platform's stock ones; what
// is drawn here (only where Qt has no control of its own) uses inks (colour roles) resolved when
// it paints, so that it follows the appearance.
namespace lumivane::shell {

// A text label that draws in an ink of its own, resolved against the application's palette and
// again whenever that palette changes (the appearance switched). Inside a button-like header it
// keeps its ink: the colour is set for the window text, text and button text roles alike.
class Label : public QLabel {
  Q_OBJECT

public:
  Label(const QString& text, style::Ink ink, QWidget* parent = nullptr);
  const style::Ink& ink() const { return ink_; }
  void setInk(style::Ink ink);

protected:
  bool event(QEvent* event) override;

private:
  void applyInk();

  style::Ink ink_;
};

// A text label in the interface font at `size` points, in `ink`.
Label* makeLabel(const QString& text, int size, QFont::Weight weight = QFont::Normal,
                 style::Ink ink = style::Ink::label());

// The sizes of the stock push buttons: small (11-point text, the Mac's small control) and
// regular (13-point text).
enum class ControlSize { small, regular };

// Stock push buttons, drawn by the platform's style (native on the Mac). The prominent one is
// the accent-coloured default-looking button; it carries no Return key of its own, the view
// that shows it decides that. The plain one is a borderless button showing only its text, in
// `ink`.
QPushButton* makeButton(const QString& text, ControlSize size);
QPushButton* makeProminentButton(const QString& text, ControlSize size);
QPushButton* makePlainButton(const QString& text, ControlSize size, style::Ink ink);
// Runs a copy of `action` when it is set: the action may release the view that holds it.
void runAction(const std::function<void()>& action);

// A round button's face, shared by the × over the Dock, the demonstration × and the preview's
// ×: `symbol` on a circle of the control background with a faint outline, or, `lit`, white on
// a circle of the lit colour (the pointer is on it).
void paintRoundButton(QPainter& painter, const QRectF& circle, std::string_view symbol,
                      double glyph, const QPalette& palette, std::optional<QColor> lit);

// One system symbol, drawn in a square of `size` points.
class SymbolView : public QWidget {
  Q_OBJECT

public:
  SymbolView(std::string_view symbol, int size, style::Ink ink = style::Ink::label(),
             QFont::Weight weight = QFont::Normal, QWidget* parent = nullptr);
  const std::string& symbol() const { return symbol_; }
  void setSymbol(std::string_view symbol);
  // The colour it draws in now.
  QColor colour() const { return ink_.resolve(palette()); }
  void setInk(style::Ink ink);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::string symbol_;
  style::Ink ink_;
  QFont::Weight weight_;
};

// A label with a leading symbol, the symbol scaled to the text's size.
class SymbolLabel : public QWidget {
  Q_OBJECT

public:
  SymbolLabel(std::string_view symbol, const QString& text, int size,
              QFont::Weight weight = QFont::Normal, style::Ink ink = style::Ink::label(),
              QWidget* parent = nullptr);
  std::string symbol() const { return symbol_->symbol(); }
  void setSymbol(std::string_view symbol) { symbol_->setSymbol(symbol); }
  QString text() const { return text_->text(); }
  void setText(const QString& text);
  void setInks(style::Ink symbol, style::Ink text);
  // The colours of its symbol and its text now.
  QColor symbolColour() const { return symbol_->colour(); }
  QColor colour() const { return text_->ink().resolve(palette()); }
  // Lets the text wrap over as many lines as it needs.
  void setWordWrap(bool wrap);

private:
  SymbolView* symbol_;
  Label* text_;
};

// A wrapping paragraph with extra space between its lines.
class Paragraph : public QWidget {
  Q_OBJECT

public:
  Paragraph(const QString& text, const QFont& font, style::Ink ink, double lineSpacing,
            QWidget* parent = nullptr);
  const QString& text() const { return text_; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  // Lays the text out for `width` and returns its height; draws it when `painter` is set.
  double layOut(double width, QPainter* painter) const;

  QString text_;
  style::Ink ink_;
  double lineSpacing_;
};

// A switch-style toggle in the small control size (Qt has no switch of its own). Off, its track
// is a grey that stands out from a card, and its knob from the track, at WCAG's 3:1 for
// controls, so that an off switch never reads as a disabled one.
class Switch : public QAbstractButton {
  Q_OBJECT

public:
  explicit Switch(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  // The colours it draws in now.
  QColor trackColour() const;
  QColor knobColour() const;

protected:
  void paintEvent(QPaintEvent* event) override;
};

// A one-point line in `colour`: a horizontal divider indented on the leading side, or a vertical
// rule of a fixed length.
class Rule : public QWidget {
  Q_OBJECT

public:
  Rule(Qt::Orientation orientation, style::Ink ink, int leadingIndent = 0, int length = 0,
       QWidget* parent = nullptr);
  // The system divider: the separator colour at `opacity`.
  static Rule* divider(double opacity, int leadingIndent = 0);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  Qt::Orientation orientation_;
  style::Ink ink_;
  int indent_;
};

// A filled circle of a fixed diameter.
class Dot : public QWidget {
  Q_OBJECT

public:
  Dot(int diameter, style::Ink ink, QWidget* parent = nullptr);
  // The colour it draws in now.
  QColor colour() const { return ink_.resolve(palette()); }
  void setInk(style::Ink ink);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  style::Ink ink_;
};

// A container on a rounded rectangle with continuous corners, filled and optionally outlined.
class RoundedPanel : public QWidget {
  Q_OBJECT

public:
  // Without a stroke ink the panel has no outline.
  RoundedPanel(double radius, style::Ink fill, std::optional<style::Ink> stroke = std::nullopt,
               QWidget* parent = nullptr);
  // The column the content goes into, with the given padding and spacing.
  QVBoxLayout* column() const { return column_; }
  // The colour it fills with now (translucent where its ink is).
  QColor fillColour() const { return fill_.resolve(palette()); }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  double radius_;
  style::Ink fill_;
  std::optional<style::Ink> stroke_;
  QVBoxLayout* column_;
};

// A disclosure header's label: `title` (13 points, medium) and, on the trailing side, `note` (a
// secondary label that the caller keeps, to change its text).
QWidget* disclosureTitle(const QString& title, QLabel* note);

// A disclosure group: a header with the platform's disclosure indicator that shows or hides the
// content below it. The header's accessible name is `title`.
class Disclosure : public QWidget {
  Q_OBJECT

public:
  // The indicator's column before the header's label.
  static constexpr int indicatorWidth = 16;

  // `label` is the header's content; the indicator is drawn before it. `headerMargins` pad the
  // header (the whole padded row takes the click).
  Disclosure(const QString& title, QWidget* label, QWidget* content,
             const QMargins& headerMargins = {}, QWidget* parent = nullptr);
  bool isExpanded() const { return expanded_; }
  void setExpanded(bool expanded);
  QAbstractButton& header() const { return *header_; }
  QWidget& content() const { return *content_; }

  // Runs after the group opened or closed, with the new state.
  std::function<void(bool)> onExpandedChange;

private:
  QAbstractButton* header_;
  QWidget* content_;
  bool expanded_ = false;
};

} // namespace lumivane::shell
