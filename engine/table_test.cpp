#include "engine/table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

#include "engine/database.h"
#include "engine/filter/dataset_error.h"
#include "engine/test_tables.h"

namespace isam {
namespace {

using testing_tables::CodeOf;
using testing_tables::Field;
using testing_tables::MessageOf;
using testing_tables::QuestionTable;
using testing_tables::TableTest;

std::vector<std::string> WalkQ1(TIsamTable& table) {
  std::vector<std::string> seen;
  table.MoveFirst();
  while (!table.AtEnd()) {
    seen.push_back(table.FieldNamed("Q1").StringValue());
    table.MoveNext();
  }
  return seen;
}

class CursorTest : public TableTest {
 protected:
  void SetUp() override {
    Create("qvault.DAT");
    Bind(bank_, "qvault.DAT");
    bank_.Open();
  }
  TIsamTable bank_;
};

TEST_F(CursorTest, WalksForwardAndBackwardWithRecordNumbers) {
  EXPECT_TRUE(bank_.IsTableEmpty());
  EXPECT_TRUE(bank_.AtStart());
  EXPECT_TRUE(bank_.AtEnd());
  Fill(bank_, {1, 3, 3, 0, 2});
  EXPECT_EQ(bank_.CountRecords(), 5);
  EXPECT_FALSE(bank_.IsTableEmpty());
  EXPECT_EQ(WalkQ1(bank_), (std::vector<std::string>{"Q1", "Q2", "Q3", "Q4", "Q5"}));
  // Past the end the last record stays current; a step back leaves it.
  EXPECT_EQ(bank_.RecordNumber(), 5);
  bank_.MovePrior();
  EXPECT_EQ(bank_.RecordNumber(), 4);
  EXPECT_FALSE(bank_.AtEnd());
  bank_.MoveFirst();
  bank_.MovePrior();
  EXPECT_TRUE(bank_.AtStart());
  EXPECT_EQ(bank_.RecordNumber(), 1);
  bank_.MoveLast();
  EXPECT_TRUE(bank_.AtEnd());
  EXPECT_EQ(bank_.FieldNamed("q1").StringValue(), "Q5");
  EXPECT_EQ(bank_.FieldNamed("Q_ID").IntegerValue(), 5);
  bank_.SetRecordNumber(3);
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q3");
  // A number past the end fails and leaves the cursor where it was.
  EXPECT_NE(CodeOf([&] { bank_.SetRecordNumber(9); }), 0);
  EXPECT_EQ(bank_.RecordNumber(), 3);
  bank_.MoveNext();
  EXPECT_EQ(bank_.RecordNumber(), 4);
}

TEST_F(CursorTest, SettingTheCurrentRecordNumberDoesNothing) {
  Fill(bank_, {1, 2, 3});
  bank_.SetRecordNumber(2);
  int scrolls = 0;
  bank_.AfterScroll = [&](TIsamDataSet&) { ++scrolls; };
  bank_.SetRecordNumber(2);
  EXPECT_EQ(scrolls, 0);
  bank_.SetRecordNumber(3);
  EXPECT_EQ(scrolls, 1);
}

TEST_F(CursorTest, FieldsByNameIgnoreCaseAndReportUnknownNames) {
  EXPECT_EQ(&bank_.FieldNamed("Q_Text"), &bank_.FieldNamed("Q_TEXT"));
  EXPECT_EQ(MessageOf([&] { bank_.FieldNamed("Q_NOPE"); }), "Field 'Q_NOPE' not found");
  EXPECT_EQ(MessageOf([&] { bank_.Fields(99); }), "Field index out of range");
  EXPECT_EQ(bank_.FieldNamed("U_MEMO").Kind(), TFieldKind::Memo);
  EXPECT_EQ(bank_.FieldNamed("Q_ID").Kind(), TFieldKind::AutoInc);
  EXPECT_EQ(bank_.FieldNamed("Q1").Size(), 40);
}

TEST_F(CursorTest, WritesNeedEditOrInsertStateAndWritableFields) {
  Fill(bank_, {1});
  EXPECT_EQ(MessageOf([&] { bank_.FieldNamed("Q1").SetStringValue("x"); }), "Dataset not in edit or insert mode");
  bank_.BeginEdit();
  EXPECT_EQ(bank_.State(), TDataSetState::dsEdit);
  EXPECT_EQ(MessageOf([&] { bank_.FieldNamed("Q_ID").SetIntegerValue(7); }), "Field 'Q_ID' cannot be modified");
  bank_.FieldNamed("Q1").SetStringValue("changed   ");
  bank_.FieldNamed("Q_TYPE").SetBooleanValue(true);
  EXPECT_TRUE(bank_.Modified());
  bank_.PostRecord();
  EXPECT_EQ(bank_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "changed");
  EXPECT_TRUE(bank_.FieldNamed("Q_TYPE").BooleanValue());
  // A cancelled edit leaves the record as it was.
  bank_.BeginEdit();
  bank_.FieldNamed("Q1").SetStringValue("dropped");
  bank_.CancelRecord();
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "changed");
}

TEST_F(CursorTest, AMoveEndsAPendingEditByPostingOrCancelling) {
  Fill(bank_, {1, 2});
  bank_.MoveFirst();
  bank_.BeginEdit();
  bank_.FieldNamed("Q1").SetStringValue("edited");
  bank_.MoveNext();  // posts
  EXPECT_EQ(bank_.State(), TDataSetState::dsBrowse);
  bank_.BeginAppend();
  bank_.MoveFirst();  // nothing written: cancelled
  EXPECT_EQ(bank_.CountRecords(), 2);
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "edited");
}

