#include "Shell/ProtectedAppsEditor.hpp"

#include "Lumivane/SettingsManager.hpp"
#include "Shell/Card.hpp"
#include "Shell/Controls.hpp"
#include "Shell/SettingRow.hpp"
#include "Shell/Style.hpp"
#include "Shell/Text.hpp"

#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
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

// Under the name: the identifier of a running application, the state of one that is not.
QString subtitle(const ProtectedAppRow& row) {
  if (row.isRunning) {
    return qtext(row.identifier);
  }
  const QString notRunning = QStringLiteral("未在运行");
  return row.displayName == row.identifier
             ? notRunning
             : notRunning + QStringLiteral(" · ") + qtext(row.identifier);
}

} // namespace

ProtectedAppsEditor::ProtectedAppsEditor(std::shared_ptr<SettingsManager> settings,
                                         std::function<std::vector<ProtectableApp>()> runningApps,
                                         QWidget* parent)
    : QWidget(parent), settings_(std::move(settings)), runningApps_(std::move(runningApps)) {
  setIdentifier(*this, "lumivane.protected-apps");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(14, 14, 14, 14);

  auto* box = new QWidget;
  content_ = new QVBoxLayout(box);
  content_->setContentsMargins(0, 12, 0, 0);
  content_->setSpacing(10);
  auto* note = makeLabel(QStringLiteral("受保护的应用不显示 ×，鼠标中键也不会让它退出。"), 11,
                         QFont::Normal, style::Ink::secondary());
  note->setWordWrap(true);
  content_->addWidget(note);
  empty_ =
      makeLabel(QStringLiteral("没有正在运行的应用"), 11, QFont::Normal, style::Ink::secondary());
  content_->addWidget(empty_);
  list_ = makeList();
  content_->addWidget(list_);

  count_ = makeLabel(QString(), 11, QFont::Normal, style::Ink::secondary());
  disclosure_ = new Disclosure(disclosureTitle(QStringLiteral("受保护的应用"), count_), box);
  disclosure_->onExpandedChange = [this](bool expanded) {
    render();
    if (expanded && onExpand) {
      onExpand();
    }
  };
  outer->addWidget(disclosure_);

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
  auto* card = new Card;
  for (const ProtectedAppRow& row : rows_) {
    if (card->column()->count() > 0) {
      card->column()->addWidget(Rule::divider(0.4, 14));
    }
    const std::string identifier = row.identifier;
    card->column()->addWidget(new SettingRow(
        {}, qtext(row.displayName), subtitle(row),
        {[settings = settings_, identifier] {
           return settings->protectedApps().contains(identifier);
         },
         [settings = settings_, identifier](bool on) { settings->setProtected(identifier, on); }}));
  }
  return card;
}

} // namespace lumivane::shell
