#pragma once

#include <QAbstractButton>
#include <QStringList>
#include <QWidget>

class QButtonGroup;

namespace lumivane::shell {

// A segmented control in the platform's look: a rounded track holding equal segments, the
// selected one raised on a lighter pill, hairlines between the others. Drawn from the palette,
// so that it follows the appearance. Exactly one segment is selected; the segments are buttons
// (focusable, Space selects, arrow keys move between them).
class SegmentedControl : public QWidget {
  Q_OBJECT

public:
  static constexpr int height = 22;
  static constexpr double radius = 6;

  explicit SegmentedControl(const QStringList& titles, QWidget* parent = nullptr);
  int selected() const;
  void setSelected(int index);
  // Reports a segment the user chose, by index.
  QButtonGroup& group() const { return *group_; }
  QAbstractButton& segment(int index) const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QButtonGroup* group_;
};

} // namespace lumivane::shell
