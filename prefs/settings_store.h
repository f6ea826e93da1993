#pragma once
// The per-user settings store: string values under the group "Options" of
// the organisation "Marvessa". Reading rules of the typed helpers: a missing
// value yields the default, an integer that is not valid decimal text yields
// the default, a boolean is an integer that is true when not 0.
#include <QString>
#include <map>
#include <utility>

namespace marvessa {

class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;
  // Null QString when the value is missing.
  virtual QString Value(const QString& name) const = 0;
  virtual void SetValue(const QString& name, const QString& value) = 0;
};

// QSettings in the native format, user scope, ~/.config/Marvessa.conf; or,
// for tests, a settings file of the same format at a path of their own.
// A value that cannot be written raises an error naming the file.
class TQtSettingsStore : public ISettingsStore {
 public:
  TQtSettingsStore() = default;
  explicit TQtSettingsStore(QString file) : file_(std::move(file)) {}
  QString Value(const QString& name) const override;
  void SetValue(const QString& name, const QString& value) override;

 private:
  QString file_;  // empty: the user's own store
};

// In memory, for tests.
class TMemorySettingsStore : public ISettingsStore {
 public:
  QString Value(const QString& name) const override;
  void SetValue(const QString& name, const QString& value) override { values_[name] = value; }

 private:
  std::map<QString, QString> values_;
};

int ReadInteger(const ISettingsStore& store, const QString& name, int defaultValue);
bool ReadBoolean(const ISettingsStore& store, const QString& name, bool defaultValue);

}  // namespace marvessa
