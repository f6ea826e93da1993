#include "engine/file/file_session.h"

#include <gtest/gtest.h>

#include "engine/file/cipher.h"

namespace isam {
namespace {

TEST(PasswordListTest, ComparesExactlyAndIgnoresEmptyAndRepeatedEntries) {
  TPasswordList list;
  list.Add("Secret");
  list.Add("Secret");
  list.Add("");
  list.Add("other");
  EXPECT_EQ(list.entries(), (std::vector<std::string>{"Secret", "other"}));
  EXPECT_TRUE(list.Contains("Secret"));
  for (const char* near : {"secret", "SECRET", "Secret ", " Secret", "Secre", ""}) {
    EXPECT_FALSE(list.Contains(near)) << '"' << near << '"';
  }
  list.Remove("secret");  // no such entry
  list.Remove("Secret");
  EXPECT_EQ(list.entries(), (std::vector<std::string>{"other"}));
  list.Clear();
  EXPECT_TRUE(list.entries().empty());
}

TEST(PasswordListTest, LongPasswordsAreShortStrings) {
  TPasswordList list;
  std::string longText(300, 'p');
  list.Add(longText);
  ASSERT_EQ(list.entries().size(), 1u);
  EXPECT_EQ(list.entries()[0].size(), 255u);
  // Both sides are compared as short strings.
  EXPECT_TRUE(list.Contains(longText));
  EXPECT_TRUE(list.Contains(std::string(255, 'p')));
  list.Remove(longText);
  EXPECT_TRUE(list.entries().empty());
}

TEST(MemoryFileListTest, NothingIsEverInMemory) {
  TMemoryFileList files;
  EXPECT_FALSE(files.Contains("ces.DAT"));
  EXPECT_FALSE(files.Contains(""));
}

TEST(EngineRecordTest, StartsStopsAndCarriesTheErrorContext) {
  StopEngine();  // whatever an earlier test left running
  EXPECT_EQ(CurrentFileSession(), nullptr);
  EXPECT_EQ(ReportError(kReadError, "a.DAT"), kReadError);  // nowhere to store: harmless
  {
    EngineScope engine;
    TFileSession* record = EngineRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(StartEngine(), record);  // already running: the same record
    EXPECT_EQ(CurrentFileSession(), record);

    TFileSession other;
    SetCurrentFileSession(&other);
    ReportError(kWriteError, "b.DAT", "F", "I", "x");
    EXPECT_EQ(other.lastError.code, kWriteError);
    EXPECT_EQ(other.lastError.fileName, "b.DAT");
    EXPECT_EQ(record->lastError.code, 0);
    SetCurrentFileSession(nullptr);
    EXPECT_EQ(CurrentFileSession(), record);

    ReportError(kReadError, "a.DAT");
    ReportError(kEngineNotInitialized, "c.DAT");  // stores nothing
    EXPECT_EQ(record->lastError.code, kReadError);
    ReportError(kLockFailure, "d.DAT");  // clears what was there
    EXPECT_EQ(record->lastError.fileName, "d.DAT");
    EXPECT_EQ(record->lastError.fieldName, "");
  }
  EXPECT_FALSE(EngineStarted());
  EXPECT_EQ(CurrentFileSession(), nullptr);
}

TEST(CipherTest, KnownBytesOfBothParameterSets) {
  // Zero bytes show the key stream: x ^ y with x rising and y falling.
  uint8_t data[4] = {};
  ApplyCipher(data, sizeof data, kDataBlockCipher);
  EXPECT_EQ(std::vector<uint8_t>(data, data + 4), (std::vector<uint8_t>{0x9A, 0x94, 0x92, 0x90}));
  uint8_t password[4] = {'a', 'b', 'c', 'd'};
  ApplyCipher(password, sizeof password, kPasswordCipher);
  EXPECT_EQ(std::vector<uint8_t>(password, password + 4),
            (std::vector<uint8_t>{'a' ^ 0xBD, 'b' ^ 0xBD, 'c' ^ 0x81, 'd' ^ 0x81}));
}

TEST(CipherTest, SeedsWrapAndEveryCallStartsFromThem) {
  std::vector<uint8_t> buffer(300, 0);
  ApplyCipher(buffer.data(), buffer.size(), kDataBlockCipher);
  EXPECT_EQ(buffer[62], 0xE5 ^ 0xFF);  // y passed 0
  EXPECT_EQ(buffer[89], 0x00 ^ 0xE4);  // x passed 255
  EXPECT_EQ(buffer[256], buffer[0]);   // period 256
  std::vector<uint8_t> again(300, 0);
  ApplyCipher(again.data(), again.size(), kDataBlockCipher);
  EXPECT_EQ(again, buffer);
}

TEST(CipherTest, IsItsOwnInverse) {
  std::vector<uint8_t> plain(1000);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 37 + 11);
  for (CipherParameters seeds : {kDataBlockCipher, kPasswordCipher}) {
    std::vector<uint8_t> buffer = plain;
    ApplyCipher(buffer.data(), buffer.size(), seeds);
    EXPECT_NE(buffer, plain);
    ApplyCipher(buffer.data(), buffer.size(), seeds);
    EXPECT_EQ(buffer, plain);
  }
  uint8_t untouched = 0x42;
  ApplyCipher(&untouched, 0, kDataBlockCipher);
  EXPECT_EQ(untouched, 0x42);
}

}  // namespace
}  // namespace isam
