#include "engine/index/index_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "engine/file/error_codes.h"
#include "engine/file/cipher.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/index/test_index_fixture.h"
#include "testing/faulty_file_system.h"

namespace isam {
namespace {

using namespace testing_index;
using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

TEST(IndexFileTest, CreateWritesTheEmptyHeaderByteForByte) {
  TIndexDef byText = Def("ByText", {kFieldText, kFieldNumber}, false, false, kCompressBoth);
  byText.caseInsensitive = true;
  byText.fieldDescending = {false, true};
  IndexFixture fx({Def("", {kFieldAuto}, true), byText});
  ASSERT_EQ(fx.openResult, 0);
  Bytes raw = ReadAll(fx.IndexPath());
  ASSERT_EQ(raw.size(), 4096u);
  EXPECT_EQ(Slice(raw, 0, 13), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 3, 0x00, 0x10, 0, 0}));
  EXPECT_EQ(raw[13], 1) << "one secondary index";
  const size_t primary = 14, secondary = 14 + 120, records = 14 + 31 * 120;
  EXPECT_EQ(GetU16(&raw[primary + 31]), 5) << "int32 part";
  EXPECT_EQ(raw[primary + 35], 1) << "primary is unique";
  EXPECT_EQ(raw[primary + 37], 1);
  EXPECT_EQ(GetU16(&raw[primary + 54]), 1);
  EXPECT_EQ(Slice(raw, secondary, 7), (Bytes{6, 'B', 'y', 'T', 'e', 'x', 't'}));
  EXPECT_EQ(GetU16(&raw[secondary + 31]), 12 + 5 + 4) << "string of 10 + int32 + record number";
  EXPECT_EQ(Slice(raw, secondary + 33, 5), (Bytes{0, 1, 0, 3, 2})) << "flags, compression, field count";
  EXPECT_EQ(Slice(raw, secondary + 38, 2), (Bytes{0, 1}));
  EXPECT_EQ(Slice(raw, secondary + 54, 4), (Bytes{3, 0, 2, 0}));
  EXPECT_EQ(Slice(raw, secondary + 86, 8), Bytes(8, 0)) << "no root, no free pages";
  EXPECT_EQ(Slice(raw, records, 12), (Bytes{11, 'S', 'y', 's', ' ', 'D', 'e', 'l', 'e', 't', 'e', 'd'}));
  EXPECT_EQ(GetU16(&raw[records + 31]), 5);
  EXPECT_EQ(raw[records + 36], 0);
  EXPECT_EQ(GetU32(&raw[3974]), 0u);
  EXPECT_EQ(raw[3978], 0) << "has a primary index";

  IndexFixture none({Def("ByNumber", {kFieldNumber})});
  EXPECT_EQ(ReadAll(none.IndexPath())[3978], 1);
  EXPECT_FALSE(none.file->HasPrimary());
  EXPECT_EQ(none.file->FindIndex("bynumber"), 1);
  EXPECT_EQ(none.file->FindIndex("nope"), -1);
}

