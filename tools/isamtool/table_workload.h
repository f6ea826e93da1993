#pragma once
// The workload of the multi-process stress test and the crash test: writers
// that add, edit and delete records of a shared table at random, and a log of
// what each of them committed, from which the expected table is replayed.
//
// Records: ID (auto-increment, primary index), TAG (string, unique index
// ByTag: "w<writer>-<n>"), N (int32, the record's version) and MEMO, whose
// content follows from TAG and N, so that any record read can be checked on
// its own.
//
// Log lines (written with one write(2) each, so that a writer killed at any
// moment leaves whole lines behind):
//   B <op> <tag> <n>   an operation begins: op A(dd), E(dit) or D(elete)
//   C                  the operation begun last returned success
//   F <code>           it failed with an engine error (nothing committed)
//   X <message>        an unexpected engine error stopped the writer
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/blob/blob_file.h"
#include "engine/errors.h"
#include "engine/data/data_file.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/data/table_creator.h"
#include "engine/index/index_file.h"
#include "engine/file/file_session.h"

namespace isamtool::workload {

using namespace isam;

inline TTableDef WorkloadTable() {
  auto field = [](const char* name, uint8_t type, uint8_t subtype = 0, uint8_t size = 0) {
    TFieldDef f;
    f.name = name;
    f.type = type;
    f.subtype = subtype;
    f.size = size;
    return f;
  };
  TTableDef def;
  def.fields = {field("ID", kFieldInt32, kSubtypeAutoIncrement), field("TAG", kFieldString, 0, 24),
                field("N", kFieldInt32), field("MEMO", kFieldBlob, kSubtypeMemo)};
  def.indexes.push_back({"", {1}, {}, false, false, true, 0, true});
  def.indexes.push_back({"ByTag", {2}, {}, false, false, true, kCompressLeading, false});
  return def;
}
constexpr uint16_t kTagField = 2, kNField = 3, kMemoField = 4;

// 0 to 2999 bytes (up to six blocks of 512) of one letter.
inline std::string MemoFor(const std::string& tag, int32_t n) {
  uint32_t h = 2166136261u;
  for (char c : tag + "/" + std::to_string(n)) h = (h ^ uint8_t(c)) * 16777619u;
  return std::string(h % 3000, char('a' + h / 3000 % 26));
}

struct Content {
  int32_t n = 0;
  std::string memo;
  bool operator==(const Content&) const = default;
};
using TableState = std::map<std::string, Content>;

inline std::string ReadMemo(TDataFile& table, uint32_t slot, const uint8_t* image) {
  if (GetI32(image + table.Fields()[kMemoField - 1].DataOffset()) == 0) return {};
  std::vector<uint8_t> copy(image, image + table.RecordSize());
  TBlobFile& blob = *table.Blob();
  Check(blob.OpenBlob(copy.data(), kMemoField, slot));
  uint32_t size = 0, done = 0;
  blob.GetBlobSize(copy.data(), kMemoField, &size);
  std::string memo(size, '\0');
  int rc = blob.ReadBlob(copy.data(), kMemoField, 0, size, memo.data(), &done);
  blob.CloseBlob(copy.data(), kMemoField);
  Check(rc);
  return memo;
}

inline std::string TagOf(TDataFile& table, const uint8_t* image) {
  const TFieldDesc& f = table.Fields()[kTagField - 1];
  return FieldIsNull(f, image) ? std::string() : std::string(reinterpret_cast<const char*>(image + f.DataOffset()));
}

// Every live record of a table: tag -> content (throws EIsamEngineError).
inline TableState ReadTableState(const std::string& path) {
  TDataFile table;
  Check(table.SetPath(path));
  Check(table.Open());
  TableState state;
  std::vector<uint8_t> image(table.RecordSize());
  for (uint32_t slot = 1; slot <= table.SlotCount(); ++slot) {
    Check(table.ReadSlot(slot, image.data()));
    if (image[0] != 0) continue;
    state[TagOf(table, image.data())] = {GetI32(image.data() + table.Fields()[kNField - 1].DataOffset()),
                                         ReadMemo(table, slot, image.data())};
  }
  return state;
}

// Appends whole lines to a writer's log.
class OpLog {
 public:
  explicit OpLog(const std::string& path) : fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644)) {}
  ~OpLog() {
    if (fd_ >= 0) close(fd_);
  }
  void Line(const std::string& text) {
    std::string line = text + "\n";
    if (write(fd_, line.data(), line.size()) != ssize_t(line.size())) _exit(3);
  }

 private:
  int fd_;
};

struct Pending {
  char op = 0;
  std::string tag;
  int32_t n = 0;
};

