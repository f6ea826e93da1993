#include "bench/engine_side.h"

#include <stdexcept>

#include "engine/data/data_file.h"
#include "engine/index/index_file.h"
#include "engine/table.h"

namespace bench {

using isam::TIsamTable;

namespace {

constexpr const char* kTableName = "qvault.DAT";

// The question fields in TQuestion's order, Q_ID aside.
struct TFields {
  isam::TIsamField *exam, *sect, *text, *expl, *type, *sim, *pict1, *pict2, *orNumber, *memo;
  isam::TIsamField *answers[6], *keys[6];
  explicit TFields(TIsamTable& t)
      : exam(&t.FieldNamed("Q_EXAM_N")), sect(&t.FieldNamed("Q_SECT")), text(&t.FieldNamed("Q_TEXT")),
        expl(&t.FieldNamed("Q_EXPL")), type(&t.FieldNamed("Q_TYPE")), sim(&t.FieldNamed("Q_SIM")),
        pict1(&t.FieldNamed("PICT1")), pict2(&t.FieldNamed("PICT2")), orNumber(&t.FieldNamed("Q_OR_NUMBER")),
        memo(&t.FieldNamed("U_MEMO")) {
    for (int i = 0; i < 6; ++i) {
      answers[i] = &t.FieldNamed(std::string{'Q', char('1' + i)});
      keys[i] = &t.FieldNamed(std::string{'A', char('1' + i)});
    }
  }
};

// Stores a question into the buffer of a table in append state.
void Put(const TFields& f, const TQuestion& q) {
  f.exam->SetIntegerValue(q.exam);
  f.sect->SetIntegerValue(q.sect);
  f.text->SetStringValue(q.text);
  f.expl->SetStringValue(q.expl);
  f.type->SetBooleanValue(q.type);
  for (int i = 0; i < 6; ++i) {
    f.answers[i]->SetStringValue(q.answers[i]);
    f.keys[i]->SetBooleanValue(q.keys[i]);
  }
  f.sim->SetStringValue(q.sim);
  f.pict1->SetStringValue(q.pict1);
  f.pict2->SetStringValue(q.pict2);
  f.orNumber->SetIntegerValue(q.orNumber);
  f.memo->SetStringValue(q.memo);
}

}  // namespace

TEngineSide::TEngineSide(std::string folder, const TCountingFileSystem& reads)
    : folder_(std::move(folder)), reads_(reads) {}

TEngineSide::~TEngineSide() = default;

void TEngineSide::Bind(TIsamTable& table) const {
  table.SetDatabaseName(folder_);
  table.SetTableName(kTableName);
}

uint64_t TEngineSide::PagesRead() const {
  return table_ && table_->Active() ? table_->DataFile()->Index().PagesRead() : 0;
}

uint64_t TEngineSide::RecordsRead() const { return recordSize_ ? reads_.DataBytesRead() / recordSize_ : 0; }

TSample TEngineSide::Finish(const TStopwatch& watch, uint64_t pagesFrom, uint64_t recordsFrom,
                            uint64_t result) const {
  TSample s;
  s.seconds = watch.Seconds();
  s.pages = PagesRead() - pagesFrom;
  s.records = RecordsRead() - recordsFrom;
  s.result = result;
  return s;
}

TSample TEngineSide::BulkLoad(const std::vector<TQuestion>& records) {
  const std::string path = folder_ + "/" + kTableName;
  if (isam::CreateTable(path, QuestionSchema()) != 0) throw std::runtime_error("cannot create " + path);
  TStopwatch watch;
  TIsamTable table;
  Bind(table);
  table.SetExclusive(true);
  table.Open();
  recordSize_ = table.DataFile()->RecordSize();
  const TFields fields(table);
  for (const TQuestion& q : records) {
    table.BeginAppend();
    Put(fields, q);
    table.PostRecord();
  }
  TSample s;
  s.pages = table.DataFile()->Index().PagesRead();
  s.result = static_cast<uint64_t>(table.CountRecords());
  table.Close();
  s.seconds = watch.Seconds();
  return s;
}

void TEngineSide::OpenShared() {
  table_ = std::make_unique<TIsamTable>();
  Bind(*table_);
  table_->Open();
  recordSize_ = table_->DataFile()->RecordSize();
}

void TEngineSide::Close() { table_.reset(); }

TSample TEngineSide::Append(const std::vector<TQuestion>& records) {
  TIsamTable& t = *table_;
  t.SetFiltered(false);
  const uint64_t pages = PagesRead(), reads = RecordsRead();
  const TFields fields(t);
  TStopwatch watch;
  for (const TQuestion& q : records) {
    t.BeginAppend();
    Put(fields, q);
    t.PostRecord();
  }
  return Finish(watch, pages, reads, records.size());
}

void TEngineSide::Filter(const std::string& text) {
  table_->SetFiltered(false);
  table_->SetFilter(text);
}

TSample TEngineSide::FilterCount(int exam) {
  TIsamTable& t = *table_;
  Filter("");
  const uint64_t pages = PagesRead(), reads = RecordsRead();
  TStopwatch watch;
  t.SetFilter("Q_EXAM_N=" + std::to_string(exam));
  t.SetFiltered(true);
  const int32_t count = t.CountRecords();
  return Finish(watch, pages, reads, static_cast<uint64_t>(count));
}

TSample TEngineSide::FilterWalk(int exam) {
  TIsamTable& t = *table_;
  const std::string text = "Q_EXAM_N=" + std::to_string(exam);
  if (t.Filter() != text || !t.Filtered()) {
    Filter(text);
    t.SetFiltered(true);
  }
  isam::TIsamField& field = t.FieldNamed("Q_TEXT");
  const uint64_t pages = PagesRead(), reads = RecordsRead();
  TStopwatch watch;
  uint64_t bytes = 0;
  for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) bytes += field.StringValue().size();
  return Finish(watch, pages, reads, bytes);
}