TEST(IndexFileTest, DefinitionsAreValidated) {
  auto tooMany = std::vector<TIndexDef>{Def("", {kFieldAuto}, true)};
  for (int i = 0; i < 31; ++i) tooMany.push_back(Def("I" + std::to_string(i), {kFieldNumber}));
  TIndexDef blob = Def("Blob", {kFieldNumber});
  struct Case {
    const char* what;
    std::vector<TIndexDef> defs;
    int code;
  } cases[] = {
      {"31 secondary indexes", tooMany, kIndexLimits},
      {"no fields", {Def("X", {})}, kIndexLimits},
      {"17 fields", {Def("X", std::vector<uint16_t>(17, kFieldNumber))}, kIndexLimits},
      {"two primaries", {Def("", {kFieldAuto}, true), Def("", {kFieldNumber}, true)}, kPrimaryIndexExists},
      {"unnamed secondary", {Def("", {kFieldNumber})}, kSecondaryIndexNameMissing},
      {"name too long", {Def(std::string(31, 'x'), {kFieldNumber})}, kInvalidSecondaryIndexName},
      {"reserved name", {Def("sys deleted", {kFieldNumber})}, kInvalidSecondaryIndexName},
      {"field 0", {Def("X", {0})}, kInvalidIndexField},
      {"field 6", {Def("X", {6})}, kInvalidIndexField},
      {"same name twice", {Def("X", {kFieldNumber}), Def("x", {kFieldText})}, kSecondaryIndexExists},
      {"key too long", {Def("X", {kFieldLong, kFieldLong, kFieldLong, kFieldLong, kFieldLong})}, kInvalidKeySize},
  };
  testing_support::TempDir dir;
  TestTableHost host(dir.File("T.DAT"));
  for (const auto& c : cases) {
    bool hasPrimary = false;
    for (const auto& d : c.defs) hasPrimary = hasPrimary || d.primary;
    EXPECT_EQ(CreateIndexFile(dir.File("T.IDX"), c.defs, hasPrimary, false, host.Fields(), host.DataFilePath()), c.code)
        << c.what;
  }
  host.fields()[1].type = kFieldBlob;
  EXPECT_EQ(ValidateIndexDefs({blob}, false, host.Fields(), "T.DAT"), kInvalidIndexFieldType);
  EXPECT_EQ(ValidateIndexDefs({Def("", {kFieldAuto}, true)}, false, host.Fields(), "T.DAT"), kIndexLimits)
      << "a primary definition in a table said to have none";
}

TEST(IndexFileTest, WrongVersionIsRefusedNamingTheIndexFile) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  fx.file->Close();
  Bytes raw = ReadAll(fx.IndexPath());
  raw[8] = 2;
  WriteAll(fx.IndexPath(), raw);
  EXPECT_EQ(fx.file->Open(), kWrongVersion);
  EXPECT_FALSE(fx.file->IsOpen());
  EXPECT_EQ(CurrentFileSession()->lastError.fileName, fx.IndexPath());
}

// A small tree as written: header fields and both root leaves, byte by byte.
TEST(IndexFileTest, WritesASmallTreeByteForByte) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  fx.host.slots = 3;
  for (uint32_t id : {2u, 1u, 3u}) ASSERT_EQ(fx.file->InsertRecord(id, Image(id, 0).data()), 0);
  ASSERT_EQ(fx.file->Flush(false), 0);
  Bytes raw = ReadAll(fx.IndexPath());
  ASSERT_EQ(raw.size(), 3u * 4096);
  EXPECT_EQ(GetU32(&raw[0]), 1u) << "counter incremented by the write";
  EXPECT_EQ(GetU32(&raw[9]), 3u * 4096) << "end offset";
  EXPECT_EQ(GetU32(&raw[14 + 86]), 4096u) << "primary root";
  EXPECT_EQ(GetU32(&raw[14 + 31 * 120 + 86]), 8192u) << "record index root";
  EXPECT_EQ(GetU32(&raw[3974]), 3u);
  EXPECT_EQ(raw[3979], 1) << "written with the header-modified flag";
  Bytes primary = {3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                   1, 0x80, 0, 0, 1, 1, 0, 0, 0,            //
                   1, 0x80, 0, 0, 2, 2, 0, 0, 0,            //
                   1, 0x80, 0, 0, 3, 3, 0, 0, 0};
  EXPECT_EQ(Slice(raw, 4096, primary.size()), primary);
  EXPECT_EQ(Slice(raw, 4096 + primary.size(), 4096 - primary.size()), Bytes(4096 - primary.size(), 0));
  Bytes records = {3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                   0, 0x80, 0, 0, 1, 1, 0, 0, 0,            //
                   0, 0x80, 0, 0, 2, 2, 0, 0, 0,            //
                   0, 0x80, 0, 0, 3, 3, 0, 0, 0};
  EXPECT_EQ(Slice(raw, 8192, records.size()), records);

  // A delete flips the record-index key to deleted and is written back.
  ASSERT_EQ(fx.file->DeleteRecord(2, Image(2, 0).data()), 0);
  ASSERT_EQ(fx.file->Flush(false), 0);
  raw = ReadAll(fx.IndexPath());
  EXPECT_EQ(Slice(raw, 8192 + 13, 27), (Bytes{0, 0x80, 0, 0, 1, 1, 0, 0, 0, 0, 0x80, 0, 0, 3, 3, 0, 0, 0,  //
                                              1, 0x80, 0, 0, 2, 2, 0, 0, 0}));
  EXPECT_EQ(GetU32(&raw[3974]), 2u);
}

