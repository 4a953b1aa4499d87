#pragma once

#include <QString>
#include <string_view>

class QWidget;

// What the views are to assistive technologies (VoiceOver). A control's accessible name is its
// visible label: Qt takes a button's text and a picker's buddy label by itself. Identifiers are
// for tests and scripts, never read aloud. A plain widget is a container that VoiceOver skips;
// a drawing that says something is made an image with a label, and decoration is hidden.
namespace lumivane::shell::accessibility {

// The accessibility identifier ("lumivane.…"): the widget's object name. Qt hands no
// identifier of its own to the system; the name is left to the visible label.
void setIdentifier(QWidget& widget, std::string_view identifier);

// The widget and everything in it are hidden from assistive technologies: decoration that
// repeats what a label says (the welcome demonstration's icons).
void hide(QWidget& widget);

// The widget is one image element with `label` (its children are hidden): a drawing that
// carries meaning, such as the readiness dot or the layout preview. Call again to relabel.
void presentAsImage(QWidget& widget, const QString& label);

} // namespace lumivane::shell::accessibility
