#include "prefs/settings_store.h"

#include <QSettings>
#include <memory>
#include <stdexcept>

namespace marvessa {

namespace {

const char* const kGroup = "Options";

std::unique_ptr<QSettings> Open(const QString& file) {
  auto settings = file.isEmpty()
                      ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Marvessa")
                      : std::make_unique<QSettings>(file, QSettings::NativeFormat);
  settings->beginGroup(kGroup);
  return settings;
}

}  // namespace

QString TQtSettingsStore::Value(const QString& name) const {
  QVariant value = Open(file_)->value(name);
  return value.isValid() ? value.toString() : QString();
}

void TQtSettingsStore::SetValue(const QString& name, const QString& value) {
  auto settings = Open(file_);
  settings->setValue(name, value);
  settings->sync();
  if (settings->status() != QSettings::NoError) {
    throw std::runtime_error("Cannot write the settings file " + settings->fileName().toStdString());
  }
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
