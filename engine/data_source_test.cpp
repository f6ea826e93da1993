#include "engine/data_source.h"

#include <gtest/gtest.h>

#include "engine/test_tables.h"

namespace isam {
namespace {

using testing_tables::TableTest;

class DataSourceTest : public TableTest {
 protected:
  void SetUp() override {
    Create("ces.DAT");
    Bind(table_, "ces.DAT");
    table_.Open();
    Fill(table_, {1, 2, 3});
    source_.SetDataSet(&table_);
    source_.OnDataChange = [&](TIsamDataSource&, TIsamField* field) { changes_.push_back(field); };
    source_.OnStateChange = [&](TIsamDataSource&) { ++states_; };
    changes_.clear();
  }
  TIsamTable table_;
  TIsamDataSource source_;
  std::vector<TIsamField*> changes_;
  int states_ = 0;
};

TEST_F(DataSourceTest, MovesAndFieldWritesAreTold) {
  table_.MoveFirst();
  table_.MoveNext();
  EXPECT_EQ(changes_, (std::vector<TIsamField*>{nullptr, nullptr}));
  table_.MoveLast();
  changes_.clear();
  table_.MoveNext();  // nowhere to go: nothing changed
  EXPECT_TRUE(changes_.empty());
  table_.BeginEdit();
  EXPECT_EQ(source_.State(), TDataSetState::dsEdit);
  TIsamField& q1 = table_.FieldNamed("Q1");
  q1.SetStringValue("x");
  EXPECT_EQ(changes_.back(), &q1);
  table_.PostRecord();
  EXPECT_EQ(changes_.back(), nullptr);
  EXPECT_GE(states_, 2);  // into edit and back
}

TEST_F(DataSourceTest, SuspendedNotificationsAreToldOnceOnTheLastResume) {
  table_.SuspendNotifications();
  table_.SuspendNotifications();
  table_.MoveFirst();
  table_.MoveNext();
  table_.BeginEdit();
  table_.CancelRecord();
  table_.ResumeNotifications();
  EXPECT_TRUE(changes_.empty());
  EXPECT_EQ(states_, 0);
  table_.ResumeNotifications();
  EXPECT_EQ(changes_, std::vector<TIsamField*>{nullptr});
  EXPECT_EQ(states_, 1);
  table_.ResumeNotifications();  // unbalanced: ignored
  EXPECT_EQ(changes_.size(), 1u);
}

TEST_F(DataSourceTest, ListenersComeAndGoAndViewsWriteBeforeAPost) {
  int heard = 0;
  auto id = source_.AddListener({[&](TIsamField*) { ++heard; }, nullptr, nullptr});
  // A view with a pending edit writes it when the record is posted.
  source_.OnUpdateData = [&](TIsamDataSource&) {
    if (table_.State() == TDataSetState::dsEdit) table_.FieldNamed("Q1").SetStringValue("from view");
  };
  table_.BeginEdit();
  table_.MoveFirst();  // the view's write makes the edit modified: posted
  table_.SetRecordNumber(3);
  EXPECT_EQ(table_.FieldNamed("Q1").StringValue(), "from view");
  EXPECT_GT(heard, 0);
  source_.RemoveListener(id);
  heard = 0;
  table_.MoveFirst();
  EXPECT_EQ(heard, 0);
  // A destroyed table leaves the source detached.
  {
    TIsamTable other;
    source_.SetDataSet(&other);
  }
  EXPECT_EQ(source_.DataSet(), nullptr);
}

}  // namespace
}  // namespace isam
