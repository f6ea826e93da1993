#include "prefs/settings_store.h"

#include <gtest/gtest.h>

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
  TQtSettingsStore store;  // test mode: a scratch location, not the user's file
  store.SetValue("DefaultTime", "120");
  EXPECT_EQ(TQtSettingsStore().Value("DefaultTime"), "120");
  EXPECT_TRUE(store.Value("NoSuchValue").isNull());
}

}  // namespace
}  // namespace marvessa
