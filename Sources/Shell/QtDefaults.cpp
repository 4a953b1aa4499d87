#include "Shell/QtDefaults.hpp"

#include "Shell/Text.hpp"

#include <QMetaType>

namespace lumivane::shell {

namespace {

// The texts NSString's boolValue reads as true: an optional sign and leading zeros, then a
// non-zero digit, or a first letter Y or T ("true", as the INI file spells a Boolean).
bool textIsTrue(const QString& text) {
  const QString trimmed = text.trimmed();
  qsizetype index = 0;
  if (index < trimmed.size() && (trimmed[index] == u'+' || trimmed[index] == u'-')) {
    ++index;
  }
  while (index < trimmed.size() && trimmed[index] == u'0') {
    ++index;
  }
  if (index >= trimmed.size()) {
    return false;
  }
  const QChar first = trimmed[index];
  return (first >= u'1' && first <= u'9') || first == u'Y' || first == u'y' || first == u'T' ||
         first == u't';
}

} // namespace

QtDefaults::QtDefaults(const QString& organization, const QString& application)
    : settings_(std::make_unique<QSettings>(organization, application)) {}

QtDefaults::QtDefaults(const QString& path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

void QtDefaults::registerDefaults(const std::vector<std::pair<std::string, bool>>& values) {
  for (const auto& [key, value] : values) {
    registered_[key] = value;
  }
}

bool QtDefaults::boolForKey(std::string_view key) {
  const QVariant value = settings_->value(qtext(key));
  if (!value.isValid()) {
    const auto found = registered_.find(key);
    return found != registered_.end() && found->second;
  }
  switch (value.typeId()) {
  case QMetaType::Bool:
    return value.toBool();
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::Double:
    return value.toDouble() != 0;
  case QMetaType::QString:
    return textIsTrue(value.toString());
  default:
    return false;
  }
}

std::optional<std::string> QtDefaults::stringForKey(std::string_view key) {
  const QVariant value = settings_->value(qtext(key));
  switch (value.typeId()) {
  case QMetaType::QString:
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::Double:
    return value.toString().toStdString();
  default:
    return std::nullopt;
  }
}

// An INI file cannot tell a list of one text from a text, so arrays are kept as numbered
// entries of a group of the key's name (QSettings' array form).
std::optional<std::vector<std::string>> QtDefaults::stringArrayForKey(std::string_view key) {
  const QString name = qtext(key);
  if (!settings_->childGroups().contains(name)) {
    return std::nullopt;
  }
  std::vector<std::string> texts;
  const int size = settings_->beginReadArray(name);
  for (int index = 0; index < size; ++index) {
    settings_->setArrayIndex(index);
    const QVariant value = settings_->value(QStringLiteral("text"));
    if (value.typeId() != QMetaType::QString) {
      settings_->endArray();
      return std::nullopt;
    }
    texts.push_back(value.toString().toStdString());
  }
  settings_->endArray();
  return texts;
}

void QtDefaults::setBool(std::string_view key, bool value) {
  settings_->setValue(qtext(key), value);
  settings_->sync();
}

void QtDefaults::setString(std::string_view key, std::string_view value) {
  settings_->setValue(qtext(key), qtext(value));
  settings_->sync();
}

void QtDefaults::setStringArray(std::string_view key, const std::vector<std::string>& value) {
  const QString name = qtext(key);
  settings_->remove(name);
  settings_->beginWriteArray(name, static_cast<int>(value.size()));
  for (std::size_t index = 0; index < value.size(); ++index) {
    settings_->setArrayIndex(static_cast<int>(index));
    settings_->setValue(QStringLiteral("text"), qtext(value[index]));
  }
  settings_->endArray();
  settings_->sync();
}

} // namespace lumivane::shell
