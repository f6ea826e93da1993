// Two processes sharing one table through the data file: each sees the
// other's changes, and record locks keep them apart.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/data/data_file.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/data/table_creator.h"
#include "testing/child_process.h"
#include "testing/faulty_file_system.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

// Q_ID auto-increment (primary), N int32, NOTE memo.
TTableDef NotesTable() {
  TTableDef def;
  def.fields = {{"Q_ID", kFieldInt32, kSubtypeAutoIncrement}, {"N", kFieldInt32}, {"NOTE", kFieldBlob, kSubtypeMemo}};
  def.indexes = {{"", {1}, {}, false, false, true, 0, true}};
  return def;
}

std::unique_ptr<TDataFile> OpenShared(const std::string& path) {
  auto file = std::make_unique<TDataFile>();
  file->SetPath(path);
  file->SetLockRetryCount(2);
  file->SetLockWaitTime(5);
  if (file->Open() != kOk) return nullptr;
  return file;
}

int AddNote(TDataFile& file, int32_t n, const std::string& note) {
  std::vector<uint8_t> image(file.RecordSize());
  file.InitRecord(image.data());
  uint8_t data[4];
  PutI32(data, n);
  PutFieldData(file.Fields()[1], image.data(), data);
  if (int rc = file.Blob()->OpenBlob(image.data(), 3, 0)) return rc;
  if (int rc = file.Blob()->WriteBlob(image.data(), 3, 0, uint32_t(note.size()), note.data())) return rc;
  return file.AddRecord(image.data());
}

std::string NoteOf(TDataFile& file) {
  std::vector<uint8_t> image(file.RecordSize());
  if (file.ReadCurrent(image.data()) != kOk) return "<no record>";
  if (file.Blob()->OpenBlob(image.data(), 3, file.CurrentSlot()) != kOk) return "<unreadable>";
  uint32_t size = 0;
  file.Blob()->GetBlobSize(image.data(), 3, &size);
  std::string note(size, '\0');
  uint32_t done = 0;
  file.Blob()->ReadBlob(image.data(), 3, 0, size, note.data(), &done);
  file.Blob()->CloseBlob(image.data(), 3);
  return note;
}

// Adds a record and rewrites the note of record 1.
MARVESSA_CHILD(second_writer) {
  EngineScope engine;
  auto file = OpenShared(args.at(0));
  if (!file) return 10;
  if (AddNote(*file, 2, "from the second process") != kOk) return 11;
  if (file->MoveFirst() != kOk) return 12;
  std::vector<uint8_t> image(file->RecordSize());
  if (file->ReadCurrent(image.data(), true) != kOk) return 13;
  std::string note(3000, 'z');
  if (file->Blob()->OpenBlob(image.data(), 3, file->CurrentSlot()) != kOk) return 14;
  if (file->Blob()->WriteBlob(image.data(), 3, 0, uint32_t(note.size()), note.data()) != kOk) return 15;
  if (file->ModifyCurrent(image.data()) != kOk) return 16;
  return 0;
}

// Tries to delete record 1; exits with the engine code.
MARVESSA_CHILD(deleter) {
  EngineScope engine;
  auto file = OpenShared(args.at(0));
  if (!file || file->MoveFirst() != kOk) return 1;
  return file->DeleteCurrent() == kRecordInUse ? 42 : 2;
}

TEST(DataFileSharedTest, ProcessesSeeEachOthersChanges) {
  EngineScope engine;
  testing_support::TempDir dir;
  std::string path = dir.File("notes.DAT");
  ASSERT_EQ(CreateTable(path, NotesTable()), kOk);
  auto mine = OpenShared(path);
  ASSERT_TRUE(mine);
  ASSERT_EQ(AddNote(*mine, 1, "first note"), kOk);
  ASSERT_EQ(mine->MoveFirst(), kOk);
  EXPECT_EQ(NoteOf(*mine), "first note");  // cached now

  ASSERT_EQ(testing_support::RunChild("second_writer", {path}), 0);

  ASSERT_EQ(mine->Refresh(), kOk);
  uint32_t count = 0;
  ASSERT_EQ(mine->Count(&count), kOk);
  EXPECT_EQ(count, 2u);
  ASSERT_EQ(mine->MoveFirst(), kOk);
  EXPECT_EQ(NoteOf(*mine), std::string(3000, 'z'));
  ASSERT_EQ(mine->MoveNext(), kOk);
  EXPECT_EQ(NoteOf(*mine), "from the second process");
  // Our own next add continues the shared auto-increment sequence.
  ASSERT_EQ(AddNote(*mine, 3, "third"), kOk);
  std::vector<uint8_t> image(mine->RecordSize());
  ASSERT_EQ(mine->ReadCurrent(image.data()), kOk);
  EXPECT_EQ(GetU32(image.data() + 5), 3u);
}

TEST(DataFileSharedTest, ALockedRecordCannotBeDeletedByAnotherProcess) {
  EngineScope engine;
  testing_support::TempDir dir;
  std::string path = dir.File("notes.DAT");
  ASSERT_EQ(CreateTable(path, NotesTable()), kOk);
  auto mine = OpenShared(path);
  ASSERT_EQ(AddNote(*mine, 1, "keep me"), kOk);
  ASSERT_EQ(mine->LockRecord(1), kOk);
  EXPECT_EQ(testing_support::RunChild("deleter", {path}), 42);
  ASSERT_EQ(mine->UnlockRecord(1), kOk);
  EXPECT_EQ(testing_support::RunChild("deleter", {path}), 2);  // deleted now: not refused
  ASSERT_EQ(mine->Refresh(), kOk);
  uint32_t count = 9;
  ASSERT_EQ(mine->Count(&count), kOk);
  EXPECT_EQ(count, 0u);
}

// A walk in an index order that is not slot order reads ahead: the records
// the cursor shows next and their memos come with the first miss, under its
// one read lock, and each still arrives in its place with its own memo.
TEST(DataFileSharedTest, AWalkInIndexOrderReadsAheadUnderOneLock) {
  EngineScope engine;
  testing_support::TempDir dir;
  std::string path = dir.File("notes.DAT");
  TTableDef def = NotesTable();
  def.indexes.push_back({"ByN", {2}, {}, false, false, false, 0, false});
  ASSERT_EQ(CreateTable(path, def), kOk);
  constexpr int kRecords = 20;
  {
    auto writer = OpenShared(path);
    ASSERT_TRUE(writer);
    for (int i = 0; i < kRecords; ++i) ASSERT_EQ(AddNote(*writer, kRecords - i, "note " + std::to_string(i)), kOk);
  }
  testing_support::FaultyFileSystem counting;
  testing_support::ScopedFileSystem installed(counting);
  auto reader = OpenShared(path);
  ASSERT_TRUE(reader);
  ASSERT_EQ(reader->Index().SelectIndex(1), kOk);
  counting.ResetCounts();
  int seen = 0;
  for (int rc = reader->MoveFirst(); rc == kOk; rc = reader->MoveNext(), ++seen) {
    EXPECT_EQ(reader->CurrentSlot(), uint32_t(kRecords - seen));  // N ascending: slots descending
    EXPECT_EQ(NoteOf(*reader), "note " + std::to_string(kRecords - 1 - seen));
  }
  EXPECT_EQ(seen, kRecords);
  // One read lock (a reader byte in the index and the blob file) for the walk.
  EXPECT_LE(counting.lockAttempts(), 2);
  EXPECT_FALSE(reader->Locks().ReadLocked());
}

}  // namespace
}  // namespace isam
