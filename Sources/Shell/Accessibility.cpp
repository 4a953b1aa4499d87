#include "Shell/Accessibility.hpp"

#include "Shell/Text.hpp"

#include <QAccessibleWidget>
#include <QWidget>

namespace lumivane::shell::accessibility {

namespace {

// The dynamic property that tells the factory below what a widget is.
constexpr char elementKind[] = "lumivaneAccessibleElement";
constexpr char hiddenKind[] = "hidden";
constexpr char imageKind[] = "image";

// An element without children: what it shows is said by its own name, or nothing at all.
class LeafElement : public QAccessibleWidget {
public:
  LeafElement(QWidget* widget, QAccessible::Role role, bool hidden)
      : QAccessibleWidget(widget, role), hidden_(hidden) {}

  // VoiceOver skips an invisible element (there is no "hidden" state of its own in Qt).
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.invisible = state.invisible || hidden_;
    return state;
  }
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

private:
  bool hidden_;
};

QAccessibleInterface* elementFor(const QString&, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) {
    return nullptr;
  }
  const QByteArray kind = object->property(elementKind).toByteArray();
  auto* widget = static_cast<QWidget*>(object);
  if (kind == hiddenKind) {
    return new LeafElement(widget, QAccessible::NoRole, /*hidden=*/true);
  }
  if (kind == imageKind) {
    return new LeafElement(widget, QAccessible::Graphic, /*hidden=*/false);
  }
  return nullptr;
}

// Marks the widget before anything asks for its element: Qt keeps the first one it makes.
void mark(QWidget& widget, const char* kind) {
  static const bool installed = [] {
    QAccessible::installFactory(elementFor);
    return true;
  }();
  (void)installed;
  widget.setProperty(elementKind, QByteArray(kind));
}

} // namespace

void setIdentifier(QWidget& widget, std::string_view identifier) {
  widget.setObjectName(qtext(identifier));
}

void hide(QWidget& widget) {
  mark(widget, hiddenKind);
}

void presentAsImage(QWidget& widget, const QString& label) {
  mark(widget, imageKind);
  widget.setAccessibleName(label);
}

} // namespace lumivane::shell::accessibility
