#include "engine/file/file_handler.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "testing/faulty_file_system.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string LastErrorFile() { return CurrentFileSession()->lastError.fileName; }

class FileHandlerTest : public ::testing::Test {
 protected:
  FileHandlerTest() { WriteFile(path_, "0123456789"); }

  // A handler of data files on the test file, configured and opened.
  std::unique_ptr<TFileHandler> Open(bool exclusive, bool readOnly, int* result) {
    auto file = std::make_unique<TFileHandler>(".DAT");
    EXPECT_EQ(file->SetPath(path_), kOk);
    EXPECT_EQ(file->SetExclusive(exclusive), kOk);
    EXPECT_EQ(file->SetReadOnly(readOnly), kOk);
    *result = file->Open();
    return file;
  }

  // A shared read-only and a shared writable handler on the test file.
  void OpenReaderAndWriter(std::unique_ptr<TFileHandler>* reader, std::unique_ptr<TFileHandler>* writer) {
    int rc = -1;
    *reader = Open(false, true, &rc);
    ASSERT_EQ(rc, kOk);
    *writer = Open(false, false, &rc);
    ASSERT_EQ(rc, kOk);
  }

  EngineScope engine_;
  testing_support::TempDir dir_;
  std::string path_ = dir_.File("T.DAT");
};

TEST_F(FileHandlerTest, NamesTakeTheExtensionOfTheirKind) {
  TFileHandler file(".IDX");
  struct Case {
    const char* given;
    const char* expected;
  } cases[] = {
      {"  ces  ", "ces.IDX"},
      {"ces.dat", "ces.IDX"},
      {"dir.v2/ces", "dir.v2/ces.IDX"},
      {"dir/ces.old.DAT", "dir/ces.old.IDX"},
  };
  for (const Case& c : cases) EXPECT_EQ(file.NormaliseName(c.given), c.expected) << c.given;
}

// Each open mode against a second shared and a second exclusive open in this
// process: any exclusive party makes the other open a sharing violation.
TEST_F(FileHandlerTest, OpenModesShareAsConfigured) {
  for (bool exclusive : {false, true}) {
    for (bool readOnly : {false, true}) {
      SCOPED_TRACE(testing::Message() << "exclusive " << exclusive << " read-only " << readOnly);
      int result;
      auto first = Open(exclusive, readOnly, &result);
      ASSERT_EQ(result, kOk);
      EXPECT_TRUE(first->IsOpen());
      EXPECT_EQ(first->ReadOnly(), readOnly);
      EXPECT_EQ(first->Write(0, "x", 1), readOnly ? kAccessDenied : kOk);

      auto shared = Open(false, false, &result);
      EXPECT_EQ(result, exclusive ? kAccessDenied : kOk);
      EXPECT_EQ(shared->IsOpen(), !exclusive);
      if (exclusive) {
        EXPECT_EQ(LastErrorFile(), path_);
      }
      shared.reset();
      auto secondExclusive = Open(true, true, &result);
      EXPECT_EQ(result, kAccessDenied);
      EXPECT_FALSE(secondExclusive->IsOpen());
    }
  }
}

TEST_F(FileHandlerTest, ReadOnlyAttributeMakesTheHandlerReadOnly) {
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  int result;
  auto file = Open(false, false, &result);
  ASSERT_EQ(result, kOk);
  EXPECT_TRUE(file->ReadOnly());
  EXPECT_TRUE(file->ReadOnlyByAttribute());
  EXPECT_EQ(file->Write(0, "x", 1), kAccessDenied);
  char byte;
  EXPECT_EQ(file->Read(0, &byte, 1), kOk);
  file->Close();
  // The attribute belonged to that open; the configuration is unchanged.
  EXPECT_FALSE(file->ReadOnly());
  EXPECT_FALSE(file->ReadOnlyByAttribute());
}

TEST_F(FileHandlerTest, MissingFileIsAnInvalidPathAndIsNotCreated) {
  TFileHandler file(".DAT");
  ASSERT_EQ(file.SetPath(dir_.File("ces")), kOk);
  EXPECT_FALSE(file.Exists());
  EXPECT_EQ(file.Open(), kInvalidPath);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(LastErrorFile(), dir_.File("ces.DAT"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("ces.DAT")));
}

TEST_F(FileHandlerTest, InMemoryFilesAreNeverFound) {
  TFileHandler file(".DAT");
  ASSERT_EQ(file.SetInMemory(true), kOk);
  ASSERT_EQ(file.SetPath(path_), kOk);  // exists on disk, but not in memory
  EXPECT_FALSE(file.Exists());
  EXPECT_EQ(file.Open(), kInvalidPath);
}

