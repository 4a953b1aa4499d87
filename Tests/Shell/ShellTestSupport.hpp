#pragma once

// Services on a simulated desktop for the view tests, and ways to find what a view shows.

#include "SimulatedDesktop/ViewServices.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace lumivane::shell::test {

using Services = ViewServices;

// The label under `root` showing exactly `text`, or null.
inline QLabel* findLabel(QWidget& root, const QString& text) {
  for (QLabel* label : root.findChildren<QLabel*>()) {
    if (label->text() == text) {
      return label;
    }
  }
  return nullptr;
}

inline QAbstractButton* findButton(QWidget& root, const QString& text) {
  for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
    if (button->text() == text) {
      return button;
    }
  }
  return nullptr;
}

// Whether a label or button with this text would be visible when `root` is shown.
inline bool shows(QWidget& root, const QString& text) {
  if (QLabel* label = findLabel(root, text)) {
    return label->isVisibleTo(&root);
  }
  if (QAbstractButton* button = findButton(root, text)) {
    return button->isVisibleTo(&root);
  }
  return false;
}

// Runs the deletions Qt deferred (widgets released from inside their own handlers).
inline void runDeferredDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace lumivane::shell::test
