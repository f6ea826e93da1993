// Damaged blob files: forged pointers, lengths and owners, and random damage.
// Every operation must end in an engine error (or succeed), never read or
// write outside a buffer, and never loop for ever.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "engine/blob/blob_file.h"
#include "engine/blob/blob_test_host.h"
#include "engine/blob/blob_verify.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

using namespace blob_test;

// The pristine file (B = 512, data area 494):
//   record 1: 1000 bytes in 512 -> 1024 -> 1536
//   record 2:   10 bytes in 2048
//   record 3:  600 bytes in 2560 -> 3072
//   free list: 4096 -> 3584 (record 4's value, emptied)
constexpr uint32_t kRecords = 3;
const uint32_t kLengths[kRecords] = {1000, 10, 600};
const int32_t kFirst[kRecords] = {512, 2048, 2560};

class BlobCorruptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartEngine();
    FakeHost host(dir.File("t.DAT"));
    ASSERT_EQ(CreateBlobFile(dir.File("t.BLB"), false, host.DataFilePath()), kOk);
    TBlobFile blob(host, 512);
    ASSERT_EQ(blob.SetPath(dir.File("t.DAT")), kOk);
    ASSERT_EQ(blob.Open(), kOk);
    for (uint32_t record = 1; record <= kRecords + 1; ++record) {
      Image image = NewImage();
      ASSERT_EQ(blob.OpenBlob(image.data(), kTextField, record), kOk);
      uint32_t length = record <= kRecords ? kLengths[record - 1] : 700;
      auto value = Pattern(length, uint8_t(record));
      ASSERT_EQ(blob.WriteBlob(image.data(), kTextField, 0, length, value.data()), kOk);
      ASSERT_EQ(blob.SaveAll(record), kOk);
      if (record > kRecords) {
        ASSERT_EQ(blob.SetBlobSize(image.data(), kTextField, 0), kOk);
        ASSERT_EQ(blob.SaveAll(record), kOk);
      }
      ASSERT_EQ(blob.CloseBlob(image.data(), kTextField), kOk);
      if (record <= kRecords) {
        ASSERT_EQ(RefOf(image, kTextField), kFirst[record - 1]);
      }
    }
    ASSERT_EQ(blob.Flush(true), kOk);
    blob.Close();
    pristine = ReadFile(dir.File("t.BLB"));
    ASSERT_EQ(pristine.size(), 4608u);
  }

  // Opens a fresh object on the (damaged) file; null when the open fails.
  std::unique_ptr<TBlobFile> Open(const std::vector<uint8_t>& bytes) {
    WriteFile(dir.File("t.BLB"), bytes);
    host = std::make_unique<FakeHost>(dir.File("t.DAT"));
    auto blob = std::make_unique<TBlobFile>(*host, 512);
    host->blob = blob.get();
    EXPECT_EQ(blob->SetPath(dir.File("t.DAT")), kOk);
    EXPECT_EQ(blob->SetExclusive(true), kOk);
    if (blob->Open() != kOk) return nullptr;
    return blob;
  }

  static Image ImageOf(uint32_t record, int32_t reference) {
    Image image = NewImage();
    SetRef(image, kTextField, reference);
    (void)record;
    return image;
  }

  testing_support::TempDir dir;
  std::vector<uint8_t> pristine;
  std::unique_ptr<FakeHost> host;
};

void Put32(std::vector<uint8_t>& file, size_t at, uint32_t value) { PutU32(file.data() + at, value); }
void Put16(std::vector<uint8_t>& file, size_t at, uint16_t value) { PutU16(file.data() + at, value); }

struct Forgery {
  const char* what;
  void (*damage)(std::vector<uint8_t>&);
  int code;  // what opening record 1's value gives
};