struct Replay {
  TableState committed;
  std::optional<Pending> pending;  // begun, neither committed nor failed
  std::map<int, int> failures;     // engine code -> count
  int commits = 0;
  // Records whose state is open: the pending operation's, and those of
  // operations that failed after they may have written something (any
  // failure but a refused lock, which comes before every write).
  std::map<std::string, char> uncertain;
  std::string error;  // the engine error that stopped the writer, if any
};

inline void Apply(TableState& state, const Pending& op) {
  if (op.op == 'D') state.erase(op.tag);
  else state[op.tag] = {op.n, MemoFor(op.tag, op.n)};
}

inline Replay ReplayLog(const std::string& path, TableState start) {
  Replay replay;
  replay.committed = std::move(start);
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "B") {
      Pending op;
      words >> op.op >> op.tag >> op.n;
      replay.pending = op;
    } else if (kind == "C" && replay.pending) {
      Apply(replay.committed, *replay.pending);
      replay.uncertain.erase(replay.pending->tag);
      replay.pending.reset();
      ++replay.commits;
    } else if (kind == "X") {
      replay.error = line.substr(2);
    } else if (kind == "F" && replay.pending) {
      int code = 0;
      words >> code;
      ++replay.failures[code];
      if (code != kRecordInUse && code != kLockFailure) replay.uncertain[replay.pending->tag] = replay.pending->op;
      replay.pending.reset();
    }
  }
  if (replay.pending) replay.uncertain[replay.pending->tag] = replay.pending->op;
  return replay;
}

// Differences between the table and the replayed log, one line each. A
// record with an open state may hold anything but must still be there unless
// its open operation was a delete or an add.
inline std::vector<std::string> CompareWithLog(const TableState& actual, const Replay& replay) {
  std::vector<std::string> problems;
  for (const auto& [tag, content] : replay.committed) {
    auto open = replay.uncertain.find(tag);
    auto it = actual.find(tag);
    if (open != replay.uncertain.end()) {
      if (it == actual.end() && open->second == 'E') problems.push_back(tag + ": gone after an unfinished edit");
      continue;
    }
    if (it == actual.end()) problems.push_back(tag + ": committed record missing");
    else if (!(it->second == content))
      problems.push_back(tag + ": holds version " + std::to_string(it->second.n) + " with a memo of " +
                         std::to_string(it->second.memo.size()) + " bytes, committed version " +
                         std::to_string(content.n));
  }
  for (const auto& [tag, content] : actual) {
    if (!replay.committed.count(tag) && !replay.uncertain.count(tag))
      problems.push_back(tag + ": a record nobody committed");
  }
  return problems;
}

// One writer on a shared table with the program's lock settings. Each step is
// a random add, edit, delete or read; edits and deletes touch the writer's own
// records (so that the logs of several writers replay in any order), reads
// and record locks reach every record.
class Writer {
 public:
  Writer(const std::string& path, std::string prefix, uint32_t seed, OpLog& log)
      : prefix_(std::move(prefix)), random_(seed), log_(log) {
    Check(table_.SetPath(path));
    table_.SetLockRetryCount(15);
    table_.SetLockWaitTime(100);
    Check(table_.Open());
    byTag_ = table_.Index().FindIndex("ByTag");
    image_.resize(table_.RecordSize());
    // Records of this prefix left by an earlier writer are ours too.
    for (uint32_t slot = 1; slot <= table_.SlotCount(); ++slot) {
      Check(table_.ReadSlot(slot, image_.data()));
      std::string tag = TagOf(table_, image_.data());
      if (image_[0] == 0 && tag.rfind(prefix_, 0) == 0) {
        own_.push_back(tag);
        next_ = std::max(next_, std::stoi(tag.substr(prefix_.size())) + 1);
      }
    }
  }

  // 0, or the unexpected engine error that ended the step (lock failures are
  // logged and counted, not returned). Throws EIsamEngineError when a memo
  // cannot be read, std::runtime_error when one of the writer's own records
  // reads back other than it was written.
  int Step() {
    uint32_t roll = random_() % 100;
    if (own_.empty() || roll < 35) return Add();
    size_t pick = random_() % own_.size();
    if (roll < 70) return Edit(pick);
    if (roll < 82) return Delete(pick);
    return Read();
  }
  int lockFailures() const { return lockFailures_; }
  // Edits one of the writer's records (logged like any edit): a record left
  // half changed by a killed writer becomes whole again.
  int Rewrite(const std::string& tag) {
    auto it = std::find(own_.begin(), own_.end(), tag);
    return it == own_.end() ? ReportError(kRecordNotFound, table_.Path()) : Edit(size_t(it - own_.begin()));
  }

 private:
  static bool IsLockFailure(int code) { return code == kRecordInUse || code == kLockFailure; }

  int Finish(int rc) {
    if (rc == kOk) {
      log_.Line("C");
      return kOk;
    }
    log_.Line("F " + std::to_string(rc));
    if (IsLockFailure(rc)) {
      ++lockFailures_;
      return kOk;
    }
    return rc;
  }