TSample TEngineSide::LookUps(const std::vector<int32_t>& ids) {
  TIsamTable& t = *table_;
  t.SetFiltered(false);
  isam::TIsamField& id = t.FieldNamed("Q_ID");
  isam::TIsamField& text = t.FieldNamed("Q_TEXT");
  const uint64_t pages = PagesRead(), reads = RecordsRead();
  TStopwatch watch;
  uint64_t bytes = 0;
  for (int32_t key : ids) {
    t.BeginKeySearch();
    id.SetIntegerValue(key);
    if (t.SeekKey()) bytes += text.StringValue().size();
  }
  return Finish(watch, pages, reads, bytes);
}

TSample TEngineSide::Positions(const std::vector<int32_t>& numbers) {
  TIsamTable& t = *table_;
  t.SetFiltered(false);
  isam::TIsamField& id = t.FieldNamed("Q_ID");
  const uint64_t pages = PagesRead(), reads = RecordsRead();
  TStopwatch watch;
  uint64_t sum = 0;
  for (int32_t n : numbers) {
    t.SetRecordNumber(n);
    sum += static_cast<uint64_t>(id.IntegerValue());
  }
  return Finish(watch, pages, reads, sum);
}

TSample TEngineSide::EditMemos(const std::vector<int32_t>& ids, const std::vector<std::string>& memos) {
  TIsamTable& t = *table_;
  t.SetFiltered(false);
  isam::TIsamField& id = t.FieldNamed("Q_ID");
  isam::TIsamField& memo = t.FieldNamed("U_MEMO");
  const uint64_t pages = PagesRead(), reads = RecordsRead();
  TStopwatch watch;
  uint64_t edited = 0;
  for (size_t i = 0; i < ids.size(); ++i) {
    t.BeginKeySearch();
    id.SetIntegerValue(ids[i]);
    if (!t.SeekKey()) continue;
    t.BeginEdit();
    memo.SetStringValue(memos[i]);
    t.PostRecord();
    ++edited;
  }
  return Finish(watch, pages, reads, edited);
}

TSample TEngineSide::ScanCount(int sect) {
  TIsamTable& t = *table_;
  Filter("");
  const uint64_t pages = PagesRead(), reads = RecordsRead();
  TStopwatch watch;
  t.SetFilter("Q_SECT=" + std::to_string(sect) + " AND Q_TYPE=True");
  t.SetFiltered(true);
  const int32_t count = t.CountRecords();
  return Finish(watch, pages, reads, static_cast<uint64_t>(count));
}

}  // namespace bench
