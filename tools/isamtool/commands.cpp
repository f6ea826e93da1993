#include "tools/isamtool/commands.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "engine/blob/blob_file.h"
#include "engine/blob/blob_verify.h"
#include "engine/errors.h"
#include "engine/data/data_file.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/data/table_creator.h"
#include "engine/index/index_check.h"
#include "engine/index/index_file.h"
#include "engine/table.h"
#include "engine/text/cp1252.h"
#include "tools/isamtool/record_json.h"
#include "tools/isamtool/schema.h"
#include "tools/isamtool/table_filter.h"

namespace isamtool {
namespace {

using nlohmann::json;
using namespace isam;

std::unique_ptr<TDataFile> OpenTable(const Options& options, bool exclusive) {
  auto table = std::make_unique<TDataFile>();
  Check(table->SetPath(options.table));
  Check(table->SetExclusive(exclusive));
  Check(table->Open());
  return table;
}

void PrintJson(const nlohmann::ordered_json& value) {
  std::string line = value.dump(-1, ' ', false, json::error_handler_t::strict);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// Calls visit(slot, image) for every live record in slot order.
template <typename Visit>
void ForEachLiveSlot(TDataFile& table, Visit visit) {
  std::vector<uint8_t> image(table.RecordSize());
  for (uint32_t slot = 1; slot <= table.SlotCount(); ++slot) {
    Check(table.ReadSlot(slot, image.data()));
    if (SlotIsLive(image.data())) visit(slot, image.data());
  }
}

// The slots of the live records that pass the options' filter, in slot order.
std::vector<uint32_t> SelectedSlots(TDataFile& table, const Options& options) {
  std::vector<uint32_t> slots;
  std::unique_ptr<TableFilter> filter;
  if (options.hasFilter) filter = std::make_unique<TableFilter>(table, options);
  ForEachLiveSlot(table, [&](uint32_t slot, const uint8_t* image) {
    if (!filter || filter->Accepts(slot, image)) slots.push_back(slot);
  });
  return slots;
}

}  // namespace

int Create(const Options& options) {
  std::ifstream in(options.schema);
  if (!in) throw std::runtime_error("cannot read " + options.schema);
  TTableDef def = TableDefFromJson(json::parse(in));
  def.password = options.password;
  Check(CreateTable(options.table, def));
  return 0;
}

int Import(const Options& options) {
  std::ifstream in(options.json);
  if (!in) throw std::runtime_error("cannot read " + options.json);
  auto table = OpenTable(options, true);
  std::vector<uint8_t> image(table->RecordSize());
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      std::string problem = table->InitRecord(image.data());
      if (!problem.empty()) throw std::runtime_error(problem);
      JsonToRecord(*table, json::parse(line), image.data());
      Check(table->AddRecord(image.data()));
    } catch (const std::exception& e) {
      if (table->Blob()) table->Blob()->CloseImageBlobs(image.data());
      throw std::runtime_error(options.json + " line " + std::to_string(number) + ": " + e.what());
    }
  }
  table->Close();
  return 0;
}

int Dump(const Options& options) {
  auto table = OpenTable(options, false);
  if (options.index.empty()) {
    for (uint32_t slot : SelectedSlots(*table, options)) {
      std::vector<uint8_t> image(table->RecordSize());
      Check(table->ReadSlot(slot, image.data()));
      PrintJson(RecordToJson(*table, slot, image.data()));
    }
    return 0;
  }
  auto name = Utf8ToCp1252(options.index);
  int slotOfIndex = name ? table->Index().FindIndex(*name) : -1;
  if (slotOfIndex < 0 || slotOfIndex == kRecordIndexSlot)
    throw std::runtime_error("no index named " + options.index);
  Check(table->Index().SelectIndex(slotOfIndex));
  std::unique_ptr<TableFilter> filter;
  if (options.hasFilter) filter = std::make_unique<TableFilter>(*table, options);
  std::vector<uint8_t> image(table->RecordSize());
  for (int rc = table->MoveFirst(); rc != kEndOfFile; rc = table->MoveNext()) {
    Check(rc);
    Check(table->ReadCurrent(image.data()));
    if (filter && !filter->Accepts(table->CurrentSlot(), image.data())) continue;
    PrintJson(RecordToJson(*table, table->CurrentSlot(), image.data()));
  }
  return 0;
}

int Count(const Options& options) {
  // Counted the way the program counts: a table cursor, filtered through the
  // engine's record bitmaps (an index answers what it can).
  TIsamTable table;
  table.SetTableName(options.table);
  if (options.hasFilter) {
    TFilterOptions filterOptions = 0;
    if (options.caseInsensitive) filterOptions |= foCaseInsensitive;
    if (options.noPartial) filterOptions |= foNoPartialCompare;
    table.SetFilterOptions(filterOptions);
    table.SetFilter(options.filter);
    table.SetFiltered(true);
  }
  table.Open();
  std::printf("%d\n", table.CountRecords());
  return 0;
}

