#include "engine/file/table_locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "testing/temp_dir.h"

namespace isam {
namespace {

// Builds the German locale into a scratch folder and points LOCPATH at it,
// so that the test does not depend on the locales installed on the machine.
class TableLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string command = "localedef -i de_DE -f UTF-8 " + dir_.File("de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(dir_.File("de_DE.UTF-8")))
      GTEST_SKIP() << "localedef cannot build de_DE here";
    setenv("LOCPATH", dir_.path().c_str(), 1);
  }
  void TearDown() override { unsetenv("LOCPATH"); }

  testing_support::TempDir dir_;
};

TEST_F(TableLocaleTest, LanguageIdsMapToInstalledLocales) {
  auto german = FindTableLocale(0x0407, 0);
  ASSERT_TRUE(german);
  EXPECT_TRUE(FindTableLocale(0x0C07, 0));  // Austrian German falls back to its language
  EXPECT_FALSE(FindTableLocale(0x0411, 0));  // no Japanese locale here
  EXPECT_FALSE(FindTableLocale(0x7FFF, 0));

  // Locale order puts the umlaut beside its base letter, unlike byte order.
  const char umlaut[] = "\xC4pfel";  // "Äpfel" in Windows-1252
  EXPECT_LT(german->Compare(umlaut, 5, "Birne", 5, false), 0);
  EXPECT_NE(german->Compare("apfel", 5, "APFEL", 5, false), 0);
  EXPECT_EQ(german->Compare("apfel", 5, "APFEL", 5, true), 0);

  uint8_t key[] = {0xE4, 'b', 'c', 0};  // "äbc"
  german->MapKeyCharacters(key, 3, true);
  EXPECT_EQ(key[0], 0xC4);
  EXPECT_EQ(key[1], 'B');
}

}  // namespace
}  // namespace isam