TEST_F(BlobCorruptionTest, ForgedChainsFailToOpenWithTheirCode) {
  const Forgery forgeries[] = {
      {"next into the header", [](auto& f) { Put32(f, 1024 + 4, 100); }, kInvalidBlobOffset},
      {"next off a block boundary", [](auto& f) { Put32(f, 1024 + 4, 1025); }, kInvalidBlobOffset},
      {"next past the end", [](auto& f) { Put32(f, 1024 + 4, 999936); }, kInvalidBlobOffset},
      {"next to the end offset", [](auto& f) { Put32(f, 1024 + 4, 4608); }, kInvalidBlobOffset},
      {"next to itself", [](auto& f) { Put32(f, 1024 + 4, 1024); }, kBlobBuffersCorrupt},
      {"next back to the first", [](auto& f) { Put32(f, 1024 + 4, 512); }, kBlobBuffersCorrupt},
      {"next into another record", [](auto& f) { Put32(f, 1024 + 4, 2048); }, kBlobBuffersCorrupt},
      {"foreign owner, first block", [](auto& f) { Put32(f, 512 + 10, 9); }, kBlobBuffersCorrupt},
      {"foreign owner, middle block", [](auto& f) { Put32(f, 1024 + 10, 2); }, kBlobBuffersCorrupt},
      {"used beyond the data area", [](auto& f) { Put16(f, 1024 + 8, 495); }, kInvalidBlobLength},
      {"used 65535", [](auto& f) { Put16(f, 512 + 8, 65535); }, kInvalidBlobLength},
      {"length the file cannot hold", [](auto& f) { Put32(f, 512 + 14, 0xFFFFFFF0u); },
       kInvalidBlobLength},
      {"chain ends early", [](auto& f) { Put32(f, 1024 + 4, 0); }, kBlobEndedEarly},
      {"a block not full", [](auto& f) { Put16(f, 1024 + 8, 10); }, kBlobEndedEarly},
      {"end offset too small for the length", [](auto& f) { Put32(f, 13, 1536); },
       kInvalidBlobLength},
      {"file cut short", [](auto& f) { f.resize(1300); }, kInvalidBlobOffset},
  };
  for (const Forgery& forgery : forgeries) {
    SCOPED_TRACE(forgery.what);
    auto bytes = pristine;
    forgery.damage(bytes);
    auto blob = Open(bytes);
    ASSERT_TRUE(blob);
    Image image = ImageOf(1, kFirst[0]);
    EXPECT_EQ(blob->OpenBlob(image.data(), kTextField, 1), forgery.code);
    EXPECT_EQ(RefOf(image, kTextField), kFirst[0]);
    EXPECT_EQ(blob->OpenBlobCount(), 0u);
  }
}

// Damage the read cannot see (the free list, pointers past the value's
// length) must stop a write before it hands a block to two owners.
TEST_F(BlobCorruptionTest, DamagedFreeListsAndChainsAreNotWrittenThrough) {
  struct Case {
    const char* what;
    void (*damage)(std::vector<uint8_t>&);
    uint32_t newLength;  // record 1 rewritten to this length
    int code;
  };
  const Case cases[] = {
      {"free head into the header", [](auto& f) { Put32(f, 9, 100); }, 3000, kInvalidBlobOffset},
      {"free list loops on itself", [](auto& f) { Put32(f, 4096 + 4, 4096); }, 3000,
       kBlobBuffersCorrupt},
      {"free head in the chain being written", [](auto& f) { Put32(f, 9, 1536); }, 3000,
       kBlobBuffersCorrupt},
      {"free list runs into the chain", [](auto& f) { Put32(f, 3584 + 4, 1024); }, 3000,
       kBlobBuffersCorrupt},
      {"delete through a foreign block", [](auto& f) { Put32(f, 1536 + 4, 2048); }, 0,
       kInvalidBlobOffset},
      {"delete through a cycle", [](auto& f) { Put32(f, 1536 + 4, 1024); }, 0, kInvalidBlobOffset},
      {"shrink over a cycle", [](auto& f) { Put32(f, 1536 + 4, 512); }, 100, kInvalidBlobOffset},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto bytes = pristine;
    c.damage(bytes);
    auto blob = Open(bytes);
    ASSERT_TRUE(blob);
    Image image = ImageOf(1, kFirst[0]);
    ASSERT_EQ(blob->OpenBlob(image.data(), kTextField, 1), kOk);
    ASSERT_EQ(blob->SetBlobSize(image.data(), kTextField, c.newLength), kOk);
    EXPECT_EQ(blob->SaveAll(1), c.code);
    if (c.newLength <= 1000) {
      // The chain was checked before anything changed.
      EXPECT_FALSE(blob->HeaderModified());
      EXPECT_EQ(blob->Flush(false), kOk);
      EXPECT_EQ(ReadFile(dir.File("t.BLB")), bytes);
    }
  }
}