// Builds, by hand, a file whose primary index over 8 records has the given
// number of levels; the record index is a single root leaf.
void WriteHandMadeFile(const std::string& path, int levels) {
  Bytes file(4096, 0);
  auto put32 = [&](size_t at, uint32_t v) { PutU32(&file[at], v); };
  auto key = [](uint8_t flag, uint32_t n) { return Bytes{flag, 0x80, 0, 0, uint8_t(n)}; };
  auto page = [&](uint8_t type, uint32_t prev, uint32_t next, const std::vector<Bytes>& entries) {
    size_t at = file.size();
    file.resize(at + 4096, 0);
    file[at] = type;
    file[at + 1] = uint8_t(entries.size());
    PutU32(&file[at + 3], prev);
    PutU32(&file[at + 7], next);
    size_t e = at + 13;
    for (const Bytes& entry : entries) {
      std::copy(entry.begin(), entry.end(), file.begin() + long(e));
      e += entry.size();
    }
    return uint32_t(at);
  };
  auto leafEntry = [&](uint32_t n) {
    Bytes e = key(1, n);
    e.insert(e.end(), {uint8_t(n), 0, 0, 0});
    return e;
  };
  auto childEntry = [&](uint32_t first, uint32_t child, uint32_t count) {
    Bytes e = key(1, first);
    Bytes tail(8);
    PutU32(tail.data(), child);
    PutU32(tail.data() + 4, count);
    e.insert(e.end(), tail.begin(), tail.end());
    return e;
  };
  uint32_t root = 0;
  if (levels == 1) {
    std::vector<Bytes> all;
    for (uint32_t n = 1; n <= 8; ++n) all.push_back(leafEntry(n));
    root = page(3, 0, 0, all);
  } else {
    // Four leaves of two keys at 4096..16384, linked.
    for (uint32_t l = 0; l < 4; ++l)
      page(2, l ? 4096 * l : 0, l < 3 ? 4096 * (l + 2) : 0, {leafEntry(2 * l + 1), leafEntry(2 * l + 2)});
    if (levels == 2) {
      root = page(0, 0, 0, {childEntry(1, 4096, 2), childEntry(3, 8192, 2), childEntry(5, 12288, 2), childEntry(7, 16384, 2)});
    } else {
      uint32_t left = page(1, 0, 24576, {childEntry(1, 4096, 2), childEntry(3, 8192, 2)});
      uint32_t right = page(1, left, 0, {childEntry(5, 12288, 2), childEntry(7, 16384, 2)});
      root = page(0, 0, 0, {childEntry(1, left, 4), childEntry(5, right, 4)});
    }
  }
  std::vector<Bytes> inUse;
  for (uint32_t n = 1; n <= 8; ++n) {
    Bytes e = key(0, n);
    e.insert(e.end(), {uint8_t(n), 0, 0, 0});
    inUse.push_back(e);
  }
  uint32_t recordRoot = page(3, 0, 0, inUse);
  file[8] = 3;
  put32(9, uint32_t(file.size()));
  const size_t primary = 14, records = 14 + 31 * 120;
  file[primary + 31] = 5;
  file[primary + 35] = 1;
  file[primary + 37] = 1;
  file[primary + 54] = 1;
  put32(primary + 86, root);
  file[records] = 11;
  std::string name = "Sys Deleted";
  std::copy(name.begin(), name.end(), file.begin() + long(records) + 1);
  file[records + 31] = 5;
  put32(records + 86, recordRoot);
  put32(3974, 8);
  WriteAll(path, file);
}

