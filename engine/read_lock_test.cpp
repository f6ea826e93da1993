// The read lock lasts one operation: a table object that merely shows a
// record (its memo read through a stream that stays open) never keeps
// another table object, in this process or another, from posting a change.
#include <functional>
#include <gtest/gtest.h>

#include "engine/blob_stream.h"
#include "engine/data/data_file.h"
#include "engine/test_tables.h"
#include "testing/child_process.h"

namespace isam {
namespace {

using testing_tables::CodeOf;
using testing_tables::TableTest;

// Edits record 1 of DIR/q.DAT and posts it; returns the engine code (0 = posted).
int EditAndPost(const std::string& dir, const std::string& session = {}) {
  TIsamTable table;
  if (!session.empty()) table.SetSessionName(session);
  table.SetDatabaseName(dir);
  table.SetTableName("q.DAT");
  return CodeOf([&] {
    table.Open();
    table.SetRecordNumber(1);
    table.BeginEdit();
    table.FieldNamed("U_MEMO").SetStringValue("edited by another user");
    table.PostRecord();
  });
}

MARVESSA_CHILD(memo_editor) { return EditAndPost(args.at(0)); }

class ReadLockTest : public TableTest {
 protected:
  void SetUp() override {
    Create("q.DAT");
    Bind(reader_, "q.DAT");
    reader_.Open();
    Fill(reader_, {1, 2, 3});
    reader_.MoveFirst();
    reader_.BeginEdit();
    reader_.FieldNamed("Q_TEXT").SetStringValue(std::string(3000, 't'));  // several blocks
    reader_.PostRecord();
    // Reopened so that nothing of the memo is cached: the reads below reach the disk.
    reader_.Close();
    reader_.Open();
  }
  bool HoldsReadLock() const { return reader_.DataFile()->Locks().ReadLocked(); }
  TIsamField& Text() { return reader_.FieldNamed("Q_TEXT"); }
  TIsamTable reader_;
};

TEST_F(ReadLockTest, AnOpenMemoStreamHoldsNoLockAgainstAWriterHereOrInAnotherProcess) {
  TIsamBlobStream stream(Text(), TBlobStreamMode::bmRead);
  char buffer[100];
  ASSERT_EQ(stream.Read(buffer, sizeof buffer), sizeof buffer);
  ASSERT_FALSE(HoldsReadLock());

  EXPECT_EQ(EditAndPost(dir_.path(), sessionName_), 0);
  EXPECT_EQ(testing_support::RunChild("memo_editor", {dir_.path()}), 0);

  // The stream goes on reading after the other users' changes.
  EXPECT_EQ(stream.Read(buffer, sizeof buffer), sizeof buffer);
  EXPECT_EQ(buffer[0], 't');
}

TEST_F(ReadLockTest, EveryReadingOperationReleasesTheLockItTook) {
  struct Case {
    const char* name;
    std::function<void()> run;
  };
  char buffer[64];
  std::unique_ptr<TIsamBlobStream> stream;
  const Case cases[] = {
      {"open a stream", [&] { stream = std::make_unique<TIsamBlobStream>(Text(), TBlobStreamMode::bmRead); }},
      {"size", [&] { EXPECT_EQ(stream->Size(), 3000u); }},
      {"read", [&] { EXPECT_EQ(stream->Read(buffer, sizeof buffer), sizeof buffer); }},
      {"seek from the end", [&] { EXPECT_EQ(stream->Seek(-10, TSeekOrigin::soEnd), 2990u); }},
      {"close the stream", [&] { stream.reset(); }},
      {"memo text", [&] { EXPECT_EQ(Text().StringValue().size(), 3000u); }},
      {"filter", [&] {
         reader_.SetFilter("Q_SECT = 3");
         reader_.SetFiltered(true);
       }},
      {"count", [&] { EXPECT_EQ(reader_.CountRecords(), 1); }},
      {"unfilter", [&] { reader_.SetFiltered(false); }},
      {"move", [&] { reader_.MoveLast(); }},
  };
  for (const Case& c : cases) {
    // Each read starts cold, as after another user's change.
    reader_.DataFile()->Refresh();
    c.run();
    EXPECT_FALSE(HoldsReadLock()) << c.name;
  }
}

}  // namespace
}  // namespace isam