// The verifier behind "isamtool check": a clean file has no problems, and
// each kind of damage is named.
TEST_F(BlobCorruptionTest, VerifierNamesEveryProblem) {
  auto references = [](int32_t first) {
    return std::vector<TBlobReference>{{1, kTextField, first}, {2, kTextField, kFirst[1]},
                                       {3, kTextField, kFirst[2]}};
  };
  {
    auto blob = Open(pristine);
    ASSERT_TRUE(blob);
    std::vector<std::string> problems{"stale"};
    ASSERT_EQ(VerifyBlobFile(*blob, references(kFirst[0]), &problems), kOk);
    EXPECT_TRUE(problems.empty()) << problems.front();
  }
  struct Case {
    const char* what;
    void (*damage)(std::vector<uint8_t>&);
    int32_t first;          // record 1's reference
    const char* expected;   // part of one problem line
  };
  const Case cases[] = {
      {"cross-linked", [](auto& f) { Put32(f, 1536 + 4, 2048); }, 512,
       "record 2 field 2: block 2048 is also in the chain of record 1 field 2"},
      {"foreign owner", [](auto& f) { Put32(f, 1024 + 10, 7); }, 512,
       "block 1024 belongs to record 7"},
      {"free and used", [](auto& f) { Put32(f, 9, 1024); }, 512,
       "free list: block 1024 is also in the chain of record 1 field 2"},
      {"lost blocks", [](auto& f) { Put32(f, 9, 0); }, 512, "block 3584 is neither free nor in a chain"},
      {"bad back link", [](auto& f) { Put32(f, 1024, 0); }, 512,
       "block 1024 points back to 0 instead of 512"},
      {"length differs", [](auto& f) { Put32(f, 512 + 14, 900); }, 512,
       "the chain holds 1000 bytes, its length is 900"},
      {"used too large", [](auto& f) { Put16(f, 1536 + 8, 600); }, 512, "block 1536 claims 600 bytes"},
      {"chain cycle", [](auto& f) { Put32(f, 1536 + 4, 512); }, 512, "runs in a circle at block 512"},
      {"free list cycle", [](auto& f) { Put32(f, 3584 + 4, 4096); }, 512,
       "free list: runs in a circle at block 4096"},
      {"handle on disk", [](auto&) {}, -3, "reference -3 is an open-blob handle"},
      {"reference into the header", [](auto&) {}, 100, "reference 100 is not a block of the file"},
      {"end offset past the file", [](auto& f) { Put32(f, 13, 8192); }, 512,
       "end offset 8192 lies beyond the end of the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto bytes = pristine;
    c.damage(bytes);
    auto blob = Open(bytes);
    ASSERT_TRUE(blob);
    std::vector<std::string> problems;
    ASSERT_EQ(VerifyBlobFile(*blob, references(c.first), &problems), kOk);
    bool found = false;
    for (const auto& line : problems) found = found || line.find(c.expected) != std::string::npos;
    EXPECT_TRUE(found) << ::testing::PrintToString(problems);
  }
}

// Random damage: bytes flipped and block pointers forged to other block
// offsets (the likeliest way to get cycles and cross-links), then every
// operation tried. Under the sanitizers, a stray access aborts the test; a
// hang runs into the test timeout.
TEST_F(BlobCorruptionTest, RandomDamageNeverEscapesTheBuffers) {
  std::mt19937 random(20261210);
  auto pick = [&](uint32_t n) { return uint32_t(random() % n); };
  int failures = 0, successes = 0;
  for (int round = 0; round < 400; ++round) {
    auto bytes = pristine;
    for (uint32_t n = 1 + pick(4); n > 0; --n) {
      uint32_t block = 512 + pick(8) * 512;
      switch (pick(4)) {
        case 0: bytes[pick(uint32_t(bytes.size()))] ^= uint8_t(1 + pick(255)); break;
        case 1: Put32(bytes, block + 4 * pick(2), pick(10) * 512); break;        // prev/next
        case 2: Put32(bytes, block + 4 * pick(2), pick(5000)); break;
        case 3: Put32(bytes, 9 + 4 * pick(2), pick(12) * 512); break;            // free head/end
      }
    }
    auto blob = Open(bytes);
    if (!blob) continue;
    std::vector<TBlobReference> references;
    for (uint32_t record = 1; record <= kRecords; ++record) {
      references.push_back({record, kTextField, kFirst[record - 1]});
      Image image = ImageOf(record, kFirst[record - 1]);
      int rc = blob->OpenBlob(image.data(), kTextField, record);
      if (rc != kOk) {
        EXPECT_GT(rc, 0);
        ++failures;
        continue;
      }
      ++successes;
      std::vector<uint8_t> copy(blob->OpenBlobSize(RefOf(image, kTextField)) + 10);
      uint32_t done = 0;
      blob->ReadBlob(image.data(), kTextField, 0, uint32_t(copy.size()), copy.data(), &done);
      EXPECT_LE(done, copy.size());
      auto value = Pattern(pick(3000), uint8_t(round));
      ASSERT_EQ(blob->SetBlobSize(image.data(), kTextField, 0), kOk);
      ASSERT_EQ(blob->WriteBlob(image.data(), kTextField, 0, uint32_t(value.size()), value.data()),
                kOk);
      rc = blob->SaveAll(record);
      EXPECT_GE(rc, 0);
      blob->CloseBlob(image.data(), kTextField);
      if (rc == kOk) references.back().reference = RefOf(image, kTextField);
    }
    std::vector<std::string> problems;
    EXPECT_GE(VerifyBlobFile(*blob, references, &problems), 0);
    blob->Flush(true);
  }
  // The damage must have hit both ways often enough to mean something.
  EXPECT_GT(failures, 50);
  EXPECT_GT(successes, 50);
}

}  // namespace
}  // namespace isam