TEST(IndexFileTest, ReadsHandMadeTreesOfOneTwoAndThreeLevels) {
  for (int levels = 1; levels <= 3; ++levels) {
    SCOPED_TRACE(levels);
    IndexFixture fx({Def("", {kFieldAuto}, true)});
    fx.file->Close();
    WriteHandMadeFile(fx.IndexPath(), levels);
    fx.host.slots = 8;
    ASSERT_EQ(fx.file->Open(), 0);
    EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
    fx.file->DropCaches();
    uint64_t before = fx.file->PagesRead();
    uint32_t record = 0, count = 0;
    ASSERT_EQ(fx.file->GoToPosition(6, &record), 0);
    EXPECT_EQ(record, 6u);
    EXPECT_EQ(fx.file->PagesRead() - before, uint64_t(levels)) << "one page per level";
    Bytes low = {1, 0x80, 0, 0, 3}, high = {1, 0x80, 0, 0, 6};
    ASSERT_EQ(fx.file->CountKeyRange(0, low.data(), 5, high.data(), 5, &count), 0);
    EXPECT_EQ(count, 4u);
    uint32_t last = 0;
    ASSERT_EQ(fx.file->Last(&last), 0);
    EXPECT_EQ(last, 8u);
    uint32_t prior = 0;
    ASSERT_EQ(fx.file->Prior(&prior), 0);
    EXPECT_EQ(prior, 7u);
  }
}

TEST(IndexFileTest, EncipheredFilesRoundTrip) {
  IndexFixture fx({Def("", {kFieldAuto}, true)}, true);
  ASSERT_EQ(fx.openResult, 0);
  Bytes raw = ReadAll(fx.IndexPath());
  ApplyCipher(raw.data(), raw.size(), kDataBlockCipher);
  EXPECT_EQ(raw[8], 3) << "the header is enciphered on disk";
  for (uint32_t id = 1; id <= 300; ++id) fx.Add(Image(id, int32_t(id)));
  ASSERT_EQ(fx.file->Flush(false), 0);
  raw = ReadAll(fx.IndexPath());
  EXPECT_NE(raw[4096 + 13], 1) << "page bytes are enciphered";
  ApplyCipher(&raw[4096], 4096, kDataBlockCipher);
  EXPECT_EQ(raw[4096 + 13], 1);
  uint32_t counter = 0;
  ASSERT_EQ(fx.file->ReadDiskCounter(&counter), 0);
  EXPECT_EQ(counter, fx.file->Counter());
  fx.file->Close();
  ASSERT_EQ(fx.file->Open(), 0);
  EXPECT_EQ(fx.Walk().size(), 300u);
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
}

TEST(IndexFileTest, DuplicateKeysAreRefusedAndChangeNothing) {
  IndexFixture fx({Def("", {kFieldAuto}, true), Def("ByText", {kFieldText}, false, true)});
  fx.Add(Image(1, 5, "a"));
  fx.Add(Image(2, 6, "b"));
  auto duplicate = Image(3, 7, "a");
  EXPECT_EQ(fx.file->CheckUnique(duplicate.data()), kDuplicateKey);
  EXPECT_EQ(CurrentFileSession()->lastError.indexName, "ByText");
  EXPECT_EQ(fx.file->CheckUnique(Image(2, 7, "z").data()), kDuplicateKey);
  EXPECT_EQ(CurrentFileSession()->lastError.indexName, "Primary");
  EXPECT_EQ(fx.file->CheckUnique(Image(3, 7, "c").data()), 0);
  // An edit that keeps its own key is no duplicate; one that takes another's is.
  EXPECT_EQ(fx.file->CheckUniqueChanged(Image(1, 5, "a").data(), Image(1, 9, "a").data(), 1), 0);
  EXPECT_EQ(fx.file->CheckUniqueChanged(Image(1, 5, "a").data(), Image(1, 5, "b").data(), 1), kDuplicateKey);
  EXPECT_EQ(fx.file->RecordCount(), 2u);
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
  // Removing a key that is not there names the index.
  EXPECT_EQ(fx.file->DeleteRecord(9, Image(9, 1, "q").data()), kKeyNotFound);
}

TEST(IndexFileTest, LastKeyFreesTheRootAndTheNextInsertReusesIt) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  uint32_t id = fx.Add(Image(1, 1));
  const uint32_t root = fx.file->Descriptor(0).root;
  ASSERT_EQ(fx.file->DeleteRecord(id, Image(1, 1).data()), 0);
  EXPECT_EQ(fx.file->Descriptor(0).root, 0u);
  EXPECT_EQ(fx.file->Descriptor(0).freeHead, root);
  const uint32_t end = fx.file->Header().endOffset;
  ASSERT_EQ(fx.file->InsertRecord(id, Image(1, 1).data()), 0);
  EXPECT_EQ(fx.file->Descriptor(0).root, root);
  EXPECT_EQ(fx.file->Descriptor(0).freeHead, 0u);
  EXPECT_EQ(fx.file->Header().endOffset, end);
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
}

