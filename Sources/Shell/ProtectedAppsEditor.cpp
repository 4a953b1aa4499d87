#include "Shell/ProtectedAppsEditor.hpp"

#include "Lumivane/SettingsManager.hpp"
#include "Lumivane/Texts.hpp"
#include "Shell/Accessibility.hpp"
#include "Shell/Card.hpp"
#include "Shell/Controls.hpp"
#include "Shell/SettingRow.hpp"
#include "Shell/Style.hpp"
#include "Shell/Text.hpp"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace lumivane::shell {

namespace {

bool sameApplications(const std::vector<ProtectedAppRow>& a,
                      const std::vector<ProtectedAppRow>& b) {
  return std::ranges::equal(a, b, [](const ProtectedAppRow& x, const ProtectedAppRow& y) {
    return x.identifier == y.identifier && x.displayName == y.displayName &&
           x.isRunning == y.isRunning;
  });
}

// An application known only by its identifier is named after the identifier's last part.
QString rowTitle(const ProtectedAppRow& row) {
  return qtext(row.displayName == row.identifier ? texts::nameFromBundleIdentifier(row.identifier)
                                                 : std::string_view(row.displayName));
}

// Under the name: whether it runs, and the identifier where the name does not say it.
QString rowSubtitle(const ProtectedAppRow& row) {
  const bool named = row.displayName != row.identifier;
  if (row.isRunning) {
    return named ? QString() : qtext(row.identifier);
  }
  const QString notRunning = QStringLiteral("未在运行");
  return named ? notRunning : notRunning + QStringLiteral(" · ") + qtext(row.identifier);
}

// The application's own icon where its bundle is at hand (the Mac's file icon of an application
// is its icon); otherwise its initial on a tile tinted by its identifier. Decoration only: the
// row's title names the application.
class ApplicationIcon : public QWidget {
public:
  static constexpr int side = 24;

  ApplicationIcon(const ProtectedAppRow& row, const QString& name)
      : initial_(name.left(1).toUpper()), tint_(tintFor(row.identifier)) {
    setFixedSize(side, side);
    if (!row.bundlePath.empty()) {
      const QFileInfo bundle(qtext(row.bundlePath));
      if (bundle.exists()) {
        icon_ = QFileIconProvider().icon(bundle);
      }
    }
    accessibility::hide(*this);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!icon_.isNull()) {
      icon_.paint(&painter, rect());
      return;
    }
    const QRectF tile = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(style::Ink::of(tint_).resolve(palette()));
    painter.drawRoundedRect(tile, 5, 5);
    painter.setPen(Qt::white);
    painter.setFont(style::font(12, QFont::DemiBold));
    painter.drawText(tile, Qt::AlignCenter, initial_);
  }

private:
  // The same identifier always gets the same tint (FNV-1a over its bytes).
  static style::Ink::Role tintFor(const std::string& identifier) {
    constexpr std::array tints = {style::Ink::Role::blue, style::Ink::Role::green,
                                  style::Ink::Role::orange, style::Ink::Role::red};
    std::uint32_t hash = 2166136261u;
    for (const char byte : identifier) {
      hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
    }
    return tints[hash % tints.size()];
  }

  QString initial_;
  style::Ink::Role tint_;
  QIcon icon_;
};

} // namespace

ProtectedAppsEditor::ProtectedAppsEditor(std::shared_ptr<SettingsManager> settings,
                                         std::function<std::vector<ProtectableApp>()> runningApps,
                                         QWidget* parent)
    : QWidget(parent), settings_(std::move(settings)), runningApps_(std::move(runningApps)) {
  accessibility::setIdentifier(*this, "lumivane.protected-apps");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);

  auto* box = new QWidget;
  content_ = new QVBoxLayout(box);
  content_->setContentsMargins(0, 0, 0, 0);
  content_->setSpacing(0);
  auto* note = makeLabel(QStringLiteral("受保护的应用不显示 ×，鼠标中键也不会让它退出。"), 11,
                         QFont::Normal, style::Ink::secondary());
  note->setWordWrap(true);
  note->setContentsMargins(14, 0, 14, 10);
  content_->addWidget(note);
  empty_ =
      makeLabel(QStringLiteral("没有正在运行的应用"), 11, QFont::Normal, style::Ink::secondary());
  empty_->setContentsMargins(14, 0, 14, 14);
  content_->addWidget(empty_);
  list_ = makeList();
  content_->addWidget(list_);

  // The rows sit in the section's own card, under a divider: no card within a card.
  auto* card = new Card;
  count_ = makeLabel(QString(), 11, QFont::Normal, style::Ink::secondary());
  const QString title = QStringLiteral("受保护的应用");
  disclosure_ =
      new Disclosure(title, disclosureTitle(title, count_), box, QMargins(14, 12, 14, 12));
  disclosure_->onExpandedChange = [this](bool expanded) {
    render();
    if (expanded && onExpand) {
      onExpand();
    }
  };
  card->column()->addWidget(disclosure_);
  outer->addWidget(card);

  observation_ = settings_->observe([this] { render(); });
  render();
}

ProtectedAppsEditor::~ProtectedAppsEditor() {
  settings_->removeObserver(observation_);
}

bool ProtectedAppsEditor::isExpanded() const {
  return disclosure_->isExpanded();
}

void ProtectedAppsEditor::setExpanded(bool expanded) {
  disclosure_->setExpanded(expanded);
}

void ProtectedAppsEditor::render() {
  const ProtectedApps& protectedApps = settings_->protectedApps();
  const std::size_t count = protectedApps.identifiers().size();
  count_->setText(count == 0 ? QString() : QString::number(count));
  // The workspace is asked only while the list is in view.
  if (!disclosure_->isExpanded()) {
    return;
  }
  const std::vector<ProtectableApp> running =
      runningApps_ ? runningApps_() : std::vector<ProtectableApp>{};
  showRows(protectedAppRows(running, protectedApps, rows_));
}

void ProtectedAppsEditor::showRows(std::vector<ProtectedAppRow> rows) {
  const bool same = sameApplications(rows, rows_);
  rows_ = std::move(rows);
  if (same) {
    for (SettingRow* row : list_->findChildren<SettingRow*>()) {
      row->refresh();
    }
  } else {
    // The old list may hold the switch whose change led here: it goes later.
    QWidget* replaced = list_;
    list_ = makeList();
    // The layout hands back the item that held the old list; it is ours to delete.
    delete content_->replaceWidget(replaced, list_);
    replaced->hide();
    replaced->deleteLater();
  }
  empty_->setVisible(rows_.empty());
  list_->setVisible(!rows_.empty());
}

QWidget* ProtectedAppsEditor::makeList() const {
  auto* list = new QWidget;
  auto* column = new QVBoxLayout(list);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  for (const ProtectedAppRow& row : rows_) {
    column->addWidget(Rule::divider(0.4, 14));
    const std::string identifier = row.identifier;
    const QString name = rowTitle(row);
    column->addWidget(new SettingRow(
        new ApplicationIcon(row, name), name, rowSubtitle(row),
        {[settings = settings_, identifier] {
           return settings->protectedApps().contains(identifier);
         },
         [settings = settings_, identifier](bool on) { settings->setProtected(identifier, on); }}));
  }
  return list;
}

} // namespace lumivane::shell