TEST_F(FileHandlerTest, SettingsAreRefusedWhileOpen) {
  int result;
  auto file = Open(false, false, &result);
  ASSERT_EQ(result, kOk);
  EXPECT_EQ(file->SetPath("other"), kFileInUse);
  EXPECT_EQ(file->SetExclusive(true), kFileInUse);
  EXPECT_EQ(file->SetReadOnly(true), kFileInUse);
  EXPECT_EQ(file->SetInMemory(true), kFileInUse);
  EXPECT_EQ(CurrentFileSession()->lastError.code, kFileInUse);
  EXPECT_EQ(LastErrorFile(), path_);
  file->SetWriteThrough(true);  // ignored while open
  EXPECT_EQ(file->Path(), path_);
  EXPECT_FALSE(file->Exclusive());
  EXPECT_FALSE(file->ReadOnly());
  EXPECT_FALSE(file->InMemory());
  EXPECT_FALSE(file->WriteThrough());

  file->Close();
  file->SetWriteThrough(true);
  EXPECT_TRUE(file->WriteThrough());
  ASSERT_EQ(file->Open(), kOk);  // write-through opens work like any other
  EXPECT_EQ(file->Write(10, "ab", 2), kOk);
}

TEST_F(FileHandlerTest, ReadsAndWritesAtOffsets) {
  int result;
  auto file = Open(false, false, &result);
  ASSERT_EQ(result, kOk);
  ASSERT_EQ(file->Write(3, "abc", 3), kOk);
  char buffer[8] = {};
  ASSERT_EQ(file->Read(2, buffer, 5), kOk);
  EXPECT_EQ(std::string(buffer, 5), "2abc6");

  // Past the end: a short read is an error unless partial reads are allowed.
  size_t done = 99;
  EXPECT_EQ(file->Read(7, buffer, 5, false, &done), kReadError);
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(LastErrorFile(), path_);
  EXPECT_EQ(file->Read(7, buffer, 5, true, &done), kOk);
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(file->Read(10, buffer, 1, true, &done), kOk);
  EXPECT_EQ(done, 0u);
}

TEST_F(FileHandlerTest, ZeroLengthWriteSetsTheSize) {
  int result;
  auto file = Open(false, false, &result);
  ASSERT_EQ(result, kOk);
  uint64_t size = 0;
  for (uint64_t p : {4u, 0u, 12u}) {
    ASSERT_EQ(file->Write(p, nullptr, 0), kOk);
    ASSERT_EQ(file->Size(&size), kOk);
    EXPECT_EQ(size, p);
  }
  EXPECT_EQ(std::filesystem::file_size(path_), 12u);
}

TEST_F(FileHandlerTest, ErrorPathNamesTheDataFileForOtherErrors) {
  std::string indexPath = dir_.File("T.IDX");
  WriteFile(indexPath, "");
  TFileHandler index(".IDX");
  ASSERT_EQ(index.SetPath(indexPath), kOk);
  index.SetErrorPath(path_);
  ASSERT_EQ(index.Open(), kOk);
  char byte;
  EXPECT_EQ(index.Read(0, &byte, 1), kReadError);
  EXPECT_EQ(LastErrorFile(), path_);
}

TEST(MapOsErrorTest, MapsErrnoToEngineCodes) {
  struct Case {
    int osError;
    int code;
  } cases[] = {
      {0, kOk},
      {ENOENT, kInvalidPath},         {ENOTDIR, kInvalidPath},
      {EMFILE, kTooManyOpenFiles},    {ENFILE, kTooManyOpenFiles},
      {EACCES, kAccessDenied},        {EPERM, kAccessDenied},
      {EBUSY, kAccessDenied},         {EWOULDBLOCK, kAccessDenied},
      {EROFS, kAccessDenied},         {EBADF, kInvalidHandle},
      {ENOMEM, kOutOfMemory},         {ENODEV, kDeviceAccessDenied},
      {EXDEV, kFileMoved},            {EIO, kOperatingSystemError},
      {ENOSPC, kOperatingSystemError},
  };
  for (const Case& c : cases) EXPECT_EQ(MapOsError(c.osError), c.code) << c.osError;
}

// A disk that fails under the handler.
class FaultyDiskTest : public FileHandlerTest {
 protected:
  testing_support::FaultyFileSystem faulty_;
  testing_support::ScopedFileSystem installed_{faulty_};
};