TEST_F(CursorTest, BeginEditOnAnEmptyTableStartsANewRecord) {
  bank_.BeginEdit();
  EXPECT_EQ(bank_.State(), TDataSetState::dsInsert);
  EXPECT_EQ(bank_.RecordNumber(), -1);
  bank_.FieldNamed("Q1").SetStringValue("first");
  bank_.PostRecord();
  EXPECT_EQ(bank_.CountRecords(), 1);
  EXPECT_EQ(bank_.RecordNumber(), 1);
}

TEST_F(CursorTest, DeleteRecordRules) {
  EXPECT_EQ(MessageOf([&] { bank_.DeleteRecord(); }), "Cannot perform this operation on an empty dataset");
  Fill(bank_, {1, 2, 3});
  // In insert state a delete only drops the new record.
  bank_.SetRecordNumber(2);
  bank_.BeginInsert();
  bank_.FieldNamed("Q1").SetStringValue("new");
  bank_.DeleteRecord();
  EXPECT_EQ(bank_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(bank_.CountRecords(), 3);
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q2");
  // A delete moves on to the next record, from the last one to the new last.
  bank_.DeleteRecord();
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q3");
  bank_.DeleteRecord();
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q1");
  EXPECT_EQ(WalkQ1(bank_), std::vector<std::string>{"Q1"});
  bank_.DeleteRecord();
  EXPECT_TRUE(bank_.IsTableEmpty());
  EXPECT_TRUE(bank_.AtEnd() && bank_.AtStart());
}

TEST_F(CursorTest, KeySearchOnThePrimaryIndex) {
  Fill(bank_, {1, 2, 3, 4, 5});
  bank_.SetRecordNumber(2);
  bank_.BeginKeySearch();
  EXPECT_EQ(bank_.State(), TDataSetState::dsSetKey);
  EXPECT_EQ(MessageOf([&] { bank_.FieldNamed("Q1").SetStringValue("x"); }),
            "Field 'Q1' is not indexed and cannot be modified");
  bank_.FieldNamed("Q_ID").SetIntegerValue(4);
  EXPECT_TRUE(bank_.SeekKey());
  EXPECT_EQ(bank_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q4");
  EXPECT_EQ(bank_.RecordNumber(), 4);
  bank_.BeginKeySearch();
  bank_.FieldNamed("Q_ID").SetIntegerValue(42);
  EXPECT_FALSE(bank_.SeekKey());
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q4");
  bank_.MoveNext();
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q5");
}

TEST_F(CursorTest, BookmarksReturnToTheirRecord) {
  Fill(bank_, {1, 2, 3});
  bank_.SetRecordNumber(2);
  TBookmark mark = bank_.SaveBookmark();
  bank_.MoveLast();
  bank_.ReturnToBookmark(mark);
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q2");
  bank_.ReleaseBookmark(mark);
  EXPECT_TRUE(mark.empty());
}

TEST_F(CursorTest, PropertiesOfAnOpenTableAndOperationsOfAClosedOne) {
  const std::string open = "Cannot perform this operation on an open dataset";
  EXPECT_EQ(MessageOf([&] { bank_.SetExclusive(true); }), open);
  EXPECT_EQ(MessageOf([&] { bank_.SetReadOnly(true); }), open);
  EXPECT_EQ(MessageOf([&] { bank_.SetTableName("x.DAT"); }), open);
  EXPECT_EQ(MessageOf([&] { bank_.SetDatabaseName("/tmp"); }), open);
  EXPECT_EQ(MessageOf([&] { bank_.SetSessionName("x"); }), open);
  EXPECT_EQ(MessageOf([&] { bank_.SetForceBufferFlush(true); }), open);
  bank_.SetLockRetryCount(3);  // allowed at any time
  bank_.SetLockWaitTime(5);
  bank_.Close();
  const std::string closed = "Cannot perform this operation on a closed dataset";
  EXPECT_EQ(MessageOf([&] { bank_.MoveFirst(); }), closed);
  EXPECT_EQ(MessageOf([&] { bank_.CountRecords(); }), closed);
  EXPECT_EQ(MessageOf([&] { bank_.BeginEdit(); }), closed);
  EXPECT_EQ(bank_.LockRetryCount(), 3);
  EXPECT_EQ(bank_.EngineVersion(), "1.19");
  bank_.SetTableName("");
  EXPECT_EQ(MessageOf([&] { bank_.Open(); }), "Missing table name.");
  EXPECT_FALSE(bank_.Active());
}

// The exam-set preparation: copy questions field by field from the bank into
// the exam set, looking each one up by Q_ID, after emptying the closed set.
TEST_F(CursorTest, CopiesRecordsBetweenTablesFieldByField) {
  Fill(bank_, {1, 3, 2, 3});
  bank_.SetRecordNumber(2);
  bank_.BeginEdit();
  bank_.FieldNamed("Q_TEXT").SetStringValue("What is a bit?");
  bank_.PostRecord();

  Create("ces.DAT");
  TIsamTable ces;
  Bind(ces, "ces.DAT");
  ces.SetExclusive(true);
  ces.RemoveAllRecords();
  ces.Open();
  for (int id : {4, 2}) {
    bank_.BeginKeySearch();
    bank_.FieldNamed("Q_ID").SetIntegerValue(id);
    bank_.SeekKey();
    ces.BeginAppend();
    for (const char* name : {"Q_EXAM_N", "Q_SECT"}) {
      ces.FieldNamed(name).SetIntegerValue(bank_.FieldNamed(name).IntegerValue());
    }
    for (const char* name : {"Q_Text", "Q1"}) ces.FieldNamed(name).SetStringValue(bank_.FieldNamed(name).StringValue());
    ces.FieldNamed("Q_TYPE").SetBooleanValue(bank_.FieldNamed("Q_TYPE").BooleanValue());
    ces.FieldNamed("Q_OR_NUMBER").SetIntegerValue(bank_.FieldNamed("Q_ID").IntegerValue());
    ces.PostRecord();
  }
  EXPECT_EQ(ces.CountRecords(), 2);
  ces.MoveFirst();
  EXPECT_EQ(ces.FieldNamed("Q_OR_NUMBER").IntegerValue(), 4);
  EXPECT_EQ(ces.FieldNamed("Q_TEXT").StringValue(), "");
  ces.MoveNext();
  EXPECT_EQ(ces.FieldNamed("Q1").StringValue(), "Q2");
  EXPECT_EQ(ces.FieldNamed("Q_TEXT").StringValue(), "What is a bit?");
  EXPECT_EQ(ces.FieldNamed("Q_EXAM_N").IntegerValue(), 3);

  // Emptied again while closed; the next open finds nothing.
  ces.Close();
  ces.RemoveAllRecords();
  ces.Open();
  EXPECT_TRUE(ces.IsTableEmpty());
}

// Saving a note: position the bank by record number and write the memo back.
TEST_F(CursorTest, WritesANoteBackBySettingTheRecordNumber) {
  Fill(bank_, {1, 2, 3});
  bank_.SetRecordNumber(2);
  bank_.BeginEdit();
  bank_.FieldNamed("U_MEMO").SetStringValue(std::string(3000, 'n'));  // several blob blocks
  bank_.PostRecord();
  bank_.MoveFirst();
  bank_.SetRecordNumber(2);
  bank_.BeginEdit();
  bank_.FieldNamed("U_MEMO").SetStringValue("my note");
  bank_.PostRecord();
  bank_.Close();
  bank_.Open();
  bank_.SetRecordNumber(2);
  EXPECT_EQ(bank_.FieldNamed("U_MEMO").StringValue(), "my note");
  EXPECT_FALSE(bank_.FieldNamed("U_MEMO").IsNull());
  bank_.MoveFirst();
  EXPECT_TRUE(bank_.FieldNamed("U_MEMO").IsNull());
  EXPECT_EQ(bank_.FieldNamed("U_MEMO").StringValue(), "");
}

TEST_F(CursorTest, RemovingAllRecordsOfAnOpenTableNeedsExclusiveUse) {
  Fill(bank_, {1, 2});
  EXPECT_EQ(CodeOf([&] { bank_.RemoveAllRecords(); }), kNeedsExclusive);
  EXPECT_EQ(bank_.CountRecords(), 2);
  bank_.Close();
  bank_.SetExclusive(true);
  bank_.Open();
  bank_.RemoveAllRecords();
  EXPECT_TRUE(bank_.IsTableEmpty());
  EXPECT_TRUE(bank_.AtEnd());
  Fill(bank_, {4});
  EXPECT_EQ(bank_.FieldNamed("Q_ID").IntegerValue(), 1);
}

TEST_F(CursorTest, RemovingAllRecordsOfAClosedTableOpensItExclusively) {
  Fill(bank_, {1, 2});
  TIsamTable other;
  Bind(other, "qvault.DAT");
  ASSERT_FALSE(other.Exclusive());
  // bank_ still has the files open: an exclusive open is refused.
  EXPECT_EQ(CodeOf([&] { other.RemoveAllRecords(); }), kAccessDenied);
  EXPECT_EQ(bank_.CountRecords(), 2);
  bank_.Close();
  other.RemoveAllRecords();
  bank_.Open();
  EXPECT_TRUE(bank_.IsTableEmpty());
}

TEST_F(CursorTest, TwoHandlesShareRecordLocks) {
  Fill(bank_, {1, 2});
  TIsamTable other;
  Bind(other, "qvault.DAT");
  other.SetLockRetryCount(0);
  other.SetLockWaitTime(1);
  other.Open();
  bank_.MoveFirst();
  bank_.BeginEdit();
  EXPECT_EQ(CodeOf([&] { other.BeginEdit(); }), kRecordInUse);
  EXPECT_EQ(other.State(), TDataSetState::dsBrowse);
  other.MoveNext();
  other.BeginEdit();  // another record is free
  other.CancelRecord();
  bank_.FieldNamed("Q1").SetStringValue("mine");
  bank_.PostRecord();
  other.MoveFirst();
  other.BeginEdit();
  EXPECT_EQ(other.FieldNamed("Q1").StringValue(), "mine");  // re-read when the edit began
  other.CancelRecord();
}

TEST_F(CursorTest, ReadOnlyAttributeMakesTheTableReadOnly) {
  Fill(bank_, {1});
  bank_.Close();
  for (const char* ext : {".DAT", ".IDX", ".BLB"}) chmod(File(std::string("qvault") + ext).c_str(), 0444);
  bank_.Open();
  EXPECT_TRUE(bank_.ReadOnly());
  EXPECT_EQ(CodeOf([&] { bank_.BeginEdit(); }), kAccessDenied);
  EXPECT_EQ(CodeOf([&] { bank_.BeginAppend(); }), kAccessDenied);
  EXPECT_EQ(bank_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(bank_.FieldNamed("Q1").StringValue(), "Q1");
  bank_.Close();
  for (const char* ext : {".DAT", ".IDX", ".BLB"}) chmod(File(std::string("qvault") + ext).c_str(), 0644);
}

// ---------------------------------------------------------------- paths and opening

class OpenTest : public TableTest {};

TEST_F(OpenTest, AMissingFileInTheCurrentDirectoryNamesTheRelativePath) {
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  TIsamTable ces;
  ces.SetSessionName(sessionName_);
  ces.SetTableName("ces.DAT");
  std::string message = MessageOf([&] { ces.Open(); });
  EXPECT_EQ(message, "ISAM Engine Error # 11010 Invalid path or file name for data file ces.DAT");
  EXPECT_FALSE(ces.Active());
  EXPECT_EQ(session_.FindDatabase(""), nullptr);  // the temporary database went with it
  Create("ces.DAT");
  ces.Open();
  EXPECT_EQ(ces.Path(), "ces.DAT");
  ces.Close();
  ASSERT_EQ(chdir(old), 0);
}

TEST_F(OpenTest, DatabaseNameIsTrimmedAndGetsASeparator) {
  Create("t.DAT");
  TIsamTable table;
  table.SetSessionName(sessionName_);
  table.SetDatabaseName("  " + dir_.path() + "  ");
  table.SetTableName("t.DAT");
  table.Open();
  EXPECT_EQ(table.Path(), dir_.path() + "/t.DAT");
  table.Close();
  table.SetDatabaseName(dir_.path() + "/");
  table.Open();
  EXPECT_EQ(table.Path(), dir_.path() + "/t.DAT");
}

TEST_F(OpenTest, TemporaryDatabasesLiveAsLongAsTheirTables) {
  Create("a.DAT");
  Create("b.DAT");
  TIsamTable a, b;
  Bind(a, "a.DAT");
  Bind(b, "b.DAT");
  a.Open();
  b.Open();
  TIsamDatabase* database = session_.FindDatabase(dir_.path());
  ASSERT_NE(database, nullptr);
  EXPECT_TRUE(database->Temporary());
  EXPECT_EQ(database->OpenTableCount(), 2);
  a.Close();
  EXPECT_EQ(session_.FindDatabase(dir_.path()), database);
  b.Close();
  EXPECT_EQ(session_.FindDatabase(dir_.path()), nullptr);
  // Deactivating the session closes its tables.
  a.Open();
  session_.Close();
  EXPECT_FALSE(a.Active());
  EXPECT_EQ(session_.FindDatabase(dir_.path()), nullptr);
}

TEST_F(OpenTest, APermanentDatabaseNamesADirectory) {
  Create("t.DAT");
  TIsamDatabase database;
  EXPECT_EQ(MessageOf([&] { database.SetDatabaseName("c:\\data"); }), "Database name c:\\data is not valid.");
  EXPECT_EQ(MessageOf([&] { database.SetDatabaseName("a/b"); }), "Database name a/b is not valid.");
  database.SetSessionName(sessionName_);
  EXPECT_EQ(MessageOf([&] { database.Open(); }), "Database name is missing.");
  database.SetDatabaseName("Questions");
  database.SetDirectory(dir_.path());
  TIsamTable table;
  table.SetSessionName(sessionName_);
  table.SetDatabaseName("QUESTIONS");
  table.SetTableName("t.DAT");
  table.Open();
  EXPECT_EQ(table.Database(), &database);
  EXPECT_TRUE(database.Connected());
  EXPECT_EQ(MessageOf([&] { database.SetDirectory("/x"); }), "Cannot perform this operation on an open database.");
  table.Close();
  EXPECT_TRUE(database.Connected());  // KeepConnection defaults to True
  TIsamDatabase twin;
  twin.SetSessionName(sessionName_);
  twin.SetDatabaseName("questions");
  EXPECT_EQ(MessageOf([&] { twin.Open(); }), "Database name questions already exists.");
}

TEST_F(OpenTest, DuplicateFieldNamesGetASuffix) {
  TTableDef def;
  def.fields = {Field("NAME", kFieldString, 0, 10), Field("NAMX", kFieldInt32), Field("KEEP", kFieldBytes, 0, 4)};
  Create("dup.DAT", def);
  // Rename the second field in the file: the creator refuses duplicates.
  std::fstream file(File("dup.DAT"), std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(127 + 768 + 2 + 4);  // last letter of the second name
  file.put('E');
  file.close();
  TIsamTable table;
  Bind(table, "dup.DAT");
  table.Open();
  ASSERT_EQ(table.FieldCount(), 3);
  EXPECT_EQ(table.Fields(0).FieldName(), "NAME");
  EXPECT_EQ(table.Fields(1).FieldName(), "NAME_1");
  EXPECT_EQ(table.Fields(1).Kind(), TFieldKind::Integer);
  EXPECT_EQ(table.Fields(2).Kind(), TFieldKind::Bytes);
  EXPECT_EQ(&table.FieldNamed("name_1"), &table.Fields(1));
}

TEST_F(OpenTest, FieldKindsFollowTypeAndSubtype) {
  struct Case {
    uint8_t type, subtype;
    std::optional<TFieldKind> kind;
  } cases[] = {
      {1, 0, TFieldKind::String},       {2, 0, TFieldKind::Date},         {3, 22, TFieldKind::Memo},
      {3, 23, TFieldKind::BinaryBlob},  {3, 24, TFieldKind::FormattedMemo}, {3, 26, TFieldKind::Graphic},
      {3, 28, TFieldKind::TypedBinary}, {4, 0, TFieldKind::Boolean},      {5, 0, TFieldKind::SmallInt},
      {6, 0, TFieldKind::Integer},      {6, 29, TFieldKind::AutoInc},     {7, 0, TFieldKind::Float},
      {7, 21, TFieldKind::Currency},    {8, 0, TFieldKind::Bcd},          {9, 0, TFieldKind::Bytes},
      {10, 0, TFieldKind::Time},        {11, 0, TFieldKind::DateTime},    {12, 0, TFieldKind::Word},
      {13, 0, TFieldKind::Integer},     {14, 0, std::nullopt},            {15, 0, TFieldKind::VarBytes},
      {0, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldKindOf(c.type, c.subtype), c.kind) << int(c.type) << "/" << int(c.subtype);
  }
}

TEST_F(OpenTest, AFailedPostKeepsTheNewRecordForAnotherTry) {
  TTableDef def = QuestionTable();
  def.fields[5].required = true;  // Q1
  Create("req.DAT", def);
  TIsamTable table;
  Bind(table, "req.DAT");
  table.Open();
  table.BeginAppend();
  table.FieldNamed("Q_TEXT").SetStringValue("kept memo");
  EXPECT_EQ(CodeOf([&] { table.PostRecord(); }), kValueRequired);
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(table.FieldNamed("Q_TEXT").StringValue(), "kept memo");
  table.FieldNamed("Q1").SetStringValue("now given");
  table.PostRecord();
  EXPECT_EQ(table.CountRecords(), 1);
  EXPECT_EQ(table.FieldNamed("Q_TEXT").StringValue(), "kept memo");
}

TEST_F(OpenTest, TypedValuesRoundTrip) {
  TTableDef def;
  def.fields = {Field("D", kFieldDate),         Field("T", kFieldTime),    Field("DT", kFieldDateTime),
                Field("F", kFieldFloat),        Field("B", kFieldBcd, 0, 0, 2), Field("S", kFieldInt16),
                Field("W", kFieldUInt16),       Field("BY", kFieldBytes, 0, 3)};
  Create("v.DAT", def);
  TIsamTable table;
  Bind(table, "v.DAT");
  table.Open();
  table.BeginAppend();
  table.FieldNamed("D").SetDateTimeValue(45000);  // 15 March 2023
  table.FieldNamed("T").SetDateTimeValue(0.75);
  table.FieldNamed("DT").SetDateTimeValue(45000.5);
  table.FieldNamed("F").SetFloatValue(2.5);
  table.FieldNamed("B").SetFloatValue(12.5);
  table.FieldNamed("S").SetIntegerValue(-7);
  table.FieldNamed("W").SetIntegerValue(65535);
  table.FieldNamed("BY").SetBytesValue({1, 2, 3});
  EXPECT_NE(MessageOf([&] { table.FieldNamed("S").SetIntegerValue(40000); }), "");
  table.PostRecord();
  EXPECT_EQ(table.FieldNamed("D").DateTimeValue(), 45000);
  EXPECT_EQ(table.FieldNamed("D").StringValue(), "3/15/2023");
  EXPECT_EQ(table.FieldNamed("T").DateTimeValue(), 0.75);
  EXPECT_EQ(table.FieldNamed("DT").DateTimeValue(), 45000.5);
  EXPECT_EQ(table.FieldNamed("F").FloatValue(), 2.5);
  EXPECT_EQ(table.FieldNamed("B").FloatValue(), 12.5);
  EXPECT_EQ(table.FieldNamed("S").IntegerValue(), -7);
  EXPECT_EQ(table.FieldNamed("S").StringValue(), "-7");
  EXPECT_EQ(table.FieldNamed("W").IntegerValue(), 65535);
  EXPECT_EQ(table.FieldNamed("BY").BytesValue(), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_NE(MessageOf([&] { table.FieldNamed("D").BooleanValue(); }), "");
}

TEST_F(OpenTest, BcdValuesKeepEveryDigitAtEveryScale) {
  TTableDef def;
  for (uint8_t scale = 0; scale <= 4; ++scale) def.fields.push_back(Field("B" + std::to_string(scale), kFieldBcd, 0, 0, scale));
  Create("b.DAT", def);
  TIsamTable table;
  Bind(table, "b.DAT");
  table.Open();
  // The extremes of the range, as the text accessor gives them back.
  const char* top[] = {"922337203685477580", "92233720368547758", "9223372036854775.8", "922337203685477.58",
                       "92233720368547.758"};
  for (const char* sign : {"", "-"}) {
    table.BeginAppend();
    for (int scale = 0; scale <= 4; ++scale)
      table.FieldNamed("B" + std::to_string(scale)).SetStringValue(sign + std::string(top[scale]));
    table.PostRecord();
    for (int scale = 0; scale <= 4; ++scale)
      EXPECT_EQ(table.FieldNamed("B" + std::to_string(scale)).StringValue(), sign + std::string(top[scale]));
  }
  TIsamField& b2 = table.FieldNamed("B2");
  table.BeginEdit();
  b2.SetFloatValue(-92233720368547.75);
  EXPECT_EQ(b2.StringValue(), "-92233720368547.75");
  EXPECT_EQ(b2.FloatValue(), -92233720368547.75);
  EXPECT_EQ(MessageOf([&] { b2.SetStringValue("9223372036854775.81"); }),
            "'9223372036854775.81' is not a valid BCD value");
  EXPECT_EQ(MessageOf([&] { b2.SetFloatValue(1e300); }), "1e+300 is not a valid value for field 'B2'");
  table.CancelRecord();
}

}  // namespace
}  // namespace isam