int Delete(const Options& options) {
  auto table = OpenTable(options, false);
  std::vector<uint32_t> slots = SelectedSlots(*table, options);
  Check(table->Index().SelectIndex(kPhysicalOrder));
  for (uint32_t slot : slots) {
    Check(table->MoveToPosition(slot));
    if (table->CurrentSlot() != slot) throw std::runtime_error("record " + std::to_string(slot) + " moved away");
    Check(table->DeleteCurrent());
  }
  std::printf("%zu\n", slots.size());
  return 0;
}

int Update(const Options& options) {
  auto table = OpenTable(options, false);
  std::vector<std::pair<const TFieldDesc*, json>> sets;
  for (const std::string& set : options.sets) {
    size_t eq = set.find('=');
    if (eq == std::string::npos) throw std::runtime_error("--set needs FIELD=JSONVALUE");
    auto name = Utf8ToCp1252(set.substr(0, eq));
    const TFieldDesc* field = nullptr;
    if (!name || table->FieldByName(*name, &field) != kOk)
      throw std::runtime_error("no field named " + set.substr(0, eq));
    sets.emplace_back(field, json::parse(set.substr(eq + 1)));
  }
  std::vector<uint32_t> slots = SelectedSlots(*table, options);
  Check(table->Index().SelectIndex(kPhysicalOrder));
  std::vector<uint8_t> image(table->RecordSize());
  for (uint32_t slot : slots) {
    Check(table->MoveToPosition(slot));
    if (table->CurrentSlot() != slot) throw std::runtime_error("record " + std::to_string(slot) + " moved away");
    Check(table->ReadCurrent(image.data(), true));
    try {
      for (auto& [field, value] : sets) JsonToField(*table, *field, value, image.data(), slot);
      Check(table->ModifyCurrent(image.data()));
    } catch (...) {
      if (table->Blob()) table->Blob()->CloseImageBlobs(image.data());
      table->UnlockRecord(slot);
      throw;
    }
  }
  std::printf("%zu\n", slots.size());
  return 0;
}


int CheckTable(const Options& options) {
  auto table = OpenTable(options, false);
  std::vector<std::string> problems;
  auto problem = [&](const std::string& text) { problems.push_back(text); };

  // The data file: slots and the free list.
  std::vector<uint8_t> image(table->RecordSize());
  uint32_t live = 0;
  std::vector<bool> freeSlot(table->SlotCount() + 1, false);
  std::vector<TBlobReference> references;
  for (uint32_t slot = 1; slot <= table->SlotCount(); ++slot) {
    Check(table->ReadSlot(slot, image.data()));
    const uint8_t status = SlotStatus(image.data());
    if (status > kSlotDeleted) problem("slot " + std::to_string(slot) + ": status byte " + std::to_string(status));
    if (status != kSlotLive) continue;
    ++live;
    for (const TFieldDesc& f : table->Fields()) {
      if (f.IsBlob()) references.push_back({slot, f.number, GetI32(image.data() + f.DataOffset())});
    }
  }
  uint32_t steps = 0;
  for (uint32_t slot = table->Header().freeHead; slot != 0 && table->Index().HasPrimary();) {
    if (slot > table->SlotCount() || freeSlot[slot] || ++steps > table->SlotCount()) {
      problem("free list: bad or repeated slot " + std::to_string(slot));
      break;
    }
    freeSlot[slot] = true;
    Check(table->ReadSlot(slot, image.data()));
    if (!SlotIsDeleted(image.data())) problem("free list: slot " + std::to_string(slot) + " is not deleted");
    slot = FreeListLink(image.data());
  }
  if (table->Index().RecordCount() != live)
    problem("index header counts " + std::to_string(table->Index().RecordCount()) + " records, the data file has " +
            std::to_string(live));

  // Every index against the live records.
  auto liveRecords = [&](const TRecordVisitor& visit) -> int {
    std::vector<uint8_t> record(table->RecordSize());
    for (uint32_t slot = 1; slot <= table->SlotCount(); ++slot) {
      if (int rc = table->ReadSlot(slot, record.data())) return rc;
      if (SlotIsLive(record.data())) visit(slot, record.data());
    }
    return kOk;
  };
  for (const std::string& p : CheckIndexFile(table->Index(), liveRecords)) problem("index: " + p);

  // Every blob chain.
  if (table->Blob()) {
    std::vector<std::string> blobProblems;
    Check(VerifyBlobFile(*table->Blob(), references, &blobProblems));
    for (const std::string& p : blobProblems) problem("blob: " + p);
  }
  for (const std::string& p : problems) std::printf("%s\n", p.c_str());
  if (problems.empty()) std::printf("ok: %u records\n", live);
  return problems.empty() ? 0 : 1;
}

int Info(const Options& options) {
  auto table = OpenTable(options, false);
  std::string text = TableInfo(*table).dump(2);
  std::printf("%s\n", text.c_str());
  return 0;
}

}  // namespace isamtool