TEST_F(FaultyDiskTest, ShortWriteIsAWriteError) {
  int result;
  auto file = Open(false, false, &result);
  ASSERT_EQ(result, kOk);
  faulty_.ShortWritesAfter(2);
  EXPECT_EQ(file->Write(0, "abcd", 4), kWriteError);
  EXPECT_EQ(LastErrorFile(), path_);
  file->Close();
  std::ifstream in(path_, std::ios::binary);
  std::string contents((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(contents, "ab23456789");
}

TEST_F(FaultyDiskTest, FullDiskAndFailingReads) {
  int result;
  auto file = Open(false, false, &result);
  ASSERT_EQ(result, kOk);
  faulty_.DiskFullAfter(0);
  EXPECT_EQ(file->Write(0, "a", 1), kWriteError);
  faulty_.Heal();
  EXPECT_EQ(file->Write(0, "a", 1), kOk);
  faulty_.FailReads();
  char byte;
  size_t done = 0;
  EXPECT_EQ(file->Read(0, &byte, 1, true, &done), kReadError);
  EXPECT_EQ(done, 0u);
}

// The head of a file read through its mapping: another handle's write shows
// at once, a read past the end of the mapping goes to the file, and a file cut
// to nothing under the mapping is a read error, not a crash.
TEST_F(FileHandlerTest, HeadReadsSeeOtherWritersAndSurviveACutFile) {
  WriteFile(path_, std::string(2 * kHeadBytes, 'a'));
  std::unique_ptr<TFileHandler> reader, writer;
  ASSERT_NO_FATAL_FAILURE(OpenReaderAndWriter(&reader, &writer));
  char got[4] = {};
  ASSERT_EQ(reader->ReadHead(0, got, 4), kOk);
  EXPECT_EQ(std::string(got, 4), "aaaa");
  ASSERT_EQ(writer->Write(1, "bc", 2), kOk);
  ASSERT_EQ(reader->ReadHead(0, got, 4), kOk);
  EXPECT_EQ(std::string(got, 4), "abca");
  ASSERT_EQ(reader->ReadHead(kHeadBytes - 2, got, 4), kOk);  // crosses the mapped page
  EXPECT_EQ(std::string(got, 4), "aaaa");

  ASSERT_EQ(::truncate(path_.c_str(), 0), 0);
  EXPECT_EQ(reader->ReadHead(0, got, 4), kReadError);
  EXPECT_EQ(LastErrorFile(), path_);
  // The process goes on: a file grown again reads again.
  WriteFile(path_, "xyz0");
  ASSERT_EQ(reader->ReadHead(0, got, 4), kOk);
  EXPECT_EQ(std::string(got, 4), "xyz0");
}

// Reads through the whole-file mapping and through pread agree: another
// handle's writes and appends show, the end of the file shortens a read, and
// a file cut under the reader is a read error.
TEST_F(FileHandlerTest, MappedAndPlainReadsFollowOtherWriters) {
  struct Restore {
    ~Restore() { SetMappedReadsEnabled(true); }
  } restore;
  for (bool mapped : {true, false}) {
    SCOPED_TRACE(mapped ? "mapped" : "pread");
    SetMappedReadsEnabled(mapped);
    WriteFile(path_, std::string(3 * kHeadBytes, 'a'));
    std::unique_ptr<TFileHandler> reader, writer;
    ASSERT_NO_FATAL_FAILURE(OpenReaderAndWriter(&reader, &writer));
    char got[8] = {};
    ASSERT_EQ(reader->Read(kHeadBytes, got, 4), kOk);
    ASSERT_EQ(writer->Write(kHeadBytes + 1, "bc", 2), kOk);
    ASSERT_EQ(writer->Write(3 * kHeadBytes, "tail", 4), kOk);  // an append
    ASSERT_EQ(reader->Read(kHeadBytes, got, 4), kOk);
    EXPECT_EQ(std::string(got, 4), "abca");
    size_t done = 0;
    ASSERT_EQ(reader->Read(3 * kHeadBytes, got, 8, true, &done), kOk);
    EXPECT_EQ(std::string(got, done), "tail");
    EXPECT_EQ(reader->Read(3 * kHeadBytes, got, 8), kReadError);

    ASSERT_EQ(::truncate(path_.c_str(), 0), 0);
    EXPECT_EQ(reader->Read(kHeadBytes, got, 4), kReadError);
  }
}

}  // namespace
}  // namespace isam
