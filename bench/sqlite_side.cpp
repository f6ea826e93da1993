#include "bench/sqlite_side.h"

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

namespace bench {
namespace {

constexpr const char* kCreate =
    "CREATE TABLE qvault(Q_ID INTEGER PRIMARY KEY, Q_EXAM_N INTEGER, Q_SECT INTEGER, Q_TEXT TEXT,"
    " Q_EXPL TEXT, Q_TYPE INTEGER, Q1 TEXT, Q2 TEXT, Q3 TEXT, Q4 TEXT, Q5 TEXT, Q6 TEXT,"
    " A1 INTEGER, A2 INTEGER, A3 INTEGER, A4 INTEGER, A5 INTEGER, A6 INTEGER, Q_SIM TEXT,"
    " PICT1 TEXT, PICT2 TEXT, Q_OR_NUMBER INTEGER, U_MEMO TEXT);"
    "CREATE INDEX ByExam ON qvault(Q_EXAM_N);";
constexpr const char* kInsert =
    "INSERT INTO qvault(Q_EXAM_N, Q_SECT, Q_TEXT, Q_EXPL, Q_TYPE, Q1, Q2, Q3, Q4, Q5, Q6,"
    " A1, A2, A3, A4, A5, A6, Q_SIM, PICT1, PICT2, Q_OR_NUMBER, U_MEMO)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18,"
    " ?19, ?20, ?21, ?22)";

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string text = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(std::string("sqlite: ") + text + " in " + sql);
  }
}

void Check(sqlite3* db, int rc) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
}

void BindText(sqlite3_stmt* s, int i, const std::string& text) {
  sqlite3_bind_text(s, i, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Runs a statement to its end; returns the sum of its first column's values
// (a count) or of its first column's byte sizes (text).
uint64_t Drain(sqlite3* db, sqlite3_stmt* s, bool sizes) {
  uint64_t sum = 0;
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    if (sizes) {
      sqlite3_column_text(s, 0);
      sum += static_cast<uint64_t>(sqlite3_column_bytes(s, 0));
    } else {
      sum += static_cast<uint64_t>(sqlite3_column_int64(s, 0));
    }
  }
  Check(db, rc);
  sqlite3_reset(s);
  return sum;
}

const char* FileName(TSqliteMode mode) {
  switch (mode) {
    case TSqliteMode::kWal: return "/qvault-wal.sqlite";
    case TSqliteMode::kWalMmap: return "/qvault-mmap.sqlite";
    default: return "/qvault.sqlite";
  }
}

}  // namespace

TSqliteSide::TSqliteSide(std::string folder, TSqliteMode mode) : path_(folder + FileName(mode)), mode_(mode) {}

TSqliteSide::~TSqliteSide() { Close(); }

sqlite3* TSqliteSide::OpenDatabase() const {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + path_);
  }
  Exec(db, "PRAGMA synchronous=OFF");
  if (mode_ != TSqliteMode::kDefault) Exec(db, "PRAGMA journal_mode=WAL");
  // Larger than any table of the benchmark: every read goes through the mapping.
  if (mode_ == TSqliteMode::kWalMmap) Exec(db, "PRAGMA mmap_size=4294967296");
  return db;
}

sqlite3_stmt* TSqliteSide::Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  Check(db, sqlite3_prepare_v2(db, sql, -1, &s, nullptr));
  statements_.push_back(s);
  return s;
}

void TSqliteSide::Insert(sqlite3* db, const TQuestion& q) {
  sqlite3_stmt* s = statements_.front();
  sqlite3_bind_int(s, 1, q.exam);
  sqlite3_bind_int(s, 2, q.sect);
  BindText(s, 3, q.text);
  BindText(s, 4, q.expl);
  sqlite3_bind_int(s, 5, q.type);
  for (int i = 0; i < 6; ++i) {
    BindText(s, 6 + i, q.answers[i]);
    sqlite3_bind_int(s, 12 + i, q.keys[i]);
  }
  BindText(s, 18, q.sim);
  BindText(s, 19, q.pict1);
  BindText(s, 20, q.pict2);
  sqlite3_bind_int(s, 21, q.orNumber);
  BindText(s, 22, q.memo);
  Check(db, sqlite3_step(s));
  sqlite3_reset(s);
}

