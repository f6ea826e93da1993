#include "exam/data/response_table.h"

#include <gtest/gtest.h>

#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "exam/data/section_names.h"
#include "exam/data/test_bank.h"

namespace marvessa {
namespace {

class ResponseTableTest : public ::testing::Test {
 protected:
  // Items of the current exam set given by their keys ("ac" = A1 and A3).
  void Fill(std::initializer_list<const char*> keys) {
    isam::TIsamTable& ces = tables.dtCurrentSet;
    ces.SetExclusive(true);
    ces.RemoveAllRecords();
    ces.Open();
    int section = 1;
    for (const char* key : keys) {
      ces.BeginAppend();
      ces.FieldNamed("Q_Text").SetStringValue("question");
      ces.FieldNamed("q_sect").SetIntegerValue(section++);
      for (const char* c = key; *c; ++c) ces.FieldNamed(std::string("A") + char('1' + (*c - 'a'))).SetBooleanValue(true);
      ces.PostRecord();
    }
  }

  testing::TBankFolder folder;
  TQuestionTables tables;
  TResponseTable responses;
};

TEST_F(ResponseTableTest, ResetSizesClearsAndTakesSections) {
  Fill({"a", "ac", "", "bdf"});
  responses.Resize(9);
  responses[0].Marked = true;
  ResetResponses(tables.dtCurrentSet, responses);
  ASSERT_EQ(responses.Count(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(responses[i].Section, i + 1);
    EXPECT_FALSE(responses[i].Marked || responses[i].Correct);
    EXPECT_EQ(responses[i].Choice, (std::array<bool, 6>{}));
  }
  EXPECT_TRUE(tables.dtCurrentSet.AtEnd());
  EXPECT_THROW(responses.ForRecord(5), std::out_of_range);
  EXPECT_THROW(responses.ForRecord(0), std::out_of_range);
}

TEST_F(ResponseTableTest, CheckItemWantsExactlyTheKey) {
  Fill({"ac", ""});
  ResetResponses(tables.dtCurrentSet, responses);
  struct Case {
    std::array<bool, 6> choice;
    bool correct;
  };
  isam::TIsamTable& ces = tables.dtCurrentSet;
  ces.MoveFirst();
  for (Case c : {Case{{true, false, true}, true}, Case{{true, false, true, true}, false},
                 Case{{true}, false}, Case{{}, false}, Case{{false, false, true, false, false, true}, false}}) {
    responses.ForRecord(1).Choice = c.choice;
    CheckItem(ces, responses);
    EXPECT_EQ(responses.ForRecord(1).Correct, c.correct);
  }
  // An item without key is right with nothing chosen once CheckItem runs,
  // but an untouched item keeps Correct false.
  ces.MoveNext();
  EXPECT_FALSE(responses.ForRecord(2).Correct);
  CheckItem(ces, responses);
  EXPECT_TRUE(responses.ForRecord(2).Correct);
}

TEST(SectionNames, SevenNamesBySection) {
  EXPECT_EQ(SectionNames(1), "Planning");
  EXPECT_EQ(SectionNames(5), "Monitoring and Optimization");
  EXPECT_EQ(SectionNames(7), "Running Applications");
  EXPECT_EQ(SectionNames(0), "");
  EXPECT_EQ(SectionNames(8), "");
}

}  // namespace
}  // namespace marvessa
