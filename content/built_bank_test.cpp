// The bank as the build made it, read the way the program reads it.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/session.h"
#include "engine/table.h"

namespace {

std::string BankFile(const char* name) { return std::string(MARVESSA_BUILT_BANK_DIR) + "/" + name; }

class BuiltBankTest : public ::testing::Test {
 protected:
  void SetUp() override {
    isam::TIsamSession& session = isam::Sessions().DefaultSession();
    session.SetActive(true);
    session.RegisterPassword("Lanternfish2718");
    bank_.SetTableName(BankFile("qvault.DAT"));
  }
  isam::TIsamTable bank_;
};

TEST_F(BuiltBankTest, QidEqualsTheRecordNumberAlsoWhileFiltered) {
  bank_.Open();
  EXPECT_GE(bank_.CountRecords(), 220);
  int expected = 0;
  for (bank_.MoveFirst(); !bank_.AtEnd(); bank_.MoveNext()) {
    ++expected;
    ASSERT_EQ(bank_.RecordNumber(), expected);
    ASSERT_EQ(bank_.FieldNamed("Q_ID").IntegerValue(), expected);
  }
  bank_.SetFilter("Q_EXAM_N=3");
  bank_.SetFiltered(true);
  EXPECT_EQ(bank_.CountRecords(), 30);
  for (bank_.MoveFirst(); !bank_.AtEnd(); bank_.MoveNext()) {
    EXPECT_EQ(bank_.FieldNamed("Q_EXAM_N").IntegerValue(), 3);
    EXPECT_EQ(bank_.RecordNumber(), bank_.FieldNamed("Q_ID").IntegerValue());
  }
}

TEST_F(BuiltBankTest, ExhibitsAndEmptyTablesAreBesideTheBank) {
  bank_.Open();
  for (bank_.MoveFirst(); !bank_.AtEnd(); bank_.MoveNext()) {
    for (const char* field : {"PICT1", "PICT2"}) {
      std::string name = bank_.FieldNamed(field).StringValue();
      if (!name.empty()) {
        EXPECT_TRUE(std::filesystem::exists(BankFile(name.c_str()))) << name;
      }
    }
  }
  for (const char* name : {"ces.DAT", "qvaultusr.DAT"}) {
    isam::TIsamTable table;
    table.SetTableName(BankFile(name));
    table.Open();
    EXPECT_TRUE(table.IsTableEmpty()) << name;
  }
}

}  // namespace
