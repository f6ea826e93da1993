#include "prefs/settings_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "testing/temp_dir.h"

namespace marvessa {
namespace {

TEST(SettingsStore, TypedReadsFollowTheReadingRules) {
  struct Case {
    const char* stored;  // null: missing
    int integer;         // ReadInteger with default 90
    bool boolean;        // ReadBoolean with default true
  };
  for (Case c : {Case{nullptr, 90, true}, Case{"45", 45, true}, Case{"-3", -3, true},
                 Case{"0", 0, false}, Case{"1", 1, true}, Case{"abc", 90, true},
                 Case{"", 90, true}, Case{"12x", 90, true}}) {
    TMemorySettingsStore store;
    if (c.stored) store.SetValue("DefaultTime", c.stored);
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    EXPECT_EQ(ReadInteger(store, "DefaultTime", 90), c.integer);
    EXPECT_EQ(ReadBoolean(store, "DefaultTime", true), c.boolean);
  }
}

TEST(SettingsStore, QtStoreKeepsStringsUnderOptions) {
  testing_support::TempDir dir;
  const QString file = QString::fromStdString(dir.File("Marvessa.conf"));
  TQtSettingsStore store(file);
  store.SetValue("DefaultTime", "120");
  EXPECT_EQ(TQtSettingsStore(file).Value("DefaultTime"), "120");
  EXPECT_TRUE(store.Value("NoSuchValue").isNull());
  QFile ini(file);
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_EQ(ini.readAll(), "[Options]\nDefaultTime=120\n");
}

TEST(SettingsStore, AFileThatCannotBeWrittenIsAnError) {
  testing_support::TempDir dir;
  // A folder where the file should be: the write fails.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.File("Marvessa.conf"))));
  TQtSettingsStore store(QString::fromStdString(dir.File("Marvessa.conf")));
  EXPECT_THROW(store.SetValue("DefaultTime", "120"), std::runtime_error);
}

}  // namespace
}  // namespace marvessa
