// The links of the data-aware controls, without any window: what they read,
// when they start an edit, and that reading the list never ends one.
#include <gtest/gtest.h>

#include "engine/field.h"
#include "exam/data/question_tables.h"
#include "exam/data/test_bank.h"
#include "sampler/data_module.h"
#include "sampler/field_link.h"
#include "sampler/record_list_link.h"

namespace marvessa::testing {
namespace {

using isam::TDataSetState;

class LinksTest : public ::testing::Test {
 protected:
  LinksTest() { dm.dtUserSet.Open(); }
  void AddRecords(int count) {
    for (int i = 0; i < count; ++i) {
      dm.dtUserSet.BeginInsert();
      dm.dtUserSet.FieldNamed("Q1").SetStringValue("answer " + std::to_string(i));
      dm.dtUserSet.PostRecord();
    }
  }
  std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (dm.dtUserSet.MoveFirst(); !dm.dtUserSet.AtEnd(); dm.dtUserSet.MoveNext())
      ids.push_back(dm.dtUserSet.FieldNamed("Q_ID").IntegerValue());
    return ids;
  }

  TBankFolder folder;
  TQuestionTables tables;  // the session and the table password
  TDM dm;
};

TEST_F(LinksTest, TheListReadsEveryRecordButNeverEndsAnEdit) {
  TRecordListLink list(dm.dsUserSet, "Q_ID");
  list.Refresh();
  EXPECT_TRUE(list.Values().empty());
  EXPECT_EQ(list.CurrentRow(), -1);

  AddRecords(3);
  const std::vector<int32_t> ids = Ids();
  EXPECT_TRUE(list.Stale());
  list.Refresh();
  EXPECT_EQ(list.Values(), ids);
  list.Select(1);
  EXPECT_EQ(dm.dtUserSet.FieldNamed("Q_ID").IntegerValue(), ids[1]);
  EXPECT_EQ(list.CurrentRow(), 1);

  // An edit in progress: reading would move the cursor and so post it.
  dm.dtUserSet.BeginEdit();
  dm.dtUserSet.FieldNamed("Q1").SetStringValue("pending");
  list.Refresh();
  EXPECT_EQ(dm.dtUserSet.State(), TDataSetState::dsEdit);
  EXPECT_EQ(dm.dtUserSet.FieldNamed("Q1").StringValue(), "pending");
  EXPECT_TRUE(list.Stale());
  dm.dtUserSet.CancelRecord();

  dm.dtUserSet.DeleteRecord();
  list.Refresh();
  EXPECT_EQ(list.Values(), (std::vector<int32_t>{ids[0], ids[2]}));
  EXPECT_EQ(list.CurrentRow(), 1);  // on to the record that followed
}

TEST_F(LinksTest, TheNavigatorOffersOnlyMovesThatLeadSomewhere) {
  TNavigatorLink nav(dm.dsUserSet);
  using B = TNavigatorLink;
  auto offered = [&] {
    return std::vector<bool>{nav.CanMove(B::nbFirst), nav.CanMove(B::nbPrior), nav.CanMove(B::nbNext),
                             nav.CanMove(B::nbLast)};
  };
  EXPECT_EQ(offered(), std::vector<bool>(4, false));
  AddRecords(3);
  struct Case {
    B::TNavigateBtn move;
    int record;
    std::vector<bool> offered;
  };
  const Case cases[] = {{B::nbFirst, 1, {false, false, true, true}},
                        {B::nbNext, 2, {true, true, true, true}},
                        {B::nbLast, 3, {true, true, false, false}},
                        {B::nbPrior, 2, {true, true, true, true}}};
  for (const Case& c : cases) {
    nav.Click(c.move);
    EXPECT_EQ(dm.dtUserSet.RecordNumber(), c.record) << c.move;
    EXPECT_EQ(offered(), c.offered) << c.move;
  }
}

TEST_F(LinksTest, ChangingAControlStartsAnEditAndRefusesWhatDoesNotFit) {
  TFieldDataLink answer(dm.dsUserSet, "q1");  // names ignore case
  TFieldDataLink correct(dm.dsUserSet, "A2");
  int shown = 0;
  answer.OnDisplay = [&] { ++shown; };
  EXPECT_EQ(answer.MaxLength(), 250);
  EXPECT_EQ(correct.MaxLength(), 0);

  // An empty set: the change starts a new record.
  correct.Modify(true);
  EXPECT_EQ(dm.dtUserSet.State(), TDataSetState::dsInsert);
  dm.dtUserSet.PostRecord();

  shown = 0;
  EXPECT_TRUE(answer.Modify(QString("é").repeated(250)));  // one byte each in the tables
  EXPECT_EQ(dm.dtUserSet.State(), TDataSetState::dsEdit);
  EXPECT_EQ(shown, 0);  // the control shows it already
  EXPECT_FALSE(answer.Modify(QString(251, 'x')));
  // A character beyond the code page is stored as one "?", whatever its
  // length in UTF-16.
  EXPECT_TRUE(answer.Fits(QString(249, 'x') + QString::fromUtf8("\xF0\x9F\x98\x80")));
  dm.dtUserSet.PostRecord();
  EXPECT_EQ(answer.Text(), QString("é").repeated(250));
  EXPECT_TRUE(correct.Checked());

  dm.dtUserSet.Close();
  EXPECT_EQ(answer.Field(), nullptr);
  EXPECT_FALSE(answer.CanModify());
  EXPECT_TRUE(answer.Text().isEmpty());
}

}  // namespace
}  // namespace marvessa::testing