TSample TSqliteSide::BulkLoad(const std::vector<TQuestion>& records) {
  Close();
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::remove((path_ + suffix).c_str());
  TStopwatch watch;
  sqlite3* db = OpenDatabase();
  Exec(db, kCreate);
  Prepare(db, kInsert);
  Exec(db, "BEGIN");
  for (const TQuestion& q : records) Insert(db, q);
  Exec(db, "COMMIT");
  TSample s;
  s.result = records.size();
  for (sqlite3_stmt* st : statements_) sqlite3_finalize(st);
  statements_.clear();
  sqlite3_close(db);
  s.seconds = watch.Seconds();
  return s;
}

void TSqliteSide::OpenShared() {
  Close();
  db_ = OpenDatabase();
  // In this order: see the workloads below.
  Prepare(db_, kInsert);
  Prepare(db_, "SELECT COUNT(*) FROM qvault WHERE Q_EXAM_N=?1");
  Prepare(db_, "SELECT Q_TEXT FROM qvault WHERE Q_EXAM_N=?1");
  Prepare(db_, "SELECT Q_TEXT FROM qvault WHERE Q_ID=?1");
  // Q_ID is dense (1..n, nothing deleted): the n-th record in Q_ID order is
  // the first with Q_ID >= n, which the primary key finds in one descent.
  Prepare(db_, "SELECT Q_ID FROM qvault WHERE Q_ID >= ?1 ORDER BY Q_ID LIMIT 1");
  Prepare(db_, "UPDATE qvault SET U_MEMO=?1 WHERE Q_ID=?2");
  Prepare(db_, "SELECT COUNT(*) FROM qvault WHERE Q_SECT=?1 AND Q_TYPE=1");
}

void TSqliteSide::Close() {
  for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
  statements_.clear();
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

TSample TSqliteSide::Append(const std::vector<TQuestion>& records) {
  TStopwatch watch;
  for (const TQuestion& q : records) Insert(db_, q);
  TSample s;
  s.seconds = watch.Seconds();
  s.result = records.size();
  return s;
}

TSample TSqliteSide::FilterCount(int exam) {
  sqlite3_stmt* s = statements_[1];
  TStopwatch watch;
  sqlite3_bind_int(s, 1, exam);
  TSample out;
  out.result = Drain(db_, s, false);
  out.seconds = watch.Seconds();
  return out;
}

TSample TSqliteSide::FilterWalk(int exam) {
  sqlite3_stmt* s = statements_[2];
  TStopwatch watch;
  sqlite3_bind_int(s, 1, exam);
  TSample out;
  out.result = Drain(db_, s, true);
  out.seconds = watch.Seconds();
  return out;
}

TSample TSqliteSide::LookUps(const std::vector<int32_t>& ids) {
  sqlite3_stmt* s = statements_[3];
  TStopwatch watch;
  TSample out;
  for (int32_t id : ids) {
    sqlite3_bind_int(s, 1, id);
    out.result += Drain(db_, s, true);
  }
  out.seconds = watch.Seconds();
  return out;
}

TSample TSqliteSide::Positions(const std::vector<int32_t>& numbers) {
  sqlite3_stmt* s = statements_[4];
  TStopwatch watch;
  TSample out;
  for (int32_t n : numbers) {
    sqlite3_bind_int(s, 1, n);
    out.result += Drain(db_, s, false);
  }
  out.seconds = watch.Seconds();
  return out;
}

TSample TSqliteSide::EditMemos(const std::vector<int32_t>& ids, const std::vector<std::string>& memos) {
  sqlite3_stmt* s = statements_[5];
  TStopwatch watch;
  TSample out;
  for (size_t i = 0; i < ids.size(); ++i) {
    BindText(s, 1, memos[i]);
    sqlite3_bind_int(s, 2, ids[i]);
    Drain(db_, s, false);
    out.result += static_cast<uint64_t>(sqlite3_changes(db_));
  }
  out.seconds = watch.Seconds();
  return out;
}

TSample TSqliteSide::ScanCount(int sect) {
  sqlite3_stmt* s = statements_[6];
  TStopwatch watch;
  sqlite3_bind_int(s, 1, sect);
  TSample out;
  out.result = Drain(db_, s, false);
  out.seconds = watch.Seconds();
  return out;
}

}  // namespace bench