  void PutContent(uint8_t* image, const std::string& tag, int32_t n, uint32_t slot) {
    PutFieldString(table_.Fields()[kTagField - 1], image, tag);
    uint8_t data[4];
    PutI32(data, n);
    PutFieldData(table_.Fields()[kNField - 1], image, data);
    std::string memo = MemoFor(tag, n);
    TBlobFile& blob = *table_.Blob();
    Check(blob.OpenBlob(image, kMemoField, slot));
    Check(blob.SetBlobSize(image, kMemoField, 0));
    if (!memo.empty()) Check(blob.WriteBlob(image, kMemoField, 0, uint32_t(memo.size()), memo.data()));
  }

  // Puts the cursor on a record by tag; 8710 when it is not there.
  int Find(const std::string& tag) {
    if (int rc = table_.Index().SelectIndex(byTag_)) return rc;
    std::vector<uint8_t> probe(table_.RecordSize(), 0);
    PutFieldString(table_.Fields()[kTagField - 1], probe.data(), tag);
    std::vector<uint8_t> key(table_.Index().KeyLength(byTag_));
    table_.Index().BuildKey(byTag_, probe.data(), 0, key.data());
    bool exact = false;
    int rc = table_.MoveToKey(key.data(), key.size(), &exact);
    if (rc == kOk && !exact) rc = ReportError(kRecordNotFound, table_.Path());
    return rc;
  }

  int Add() {
    std::string tag = prefix_ + std::to_string(next_++);
    log_.Line("B A " + tag + " 0");
    table_.InitRecord(image_.data());
    PutContent(image_.data(), tag, 0, 0);
    int rc = table_.AddRecord(image_.data());
    if (rc != kOk) table_.Blob()->CloseImageBlobs(image_.data());
    else own_.push_back(tag);
    return Finish(rc);
  }

  int Edit(size_t pick) {
    const std::string tag = own_[pick];
    int rc = Find(tag);
    int32_t n = 0;
    if (rc == kOk) rc = table_.ReadCurrent(image_.data(), true);
    if (rc == kOk) n = GetI32(image_.data() + table_.Fields()[kNField - 1].DataOffset()) + 1;
    log_.Line("B E " + tag + " " + std::to_string(n));
    if (rc != kOk) return Finish(rc);
    uint32_t slot = table_.CurrentSlot();
    PutContent(image_.data(), tag, n, slot);
    rc = table_.ModifyCurrent(image_.data());
    if (rc != kOk) {
      table_.Blob()->CloseImageBlobs(image_.data());
      table_.UnlockRecord(slot);
    }
    return Finish(rc);
  }

  int Delete(size_t pick) {
    const std::string tag = own_[pick];
    log_.Line("B D " + tag + " 0");
    int rc = Find(tag);
    if (rc == kOk) rc = table_.DeleteCurrent();
    if (rc == kOk) own_.erase(own_.begin() + long(pick));
    return Finish(rc);
  }

  // Walks a few records from a random place, holding each one's record lock
  // for a moment; the writer's own records must read back whole.
  int Read() {
    Check(table_.Index().SelectIndex(0));
    uint32_t count = 0;
    if (int rc = table_.Count(&count); rc != kOk) return IsLockFailure(rc) ? kOk : rc;
    if (count == 0) return kOk;
    int rc = table_.MoveToPosition(random_() % count + 1);
    for (int i = 0; i < 5 && rc == kOk; ++i, rc = table_.MoveNext()) {
      rc = table_.ReadCurrent(image_.data(), i == 0);
      if (i == 0 && rc == kOk) table_.UnlockRecord(table_.CurrentSlot());
      if (rc != kOk) break;
      std::string tag = TagOf(table_, image_.data());
      if (tag.rfind(prefix_, 0) != 0) continue;
      int32_t n = GetI32(image_.data() + table_.Fields()[kNField - 1].DataOffset());
      std::string memo = ReadMemo(table_, table_.CurrentSlot(), image_.data());
      if (memo != MemoFor(tag, n))
        throw std::runtime_error(tag + " version " + std::to_string(n) + " reads a memo of " +
                                 std::to_string(memo.size()) + " bytes instead of " +
                                 std::to_string(MemoFor(tag, n).size()));
    }
    if (rc == kEndOfFile) return kOk;
    if (IsLockFailure(rc)) {
      ++lockFailures_;
      return kOk;
    }
    return rc;
  }

  TDataFile table_;
  std::string prefix_;
  std::mt19937 random_;
  OpLog& log_;
  int byTag_ = -1;
  std::vector<uint8_t> image_;
  std::vector<std::string> own_;
  int next_ = 0;
  int lockFailures_ = 0;
};

}  // namespace isamtool::workload