TEST(IndexFileTest, AFullLeafSplitsOnlyOnTheNextKey) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  const uint32_t capacity = uint32_t(LeafCapacity(5));
  for (uint32_t id = 1; id <= capacity; ++id) fx.Add(Image(id, 0));
  const TPage* root = nullptr;
  ASSERT_EQ(fx.file->ReadPage(0, fx.file->Descriptor(0).root, &root), 0);
  EXPECT_EQ(root->type, kPageRootLeaf);
  EXPECT_EQ(root->entries.size(), capacity);
  fx.Add(Image(capacity + 1, 0));
  ASSERT_EQ(fx.file->ReadPage(0, fx.file->Descriptor(0).root, &root), 0);
  ASSERT_EQ(root->type, kPageRoot);
  ASSERT_EQ(root->entries.size(), 2u);
  EXPECT_EQ(root->entries[0].count, (capacity + 2) / 2);
  EXPECT_EQ(root->entries[1].count, (capacity + 1) / 2);
}

TEST(IndexFileTest, FileFullIsRefusedBeforeAnythingChanges) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  fx.file->Close();
  Bytes raw = ReadAll(fx.IndexPath());
  // Room for two more pages below 2 000 000 000: the first record's two
  // root leaves (primary and record index).
  PutU32(&raw[9], 488279u * 4096u);
  WriteAll(fx.IndexPath(), raw);
  ASSERT_EQ(fx.file->Open(), 0);
  fx.host.slots = 1;
  EXPECT_EQ(fx.file->InsertRecord(1, Image(1, 1).data()), 0);
  fx.host.slots = 2;
  EXPECT_EQ(fx.file->InsertRecord(2, Image(2, 1).data()), kFileFull) << "a split could need new pages";
  EXPECT_EQ(fx.file->RecordCount(), 1u);
  EXPECT_EQ(fx.Walk(), std::vector<uint32_t>{1});
  // The forged end offset left pages that belong nowhere; only those are found.
  auto problems = CheckIndexFile(*fx.file);
  ASSERT_FALSE(problems.empty());
  for (const auto& problem : problems) EXPECT_NE(problem.find("in no index and no free list"), std::string::npos) << problem;
}

TEST(IndexFileTest, EmptyCutsTheFileToItsHeader) {
  IndexFixture fx({Def("", {kFieldAuto}, true), Def("ByNumber", {kFieldNumber})});
  for (uint32_t id = 1; id <= 500; ++id) fx.Add(Image(id, int32_t(id % 7)));
  ASSERT_EQ(fx.file->Flush(false), 0);
  ASSERT_EQ(fx.file->Empty(), 0);
  EXPECT_EQ(ReadAll(fx.IndexPath()).size(), 4096u);
  EXPECT_EQ(fx.file->RecordCount(), 0u);
  EXPECT_EQ(fx.file->Descriptor(1).root, 0u);
  EXPECT_TRUE(fx.Walk().empty());
  fx.host.slots = 0;
  fx.Add(Image(1, 1));
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
}

TEST(IndexFileTest, AnotherUsersWriteIsSeenThroughTheCounter) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  fx.Add(Image(1, 1));
  ASSERT_EQ(fx.file->Flush(false), 0);
  TIndexFile other(fx.host);
  other.SetPath(fx.IndexPath());
  ASSERT_EQ(other.Open(), 0);
  fx.Add(Image(2, 2));
  ASSERT_EQ(fx.file->Flush(false), 0);
  uint32_t onDisk = 0;
  ASSERT_EQ(other.ReadDiskCounter(&onDisk), 0);
  EXPECT_NE(onDisk, other.Counter());
  ASSERT_EQ(other.Reload(), 0);
  EXPECT_EQ(other.RecordCount(), 2u);
  uint32_t last = 0;
  ASSERT_EQ(other.Last(&last), 0);
  EXPECT_EQ(last, 2u);
}

