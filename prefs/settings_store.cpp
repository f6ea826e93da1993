#include "prefs/settings_store.h"

#include <QSettings>

namespace marvessa {

namespace {
const char* const kGroup = "Options";
}  // namespace

QString TQtSettingsStore::Value(const QString& name) const {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Marvessa");
  settings.beginGroup(kGroup);
  QVariant value = settings.value(name);
  return value.isValid() ? value.toString() : QString();
}

void TQtSettingsStore::SetValue(const QString& name, const QString& value) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Marvessa");
  settings.beginGroup(kGroup);
  settings.setValue(name, value);
}

QString TMemorySettingsStore::Value(const QString& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? QString() : it->second;
}

int ReadInteger(const ISettingsStore& store, const QString& name, int defaultValue) {
  QString text = store.Value(name);
  if (text.isNull()) return defaultValue;
  bool ok = false;
  int value = text.toInt(&ok, 10);
  return ok ? value : defaultValue;
}

bool ReadBoolean(const ISettingsStore& store, const QString& name, bool defaultValue) {
  return ReadInteger(store, name, defaultValue ? 1 : 0) != 0;
}

}  // namespace marvessa
