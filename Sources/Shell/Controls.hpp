#pragma once

#include "Shell/Style.hpp"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QVBoxLayout;

// The small building blocks the views are made of: symbols, labels, buttons, the switch, rules,
// dots, rounded backgrounds and the disclosure group. Each draws in inks (colour roles) resolved
// when it paints, so that it follows the appearance.
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
// A button in the prominent bordered style (accent fill, white text); large or small size.
QPushButton* makeProminentButton(const QString& text, bool large);
// A button in the plain style: only its text, in `ink`.
QPushButton* makePlainButton(const QString& text, int size, style::Ink ink);
// A standard bordered button at `size` points.
QPushButton* makeButton(const QString& text, int size);
// Sets a widget's accessibility identifier: its object name and its accessible name.
void setIdentifier(QWidget& widget, std::string_view identifier);
// Runs a copy of `action` when it is set: the action may release the view that holds it.
void runAction(const std::function<void()>& action);

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
  void setInk(style::Ink ink);
  // The colour of its text now.
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

// A switch-style toggle in the small control size.
class Switch : public QAbstractButton {
  Q_OBJECT

public:
  explicit Switch(QWidget* parent = nullptr);
  QSize sizeHint() const override;

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

// A disclosure group: a header with a chevron that shows or hides the content below it.
class Disclosure : public QWidget {
  Q_OBJECT

public:
  // `label` is the header's content; the chevron is drawn before it.
  Disclosure(QWidget* label, QWidget* content, QWidget* parent = nullptr);
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