TEST(IndexFileTest, ARestartDuringAMoveRepeatsItOnFreshPages) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  for (uint32_t id = 1; id <= 2000; ++id) fx.Add(Image(id, 0));
  ASSERT_EQ(fx.file->Flush(false), 0);
  fx.file->DropCaches();
  fx.host.restartsLeft = 2;
  uint32_t record = 0;
  ASSERT_EQ(fx.file->GoToPosition(1500, &record), 0);
  EXPECT_EQ(record, 1500u);
  EXPECT_EQ(fx.host.restartsLeft, 0);
  fx.host.restartsLeft = 1;
  ASSERT_EQ(fx.file->MoveBy(-499, &record), 0);
  EXPECT_EQ(record, 1001u);
}

TEST(IndexFileTest, CachesStaySmallUnlessTheTableIsLocked) {
  IndexFixture fx({Def("", {kFieldAuto}, true)});
  fx.file->SetCachedPagesPerIndex(31);
  for (uint32_t id = 1; id <= 20000; ++id) fx.Add(Image(id, 0));
  ASSERT_EQ(fx.file->Flush(false), 0);
  fx.file->DropCaches();
  EXPECT_EQ(fx.Walk().size(), 20000u);
  uint64_t reads = fx.file->PagesRead();
  EXPECT_GT(reads, 31u);
  EXPECT_EQ(fx.Walk().size(), 20000u);
  EXPECT_GT(fx.file->PagesRead(), reads) << "a second walk reads again: the cache was trimmed";
  fx.host.tableLock = true;  // the cache grows instead
  EXPECT_EQ(fx.Walk().size(), 20000u);
  reads = fx.file->PagesRead();
  EXPECT_EQ(fx.Walk().size(), 20000u);
  EXPECT_EQ(fx.file->PagesRead(), reads);
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
}

TEST(IndexFileTest, FlippedBytesAreReportedNotFollowedBlindly) {
  IndexFixture fx({Def("", {kFieldAuto}, true, true, kCompressBoth),
                   Def("ByNumber", {kFieldNumber}, false, false, kCompressLeading)});
  for (uint32_t id = 1; id <= 1500; ++id) fx.Add(Image(id, int32_t(id % 37)));
  ASSERT_EQ(fx.file->Flush(false), 0);
  fx.file->Close();
  const Bytes good = ReadAll(fx.IndexPath());
  std::mt19937 rng(7);
  int opened = 0, flagged = 0;
  for (int round = 0; round < 80; ++round) {
    Bytes bad = good;
    // Flip bytes where pages keep their counts, links and first entries.
    for (int i = 0; i < 6; ++i) bad[(rng() % (bad.size() / 4096)) * 4096 + rng() % 200] ^= uint8_t(1 + rng() % 255);
    WriteAll(fx.IndexPath(), bad);
    if (fx.file->Open() != 0) continue;
    ++opened;
    for (int slot : {0, 1}) {
      fx.file->SelectIndex(slot);
      uint32_t record = 0, count = 0;
      int moves = 0;
      for (int rc = fx.file->First(&record); rc == 0 && moves < 3000; rc = fx.file->Next(&record)) ++moves;
      fx.file->GoToPosition(700, &record);
      fx.file->Count(&count);
    }
    flagged += !CheckIndexFile(*fx.file).empty();
    fx.file->Close();
  }
  EXPECT_GT(opened, 0);
  EXPECT_GT(flagged, 0);
}

TEST(IndexFileTest, AFailedWriteBackKeepsThePagesForTheNextOne) {
  testing_support::FaultyFileSystem faulty;
  testing_support::ScopedFileSystem installed(faulty);
  IndexFixture fx({Def("", {kFieldAuto}, true), Def("ByNumber", {kFieldNumber})});
  fx.host.tableLock = true;  // everything stays cached until the flush
  for (uint32_t id = 1; id <= 3000; ++id) fx.Add(Image(id, int32_t(id % 11)));
  faulty.DiskFullAfter(5 * 4096);
  EXPECT_NE(fx.file->Flush(false), 0);
  EXPECT_TRUE(fx.file->HeaderModified()) << "the header waits for its pages";
  faulty.Heal();
  ASSERT_EQ(fx.file->Flush(false), 0);
  fx.file->Close();
  ASSERT_EQ(fx.file->Open(), 0);
  EXPECT_EQ(fx.Walk().size(), 3000u);
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
}

}  // namespace
}  // namespace isam
